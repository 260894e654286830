#include "render/BitmapDrawContext.h"

#include "app/Arith.h"
#include "render/PixelOps.h"
#include "render/ShadowBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>

int TBitmapDrawContext::ThreadingThreshold = 200000;

namespace {

using pixelops::PutPixel;

// Largest device coordinate for which the incremental stepping of the
// 16.16 loop equals IntToFixed followed by FixedMul exactly.
constexpr int kFixedLimit = 32767;

bool Singular(const TTransformation& t)
{
    const auto& m = t.Matrix();
    const double det = double(m[0]) * m[4] - double(m[1]) * m[3];
    return det == 0 || !std::isfinite(det);
}

// A source rectangle inside the picture and a target of positive size.
bool ValidSlot(const TLockedBits& data, int sx, int sy, int sw, int sh, float w, float h)
{
    return !data.Empty() && sx >= 0 && sy >= 0 && sw > 0 && sh > 0
           && std::int64_t(sx) + sw <= std::int64_t(data.Width)
           && std::int64_t(sy) + sh <= std::int64_t(data.Height) && w > 0 && h > 0;
}

// Source pixels to device pixels for a picture drawn into the millimetre
// rectangle (x, y, w, h); false when the mapping cannot be inverted.
bool SlotMapping(const TTransformation& device, float x, float y, float w, float h, int sx, int sy, int sw,
                 int sh, TTransformation& mapping)
{
    mapping.Assign(device);
    mapping.Translate(x, y);
    mapping.Scale(w / float(sw), h / float(sh));
    mapping.Translate(float(-sx), float(-sy));
    mapping.Prepare();
    return !Singular(mapping);
}

std::uint32_t* DestRow(QImage& bitmap, int y)
{
    return reinterpret_cast<std::uint32_t*>(bitmap.bits() + std::intptr_t(bitmap.bytesPerLine()) * y);
}

// Calls fn(y, x0, x1) for every row of every rectangle; large jobs are
// split by rows between this thread and one more. Rows never overlap, so
// the halves write disjoint memory.
template <class Fn>
void ForEachRow(const std::vector<TRect>& rects, int threshold, Fn&& fn)
{
    std::int64_t area = 0;
    for (const TRect& r : rects)
        area += std::int64_t(r.Width()) * r.Height();
    const auto rows = [&](bool upper) {
        for (const TRect& r : rects) {
            const int mid = r.Top + r.Height() / 2;
            const int from = upper ? r.Top : mid;
            const int to = upper ? mid : r.Bottom;
            for (int y = from; y < to; ++y)
                fn(y, r.Left, r.Right);
        }
    };
    if (threshold > 0 && area >= threshold && std::thread::hardware_concurrency() > 1) {
        std::thread helper([&] { rows(true); });
        rows(false);
        helper.join();
    } else {
        rows(true);
        rows(false);
    }
}

// One pixel of DrawImageAlpha: a position exactly one unit before the
// first or at the end of the source edges is moved onto the edge; inside
// the edges it is sampled bilinearly and put by its alpha.
inline void AlphaPixel(std::uint32_t& d, std::int32_t fx, std::int32_t fy,
                       const std::uint8_t* scan0, std::intptr_t stride, int width, int height,
                       std::int32_t left, std::int32_t right, std::int32_t top,
                       std::int32_t bottom, std::uint32_t orMask)
{
    if (fx == left - 1)
        fx = left;
    else if (fx == right)
        fx = right - 1;
    if (fy == top - 1)
        fy = top;
    else if (fy == bottom)
        fy = bottom - 1;
    if (fx < left || fx >= right || fy < top || fy >= bottom)
        return;
    const std::uint32_t s = pixelops::Bilinear(scan0, stride, width, height, fx, fy);
    const std::uint32_t a = s >> 24;
    if (a == 255)
        d = s;
    else if (a != 0)
        d = pixelops::BlendPixel(d, s) | orMask;
}

} // namespace

TBitmapDrawContext::TBitmapDrawContext(QImage* bitmap)
    : TBitmapDrawContext(bitmap, nullptr, std::make_unique<TCanvas>(bitmap))
{
}

TBitmapDrawContext::TBitmapDrawContext(TShadowBitmap& bitmap)
    : TBitmapDrawContext(&bitmap.Image(), &bitmap.Canvas(), nullptr)
{
}

TBitmapDrawContext::TBitmapDrawContext(QImage* bitmap, TCanvas* canvas,
                                       std::unique_ptr<TCanvas> own)
    : TDrawContext(canvas ? canvas : own.get()), FBitmap(bitmap), OwnCanvas(std::move(own))
{
    if (!FBitmap->isNull() && !pixelops::Is32Bit(*FBitmap)) {
        FCanvas->End();
        *FBitmap = FBitmap->convertToFormat(QImage::Format_ARGB32);
    }
    RefreshDeviceRect();
}

