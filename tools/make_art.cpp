// make_art: draws every sprite of Rockdrift (the rocks and the 360 ship
// headings) and the desktop icon, and saves them as PNG files.
//
//   make_art <assets-dir> [<icons-dir>]
//
// Nothing here is hand-painted: every image is built from vector shapes with
// SDL2_gfx on a software renderer, so the artwork can be regenerated exactly
// and changed by editing numbers. The output is fully deterministic (fixed
// seeds, integer-only supersampling), so running it twice gives the same
// pixels and a test can check the committed files against it.
//
// Each image is drawn 8 times larger than its final size with only opaque
// colours, then box-filtered down with alpha-weighted averaging. That gives
// smooth anti-aliased edges with no dark fringe, because transparent samples
// never contribute their (black) colour to an edge pixel.

#include <SDL.h>
#include <SDL2_gfxPrimitives.h>
#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// Small helpers: maths, colours, random numbers
// ---------------------------------------------------------------------------

constexpr double kPi = std::numbers::pi;

// Every image is drawn this many times larger, then averaged down.
constexpr int kSupersample = 8;

struct Vec2 {
    double x = 0.0;
    double y = 0.0;
};

Vec2 operator+(Vec2 a, Vec2 b)
{
    return {a.x + b.x, a.y + b.y};
}
Vec2 operator-(Vec2 a, Vec2 b)
{
    return {a.x - b.x, a.y - b.y};
}
Vec2 operator*(Vec2 a, double k)
{
    return {a.x * k, a.y * k};
}
double dot(Vec2 a, Vec2 b)
{
    return a.x * b.x + a.y * b.y;
}
double length(Vec2 a)
{
    return std::sqrt(dot(a, a));
}
Vec2 normalized(Vec2 a)
{
    return a * (1.0 / length(a));
}

using Polygon = std::vector<Vec2>;

// Light falls on everything from the upper left of the screen, whatever way a
// sprite is turned, so rocks and ship agree about where the sun is.
const Vec2 kLightDir = normalized({-0.6, -0.8});

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

Rgb operator*(Rgb c, double k)
{
    return {c.r * k, c.g * k, c.b * k};
}

// Linear blend: t = 0 gives a, t = 1 gives b.
Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Uint8 toByte(double v)
{
    return static_cast<Uint8>(std::clamp(std::lround(v), 0L, 255L));
}

// SplitMix64: tiny, fast, and the same on every platform, unlike rand().
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [lo, hi); 53 random bits make an exact double.
    double uniform(double lo, double hi)
    {
        const double unit = static_cast<double>(next() >> 11) * 0x1.0p-53;
        return lo + (hi - lo) * unit;
    }

    int between(int lo, int hi)
    { // inclusive
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

private:
    std::uint64_t state_;
};

// Smooth 2-D value noise on an integer lattice; used to make rock surfaces
// grainy. Hashing the lattice point keeps it stateless and repeatable.
double latticeValue(int x, int y, std::uint64_t seed)
{
    Rng hash(seed ^ (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) ^ static_cast<std::uint32_t>(y));
    return hash.uniform(-1.0, 1.0);
}

double valueNoise(double x, double y, std::uint64_t seed)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
    const double tx = smooth(x - x0);
    const double ty = smooth(y - y0);
    const double top = latticeValue(x0, y0, seed) * (1 - tx) + latticeValue(x0 + 1, y0, seed) * tx;
    const double bottom = latticeValue(x0, y0 + 1, seed) * (1 - tx) + latticeValue(x0 + 1, y0 + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

// ---------------------------------------------------------------------------
// SDL resource handling
// ---------------------------------------------------------------------------

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
struct RendererDeleter {
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDeleter>;

[[noreturn]] void failSdl(const std::string& what)
{
    throw std::runtime_error(what + ": " + SDL_GetError());
}

SurfacePtr makeRgbaSurface(int size)
{
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32));
    if (!s)
        failSdl("cannot create a " + std::to_string(size) + "px surface");
    return s;
}

// Bytes of one pixel of an SDL_PIXELFORMAT_RGBA32 surface: R, G, B, A.
Uint8* pixelAt(SDL_Surface* s, int x, int y)
{
    return static_cast<Uint8*>(s->pixels) + y * s->pitch + x * 4;
}

