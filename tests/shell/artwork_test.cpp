// Rules for Rockdrift's artwork: the committed sprites in the assets
// directory are all there at their sizes, the ship images point where their
// names say, the rocks look like rocks of their named colour, and make_art
// regenerates every file exactly, squeezed as tightly.
//
// Only SDL surfaces are used (no window, no renderer), so these run headless.

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "temp_dir.h"

#ifndef ASSETS_DIR
#error "ASSETS_DIR must name the directory holding the committed artwork"
#endif
#ifndef MAKE_ART_PATH
#error "MAKE_ART_PATH must name the built make_art tool"
#endif

namespace {

namespace fs = std::filesystem;

constexpr int kShipSize = 30;
constexpr int kHeadings = 360;
constexpr std::array<const char*, 6> kRockColours{"blue", "green", "pink", "red", "white", "yellow"};
constexpr std::array<int, 3> kRockSizes{20, 40, 60}; // for asteroid1, 2, 3

struct Artwork {
    std::string name;
    int size;
};

std::string shipName(int heading)
{
    return "ship" + std::to_string(heading) + ".png";
}

std::string rockName(int level, const std::string& colour)
{
    return "asteroid" + std::to_string(level) + "_" + colour + ".png";
}

std::vector<Artwork> allArtwork()
{
    std::vector<Artwork> all;
    for (int level = 1; level <= 3; ++level) {
        for (const char* colour : kRockColours) {
            all.push_back({rockName(level, colour), kRockSizes[level - 1]});
        }
    }
    for (int heading = 0; heading < kHeadings; ++heading) {
        all.push_back({shipName(heading), kShipSize});
    }
    return all;
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Loads a PNG as RGBA32 (bytes R, G, B, A), so pixels compare the same way
// whatever format the file was saved in. Null if it cannot be loaded.
SurfacePtr loadRgba(const fs::path& path)
{
    SurfacePtr raw(IMG_Load(path.string().c_str()));
    if (!raw)
        return nullptr;
    return SurfacePtr(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

SurfacePtr loadAsset(const std::string& name)
{
    return loadRgba(fs::path(ASSETS_DIR) / name);
}

struct Rgba {
    int r;
    int g;
    int b;
    int a;
};

Rgba pixel(const SDL_Surface* s, int x, int y)
{
    const auto* p = static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

// ---------------------------------------------------------------------------

TEST(Artwork, EveryImageLoadsAtItsExactSize)
{
    for (const Artwork& art : allArtwork()) {
        const SurfacePtr s = loadAsset(art.name);
        ASSERT_TRUE(s) << art.name << " does not load: " << IMG_GetError();
        EXPECT_EQ(s->w, art.size) << art.name;
        EXPECT_EQ(s->h, art.size) << art.name;
    }
}

// ---------------------------------------------------------------------------
// The ship
// ---------------------------------------------------------------------------

// A pixel counts as part of the ship when it is at least this opaque.
constexpr int kSolidAlpha = 64;

// Reads the heading from the pixels: the nose tip is the farthest solid
// point from the centre, so the alpha-weighted middle of the farthest pixels
// points along the nose. Returns degrees with 0 = up, growing counter-
// clockwise on screen (90 = nose to the left, towards -x).
double measuredHeading(const SDL_Surface* s)
{
    const double c = s->w / 2.0;
    double farthest = 0.0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            if (pixel(s, x, y).a >= kSolidAlpha) {
                farthest = std::max(farthest, std::hypot(x + 0.5 - c, y + 0.5 - c));
            }
        }
    }
    constexpr double kTipDepth = 2.0; // px back from the very tip
    double sumX = 0.0;
    double sumY = 0.0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            const int a = pixel(s, x, y).a;
            const double dx = x + 0.5 - c;
            const double dy = y + 0.5 - c;
            if (a >= kSolidAlpha && std::hypot(dx, dy) >= farthest - kTipDepth) {
                sumX += a * dx;
                sumY += a * dy;
            }
        }
    }
    // Nose direction for heading h is (-sin h, -cos h) with y pointing down.
    const double degrees = std::atan2(-sumX, -sumY) * 180.0 / std::numbers::pi;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

double angleBetween(double a, double b)
{
    const double d = std::fmod(std::abs(a - b), 360.0);
    return std::min(d, 360.0 - d);
}

TEST(ShipArtwork, EveryShipImagePointsAtItsHeading)
{
    constexpr double kToleranceDegrees = 3.0;
    for (int heading = 0; heading < kHeadings; ++heading) {
        const std::string name = shipName(heading);
        const SurfacePtr s = loadAsset(name);
        ASSERT_TRUE(s) << name;
        const double measured = measuredHeading(s.get());
        EXPECT_LE(angleBetween(measured, heading), kToleranceDegrees)
            << name << " points at " << measured << " degrees";
    }
}

TEST(ShipArtwork, EveryShipImageIsTransparentAroundTheShip)
{
    for (int heading = 0; heading < kHeadings; ++heading) {
        const std::string name = shipName(heading);
        const SurfacePtr s = loadAsset(name);
        ASSERT_TRUE(s) << name;
        // Nothing outside the circle the ship turns in, so it never clips.
        const double c = s->w / 2.0;
        for (int y = 0; y < s->h; ++y) {
            for (int x = 0; x < s->w; ++x) {
                if (std::hypot(x + 0.5 - c, y + 0.5 - c) > c) {
                    ASSERT_EQ(pixel(s.get(), x, y).a, 0)
                        << name << " has a visible pixel at (" << x << ", " << y << ")";
                }
            }
        }
    }
}

TEST(ShipArtwork, EveryShipImageHasASolidBody)
{
    for (int heading = 0; heading < kHeadings; ++heading) {
        const std::string name = shipName(heading);
        const SurfacePtr s = loadAsset(name);
        ASSERT_TRUE(s) << name;
        int solid = 0;
        for (int y = 0; y < s->h; ++y) {
            for (int x = 0; x < s->w; ++x)
                solid += pixel(s.get(), x, y).a >= 128 ? 1 : 0;
        }
        EXPECT_GE(solid, 100) << name << " has only " << solid << " solid pixels";
        EXPECT_EQ(pixel(s.get(), kShipSize / 2, kShipSize / 2).a, 255) << name << " is not solid at its centre";
    }
}

// ---------------------------------------------------------------------------
// The rocks
// ---------------------------------------------------------------------------

struct RockStats {
    double solidShare = 0.0; // of the square, counting alpha >= 128
    double r = 0.0;          // alpha-weighted mean colour
    double g = 0.0;
    double b = 0.0;
};

RockStats rockStats(const SDL_Surface* s)
{
    RockStats st;
    double weight = 0.0;
    int solid = 0;
    for (int y = 0; y < s->h; ++y) {
        for (int x = 0; x < s->w; ++x) {
            const Rgba p = pixel(s, x, y);
            solid += p.a >= 128 ? 1 : 0;
            weight += p.a;
            st.r += p.a * p.r;
            st.g += p.a * p.g;
            st.b += p.a * p.b;
        }
    }
    st.solidShare = static_cast<double>(solid) / (s->w * s->h);
    if (weight > 0) {
        st.r /= weight;
        st.g /= weight;
        st.b /= weight;
    }
    return st;
}

// Whether a mean colour clearly reads as the named colour.
bool looksLike(const std::string& colour, const RockStats& c)
{
    if (colour == "blue")
        return c.b > c.r + 60 && c.b > c.g + 30;
    if (colour == "green")
        return c.g > c.r + 50 && c.g > c.b + 50;
    if (colour == "red")
        return c.r > c.g + 70 && c.r > c.b + 70 && c.g < 90 && c.b < 90;
    if (colour == "pink")
        return c.r > 140 && c.b > 100 && c.r > c.g + 50 && c.b > c.g + 30;
    if (colour == "yellow")
        return c.r > 130 && c.g > 110 && c.b < c.g - 80 && c.b < c.r - 80;
    if (colour == "white") {
        const double lo = std::min({c.r, c.g, c.b});
        const double hi = std::max({c.r, c.g, c.b});
        return lo > 120 && hi - lo < 20;
    }
    return false;
}

template <typename Check> void forEachRock(Check check)
{
    for (int level = 1; level <= 3; ++level) {
        for (const char* colour : kRockColours) {
            const std::string name = rockName(level, colour);
            const SurfacePtr s = loadAsset(name);
            ASSERT_TRUE(s) << name;
            check(name, colour, *s);
        }
    }
}

TEST(RockArtwork, EveryRockIsTransparentInItsCorners)
{
    forEachRock([](const std::string& name, const std::string&, const SDL_Surface& s) {
        constexpr int kCorner = 3; // px square checked in each corner
        for (int y = 0; y < kCorner; ++y) {
            for (int x = 0; x < kCorner; ++x) {
                const int far = s.w - 1;
                const std::array<std::pair<int, int>, 4> corners{
                    {{x, y}, {far - x, y}, {x, far - y}, {far - x, far - y}}};
                for (auto [px, py] : corners) {
                    EXPECT_EQ(pixel(&s, px, py).a, 0)
                        << name << " is visible in a corner at (" << px << ", " << py << ")";
                }
            }
        }
    });
}

TEST(RockArtwork, EveryRockFillsMostOfItsSquare)
{
    forEachRock([](const std::string& name, const std::string&, const SDL_Surface& s) {
        // A disc with the game's hit radius (half the side) covers 79%.
        const RockStats st = rockStats(&s);
        EXPECT_GE(st.solidShare, 0.5) << name;
        EXPECT_EQ(pixel(&s, s.w / 2, s.h / 2).a, 255) << name << " is not solid at its centre";
    });
}

TEST(RockArtwork, EveryRockIsClearlyItsNamedColour)
{
    forEachRock([](const std::string& name, const std::string& colour, const SDL_Surface& s) {
        const RockStats st = rockStats(&s);
        EXPECT_TRUE(looksLike(colour, st))
            << name << " has mean colour (" << st.r << ", " << st.g << ", " << st.b << ")";
    });
}

TEST(RockArtwork, EveryRockHasItsOwnShape)
{
    std::vector<std::pair<std::string, std::vector<bool>>> shapes;
    forEachRock([&](const std::string& name, const std::string&, const SDL_Surface& s) {
        std::vector<bool> mask;
        for (int y = 0; y < s.h; ++y) {
            for (int x = 0; x < s.w; ++x)
                mask.push_back(pixel(&s, x, y).a >= 128);
        }
        for (const auto& [other, otherMask] : shapes) {
            EXPECT_NE(mask, otherMask) << name << " has the same outline as " << other;
        }
        shapes.emplace_back(name, std::move(mask));
    });
}

// ---------------------------------------------------------------------------
// Regenerating the artwork
// ---------------------------------------------------------------------------

std::string quoted(const fs::path& p)
{
    // Appended piece by piece: g++ 12 at -O3 wrongly warns about "'" + s.
    std::string text = "'";
    text += p.string();
    text += "'";
    return text;
}

int runMakeArt(const fs::path& assets, const fs::path& icons)
{
    const std::string command = quoted(MAKE_ART_PATH) + " " + quoted(assets) + " " + quoted(icons);
    return std::system(command.c_str());
}

bool samePixels(const SDL_Surface& a, const SDL_Surface& b)
{
    if (a.w != b.w || a.h != b.h)
        return false;
    for (int y = 0; y < a.h; ++y) {
        const auto* rowA = static_cast<const std::uint8_t*>(a.pixels) + y * a.pitch;
        const auto* rowB = static_cast<const std::uint8_t*>(b.pixels) + y * b.pitch;
        if (!std::equal(rowA, rowA + a.w * 4, rowB))
            return false;
    }
    return true;
}

// make_art runs once for these tests: squeezing every image takes it about a
// minute.
class ArtGenerator : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        tmp = std::make_unique<TempDir>("art");
        status = runMakeArt(tmp->path() / "assets", tmp->path() / "icons");
    }
    static void TearDownTestSuite() { tmp.reset(); }
    void SetUp() override { ASSERT_EQ(status, 0) << MAKE_ART_PATH << " failed"; }

