#include "app/WindowPlacement.h"

#include <algorithm>

QRect ClampWindowRect(const QRect& stored, const QSize& screen)
{
    int left = stored.x();
    int top = stored.y();
    const int width = std::min(stored.width(), screen.width());
    const int height = std::min(stored.height(), screen.height());
    if (left + width >= screen.width())
        left = screen.width() - width;
    if (top + height >= screen.height())
        top = screen.height() - height;
    left = std::max(left, 0);
    top = std::max(top, 0);
    return QRect(left, top, width, height);
}
