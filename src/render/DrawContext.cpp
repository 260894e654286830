#include "render/DrawContext.h"

#include "app/Arith.h"
#include "app/Errors.h"
#include "app/Format.h"
#include "render/PixelOps.h"

#include <QTransform>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcRender, "lumarbo.render")

namespace {

// Handle length of a cubic arc that approximates a quarter ellipse, as a
// share of the full width (4/3 * (sqrt(2) - 1) / 2).
constexpr float kEllipseHandle = 0.2761423749154f;

class TDesignMetricsMeasurer final : public ITextMeasurer {
public:
    double TextExtent(const TFont& font, QStringView text) override
    {
        const TFontInfo& info = FontCache().Lookup(font);
        return double(info.TextAdvance(text)) * EmPixels(font) / info.EmSquare();
    }
    double TextCellHeight(const TFont& font, QStringView) override
    {
        const TFontInfo& info = FontCache().Lookup(font);
        return double(info.Metrics().Height) * EmPixels(font) / info.EmSquare();
    }

private:
    static double EmPixels(const TFont& font)
    {
        return std::abs(font.Size) * kMeasureDpi / 72.0;
    }
};

float MeasureToMM(double pixels)
{
    return float(pixels / kMeasureDpi * 25.4);
}

// The smallest reduction that keeps pictures sent to a device at no more
// than 360 dpi; whole-number division of the resolution, or exact.
int ReductionFactor(int dpi, bool exact)
{
    int f = 1;
    if (exact) {
        while (double(dpi) / f > 360.0)
            ++f;
    } else {
        while (dpi / f > 360)
            ++f;
    }
    return f;
}

bool Singular(const TTransformation& t)
{
    const auto& m = t.Matrix();
    const double det = double(m[0]) * m[4] - double(m[1]) * m[3];
    return det == 0 || !std::isfinite(det);
}

bool SourceInside(const TLockedBits& data, int sx, int sy, int sw, int sh)
{
    return !data.Empty() && sx >= 0 && sy >= 0 && sw > 0 && sh > 0
           && std::int64_t(sx) + sw <= std::int64_t(data.Width)
           && std::int64_t(sy) + sh <= std::int64_t(data.Height);
}

// True when u lies in [first, first + count) after moving a value one
// below or one past that range onto its edge.
bool PullOntoEdge(int& u, int first, int count)
{
    if (u == first - 1)
        u = first;
    else if (u == first + count)
        u = first + count - 1;
    return u >= first && u < first + count;
}

} // namespace

ITextMeasurer& DesignMetricsMeasurer()
{
    static TDesignMetricsMeasurer measurer;
    return measurer;
}

TLockedBits BitmapToLockedBits(QImage& bitmap)
{
    TLockedBits bits;
    if (bitmap.isNull() || !pixelops::Is32Bit(bitmap))
        return bits;
    bits.Width = std::uint32_t(bitmap.width());
    bits.Height = std::uint32_t(bitmap.height());
    bits.Stride = std::int32_t(bitmap.bytesPerLine());
    bits.Scan0 = bitmap.bits();
    return bits;
}

TImageLock::TImageLock(const QImage& image)
{
    if (image.isNull())
        return;
    const QImage* source = &image;
    if (!pixelops::Is32Bit(image)) {
        Converted = image.convertToFormat(QImage::Format_ARGB32);
        if (Converted.isNull())
            return;
        source = &Converted;
    }
    Bits.Width = std::uint32_t(source->width());
    Bits.Height = std::uint32_t(source->height());
    Bits.Stride = std::int32_t(source->bytesPerLine());
    // Read only: constBits() does not detach a shared picture.
    Bits.Scan0 = const_cast<std::uint8_t*>(source->constBits());
}

// ---------------------------------------------------------------------------

TDrawContext::TDrawContext(TCanvas* canvas)
    : FCanvas(canvas)
{
}

TDrawContext::~TDrawContext() = default;

void TDrawContext::SetMeasurer(ITextMeasurer* measurer)
{
    Measurer = measurer;
}

void TDrawContext::SetFont(const TFont& font)
{
    FFont = font;
}

void TDrawContext::SetPenColor(TColor color)
{
    FCanvas->SetPenColor(color);
}

void TDrawContext::SetPenStyle(TPenStyle style)
{
    FCanvas->SetPenStyle(style);
}

