#include "render/Canvas.h"

#include "app/Arith.h"
#include "richtext/FontCache.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QTransform>

#include <algorithm>

namespace {

constexpr int kNoDeviceExtent = 32000;

Qt::BrushStyle QtBrushStyle(TBrushStyle style)
{
    switch (style) {
    case TBrushStyle::Solid: return Qt::SolidPattern;
    case TBrushStyle::Clear: return Qt::NoBrush;
    case TBrushStyle::Horizontal: return Qt::HorPattern;
    case TBrushStyle::Vertical: return Qt::VerPattern;
    case TBrushStyle::FDiagonal: return Qt::FDiagPattern;
    case TBrushStyle::BDiagonal: return Qt::BDiagPattern;
    case TBrushStyle::Cross: return Qt::CrossPattern;
    case TBrushStyle::DiagCross: return Qt::DiagCrossPattern;
    }
    return Qt::SolidPattern;
}

Qt::PenStyle QtPenStyle(TPenStyle style)
{
    switch (style) {
    case TPenStyle::Dash: return Qt::DashLine;
    case TPenStyle::Dot: return Qt::DotLine;
    case TPenStyle::DashDot: return Qt::DashDotLine;
    case TPenStyle::DashDotDot: return Qt::DashDotDotLine;
    case TPenStyle::Clear: return Qt::NoPen;
    case TPenStyle::Solid:
    case TPenStyle::InsideFrame: return Qt::SolidLine;
    }
    return Qt::SolidLine;
}

} // namespace

TCanvas::TCanvas(QPaintDevice* device)
    : FDevice(device)
{
}

TCanvas::TCanvas(QPainter* painter)
    : FDevice(painter ? painter->device() : nullptr), External(painter)
{
}

TCanvas::~TCanvas()
{
    End();
}

