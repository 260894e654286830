#include "imaging/FilterKernels.h"

#include "imaging/HSLPixel.h"

#if defined(__x86_64__) || defined(__i386__)
#define LUMARBO_X86 1
#include <immintrin.h>
#endif

namespace FilterKernels {

namespace {

constexpr std::uint32_t AlphaMask = 0xFF000000u;

// Exact floor(sum / 3) for every sum of three bytes (0 ... 765).
constexpr std::uint32_t GreyMul = 43691; // ceil(2^17 / 3)
constexpr int GreyShift = 17;

void MapChannelsScalar(std::uint32_t* row, int count, const TByteTable& table)
{
    const std::uint8_t* t = table.T.data();
    for (int x = 0; x < count; ++x) {
        const std::uint32_t px = row[x];
        row[x] = (px & AlphaMask) | (std::uint32_t(t[(px >> 16) & 0xFF]) << 16) |
                 (std::uint32_t(t[(px >> 8) & 0xFF]) << 8) | t[px & 0xFF];
    }
}

void MapGreyScalar(std::uint32_t* row, int count, const TGreyTable& table)
{
    const std::array<std::uint32_t, 256>& colours = table.Words;
    for (int x = 0; x < count; ++x) {
        const std::uint32_t px = row[x];
        const std::uint32_t sum = (px & 0xFF) + ((px >> 8) & 0xFF) + ((px >> 16) & 0xFF);
        row[x] = (px & AlphaMask) | colours[sum / 3];
    }
}

void ShiftRowScalar(std::uint32_t* row, int count, float dH, float dS, float dL)
{
    for (int x = 0; x < count; ++x)
        row[x] = HSLPixel::ShiftPixel(row[x], dH, dS, dL);
}

#ifdef LUMARBO_X86

// ---- AVX2 ---------------------------------------------------------------

__attribute__((target("avx2"))) void MapChannelsAvx2(std::uint32_t* row, int count,
                                                      const TByteTable& table)
{
    const __m256i lowByte = _mm256_set1_epi32(0xFF);
    const __m256i alpha = _mm256_set1_epi32(int(AlphaMask));
    const int* base = reinterpret_cast<const int*>(table.Words.data());
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        const __m256i b = _mm256_i32gather_epi32(base, _mm256_and_si256(px, lowByte), 4);
        const __m256i g = _mm256_i32gather_epi32(
            base, _mm256_and_si256(_mm256_srli_epi32(px, 8), lowByte), 4);
        const __m256i r = _mm256_i32gather_epi32(
            base, _mm256_and_si256(_mm256_srli_epi32(px, 16), lowByte), 4);
        __m256i out = _mm256_or_si256(_mm256_and_si256(px, alpha), b);
        out = _mm256_or_si256(out, _mm256_slli_epi32(g, 8));
        out = _mm256_or_si256(out, _mm256_slli_epi32(r, 16));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), out);
    }
    MapChannelsScalar(row + x, count - x, table);
}

__attribute__((target("avx2"))) void MapGreyAvx2(std::uint32_t* row, int count,
                                                  const TGreyTable& table)
{
    const __m256i lowByte = _mm256_set1_epi32(0xFF);
    const __m256i alpha = _mm256_set1_epi32(int(AlphaMask));
    const __m256i mul = _mm256_set1_epi32(int(GreyMul));
    const int* base = reinterpret_cast<const int*>(table.Words.data());
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        __m256i sum = _mm256_and_si256(px, lowByte);
        sum = _mm256_add_epi32(sum, _mm256_and_si256(_mm256_srli_epi32(px, 8), lowByte));
        sum = _mm256_add_epi32(sum, _mm256_and_si256(_mm256_srli_epi32(px, 16), lowByte));
        const __m256i grey = _mm256_srli_epi32(_mm256_mullo_epi32(sum, mul), GreyShift);
        const __m256i colour = _mm256_i32gather_epi32(base, grey, 4);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x),
                            _mm256_or_si256(_mm256_and_si256(px, alpha), colour));
    }
    MapGreyScalar(row + x, count - x, table);
}

