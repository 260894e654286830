#pragma once

// The per-pixel arithmetic of the HSL filter, shared by ShiftHSL, the
// scalar filter loop and (as the reference they must match) the vector
// loops. Every operation and its order matter: the vector code repeats them
// lane by lane so that both produce the same bytes.

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace HSLPixel {

// Holds the thread's rounding mode at round-to-nearest while pixels are
// converted; some libraries leave another mode behind.
class TRoundToNearest {
public:
    TRoundToNearest() : Saved(std::fegetround())
    {
        if (Saved != FE_TONEAREST)
            std::fesetround(FE_TONEAREST);
    }
    ~TRoundToNearest()
    {
        if (Saved != FE_TONEAREST)
            std::fesetround(Saved);
    }
    TRoundToNearest(const TRoundToNearest&) = delete;
    TRoundToNearest& operator=(const TRoundToNearest&) = delete;

private:
    int Saved;
};

// Nearest integer, ties to even, by the current rounding mode; callers hold
// a TRoundToNearest.
inline int RoundNearest(double v)
{
#if defined(__SSE2__)
    return _mm_cvtsd_si32(_mm_set_sd(v));
#else
    return static_cast<int>(std::nearbyint(v));
#endif
}

inline std::uint32_t ClampByte(int v)
{
    return static_cast<std::uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Channels divided by 255 in single precision, as the filter has always
// done it; TRGBHSL works in double.
inline void RGBToHSLf(int r8, int g8, int b8, float& h, float& s, float& l)
{
    const float r = static_cast<float>(r8) / 255.0f;
    const float g = static_cast<float>(g8) / 255.0f;
    const float b = static_cast<float>(b8) / 255.0f;
    const float mx = std::max(std::max(r, g), b);
    const float mn = std::min(std::min(r, g), b);
    l = (mx + mn) / 2.0f;
    if (mx == mn) {
        h = 0;
        s = 0;
        return;
    }
    const float d = mx - mn;
    s = l >= 0.5f ? d / (2.0f - mx - mn) : d / (mx + mn);
    if (mx == r)
        h = (g - b) / d;
    else if (mx == g)
        h = (b - r) / d + 2.0f;
    else
        h = (r - g) / d + 4.0f;
    h = h / 6.0f;
    if (h < 0)
        h = h + 1.0f;
}

// Brings a hue into (0, 1] in one step; a hue of exactly 0 becomes 1, the
// same colour.
inline float WrapHue(float h)
{
    h = h - std::floor(h);
    if (h <= 0)
        h = h + 1.0f;
    return h;
}

inline double HueChannel(double p, double q, double t)
{
    if (t < 0)
        t = t + 1.0;
    else if (t > 1)
        t = t - 1.0;
    if (6.0 * t < 1.0)
        return p + (q - p) * 6.0 * t;
    if (2.0 * t < 1.0)
        return q;
    if (3.0 * t < 2.0)
        return p + (q - p) * (2.0 / 3.0 - t) * 6.0;
    return p;
}

// HSL to channel values scaled to 0 ... 255 (not yet rounded).
inline void HSLToRGB255(double h, double s, double l, double& r, double& g, double& b)
{
    if (s == 0) {
        r = g = b = l * 255.0;
        return;
    }
    const double q = l > 0.5 ? s + l - s * l : l * (1.0 + s);
    const double p = 2.0 * l - q;
    r = HueChannel(p, q, h + 1.0 / 3.0) * 255.0;
    g = HueChannel(p, q, h) * 255.0;
    b = HueChannel(p, q, h - 1.0 / 3.0) * 255.0;
}

// One pixel of FilterHSL in memory order B, G, R, A; alpha is kept.
inline std::uint32_t ShiftPixel(std::uint32_t px, float dH, float dS, float dL)
{
    float h, s, l;
    RGBToHSLf(static_cast<int>((px >> 16) & 0xFF), static_cast<int>((px >> 8) & 0xFF),
              static_cast<int>(px & 0xFF), h, s, l);
    h = WrapHue(h + dH);
    s = std::clamp(s + dS, 0.0f, 1.0f);
    l = std::clamp(l + dL, 0.0f, 1.0f);
    double r, g, b;
    HSLToRGB255(h, s, l, r, g, b);
    return (px & 0xFF000000u) | (ClampByte(RoundNearest(r)) << 16) |
           (ClampByte(RoundNearest(g)) << 8) | ClampByte(RoundNearest(b));
}

} // namespace HSLPixel