TBitmapDrawContext::~TBitmapDrawContext() = default;

void TBitmapDrawContext::RefreshDeviceRect()
{
    FDeviceRect = {0, 0, FBitmap->width(), FBitmap->height()};
}

TRect TBitmapDrawContext::CutBox(const TRect& box) const
{
    return Intersect(Intersect(box, FDeviceRect), FUpdateRect);
}

bool TBitmapDrawContext::ScanRects(const TRect& box, bool useClip, std::vector<TRect>& rects) const
{
    rects.clear();
    if (box.Width() <= 0 || box.Height() <= 0)
        return false;
    if (useClip && FCanvas->HasClip()) {
        const QRegion region =
            FCanvas->Clip()->intersected(QRect(box.Left, box.Top, box.Width(), box.Height()));
        for (const QRect& r : region)
            rects.push_back({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    } else {
        rects.push_back(box);
    }
    return !rects.empty();
}

void TBitmapDrawContext::DrawImage(const QImage& image, int sx, int sy, int sw, int sh, float cx,
                                   float cy, float w, float h, float angle)
{
    RefreshDeviceRect();
    if (FBitmap->isNull() || image.isNull() || sx < 0 || sy < 0 || sw <= 0 || sh <= 0
        || std::int64_t(sx) + sw > image.width() || std::int64_t(sy) + sh > image.height()
        || !(w > 0) || !(h > 0))
        return;

    FTransformation.Push();
    FTransformation.Translate(cx, cy);
    FTransformation.Rotate(angle);
    TRect box = FTransformation.BoundingRect(-w / 2, -h / 2, w / 2, h / 2);
    FTransformation.Pop();
    box = CutBox({box.Left - 1, box.Top - 1, box.Right + 1, box.Bottom + 1});
    std::vector<TRect> rects;
    if (!ScanRects(box, true, rects))
        return;

    TTransformation mapping;
    mapping.Assign(FTransformation);
    mapping.RotateAt(cx, cy, angle);
    mapping.Translate(cx - w / 2, cy - h / 2);
    mapping.Scale(w / float(sw), h / float(sh));
    mapping.Translate(float(-sx), float(-sy));
    mapping.Prepare();
    if (Singular(mapping))
        return;

    const TImageLock lock(image);
    if (!lock.Ok())
        return;
    const TLockedBits& src = lock.Data();
    const auto inv = mapping.InverseFixed12();
    const std::uint32_t orMask = FBitmap->format() == QImage::Format_RGB32 ? 0xFF000000u : 0;
    QImage& bitmap = *FBitmap;
    bitmap.bits(); // detach once, before any helper thread writes

    ForEachRow(rects, ThreadingThreshold, [&](int y, int x0, int x1) {
        // Locals, so that stores into the bitmap do not force reloads.
        const std::uint8_t* scan0 = src.Scan0;
        const std::intptr_t stride = src.Stride;
        const std::uint32_t left = std::uint32_t(sx), top = std::uint32_t(sy);
        const std::uint32_t width = std::uint32_t(sw), height = std::uint32_t(sh);
        const std::uint32_t mask = orMask;
        const std::uint32_t stepX = std::uint32_t(inv[0]);
        const std::uint32_t stepY = std::uint32_t(inv[3]);
        std::uint32_t* d = DestRow(bitmap, y);
        // The 20.12 inverse, stepped one pixel at a time with the same
        // wrapping 32-bit sums as InverseTransformPixel.
        std::uint32_t ax = std::uint32_t(x0) * stepX + std::uint32_t(y) * std::uint32_t(inv[1])
                           + std::uint32_t(inv[2]) + 2047u;
        std::uint32_t ay = std::uint32_t(x0) * stepY + std::uint32_t(y) * std::uint32_t(inv[4])
                           + std::uint32_t(inv[5]) + 2047u;
        for (int x = x0; x < x1; ++x, ax += stepX, ay += stepY) {
            const std::int32_t u = std::int32_t(ax) >> 12;
            const std::int32_t v = std::int32_t(ay) >> 12;
            if (std::uint32_t(u) - left < width && std::uint32_t(v) - top < height) {
                const std::uint32_t s =
                    reinterpret_cast<const std::uint32_t*>(scan0 + stride * v)[u];
                const std::uint32_t a = s >> 24;
                if (a == 255)
                    d[x] = s;
                else if (a != 0)
                    d[x] = pixelops::BlendPixel(d[x], s) | mask;
            }
        }
    });
}

void TBitmapDrawContext::DrawBitmapData(const TLockedBits& data, int sx, int sy, int sw, int sh,
                                        float x, float y, float w, float h)
{
    RefreshDeviceRect();
    if (FBitmap->isNull() || !ValidSlot(data, sx, sy, sw, sh, w, h))
        return;

    TRect box = FTransformation.BoundingRect(x, y, x + w, y + h);
    box = CutBox({box.Left, box.Top, box.Right + 1, box.Bottom + 1});
    std::vector<TRect> rects;
    if (!ScanRects(box, false, rects))
        return;

    TTransformation mapping;
    if (!SlotMapping(FTransformation, x, y, w, h, sx, sy, sw, sh, mapping))
        return;

    const auto inv = mapping.InverseFixed12();
    const std::uint32_t orMask = FBitmap->format() == QImage::Format_RGB32 ? 0xFF000000u : 0;
    QImage& bitmap = *FBitmap;
    bitmap.bits();
    ForEachRow(rects, ThreadingThreshold, [&](int py, int x0, int x1) {
        std::uint32_t* d = DestRow(bitmap, py);
        std::uint32_t ax = std::uint32_t(x0) * std::uint32_t(inv[0])
                           + std::uint32_t(py) * std::uint32_t(inv[1]) + std::uint32_t(inv[2]) + 2047u;
        std::uint32_t ay = std::uint32_t(x0) * std::uint32_t(inv[3])
                           + std::uint32_t(py) * std::uint32_t(inv[4]) + std::uint32_t(inv[5]) + 2047u;
        for (int px = x0; px < x1; ++px, ax += std::uint32_t(inv[0]), ay += std::uint32_t(inv[3])) {
            std::int32_t u = std::int32_t(ax) >> 12;
            std::int32_t v = std::int32_t(ay) >> 12;
            // The rounding at the edges may land half a pixel outside.
            if (u == sx - 1)
                u = sx;
            else if (u == sx + sw)
                u = sx + sw - 1;
            if (v == sy - 1)
                v = sy;
            else if (v == sy + sh)
                v = sy + sh - 1;
            if (std::uint32_t(u - sx) < std::uint32_t(sw) && std::uint32_t(v - sy) < std::uint32_t(sh))
                d[px] = data.Row(v)[u] | orMask;
        }
    });
}

void TBitmapDrawContext::DrawImageAlpha(const TLockedBits& data, int sx, int sy, int sw, int sh,
                                        float x, float y, float w, float h)
{
    RefreshDeviceRect();
    // 16.16 source edges need the data to stay below 32768 pixels.
    if (FBitmap->isNull() || !ValidSlot(data, sx, sy, sw, sh, w, h) || data.Width > std::uint32_t(kFixedLimit)
        || data.Height > std::uint32_t(kFixedLimit))
        return;

    const TRect box = CutBox(FTransformation.BoundingRect(x, y, x + w, y + h));
    std::vector<TRect> rects;
    if (!ScanRects(box, true, rects))
        return;

    TTransformation mapping;
    if (!SlotMapping(FTransformation, x, y, w, h, sx, sy, sw, sh, mapping))
        return;

    const std::int32_t left = IntToFixed(sx);
    const std::int32_t right = IntToFixed(sx + sw);
    const std::int32_t top = IntToFixed(sy);
    const std::int32_t bottom = IntToFixed(sy + sh);
    const auto inv = mapping.InverseFixed16();
    const bool stepping = FBitmap->width() <= kFixedLimit && FBitmap->height() <= kFixedLimit;
    const std::uint32_t orMask = FBitmap->format() == QImage::Format_RGB32 ? 0xFF000000u : 0;
    const int width = int(data.Width);
    const int height = int(data.Height);
    QImage& bitmap = *FBitmap;
    bitmap.bits();

    if (!stepping) {
        ForEachRow(rects, ThreadingThreshold, [&](int py, int x0, int x1) {
            std::uint32_t* d = DestRow(bitmap, py);
            for (int px = x0; px < x1; ++px) {
                std::int32_t fx, fy;
                mapping.InverseTransformFixed(IntToFixed(px), IntToFixed(py), fx, fy);
                AlphaPixel(d[px], fx, fy, data.Scan0, data.Stride, width, height, left, right,
                           top, bottom, orMask);
            }
        });
        return;
    }
    ForEachRow(rects, ThreadingThreshold, [&](int py, int x0, int x1) {
        // Copies in locals: the compiler need not reload them after every
        // store into the bitmap.
        const std::uint8_t* scan0 = data.Scan0;
        const std::intptr_t stride = data.Stride;
        const int w = width, h = height;
        const std::int32_t l = left, r = right, t = top, b = bottom;
        const std::uint32_t mask = orMask;
        const std::uint32_t stepX = std::uint32_t(inv[0]);
        const std::uint32_t stepY = std::uint32_t(inv[3]);
        std::uint32_t* d = DestRow(bitmap, py);
        // FixedMul(IntToFixed(p), I) is p * I for |p| < 32768, so the
        // position can be stepped by the matrix entries.
        std::uint32_t ax = std::uint32_t(x0) * stepX + std::uint32_t(py) * std::uint32_t(inv[1])
                           + std::uint32_t(inv[2]);
        std::uint32_t ay = std::uint32_t(x0) * stepY + std::uint32_t(py) * std::uint32_t(inv[4])
                           + std::uint32_t(inv[5]);
        for (int px = x0; px < x1; ++px, ax += stepX, ay += stepY)
            AlphaPixel(d[px], std::int32_t(ax), std::int32_t(ay), scan0, stride, w, h, l, r, t, b,
                       mask);
    });
}

void TBitmapDrawContext::DrawShadowRect(float cxDest, float cyDest, float wDest, float hDest,
                                        float angle, float blurWidth)
{
    RefreshDeviceRect();
    if (FBitmap->isNull() || !(wDest > 0) || !(hDest > 0))
        return;

    FTransformation.Push();
    FTransformation.RotateAt(cxDest, cyDest, angle);
    TRect box = FTransformation.BoundingRect(cxDest - wDest / 2, cyDest - hDest / 2,
                                             cxDest + wDest / 2, cyDest + hDest / 2);
    FTransformation.Pop();
    box = CutBox({box.Left, box.Top, box.Right + 1, box.Bottom + 1});
    std::vector<TRect> rects;
    if (!ScanRects(box, true, rects))
        return;

    const auto deviceLength = [this](float x, float y) {
        float vx, vy;
        FTransformation.TransformVector(x, y, vx, vy);
        return RoundHalfEven(std::sqrt(double(vx) * vx + double(vy) * vy));
    };
    const int cellsX = deviceLength(wDest, 0);
    const int cellsY = deviceLength(0, hDest);
    const int fade = std::max(1, deviceLength(blurWidth, 0));
    if (cellsX <= 0 || cellsY <= 0)
        return;

    TTransformation mapping;
    mapping.Assign(FTransformation);
    mapping.RotateAt(cxDest, cyDest, angle);
    mapping.Translate(cxDest - wDest / 2, cyDest - hDest / 2);
    mapping.Scale(wDest / float(cellsX), hDest / float(cellsY));
    mapping.Prepare();
    if (Singular(mapping))
        return;

    const auto inv = mapping.InverseFixed12();
    const std::uint32_t orMask = FBitmap->format() == QImage::Format_RGB32 ? 0xFF000000u : 0;
    QImage& bitmap = *FBitmap;
    bitmap.bits();
    const auto distance = [fade](int i, int cells) {
        if (i < fade)
            return fade - i;
        if (i > cells - fade)
            return i + fade - cells;
        return 0;
    };

    ForEachRow(rects, ThreadingThreshold, [&](int py, int x0, int x1) {
        std::uint32_t* d = DestRow(bitmap, py);
        std::uint32_t ax = std::uint32_t(x0) * std::uint32_t(inv[0])
                           + std::uint32_t(py) * std::uint32_t(inv[1]) + std::uint32_t(inv[2]) + 2047u;
        std::uint32_t ay = std::uint32_t(x0) * std::uint32_t(inv[3])
                           + std::uint32_t(py) * std::uint32_t(inv[4]) + std::uint32_t(inv[5]) + 2047u;
        for (int px = x0; px < x1; ++px, ax += std::uint32_t(inv[0]), ay += std::uint32_t(inv[3])) {
            int i = std::int32_t(ax) >> 12;
            int j = std::int32_t(ay) >> 12;
            if (i == -1)
                i = 0;
            else if (i == cellsX)
                i = cellsX - 1;
            if (j == -1)
                j = 0;
            else if (j == cellsY)
                j = cellsY - 1;
            if (i < 0 || i >= cellsX || j < 0 || j >= cellsY)
                continue;
            const int dx = distance(i, cellsX);
            const int dy = distance(j, cellsY);
            double dist;
            if (dx == 0 || dy == 0)
                dist = dx + dy;
            else
                dist = std::sqrt(double(dx) * dx + double(dy) * dy);
            const int m = std::clamp(RoundHalfEven(dist / fade * 192), 0, 192);
            if (m < 192)
                d[px] = pixelops::BlendPixel(d[px], (std::uint32_t(192 - m) << 24) | 0x606060u)
                        | orMask;
        }
    });
}
