#pragma once

#include <QImage>

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Byte arithmetic on 32-bit pixels (0xAARRGGBB words, that is the bytes
// blue, green, red, alpha in memory, not premultiplied). The formulas work
// on all four bytes alike, alpha included, and are kept bit for bit: the
// pictures on screen, in the preview and on paper must not differ by a
// rounding step. The channels are processed side by side as 16-bit lanes
// of a 64-bit word; no lane can carry into the next one because every
// intermediate value stays below 65536.

namespace pixelops {

// 0xAARRGGBB -> 0x00AA00RR00GG00BB
inline std::uint64_t Spread(std::uint32_t p)
{
    std::uint64_t v = p;
    v = (v | (v << 16)) & 0x0000FFFF0000FFFFull;
    v = (v | (v << 8)) & 0x00FF00FF00FF00FFull;
    return v;
}

inline std::uint32_t Pack(std::uint64_t v)
{
    v &= 0x00FF00FF00FF00FFull;
    v = (v | (v >> 8)) & 0x0000FFFF0000FFFFull;
    v = (v | (v >> 16)) & 0x00000000FFFFFFFFull;
    return std::uint32_t(v);
}

constexpr std::uint64_t kLanes = 0x0001000100010001ull;

// Alpha blend of s onto d by the alpha of s: a7 = A >> 1 and per byte
// D' = D + ((S - D + 256) * a7 >> 7) - 2 * a7. The result of that formula
// never leaves 0..255, so no lane needs saturating.
inline std::uint32_t BlendPixel(std::uint32_t d, std::uint32_t s)
{
    const std::uint64_t a7 = (s >> 24) >> 1;
    const std::uint64_t dv = Spread(d);
    const std::uint64_t diff = Spread(s) + 256 * kLanes - dv;          // 1..511 per lane
    const std::uint64_t q = ((diff * a7) >> 7) & (0x1FF * kLanes);      // <= 507 per lane
    return Pack(dv + q - 2 * a7 * kLanes);
}

// Nearest-neighbour or blended write of one source pixel: alpha 255 copies,
// 0 leaves the destination alone, anything else blends.
inline void PutPixel(std::uint32_t& d, std::uint32_t s)
{
    const std::uint32_t a = s >> 24;
    if (a == 255)
        d = s;
    else if (a != 0)
        d = BlendPixel(d, s);
}

// Per lane (a * l + (256 - a) * r) >> 8, the same as
// (a * (l - r) + r * 256) >> 8 in 16-bit lanes with a logical shift.
inline std::uint64_t Lerp(std::uint64_t l, std::uint64_t r, std::uint64_t a)
{
    return ((l * a + r * (256 - a)) >> 8) & (0xFF * kLanes);
}

// Bilinear sample of 32-bit rows at a 16.16 position inside the data
// (x = X >> 16 within 0..width-1, y likewise), with the weights
// a = 255 - (bits 8..15 of X) for the left and b = 255 - (bits 8..15 of Y)
// for the upper neighbour. There is no neighbour after the last column or
// row: there the pair to the left or above is read with all weight on the
// last one, so the edge repeats and no read leaves the data.
inline std::uint32_t Bilinear(const std::uint8_t* scan0, std::intptr_t stride, int width,
                              int height, std::int32_t fx, std::int32_t fy)
{
    const int x = fx >> 16;
    const int y = fy >> 16;
    const auto row = [&](int r) {
        return reinterpret_cast<const std::uint32_t*>(scan0 + stride * r);
    };
    if (width == 1 || height == 1)
        return row(y)[x];
    int left = x;
    int top = y;
    std::uint64_t a = 255 - ((std::uint32_t(fx) >> 8) & 0xFF);
    std::uint64_t b = 255 - ((std::uint32_t(fy) >> 8) & 0xFF);
    if (x == width - 1) {
        left = x - 1;
        a = 0;
    }
    if (y == height - 1) {
        top = y - 1;
        b = 0;
    }
    const std::uint32_t* upperRow = row(top);
    const std::uint32_t* lowerRow = row(top + 1);
#if defined(__SSE2__)
    // The same lanes four channels wide: 16-bit products and sums stay
    // below 65536, so the wrapping multiply and add are exact.
    const __m128i zero = _mm_setzero_si128();
    const __m128i upper2 = _mm_unpacklo_epi8(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(upperRow + left)), zero);
    const __m128i lower2 = _mm_unpacklo_epi8(
        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(lowerRow + left)), zero);
    const short wa = short(a);
    const short wr = short(256 - a);
    const __m128i across = _mm_set_epi16(wr, wr, wr, wr, wa, wa, wa, wa);
    __m128i u = _mm_mullo_epi16(upper2, across);
    __m128i l = _mm_mullo_epi16(lower2, across);
    u = _mm_srli_epi16(_mm_add_epi16(u, _mm_srli_si128(u, 8)), 8);
    l = _mm_srli_epi16(_mm_add_epi16(l, _mm_srli_si128(l, 8)), 8);
    const short wb = short(b);
    const short wl = short(256 - b);
    const __m128i down = _mm_set_epi16(wl, wl, wl, wl, wb, wb, wb, wb);
    __m128i v = _mm_mullo_epi16(_mm_unpacklo_epi64(u, l), down);
    v = _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_si128(v, 8)), 8);
    return std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(v, zero)));
#else
    const std::uint64_t lower = Lerp(Spread(lowerRow[left]), Spread(lowerRow[left + 1]), a);
    const std::uint64_t upper = Lerp(Spread(upperRow[left]), Spread(upperRow[left + 1]), a);
    return Pack(Lerp(upper, lower, b));
#endif
}

// Constant-opacity blend: c = round(alpha * 128 / 255) and per byte
// D' = S + ((D - S + 255) * c >> 7) - 2c, saturated; alpha is the weight
// the destination keeps (0 copies the source).
inline std::uint32_t ConstantBlend(std::uint32_t d, std::uint32_t s, int c)
{
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int dv = int((d >> shift) & 0xFF);
        const int sv = int((s >> shift) & 0xFF);
        int v = sv + (((dv - sv + 255) * c) >> 7) - 2 * c;
        v = v < 0 ? 0 : (v > 255 ? 255 : v);
        out |= std::uint32_t(v) << shift;
    }
    return out;
}

// Whether a picture's memory can be read and written as 32-bit pixels of
// the layout above (RGB32 holds 0xFF in the alpha byte).
inline bool Is32Bit(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32;
}

} // namespace pixelops