void TDrawContext::SetPenWidth(float w)
{
    FPenWidth = w;
    int device = 1;
    if (w != 0) {
        float vx, vy;
        FTransformation.TransformVector(0, w, vx, vy);
        const int ix = RoundHalfEven(vx);
        const int iy = RoundHalfEven(vy);
        device = RoundHalfEven(std::sqrt(double(ix) * ix + double(iy) * iy));
    }
    FCanvas->SetPenWidth(device);
}

void TDrawContext::SetPenWidthPixels(int n)
{
    float vx, vy;
    FTransformation.InverseTransformVector(0, float(n), vx, vy);
    FPenWidth = std::sqrt(vx * vx + vy * vy);
    FCanvas->SetPenWidth(n);
}

void TDrawContext::SetBrushColor(TColor color)
{
    FCanvas->SetBrushColor(color);
}

void TDrawContext::SetBrushStyle(TBrushStyle style)
{
    FCanvas->SetBrushStyle(style);
}

QPoint TDrawContext::ToDevice(float x, float y)
{
    float dx, dy;
    FTransformation.TransformPoint(x, y, dx, dy);
    const auto cut = [](float v) {
        return RoundHalfEven(std::trunc(double(v) * 10000.0 + 0.5) / 10000.0);
    };
    return QPoint(cut(dx), cut(dy));
}

TPointF TDrawContext::ToDocument(int px, int py)
{
    return FTransformation.InverseTransformPoint(PointF(float(px), float(py)));
}

// ---------------------------------------------------------------------------
// Lines and shapes

void TDrawContext::MoveTo(float x, float y)
{
    FCanvas->MoveTo(ToDevice(x, y));
}

void TDrawContext::LineTo(float x, float y)
{
    FCanvas->LineTo(ToDevice(x, y));
}

