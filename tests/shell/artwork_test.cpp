// Rules for Rockdrift's artwork: the committed sprites in the assets
// directory are all there at their sizes, the ship images point where their
// names say, the rocks look like rocks of their named colour, and make_art
// regenerates every one's pixels exactly and squeezed them as committed.
//
// Only SDL surfaces are used (no window, no renderer), so these run headless.

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "process.h"
#include "record.h"
#include "temp_dir.h"

#ifndef ASSETS_DIR
#error "ASSETS_DIR must name the directory holding the committed artwork"
#endif
#ifndef MAKE_ART_PATH
#error "MAKE_ART_PATH must name the built make_art tool"
#endif
#ifndef ICONS_DIR
#error "ICONS_DIR must name the directory holding the committed icons"
#endif

namespace {

namespace fs = std::filesystem;

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

// What a rock image shows: the share of its square that is solid (alpha of
// 128 or more) and its alpha-weighted mean colour.
struct RockStats {
    double solidShare = 0.0;
    double r = 0.0, g = 0.0, b = 0.0;
};

// A rock colour, with what a mean colour must show to clearly read as it.
struct RockColour {
    const char* name;
    bool (*looksLike)(const RockStats& c);
};

const RockColour kRockColours[] = {
    {"blue", [](const RockStats& c) { return c.b > c.r + 60 && c.b > c.g + 30; }},
    {"green", [](const RockStats& c) { return c.g > c.r + 50 && c.g > c.b + 50; }},
    {"pink", [](const RockStats& c) { return c.r > 140 && c.b > 100 && c.r > c.g + 50 && c.b > c.g + 30; }},
    {"red", [](const RockStats& c) { return c.r > c.g + 70 && c.r > c.b + 70 && c.g < 90 && c.b < 90; }},
    {"white",
     [](const RockStats& c) {
         const double lo = std::min({c.r, c.g, c.b});
         const double hi = std::max({c.r, c.g, c.b});
         return lo > 120 && hi - lo < 20;
     }},
    {"yellow", [](const RockStats& c) { return c.r > 130 && c.g > 110 && c.b < c.g - 80 && c.b < c.r - 80; }},
};
constexpr int kRockSizes[] = {20, 40, 60}; // for asteroid1, 2, 3
constexpr int kShipSize = 30;
constexpr int kHeadings = 360;

// One image of the game: its file, its side, and the colour of a rock or the
// heading of a ship.
struct Artwork {
    std::string name;
    int size;
    const RockColour* colour;
    int heading;
};

std::vector<Artwork> rocks()
{
    std::vector<Artwork> all;
    for (int level = 1; level <= 3; ++level) {
        for (const RockColour& colour : kRockColours) {
            const std::string name = "asteroid" + std::to_string(level) + "_" + colour.name + ".png";
            all.push_back({name, kRockSizes[level - 1], &colour, 0});
        }
    }
    return all;
}

std::vector<Artwork> ships()
{
    std::vector<Artwork> all;
    for (int heading = 0; heading < kHeadings; ++heading) {
        all.push_back({"ship" + std::to_string(heading) + ".png", kShipSize, nullptr, heading});
    }
    return all;
}

// Every sprite the game loads: the rocks, then the ships.
std::vector<Artwork> allArtwork()
{
    std::vector<Artwork> all = rocks();
    std::ranges::copy(ships(), std::back_inserter(all));
    return all;
}

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype([](SDL_Surface* s) { SDL_FreeSurface(s); })>;

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

Rgba pixel(const SDL_Surface& s, int x, int y)
{
    const auto* p = static_cast<const std::uint8_t*>(s.pixels) + y * s.pitch + x * 4;
    return {p[0], p[1], p[2], p[3]};
}

// Hands every pixel of the image to the visitor, row by row, until a check
// fails fatally.
template <typename Visit> void forEachPixel(const SDL_Surface& s, Visit visit)
{
    for (int i = 0; i < s.w * s.h && !::testing::Test::HasFatalFailure(); ++i) {
        visit(i % s.w, i / s.w, pixel(s, i % s.w, i / s.w));
    }
}

// Loads each committed image in turn and hands it to the check; a failure
// names the image.
template <typename Check> void forEachImage(const std::vector<Artwork>& images, Check check)
{
    for (const Artwork& art : images) {
        SCOPED_TRACE(art.name);
        const SurfacePtr s = loadAsset(art.name);
        ASSERT_TRUE(s) << "does not load: " << IMG_GetError();
        check(art, *s);
    }
}

TEST(Artwork, EveryImageLoadsAtItsExactSize)
{
    forEachImage(allArtwork(), [](const Artwork& art, const SDL_Surface& s) {
        EXPECT_EQ(s.w, art.size);
        EXPECT_EQ(s.h, art.size);
    });
}

// The ship

// A pixel counts as part of the ship when it is at least this opaque.
constexpr int kSolidAlpha = 64;

// Reads the heading from the pixels: the nose tip is the farthest solid
// point from the centre, so the alpha-weighted middle of the farthest pixels
// points along the nose. Returns degrees with 0 = up, growing counter-
// clockwise on screen (90 = nose to the left, towards -x).
double measuredHeading(const SDL_Surface& s)
{
    const double c = s.w / 2.0;
    double farthest = 0.0;
    forEachPixel(s, [&](int x, int y, Rgba p) {
        if (p.a >= kSolidAlpha) {
            farthest = std::max(farthest, std::hypot(x + 0.5 - c, y + 0.5 - c));
        }
    });
    constexpr double kTipDepth = 2.0; // px back from the very tip
    double sumX = 0.0;
    double sumY = 0.0;
    forEachPixel(s, [&](int x, int y, Rgba p) {
        const double dx = x + 0.5 - c;
        const double dy = y + 0.5 - c;
        if (p.a >= kSolidAlpha && std::hypot(dx, dy) >= farthest - kTipDepth) {
            sumX += p.a * dx;
            sumY += p.a * dy;
        }
    });
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
    forEachImage(ships(), [&](const Artwork& ship, const SDL_Surface& s) {
        const double measured = measuredHeading(s);
        EXPECT_LE(angleBetween(measured, ship.heading), kToleranceDegrees) << "points at " << measured << " degrees";
    });
}

TEST(ShipArtwork, EveryShipImageIsTransparentAroundTheShip)
{
    forEachImage(ships(), [](const Artwork&, const SDL_Surface& s) {
        // Nothing outside the circle the ship turns in, so it never clips.
        const double c = s.w / 2.0;
        forEachPixel(s, [&](int x, int y, Rgba p) {
            if (std::hypot(x + 0.5 - c, y + 0.5 - c) > c) {
                ASSERT_EQ(p.a, 0) << "a visible pixel at (" << x << ", " << y << ")";
            }
        });
    });
}

TEST(ShipArtwork, EveryShipImageHasASolidBody)
{
    forEachImage(ships(), [](const Artwork&, const SDL_Surface& s) {
        int solid = 0;
        forEachPixel(s, [&](int, int, Rgba p) { solid += p.a >= 128 ? 1 : 0; });
        EXPECT_GE(solid, 100) << "only " << solid << " solid pixels";
        EXPECT_EQ(pixel(s, kShipSize / 2, kShipSize / 2).a, 255) << "not solid at its centre";
    });
}

// The rocks

RockStats rockStats(const SDL_Surface& s)
{
    RockStats st;
    double weight = 0.0;
    int solid = 0;
    forEachPixel(s, [&](int, int, Rgba p) {
        solid += p.a >= 128 ? 1 : 0;
        weight += p.a;
        st.r += p.a * p.r;
        st.g += p.a * p.g;
        st.b += p.a * p.b;
    });
    st.solidShare = static_cast<double>(solid) / (s.w * s.h);
    if (weight > 0) {
        st.r /= weight;
        st.g /= weight;
        st.b /= weight;
    }
    return st;
}

TEST(RockArtwork, EveryRockIsTransparentInItsCorners)
{
    forEachImage(rocks(), [](const Artwork&, const SDL_Surface& s) {
        constexpr int kCorner = 3; // px square checked in each corner
        const int far = s.w - 1;
        forEachPixel(s, [&](int x, int y, Rgba p) {
            if (std::min(x, far - x) < kCorner && std::min(y, far - y) < kCorner) {
                EXPECT_EQ(p.a, 0) << "visible in a corner at (" << x << ", " << y << ")";
            }
        });
    });
}

TEST(RockArtwork, EveryRockFillsMostOfItsSquare)
{
    forEachImage(rocks(), [](const Artwork&, const SDL_Surface& s) {
        // A disc with the game's hit radius (half the side) covers 79%.
        EXPECT_GE(rockStats(s).solidShare, 0.5);
        EXPECT_EQ(pixel(s, s.w / 2, s.h / 2).a, 255) << "not solid at its centre";
    });
}

TEST(RockArtwork, EveryRockIsClearlyItsNamedColour)
{
    forEachImage(rocks(), [](const Artwork& rock, const SDL_Surface& s) {
        const RockStats st = rockStats(s);
        EXPECT_TRUE(rock.colour->looksLike(st)) << "mean colour (" << st.r << ", " << st.g << ", " << st.b << ")";
    });
}

TEST(RockArtwork, EveryRockHasItsOwnShape)
{
    std::vector<std::pair<std::string, std::vector<bool>>> shapes;
    forEachImage(rocks(), [&](const Artwork& rock, const SDL_Surface& s) {
        std::vector<bool> mask;
        forEachPixel(s, [&](int, int, Rgba p) { mask.push_back(p.a >= 128); });
        for (const auto& [other, otherMask] : shapes) {
            EXPECT_NE(mask, otherMask) << "the same outline as " << other;
        }
        shapes.emplace_back(rock.name, std::move(mask));
    });
}

// Regenerating the artwork

bool samePixels(const SDL_Surface& a, const SDL_Surface& b)
{
    bool same = a.w == b.w && a.h == b.h;
    forEachPixel(a, [&](int x, int y, Rgba p) { same = same && p == pixel(b, x, y); });
    return same;
}

// make_art draws everything once for these tests, without the squeeze that
// would take it minutes: the pixels are the same.
class ArtGenerator : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        tmp = std::make_unique<TempDir>("art");
        status = run({{MAKE_ART_PATH, "--no-squeeze", tmp->path() / "assets", tmp->path() / "icons"}});
    }
    static void TearDownTestSuite() { tmp.reset(); }
    void SetUp() override { ASSERT_EQ(status, 0) << MAKE_ART_PATH << " failed"; }

    static inline std::unique_ptr<TempDir> tmp;
    static inline std::optional<int> status;
};