// ---------------------------------------------------------------------------
// Canvas: a supersampled drawing surface addressed in final-image pixels
// ---------------------------------------------------------------------------

// All coordinates given to a Canvas are in final-image pixels (a 30px sprite
// runs from 0 to 30), so the artwork code never thinks about supersampling.
class Canvas {
public:
    explicit Canvas(int size) : size_(size), big_(makeRgbaSurface(size * kSupersample))
    {
        renderer_.reset(SDL_CreateSoftwareRenderer(big_.get()));
        if (!renderer_)
            failSdl("cannot create a software renderer");
        // Transparent black everywhere before drawing.
        SDL_FillRect(big_.get(), nullptr, 0);
    }

    int size() const { return size_; }

    void fillPolygon(const Polygon& poly, Rgb c)
    {
        std::vector<Sint16> xs;
        std::vector<Sint16> ys;
        for (const Vec2& p : poly) {
            xs.push_back(toBig(p.x));
            ys.push_back(toBig(p.y));
        }
        const int n = static_cast<int>(poly.size());
        if (filledPolygonRGBA(renderer_.get(), xs.data(), ys.data(), n, toByte(c.r), toByte(c.g), toByte(c.b), 255) !=
            0) {
            failSdl("filledPolygonRGBA failed");
        }
    }

    void fillCircle(Vec2 centre, double radius, Rgb c)
    {
        const auto r = static_cast<Sint16>(std::lround(radius * kSupersample));
        if (filledCircleRGBA(renderer_.get(), toBig(centre.x), toBig(centre.y), r, toByte(c.r), toByte(c.g),
                             toByte(c.b), 255) != 0) {
            failSdl("filledCircleRGBA failed");
        }
    }

    // Calls shade(position, rgbaBytes) for every drawn sample, where position
    // is the sample centre in final-image pixels. Lets artwork add lighting
    // that depends on where a sample sits.
    template <typename Shader> void shadeOpaqueSamples(Shader shade)
    {
        flush();
        SDL_Surface* s = big_.get();
        for (int y = 0; y < s->h; ++y) {
            for (int x = 0; x < s->w; ++x) {
                Uint8* px = pixelAt(s, x, y);
                if (px[3] == 0)
                    continue;
                const Vec2 pos{(x + 0.5) / kSupersample, (y + 0.5) / kSupersample};
                shade(pos, px);
            }
        }
    }

    // Box-filters the big surface down to the final size. Colours are
    // averaged weighted by alpha (premultiplied), so edges fade out in their
    // own colour instead of darkening towards the transparent black.
    SurfacePtr downsample()
    {
        flush();
        SurfacePtr out = makeRgbaSurface(size_);
        constexpr int kSamples = kSupersample * kSupersample;
        for (int y = 0; y < size_; ++y) {
            for (int x = 0; x < size_; ++x) {
                std::uint32_t sumA = 0;
                std::array<std::uint32_t, 3> sumC{};
                for (int sy = 0; sy < kSupersample; ++sy) {
                    for (int sx = 0; sx < kSupersample; ++sx) {
                        const Uint8* px = pixelAt(big_.get(), x * kSupersample + sx, y * kSupersample + sy);
                        sumA += px[3];
                        for (int i = 0; i < 3; ++i)
                            sumC[i] += std::uint32_t{px[i]} * px[3];
                    }
                }
                Uint8* dst = pixelAt(out.get(), x, y);
                if (sumA == 0) {
                    dst[0] = dst[1] = dst[2] = dst[3] = 0;
                    continue;
                }
                for (int i = 0; i < 3; ++i) {
                    dst[i] = static_cast<Uint8>((sumC[i] + sumA / 2) / sumA);
                }
                dst[3] = static_cast<Uint8>((sumA + kSamples / 2) / kSamples);
            }
        }
        return out;
    }

    // One sample of the big surface (call flush() after drawing first).
    const Uint8* sample(int sx, int sy) const { return pixelAt(big_.get(), sx, sy); }