// HSL to channel bytes for four pixels in double precision, lane by lane
// the operations of HSLPixel::HSLToRGB255 followed by the rounding.
__attribute__((target("avx2"))) inline __m128i HueChannelAvx2(__m256d p, __m256d q, __m256d t)
{
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d below = _mm256_cmp_pd(t, zero, _CMP_LT_OQ);
    const __m256d above = _mm256_cmp_pd(t, one, _CMP_GT_OQ);
    t = _mm256_blendv_pd(t, _mm256_sub_pd(t, one), above);
    t = _mm256_blendv_pd(t, _mm256_add_pd(t, one), below);
    const __m256d qp = _mm256_sub_pd(q, p);
    const __m256d rise =
        _mm256_add_pd(p, _mm256_mul_pd(_mm256_mul_pd(qp, _mm256_set1_pd(6.0)), t));
    const __m256d fall = _mm256_add_pd(
        p, _mm256_mul_pd(_mm256_mul_pd(qp, _mm256_sub_pd(_mm256_set1_pd(2.0 / 3.0), t)),
                         _mm256_set1_pd(6.0)));
    const __m256d c1 = _mm256_cmp_pd(_mm256_mul_pd(_mm256_set1_pd(6.0), t), one, _CMP_LT_OQ);
    const __m256d c2 = _mm256_cmp_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), t), one, _CMP_LT_OQ);
    const __m256d c3 = _mm256_cmp_pd(_mm256_mul_pd(_mm256_set1_pd(3.0), t),
                                     _mm256_set1_pd(2.0), _CMP_LT_OQ);
    __m256d v = _mm256_blendv_pd(p, fall, c3);
    v = _mm256_blendv_pd(v, q, c2);
    v = _mm256_blendv_pd(v, rise, c1);
    return _mm256_cvtpd_epi32(_mm256_mul_pd(v, _mm256_set1_pd(255.0)));
}

struct TChannels4 {
    __m128i R, G, B;
};

__attribute__((target("avx2"))) inline TChannels4 HSLToRGBAvx2(__m128 hf, __m128 sf, __m128 lf)
{
    const __m256d h = _mm256_cvtps_pd(hf);
    const __m256d s = _mm256_cvtps_pd(sf);
    const __m256d l = _mm256_cvtps_pd(lf);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d upper = _mm256_cmp_pd(l, _mm256_set1_pd(0.5), _CMP_GT_OQ);
    const __m256d qUpper = _mm256_sub_pd(_mm256_add_pd(s, l), _mm256_mul_pd(s, l));
    const __m256d qLower = _mm256_mul_pd(l, _mm256_add_pd(one, s));
    const __m256d q = _mm256_blendv_pd(qLower, qUpper, upper);
    const __m256d p = _mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), l), q);
    const __m256d third = _mm256_set1_pd(1.0 / 3.0);
    TChannels4 c{HueChannelAvx2(p, q, _mm256_add_pd(h, third)), HueChannelAvx2(p, q, h),
                 HueChannelAvx2(p, q, _mm256_sub_pd(h, third))};
    // No saturation: every channel is the lightness.
    const __m128 grey = _mm_cmpeq_ps(sf, _mm_setzero_ps());
    const __m128i greyMask = _mm_castps_si128(grey);
    const __m128i lv = _mm256_cvtpd_epi32(_mm256_mul_pd(l, _mm256_set1_pd(255.0)));
    c.R = _mm_blendv_epi8(c.R, lv, greyMask);
    c.G = _mm_blendv_epi8(c.G, lv, greyMask);
    c.B = _mm_blendv_epi8(c.B, lv, greyMask);
    return c;
}

// Eight channel values, four from each half, kept within 0 ... 255.
__attribute__((target("avx2"))) inline __m256i ClampBytesAvx2(__m128i low, __m128i high)
{
    const __m256i v = _mm256_set_m128i(high, low);
    return _mm256_min_epi32(_mm256_max_epi32(v, _mm256_setzero_si256()), _mm256_set1_epi32(0xFF));
}

