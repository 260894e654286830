#include "render/BitmapDrawContext.h"
#include "render/ShadowBitmap.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::uint32_t Px(const QImage& image, int x, int y)
{
    return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y))[x];
}

void SetPx(QImage& image, int x, int y, std::uint32_t v)
{
    reinterpret_cast<std::uint32_t*>(image.scanLine(y))[x] = v;
}

QImage Filled(int w, int h, std::uint32_t pixel)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(pixel);
    return image;
}

} // namespace

TEST(GaussianKernel, WeightsAndRadius)
{
    const TGaussianKernel& k = GaussianKernel(1.5);
    EXPECT_EQ(k.Radius, 3);
    EXPECT_EQ(k.Weights, (std::vector<int> {9, 28, 55, 72, 55, 28, 9}));

    struct Case {
        double Sigma;
        int Radius;
    };
    const Case cases[] = {{2, 5}, {0, 0}, {-1, 0}, {std::nan(""), 0}, {0.1, 1}, {1.5, 3}};
    for (const Case& c : cases) {
        const TGaussianKernel& kernel = GaussianKernel(c.Sigma);
        EXPECT_EQ(kernel.Radius, c.Radius) << c.Sigma;
        ASSERT_EQ(kernel.Weights.size(), std::size_t(2 * c.Radius + 1)) << c.Sigma;
        int sum = 0;
        for (std::size_t i = 0; i < kernel.Weights.size(); ++i) {
            sum += kernel.Weights[i];
            EXPECT_EQ(kernel.Weights[i], kernel.Weights[kernel.Weights.size() - 1 - i]);
        }
        EXPECT_EQ(sum, 256) << c.Sigma;
    }
}

TEST(ShadowBitmap, OpacityGivesTheMaskLevelWithinLimits)
{
    struct Case {
        int Percent;
        int Level;
    };
    const Case cases[] = {{50, 128}, {0, 255}, {100, 0}, {-20, 255}, {250, 0}, {25, 191}, {75, 64}};
    for (const Case& c : cases) {
        TShadowBitmap bitmap;
        bitmap.SetOpacity(c.Percent);
        EXPECT_EQ(bitmap.MaskLevel(), c.Level) << c.Percent;
        const TColor grey = RGBColor(c.Level, c.Level, c.Level);
        EXPECT_EQ(bitmap.Canvas().Pen().Color, grey);
        EXPECT_EQ(bitmap.Canvas().Brush().Color, grey);
        EXPECT_EQ(bitmap.Canvas().Font().Color, grey);
    }
    EXPECT_EQ(TShadowBitmap().MaskLevel(), 128);
}

TEST(ShadowBitmap, ColoursAreForcedToTheMaskLevel)
{
    TShadowBitmap bitmap(10, 10);
    TCanvas& canvas = bitmap.Canvas();
    const TColor grey = RGBColor(128, 128, 128);
    TFont red;
    red.Color = clRed;
    canvas.SetFont(red);
    canvas.SetPenColor(clBlue);
    canvas.SetBrushColor(clLime);
    EXPECT_EQ(canvas.Font().Color, grey);
    EXPECT_EQ(canvas.Pen().Color, grey);
    EXPECT_EQ(canvas.Brush().Color, grey);

    // A clear brush keeps its colour; switching the forcing off lets
    // colours through.
    canvas.SetBrush({clRed, TBrushStyle::Clear});
    EXPECT_EQ(canvas.Brush().Color, clRed);
    bitmap.ForcePenColor = false;
    canvas.SetPenColor(clBlue);
    EXPECT_EQ(canvas.Pen().Color, clBlue);
}

TEST(ShadowBitmap, TextDrawnInColourLandsInTheMaskGrey)
{
    TShadowBitmap bitmap(80, 40);
    bitmap.ClearMask();
    EXPECT_EQ(Px(bitmap.Image(), 0, 0), 0xFF000000u);
    {
        TBitmapDrawContext ctx(bitmap);
        TFont font;
        font.Size = 60;
        font.Color = clRed;
        ctx.SetFont(font);
        ctx.SetPenColor(clBlue);
        ctx.SetPenWidth(6);
        ctx.TextOut(QStringLiteral("H"), 0, 2, 0);
        ctx.Line(50, 20, 75, 20);
        ctx.Canvas().End();
    }
    int maxRed = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 80; ++x) {
            const std::uint32_t p = Px(bitmap.Image(), x, y);
            maxRed = std::max(maxRed, qRed(p));
            ASSERT_EQ(qRed(p), qGreen(p)) << x << "," << y;
            ASSERT_EQ(qRed(p), qBlue(p)) << x << "," << y;
        }
    EXPECT_EQ(maxRed, 128);
    EXPECT_EQ(qRed(Px(bitmap.Image(), 60, 20)), 128);
}