    void flush()
    {
        // The software renderer batches drawing; make sure it has all landed
        // in the surface before touching pixels directly.
        if (SDL_RenderFlush(renderer_.get()) != 0)
            failSdl("SDL_RenderFlush failed");
    }

private:
    // Maps a final-image coordinate to the big surface. SDL_gfx fills whole
    // pixels by their integer index, so a continuous coordinate is shifted by
    // half a sample to land on the nearest sample centre.
    static Sint16 toBig(double v) { return static_cast<Sint16>(std::lround(v * kSupersample - 0.5)); }

    int size_;
    SurfacePtr big_;
    RendererPtr renderer_;
};

void savePng(SDL_Surface* s, const fs::path& path)
{
    if (IMG_SavePNG(s, path.string().c_str()) != 0) {
        throw std::runtime_error("cannot write " + path.string() + ": " + IMG_GetError());
    }
}

// ---------------------------------------------------------------------------
// Rocks
// ---------------------------------------------------------------------------

struct RockColour {
    const char* name;
    Rgb base; // colour of a fully lit face
};

// Saturated enough that each rock still reads as its colour in shadow.
constexpr std::array<RockColour, 6> kRockColours{{
    {"blue", {80, 140, 255}},
    {"green", {95, 225, 85}},
    {"pink", {255, 125, 215}},
    {"red", {240, 70, 55}},
    {"white", {232, 232, 236}},
    {"yellow", {250, 215, 60}},
}};

struct RockSize {
    int level;    // 1 = smallest; used in the file name
    int pixels;   // side of the square image
    int vertices; // corners on the outline
    int minCraters;
    int maxCraters;
};

constexpr std::array<RockSize, 3> kRockSizes{{
    {1, 20, 9, 1, 1},
    {2, 40, 12, 2, 3},
    {3, 60, 14, 3, 4},
}};

// The outline never reaches the edge of the square, so all corners stay
// transparent, but comes close enough that the rock fills the game's hit
// circle (radius = half the side).
constexpr double kRockMaxRadius = 0.485; // of the side
constexpr double kRockMeanRadius = 0.44; // of the side

// An outline described as a radius for each angle around the centre.
struct RockOutline {
    Vec2 centre;
    std::vector<double> angles; // increasing, within [0, 2*pi)
    std::vector<double> radii;

    Polygon polygon() const
    {
        Polygon poly;
        for (std::size_t i = 0; i < angles.size(); ++i) {
            poly.push_back(centre + Vec2{std::cos(angles[i]), std::sin(angles[i])} * radii[i]);
        }
        return poly;
    }

    // Radius of the outline in the given direction, interpolating between
    // neighbouring corners.
    double radiusAt(double angle) const
    {
        const std::size_t n = angles.size();
        for (std::size_t i = 0; i < n; ++i) {
            const double a0 = angles[i];
            double a1 = angles[(i + 1) % n];
            if (a1 <= a0)
                a1 += 2 * kPi;
            double a = angle;
            if (a < a0)
                a += 2 * kPi;
            if (a >= a0 && a <= a1) {
                const double t = (a - a0) / (a1 - a0);
                return radii[i] + (radii[(i + 1) % n] - radii[i]) * t;
            }
        }
        return radii.front();
    }
};

// A lumpy outline: a couple of broad bulges (low-frequency waves) make the
// overall shape irregular, and per-corner jitter makes the edge rough. One
// corner may be knocked in to look like a chipped-off piece.
RockOutline makeRockOutline(const RockSize& size, Rng& rng)
{
    const double side = size.pixels;
    const double maxR = kRockMaxRadius * side;
    const double meanR = kRockMeanRadius * side;
    const double phase2 = rng.uniform(0, 2 * kPi);
    const double phase3 = rng.uniform(0, 2 * kPi);
    const double amp2 = rng.uniform(0.05, 0.1);
    const double amp3 = rng.uniform(0.03, 0.07);
    const double turn = rng.uniform(0, 2 * kPi);
    const int chipped = rng.between(0, size.vertices * 2 - 1); // half the time none

    RockOutline o;
    o.centre = {side / 2, side / 2};
    const double step = 2 * kPi / size.vertices;
    for (int i = 0; i < size.vertices; ++i) {
        const double a = std::fmod(turn + i * step + rng.uniform(-0.3, 0.3) * step, 2 * kPi);
        double r = 1.0 + amp2 * std::sin(2 * a + phase2) + amp3 * std::sin(3 * a + phase3) + rng.uniform(-0.09, 0.09);
        if (i == chipped)
            r -= 0.15;
        o.angles.push_back(a);
        o.radii.push_back(std::min(r * meanR, maxR));
    }
    // Keep the corners in angular order so the polygon never crosses itself.
    std::vector<std::size_t> order(o.angles.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return o.angles[a] < o.angles[b]; });
    RockOutline sorted{o.centre, {}, {}};
    for (std::size_t i : order) {
        sorted.angles.push_back(o.angles[i]);
        sorted.radii.push_back(o.radii[i]);
    }
    return sorted;
}

