// The real game as players get it, each scenario played every way the game
// runs (tests/support/backends.h): the game's screens and keys, its endings,
// its failures, and images it cannot read. Each game starts in a second
// chosen for its rocks, so that no rock can spoil a scenario.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <signal.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "scenario.h"
#include "test_access.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The frame of play on which the game was lost, as the world draws it: the
// rocks and the ship of an idle game begun in this second, the tick before
// the one on which a rock reached the ship, with the game-over lines over it.
::testing::AssertionResult shows_the_last_frame_of_play(const Screenshot& s, const Backend& b, unsigned second)
{
    const DealingLike dealing(b.library);
    const std::optional<Playthrough> lost = play_ahead(second, 1, 100, Outcome::Lost);
    if (!lost) {
        return ::testing::AssertionFailure() << "the game begun in second " << second << " is not lost";
    }
    std::srand(second);
    Level level(1);
    for (int t = 1; t < lost->ticks; ++t) {
        tick(level);
    }
    return shows_the_rocks_of(s, level, text_reference(GAME_OVER_LINES));
}

} // namespace

TEST_P(Game, ReadyScreenShowsTheFieldTheThreeLinesAndTheShip)
{
    ASSERT_NO_FATAL_FAILURE(start(clear_text_second()));
    std::cout << GetParam() << ": start-up to the first ready frame: " << startup.count() << " ms\n";
    const Screenshot s = game->screen();
    EXPECT_TRUE(shows_text(s, ready_lines(1)));
    EXPECT_TRUE(mostly_background(s));
    EXPECT_TRUE(ship_alone_at_the_centre(s));
}

// The second the game starts in seeds its rocks: each second deals exactly
// the field the world builds from it, and two seconds deal two fields.
TEST_P(Game, EachSecondDealsItsOwnRocks)
{
    const unsigned first = clear_text_second();
    const Screenshot letters = text_reference(ready_lines(1));
    std::vector<Screenshot> dealt;
    for (unsigned second : {first, first + 1}) {
        new_game();
        ASSERT_NO_FATAL_FAILURE(start(second));
        dealt.push_back(game->screen());
        const DealingLike dealing(GetParam().library);
        std::srand(second);
        Level level(1);
        EXPECT_TRUE(shows_the_rocks_of(dealt.back(), level, letters)) << "started in second " << second;
    }
    EXPECT_FALSE(dealt.front() == dealt.back()) << "two seconds dealt the same rocks";
}

TEST_P(Game, OnlySpaceLeavesTheReadyScreen)
{
    ASSERT_NO_FATAL_FAILURE(start(calm_second()));
    const Screenshot ready = game->screen();
    ASSERT_TRUE(game->keys("a Escape Return Up"));
    ASSERT_TRUE(game->click(100, 100, 1));
    ASSERT_TRUE(game->click(300, 600, 3));
    ASSERT_TRUE(caught_up()) << "the game did not read the keys and clicks";
    EXPECT_TRUE(game->screen() == ready) << "other keys or clicks changed the ready screen";
    ASSERT_TRUE(game->running()) << "other keys or clicks ended the game";
    ASSERT_TRUE(game->keys("space"));
    EXPECT_TRUE(wait_for([&](const Screenshot& s) { return !(s == ready); })) << "Space did not start play";
}

TEST_P(Game, SpaceStartsPlayAndAClickFires)
{
    ASSERT_NO_FATAL_FAILURE(start(calm_second()));
    ASSERT_NO_FATAL_FAILURE(start_play());
    const Screenshot first = game->screen();
    ASSERT_TRUE(wait_for([&](const Screenshot& s) { return !(s == first); })) << "frames do not change";
    EXPECT_FALSE(shot_in_the_ships_column(game->screen()));
    ASSERT_TRUE(game->click(WIDTH / 2, 100));
    EXPECT_TRUE(wait_for(shot_in_the_ships_column)) << "no shot flies up from the ship";
}