TEST(ShadowBitmap, MakeShadowBlursAPointIntoTheSeparableKernel)
{
    // One opaque mask pixel in the middle: the horizontal pass gives
    // W(dx) * 255 >> 8, the vertical pass W(dy) times that >> 8.
    const int w[7] = {9, 28, 55, 72, 55, 28, 9};
    TShadowBitmap bitmap(11, 11);
    bitmap.ClearMask();
    SetPx(bitmap.Image(), 5, 5, 0xFFFFFFFFu);
    bitmap.MakeShadow(RGBColor(10, 20, 30), 1.5);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x) {
            const int dx = x - 5;
            const int dy = y - 5;
            int alpha = 0;
            if (std::abs(dx) <= 3 && std::abs(dy) <= 3)
                alpha = (w[dy + 3] * ((w[dx + 3] * 255) >> 8)) >> 8;
            EXPECT_EQ(Px(bitmap.Image(), x, y), (std::uint32_t(alpha) << 24) | 0x0A141Eu)
                << x << "," << y;
        }
}

TEST(ShadowBitmap, MakeShadowRepeatsEdgePixels)
{
    struct Case {
        int W, H;
    };
    // A uniform mask stays uniform up to the edges, also one pixel wide or
    // high (every tap of the kernel lands on the edge pixel).
    const Case cases[] = {{1, 9}, {9, 1}, {1, 1}, {6, 6}};
    for (const Case& c : cases) {
        TShadowBitmap bitmap(c.W, c.H);
        bitmap.Image().fill(0xFF808080u);
        bitmap.MakeShadow(clBlack, 1.5);
        for (int y = 0; y < c.H; ++y)
            for (int x = 0; x < c.W; ++x)
                EXPECT_EQ(Px(bitmap.Image(), x, y), 0x80000000u) << c.W << "x" << c.H;
    }
    TShadowBitmap empty;
    empty.MakeShadow(clBlack, 1.5); // nothing to do, no failure
    EXPECT_TRUE(empty.Image().isNull());
}

TEST(ShadowBitmap, SigmaZeroKeepsTheMask)
{
    TShadowBitmap bitmap(3, 1);
    const std::uint32_t mask[3] = {0xFF000000u, 0xFF7F7F7Fu, 0xFFFFFFFFu};
    for (int x = 0; x < 3; ++x)
        SetPx(bitmap.Image(), x, 0, mask[x]);
    bitmap.MakeShadow(clWhite, 0);
    EXPECT_EQ(Px(bitmap.Image(), 0, 0), 0x00FFFFFFu);
    EXPECT_EQ(Px(bitmap.Image(), 1, 0), 0x7FFFFFFFu);
    EXPECT_EQ(Px(bitmap.Image(), 2, 0), 0xFFFFFFFFu);
}

TEST(BlendBitmap, AlphaIsTheWeightTheDestinationKeeps)
{
    struct Case {
        int Alpha;
        std::uint32_t Out;
    };
    // Source 0x20406080 over dest 0xFFC0A000; per byte
    // S + ((D - S + 255) * c >> 7) - 2c with c = round(alpha * 128 / 255).
    const Case cases[] = {
        {0, 0x20406080u},   // c = 0: the source
        {255, 0xFEBF9F00u}, // c = 128: the destination less one, floored at 0
        {16, 0x2D476377u},  // c = 8, the wizard's preview
    };
    for (const Case& c : cases) {
        QImage dest = Filled(2, 1, 0xFFC0A000u);
        const QImage source = Filled(1, 1, 0x20406080u);
        BlendBitmap(dest, 1, 0, c.Alpha, source);
        EXPECT_EQ(Px(dest, 1, 0), c.Out) << c.Alpha;
        EXPECT_EQ(Px(dest, 0, 0), 0xFFC0A000u);
    }
}

TEST(BlendBitmap, OnlyTheOverlapChanges)
{
    QImage source(4, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            SetPx(source, x, y, 0xFF000000u | std::uint32_t(y * 4 + x));
    struct Case {
        int X, Y;
        QRect Changed;     // in dest
        QPoint SourceAtTl; // source pixel at Changed's top-left
    };
    const Case cases[] = {
        {1, 1, QRect(1, 1, 2, 2), QPoint(0, 0)},   // source larger than what is left
        {-2, -3, QRect(0, 0, 2, 1), QPoint(2, 3)}, // cut on the left and top
        {3, 0, QRect(), QPoint()},                 // entirely to the right
        {-4, 0, QRect(), QPoint()},
    };
    for (const Case& c : cases) {
        QImage dest = Filled(3, 3, 0xFFFFFFFFu);
        BlendBitmap(dest, c.X, c.Y, 0, source);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                std::uint32_t expected = 0xFFFFFFFFu;
                if (c.Changed.contains(x, y))
                    expected = Px(source, x - c.Changed.left() + c.SourceAtTl.x(),
                                  y - c.Changed.top() + c.SourceAtTl.y());
                EXPECT_EQ(Px(dest, x, y), expected) << c.X << "," << c.Y << " at " << x << "," << y;
            }
    }
}

TEST(BlendBitmap, EqualPixelsAreLeftAlone)
{
    // With alpha 255 a differing pixel loses one step; an equal one stays.
    QImage dest = Filled(2, 1, 0xFF808080u);
    SetPx(dest, 1, 0, 0xFF404040u);
    BlendBitmap(dest, 0, 0, 255, Filled(2, 1, 0xFF808080u));
    EXPECT_EQ(Px(dest, 0, 0), 0xFF808080u);
    EXPECT_EQ(Px(dest, 1, 0), 0xFE3F3F3Fu);
}
