#include "imaging/RoteAugen.h"

#include "app/Arith.h"
#include "imaging/FilterRows.h"
#include "imaging/HSLUtil.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr double ZoomFactor = 1.5;
constexpr double MaxZoom = 20;
constexpr double MinZoom = 0.25;
constexpr double MaxDisplaySide = 30000;

} // namespace

TColor RedEyeRetouch(TColor colour)
{
    const TRGBHSL hsl(colour);
    if (hsl.H() < 0.09 || hsl.H() > 0.9)
        return RGBColor((hsl.G() + hsl.B()) >> 1, hsl.G(), hsl.B());
    return colour & 0xFFFFFF;
}

void PaintRedEye(QImage& picture, TPixPinsel& brush, QPoint at)
{
    TPixelLock lock(picture);
    if (!lock.Locked())
        return;
    brush.Value(0, 0); // brings a resized mask to its size first
    const int width = brush.Width();
    const int height = brush.Height();
    for (int e = 0; e < height; ++e) {
        const int y = at.y() - height / 2 + e;
        if (y < 0)
            continue;
        if (y >= lock.Height())
            break;
        std::uint32_t* row = lock.Row(y);
        for (int f = 0; f < width; ++f) {
            const int x = at.x() - width / 2 + f;
            if (x < 0)
                continue;
            if (x >= lock.Width())
                break;
            if (brush.Value(f, e) == 0)
                continue;
            const std::uint32_t px = row[x];
            const TColor c = RGBColor(int((px >> 16) & 0xFF), int((px >> 8) & 0xFF), int(px & 0xFF));
            row[x] = (px & 0xFF00FFFFu) | (std::uint32_t(RedOf(RedEyeRetouch(c))) << 16);
        }
    }
}

QPoint RedEyePicturePoint(QPoint window, double zoom)
{
    return QPoint(int((window.x() + 0.5) / zoom), int((window.y() + 0.5) / zoom));
}

QSize RedEyeDisplaySize(QSize picture, double zoom)
{
    return QSize(int(picture.width() * zoom), int(picture.height() * zoom));
}

double RedEyeZoomStep(double zoom, bool zoomIn, QSize picture)
{
    zoom = zoomIn ? zoom * ZoomFactor : zoom / ZoomFactor;
    zoom = std::min(zoom, MaxZoom);
    if (picture.width() > 0 && picture.height() > 0) {
        zoom = std::min(zoom, MaxDisplaySide / picture.width());
        zoom = std::min(zoom, MaxDisplaySide / picture.height());
    }
    return std::max(zoom, MinZoom);
}

TRedEyeZoom RedEyeZoomAt(double zoom, bool zoomIn, QSize picture, QPoint window, QPoint scroll,
                         QSize client)
{
    const int px = int((window.x() + scroll.x()) / zoom);
    const int py = int((window.y() + scroll.y()) / zoom);
    TRedEyeZoom out;
    out.Zoom = RedEyeZoomStep(zoom, zoomIn, picture);
    out.Scroll = QPoint(int(px * out.Zoom) - client.width() / 2,
                        int(py * out.Zoom) - client.height() / 2);
    return out;
}

QPoint RedEyeDragScroll(QPoint scrollAtDown, QPoint downPoint, QPoint current)
{
    return scrollAtDown + downPoint - current;
}

bool RedEyeIsClick(QPoint down, QPoint up)
{
    return std::abs(up.x() - down.x()) <= 2 && std::abs(up.y() - down.y()) < 3;
}

QRect RedEyeBrushOutline(QPoint window, double zoom, int brushSize)
{
    const int qx = int(window.x() / zoom);
    const int qy = int(window.y() / zoom);
    const int d = brushSize / 2;
    const int left = RoundHalfEven(zoom * (qx - d));
    const int top = RoundHalfEven(zoom * (qy - d));
    const int right = RoundHalfEven(zoom * (qx + brushSize - d)) + 1;
    const int bottom = RoundHalfEven(zoom * (qy + brushSize - d)) + 1;
    return QRect(left, top, right - left, bottom - top);
}