struct Crater {
    Vec2 centre;
    double radius;
};

// Craters sit well inside the outline and do not overlap much, so each one
// reads as its own pit.
std::vector<Crater> placeCraters(const RockSize& size, const RockOutline& outline, Rng& rng)
{
    const double side = size.pixels;
    const int wanted = rng.between(size.minCraters, size.maxCraters);
    std::vector<Crater> craters;
    for (int attempt = 0; attempt < 200 && static_cast<int>(craters.size()) < wanted; ++attempt) {
        // One big crater and smaller ones: equal sizes look like a face.
        const bool first = craters.empty();
        const double radius =
            first ? std::max(2.0, side * rng.uniform(0.1, 0.14)) : std::max(1.3, side * rng.uniform(0.045, 0.085));
        const double angle = rng.uniform(0, 2 * kPi);
        const double room = outline.radiusAt(angle) - radius * 1.6;
        if (room <= 0)
            continue;
        const double dist = rng.uniform(0.0, room);
        const Crater c{outline.centre + Vec2{std::cos(angle), std::sin(angle)} * dist, radius};
        const bool crowded = std::any_of(craters.begin(), craters.end(), [&](const Crater& o) {
            return length(o.centre - c.centre) < (o.radius + c.radius) * 1.4;
        });
        if (!crowded)
            craters.push_back(c);
    }
    return craters;
}

// An ellipse as a polygon, its axes turned by the given unit vector, since
// SDL_gfx only draws upright ellipses.
Polygon ellipse(Vec2 centre, double along, double across, Vec2 axis)
{
    constexpr int kPoints = 24;
    const Vec2 side{-axis.y, axis.x};
    Polygon poly;
    for (int i = 0; i < kPoints; ++i) {
        const double a = 2 * kPi * i / kPoints;
        poly.push_back(centre + axis * (along * std::cos(a)) + side * (across * std::sin(a)));
    }
    return poly;
}

// A pit lit from the upper left: its rim catches the light on that side, the
// wall just inside it there is in shadow, and the far wall is lit again.
// Pits towards the edge of the rock are seen at a slant, so they are
// squashed along the line to the rock's centre.
void drawCrater(Canvas& canvas, const Crater& c, const RockOutline& outline, Rgb base)
{
    const Vec2 fromCentre = c.centre - outline.centre;
    const double dist = length(fromCentre);
    const Vec2 axis = dist > 0 ? fromCentre * (1.0 / dist) : Vec2{1, 0};
    double angle = std::atan2(fromCentre.y, fromCentre.x);
    if (angle < 0)
        angle += 2 * kPi;
    const double u = std::min(dist / outline.radiusAt(angle), 0.95);
    const double squash = 0.55 + 0.45 * std::sqrt(1.0 - u * u);

    const auto layer = [&](Vec2 offset, double scale, double brightness) {
        const double r = c.radius * scale;
        canvas.fillPolygon(ellipse(c.centre + offset * c.radius, r * squash, r, axis), base * brightness);
    };
    layer(kLightDir * 0.1, 1.15, 1.1);    // sunlit rim
    layer({0, 0}, 1.0, 0.55);             // shadowed bowl
    layer(kLightDir * -0.3, 0.75, 0.85);  // lit far wall
    layer(kLightDir * -0.15, 0.55, 0.68); // floor
}