void TDrawContext::Line(float x1, float y1, float x2, float y2)
{
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TDrawContext::Polyline(const std::vector<TPointF>& points)
{
    QPolygon device;
    device.reserve(qsizetype(points.size()));
    for (const TPointF& p : points)
        device.append(ToDevice(p.X, p.Y));
    FCanvas->Polyline(device);
}

void TDrawContext::PolyBezier(const std::vector<TPointF>& points)
{
    QPolygon device;
    device.reserve(qsizetype(points.size()));
    for (const TPointF& p : points)
        device.append(ToDevice(p.X, p.Y));
    FCanvas->PolyBezier(device);
}

void TDrawContext::PolyBezierTo(TPointF p1, TPointF p2, TPointF p3)
{
    FCanvas->PolyBezierTo(
        QPolygon({ToDevice(p1.X, p1.Y), ToDevice(p2.X, p2.Y), ToDevice(p3.X, p3.Y)}));
}

void TDrawContext::Rectangle(float l, float t, float r, float b)
{
    FCanvas->Polygon(QPolygon(
        {ToDevice(l, t), ToDevice(r, t), ToDevice(r, b), ToDevice(l, b), ToDevice(l, t)}));
}

void TDrawContext::RectangleF(const TRectF& r)
{
    Rectangle(r.Left, r.Top, r.Right, r.Bottom);
}

void TDrawContext::CenterRectangle(float cx, float cy, float w, float h)
{
    Rectangle(cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2);
}

void TDrawContext::RotatedRectangle(float angle, float w, float h, float cx, float cy)
{
    FTransformation.Push();
    FTransformation.Translate(cx, cy);
    FTransformation.Rotate(angle);
    Rectangle(-w / 2, -h / 2, w / 2, h / 2);
    FTransformation.Pop();
}

void TDrawContext::EllipsePoints(float cx, float cy, float w, float h, QPolygon& out)
{
    const float kx = kEllipseHandle * w;
    const float ky = kEllipseHandle * h;
    const TPointF points[13] = {
        {cx - w / 2, cy},      {cx - w / 2, cy - ky}, {cx - kx, cy - h / 2},
        {cx, cy - h / 2},      {cx + kx, cy - h / 2}, {cx + w / 2, cy - ky},
        {cx + w / 2, cy},      {cx + w / 2, cy + ky}, {cx + kx, cy + h / 2},
        {cx, cy + h / 2},      {cx - kx, cy + h / 2}, {cx - w / 2, cy + ky},
        {cx - w / 2, cy},
    };
    out.clear();
    for (const TPointF& p : points)
        out.append(ToDevice(p.X, p.Y));
}

void TDrawContext::Ellipse(float cx, float cy, float w, float h)
{
    QPolygon points;
    EllipsePoints(cx, cy, w, h, points);
    if (FCanvas->InPath()) {
        FCanvas->PolyBezier(points);
        FCanvas->CloseFigure();
        return;
    }
    FCanvas->BeginPath();
    FCanvas->PolyBezier(points);
    FCanvas->CloseFigure();
    FCanvas->EndPath();
    FCanvas->StrokeAndFillPath();
}

void TDrawContext::BeginPath()
{
    FCanvas->BeginPath();
}

void TDrawContext::EndPath()
{
    FCanvas->EndPath();
}

void TDrawContext::CloseFigure()
{
    FCanvas->CloseFigure();
}

void TDrawContext::StrokePath()
{
    FCanvas->StrokePath();
}

void TDrawContext::FillPath()
{
    FCanvas->FillPath();
}

void TDrawContext::StrokeAndFillPath()
{
    FCanvas->StrokeAndFillPath();
}

// ---------------------------------------------------------------------------
// Clipping

void TDrawContext::PathRectangle(float l, float t, float r, float b)
{
    FCanvas->BeginPath();
    FCanvas->Polygon(QPolygon({ToDevice(l, t), ToDevice(r, t), ToDevice(r, b), ToDevice(l, b)}));
    FCanvas->EndPath();
}

void TDrawContext::ClipToPath(TRegionMode mode)
{
    ClipStack.push_back(FCanvas->Clip());
    FCanvas->ClipToPath(mode);
}

void TDrawContext::ClipRect(TRegionMode mode, float l, float t, float r, float b)
{
    PathRectangle(l, t, r, b);
    ClipToPath(mode);
}

void TDrawContext::ClipRotatedRect(TRegionMode mode, float angle, float w, float h, float cx,
                                   float cy)
{
    FTransformation.Push();
    FTransformation.Translate(cx, cy);
    FTransformation.Rotate(angle);
    PathRectangle(-w / 2, -h / 2, w / 2, h / 2);
    FTransformation.Pop();
    ClipToPath(mode);
}

void TDrawContext::ClipEllipse(TRegionMode mode, float angle, float w, float h, float cx, float cy)
{
    FTransformation.Push();
    if (angle != 0)
        FTransformation.RotateAt(cx, cy, angle);
    QPolygon points;
    EllipsePoints(cx, cy, w, h, points);
    FTransformation.Pop();
    FCanvas->BeginPath();
    FCanvas->PolyBezier(points);
    FCanvas->CloseFigure();
    FCanvas->EndPath();
    ClipToPath(mode);
}

void TDrawContext::RestoreClip()
{
    if (ClipStack.empty()) {
        FCanvas->SetClip(std::nullopt);
        return;
    }
    FCanvas->SetClip(std::move(ClipStack.back()));
    ClipStack.pop_back();
}

// ---------------------------------------------------------------------------
// Text

void TDrawContext::SelectDeviceFont()
{
    FCanvas->SetFont(FFont);
    float vx, vy;
    FTransformation.TransformVector(0, float(FFont.Size * 25.4 / 72.0), vx, vy);
    const double h = std::sqrt(double(vx) * vx + double(vy) * vy);
    FDeviceFontHeight = float(h);
    const int escapement = RoundHalfEven(10 * VectorAngle(vy, vx)) % 3600;
    FCanvas->SetDeviceFont(h, escapement);
}

void TDrawContext::TextOut(const QString& text, int mode, float x, float y)
{
    FCanvas->SetBrushStyle(TBrushStyle::Clear);
    SelectDeviceFont();
    QPoint p = ToDevice(x, y);

    const std::vector<int> advances = CharacterAdvances(text, FDeviceFontHeight);
    std::int64_t total = 0;
    for (int advance : advances)
        total += advance;

    if (mode == 2) {
        float vx, vy;
        FTransformation.InverseTransformVector(float(total), 0, vx, vy);
        p = ToDevice(x - std::sqrt(vx * vx + vy * vy), y);
    }
    FCanvas->ExtTextOut(p, text, advances);
    FCanvas->SetBrushStyle(TBrushStyle::Solid);
}

std::vector<int> TDrawContext::CharacterAdvances(const QString& text, double emHeight) const
{
    const TFontInfo& info = FontCache().Lookup(FFont);
    const std::vector<char32_t> codes = CodePoints(text);
    std::vector<int> advances(codes.size());
    const double em = std::abs(emHeight);
    double cumulative = 0;
    std::int64_t previous = 0;
    // Positions are rounded from the running total, so rounding errors never
    // pile up along the line.
    for (std::size_t i = 0; i < codes.size(); ++i) {
        cumulative += info.CharWidth(codes[i], em);
        const auto position = std::int64_t(std::trunc(cumulative + 0.5));
        advances[i] = int(position - previous);
        previous = position;
    }
    return advances;
}

float TDrawContext::TextWidth(const QString& text)
{
    ITextMeasurer& m = Measurer ? *Measurer : DesignMetricsMeasurer();
    return MeasureToMM(m.TextExtent(FFont, text));
}

float TDrawContext::TextHeight(const QString& text)
{
    ITextMeasurer& m = Measurer ? *Measurer : DesignMetricsMeasurer();
    return MeasureToMM(m.TextCellHeight(FFont, text));
}

void TDrawContext::WrapText(const QString& text, std::vector<TWrappedLine>& lines, float width)
{
    ITextMeasurer& m = Measurer ? *Measurer : DesignMetricsMeasurer();
    // A zero or negative width still gets one character per line.
    const double limit = std::max(0, RoundHalfEven(width / 25.4 * kMeasureDpi));
    const qsizetype n = text.size();
    const auto extent = [&](qsizetype from, qsizetype to) {
        return m.TextExtent(FFont, QStringView(text).mid(from, to - from));
    };

    qsizetype start = 0;
    while (start < n) {
        qsizetype lastSpace = -1;
        qsizetype k = start;
        while (true) {
            while (k < n && text[k] != QLatin1Char(' ') && text[k] != QLatin1Char('\r'))
                ++k;
            if (extent(start, k) > limit) {
                if (lastSpace >= 0) {
                    lines.push_back({text.mid(start, lastSpace - start), false});
                    start = lastSpace + 1;
                } else {
                    // A word longer than the line: the longest head that fits,
                    // at least one character.
                    qsizetype lo = 1;
                    qsizetype hi = k - start;
                    while (lo < hi) {
                        const qsizetype mid = (lo + hi + 1) / 2;
                        if (extent(start, start + mid) <= limit)
                            lo = mid;
                        else
                            hi = mid - 1;
                    }
                    lines.push_back({text.mid(start, lo), false});
                    start += lo;
                }
                break;
            }
            if (k == n) {
                lines.push_back({text.mid(start), true});
                start = n;
                break;
            }
            if (text[k] == QLatin1Char('\r')) {
                lines.push_back({text.mid(start, k - start), true});
                // CR LF counts as one break; a lone CR keeps what follows.
                start = k + 1 < n && text[k + 1] == QLatin1Char('\n') ? k + 2 : k + 1;
                break;
            }
            lastSpace = k;
            ++k;
        }
    }
}

float TDrawContext::DrawText(const QString& text, unsigned flags, float left, float top,
                             float right, float bottom)
{
    const auto xFor = [&](float width) {
        if (flags & kDtCenter)
            return (left + right - width) / 2;
        if (flags & kDtRight)
            return right - width;
        return left;
    };

    if (!(flags & kDtWordBreak)) {
        const float width = TextWidth(text);
        const float height = TextHeight(text);
        float y = top;
        if (flags & kDtVCenter)
            y = (top + bottom - height) / 2;
        else if (flags & kDtBottom)
            y = bottom - height;
        if (!(flags & kDtCalcRect))
            TextOut(text, 0, xFor(width), y);
        return height;
    }

    std::vector<TWrappedLine> lines;
    WrapText(text, lines, right - left);
    if (lines.empty())
        return 0;
    const float lineHeight = TextHeight(QStringLiteral("Xy"));
    const float total = float(lines.size()) * lineHeight;
    float y = top;
    if (flags & kDtVCenter)
        y = (top + bottom - total) / 2;
    else if (flags & kDtBottom)
        y = bottom - total;
    // Text that does not fit starts at the top and runs out at the bottom.
    y = std::max(y, top);
    if (!(flags & kDtCalcRect)) {
        for (const TWrappedLine& line : lines) {
            TextOut(line.Text, 0, xFor(TextWidth(line.Text)), y);
            y += lineHeight;
        }
    }
    return total;
}

float TDrawContext::DrawTextRect(const TRectF& r, const QString& text, unsigned flags)
{
    return DrawText(text, flags, r.Left, r.Top, r.Right, r.Bottom);
}

TTextMetrics TDrawContext::GetTextMetrics()
{
    SelectDeviceFont();
    return FontCache().Lookup(FFont).DeviceMetrics(FCanvas->DeviceFontHeight());
}

// ---------------------------------------------------------------------------
// Picture slots on a plain canvas

bool TDrawContext::Intersects(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TRect TDrawContext::Intersect(const TRect& a, const TRect& b)
{
    TRect r {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
             std::min(a.Bottom, b.Bottom)};
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    return r;
}

namespace {

// The nearest source pixels of the source rectangle for each pixel of a
// reduced device box; pixels whose source lies outside keep the fill. The
// rounding of the first and last device pixels may land one source pixel
// outside; those are pulled onto the edge so that no seam is left.
QImage SampleReduced(const TLockedBits& data, int sx, int sy, int sw, int sh,
                     TTransformation& mapping, const TRect& box, std::uint32_t fill)
{
    QImage image(box.Width(), box.Height(), QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    image.fill(fill);
    for (int y = 0; y < box.Height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < box.Width(); ++x) {
            int u, v;
            mapping.InverseTransformPixel(box.Left + x, box.Top + y, u, v);
            if (PullOntoEdge(u, sx, sw) && PullOntoEdge(v, sy, sh))
                row[x] = data.Row(v)[u];
        }
    }
    return image;
}

TRect Reduce(const TRect& r, int f)
{
    const auto down = [f](int v) { return v >= 0 ? v / f : -((-v + f - 1) / f); };
    const auto up = [f](int v) { return v >= 0 ? (v + f - 1) / f : -(-v / f); };
    return {down(r.Left), down(r.Top), up(r.Right), up(r.Bottom)};
}

} // namespace

void TDrawContext::DrawImageOrthogonalBlt(const QImage& image, float x, float y, float w, float h)
{
    if (image.isNull() || !(w > 0) || !(h > 0))
        return;
    const TRect box = Intersect(FTransformation.BoundingRect(x, y, x + w, y + h), FDeviceRect);
    if (!Intersects(box, FUpdateRect))
        return;
    const TImageLock lock(image);
    if (!lock.Ok()) {
        qCWarning(lcRender).noquote()
            << Format(QStringLiteral("DrawImageOrthogonalBlt: Lockbits failed %d"), {1});
        return;
    }
    const TLockedBits& data = lock.Data();
    const int f = ReductionFactor(FCanvas->DpiY(), false);
    TTransformation mapping;
    mapping.Scale(1.0f / f, 1.0f / f);
    mapping.Multiply(FTransformation);
    mapping.Translate(x, y);
    mapping.Scale(w / float(data.Width), h / float(data.Height));
    if (Singular(mapping))
        return;
    const TRect reduced = Reduce(box, f);
    const QImage sampled = SampleReduced(data, 0, 0, int(data.Width), int(data.Height), mapping,
                                         reduced, 0);
    FCanvas->StretchDraw(QRect(reduced.Left * f, reduced.Top * f, reduced.Width() * f,
                               reduced.Height() * f),
                         sampled, sampled.rect(), false);
}

void TDrawContext::DrawBitmapDataOrthogonal(const TLockedBits& data, int sx, int sy, int sw,
                                            int sh, float x, float y, float w, float h)
{
    // sw - 1 source pixels span the width, so a single column or row has no
    // extent to map.
    if (!SourceInside(data, sx, sy, sw, sh) || sw < 2 || sh < 2 || !(w > 0) || !(h > 0))
        return;
    const TRect box = Intersect(FTransformation.BoundingRect(x, y, x + w, y + h), FDeviceRect);
    if (!Intersects(box, FUpdateRect))
        return;
    const int f = ReductionFactor(FCanvas->DpiY(), false);
    TTransformation mapping;
    mapping.Scale(1.0f / f, 1.0f / f);
    mapping.Multiply(FTransformation);
    mapping.Translate(x, y);
    mapping.Scale(w / float(sw - 1), h / float(sh - 1));
    mapping.Translate(float(-sx), float(-sy));
    if (Singular(mapping))
        return;
    const TRect reduced = Reduce(box, f);
    constexpr std::uint32_t kPurple = 0xFF800080;
    const QImage sampled = SampleReduced(data, sx, sy, sw, sh, mapping, reduced, kPurple);
    FCanvas->StretchDraw(QRect(reduced.Left * f, reduced.Top * f, reduced.Width() * f,
                               reduced.Height() * f),
                         sampled, sampled.rect(), false);
}

void TDrawContext::DrawImage(const QImage& image, int sx, int sy, int sw, int sh, float cx,
                             float cy, float w, float h, float angle)
{
    if (image.isNull() || sx < 0 || sy < 0 || sw <= 0 || sh <= 0
        || std::int64_t(sx) + sw > image.width() || std::int64_t(sy) + sh > image.height())
        return;
    FTransformation.Push();
    FTransformation.Translate(cx, cy);
    FTransformation.Rotate(angle);
    const QPoint tl = ToDevice(-w / 2, -h / 2);
    const QPoint tr = ToDevice(w / 2, -h / 2);
    const QPoint bl = ToDevice(-w / 2, h / 2);
    FTransformation.Pop();
    // The picture's top-left, top-right and bottom-left corners go to the
    // three points: a parallelogram.
    const double m11 = double(tr.x() - tl.x()) / sw;
    const double m12 = double(tr.y() - tl.y()) / sw;
    const double m21 = double(bl.x() - tl.x()) / sh;
    const double m22 = double(bl.y() - tl.y()) / sh;
    if (m11 * m22 - m12 * m21 == 0)
        return;
    const QTransform mapping(m11, m12, m21, m22, tl.x() - m11 * sx - m21 * sy,
                             tl.y() - m12 * sx - m22 * sy);
    FCanvas->DrawImage(mapping, image, QRectF(sx, sy, sw, sh), true);
}

void TDrawContext::DrawBitmapData(const TLockedBits& data, int sx, int sy, int sw, int sh,
                                  float x, float y, float w, float h)
{
    if (!SourceInside(data, sx, sy, sw, sh) || !(w > 0) || !(h > 0))
        return;
    const auto& m = FTransformation.Matrix();
    if ((IsZero(m[1]) && IsZero(m[3])) || (IsZero(m[0]) && IsZero(m[4]))) {
        DrawBitmapDataOrthogonal(data, sx, sy, sw, sh, x, y, w, h);
        return;
    }
    const int f = ReductionFactor(FCanvas->DpiY(), true);
    TTransformation mapping;
    mapping.Scale(1.0f / f, 1.0f / f);
    mapping.Multiply(FTransformation);
    mapping.Translate(x, y);
    mapping.Scale(w / float(sw), h / float(sh));
    mapping.Translate(float(-sx), float(-sy));
    if (Singular(mapping))
        return;
    TRect box = mapping.BoundingRect(float(sx), float(sy), float(sx + sw), float(sy + sh));
    box.Right += 1;
    box.Bottom += 1;
    box = Intersect(box, Reduce(FDeviceRect, f));
    box = Intersect(box, Reduce(FUpdateRect, f));
    if (box.Width() <= 0 || box.Height() <= 0)
        return;

    std::vector<std::uint32_t> run;
    for (int y0 = box.Top; y0 < box.Bottom; ++y0) {
        run.clear();
        int first = 0;
        for (int x0 = box.Left; x0 < box.Right; ++x0) {
            int u, v;
            mapping.InverseTransformPixel(x0, y0, u, v);
            if (PullOntoEdge(u, sx, sw) && PullOntoEdge(v, sy, sh)) {
                if (run.empty())
                    first = x0;
                run.resize(std::size_t(x0 - first + 1), 0xFF000000u);
                run.back() = data.Row(v)[u] | 0xFF000000u;
            }
        }
        if (run.empty())
            continue;
        const QImage line(reinterpret_cast<const uchar*>(run.data()), int(run.size()), 1,
                          QImage::Format_RGB32);
        FCanvas->StretchDraw(QRect(first * f, y0 * f, int(run.size()) * f, f), line, line.rect(),
                             false);
    }
}

void TDrawContext::DrawImageAlpha(const TLockedBits&, int, int, int, int, float, float, float,
                                  float)
{
    throw Exception(QStringLiteral("TDrawContext.DrawImageAlpha ist nicht implementiert"));
}

void TDrawContext::DrawShadowRect(float, float, float, float, float, float)
{
    // Painting must go on; the missing shadow is only worth a log line.
    qCWarning(lcRender).noquote() << QStringLiteral(
        "DrawShadowRect(cxDest, cyDest, wDest, hDest, angle, BlurWidth: single) in "
        "TDrawContext noch nicht implementiert");
}