QPainter* TCanvas::Painter()
{
    QPainter* painter = External;
    if (!painter && FDevice) {
        if (!Own) {
            if (FDevice->paintingActive())
                return nullptr;
            Own = std::make_unique<QPainter>();
            if (!Own->begin(FDevice)) {
                Own.reset();
                return nullptr;
            }
            ClipDirty = true;
        }
        painter = Own.get();
    }
    if (!painter || !painter->isActive())
        return nullptr;
    painter->resetTransform();
    if (ClipDirty || External) {
        if (FClip)
            painter->setClipRegion(*FClip);
        else
            painter->setClipping(false);
        ClipDirty = false;
    }
    painter->setRenderHint(QPainter::Antialiasing, Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    return painter;
}

void TCanvas::End()
{
    if (Own) {
        Own->end();
        Own.reset();
    }
    ClipDirty = true;
}

QRect TCanvas::DeviceRect() const
{
    if (!FDevice)
        return QRect(QPoint(-kNoDeviceExtent, -kNoDeviceExtent),
                     QPoint(kNoDeviceExtent - 1, kNoDeviceExtent - 1));
    return QRect(0, 0, FDevice->width(), FDevice->height());
}

int TCanvas::DpiX() const
{
    return FDevice ? FDevice->logicalDpiX() : 96;
}

int TCanvas::DpiY() const
{
    return FDevice ? FDevice->logicalDpiY() : 96;
}

// ---------------------------------------------------------------------------
// State

void TCanvas::Changed(TCanvasPart part)
{
    if (OnChange)
        OnChange(*this, part);
}

void TCanvas::SetPen(const TPen& pen)
{
    FPen = pen;
    Changed(TCanvasPart::Pen);
}

void TCanvas::SetPenColor(TColor color)
{
    FPen.Color = color;
    Changed(TCanvasPart::Pen);
}

void TCanvas::SetPenStyle(TPenStyle style)
{
    FPen.Style = style;
    Changed(TCanvasPart::Pen);
}

void TCanvas::SetPenWidth(int width)
{
    FPen.Width = std::max(0, width);
    Changed(TCanvasPart::Pen);
}

void TCanvas::SetBrush(const TBrush& brush)
{
    FBrush = brush;
    Changed(TCanvasPart::Brush);
}

void TCanvas::SetBrushColor(TColor color)
{
    FBrush.Color = color;
    Changed(TCanvasPart::Brush);
}

void TCanvas::SetBrushStyle(TBrushStyle style)
{
    FBrush.Style = style;
    Changed(TCanvasPart::Brush);
}

void TCanvas::SetFont(const TFont& font)
{
    FFont = font;
    Changed(TCanvasPart::Font);
}

void TCanvas::SetFontColor(TColor color)
{
    FFont.Color = color;
    Changed(TCanvasPart::Font);
}

QPen TCanvas::ToQPen() const
{
    if (FPen.Style == TPenStyle::Clear)
        return QPen(Qt::NoPen);
    QPen pen(ToQColor(FPen.Color));
    if (FPen.Width <= 1) {
        // One device pixel whatever the painter's scale; the end point is
        // left out as with device lines.
        pen.setWidth(0);
        pen.setCosmetic(true);
        pen.setStyle(QtPenStyle(FPen.Style));
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setWidth(FPen.Width);
        pen.setStyle(Qt::SolidLine);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

QBrush TCanvas::ToQBrush() const
{
    const Qt::BrushStyle style = QtBrushStyle(FBrush.Style);
    if (style == Qt::NoBrush)
        return QBrush(Qt::NoBrush);
    return QBrush(ToQColor(FBrush.Color), style);
}

void TCanvas::PrepareShape(QPainter& painter) const
{
    painter.setPen(ToQPen());
    painter.setBrush(ToQBrush());
    // Hatches show the background between their lines, as on the devices
    // the layouts were made for.
    painter.setBackgroundMode(Qt::TransparentMode);
}

// ---------------------------------------------------------------------------
// Lines and shapes

void TCanvas::AddToPath(const QPolygon& points, bool closed)
{
    if (points.isEmpty())
        return;
    FPath.moveTo(points[0]);
    for (qsizetype i = 1; i < points.size(); ++i)
        FPath.lineTo(points[i]);
    if (closed)
        FPath.closeSubpath();
    FigureOpen = !closed;
}

void TCanvas::MoveTo(QPoint p)
{
    FPenPos = p;
    if (FInPath) {
        FPath.moveTo(p);
        FigureOpen = true;
    }
}

void TCanvas::LineTo(QPoint p)
{
    if (FInPath) {
        if (!FigureOpen) {
            FPath.moveTo(FPenPos);
            FigureOpen = true;
        }
        FPath.lineTo(p);
    } else if (QPainter* painter = Painter()) {
        painter->setPen(ToQPen());
        painter->drawLine(FPenPos, p);
    }
    FPenPos = p;
}

void TCanvas::Polyline(const QPolygon& points)
{
    if (points.size() < 2)
        return;
    if (FInPath) {
        AddToPath(points, false);
        return;
    }
    if (QPainter* painter = Painter()) {
        painter->setPen(ToQPen());
        painter->drawPolyline(points);
    }
}

void TCanvas::Polygon(const QPolygon& points)
{
    if (points.size() < 2)
        return;
    if (FInPath) {
        AddToPath(points, true);
        return;
    }
    if (QPainter* painter = Painter()) {
        PrepareShape(*painter);
        painter->drawPolygon(points, Qt::OddEvenFill);
    }
}

void TCanvas::PolyBezier(const QPolygon& points)
{
    if (points.size() < 4)
        return;
    QPainterPath curve(points[0]);
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        curve.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (FInPath) {
        FPath.addPath(curve);
        FigureOpen = true;
        return;
    }
    if (QPainter* painter = Painter()) {
        painter->setPen(ToQPen());
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(curve);
    }
}

void TCanvas::PolyBezierTo(const QPolygon& points)
{
    if (points.size() < 3)
        return;
    QPainterPath curve(FPenPos);
    qsizetype i = 0;
    for (; i + 2 < points.size(); i += 3)
        curve.cubicTo(points[i], points[i + 1], points[i + 2]);
    const QPoint end = points[i - 1];
    if (FInPath) {
        if (!FigureOpen) {
            FPath.moveTo(FPenPos);
            FigureOpen = true;
        }
        FPath.connectPath(curve);
    } else if (QPainter* painter = Painter()) {
        painter->setPen(ToQPen());
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(curve);
    }
    FPenPos = end;
}

void TCanvas::FillRect(const QRect& rect)
{
    if (FBrush.Style == TBrushStyle::Clear || rect.isEmpty())
        return;
    if (QPainter* painter = Painter()) {
        painter->setBackgroundMode(Qt::TransparentMode);
        painter->fillRect(rect, ToQBrush());
    }
}

// ---------------------------------------------------------------------------
// Paths

void TCanvas::BeginPath()
{
    FPath = QPainterPath();
    FPath.setFillRule(Qt::OddEvenFill);
    FInPath = true;
    FigureOpen = false;
}

void TCanvas::EndPath()
{
    FInPath = false;
}

void TCanvas::AbortPath()
{
    FInPath = false;
    FPath = QPainterPath();
}

void TCanvas::CloseFigure()
{
    if (FInPath && FigureOpen) {
        FPath.closeSubpath();
        FigureOpen = false;
    }
}

void TCanvas::StrokePath()
{
    const QPainterPath path = std::exchange(FPath, QPainterPath());
    FInPath = false;
    if (QPainter* painter = Painter())
        painter->strokePath(path, ToQPen());
}

void TCanvas::FillPath()
{
    QPainterPath path = std::exchange(FPath, QPainterPath());
    FInPath = false;
    path.setFillRule(Qt::OddEvenFill);
    if (FBrush.Style == TBrushStyle::Clear)
        return;
    if (QPainter* painter = Painter()) {
        painter->setBackgroundMode(Qt::TransparentMode);
        painter->fillPath(path, ToQBrush());
    }
}

void TCanvas::StrokeAndFillPath()
{
    QPainterPath path = std::exchange(FPath, QPainterPath());
    FInPath = false;
    path.setFillRule(Qt::OddEvenFill);
    if (QPainter* painter = Painter()) {
        PrepareShape(*painter);
        painter->drawPath(path);
    }
}

QRegion TCanvas::PathToRegion()
{
    const QPainterPath path = std::exchange(FPath, QPainterPath());
    FInPath = false;
    QRegion region;
    // Alternate filling: a pixel belongs to the region when it lies inside
    // an odd number of figures.
    for (const QPolygonF& figure : path.toSubpathPolygons()) {
        if (figure.size() >= 3)
            region ^= QRegion(figure.toPolygon(), Qt::OddEvenFill);
    }
    return region;
}

// ---------------------------------------------------------------------------
// Clipping

void TCanvas::SetClip(std::optional<QRegion> clip)
{
    FClip = std::move(clip);
    ClipDirty = true;
}

void TCanvas::CombineClip(const QRegion& region, TRegionMode mode)
{
    QRegion result;
    if (!FClip) {
        result = mode == TRegionMode::Diff ? QRegion(DeviceRect()).subtracted(region) : region;
    } else {
        switch (mode) {
        case TRegionMode::And: result = FClip->intersected(region); break;
        case TRegionMode::Or: result = FClip->united(region); break;
        case TRegionMode::Xor: result = FClip->xored(region); break;
        case TRegionMode::Diff: result = FClip->subtracted(region); break;
        case TRegionMode::Copy: result = region; break;
        }
    }
    SetClip(std::move(result));
}

void TCanvas::ClipToPath(TRegionMode mode)
{
    CombineClip(PathToRegion(), mode);
}

// ---------------------------------------------------------------------------
// Text

void TCanvas::SetDeviceFont(double emPixels, int escapement)
{
    FEmPixels = emPixels;
    FEscapement = escapement;
}

int TCanvas::DeviceFontHeight() const
{
    return std::max(1, RoundHalfEven(FEmPixels));
}

void TCanvas::ExtTextOut(QPoint p, QStringView text, const std::vector<int>& advances)
{
    if (text.isEmpty())
        return;
    const TFontInfo& info = FontCache().Lookup(FFont);
    if (!info.RawFont().isValid())
        return;
    QPainter* painter = Painter();
    if (!painter)
        return;

    // The outlines are scaled to the unrounded em height so that they match
    // the advances, which scale with it too.
    QRawFont raw = info.RawFont();
    raw.setPixelSize(std::max(1.0, FEmPixels));
    const std::vector<char32_t> codes = CodePoints(text);
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(qsizetype(codes.size()));
    positions.reserve(qsizetype(codes.size()));
    qint64 x = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        glyphs.append(info.Glyph(codes[i]).Index);
        positions.append(QPointF(double(x), 0));
        if (i < advances.size())
            x += advances[i];
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    run.setUnderline(FFont.Style.testFlag(TFontStyle::Underline));
    run.setStrikeOut(FFont.Style.testFlag(TFontStyle::StrikeOut));

    const int ascent = info.DeviceMetrics(DeviceFontHeight()).Ascent;
    painter->save();
    painter->translate(p);
    painter->rotate(-FEscapement / 10.0);
    painter->setPen(ToQColor(FFont.Color));
    painter->drawGlyphRun(QPointF(0, ascent), run);
    painter->restore();
}

// ---------------------------------------------------------------------------
// Images

void TCanvas::DrawImage(const QTransform& mapping, const QImage& image, const QRectF& source,
                        bool smooth)
{
    if (image.isNull() || source.isEmpty())
        return;
    QPainter* painter = Painter();
    if (!painter)
        return;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter->setTransform(mapping);
    painter->drawImage(source, image, source);
    painter->restore();
}

void TCanvas::StretchDraw(const QRect& target, const QImage& image, const QRect& source,
                          bool smooth)
{
    if (image.isNull() || target.isEmpty() || source.isEmpty())
        return;
    if (QPainter* painter = Painter()) {
        painter->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        painter->drawImage(target, image, source);
    }
}
