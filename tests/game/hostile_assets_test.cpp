// The real game with a missing, damaged, odd or enormous image in assets/: it
// either loads and plays or says "Texture loading failed" and ends with status
// 1, within a time limit and a memory bound, whatever the file holds.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

#include "game_process.h"
#include "game_session.h"
#include "screen_text.h"
#include "temp_dir.h"
#include "x_session.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path GAME = ROCKDRIFT_PATH;
const fs::path SOURCE = SOURCE_DIR;

// The last image the game loads: every other one is already in memory when it
// is read.
const std::string VICTIM = "ship359.png";

constexpr long MIB = 1024;  // in KiB, the unit of ru_maxrss
// A game that gives up on an image needs no more than this at any moment:
// about a hundred times less than the absurd header asks for, and twice what
// the sanitizer build uses with every other image loaded.
constexpr long FAILED_GAME_BOUND = 384 * MIB;

// How a game ended, and the most resident memory it ever had.
struct Ending {
    std::optional<int> status;
    long peak_kib = 0;
    std::string out;
    std::string err;
};

// Waits for the game to end and reads its peak resident memory before it is
// reaped: the waitid system call (unlike the C library's wrapper) also fills
// in the usage, and with WNOWAIT leaves the game a zombie, so GameProcess then
// collects its status as usual.
Ending wait_for_end(GameProcess& game, std::chrono::milliseconds timeout)
{
    Ending e;
    const auto ended = [&] {
        siginfo_t info{};
        rusage usage{};
        if (syscall(SYS_waitid, P_PID, game.pid(), &info, WEXITED | WNOWAIT | WNOHANG, &usage) != 0 ||
            info.si_pid != game.pid()) {
            return false;
        }
        e.peak_kib = usage.ru_maxrss;
        e.status = game.wait(5s);
        return true;
    };
    poll_until(ended, timeout, 5ms);
    e.out = game.out();
    e.err = game.err();
    return e;
}

void write(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

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

// A working directory whose assets/ links to every real image, so that one
// of them can be swapped for something hostile.
class HostileAssets : public GameSession {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(GameSession::SetUp());
        fs::create_directories(root / "assets");
        for (const auto& entry : fs::directory_iterator(SOURCE / "assets")) {
            fs::create_symlink(entry.path(), root / "assets" / entry.path().filename());
        }
    }
    fs::path image(const std::string& name) const { return root / "assets" / name; }
    fs::path victim() const { return image(VICTIM); }

    // Writes a file of its own in place of the link, never through it.
    void replace(const std::string& name, const std::string& bytes) const
    {
        fs::remove(image(name));
        write(image(name), bytes);
    }

    // The game gives up with its one line and status 1, in bounded memory.
    void expect_texture_failure(const std::string& what)
    {
        GameProcess game(GAME, root);
        const Ending e = wait_for_end(game, patience.left(PATIENCE));
        patience.renew_on(e.status);
        ASSERT_TRUE(e.status.has_value()) << what << ": the game did not end";
        EXPECT_EQ(*e.status, 1) << what;
        EXPECT_EQ(e.err, "Texture loading failed\n") << what;
        EXPECT_EQ(e.out, "") << what;
        EXPECT_LE(e.peak_kib, FAILED_GAME_BOUND) << what;
        std::cout << what << ": failed to load, peak resident memory " << e.peak_kib / MIB << " MiB\n";
    }

    const TempDir tmp{"hostile"};
    const fs::path root = tmp.path();
};

struct Hostile {
    const char* what;
    std::function<void(const fs::path&)> plant;
};

} // namespace

TEST_F(HostileAssets, AnImageThatCannotBeReadEndsTheGameWithOneLineAndStatusOne)
{
    const std::string real = read_file(SOURCE / "assets" / VICTIM);
    ASSERT_GT(real.size(), 100u);
    const Hostile cases[] = {
        {"an empty file", [](const fs::path& p) { write(p, ""); }},
        {"a text file named .png", [](const fs::path& p) { write(p, "This is not a picture of a ship.\n"); }},
        {"a PNG cut off halfway", [&real](const fs::path& p) { write(p, real.substr(0, real.size() / 2)); }},
        {"a PNG whose header claims 100000 x 100000 pixels",
         [](const fs::path& p) { write(p, png_claiming(100000, 100000)); }},
        // Small enough for any machine to allocate, so only the game can
        // refuse it: decoding would take 1.5 GiB.
        {"a PNG whose header claims 20000 x 20000 pixels",
         [](const fs::path& p) { write(p, png_claiming(20000, 20000)); }},
        {"a directory", [](const fs::path& p) { fs::create_directory(p); }},
        {"a symbolic link to itself", [](const fs::path& p) { fs::create_symlink(p.filename(), p); }},
    };
    for (const Hostile& c : cases) {
        fs::remove(victim());
        c.plant(victim());
        expect_texture_failure(c.what);
    }
}

TEST_F(HostileAssets, AMissingAssetsDirectoryFailsToLoad)
{
    fs::remove_all(root / "assets");
    expect_texture_failure("no assets directory");
}

TEST_F(HostileAssets, AMissingShipImageFailsToLoad)
{
    fs::remove(image("ship200.png"));
    expect_texture_failure("no ship200.png");
}

// A rock, among the first images loaded rather than the last.
TEST_F(HostileAssets, AnEmptyOrCorruptRockImageFailsToLoad)
{
    replace("asteroid2_red.png", "");
    expect_texture_failure("an empty image");
    replace("asteroid2_red.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\0", 20));
    expect_texture_failure("a truncated PNG");
    replace("asteroid2_red.png", "GIF89a, or so it says");
    expect_texture_failure("garbage");
}

TEST_F(HostileAssets, AVeryLargeValidImageLoadsAndTheGameReachesItsReadyScreen)
{
    constexpr int SIDE = 8192;
    SDL_Surface* huge = SDL_CreateRGBSurfaceWithFormat(0, SIDE, SIDE, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(huge, nullptr) << SDL_GetError();
    SDL_FillRect(huge, nullptr, SDL_MapRGBA(huge->format, 40, 200, 90, 255));
    fs::remove(victim());
    const bool saved = IMG_SavePNG(huge, victim().c_str()) == 0;
    SDL_FreeSurface(huge);
    ASSERT_TRUE(saved) << SDL_GetError();

    // Any other seed may put a white rock under the text.
    ASSERT_NO_FATAL_FAILURE(start(GAME, root, started_in(clear_text_rows_seed())));
    x.request_close(window);

    const Ending e = wait_for_end(*game, patience.left(PATIENCE));
    ASSERT_TRUE(e.status.has_value()) << "the game did not end";
    EXPECT_EQ(*e.status, 0);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.err, "");
    // The decoded image is 256 MiB; a surface, its texture and the driver's
    // copy of it fit four times over.
    const long decoded = long(SIDE) * SIDE * 4 / 1024;
    EXPECT_LE(e.peak_kib, 4 * decoded);
    std::cout << "an 8192 x 8192 image: loaded, peak resident memory " << e.peak_kib / MIB << " MiB\n";
}
