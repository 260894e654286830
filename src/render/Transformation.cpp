#include "render/Transformation.h"

#include "app/Arith.h"

#include <QColorSpace>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr TTransformation::TMatrix kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

using TDoubleMatrix = std::array<double, 9>;

TDoubleMatrix ToDouble(const TTransformation::TMatrix& m)
{
    TDoubleMatrix d;
    std::copy(m.begin(), m.end(), d.begin());
    return d;
}

TTransformation::TMatrix Product(const TDoubleMatrix& a, const TDoubleMatrix& b)
{
    TTransformation::TMatrix r;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            r[row * 3 + col] = float(a[row * 3] * b[col] + a[row * 3 + 1] * b[3 + col]
                                     + a[row * 3 + 2] * b[6 + col]);
    return r;
}

TDoubleMatrix TranslationMatrix(double dx, double dy)
{
    return {1, 0, dx, 0, 1, dy, 0, 0, 1};
}

// Each entry times the scale, rounded; out-of-range values saturate.
TTransformation::TFixedMatrix ToFixed(const TTransformation::TMatrix& m, double scale)
{
    TTransformation::TFixedMatrix f;
    for (std::size_t i = 0; i < m.size(); ++i)
        f[i] = RoundHalfEven(double(m[i]) * scale);
    return f;
}

// Two's-complement wrap-around, as 32-bit registers compute.
std::int32_t Wrap(std::uint32_t v)
{
    return std::int32_t(v);
}

} // namespace

std::int32_t IntToFixed(std::int32_t i)
{
    return Wrap(std::uint32_t(i) << 16);
}

std::int32_t FixedToInt(std::int32_t f)
{
    return f >> 16;
}

std::int32_t FixedMul(std::int32_t a, std::int32_t b)
{
    const std::int64_t p = std::int64_t(a) * std::int64_t(b);
    return Wrap(std::uint32_t(std::uint64_t(p >> 16)));
}

// ---------------------------------------------------------------------------

TTransformation::TTransformation()
    : M(kIdentity), Inv(kIdentity)
{
}

TTransformation::~TTransformation() = default;

void TTransformation::Identity()
{
    M = kIdentity;
    FValid = false;
}

void TTransformation::SetMatrix(const TMatrix& m)
{
    M = m;
    FValid = false;
}

void TTransformation::MultiplyRight(const TDoubleMatrix& r)
{
    M = Product(ToDouble(M), r);
    FValid = false;
}

void TTransformation::Translate(float dx, float dy)
{
    MultiplyRight(TranslationMatrix(dx, dy));
}

void TTransformation::Scale(float sx, float sy)
{
    MultiplyRight({sx, 0, 0, 0, sy, 0, 0, 0, 1});
}

void TTransformation::ScaleUniform(float s)
{
    Scale(s, s);
}

void TTransformation::RotateAt(float cx, float cy, float angle)
{
    const double a = double(angle) * std::numbers::pi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const bool about = cx != 0 || cy != 0;
    if (about)
        Translate(cx, cy);
    MultiplyRight({c, -s, 0, s, c, 0, 0, 0, 1});
    if (about)
        Translate(-cx, -cy);
}

void TTransformation::Rotate(float angle)
{
    RotateAt(0, 0, angle);
}

void TTransformation::Multiply(const TTransformation& other)
{
    MultiplyRight(ToDouble(other.M));
}

void TTransformation::PreMultiply(const TTransformation& other)
{
    M = Product(ToDouble(other.M), ToDouble(M));
    FValid = false;
}

void TTransformation::Assign(const TTransformation& other)
{
    FValid = other.FValid;
    M = other.M;
    Inv = other.Inv;
    Fwd12 = other.Fwd12;
    Inv12 = other.Inv12;
    Fwd16 = other.Fwd16;
    Inv16 = other.Inv16;
}

void TTransformation::Push()
{
    Stack.push_back(M);
}

void TTransformation::Pop()
{
    if (Stack.empty())
        return;
    M = Stack.back();
    Stack.pop_back();
    Prepare();
}

void TTransformation::PopAll()
{
    while (!Stack.empty())
        Pop();
}