__attribute__((target("avx2"))) void ShiftRowAvx2(std::uint32_t* row, int count, float dH,
                                                   float dS, float dL)
{
    const __m256i lowByte = _mm256_set1_epi32(0xFF);
    const __m256i alpha = _mm256_set1_epi32(int(AlphaMask));
    const __m256 f255 = _mm256_set1_ps(255.0f);
    const __m256 zero = _mm256_setzero_ps();
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 two = _mm256_set1_ps(2.0f);
    const __m256 vdH = _mm256_set1_ps(dH);
    const __m256 vdS = _mm256_set1_ps(dS);
    const __m256 vdL = _mm256_set1_ps(dL);
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const __m256i px = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        const __m256 b = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_and_si256(px, lowByte)), f255);
        const __m256 g = _mm256_div_ps(
            _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(px, 8), lowByte)), f255);
        const __m256 r = _mm256_div_ps(
            _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(px, 16), lowByte)), f255);

        // RGB to HSL in single precision (HSLPixel::RGBToHSLf).
        const __m256 mx = _mm256_max_ps(_mm256_max_ps(r, g), b);
        const __m256 mn = _mm256_min_ps(_mm256_min_ps(r, g), b);
        __m256 l = _mm256_div_ps(_mm256_add_ps(mx, mn), two);
        const __m256 d = _mm256_sub_ps(mx, mn);
        const __m256 upper = _mm256_cmp_ps(l, _mm256_set1_ps(0.5f), _CMP_GE_OQ);
        const __m256 sDen = _mm256_blendv_ps(_mm256_add_ps(mx, mn),
                                             _mm256_sub_ps(_mm256_sub_ps(two, mx), mn), upper);
        __m256 s = _mm256_div_ps(d, sDen);
        const __m256 isR = _mm256_cmp_ps(mx, r, _CMP_EQ_OQ);
        const __m256 isG = _mm256_andnot_ps(isR, _mm256_cmp_ps(mx, g, _CMP_EQ_OQ));
        __m256 num = _mm256_sub_ps(r, g);
        num = _mm256_blendv_ps(num, _mm256_sub_ps(b, r), isG);
        num = _mm256_blendv_ps(num, _mm256_sub_ps(g, b), isR);
        // The red case adds 0, which leaves every non-zero quotient as it is;
        // a zero quotient is +0 either way since g - b is never -0.
        __m256 off = _mm256_set1_ps(4.0f);
        off = _mm256_blendv_ps(off, two, isG);
        off = _mm256_blendv_ps(off, zero, isR);
        __m256 h = _mm256_add_ps(_mm256_div_ps(num, d), off);
        h = _mm256_div_ps(h, _mm256_set1_ps(6.0f));
        h = _mm256_blendv_ps(h, _mm256_add_ps(h, one), _mm256_cmp_ps(h, zero, _CMP_LT_OQ));
        const __m256 achromatic = _mm256_cmp_ps(mx, mn, _CMP_EQ_OQ);
        h = _mm256_blendv_ps(h, zero, achromatic);
        s = _mm256_blendv_ps(s, zero, achromatic);

        // The shift (HSLPixel::WrapHue and the clamps).
        h = _mm256_add_ps(h, vdH);
        h = _mm256_sub_ps(h, _mm256_floor_ps(h));
        h = _mm256_blendv_ps(h, _mm256_add_ps(h, one), _mm256_cmp_ps(h, zero, _CMP_LE_OQ));
        s = _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(s, vdS), zero), one);
        l = _mm256_min_ps(_mm256_max_ps(_mm256_add_ps(l, vdL), zero), one);

        const TChannels4 lo = HSLToRGBAvx2(_mm256_castps256_ps128(h), _mm256_castps256_ps128(s),
                                           _mm256_castps256_ps128(l));
        const TChannels4 hi = HSLToRGBAvx2(_mm256_extractf128_ps(h, 1),
                                           _mm256_extractf128_ps(s, 1),
                                           _mm256_extractf128_ps(l, 1));
        const __m256i rr = ClampBytesAvx2(lo.R, hi.R);
        const __m256i gg = ClampBytesAvx2(lo.G, hi.G);
        const __m256i bb = ClampBytesAvx2(lo.B, hi.B);
        __m256i out = _mm256_or_si256(_mm256_and_si256(px, alpha), bb);
        out = _mm256_or_si256(out, _mm256_slli_epi32(gg, 8));
        out = _mm256_or_si256(out, _mm256_slli_epi32(rr, 16));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), out);
    }
    ShiftRowScalar(row + x, count - x, dH, dS, dL);
}

// ---- AVX-512 with byte permutes -------------------------------------------

#define LUMARBO_AVX512 "avx512f,avx512bw,avx512vbmi"

__attribute__((target(LUMARBO_AVX512))) void MapChannelsAvx512(std::uint32_t* row, int count,
                                                               const TByteTable& table)
{
    const std::uint8_t* t = table.T.data();
    const __m512i t0 = _mm512_loadu_si512(t);
    const __m512i t1 = _mm512_loadu_si512(t + 64);
    const __m512i t2 = _mm512_loadu_si512(t + 128);
    const __m512i t3 = _mm512_loadu_si512(t + 192);
    const __mmask64 alphaBytes = 0x8888888888888888ull;
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m512i px = _mm512_loadu_si512(row + x);
        // Bit 6 of each index picks between the two halves of a pair of
        // registers, bit 7 between the pairs.
        const __m512i low = _mm512_permutex2var_epi8(t0, px, t1);
        const __m512i high = _mm512_permutex2var_epi8(t2, px, t3);
        __m512i out = _mm512_mask_blend_epi8(_mm512_movepi8_mask(px), low, high);
        out = _mm512_mask_blend_epi8(alphaBytes, out, px);
        _mm512_storeu_si512(row + x, out);
    }
    MapChannelsScalar(row + x, count - x, table);
}

// One byte table of 256 entries held in four registers.
struct TByteLut {
    __m512i Q0, Q1, Q2, Q3;
};

