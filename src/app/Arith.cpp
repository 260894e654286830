#include "app/Arith.h"

#include <cfenv>
#include <cmath>
#include <limits>

std::int64_t RoundHalfEven64(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = -9223372036854775808.0;
    constexpr double hi = 9223372036854775808.0;
    if (v <= lo)
        return std::numeric_limits<std::int64_t>::min();
    if (v >= hi)
        return std::numeric_limits<std::int64_t>::max();
    // nearbyint follows the current rounding mode; the program keeps the
    // default round-to-nearest-even, but a library may have changed it.
    const int saved = std::fegetround();
    if (saved != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    if (saved != FE_TONEAREST)
        std::fesetround(saved);
    return static_cast<std::int64_t>(r);
}

int RoundHalfEven(double v)
{
    const std::int64_t r = RoundHalfEven64(v);
    if (r < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (r > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(r);
}

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    std::int64_t q = p / c;
    const std::int64_t r = p % c;
    // Round half away from zero: compare twice the remainder with the divisor.
    const std::int64_t absR2 = (r < 0 ? -r : r) * 2;
    const std::int64_t absC = c < 0 ? -static_cast<std::int64_t>(c) : c;
    if (absR2 >= absC)
        q += ((p < 0) != (c < 0)) ? -1 : 1;
    if (q < std::numeric_limits<int>::min() || q > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(q);
}
