#include "app/Colors.h"

QColor ToQColor(TColor c)
{
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

TColor FromQColor(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return RGBColor(rgb.red(), rgb.green(), rgb.blue());
}
