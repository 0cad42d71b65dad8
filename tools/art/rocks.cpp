// The rocks' shapes (a lumpy outline, flakes and craters) and the order in
// which a rock is drawn, shaped, lit and saved.
#include "rocks.h"

#include "canvas.h"
#include "rock_light.h"
#include "sdl_resources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

Polygon RockOutline::polygon() const
{
    Polygon poly;
    for (std::size_t i = 0; i < angles.size(); ++i) {
        poly.push_back(centre + Vec2{std::cos(angles[i]), std::sin(angles[i])} * radii[i]);
    }
    return poly;
}

double RockOutline::radiusAt(double angle) const
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

namespace {

namespace fs = std::filesystem;

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

} // namespace

void writeRocks(const fs::path& dir)
{
    for (const RockSize& size : kRockSizes) {
        for (std::size_t c = 0; c < kRockColours.size(); ++c) {
            const std::string name = "asteroid" + std::to_string(size.level) + "_" + kRockColours[c].name + ".png";
            savePng(drawRock(size, c).get(), dir / name);
        }
    }
}
