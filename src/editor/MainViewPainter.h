#pragma once

// The painting of the spread view into its off-screen bitmap, without a
// widget: background, shadow and cover, page backgrounds, frames with the
// selection outline, calendars, texts and clip-arts with their frame marks,
// the first-page marker and the tracker. The view widget copies the bitmap
// to the screen; tests and the benchmark call this directly.

#include "app/Colors.h"
#include "render/Transformation.h"

#include <QImage>
#include <QSize>
#include <QString>

class TBitmapDrawContext;
class TFBElement;
class TLocalizer;
class TTracker;
class TViewMapping;

// The update rectangle while no paint is in progress: everything.
constexpr TRect kNoUpdateRect {-35000, -35000, 35000, 35000};

// The off-screen bitmap is kept 50 pixels larger than the client area and
// only shrunk when the client became more than 150 pixels smaller, so that
// dragging a window edge does not reallocate it at every step.
constexpr int kBitmapReserve = 50;
constexpr int kBitmapShrinkSlack = 150;
QSize OffscreenBitmapSize(const QSize& current, const QSize& client);

// Colours of the view.
constexpr TColor kMarkColor = RGBColor(208, 208, 208);
constexpr TColor kCoverColor = RGBColor(240, 240, 240);
constexpr TColor kSelectionColor = clBlue;
constexpr int kSelectionPenPixels = 2;

// The texts of the view, under section "TFBMainView".
void RegisterMainViewTexts(TLocalizer& localizer);

class TMainViewPainter {
public:
    struct TScene {
        TViewMapping* Mapping = nullptr;
        const TFBElement* Selection = nullptr;
        TTracker* Tracker = nullptr;
    };

    // Paints the view into the context's bitmap. Work outside the update
    // rectangle (window pixels) is skipped; pixels outside it are left as
    // they were. An error in one step skips the remaining steps; the result
    // is then false and LastError() tells why. The context's painter is
    // ended afterwards, so the bitmap may be copied or resized.
    bool Paint(TBitmapDrawContext& dc, const TScene& scene, const TRect& updateRect);
    const QString& LastError() const { return FLastError; }

private:
    void FillBackground(TBitmapDrawContext& dc, const TRect& box);

    QImage FBackground; // the gradient at the bitmap's size
    QString FLastError;
};
