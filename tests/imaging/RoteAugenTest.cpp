#include "imaging/PixPinsel.h"
#include "imaging/RoteAugen.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

namespace {

int Inside(TPixPinsel& brush)
{
    int n = 0;
    for (int x = 0; x < brush.Width(); ++x)
        for (int y = 0; y < brush.Height(); ++y)
            n += brush.Value(x, y) != 0;
    return n;
}

TEST(PixPinsel, CircleMasksOfTheBrushSizes)
{
    struct TCase {
        int Size, Inside;
    } const cases[] = {{1, 1}, {3, 9}, {5, 21}, {9, 69}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Size);
        TPixPinsel brush(c.Size, c.Size);
        brush.MakeCircle();
        EXPECT_EQ(Inside(brush), c.Inside);
        for (int x = 0; x < c.Size; ++x)
            for (int y = 0; y < c.Size; ++y) {
                // round: symmetric in both axes and about the diagonal
                EXPECT_EQ(brush.Value(x, y), brush.Value(c.Size - 1 - x, y));
                EXPECT_EQ(brush.Value(x, y), brush.Value(y, x));
                EXPECT_TRUE(brush.Value(x, y) == 0 || brush.Value(x, y) == 255);
            }
    }
    TPixPinsel five(5, 5);
    five.MakeCircle();
    EXPECT_EQ(five.Value(0, 0), 0);
    EXPECT_EQ(five.Value(1, 0), 255);
    EXPECT_EQ(five.Value(2, 2), 255);
}

TEST(PixPinsel, ResizingTakesEffectOnNextAccessClearedAndAtLeastOnePixel)
{
    TPixPinsel brush(5, 5);
    brush.MakeCircle();
    EXPECT_FALSE(brush.Dirty());
    brush.SetSize(9, 9);
    EXPECT_TRUE(brush.Dirty());
    EXPECT_EQ(brush.Value(2, 2), 0); // reallocated, cleared
    EXPECT_FALSE(brush.Dirty());
    EXPECT_EQ(brush.Width(), 9);

    brush.SetSize(0, -4);
    brush.SetValue(0, 0, 7);
    EXPECT_EQ(brush.Width(), 1);
    EXPECT_EQ(brush.Height(), 1);
    EXPECT_EQ(brush.Value(0, 0), 7);

    // Positions off the mask neither read garbage nor write anywhere.
    brush.SetValue(1, 0, 9);
    brush.SetValue(-1, 0, 9);
    EXPECT_EQ(brush.Value(1, 0), 0);
    EXPECT_EQ(brush.Value(0, -1), 0);
}

TEST(RedEye, PixelRule)
{
    struct TCase {
        const char* Name;
        TColor In, Out;
    } const cases[] = {
        {"pure red", RGBColor(255, 0, 0), RGBColor(0, 0, 0)},
        {"red towards magenta", RGBColor(200, 40, 60), RGBColor(50, 40, 60)},
        {"red towards orange (hue < 0.09)", RGBColor(200, 60, 40), RGBColor(50, 60, 40)},
        {"orange (hue just above 0.09) stays", RGBColor(200, 130, 40), RGBColor(200, 130, 40)},
        {"pure green stays", RGBColor(0, 255, 0), RGBColor(0, 255, 0)},
        {"grey counts as reddish but stays", RGBColor(100, 100, 100), RGBColor(100, 100, 100)},
        {"mean of green and blue rounds down", RGBColor(90, 11, 0), RGBColor(5, 11, 0)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(RedEyeRetouch(c.In), c.Out);
    }
    std::mt19937 rng(8);
    for (int i = 0; i < 20000; ++i) {
        const TColor c = rng() & 0xFFFFFF;
        const TColor once = RedEyeRetouch(c);
        ASSERT_EQ(RedEyeRetouch(once), once) << std::hex << c;
        ASSERT_EQ(once & 0xFFFF00, c & 0xFFFF00) << "green or blue changed";
    }
}

QImage RedPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(qRgba(220, 30, 50, 77));
    return img;
}

