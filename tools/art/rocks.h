// The eighteen rocks, three sizes in six colours: each a lumpy, lit stone with
// craters, drawn from a fixed seed of its own.
#pragma once

#include "maths.h"

#include <filesystem>
#include <vector>

// An outline described as a radius for each angle around the centre; the
// lighting (rock_light.h) rounds the rock off along it.
struct RockOutline {
    Vec2 centre;
    std::vector<double> angles; // increasing, within [0, 2*pi)
    std::vector<double> radii;

    Polygon polygon() const;

    // Radius of the outline in the given direction, interpolating between
    // neighbouring corners.
    double radiusAt(double angle) const;
};

// Writes asteroid<size>_<colour>.png for every size and colour.
void writeRocks(const std::filesystem::path& dir);