    static inline std::unique_ptr<TempDir> tmp;
    static inline int status = -1;
};

TEST_F(ArtGenerator, RegeneratesEveryCommittedImagePixelForPixelAsTightlySqueezed)
{
    const fs::path assets = tmp->path() / "assets";
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(assets)) {
        written.insert(entry.path().filename().string());
    }
    std::set<std::string> expected;
    for (const Artwork& art : allArtwork())
        expected.insert(art.name);
    EXPECT_EQ(written, expected) << "make_art should write exactly the game's sprites";

    for (const Artwork& art : allArtwork()) {
        const SurfacePtr fresh = loadRgba(assets / art.name);
        const SurfacePtr committed = loadAsset(art.name);
        ASSERT_TRUE(fresh) << "make_art did not write " << art.name;
        ASSERT_TRUE(committed) << art.name;
        EXPECT_TRUE(samePixels(*fresh, *committed))
            << art.name << " differs from what make_art draws; rerun make_art and commit";
        EXPECT_LE(fs::file_size(fs::path(ASSETS_DIR) / art.name), fs::file_size(assets / art.name))
            << art.name << " is not squeezed as make_art squeezes it; rerun make_art and commit";
    }
}

TEST_F(ArtGenerator, WritesTheDesktopIconAtEveryStandardSize)
{
    const fs::path icons = tmp->path() / "icons";
    for (int size : {16, 24, 32, 48, 64, 128, 192, 256, 512}) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const fs::path path = icons / dim / "apps" / "rockdrift.png";
        const SurfacePtr s = loadRgba(path);
        ASSERT_TRUE(s) << path << " does not load";
        EXPECT_EQ(s->w, size) << path;
        EXPECT_EQ(s->h, size) << path;
        EXPECT_EQ(pixel(s.get(), 0, 0).a, 0) << path << " is not transparent in its corner";
    }
}

TEST_F(ArtGenerator, FailsWithoutAnOutputDirectory)
{
    const std::string command = quoted(MAKE_ART_PATH) + " 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
}

} // namespace
