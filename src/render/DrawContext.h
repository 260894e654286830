#pragma once

#include "render/Canvas.h"
#include "render/Font.h"
#include "render/Transformation.h"
#include "richtext/FontCache.h"

#include <QImage>
#include <QLoggingCategory>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcRender)

// Flags of DrawText (the alignment bits shared by all calendar settings).
constexpr unsigned kDtCenter = 1;
constexpr unsigned kDtRight = 2;
constexpr unsigned kDtVCenter = 4;
constexpr unsigned kDtBottom = 8;
constexpr unsigned kDtWordBreak = 16;
constexpr unsigned kDtCalcRect = 1024;

// Text is measured as on a 720 dpi device whatever the target, so that line
// breaks are the same everywhere.
constexpr double kMeasureDpi = 720.0;

// One line of WrapText: HardBreak is set when the line ends at a carriage
// return or at the end of the text, clear when it was broken to fit.
struct TWrappedLine {
    QString Text;
    bool HardBreak = false;
    bool operator==(const TWrappedLine&) const = default;
};

// Measures text for layout, in pixels of a 720 dpi device. The default one
// works from the fonts' design units (FontCache); tests plug in their own.
class ITextMeasurer {
public:
    virtual ~ITextMeasurer() = default;
    virtual double TextExtent(const TFont& font, QStringView text) = 0;
    virtual double TextCellHeight(const TFont& font, QStringView text) = 0;
};
ITextMeasurer& DesignMetricsMeasurer();

// 32-bit pixel data as locked from a picture: non-premultiplied ARGB words,
// Scan0 the first row, Stride the bytes from one row to the next.
constexpr std::uint32_t kPixelFormat32bppARGB = 0x0026200A;
struct TLockedBits {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::int32_t Stride = 0;
    std::uint32_t PixelFormat = kPixelFormat32bppARGB;
    std::uint8_t* Scan0 = nullptr;
    std::uintptr_t Reserved = 0;

    bool Empty() const { return Width == 0 || Height == 0 || !Scan0; }
    const std::uint32_t* Row(int y) const
    {
        return reinterpret_cast<const std::uint32_t*>(Scan0 + std::intptr_t(Stride) * y);
    }
    std::uint32_t* Row(int y)
    {
        return reinterpret_cast<std::uint32_t*>(Scan0 + std::intptr_t(Stride) * y);
    }
};

// Describes a 32-bit bitmap (ARGB32 or RGB32) in place; any other format
// gives empty bits.
TLockedBits BitmapToLockedBits(QImage& bitmap);

// Read access to a picture as 32-bit ARGB: 32-bit pictures are used in
// place, others through a converted copy held by the lock. Ok() is false
// for a null picture.
class TImageLock {
public:
    explicit TImageLock(const QImage& image);
    bool Ok() const { return !Bits.Empty(); }
    const TLockedBits& Data() const { return Bits; }

private:
    QImage Converted;
    TLockedBits Bits;
};

// The one surface that pages, calendars, rich text and views draw through.
// Callers speak document millimetres; the context maps them through its
// transformation to device pixels and draws on a canvas. The base class
// draws on any canvas (a printer page, a widget, or none for hit tests);
// TBitmapDrawContext composites pictures pixel by pixel on a 32-bit bitmap.
class TDrawContext {
public:
    // The canvas is not owned.
    explicit TDrawContext(TCanvas* canvas);
    virtual ~TDrawContext();
    TDrawContext(const TDrawContext&) = delete;
    TDrawContext& operator=(const TDrawContext&) = delete;

    TTransformation& Transformation() { return FTransformation; }
    TCanvas& Canvas() { return *FCanvas; }