__attribute__((target(LUMARBO_AVX512))) inline TByteLut LoadLut(const std::uint8_t* t)
{
    return {_mm512_loadu_si512(t), _mm512_loadu_si512(t + 64), _mm512_loadu_si512(t + 128),
            _mm512_loadu_si512(t + 192)};
}

__attribute__((target(LUMARBO_AVX512))) inline __m512i Lookup(const TByteLut& lut, __m512i idx)
{
    const __m512i low = _mm512_permutex2var_epi8(lut.Q0, idx, lut.Q1);
    const __m512i high = _mm512_permutex2var_epi8(lut.Q2, idx, lut.Q3);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(idx), low, high);
}

__attribute__((target(LUMARBO_AVX512))) void MapGreyAvx512(std::uint32_t* row, int count,
                                                           const TGreyTable& table)
{
    const TByteLut lb = LoadLut(table.B.data());
    const TByteLut lg = LoadLut(table.G.data());
    const TByteLut lr = LoadLut(table.R.data());
    // blue + green and red + 0 x alpha as 16-bit pairs, then their sum
    const __m512i channelWeights = _mm512_set1_epi32(0x00010101);
    const __m512i ones16 = _mm512_set1_epi16(1);
    const __m512i mul = _mm512_set1_epi32(int(GreyMul));
    const __m512i spread = _mm512_set1_epi32(0x00010101);
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m512i px = _mm512_loadu_si512(row + x);
        const __m512i sum =
            _mm512_madd_epi16(_mm512_maddubs_epi16(px, channelWeights), ones16);
        // (the zero-masked shift: GCC 12 warns about the plain one at -O3)
        const __m512i grey =
            _mm512_maskz_srli_epi32(0xFFFF, _mm512_mullo_epi32(sum, mul), GreyShift);
        // grey in the blue, green and red byte of each pixel
        const __m512i idx = _mm512_mullo_epi32(grey, spread);
        __m512i out = _mm512_mask_blend_epi8(0x2222222222222222ull, Lookup(lb, idx), Lookup(lg, idx));
        out = _mm512_mask_blend_epi8(0x4444444444444444ull, out, Lookup(lr, idx));
        out = _mm512_mask_blend_epi8(0x8888888888888888ull, out, px);
        _mm512_storeu_si512(row + x, out);
    }
    MapGreyScalar(row + x, count - x, table);
}

#endif // LUMARBO_X86

} // namespace

TByteTable::TByteTable(const std::array<std::uint8_t, 256>& table) : T(table)
{
    for (std::size_t i = 0; i < T.size(); ++i)
        Words[i] = T[i];
}

TGreyTable::TGreyTable(const std::array<std::uint32_t, 256>& colours) : Words(colours)
{
    for (std::size_t i = 0; i < Words.size(); ++i) {
        B[i] = std::uint8_t(Words[i]);
        G[i] = std::uint8_t(Words[i] >> 8);
        R[i] = std::uint8_t(Words[i] >> 16);
    }
}

bool Supported(TPath path)
{
    switch (path) {
    case TPath::Scalar:
        return true;
#ifdef LUMARBO_X86
    case TPath::Avx2:
        return __builtin_cpu_supports("avx2");
    case TPath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512vbmi");
#else
    default:
        return false;
#endif
    }
    return false;
}

TPath BestPath(TPath limit)
{
    for (TPath p : {TPath::Avx512, TPath::Avx2}) {
        if (int(p) <= int(limit) && Supported(p))
            return p;
    }
    return TPath::Scalar;
}

void MapChannels(std::uint32_t* row, int count, const TByteTable& table, TPath path)
{
#ifdef LUMARBO_X86
    if (path == TPath::Avx512)
        return MapChannelsAvx512(row, count, table);
    if (path == TPath::Avx2)
        return MapChannelsAvx2(row, count, table);
#endif
    MapChannelsScalar(row, count, table);
}

void MapGrey(std::uint32_t* row, int count, const TGreyTable& table, TPath path)
{
#ifdef LUMARBO_X86
    if (path == TPath::Avx512)
        return MapGreyAvx512(row, count, table);
    if (path == TPath::Avx2)
        return MapGreyAvx2(row, count, table);
#endif
    MapGreyScalar(row, count, table);
}

void ShiftRow(std::uint32_t* row, int count, float dH, float dS, float dL, TPath path)
{
#ifdef LUMARBO_X86
    if (path == TPath::Avx2 || path == TPath::Avx512)
        return ShiftRowAvx2(row, count, dH, dS, dL);
#endif
    ShiftRowScalar(row, count, dH, dS, dL);
}

} // namespace FilterKernels
