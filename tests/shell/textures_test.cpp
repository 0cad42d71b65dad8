#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "canvas.h"
#include "temp_dir.h"
#include "textures.h"

namespace {

namespace fs = std::filesystem;

const char* const COLOUR_WORDS[] = {"blue", "green", "pink", "red", "white", "yellow"};

// Every image the game loads, in the order it must load them.
std::vector<std::string> catalogue()
{
    std::vector<std::string> names;
    for (int i = 0; i < ASTEROID_TEXTURE_COUNT; ++i) {
        names.push_back("asteroid" + std::to_string(i / ASTEROID_COLOURS + 1) + "_" +
                        COLOUR_WORDS[i % ASTEROID_COLOURS] + ".png");
    }
    for (int i = 0; i < SHIP_TEXTURE_COUNT; ++i) {
        names.push_back("ship" + std::to_string(i) + ".png");
    }
    return names;
}

// The colour that tells image number i (in load order) apart from the rest.
Rgba mark(int i)
{
    return Rgba{Uint8(i & 0xFF), Uint8(i >> 8), 99, 255};
}

// Every descriptor the process holds, with what it points at.
std::map<int, std::string> descriptors()
{
    std::map<int, std::string> open;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code gone; // closed between the listing and the look
        open[std::stoi(entry.path().filename())] = fs::read_symlink(entry.path(), gone).string();
    }
    return open;
}

// What the process has read from files and pipes so far, in bytes.
long long bytes_read()
{
    std::ifstream io("/proc/self/io");
    std::string name;
    long long value = -1;
    while (io >> name >> value && name != "rchar:") {
    }
    return value;
}

// A working directory of its own with an assets/ directory of small images,
// each 3 x 2 pixels (not square) and coloured by its place in the catalogue.
class AssetsDirectory : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(canvas.ready());
        fs::create_directories(root / "assets");
        const std::vector<std::string> names = catalogue();
        for (int i = 0; i < int(names.size()); ++i) {
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 3, 2, 32, SDL_PIXELFORMAT_ARGB8888);
            const Rgba c = mark(i);
            SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, c.r, c.g, c.b, c.a));
            ASSERT_EQ(IMG_SavePNG(s, (root / "assets" / names[i]).c_str()), 0);
            SDL_FreeSurface(s);
        }
        previous = fs::current_path();
        fs::current_path(root);
    }

    void TearDown() override
    {
        empty_texture_tables();
        fs::current_path(previous);
    }

    // Loads, expecting the one failure the catalogue reports after this many
    // images of each table and no descriptor left open or moved; then empties
    // the tables for another try.
    static void expect_failure(int rocks, int ships, const std::string& what = "")
    {
        const std::map<int, std::string> before = descriptors();
        try {
            texture_init();
            ADD_FAILURE() << "loading succeeded";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Texture loading failed");
        }
        EXPECT_EQ(descriptors(), before) << "descriptors after a failed load";
        EXPECT_EQ(loaded(asteroid_textures, ASTEROID_TEXTURE_COUNT), rocks) << what;
        EXPECT_EQ(loaded(ship_textures, SHIP_TEXTURE_COUNT), ships) << what;
        empty_texture_tables();
    }

    static int loaded(SDL_Texture* const* table, int count)
    {
        const int n = int(std::find(table, table + count, nullptr) - table);
        for (int i = n; i < count; ++i) {
            EXPECT_EQ(table[i], nullptr) << "entry " << i << " loaded after a failure";
        }
        return n;
    }

    Canvas canvas;
    const TempDir tmp{"textures"};
    const fs::path root = tmp.path();
    const fs::path ship7 = root / "assets" / "ship7.png";
    fs::path previous;
};

} // namespace

TEST_F(AssetsDirectory, LoadsEveryImageIntoItsEntryWithBlending)
{
    const std::map<int, std::string> before = descriptors();
    texture_init();
    EXPECT_EQ(descriptors(), before) << "descriptors after every image loaded";
    for (int i = 0; i < ASTEROID_TEXTURE_COUNT + SHIP_TEXTURE_COUNT; ++i) {
        SDL_Texture* t = i < ASTEROID_TEXTURE_COUNT ? asteroid_textures[i] : ship_textures[i - ASTEROID_TEXTURE_COUNT];
        ASSERT_NE(t, nullptr) << "image " << i;
        SDL_BlendMode mode = SDL_BLENDMODE_NONE;
        SDL_GetTextureBlendMode(t, &mode);
        EXPECT_EQ(mode, SDL_BLENDMODE_BLEND) << "image " << i;
        // Drawn scaled into a square, as the game draws it.
        const SDL_Rect square{0, 0, 20, 20};
        SDL_RenderCopy(sdlRenderer, t, nullptr, &square);
        EXPECT_EQ(canvas.pixel(0, 0), mark(i)) << "image " << i << " came from the wrong file";
        EXPECT_EQ(canvas.pixel(19, 19), mark(i)) << "image " << i;
    }
    texture_free();
    empty_texture_tables(false);
}

