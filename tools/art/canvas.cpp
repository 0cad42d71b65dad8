// Drawing on the canvas with SDL2_gfx, and averaging it down to the image.
#include "canvas.h"

#include <SDL2_gfxPrimitives.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

Canvas::Canvas(int size) : size_(size), big_(makeRgbaSurface(size * kSupersample))
{
    renderer_.reset(SDL_CreateSoftwareRenderer(big_.get()));
    if (!renderer_)
        failSdl("cannot create a software renderer");
    // Transparent black everywhere before drawing.
    SDL_FillRect(big_.get(), nullptr, 0);
}

void Canvas::fillPolygon(const Polygon& poly, Rgb c)
{
    std::vector<Sint16> xs;
    std::vector<Sint16> ys;
    for (const Vec2& p : poly) {
        xs.push_back(toBig(p.x));
        ys.push_back(toBig(p.y));
    }
    const int n = static_cast<int>(poly.size());
    if (filledPolygonRGBA(renderer_.get(), xs.data(), ys.data(), n, toByte(c.r), toByte(c.g), toByte(c.b), 255) != 0) {
        failSdl("filledPolygonRGBA failed");
    }
}

void Canvas::fillCircle(Vec2 centre, double radius, Rgb c)
{
    const auto r = static_cast<Sint16>(std::lround(radius * kSupersample));
    if (filledCircleRGBA(renderer_.get(), toBig(centre.x), toBig(centre.y), r, toByte(c.r), toByte(c.g), toByte(c.b),
                         255) != 0) {
        failSdl("filledCircleRGBA failed");
    }
}

SurfacePtr Canvas::downsample()
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

void Canvas::flush()
{
    // The software renderer batches drawing; make sure it has all landed
    // in the surface before touching pixels directly.
    if (SDL_RenderFlush(renderer_.get()) != 0)
        failSdl("SDL_RenderFlush failed");
}
