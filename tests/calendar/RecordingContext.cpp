#include "RecordingContext.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

namespace {

class TFixedMeasurer final : public ITextMeasurer {
public:
    // Pixels of the 720 dpi measuring device: an em is Size * 10 pixels.
    double TextExtent(const TFont& font, QStringView text) override
    {
        return double(text.size()) * font.Size * 10 / 2;
    }
    double TextCellHeight(const TFont& font, QStringView) override { return font.Size * 10 * 1.2; }
};

// Hands every polygon the canvas fills to the recorder.
class TRecordingEngine final : public QPaintEngine {
public:
    explicit TRecordingEngine(std::vector<TRecordedFill>& out)
        : QPaintEngine(QPaintEngine::AllFeatures)
        , Out(out)
    {
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override
    {
        if (count < 1)
            return;
        const QBrush brush = painter()->brush();
        if (brush.style() == Qt::NoBrush)
            return;
        float l = float(points[0].x()), r = l, t = float(points[0].y()), b = t;
        for (int i = 1; i < count; ++i) {
            l = std::min(l, float(points[i].x()));
            r = std::max(r, float(points[i].x()));
            t = std::min(t, float(points[i].y()));
            b = std::max(b, float(points[i].y()));
        }
        const float s = TRecordingContext::Scale;
        Out.push_back({RectF(l / s, t / s, r / s, b / s), FromQColor(brush.color()),
                       painter()->pen().style() != Qt::NoPen});
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override
    {
        std::vector<QPointF> f(points, points + count);
        drawPolygon(f.data(), count, mode);
    }

private:
    std::vector<TRecordedFill>& Out;
};

} // namespace

class TRecordingSurface::TDevice final : public QPaintDevice {
public:
    explicit TDevice(std::vector<TRecordedFill>& out)
        : Engine(out)
    {
    }
    QPaintEngine* paintEngine() const override { return &Engine; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
        case PdmHeight:
            return 100000;
        case PdmWidthMM:
        case PdmHeightMM:
            return 1000;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 2540;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 0x7FFFFFFF;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    mutable TRecordingEngine Engine;
};

TRecordingSurface::TRecordingSurface()
    : Device(std::make_unique<TDevice>(Fills))
    , SurfaceCanvas(std::make_unique<TCanvas>(Device.get()))
{
}

TRecordingSurface::~TRecordingSurface()
{
    SurfaceCanvas.reset();
}

TRecordingContext::TRecordingContext()
    : TDrawContext(SurfaceCanvas.get())
    , FixedMeasurer(std::make_unique<TFixedMeasurer>())
{
    Transformation().Scale(Scale, Scale);
    SetMeasurer(FixedMeasurer.get());
}

TRecordingContext::~TRecordingContext() = default;

void TRecordingContext::TextOut(const QString& text, int, float x, float y)
{
    Texts.push_back({text, x, y, TextWidth(text), TextHeight(text), Font()});
}

std::vector<TRecordedFill> TRecordingContext::FillsOf(TColor color) const
{
    std::vector<TRecordedFill> out;
    std::copy_if(Fills.begin(), Fills.end(), std::back_inserter(out),
                 [color](const TRecordedFill& f) { return f.Color == color; });
    return out;
}

const TRecordedText* TRecordingContext::FindText(const QString& text) const
{
    for (const TRecordedText& t : Texts)
        if (t.Text == text)
            return &t;
    return nullptr;
}
