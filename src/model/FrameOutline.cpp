#include "model/FrameOutline.h"

#include "app/Arith.h"

#include <cmath>

namespace {

// Control-point distance of a quarter ellipse, as a share of the full axis.
constexpr double kEllipseKappa = 0.2761423749154;

QPainterPath RectangleOutline(double w, double h)
{
    QPainterPath path;
    path.moveTo(-w / 2, -h / 2);
    path.lineTo(w / 2, -h / 2);
    path.lineTo(w / 2, h / 2);
    path.lineTo(-w / 2, h / 2);
    path.closeSubpath();
    return path;
}

QPainterPath EllipseOutline(double w, double h)
{
    const double kx = kEllipseKappa * w;
    const double ky = kEllipseKappa * h;
    QPainterPath path;
    path.moveTo(-w / 2, 0);
    path.cubicTo(-w / 2, -ky, -kx, -h / 2, 0, -h / 2);
    path.cubicTo(kx, -h / 2, w / 2, -ky, w / 2, 0);
    path.cubicTo(w / 2, ky, kx, h / 2, 0, h / 2);
    path.cubicTo(-kx, h / 2, -w / 2, ky, -w / 2, 0);
    path.closeSubpath();
    return path;
}

QPainterPath HeartOutline()
{
    QPainterPath path;
    path.moveTo(0, -86);
    path.cubicTo(15, -86, 22, -93, 40, -93);
    path.cubicTo(67, -93, 92, -65, 92, -29);
    path.cubicTo(92, 43, 29, 93, 0, 93);
    path.cubicTo(-29, 93, -92, 43, -92, -29);
    path.cubicTo(-92, -65, -67, -93, -40, -93);
    path.cubicTo(-22, -93, -15, -86, 0, -86);
    path.closeSubpath();
    return path;
}

} // namespace

QPainterPath FrameOutline(int regionTyp, float width, float height)
{
    QPainterPath path;
    switch (regionTyp) {
    case 1:
        path = EllipseOutline(width, height);
        break;
    case 2:
        path = HeartOutline();
        break;
    default:
        path = RectangleOutline(width, height);
        break;
    }
    path.setFillRule(Qt::WindingFill);
    return path;
}

bool FrameOutlineContains(int regionTyp, float width, float height, float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    const QPointF p(RoundHalfEven(x), RoundHalfEven(y));
    return FrameOutline(regionTyp, width, height).contains(p);
}