void TTransformation::Prepare()
{
    // In double, so that a strong reduction (a scale of 0.001 has a
    // determinant of 1e-6) still inverts; only a truly singular or
    // non-finite matrix falls back to the identity.
    const TDoubleMatrix m = ToDouble(M);
    const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6])
                       + m[2] * (m[3] * m[7] - m[4] * m[6]);
    Inv = kIdentity;
    if (det != 0 && std::isfinite(det)) {
        const TDoubleMatrix adj = {
            m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
            m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
            m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3],
        };
        TMatrix inv;
        bool finite = true;
        for (std::size_t i = 0; i < inv.size(); ++i) {
            inv[i] = float(adj[i] / det);
            finite = finite && std::isfinite(inv[i]);
        }
        if (finite)
            Inv = inv;
    }
    Inv12 = ToFixed(Inv, 4096.0);
    Fwd12 = ToFixed(M, 4096.0);
    Inv16 = ToFixed(Inv, 65536.0);
    Fwd16 = ToFixed(M, 65536.0);
    FValid = true;
}

void TTransformation::TransformPoint(float x, float y, float& ox, float& oy)
{
    EnsurePrepared();
    ox = float(double(M[0]) * x + double(M[1]) * y + M[2]);
    oy = float(double(M[3]) * x + double(M[4]) * y + M[5]);
}

void TTransformation::InverseTransformPoint(float x, float y, float& ox, float& oy)
{
    EnsurePrepared();
    ox = float(double(Inv[0]) * x + double(Inv[1]) * y + Inv[2]);
    oy = float(double(Inv[3]) * x + double(Inv[4]) * y + Inv[5]);
}

void TTransformation::TransformVector(float x, float y, float& ox, float& oy)
{
    EnsurePrepared();
    ox = float(double(M[0]) * x + double(M[1]) * y);
    oy = float(double(M[3]) * x + double(M[4]) * y);
}

void TTransformation::InverseTransformVector(float x, float y, float& ox, float& oy)
{
    EnsurePrepared();
    ox = float(double(Inv[0]) * x + double(Inv[1]) * y);
    oy = float(double(Inv[3]) * x + double(Inv[4]) * y);
}

TPointF TTransformation::TransformPoint(TPointF p)
{
    TPointF r;
    TransformPoint(p.X, p.Y, r.X, r.Y);
    return r;
}

TPointF TTransformation::InverseTransformPoint(TPointF p)
{
    TPointF r;
    InverseTransformPoint(p.X, p.Y, r.X, r.Y);
    return r;
}

TPointF TTransformation::TransformVector(TPointF v)
{
    TPointF r;
    TransformVector(v.X, v.Y, r.X, r.Y);
    return r;
}

TPointF TTransformation::InverseTransformVector(TPointF v)
{
    TPointF r;
    InverseTransformVector(v.X, v.Y, r.X, r.Y);
    return r;
}

void TTransformation::InverseTransformPixel(int x, int y, int& sx, int& sy)
{
    EnsurePrepared();
    const auto& i = Inv12;
    const std::uint32_t ux = std::uint32_t(x);
    const std::uint32_t uy = std::uint32_t(y);
    sx = Wrap(ux * std::uint32_t(i[0]) + uy * std::uint32_t(i[1]) + std::uint32_t(i[2]) + 2047u) >> 12;
    sy = Wrap(ux * std::uint32_t(i[3]) + uy * std::uint32_t(i[4]) + std::uint32_t(i[5]) + 2047u) >> 12;
}

void TTransformation::InverseTransformFixed(std::int32_t x, std::int32_t y, std::int32_t& sx,
                                            std::int32_t& sy) const
{
    const auto& i = Inv16;
    sx = Wrap(std::uint32_t(FixedMul(x, i[0])) + std::uint32_t(FixedMul(y, i[1])) + std::uint32_t(i[2]));
    sy = Wrap(std::uint32_t(FixedMul(x, i[3])) + std::uint32_t(FixedMul(y, i[4])) + std::uint32_t(i[5]));
}

TRect TTransformation::BoundingRect(float x1, float y1, float x2, float y2)
{
    Prepare();
    const float xs[4] = {x1, x2, x2, x1};
    const float ys[4] = {y1, y1, y2, y2};
    TRect r;
    for (int k = 0; k < 4; ++k) {
        float dx, dy;
        TransformPoint(xs[k], ys[k], dx, dy);
        const int ix = RoundHalfEven(dx);
        const int iy = RoundHalfEven(dy);
        if (k == 0) {
            r = {ix, iy, ix, iy};
        } else {
            r.Left = std::min(r.Left, ix);
            r.Top = std::min(r.Top, iy);
            r.Right = std::max(r.Right, ix);
            r.Bottom = std::max(r.Bottom, iy);
        }
    }
    return r;
}

