#include "render/ShadowBitmap.h"

#include "app/Arith.h"
#include "render/DrawContext.h"
#include "render/PixelOps.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kKernelSpan = 100;

struct TKernelState {
    bool Built = false;
    TGaussianKernel Kernel;
};

TKernelState& KernelState()
{
    static TKernelState state;
    return state;
}

void BuildKernel(double sigma, TGaussianKernel& kernel)
{
    kernel.Sigma = sigma;
    if (!(sigma > 0)) {
        kernel.Radius = 0;
        kernel.Weights = {256};
        return;
    }
    std::array<double, 2 * kKernelSpan + 1> w {};
    double sum = 0;
    for (int i = -kKernelSpan; i <= kKernelSpan; ++i) {
        const double t = i / sigma;
        w[std::size_t(i + kKernelSpan)] = std::exp(-t * t / 2);
        sum += w[std::size_t(i + kKernelSpan)];
    }
    for (double& v : w)
        v /= sum;
    const auto at = [&](int i) { return w[std::size_t(i + kKernelSpan)]; };

    int r = kKernelSpan;
    double cut = 0;
    while (cut < 1.0 / 256 && r > 1) {
        cut += 2 * at(r);
        --r;
    }
    double inner = 0;
    for (int i = -r; i <= r; ++i)
        inner += at(i);
    kernel.Radius = r;
    kernel.Weights.assign(std::size_t(2 * r + 1), 0);
    int total = 0;
    for (int i = -r; i <= r; ++i) {
        const int weight = RoundHalfEven(256 * at(i) / inner);
        kernel.Weights[std::size_t(i + r)] = weight;
        total += weight;
    }
    kernel.Weights[std::size_t(r)] += 256 - total;
}

inline std::uint8_t Scaled(int s)
{
    return std::uint8_t(s >= 65536 ? 255 : s >> 8);
}

// The horizontal pass over one row; samples beyond the ends repeat the end
// pixels.
void BlurRow(const std::uint8_t* in, std::uint8_t* out, int width, const TGaussianKernel& k)
{
    const int r = k.Radius;
    const int* w = k.Weights.data() + r; // w[j] for j in -r..r
    for (int x = 0; x < width; ++x) {
        int s = 0;
        if (x >= r && x + r < width) {
            const std::uint8_t* p = in + x;
            for (int j = -r; j <= r; ++j)
                s += w[j] * p[j];
        } else {
            for (int j = -r; j <= r; ++j)
                s += w[j] * in[std::clamp(x + j, 0, width - 1)];
        }
        out[x] = Scaled(s);
    }
}

} // namespace

const TGaussianKernel& GaussianKernel(double sigma)
{
    TKernelState& state = KernelState();
    // NaN never equals itself, so compare the way the kernel treats it.
    const bool same = state.Built
                      && (state.Kernel.Sigma == sigma
                          || (!(state.Kernel.Sigma > 0) && !(sigma > 0)));
    if (!same) {
        BuildKernel(sigma, state.Kernel);
        state.Built = true;
    }
    return state.Kernel;
}

// ---------------------------------------------------------------------------

TShadowBitmap::TShadowBitmap()
    : FCanvas(&Img)
{
    FCanvas.OnChange = [this](TCanvas& canvas, TCanvasPart part) { Force(canvas, part); };
    SetOpacity(50);
}

TShadowBitmap::TShadowBitmap(int width, int height)
    : TShadowBitmap()
{
    SetSize(width, height);
}

void TShadowBitmap::SetSize(int width, int height)
{
    FCanvas.End();
    Img = QImage(std::max(0, width), std::max(0, height), QImage::Format_ARGB32);
}

void TShadowBitmap::Force(TCanvas& canvas, TCanvasPart part)
{
    switch (part) {
    case TCanvasPart::Pen:
        if (ForcePenColor)
            canvas.ForcePenColor(Grey());
        break;
    case TCanvasPart::Brush:
        if (ForceBrushColor && canvas.Brush().Style != TBrushStyle::Clear)
            canvas.ForceBrushColor(Grey());
        break;
    case TCanvasPart::Font:
        if (ForceFontColor)
            canvas.ForceFontColor(Grey());
        break;
    }
}

