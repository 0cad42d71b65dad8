// The ship, designed once as vector shapes, turned to each heading for the
// game's sprites and scaled up to fill the desktop icon.
#include "ship.h"

#include "canvas.h"
#include "maths.h"
#include "sdl_resources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace {

namespace fs = std::filesystem;

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

} // namespace

void writeShips(const fs::path& dir)
{
    for (int heading = 0; heading < kHeadings; ++heading) {
        savePng(renderShipSprite(heading).get(), dir / ("ship" + std::to_string(heading) + ".png"));
    }
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
