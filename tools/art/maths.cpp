// Value noise, the grain on the rocks' surfaces.
#include "maths.h"

#include <cmath>
#include <cstdint>

namespace {

double latticeValue(int x, int y, std::uint64_t seed)
{
    Rng hash(seed ^ (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) ^ static_cast<std::uint32_t>(y));
    return hash.uniform(-1.0, 1.0);
}

} // namespace

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