// A few faint lighter and darker flakes break up the flat surface.
void drawFlakes(Canvas& canvas, const RockSize& size, const RockOutline& outline, Rgb base, Rng& rng)
{
    const int count = size.level * 3;
    for (int i = 0; i < count; ++i) {
        const double angle = rng.uniform(0, 2 * kPi);
        const double dist = rng.uniform(0.0, outline.radiusAt(angle) * 0.75);
        const Vec2 centre = outline.centre + Vec2{std::cos(angle), std::sin(angle)} * dist;
        const double r = rng.uniform(0.05, 0.1) * size.pixels;
        Polygon flake;
        const double turn = rng.uniform(0, 2 * kPi);
        for (int k = 0; k < 4; ++k) {
            const double a = turn + k * kPi / 2 + rng.uniform(-0.4, 0.4);
            flake.push_back(centre + Vec2{std::cos(a), std::sin(a)} * (r * rng.uniform(0.5, 1.0)));
        }
        canvas.fillPolygon(flake, base * (i % 2 == 0 ? 1.1 : 0.88));
    }
}

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Direction to the light in 3-D: upper left of the screen and above it.
Vec3 lightDir3()
{
    constexpr double kHeight = 0.75;
    const double len = std::sqrt(1.0 + kHeight * kHeight);
    return {kLightDir.x / len, kLightDir.y / len, kHeight / len};
}

double lambert(Vec3 normal)
{
    const double len = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
    const Vec3 l = lightDir3();
    return std::max(0.0, (normal.x * l.x + normal.y * l.y + normal.z * l.z) / len);
}

struct Facet {
    Polygon shape;
    double light; // 0 = facing away from the light, 1 = facing it
};

Facet makeFacet(Vec3 a, Vec3 b, Vec3 c)
{
    Vec3 n = cross({b.x - a.x, b.y - a.y, b.z - a.z}, {c.x - a.x, c.y - a.y, c.z - a.z});
    if (n.z < 0)
        n = {-n.x, -n.y, -n.z}; // facets always face the viewer
    return {{{a.x, a.y}, {b.x, b.y}, {c.x, c.y}}, lambert(n)};
}

// The rock's relief is a low mesh of flat facets: the outline at ground
// level, a jittered inner ring part way up, and a peak near the middle. Each
// facet's brightness comes from how squarely it faces the light, which gives
// the chiselled look of broken stone.
std::vector<Facet> makeRockFacets(const RockOutline& outline, Rng& rng)
{
    const std::size_t n = outline.angles.size();
    const double meanR = std::accumulate(outline.radii.begin(), outline.radii.end(), 0.0) / n;
    const auto at = [&](double angle, double radius, double z) {
        const Vec2 p = outline.centre + Vec2{std::cos(angle), std::sin(angle)} * radius;
        return Vec3{p.x, p.y, z};
    };
    std::vector<Vec3> rim;
    std::vector<Vec3> ring;
    for (std::size_t i = 0; i < n; ++i) {
        const double a = outline.angles[i];
        rim.push_back(at(a, outline.radii[i], 0.0));
        ring.push_back(at(a + rng.uniform(-0.15, 0.15), outline.radii[i] * rng.uniform(0.5, 0.68),
                          meanR * rng.uniform(0.62, 0.85)));
    }
    const Vec2 peakAt = outline.centre + Vec2{rng.uniform(-0.12, 0.12), rng.uniform(-0.12, 0.12)} * meanR;
    const Vec3 peak{peakAt.x, peakAt.y, meanR * rng.uniform(0.95, 1.1)};

    std::vector<Facet> facets;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        facets.push_back(makeFacet(rim[i], rim[j], ring[j]));
        facets.push_back(makeFacet(rim[i], ring[j], ring[i]));
        facets.push_back(makeFacet(ring[i], ring[j], peak));
    }
    return facets;
}

// Light on a face turned fully away still leaves the rock visible against
// the dark sky.
constexpr double kRockAmbient = 0.27;

// Light map: each facet painted in a grey that encodes its brightness.
constexpr double kLightMapScale = 200.0; // grey level for light = 1

void drawLightMap(Canvas& lightMap, const std::vector<Facet>& facets)
{
    for (const Facet& f : facets) {
        const double grey = f.light * kLightMapScale;
        lightMap.fillPolygon(f.shape, {grey, grey, grey});
    }
}

