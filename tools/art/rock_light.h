// How a rock is lit: a low mesh of flat facets, painted into a light map,
// gives the planes of broken stone; a smooth ball term rounds the rock off;
// value noise adds grain and a glint marks where it faces the light.
#pragma once

#include "canvas.h"
#include "maths.h"
#include "rocks.h"

#include <cstdint>
#include <vector>

struct Facet {
    Polygon shape;
    double light; // 0 = facing away from the light, 1 = facing it
};

// The rock's relief is a low mesh of flat facets: the outline at ground
// level, a jittered inner ring part way up, and a peak near the middle. Each
// facet's brightness comes from how squarely it faces the light, which gives
// the chiselled look of broken stone.
std::vector<Facet> makeRockFacets(const RockOutline& outline, Rng& rng);

// Light on a face turned fully away still leaves the rock visible against
// the dark sky.
constexpr double kRockAmbient = 0.27;

// Paints each facet into the light map in a grey that encodes its brightness.
void drawLightMap(Canvas& lightMap, const std::vector<Facet>& facets);

// How brightly each point of a rock is lit. The facet light map gives the
// broken-stone planes; a smooth ball term that follows the outline rounds
// the rock off and darkens its far side.
class RockLight {
public:
    RockLight(const RockOutline& outline, Canvas& lightMap);

    // Diffuse light at a point, 0..1.
    double diffuseAt(Vec2 pos) const;

    // How squarely the rounded body faces the light, 0..1.
    double ballAt(Vec2 pos) const;

private:
    double facetAt(Vec2 pos) const;

    const RockOutline& outline_;
    Canvas& lightMap_;
};

// Turns the flat colours into a lit rock, with fine grain from two octaves of
// value noise (about 3px and 1.5px across) and a soft glint where the rock
// faces the light most directly.
void lightRock(Canvas& canvas, const RockLight& light, std::uint64_t seed);