    // Em height in device pixels of the font last selected for output.
    float DeviceFontHeight() const { return FDeviceFontHeight; }
    // Millimetres, as last set.
    float PenWidth() const { return FPenWidth; }
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }

    TRect DeviceRect() const { return FDeviceRect; }
    void SetDeviceRect(const TRect& r) { FDeviceRect = r; }
    // The part being repainted; work outside it is skipped.
    TRect UpdateRect() const { return FUpdateRect; }
    void SetUpdateRect(const TRect& r) { FUpdateRect = r; }

    // Layout measuring; nullptr restores the design-metrics measurer.
    void SetMeasurer(ITextMeasurer* measurer);

    void SetFont(const TFont& font);
    void SetPenColor(TColor color);
    void SetPenStyle(TPenStyle style);
    // Millimetres; the vector (0, w) is mapped, its components rounded and
    // the rounded length is the device width. 0 gives one pixel.
    void SetPenWidth(float w);
    void SetPenWidthPixels(int n);
    const TBrush& Brush() const { return FCanvas->Brush(); }
    void SetBrush(const TBrush& brush) { FCanvas->SetBrush(brush); }
    void SetBrushColor(TColor color);
    void SetBrushStyle(TBrushStyle style);

    // Document point to device pixel: each coordinate is cut to four
    // decimals (half up, towards zero) and then rounded half to even, so
    // that float noise such as 2.50004 does not tip a pixel.
    QPoint ToDevice(float x, float y);
    TPointF ToDocument(int px, int py);

    void MoveTo(float x, float y);
    void LineTo(float x, float y);
    void Line(float x1, float y1, float x2, float y2);
    void Polyline(const std::vector<TPointF>& points);
    void PolyBezier(const std::vector<TPointF>& points);
    void PolyBezierTo(TPointF p1, TPointF p2, TPointF p3);
    // Turns with the mapping: a polygon through the four mapped corners,
    // filled with the brush and outlined with the pen.
    void Rectangle(float l, float t, float r, float b);
    void RectangleF(const TRectF& r);
    void CenterRectangle(float cx, float cy, float w, float h);
    void RotatedRectangle(float angle, float w, float h, float cx, float cy);
    // Four cubic arcs through the 13 ellipse points, stroked and filled
    // (recorded only, inside a path bracket).
    void Ellipse(float cx, float cy, float w, float h);

    void BeginPath();
    void EndPath();
    void CloseFigure();
    void StrokePath();
    void FillPath();
    void StrokeAndFillPath();

    // Saves the current clip (or its absence) and combines the current path
    // into it. Every call is paired with RestoreClip.
    void ClipToPath(TRegionMode mode);
    void ClipRect(TRegionMode mode, float l, float t, float r, float b);
    void ClipRotatedRect(TRegionMode mode, float angle, float w, float h, float cx, float cy);
    void ClipEllipse(TRegionMode mode, float angle, float w, float h, float cx, float cy);
    // Back to the clip saved by the matching ClipToPath; with nothing saved
    // all clipping is removed.
    void RestoreClip();
    int ClipDepth() const { return int(ClipStack.size()); }

    // Draws text with its character cell's top-left corner at (x, y)
    // (mode 2: the text ends at x). Characters are placed by the font's
    // design advances scaled to the device em height, rounded cumulatively.
    virtual void TextOut(const QString& text, int mode, float x, float y);
    // The device advance of each character (code point) of the text at an
    // em height in pixels, as TextOut places them.
    std::vector<int> CharacterAdvances(const QString& text, double emHeight) const;
    // Flags kDt*; returns the height used in millimetres.
    float DrawText(const QString& text, unsigned flags, float left, float top, float right,
                   float bottom);
    float DrawTextRect(const TRectF& r, const QString& text, unsigned flags);
    float TextWidth(const QString& text);
    float TextHeight(const QString& text);
    // Appends the lines of text broken to width millimetres. Every line
    // holds at least one character, so no width can stall the breaking.
    void WrapText(const QString& text, std::vector<TWrappedLine>& lines, float width);
    // The device font's metrics in pixels.
    TTextMetrics GetTextMetrics();

    // Picture slots. Source rectangles are in source pixels and must lie
    // inside the source; they, the target and the mapping must not be empty
    // or degenerate, else nothing is drawn.
    // A whole picture into the document rectangle (x, y, w, h).
    virtual void DrawImageOrthogonalBlt(const QImage& image, float x, float y, float w, float h);
    // Locked data into a document rectangle, for mappings without rotation.
    virtual void DrawBitmapDataOrthogonal(const TLockedBits& data, int sx, int sy, int sw, int sh,
                                          float x, float y, float w, float h);
    // A source rectangle of a picture into the w x h rectangle centred at
    // (cx, cy), turned by angle degrees about its centre.
    virtual void DrawImage(const QImage& image, int sx, int sy, int sw, int sh, float cx, float cy,
                           float w, float h, float angle);
    virtual void DrawBitmapData(const TLockedBits& data, int sx, int sy, int sw, int sh, float x,
                                float y, float w, float h);
    // Per-pixel alpha with bilinear filtering; needs a bitmap context.
    virtual void DrawImageAlpha(const TLockedBits& data, int sx, int sy, int sw, int sh, float x,
                                float y, float w, float h);
    // Soft grey shadow of a turned rectangle; needs a bitmap context.
    virtual void DrawShadowRect(float cxDest, float cyDest, float wDest, float hDest, float angle,
                                float blurWidth);

protected:
    // Chooses the device font for the context's font and mapping.
    void SelectDeviceFont();
    static bool Intersects(const TRect& a, const TRect& b);
    static TRect Intersect(const TRect& a, const TRect& b);

    TCanvas* FCanvas;
    TTransformation FTransformation;
    TRect FDeviceRect {-32000, -32000, 32000, 32000};
    TRect FUpdateRect {-32000, -32000, 32000, 32000};

private:
    void EllipsePoints(float cx, float cy, float w, float h, QPolygon& out);
    void PathRectangle(float l, float t, float r, float b);

    float FDeviceFontHeight = 0;
    float FPenWidth = 0;
    TFont FFont;
    ITextMeasurer* Measurer = nullptr;
    std::vector<std::optional<QRegion>> ClipStack;
};