// How brightly each point of a rock is lit. The facet light map gives the
// broken-stone planes; a smooth ball term that follows the outline rounds
// the rock off and darkens its far side.
class RockLight {
public:
    RockLight(const RockOutline& outline, Canvas& lightMap) : outline_(outline), lightMap_(lightMap)
    {
        lightMap_.flush();
    }

    // Diffuse light at a point, 0..1.
    double diffuseAt(Vec2 pos) const { return 0.55 * facetAt(pos) + 0.45 * ballAt(pos); }

    // How squarely the rounded body faces the light, 0..1.
    double ballAt(Vec2 pos) const
    {
        const Vec3 l = lightDir3();
        const Vec2 d = pos - outline_.centre;
        const double r = length(d);
        if (r == 0)
            return l.z;
        double angle = std::atan2(d.y, d.x);
        if (angle < 0)
            angle += 2 * kPi;
        const double u = std::min(r / outline_.radiusAt(angle), 0.999);
        const double nz = std::sqrt(1.0 - u * u);
        return std::max(0.0, (d.x * l.x + d.y * l.y) / r * u + nz * l.z);
    }

private:
    double facetAt(Vec2 pos) const
    {
        const int limit = lightMap_.size() * kSupersample - 1;
        const int sx = std::clamp(static_cast<int>(pos.x * kSupersample), 0, limit);
        const int sy = std::clamp(static_cast<int>(pos.y * kSupersample), 0, limit);
        const Uint8* px = lightMap_.sample(sx, sy);
        // Right at the outline the two drawings may disagree by a sample.
        return px[3] != 0 ? px[0] / kLightMapScale : ballAt(pos);
    }

    const RockOutline& outline_;
    Canvas& lightMap_;
};

// Turns the flat colours into a lit rock, with fine grain from two octaves of
// value noise (about 3px and 1.5px across) and a soft glint where the rock
// faces the light most directly.
void lightRock(Canvas& canvas, const RockLight& light, std::uint64_t seed)
{
    canvas.shadeOpaqueSamples([&](Vec2 pos, Uint8* px) {
        const double grain =
            0.08 * valueNoise(pos.x / 3.0, pos.y / 3.0, seed) + 0.05 * valueNoise(pos.x / 1.5, pos.y / 1.5, seed + 1);
        const double shade = (kRockAmbient + 0.85 * light.diffuseAt(pos)) * (1.0 + grain);
        const double glint = 35.0 * std::pow(light.ballAt(pos), 12.0);
        for (int i = 0; i < 3; ++i)
            px[i] = toByte(px[i] * shade + glint);
    });
}

SurfacePtr drawRock(const RockSize& size, std::size_t colourIndex)
{
    const RockColour& colour = kRockColours[colourIndex];
    // A distinct, fixed seed for each of the 18 rocks gives each its own shape.
    const std::uint64_t seed = 0x526F636B64726966ULL + size.level * 1000 + colourIndex * 17;
    Rng rng(seed);

    Canvas canvas(size.pixels);
    const RockOutline outline = makeRockOutline(size, rng);
    canvas.fillPolygon(outline.polygon(), colour.base);
    drawFlakes(canvas, size, outline, colour.base, rng);
    Canvas lightMap(size.pixels);
    drawLightMap(lightMap, makeRockFacets(outline, rng));
    const RockLight light(outline, lightMap);
    lightRock(canvas, light, seed);
    // Craters go on after the lighting, each shaded as a whole by the light
    // where it sits, so a facet edge never cuts one in two.
    for (const Crater& c : placeCraters(size, outline, rng)) {
        const double shade = kRockAmbient + 0.85 * light.diffuseAt(c.centre);
        drawCrater(canvas, c, outline, colour.base * shade);
    }
    return canvas.downsample();
}

void writeRocks(const fs::path& dir)
{
    for (const RockSize& size : kRockSizes) {
        for (std::size_t c = 0; c < kRockColours.size(); ++c) {
            const std::string name = "asteroid" + std::to_string(size.level) + "_" + kRockColours[c].name + ".png";
            savePng(drawRock(size, c).get(), dir / name);
        }
    }
}

// ---------------------------------------------------------------------------
// The ship
// ---------------------------------------------------------------------------