TEST(RedEye, PaintingIsClippedToThePictureAndRepeatingChangesNothing)
{
    const QRgb fixed = qRgba(40, 30, 50, 77);
    struct TCase {
        const char* Name;
        QPoint At;
    } const cases[] = {
        {"top-left corner", QPoint(0, 0)},
        {"bottom-right corner", QPoint(7, 5)},
        {"beyond the right edge", QPoint(9, 2)},
        {"middle", QPoint(4, 3)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixPinsel brush(5, 5);
        brush.MakeCircle();
        QImage img = RedPicture(8, 6);
        PaintRedEye(img, brush, c.At);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int f = x - c.At.x() + 2;
                const int e = y - c.At.y() + 2;
                const bool under = f >= 0 && f < 5 && e >= 0 && e < 5 && brush.Value(f, e) != 0;
                EXPECT_EQ(img.pixel(x, y), under ? fixed : qRgba(220, 30, 50, 77))
                    << x << "," << y;
            }
        const QImage once = img.copy();
        PaintRedEye(img, brush, c.At);
        EXPECT_EQ(img, once);
    }

    // A brush resized after its last use paints at its new size.
    TPixPinsel brush(3, 3);
    brush.MakeCircle();
    brush.SetSize(9, 9);
    brush.MakeCircle();
    QImage img = RedPicture(20, 20);
    PaintRedEye(img, brush, QPoint(10, 10));
    int changed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            changed += img.pixel(x, y) == fixed;
    EXPECT_EQ(changed, 69);

    QImage none;
    PaintRedEye(none, brush, QPoint(0, 0));
    EXPECT_TRUE(none.isNull());
}

TEST(RedEye, ZoomSteps)
{
    const QSize pic(800, 600);
    double z = 1;
    for (int i = 0; i < 3; ++i)
        z = RedEyeZoomStep(z, true, pic);
    EXPECT_DOUBLE_EQ(z, 3.375);
    EXPECT_EQ(RedEyeZoomStep(16, true, pic), 20);
    EXPECT_EQ(RedEyeZoomStep(0.3, false, pic), 0.25);
    EXPECT_DOUBLE_EQ(RedEyeZoomStep(3, false, pic), 2);

    z = 1;
    for (int i = 0; i < 20; ++i)
        z = RedEyeZoomStep(z, true, QSize(4000, 300));
    EXPECT_EQ(z, 7.5);
    z = 1;
    for (int i = 0; i < 20; ++i)
        z = RedEyeZoomStep(z, true, QSize(300, 6000));
    EXPECT_EQ(z, 5);
    // A picture without a size is limited by the fixed bounds only.
    EXPECT_EQ(RedEyeZoomStep(16, true, QSize(0, 0)), 20);
}

TEST(RedEye, ViewArithmetic)
{
    EXPECT_EQ(RedEyePicturePoint(QPoint(0, 0), 1), QPoint(0, 0));
    EXPECT_EQ(RedEyePicturePoint(QPoint(7, 8), 2), QPoint(3, 4));
    EXPECT_EQ(RedEyePicturePoint(QPoint(1, 2), 0.5), QPoint(3, 5));
    EXPECT_EQ(RedEyeDisplaySize(QSize(333, 100), 1.5), QSize(499, 150));

    // The pixel under the mouse ends up in the middle of the client area.
    const TRedEyeZoom zoom =
        RedEyeZoomAt(1, true, QSize(800, 600), QPoint(100, 50), QPoint(20, 10), QSize(400, 301));
    EXPECT_EQ(zoom.Zoom, 1.5);
    EXPECT_EQ(zoom.Scroll, QPoint(180 - 200, 90 - 150));

    EXPECT_EQ(RedEyeDragScroll(QPoint(100, 100), QPoint(50, 60), QPoint(40, 70)),
              QPoint(110, 90));

    EXPECT_TRUE(RedEyeIsClick(QPoint(10, 10), QPoint(12, 8)));
    EXPECT_FALSE(RedEyeIsClick(QPoint(10, 10), QPoint(13, 10)));
    EXPECT_FALSE(RedEyeIsClick(QPoint(10, 10), QPoint(10, 13)));

    // Zoom 2, size 5, mouse on picture pixel (10, 20): from 2 * 8 to 2 * 13 + 1.
    EXPECT_EQ(RedEyeBrushOutline(QPoint(21, 41), 2, 5), QRect(16, 36, 11, 11));
}

} // namespace