TEST_P(Game, EscapeDuringPlayGoesOnToDifficultyTwo)
{
    ASSERT_NO_FATAL_FAILURE(start(calm_second()));
    ASSERT_NO_FATAL_FAILURE(start_play());
    ASSERT_TRUE(game->keys("Escape"));
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_letters(s, 2); }, READY_ROWS))
        << "no ready screen for difficulty 2";

    // A moment of the second level: the picture of the game in the README.
    ASSERT_NO_FATAL_FAILURE(start_play(2));
    for (const auto& [aim_x, aim_y] : {std::pair{300, 150}, {800, 200}, {700, 650}, {150, 500}}) {
        ASSERT_TRUE(game->click(aim_x, aim_y));
        std::this_thread::sleep_for(60ms);
    }
    game->screen().save_png(OUTPUT_DIR "/screenshot-" + GetParam().name + ".png");
}

// The game-over lines go over the last frame of play, and then only Escape,
// or a way of stopping the game, ends it.
TEST_P(Game, GameOverWaitsForEscapeWhateverElseIsPressed)
{
    const unsigned second = losing_second();
    ASSERT_NO_FATAL_FAILURE(start(second));
    ASSERT_NO_FATAL_FAILURE(lose());
    const Screenshot over = game->screen();
    EXPECT_TRUE(shows_the_last_frame_of_play(over, GetParam(), second)) << "the last frame of play is not kept";

    ASSERT_TRUE(game->keys("space a Return Up"));
    ASSERT_TRUE(game->click(WIDTH / 2, 100, 1));
    ASSERT_TRUE(game->click(100, 600, 3));
    ASSERT_TRUE(caught_up()) << "the game did not read the keys and clicks";
    EXPECT_TRUE(game->screen() == over) << "other keys or clicks changed the game-over screen";
    ASSERT_TRUE(game->running()) << "other keys or clicks ended the game";
    ASSERT_TRUE(game->keys("Escape"));
    expect_quiet_end("Escape on the game-over screen");
}

TEST_P(Game, WithoutItsImagesItSaysSoAndExitsWithOne)
{
    REQUIRE(Need::NoImages);
    Launch launch;
    launch.no_images = true;
    new_game();
    ASSERT_TRUE(game->start(launch));
    expect_texture_failure("no assets directory");
}