void TShadowBitmap::ClearMask()
{
    if (Img.isNull())
        return;
    for (int y = 0; y < Img.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(Img.scanLine(y));
        std::fill(row, row + Img.width(), 0xFF000000u);
    }
}

void TShadowBitmap::SetOpacity(int percent)
{
    percent = std::clamp(percent, 0, 100);
    Level = std::uint8_t(RoundHalfEven((100 - percent) / 100.0 * 255));
    if (ForcePenColor)
        FCanvas.SetPenColor(Grey());
    if (ForceBrushColor)
        FCanvas.SetBrushColor(Grey());
    if (ForceFontColor)
        FCanvas.SetFontColor(Grey());
}

void TShadowBitmap::MakeShadow(TColor color, double sigma)
{
    const int width = Img.width();
    const int height = Img.height();
    if (width <= 0 || height <= 0)
        return;
    const TGaussianKernel& k = GaussianKernel(sigma);

    // Red bytes of the mask; each pass reads a copy that it does not write.
    std::vector<std::uint8_t> mask(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(Img.constScanLine(y));
        for (int x = 0; x < width; ++x)
            mask[std::size_t(y) * width + x] = std::uint8_t(row[x] >> 16);
    }

    std::vector<std::uint8_t> across(mask.size());
    for (int y = 0; y < height; ++y)
        BlurRow(&mask[std::size_t(y) * width], &across[std::size_t(y) * width], width, k);

    // The vertical pass row by row (the same sums, in an order that reads
    // memory linearly). Its result is the alpha; red, green and blue become
    // the shadow colour.
    const std::uint32_t rgb = (std::uint32_t(RedOf(color)) << 16)
                              | (std::uint32_t(GreenOf(color)) << 8) | std::uint32_t(BlueOf(color));
    std::vector<int> sums(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int j = -k.Radius; j <= k.Radius; ++j) {
            const int weight = k.Weight(j);
            const std::uint8_t* line = &across[std::size_t(std::clamp(y + j, 0, height - 1)) * width];
            for (int x = 0; x < width; ++x)
                sums[std::size_t(x)] += weight * line[x];
        }
        auto* row = reinterpret_cast<std::uint32_t*>(Img.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = (std::uint32_t(Scaled(sums[std::size_t(x)])) << 24) | rgb;
    }
}

// ---------------------------------------------------------------------------

void BlendBitmap(QImage& dest, int x, int y, int alpha, const QImage& source)
{
    if (dest.isNull() || source.isNull())
        return;
    if (!pixelops::Is32Bit(dest))
        dest = dest.convertToFormat(QImage::Format_ARGB32);
    const TImageLock lock(source);
    if (!lock.Ok())
        return;
    const TLockedBits& src = lock.Data();

    const std::int64_t sx0 = std::max<std::int64_t>(0, -std::int64_t(x));
    const std::int64_t sy0 = std::max<std::int64_t>(0, -std::int64_t(y));
    const std::int64_t dx0 = std::max<std::int64_t>(0, x);
    const std::int64_t dy0 = std::max<std::int64_t>(0, y);
    const std::int64_t w = std::min<std::int64_t>(src.Width - sx0, dest.width() - dx0);
    const std::int64_t h = std::min<std::int64_t>(src.Height - sy0, dest.height() - dy0);
    if (w <= 0 || h <= 0)
        return;

    const int c = RoundHalfEven(std::clamp(alpha, 0, 255) * 128 / 255.0);
    const std::uint32_t orMask = dest.format() == QImage::Format_RGB32 ? 0xFF000000u : 0;
    for (std::int64_t row = 0; row < h; ++row) {
        const std::uint32_t* s = src.Row(int(sy0 + row)) + sx0;
        auto* d = reinterpret_cast<std::uint32_t*>(dest.scanLine(int(dy0 + row))) + dx0;
        for (std::int64_t i = 0; i < w; ++i) {
            if (s[i] != d[i])
                d[i] = pixelops::ConstantBlend(d[i], s[i], c) | orMask;
        }
    }
}
