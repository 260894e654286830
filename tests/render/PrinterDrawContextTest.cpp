#include "render/PrinterDrawContext.h"

#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Paper for tests: an image with a printer's resolution.
QImage Paper(int w, int h, int dpi)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(0xFFFFFFFFu);
    const int dpm = int(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    return image;
}

bool Near(QRgb a, QRgb b, int tolerance = 8)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QImage Quadrants()
{
    QImage picture(4, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            picture.setPixel(x, y, y < 2 ? (x < 2 ? 0xFFFF0000u : 0xFF00FF00u)
                                         : (x < 2 ? 0xFF0000FFu : 0xFF000000u));
    return picture;
}

} // namespace

TEST(PrinterDrawContext, WritesPagesToAPdf)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    {
        QPdfWriter writer(file);
        writer.setResolution(300);
        writer.setPageSize(QPageSize(QPageSize::A5));
        TPrinterDrawContext ctx(&writer);
        EXPECT_EQ(ctx.DeviceRect().Right, writer.width());
        ctx.Transformation().ScaleUniform(300 / 25.4f);
        ctx.SetBrushColor(clSilver);
        ctx.Rectangle(10, 10, 60, 40);
        TFont font;
        font.Size = 18;
        ctx.SetFont(font);
        ctx.TextOut(QStringLiteral("Seite 1"), 0, 12, 12);
        ctx.DrawImage(Quadrants(), 0, 0, 4, 4, 80, 40, 30, 30, 12);
        ASSERT_TRUE(ctx.NewPage());
        ctx.TextOut(QStringLiteral("Seite 2 \u20AC"), 0, 12, 12);
        ASSERT_NE(ctx.GetHandle(), nullptr);
    }
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 2) << bytes.size();
}

TEST(PrinterDrawContext, PictureTurnsAsAParallelogram)
{
    QImage paper = Paper(100, 100, 300);
    {
        TPrinterDrawContext ctx(&paper);
        QImage picture(2, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, 0xFFFF0000u);
        picture.setPixel(1, 0, 0xFF0000FFu);
        // 80 x 40 turned clockwise by 90: the left half ends up on top.
        ctx.DrawImage(picture, 0, 0, 2, 1, 50, 50, 80, 40, 90);
        // A source beyond the picture draws nothing.
        ctx.DrawImage(picture, 1, 0, 2, 1, 10, 10, 10, 10, 0);
    }
    EXPECT_TRUE(Near(paper.pixel(50, 20), 0xFFFF0000u));
    EXPECT_TRUE(Near(paper.pixel(50, 80), 0xFF0000FFu));
    EXPECT_TRUE(Near(paper.pixel(20, 50), 0xFFFFFFFFu));
    EXPECT_TRUE(Near(paper.pixel(10, 10), 0xFFFFFFFFu));
}

TEST(PrinterDrawContext, OrthogonalPicturesAreSampledAtMost360Dpi)
{
    // 720 dpi paper: the picture is sampled at half resolution and
    // stretched, in blocks of 2 x 2 device pixels, with no seam at the
    // right or bottom edge even when enlarged.
    QImage paper = Paper(100, 100, 720);
    {
        TPrinterDrawContext ctx(&paper);
        ctx.DrawImageOrthogonalBlt(Quadrants(), 10, 10, 80, 80);
    }
    EXPECT_EQ(paper.pixel(30, 30), 0xFFFF0000u);
    EXPECT_EQ(paper.pixel(70, 30), 0xFF00FF00u);
    EXPECT_EQ(paper.pixel(30, 70), 0xFF0000FFu);
    EXPECT_EQ(paper.pixel(89, 89), 0xFF000000u);
    EXPECT_EQ(paper.pixel(90, 90), 0xFFFFFFFFu);
    EXPECT_EQ(paper.pixel(9, 9), 0xFFFFFFFFu);
}

TEST(PrinterDrawContext, LockedDataGoesOpaqueAlsoWhenTurned)
{
    QImage data = Quadrants();
    const TLockedBits bits = BitmapToLockedBits(data);
    for (float angle : {0.0f, 30.0f}) {
        QImage paper = Paper(120, 120, 300);
        {
            TPrinterDrawContext ctx(&paper);
            ctx.Transformation().RotateAt(60, 60, angle);
            ctx.DrawBitmapData(bits, 0, 0, 4, 4, 30, 30, 60, 60);
        }
        EXPECT_TRUE(Near(paper.pixel(60, 60), 0xFF000000u, 40) || Near(paper.pixel(60, 60), 0xFFFF0000u, 40)
                    || Near(paper.pixel(60, 60), 0xFF00FF00u, 40) || Near(paper.pixel(60, 60), 0xFF0000FFu, 40))
            << angle;
        EXPECT_TRUE(Near(paper.pixel(2, 2), 0xFFFFFFFFu)) << angle;
    }
}

TEST(PrinterDrawContext, StretchBitmapIgnoresAlpha)
{
    QImage paper = Paper(40, 40, 300);
    QImage bitmap(2, 2, QImage::Format_ARGB32);
    bitmap.fill(0x40FF0000u); // a composited bitmap's alpha is not coverage
    {
        TPrinterDrawContext ctx(&paper);
        ctx.StretchBitmap(bitmap, 10, 10, 30, 30);
    }
    EXPECT_EQ(paper.pixel(20, 20), 0xFFFF0000u);
    EXPECT_EQ(paper.pixel(5, 5), 0xFFFFFFFFu);
}