// ---------------------------------------------------------------------------

bool IsZero(double x)
{
    return std::fabs(x) < 0.000001;
}

TPointF PointF(float x, float y)
{
    return {x, y};
}

TRectF RectF(float left, float top, float right, float bottom)
{
    return {left, top, right, bottom};
}

TRectF CenterRectF(float cx, float cy, float w, float h)
{
    return {cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2};
}

TRectF OffsetRectF(const TRectF& r, float dx, float dy)
{
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TRectF UnionRectF(const TRectF& a, const TRectF& b)
{
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
            std::max(a.Bottom, b.Bottom)};
}

float VectorLength(TPointF v)
{
    return float(std::sqrt(double(v.X) * v.X + double(v.Y) * v.Y));
}

double VectorAngle(double a, double b)
{
    double deg;
    if (a != 0)
        deg = std::atan2(b, a) * 180.0 / std::numbers::pi;
    else
        deg = b > 0 ? 90.0 : 270.0;
    while (deg < 0)
        deg += 360;
    while (deg >= 360)
        deg -= 360;
    return deg;
}

float SnapToGrid(float grid, float v)
{
    if (IsZero(grid))
        return v;
    const double q = double(v) / grid;
    // Beyond 2^52 every double is a whole number already.
    const double whole = std::fabs(q) < 4503599627370496.0 ? double(RoundHalfEven64(q)) : q;
    return float(grid * whole);
}

QSize FitSize(const QSize& size, const QSize& target)
{
    const int w = size.width(), h = size.height();
    const int tw = target.width(), th = target.height();
    if (w <= 0 || h <= 0 || tw <= 0 || th <= 0)
        return QSize(0, 0);
    // MulDiv gives -1 for a height beyond the int range, which is certainly
    // taller than the target.
    const int fh = MulDiv(h, tw, w);
    if (fh < 0 || fh > th)
        return QSize(MulDiv(w, th, h), th);
    return QSize(tw, fh);
}

QSizeF FitSizeF(const QSizeF& size, const QSizeF& target)
{
    const double w = size.width(), h = size.height();
    const double tw = target.width(), th = target.height();
    if (!(w > 0 && h > 0 && tw > 0 && th > 0))
        return QSizeF(0, 0);
    const double fh = h * tw / w;
    if (fh > th)
        return QSizeF(w * th / h, th);
    return QSizeF(tw, fh);
}

QImage RotateImage90(const QImage& image, int angle)
{
    if (image.isNull())
        return QImage();
    const QImage::Format fmt = image.format();
    const QImage src = (fmt == QImage::Format_RGB32 || fmt == QImage::Format_ARGB32
                        || fmt == QImage::Format_ARGB32_Premultiplied)
                           ? image
                           : image.convertToFormat(QImage::Format_ARGB32);
    int a = angle % 360;
    if (a < 0)
        a += 360;
    if (a != 90 && a != 180 && a != 270)
        return src.copy();

    const int sw = src.width(), sh = src.height();
    const bool turned = a != 180;
    QImage dst(turned ? sh : sw, turned ? sw : sh, src.format());
    if (dst.isNull())
        return QImage();
    dst.setDotsPerMeterX(turned ? src.dotsPerMeterY() : src.dotsPerMeterX());
    dst.setDotsPerMeterY(turned ? src.dotsPerMeterX() : src.dotsPerMeterY());
    dst.setColorSpace(src.colorSpace());
    uchar* bits = dst.bits();
    const qsizetype stride = dst.bytesPerLine();
    for (int y = 0; y < sh; ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(src.constScanLine(y));
        for (int x = 0; x < sw; ++x) {
            int dx, dy;
            switch (a) {
            case 90: dx = sh - 1 - y; dy = x; break;
            case 180: dx = sw - 1 - x; dy = sh - 1 - y; break;
            default: dx = y; dy = sw - 1 - x; break;
            }
            reinterpret_cast<std::uint32_t*>(bits + dy * stride)[dx] = line[x];
        }
    }
    return dst;
}