TEST_F(ArtGenerator, RegeneratesEveryCommittedImagePixelForPixel)
{
    const fs::path assets = tmp->path() / "assets";
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(assets)) {
        written.insert(entry.path().filename().string());
    }
    std::set<std::string> expected;
    std::ranges::transform(allArtwork(), std::inserter(expected, expected.end()), &Artwork::name);
    EXPECT_EQ(written, expected) << "make_art should write exactly the game's sprites";

    for (const Artwork& art : allArtwork()) {
        const SurfacePtr fresh = loadRgba(assets / art.name);
        const SurfacePtr committed = loadAsset(art.name);
        ASSERT_TRUE(fresh) << "make_art did not write " << art.name;
        ASSERT_TRUE(committed) << art.name;
        EXPECT_TRUE(samePixels(*fresh, *committed))
            << art.name << " differs from what make_art draws; rerun make_art and commit";
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
        EXPECT_EQ(pixel(*s, 0, 0).a, 0) << path << " is not transparent in its corner";
    }
}

// Each committed image and icon is byte for byte what make_art's squeeze
// left, as its record says; the pixels are checked above.
TEST(Artwork, EveryCommittedImageIsAsTheToolSqueezedIt)
{
    for (const fs::path& folder : {fs::path(ASSETS_DIR), fs::path(ICONS_DIR)}) {
        const std::map<std::string, std::string> record = read_record(folder);
        std::size_t images = 0;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.path().extension() == ".png") {
                const std::string path = entry.path().lexically_relative(folder).generic_string();
                ++images;
                EXPECT_EQ(record.contains(path) ? record.at(path) : "nothing", record_of(entry.path()))
                    << folder / path << " is not as make_art squeezed it; rerun make_art and commit";
            }
        }
        EXPECT_EQ(images, record.size()) << folder << " lacks images its record names";
    }
}

TEST(Artwork, MakeArtFailsAtOnceWithoutAnOutputDirectory)
{
    EXPECT_NE(run({{MAKE_ART_PATH}}), 0);
}

} // namespace
