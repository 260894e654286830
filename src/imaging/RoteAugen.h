#pragma once

// The red-eye retouch without its window: the per-pixel rule, a brush
// stroke on the picture and the arithmetic of the dialog's zoomable,
// scrollable view.

#include "app/Colors.h"
#include "imaging/PixPinsel.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

// A reddish colour (hue below 0.09 or above 0.9, greys included) loses its
// red: the red channel becomes the integer mean of green and blue. Other
// colours come back unchanged. Applying it twice changes nothing more.
TColor RedEyeRetouch(TColor colour);

// Paints the brush (its width is the brush size) centred on the picture
// pixel `at`, clipped to the picture. Alpha, green and blue stay. A null
// picture is left alone.
void PaintRedEye(QImage& picture, TPixPinsel& brush, QPoint at);

// The picture pixel under a point of the zoomed picture.
QPoint RedEyePicturePoint(QPoint window, double zoom);

// The picture shown at `zoom`, each side truncated.
QSize RedEyeDisplaySize(QSize picture, double zoom);

// One zoom step in (x 1.5) or out (/ 1.5), kept within [0.25, 20] and, for
// a picture with a size, so that neither displayed side exceeds 30000.
double RedEyeZoomStep(double zoom, bool zoomIn, QSize picture);

struct TRedEyeZoom {
    double Zoom = 1;
    QPoint Scroll; // new scroll position, before the scroll bars limit it
};

// Zooming at a point of the view's client area: the picture pixel that was
// under the point ends up at the centre of the client area.
TRedEyeZoom RedEyeZoomAt(double zoom, bool zoomIn, QSize picture, QPoint window, QPoint scroll,
                         QSize client);

// Dragging with the hand tool: the picture follows the mouse.
QPoint RedEyeDragScroll(QPoint scrollAtDown, QPoint downPoint, QPoint current);

// A mouse-up this close to its mouse-down is a click (zoom), not a drag.
bool RedEyeIsClick(QPoint down, QPoint up);

// The rectangle of the brush outline for the mouse at `window`; right and
// bottom are exclusive, as the ellipse is drawn.
QRect RedEyeBrushOutline(QPoint window, double zoom, int brushSize);