// The ship is designed nose-up in a 30px frame around the origin (x right,
// y down), which is the centre it turns about. The nose is clearly the
// farthest point from that centre: it is fairly blunt and reaches 14.3px,
// while the wing tips and the engine glow stay within 10.5px. That keeps the
// direction readable at a glance, and lets a test read the heading back
// from the pixels.
constexpr int kShipPixels = 30;
constexpr int kHeadings = 360;

// Right half of each symmetric part; the left half is its mirror image.
const Polygon kHullRight{{0, -14.3}, {0.7, -13.4}, {1.5, -11}, {2.5, -6}, {3.0, 0}, {2.7, 5}, {1.8, 7.3}, {0, 7.3}};
const Polygon kWingRight{{2.0, -3.4}, {5.6, 1.2}, {8.7, 4.3}, {8.5, 6.0}, {6.0, 5.9}, {2.3, 5.6}};
const Polygon kWingStripeRight{{4.1, 0.8}, {5.3, 1.9}, {8.0, 4.3}, {7.8, 5.2}, {5.1, 3.0}, {3.8, 1.9}};
const Polygon kCanopy{{0, -10.4}, {1.15, -7.8}, {1.2, -5.0}, {0, -4.2}, {-1.2, -5.0}, {-1.15, -7.8}};
const Vec2 kCanopyCentre{0, -7.4};
const Polygon kNozzle{{-1.6, 6.8}, {1.6, 6.8}, {1.3, 8.3}, {-1.3, 8.3}};
const Vec2 kFlameCentre{0, 8.9};
constexpr double kFlameRadius = 1.6;

Polygon mirrored(const Polygon& poly)
{
    Polygon out;
    for (auto it = poly.rbegin(); it != poly.rend(); ++it)
        out.push_back({-it->x, it->y});
    return out;
}

// Places ship-frame geometry on the canvas: turned to the heading, scaled,
// and moved to the image centre.
class ShipFrame {
public:
    ShipFrame(int headingDegrees, double scale, Vec2 centre) : scale_(scale), centre_(centre)
    {
        const double a = headingDegrees * kPi / 180.0;
        cos_ = std::cos(a);
        sin_ = std::sin(a);
    }

    // Turns counter-clockwise on screen as the heading grows: with y down,
    // heading 90 takes the nose (0,-1) to (-1,0), i.e. pointing left.
    Vec2 direction(Vec2 v) const { return {v.x * cos_ + v.y * sin_, -v.x * sin_ + v.y * cos_}; }

    Vec2 point(Vec2 v) const { return centre_ + direction(v) * scale_; }

    Polygon polygon(const Polygon& poly) const
    {
        Polygon out;
        for (const Vec2& v : poly)
            out.push_back(point(v));
        return out;
    }

    double length(double l) const { return l * scale_; }

    // How much a surface facing the given ship-frame direction catches the
    // light, from 0 (away) to 1 (towards), so shading follows the rotation.
    double lightFacing(Vec2 shipDirection) const
    {
        return 0.5 + 0.5 * dot(normalized(direction(shipDirection)), kLightDir);
    }

private:
    double scale_;
    Vec2 centre_;
    double cos_ = 1.0;
    double sin_ = 0.0;
};

// Each half of a bevelled part is shaded by which way it faces, so the ship
// looks like it has a ridge along its spine that the light picks out.
Rgb facingShade(Rgb lit, const ShipFrame& frame, Vec2 outward)
{
    return lit * (0.62 + 0.38 * frame.lightFacing(outward));
}

