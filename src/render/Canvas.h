#pragma once

#include "app/Colors.h"
#include "render/Font.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QRegion>
#include <QStringView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPaintDevice;
class QTransform;

// The device layer under the draw contexts. Page drawing was written for a
// device with state: a pen, a brush and a font selected into it, a current
// position, a path bracket in which line and curve calls are recorded
// instead of drawn, and a clip region combined from paths. TCanvas keeps
// that state itself and issues QPainter calls with an identity transform,
// so every coordinate here is a device pixel.
//
// The clip is held as our own QRegion (nullopt when there is none) so that
// it can be saved, restored and read by the pixel loops of the bitmap
// context, which write the bitmap's memory directly.

enum class TPenStyle : std::uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
enum class TBrushStyle : std::uint8_t {
    Solid,
    Clear,
    Horizontal,
    Vertical,
    FDiagonal,
    BDiagonal,
    Cross,
    DiagCross
};

struct TPen {
    TColor Color = clBlack;
    TPenStyle Style = TPenStyle::Solid;
    // Device pixels; 0 and 1 give a one-pixel line, wider pens have round
    // caps and joins (dash styles only apply to one-pixel pens).
    int Width = 1;
    bool operator==(const TPen&) const = default;
};

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::Solid;
    bool operator==(const TBrush&) const = default;
};

// How a new region is combined with the current clip. With no clip set a
// difference starts from the whole device; every other mode just takes the
// new region.
enum class TRegionMode : std::uint8_t { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

enum class TCanvasPart : std::uint8_t { Pen, Brush, Font };

class TCanvas {
public:
    // Draws on a device through a painter of its own, begun on first use.
    // Without a device the canvas only records paths and regions (hit
    // tests); drawing calls are then ignored.
    explicit TCanvas(QPaintDevice* device = nullptr);
    // Draws through a painter someone else has begun (a widget's paint
    // event); it is left active.
    explicit TCanvas(QPainter* painter);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    QPaintDevice* Device() const { return FDevice; }
    // The active painter with the current clip applied; nullptr without a
    // device or when the device cannot be painted on.
    QPainter* Painter();
    // Ends the own painter so the device may be resized or handed on; the
    // next drawing call begins a new one. State (pen, clip ...) is kept.
    void End();

    // Bounds of the device in pixels: (0, 0, width, height); a very large
    // rectangle without a device.
    QRect DeviceRect() const;
    int DpiX() const;
    int DpiY() const;

    // Shapes are drawn aliased like on the devices the layouts were made
    // for; text is always smoothed.
    bool Antialiasing = false;

    const TPen& Pen() const { return FPen; }
    const TBrush& Brush() const { return FBrush; }
    const TFont& Font() const { return FFont; }
    void SetPen(const TPen& pen);
    void SetPenColor(TColor color);
    void SetPenStyle(TPenStyle style);
    void SetPenWidth(int width);
    void SetBrush(const TBrush& brush);
    void SetBrushColor(TColor color);
    void SetBrushStyle(TBrushStyle style);
    void SetFont(const TFont& font);
    void SetFontColor(TColor color);
    // Called after every change of the pen, the brush or the font; a hook
    // may adjust the object with the Force* calls, which do not call it.
    std::function<void(TCanvas&, TCanvasPart)> OnChange;
    void ForcePenColor(TColor color) { FPen.Color = color; }
    void ForceBrushColor(TColor color) { FBrush.Color = color; }
    void ForceFontColor(TColor color) { FFont.Color = color; }

    QPoint PenPos() const { return FPenPos; }
    void MoveTo(QPoint p);
    void LineTo(QPoint p);
    void Polyline(const QPolygon& points);
    // Filled with the brush and outlined with the pen (alternate filling).
    void Polygon(const QPolygon& points);
    // 1 + 3n points: start, then control, control, end per segment.
    void PolyBezier(const QPolygon& points);
    // 3n points continuing from the current position, which moves to the
    // last one.
    void PolyBezierTo(const QPolygon& points);
    // Filled with the brush, no outline; right and bottom edge exclusive.
    void FillRect(const QRect& rect);

    // Between BeginPath and EndPath the line, curve and polygon calls are
    // recorded into the path. The path is used up by the stroke and fill
    // calls, ClipToPath and PathToRegion.
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    bool InPath() const { return FInPath; }
    const QPainterPath& Path() const { return FPath; }
    void StrokePath();
    void FillPath();
    void StrokeAndFillPath();
    // The pixels inside the path (alternate rule, open figures closed).
    QRegion PathToRegion();

    bool HasClip() const { return FClip.has_value(); }
    const std::optional<QRegion>& Clip() const { return FClip; }
    void SetClip(std::optional<QRegion> clip);
    void CombineClip(const QRegion& region, TRegionMode mode);
    void ClipToPath(TRegionMode mode);

    // The device font for text output: the font's em height in pixels
    // (unrounded; the device cell uses it rounded, at least 1) and the
    // escapement in tenths of a degree, counter-clockwise as seen.
    void SetDeviceFont(double emPixels, int escapement);
    double DeviceEmPixels() const { return FEmPixels; }
    int DeviceFontHeight() const; // rounded em height, at least 1
    int Escapement() const { return FEscapement; }
    // Draws the text with the current font and device font, the top of the
    // character cell at p, each character advanced by the given pixels along
    // the escapement (missing entries count 0). Transparent background.
    void ExtTextOut(QPoint p, QStringView text, const std::vector<int>& advances);

    // Draws the source rectangle of an image with the mapping from image
    // to device pixels, clipped, blended by its alpha.
    void DrawImage(const QTransform& mapping, const QImage& image, const QRectF& source,
                   bool smooth);
    void StretchDraw(const QRect& target, const QImage& image, const QRect& source, bool smooth);

private:
    QPen ToQPen() const;
    QBrush ToQBrush() const;
    void Changed(TCanvasPart part);
    void AddToPath(const QPolygon& points, bool closed);
    void PrepareShape(QPainter& painter) const;

    QPaintDevice* FDevice = nullptr;
    QPainter* External = nullptr;
    std::unique_ptr<QPainter> Own;
    bool ClipDirty = true;

    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    QPoint FPenPos;
    bool FInPath = false;
    bool FigureOpen = false;
    QPainterPath FPath;
    std::optional<QRegion> FClip;
    double FEmPixels = 1;
    int FEscapement = 0;
};
