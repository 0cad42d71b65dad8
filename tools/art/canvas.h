// The supersampled canvas every image is drawn on.
//
// Each image is drawn 8 times larger than its final size with only opaque
// colours, then box-filtered down with alpha-weighted averaging. That gives
// smooth anti-aliased edges with no dark fringe, because transparent samples
// never contribute their (black) colour to an edge pixel.
#pragma once

#include "maths.h"
#include "sdl_resources.h"

#include <SDL.h>

#include <cmath>

// Every image is drawn this many times larger, then averaged down.
constexpr int kSupersample = 8;

// All coordinates given to a Canvas are in final-image pixels (a 30px sprite
// runs from 0 to 30), so the artwork code never thinks about supersampling.
class Canvas {
public:
    explicit Canvas(int size);

    int size() const { return size_; }

    void fillPolygon(const Polygon& poly, Rgb c);
    void fillCircle(Vec2 centre, double radius, Rgb c);

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
    SurfacePtr downsample();

    // One sample of the big surface (call flush() after drawing first).
    const Uint8* sample(int sx, int sy) const { return pixelAt(big_.get(), sx, sy); }

    void flush();

private:
    // Maps a final-image coordinate to the big surface. SDL_gfx fills whole
    // pixels by their integer index, so a continuous coordinate is shifted by
    // half a sample to land on the nearest sample centre.
    static Sint16 toBig(double v) { return static_cast<Sint16>(std::lround(v * kSupersample - 0.5)); }

    int size_;
    SurfacePtr big_;
    RendererPtr renderer_;
};