void drawShip(Canvas& canvas, const ShipFrame& f)
{
    const Rgb hull{205, 212, 226};
    const Rgb wing{150, 158, 176};
    const Rgb stripe{235, 60, 55};
    const Rgb canopy{70, 200, 255};
    const Rgb flameOuter{255, 120, 30};
    const Rgb flameInner{255, 230, 150};

    // Wings first, hull over them.
    canvas.fillPolygon(f.polygon(kWingRight), facingShade(wing, f, {1, 0}));
    canvas.fillPolygon(f.polygon(mirrored(kWingRight)), facingShade(wing, f, {-1, 0}));
    canvas.fillPolygon(f.polygon(kWingStripeRight), facingShade(stripe, f, {1, 0}));
    canvas.fillPolygon(f.polygon(mirrored(kWingStripeRight)), facingShade(stripe, f, {-1, 0}));

    // Engine: a dark nozzle with a hot glow behind it.
    canvas.fillCircle(f.point(kFlameCentre), f.length(kFlameRadius), flameOuter);
    canvas.fillCircle(f.point(kFlameCentre - Vec2{0, 0.5}), f.length(kFlameRadius * 0.58), flameInner);
    canvas.fillPolygon(f.polygon(kNozzle), Rgb{70, 74, 86});

    canvas.fillPolygon(f.polygon(kHullRight), facingShade(hull, f, {1, 0}));
    canvas.fillPolygon(f.polygon(mirrored(kHullRight)), facingShade(hull, f, {-1, 0}));

    // Canopy near the nose, with a highlight on the side towards the light.
    canvas.fillPolygon(f.polygon(kCanopy), canopy);
    const Vec2 canopyCentre = f.point(kCanopyCentre);
    canvas.fillCircle(canopyCentre + kLightDir * f.length(0.55), f.length(0.7), mix(canopy, Rgb{255, 255, 255}, 0.65));
}

// Sprites turn about the image centre, at the designed size, so the game can
// swap them as the ship turns without the ship wobbling.
SurfacePtr renderShipSprite(int heading)
{
    Canvas canvas(kShipPixels);
    drawShip(canvas, ShipFrame(heading, 1.0, {kShipPixels / 2.0, kShipPixels / 2.0}));
    return canvas.downsample();
}

void writeShips(const fs::path& dir)
{
    for (int heading = 0; heading < kHeadings; ++heading) {
        savePng(renderShipSprite(heading).get(), dir / ("ship" + std::to_string(heading) + ".png"));
    }
}

// ---------------------------------------------------------------------------
// Desktop icon
// ---------------------------------------------------------------------------

// Nose up and to the right, as if climbing away.
constexpr int kIconHeading = 315;
// The hicolor theme's sizes; 192 and 512 are also the browser page's home-screen
// and splash-screen icons.
constexpr std::array<int, 9> kIconSizes{16, 24, 32, 48, 64, 128, 192, 256, 512};
// Share of the icon square that the ship's longer side spans.
constexpr double kIconFill = 0.94;

// The icon has no need to turn about a fixed point, so the ship is centred on
// its own bounding box and scaled up to fill the square.
SurfacePtr renderIcon(int size)
{
    const ShipFrame unit(kIconHeading, 1.0, {0, 0});
    Polygon outline;
    for (const Polygon* part : {&kHullRight, &kWingRight}) {
        for (const Vec2& v : *part) {
            outline.push_back(unit.point(v));
            outline.push_back(unit.point({-v.x, v.y}));
        }
    }
    const Vec2 flame = unit.point(kFlameCentre);
    for (Vec2 d : {Vec2{1, 0}, Vec2{-1, 0}, Vec2{0, 1}, Vec2{0, -1}}) {
        outline.push_back(flame + d * kFlameRadius);
    }
    Vec2 lo = outline.front();
    Vec2 hi = outline.front();
    for (const Vec2& p : outline) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    }
    const double scale = kIconFill * size / std::max(hi.x - lo.x, hi.y - lo.y);
    const Vec2 middle = (lo + hi) * 0.5;
    const Vec2 centre = Vec2{size / 2.0, size / 2.0} - middle * scale;

    Canvas canvas(size);
    drawShip(canvas, ShipFrame(kIconHeading, scale, centre));
    return canvas.downsample();
}

void writeIcons(const fs::path& dir)
{
    for (int size : kIconSizes) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const fs::path appDir = dir / dim / "apps";
        fs::create_directories(appDir);
        savePng(renderIcon(size).get(), appDir / "rockdrift.png");
    }
}

int run(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        throw std::runtime_error("usage: make_art <assets-dir> [<icons-dir>]");
    }
    const fs::path assets = argv[1];
    fs::create_directories(assets);
    writeRocks(assets);
    writeShips(assets);
    if (argc == 3)
        writeIcons(argv[2]);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_art: %s\n", e.what());
        return 1;
    }
}