TEST_F(AssetsDirectory, AnyImageSDLCanReadLoadsWhateverItsName)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 5, 9, 32, SDL_PIXELFORMAT_ARGB8888);
    const Rgba c = mark(ASTEROID_TEXTURE_COUNT + 7);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, c.r, c.g, c.b, c.a));
    ASSERT_EQ(SDL_SaveBMP(s, ship7.c_str()), 0);
    SDL_FreeSurface(s);

    texture_init();
    const SDL_Rect square{0, 0, 30, 30};
    SDL_RenderCopy(sdlRenderer, ship_textures[7], nullptr, &square);
    EXPECT_EQ(canvas.pixel(29, 29), c) << "a BMP named .png";
}

TEST_F(AssetsDirectory, AMissingRockStopsLoadingThereBeforeAnyShip)
{
    fs::remove(root / "assets" / "asteroid2_pink.png");
    expect_failure(8, 0);
}

TEST_F(AssetsDirectory, AMissingShipImageStopsLoadingThere)
{
    fs::remove(root / "assets" / "ship200.png");
    expect_failure(ASTEROID_TEXTURE_COUNT, 200);
}

TEST_F(AssetsDirectory, UnreadableImagesFailLikeMissingOnes)
{
    // Among them the image cut off before the header's width and height: it is
    // refused without a look past its end (the reused buffer hides such a look
    // from AddressSanitizer, not from the library checks of the sanitizer build).
    std::ifstream in(ship7, std::ios::binary);
    const std::string png(std::istreambuf_iterator<char>(in), {});
    const std::string truncated("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0", 18);
    std::vector<std::string> contents = {std::string(), std::string("not an image at all"), truncated};
    for (std::size_t length : {1, 8, 16, 20, 23}) {
        contents.push_back(png.substr(0, length));
    }
    for (const std::string& content : contents) {
        ASSERT_TRUE(std::ofstream(ship7, std::ios::binary) << content);
        ::testing::internal::CaptureStderr();
        expect_failure(ASTEROID_TEXTURE_COUNT, 7, std::to_string(content.size()) + " bytes");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "the decoder's own complaint reached the console";
    }
    fs::remove(ship7);
    fs::create_directory(ship7);
    expect_failure(ASTEROID_TEXTURE_COUNT, 7, "a directory in place of the image");

    // A pipe nobody writes to would block a plain read for ever.
    fs::remove(ship7);
    ASSERT_EQ(mkfifo(ship7.c_str(), 0644), 0);
    expect_failure(ASTEROID_TEXTURE_COUNT, 7, "a pipe in place of the image");
}

TEST_F(AssetsDirectory, NoAssetsDirectoryLoadsNothing)
{
    fs::remove_all(root / "assets");
    expect_failure(0, 0);
}

TEST_F(AssetsDirectory, AFileOverTheSizeLimitIsRefusedWithoutBeingRead)
{
    // Sparse: as big as it claims, yet it costs nothing to make.
    constexpr off_t OVER_THE_LIMIT = 64 * 1024 * 1024 + 1;
    ASSERT_EQ(truncate(ship7.c_str(), OVER_THE_LIMIT), 0);
    const long long before = bytes_read();
    expect_failure(ASTEROID_TEXTURE_COUNT, 7);
    EXPECT_LT(bytes_read() - before, OVER_THE_LIMIT / 16) << "the file was read in";
}

TEST_F(AssetsDirectory, APngLongerThan8192PixelsOnEitherSideIsRefused)
{
    const std::tuple<int, int, bool> cases[] = {{8193, 1, false}, {1, 8193, false}, {8192, 1, true}, {1, 8192, true}};
    for (const auto& [width, height, loads] : cases) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
        ASSERT_EQ(IMG_SavePNG(s, ship7.c_str()), 0);
        SDL_FreeSurface(s);
        if (loads) {
            texture_init();
            int w = 0;
            int h = 0;
            SDL_QueryTexture(ship_textures[7], nullptr, nullptr, &w, &h);
            EXPECT_EQ(std::pair(w, h), std::pair(width, height));
            empty_texture_tables();
        } else {
            expect_failure(ASTEROID_TEXTURE_COUNT, 7, std::to_string(width) + " x " + std::to_string(height));
        }
    }
}
