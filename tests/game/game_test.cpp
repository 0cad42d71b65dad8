// The real game as players get it, each scenario played every way the game
// runs (tests/support/backends.h): the game's screens and keys, its endings,
// its failures, and images it cannot read. Each game starts in a second
// chosen for its rocks, so that no rock can spoil a scenario.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
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

using Game = Scenario;

// The ways a player or the desktop stops a game, and what each needs.
struct Stop {
    const char* how;
    Need need;
    std::function<bool(RunningGame&)> stop;
};
const Stop STOPS[] = {
    {"SIGTERM", Need::Signals, [](RunningGame& g) { return g.signal(SIGTERM); }},
    {"SIGINT", Need::Signals, [](RunningGame& g) { return g.signal(SIGINT); }},
    {"a window-close request", Need::Close, [](RunningGame& g) { return g.close(); }},
};

// The stops this backend can make.
std::vector<Stop> stops_for(const Backend& b)
{
    std::vector<Stop> stops;
    std::copy_if(std::begin(STOPS), std::end(STOPS), std::back_inserter(stops),
                 [&](const Stop& s) { return b.lacks(s.need) == nullptr; });
    return stops;
}

// Skips the scenario where the backend can make no stop, saying why.
#define REQUIRE_A_STOP()                                                                                 \
    if (stops_for(GetParam()).empty()) {                                                             \
        GTEST_SKIP() << GetParam().lacks(Need::Signals) << "; " << GetParam().lacks(Need::Close);     \
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
    std::this_thread::sleep_for(300ms);
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
    ASSERT_TRUE(wait_for([](const Screenshot& s) { return shows_ready_letters(s, 2); }))
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
    ASSERT_NO_FATAL_FAILURE(start(losing_second()));
    ASSERT_TRUE(game->keys("space"));
    ASSERT_TRUE(wait_for(shows_game_over)) << "no game-over screen";
    const Screenshot over = game->screen();
    EXPECT_TRUE(mostly_background(over)) << "the last frame of play is not kept";

    ASSERT_TRUE(game->keys("space a Return Up"));
    ASSERT_TRUE(game->click(WIDTH / 2, 100, 1));
    ASSERT_TRUE(game->click(100, 600, 3));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(game->screen() == over) << "other keys or clicks changed the game-over screen";
    ASSERT_TRUE(game->running()) << "other keys or clicks ended the game";
    ASSERT_TRUE(game->keys("Escape"));
    expect_quiet_end("Escape on the game-over screen");
}

TEST_P(Game, StoppingItOnTheReadyScreenEndsItQuietly)
{
    REQUIRE_A_STOP();
    for (const Stop& s : stops_for(GetParam())) {
        new_game();
        ASSERT_NO_FATAL_FAILURE(start(calm_second()));
        ASSERT_TRUE(s.stop(*game));
        expect_quiet_end(std::string(s.how) + " on the ready screen");
    }
}

TEST_P(Game, StoppingItDuringPlayEndsItQuietly)
{
    REQUIRE_A_STOP();
    for (const Stop& s : stops_for(GetParam())) {
        new_game();
        ASSERT_NO_FATAL_FAILURE(start(calm_second()));
        ASSERT_NO_FATAL_FAILURE(start_play());
        std::this_thread::sleep_for(200ms);
        ASSERT_TRUE(s.stop(*game));
        expect_quiet_end(std::string(s.how) + " during play");
    }
}

TEST_P(Game, StoppingItOnTheGameOverScreenEndsItQuietly)
{
    REQUIRE_A_STOP();
    for (const Stop& s : stops_for(GetParam())) {
        new_game();
        ASSERT_NO_FATAL_FAILURE(start(losing_second()));
        ASSERT_TRUE(game->keys("space"));
        ASSERT_TRUE(wait_for(shows_game_over)) << "no game-over screen";
        // The screen waits: only Escape or a way of stopping the game ends it.
        std::this_thread::sleep_for(200ms);
        ASSERT_TRUE(game->running()) << "the game ended by itself";
        ASSERT_TRUE(s.stop(*game));
        expect_quiet_end(std::string(s.how) + " on the game-over screen");
    }
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
    for (const Hostile& c : cases) {
        new_game();
        const fs::path folder = game->scratch();
        fs::copy(fs::path(SOURCE_DIR) / "assets", folder / "assets");
        fs::remove(folder / "assets" / c.image);
        c.plant(folder / "assets" / c.image);
        Launch launch;
        launch.folder = folder;
        ASSERT_TRUE(game->start(launch));
        expect_texture_failure(c.what);
    }
}

TEST_P(Game, AVeryLargeValidImageLoadsAndTheGameReachesItsReadyScreen)
{
    REQUIRE(Need::Folder);
    REQUIRE(Need::Close);
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
    ASSERT_TRUE(game->close());
    expect_quiet_end("window closed on the ready screen");
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

// Asked for by name, SDL's dummy driver is the player's choice: the game
// starts on it, and plays until it is stopped.
TEST_P(Game, ADriverThatShowsNothingStillRunsWhenAskedForByName)
{
    REQUIRE(Need::NamedDriver);
    Launch launch;
    launch.env = {{"SDL_VIDEODRIVER", "dummy"}, {"DISPLAY", std::nullopt}};
    new_game();
    ASSERT_TRUE(game->start(launch));
    std::this_thread::sleep_for(2s);
    ASSERT_TRUE(game->running()) << "the game ended: " << game->console().out << game->console().err;
    if (!GetParam().lacks(Need::Signals)) {
        ASSERT_TRUE(game->signal(SIGTERM));
        expect_quiet_end("SIGTERM on the dummy driver");
    }
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
    std::this_thread::sleep_for(200ms);
    EXPECT_TRUE(game->running()) << "the game did not wait for the player to read the message";
    ASSERT_TRUE(game->close());
    const std::optional<int> status = game->wait(PATIENCE);
    ASSERT_TRUE(status.has_value()) << "the game did not end once the message was closed";
    EXPECT_EQ(*status, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Game, ::testing::ValuesIn(chosen_backends()),
                         [](const auto& backend) { return backend.param.name; });