namespace {

std::string big_endian(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// One PNG chunk with its length and a correct CRC.
std::string chunk(const std::string& type, const std::string& data)
{
    const std::string body = type + data;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    return big_endian(static_cast<std::uint32_t>(data.size())) + body + big_endian(crc);
}

const std::string PNG_SIGNATURE("\x89PNG\r\n\x1a\n", 8);

// A well-formed PNG header for an RGBA image of the given size, followed by
// a few rows' worth of data and the end chunk.
std::string png_claiming(std::uint32_t width, std::uint32_t height)
{
    const std::string header = big_endian(width) + big_endian(height) + std::string("\x08\x06\x00\x00\x00", 5);
    const std::string rows(1000, '\0');
    uLongf packed_size = compressBound(rows.size());
    std::string packed(packed_size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packed_size, reinterpret_cast<const Bytef*>(rows.data()),
             rows.size());
    packed.resize(packed_size);
    return PNG_SIGNATURE + chunk("IHDR", header) + chunk("IDAT", packed) + chunk("IEND", "");
}

void write(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// Something in place of one image, or of the whole folder.
struct Hostile {
    const char* what;
    const char* image;
    std::function<void(const fs::path&)> plant;
};

} // namespace

// Damaged, odd and enormous images: the game loads and plays, or says
// "Texture loading failed" and ends with status 1, in bounded memory.
TEST_P(Game, AnImageItCannotReadEndsTheGameWithOneLineAndStatusOne)
{
    REQUIRE(Need::Folder);
    // The last image the game loads, when every other one is in memory.
    const std::string last = "ship359.png";
    const std::string real = read_file(fs::path(SOURCE_DIR) / "assets" / last);
    ASSERT_GT(real.size(), 100u);
    const Hostile cases[] = {
        {"an empty file", "ship359.png", [](const fs::path& p) { write(p, ""); }},
        {"a text file named .png", "ship359.png", [](const fs::path& p) { write(p, "This is not a ship.\n"); }},
        {"a PNG cut off halfway", "ship359.png", [&](const fs::path& p) { write(p, real.substr(0, real.size() / 2)); }},
        {"a PNG whose header claims 100000 x 100000 pixels", "ship359.png",
         [](const fs::path& p) { write(p, png_claiming(100000, 100000)); }},
        // Small enough for any machine to allocate, so only the game can
        // refuse it: decoding would take 1.5 GiB.
        {"a PNG whose header claims 20000 x 20000 pixels", "ship359.png",
         [](const fs::path& p) { write(p, png_claiming(20000, 20000)); }},
        {"a directory", "ship359.png", [](const fs::path& p) { fs::create_directory(p); }},
        {"a symbolic link to itself", "ship359.png", [](const fs::path& p) { fs::create_symlink(p.filename(), p); }},
        {"no ship200.png", "ship200.png", [](const fs::path&) {}},
        // A rock, among the first images loaded rather than the last.
        {"an empty rock", "asteroid2_red.png", [](const fs::path& p) { write(p, ""); }},
        {"a rock's PNG cut off in its header", "asteroid2_red.png",
         [](const fs::path& p) { write(p, PNG_SIGNATURE + std::string("\0\0\0\x0dIHDR\0\0\x01\0", 12)); }},
        {"a rock that is a GIF", "asteroid2_red.png", [](const fs::path& p) { write(p, "GIF89a, or so it says"); }},
    };
    // One copy of the images, with one file changed for each game.
    new_game();
    Launch launch;
    launch.folder = game->scratch();
    const fs::path assets = launch.folder / "assets";
    fs::copy(fs::path(SOURCE_DIR) / "assets", assets);
    const fs::path kept = launch.folder / "kept.png";
    for (const Hostile& c : cases) {
        SCOPED_TRACE(c.what);
        fs::rename(assets / c.image, kept);
        c.plant(assets / c.image);
        ASSERT_TRUE(game->start(launch));
        expect_texture_failure(c.what);
        fs::remove(assets / c.image);
        fs::rename(kept, assets / c.image);
    }
}

TEST_P(Game, AVeryLargeValidImageLoadsAndTheGameReachesItsReadyScreen)
{
    REQUIRE(Need::Folder);
    constexpr int SIDE = 8192;
    new_game();
    const fs::path folder = game->scratch();
    fs::copy(fs::path(SOURCE_DIR) / "assets", folder / "assets");
    SDL_Surface* huge = SDL_CreateRGBSurfaceWithFormat(0, SIDE, SIDE, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(huge, nullptr) << SDL_GetError();
    SDL_FillRect(huge, nullptr, SDL_MapRGBA(huge->format, 40, 200, 90, 255));
    const bool saved = IMG_SavePNG(huge, (folder / "assets" / "ship359.png").c_str()) == 0;
    SDL_FreeSurface(huge);
    ASSERT_TRUE(saved) << SDL_GetError();

    Launch launch;
    launch.folder = folder;
    ASSERT_NO_FATAL_FAILURE(start(clear_text_second(), launch));
    // A process's most memory is known once it has ended; a page's is what it
    // holds now.
    if (game->pid() != -1) {
        ASSERT_TRUE(game->close());
        expect_quiet_end("window closed on the ready screen");
    }
    // The decoded image is 256 MiB; a surface, its texture and the driver's
    // copy of it fit four times over.
    const long decoded = long(SIDE) * SIDE * 4 / 1024;
    EXPECT_LE(game->peak_kib(), 4 * decoded);
    std::cout << GetParam() << ": an 8192 x 8192 image: peak resident memory " << game->peak_kib() / 1024 << " MiB\n";
}

// With no display to be found SDL falls back to a driver that shows nothing;
// the game must not wait for ever in a window nobody can see.
TEST_P(Game, WithoutADisplayItSaysSoAndExitsWithOne)
{
    REQUIRE(Need::NoDisplay);
    struct Missing {
        const char* what;
        Environment env;
        // What a system library may say on standard error about a session
        // with no display at all (Wayland's, without a runtime folder) is
        // its own.
        bool quiet_errors;
    };
    const Missing cases[] = {
        {"no display at all", {{"SDL_VIDEODRIVER", std::nullopt}, {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}},
         false},
        {"X asked for by name with no X display", {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", std::nullopt}}, true},
    };
    for (const Missing& c : cases) {
        new_game();
        Launch launch;
        launch.env = c.env;
        ASSERT_TRUE(game->start(launch));
        const std::optional<int> status = game->wait(PATIENCE);
        ASSERT_TRUE(status.has_value()) << c.what << ": the game did not end (waiting on a dialog?)";
        EXPECT_EQ(*status, 1) << c.what;
        EXPECT_EQ(game->console().out, "ERROR IN MAIN(): 1\n\n") << c.what;
        if (c.quiet_errors) {
            EXPECT_EQ(game->console().err, "") << c.what;
        }
    }
}

// SDL's dummy driver, asked for by name: the player's choice, whatever the
// display.
const Environment DUMMY_DRIVER = {{"SDL_VIDEODRIVER", "dummy"}, {"DISPLAY", std::nullopt}};
// Long enough for any backend's game to have started SDL, and so to have
// taken over the signals, or to have given up.
constexpr auto SDL_STARTED = 2s;

// The game starts on the dummy driver, and plays until it is stopped (see
// Stopping, below).
TEST_P(Game, ADriverThatShowsNothingStillRunsWhenAskedForByName)
{
    REQUIRE(Need::NamedDriver);
    Launch launch;
    launch.env = DUMMY_DRIVER;
    new_game();
    ASSERT_TRUE(game->start(launch));
    std::this_thread::sleep_for(SDL_STARTED);
    ASSERT_TRUE(game->running()) << "the game ended: " << game->console().out << game->console().err;
}

TEST_P(Game, OnAWaylandDesktopWithoutXItShowsTheReadyScreen)
{
    REQUIRE(Need::Wayland);
    REQUIRE(Need::Signals);
    Launch launch;
    launch.wayland = true;
    ASSERT_NO_FATAL_FAILURE(start(clear_text_second(), launch));
    EXPECT_TRUE(shows_text(game->screen(), ready_lines(1)));
    ASSERT_TRUE(game->signal(SIGTERM));
    expect_quiet_end("SIGTERM on Wayland");
}

TEST_P(Game, StartedFromTheDesktopWithoutItsImagesItShowsTheErrorInAMessageBox)
{
    REQUIRE(Need::MessageBox);
    new_game();
    Launch launch;
    launch.folder = game->scratch();
    launch.from_the_desktop = true;
    ASSERT_TRUE(game->start(launch));
    ASSERT_TRUE(poll_until([&] { return game->shows_dialog() || !game->running(); }, PATIENCE, 10ms))
        << "no message box";
    ASSERT_TRUE(game->shows_dialog()) << "no message box";
    EXPECT_TRUE(caught_up() && game->running()) << "the game did not wait for the player to read the message";
    ASSERT_TRUE(game->close());
    const std::optional<int> status = game->wait(PATIENCE);
    ASSERT_TRUE(status.has_value()) << "the game did not end once the message was closed";
    EXPECT_EQ(*status, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Game, ::testing::ValuesIn(chosen_backends()),
                         [](const auto& backend) { return backend.param.name; });

namespace {

// The screens a player can stop the game on, and the ways of stopping it.
enum class Screen { Ready, Play, GameOver, DummyDriver };
const char* const SCREENS[] = {"OnTheReadyScreen", "DuringPlay", "OnTheGameOverScreen", "OnTheDummyDriver"};
struct Way {
    const char* name;
    Need need;
    std::function<bool(RunningGame&)> stop;
};
const Way WAYS[] = {
    {"BySIGTERM", Need::Signals, [](RunningGame& g) { return g.signal(SIGTERM); }},
    {"BySIGINT", Need::Signals, [](RunningGame& g) { return g.signal(SIGINT); }},
    {"ByClosingTheWindow", Need::Close, [](RunningGame& g) { return g.close(); }},
};

using Stop = std::tuple<Backend, Screen, int>;

class Stopping : public Scenario, public ::testing::WithParamInterface<Stop> {
protected:
    const Backend& backend() const override { return std::get<0>(GetParam()); }
};

std::string stop_name(const ::testing::TestParamInfo<Stop>& cell)
{
    const auto& [b, screen, way] = cell.param;
    return b.name + "_" + SCREENS[int(screen)] + "_" + WAYS[way].name;
}

} // namespace

// Each way of stopping the game ends it quietly, on every screen.
TEST_P(Stopping, EndsTheGameQuietly)
{
    const auto& [b, screen, way] = GetParam();
    (void)b;
    REQUIRE(WAYS[way].need);
    if (screen == Screen::DummyDriver) {
        REQUIRE(Need::NamedDriver);
        if (WAYS[way].need == Need::Close) {
            GTEST_SKIP() << "on a driver that shows nothing the game has no window to close";
        }
        Launch launch;
        launch.env = DUMMY_DRIVER;
        new_game();
        ASSERT_TRUE(game->start(launch));
        std::this_thread::sleep_for(SDL_STARTED);
    } else {
        ASSERT_NO_FATAL_FAILURE(start(screen == Screen::GameOver ? losing_second() : calm_second()));
    }
    if (screen == Screen::Play) {
        ASSERT_NO_FATAL_FAILURE(start_play());
    } else if (screen == Screen::GameOver) {
        // The screen waits: only Escape or a way of stopping the game ends it.
        ASSERT_NO_FATAL_FAILURE(lose());
        ASSERT_TRUE(caught_up());
        ASSERT_TRUE(game->running()) << "the game ended by itself";
    }
    ASSERT_TRUE(WAYS[way].stop(*game));
    expect_quiet_end(std::string(WAYS[way].name) + " " + SCREENS[int(screen)]);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Stopping,
                         ::testing::Combine(::testing::ValuesIn(chosen_backends()),
                                            ::testing::Values(Screen::Ready, Screen::Play, Screen::GameOver,
                                                              Screen::DummyDriver),
                                            ::testing::Range(0, int(std::size(WAYS)))),
                         stop_name);

// Each C library's rand() as the tests deal it is that library's: glibc's
// against this machine's own, Microsoft's and musl's against what their
// libraries draw (msvcrt.dll under Wine, and emscripten's musl in Node).
TEST(DealingLike, EachCLibrarysRandDrawsWhatItsLibraryDraws)
{
    const auto glibc_srand = reinterpret_cast<void (*)(unsigned)>(dlsym(RTLD_NEXT, "srand"));
    const auto glibc_rand = reinterpret_cast<int (*)()>(dlsym(RTLD_NEXT, "rand"));
    ASSERT_TRUE(glibc_srand != nullptr && glibc_rand != nullptr) << dlerror();
    struct Drawn {
        CLibrary library;
        unsigned seed;
        std::vector<int> first;
    };
    std::vector<Drawn> known = {
        {CLibrary::Msvcrt, 1, {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}},
        {CLibrary::Msvcrt, 1'800'000'000, {20497, 6415, 16965, 15232, 11500, 20028, 8896, 28748, 2317, 21132}},
        {CLibrary::Musl,
         1,
         {0, 740882966, 1616430695, 1708849955, 1669437588, 406334850, 276737754, 1296416700, 672443628, 1438950452}},
        {CLibrary::Musl,
         1'800'000'000,
         {955532215, 1275093054, 254322008, 166269143, 228777258, 600297855, 126373531, 970786867, 276988523,
          543771076}},
    };
    for (const unsigned seed : {0u, 1u, 42u, 1'800'000'000u, 4'294'967'295u}) {
        glibc_srand(seed);
        Drawn drawn{CLibrary::Glibc, seed, {}};
        for (int i = 0; i < 50; ++i) {
            drawn.first.push_back(glibc_rand());
        }
        known.push_back(drawn);
    }
    for (const Drawn& d : known) {
        const DealingLike dealing(d.library);
        std::srand(d.seed);
        std::vector<int> ours;
        for (std::size_t i = 0; i < d.first.size(); ++i) {
            ours.push_back(std::rand());
        }
        EXPECT_EQ(ours, d.first) << "library " << int(d.library) << ", seed " << d.seed;
    }
}
