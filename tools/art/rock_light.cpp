// The rock's relief and light: facets, the light map, and the lit surface.
#include "rock_light.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

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

Facet makeFacet(Vec3 a, Vec3 b, Vec3 c)
{
    Vec3 n = cross({b.x - a.x, b.y - a.y, b.z - a.z}, {c.x - a.x, c.y - a.y, c.z - a.z});
    if (n.z < 0)
        n = {-n.x, -n.y, -n.z}; // facets always face the viewer
    return {{{a.x, a.y}, {b.x, b.y}, {c.x, c.y}}, lambert(n)};
}

// The light map holds each facet's light as a grey level.
constexpr double kLightMapScale = 200.0; // grey level for light = 1

} // namespace

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

void drawLightMap(Canvas& lightMap, const std::vector<Facet>& facets)
{
    for (const Facet& f : facets) {
        const double grey = f.light * kLightMapScale;
        lightMap.fillPolygon(f.shape, {grey, grey, grey});
    }
}

RockLight::RockLight(const RockOutline& outline, Canvas& lightMap) : outline_(outline), lightMap_(lightMap)
{
    lightMap_.flush();
}

double RockLight::diffuseAt(Vec2 pos) const
{
    return 0.55 * facetAt(pos) + 0.45 * ballAt(pos);
}

double RockLight::ballAt(Vec2 pos) const
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

double RockLight::facetAt(Vec2 pos) const
{
    const int limit = lightMap_.size() * kSupersample - 1;
    const int sx = std::clamp(static_cast<int>(pos.x * kSupersample), 0, limit);
    const int sy = std::clamp(static_cast<int>(pos.y * kSupersample), 0, limit);
    const Uint8* px = lightMap_.sample(sx, sy);
    // Right at the outline the two drawings may disagree by a sample.
    return px[3] != 0 ? px[0] / kLightMapScale : ballAt(pos);
}

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
