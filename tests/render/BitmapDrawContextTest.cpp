#include "render/BitmapDrawContext.h"
#include "render/PixelOps.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

QImage Filled(int w, int h, std::uint32_t pixel, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(w, h, format);
    image.fill(pixel);
    return image;
}

std::uint32_t Px(const QImage& image, int x, int y)
{
    return reinterpret_cast<const std::uint32_t*>(image.constScanLine(y))[x];
}

// The blend written out channel by channel, as a cross-check of the
// packed arithmetic.
std::uint32_t ReferenceBlend(std::uint32_t d, std::uint32_t s)
{
    const int a7 = int(s >> 24) >> 1;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int dv = int((d >> shift) & 0xFF);
        const int sv = int((s >> shift) & 0xFF);
        const int v = std::clamp(dv + (((sv - dv + 256) * a7) >> 7) - 2 * a7, 0, 255);
        out |= std::uint32_t(v) << shift;
    }
    return out;
}

// Pixel by pixel through the transformation's own per-pixel calls: what the
// stepped loops must reproduce exactly.
QImage ReferenceNearest(QImage target, const QImage& source, TTransformation mapping,
                        const QRect& sourceRect)
{
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            int u, v;
            mapping.InverseTransformPixel(x, y, u, v);
            if (!sourceRect.contains(u, v))
                continue;
            auto& d = reinterpret_cast<std::uint32_t*>(target.scanLine(y))[x];
            pixelops::PutPixel(d, Px(source, u, v));
        }
    return target;
}

class BitmapContextTest : public ::testing::Test {
protected:
    void TearDown() override { TBitmapDrawContext::ThreadingThreshold = SavedThreshold; }
    int SavedThreshold = TBitmapDrawContext::ThreadingThreshold;
};

} // namespace

TEST(PixelOps, BlendFollowsTheByteFormula)
{
    struct Case {
        std::uint32_t D, S, Out;
    };
    const Case cases[] = {
        {kWhite, 0x80000000u, 0xBF7F7F7Fu},     // half black on white
        {kWhite, 0x80FF0000u, 0xBFFF7F7Fu},     // half red on white
        {0x12345678u, 0x01FFFFFFu, 0x12345678u}, // alpha 1: a7 = 0, unchanged
        {0xFF000000u, 0xFEFFFFFFu, 0xFEFDFDFDu}, // alpha 254: a7 = 127
    };
    for (const Case& c : cases)
        EXPECT_EQ(pixelops::BlendPixel(c.D, c.S), c.Out) << std::hex << c.D << " " << c.S;

    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t d = random();
        const std::uint32_t s = random();
        ASSERT_EQ(pixelops::BlendPixel(d, s), ReferenceBlend(d, s)) << std::hex << d << " " << s;
    }
}

TEST(PixelOps, PutPixelCopiesSkipsOrBlendsByAlpha)
{
    struct Case {
        std::uint32_t S, Out;
    };
    const Case cases[] = {
        {0xFF102030u, 0xFF102030u}, // 255: exact copy
        {0x00102030u, kWhite},      // 0: untouched
        {0x80000000u, 0xBF7F7F7Fu}, // 128: blended
    };
    for (const Case& c : cases) {
        std::uint32_t d = kWhite;
        pixelops::PutPixel(d, c.S);
        EXPECT_EQ(d, c.Out) << std::hex << c.S;
    }
}

TEST_F(BitmapContextTest, DrawImageCopiesBlendsAndSkipsByAlpha)
{
    QImage source(3, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, 0xFFFF0000u);
    source.setPixel(1, 0, 0x80000000u);
    source.setPixel(2, 0, 0x00123456u);
    QImage bitmap = Filled(5, 3, kWhite);
    TBitmapDrawContext ctx(&bitmap);
    ctx.Transformation().Translate(1, 1);
    ctx.DrawImage(source, 0, 0, 3, 1, 1.5f, 0.5f, 3, 1, 0);
    EXPECT_EQ(Px(bitmap, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(Px(bitmap, 2, 1), 0xBF7F7F7Fu);
    EXPECT_EQ(Px(bitmap, 3, 1), kWhite);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            if (y != 1 || x < 1 || x > 3) {
                EXPECT_EQ(Px(bitmap, x, y), kWhite) << x << "," << y;
            }
        }
}

TEST_F(BitmapContextTest, DrawImageScalesByNearestPixel)
{
    QImage source(2, 2, QImage::Format_ARGB32);
    const std::uint32_t colours[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFF000000u};
    for (int i = 0; i < 4; ++i)
        source.setPixel(i % 2, i / 2, colours[i]);
    QImage bitmap = Filled(4, 4, kWhite);
    TBitmapDrawContext ctx(&bitmap);
    ctx.DrawImage(source, 0, 0, 2, 2, 2, 2, 4, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Px(bitmap, x, y), colours[(y / 2) * 2 + x / 2]) << x << "," << y;
}

TEST_F(BitmapContextTest, TurnedDrawImageMatchesThePerPixelMapping)
{
    QImage source(40, 30, QImage::Format_ARGB32);
    std::mt19937 random(3);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            source.setPixel(x, y, std::uint32_t(random()) | (x % 3 == 0 ? 0xFF000000u : 0));
    const QImage background = Filled(96, 80, 0xFF336699u);

    TTransformation mapping;
    mapping.Scale(1.6f, 1.6f);
    mapping.RotateAt(30, 25, 12);
    mapping.Translate(30 - 22.0f / 2, 25 - 16.0f / 2);
    mapping.Scale(22.0f / 36, 16.0f / 27);
    mapping.Translate(-2, -3);
    const QImage expected = ReferenceNearest(background, source, mapping, QRect(2, 3, 36, 27));

    for (int threshold : {0, 1}) { // one thread, and two for any box
        TBitmapDrawContext::ThreadingThreshold = threshold;
        QImage bitmap = background;
        TBitmapDrawContext ctx(&bitmap);
        ctx.Transformation().Scale(1.6f, 1.6f);
        ctx.DrawImage(source, 2, 3, 36, 27, 30, 25, 22, 16, 12);
        EXPECT_EQ(bitmap, expected) << threshold;
    }
}

TEST_F(BitmapContextTest, PictureSlotsRejectBadSourcesTargetsAndMappings)
{
    const QImage source = Filled(10, 10, 0xFF000000u);
    QImage sourceCopy = source;
    const TLockedBits data = BitmapToLockedBits(sourceCopy);
    struct Case {
        int Sx, Sy, Sw, Sh;
        float W, H;
        float Scale;
    };
    const Case cases[] = {
        {2, 0, 9, 10, 10, 10, 1},  // reaches past the right edge
        {0, 5, 10, 6, 10, 10, 1},  // past the bottom
        {-1, 0, 5, 5, 10, 10, 1},
        {0, 0, 0, 5, 10, 10, 1},   // empty source
        {0, 0, 5, 5, 0, 10, 1},    // empty target
        {0, 0, 5, 5, -4, 10, 1},
        {0, 0, 5, 5, 10, 10, 0},   // singular mapping
    };
    for (const Case& c : cases) {
        QImage bitmap = Filled(20, 20, kWhite);
        TBitmapDrawContext ctx(&bitmap);
        ctx.Transformation().Scale(c.Scale, c.Scale);
        ctx.DrawImage(source, c.Sx, c.Sy, c.Sw, c.Sh, 10, 10, c.W, c.H, 0);
        ctx.DrawImageAlpha(data, c.Sx, c.Sy, c.Sw, c.Sh, 0, 0, c.W, c.H);
        ctx.DrawBitmapData(data, c.Sx, c.Sy, c.Sw, c.Sh, 0, 0, c.W, c.H);
        EXPECT_EQ(bitmap, Filled(20, 20, kWhite)) << c.Sx << " " << c.Sw << " " << c.W << " " << c.Scale;
    }
}

TEST_F(BitmapContextTest, WorkStaysInsideUpdateRectangleAndClip)
{
    const QImage source = Filled(10, 10, 0xFF000000u);
    {
        QImage bitmap = Filled(20, 20, kWhite);
        TBitmapDrawContext ctx(&bitmap);
        ctx.SetUpdateRect({0, 0, 8, 20});
        ctx.DrawImage(source, 0, 0, 10, 10, 10, 10, 20, 20, 0);
        EXPECT_EQ(Px(bitmap, 7, 10), 0xFF000000u);
        EXPECT_EQ(Px(bitmap, 8, 10), kWhite);
    }
    {
        QImage bitmap = Filled(20, 20, kWhite);
        TBitmapDrawContext ctx(&bitmap);
        ctx.ClipRect(TRegionMode::Diff, 5, 5, 15, 15);
        ctx.DrawImage(source, 0, 0, 10, 10, 10, 10, 20, 20, 0);
        EXPECT_EQ(Px(bitmap, 2, 2), 0xFF000000u);
        EXPECT_EQ(Px(bitmap, 10, 10), kWhite);
        ctx.RestoreClip();
        // A clip that does not meet the box draws nothing at all.
        QImage bitmap2 = Filled(20, 20, kWhite);
        TBitmapDrawContext ctx2(&bitmap2);
        ctx2.ClipRect(TRegionMode::Copy, 0, 0, 2, 2);
        ctx2.DrawImage(source, 0, 0, 10, 10, 15, 15, 4, 4, 0);
        EXPECT_EQ(bitmap2, Filled(20, 20, kWhite));
    }
}

TEST_F(BitmapContextTest, DrawImageAlphaUsesTheBilinearBytes)
{
    struct Case {
        std::uint32_t Source, Out;
    };
    // A uniform source samples to itself, so only the alpha decides.
    const Case cases[] = {
        {0xFFFF0000u, 0xFFFF0000u}, // 255: copied
        {0x80FF0000u, 0xBFFF7F7Fu}, // 128: blended
        {0x00FF0000u, kWhite},      // 0: skipped
    };
    for (const Case& c : cases) {
        QImage source = Filled(3, 3, c.Source);
        QImage bitmap = Filled(8, 8, kWhite);
        TBitmapDrawContext ctx(&bitmap);
        ctx.DrawImageAlpha(BitmapToLockedBits(source), 0, 0, 3, 3, 1, 1, 6, 6);
        EXPECT_EQ(Px(bitmap, 1, 1), c.Out) << std::hex << c.Source;
        EXPECT_EQ(Px(bitmap, 6, 6), c.Out) << std::hex << c.Source;
        EXPECT_EQ(Px(bitmap, 0, 0), kWhite);
        EXPECT_EQ(Px(bitmap, 7, 7), kWhite);
    }
}

TEST_F(BitmapContextTest, BilinearWeightsAndTheLastColumn)
{
    // Black and white columns, doubled: the position between them mixes
    // (a = 127: (127 * 0 + 129 * 255) >> 8 = 128); the left weight is
    // 255, not 256, so even an exact pixel position takes 1/256 of its
    // right neighbour; the last column repeats instead of reading past it.
    QImage source(2, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y) {
        source.setPixel(0, y, 0xFF000000u);
        source.setPixel(1, y, kWhite);
    }
    QImage bitmap = Filled(4, 4, 0xFF123456u);
    TBitmapDrawContext ctx(&bitmap);
    ctx.DrawImageAlpha(BitmapToLockedBits(source), 0, 0, 2, 2, 0, 0, 4, 4);
    const std::uint32_t row[4] = {0xFF000000u, 0xFF808080u, kWhite, kWhite};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Px(bitmap, x, y), row[x]) << x << "," << y;
}

TEST_F(BitmapContextTest, TurnedDrawImageAlphaIsTheSameWithTwoThreads)
{
    QImage source(50, 40, QImage::Format_ARGB32);
    std::mt19937 random(11);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            source.setPixel(x, y, std::uint32_t(random()));
    QImage results[2];
    for (int threshold : {0, 1}) {
        TBitmapDrawContext::ThreadingThreshold = threshold;
        QImage bitmap = Filled(120, 120, 0xFF204060u);
        TBitmapDrawContext ctx(&bitmap);
        ctx.Transformation().RotateAt(60, 60, 12);
        ctx.DrawImageAlpha(BitmapToLockedBits(source), 1, 1, 48, 38, 10, 20, 100, 80);
        results[threshold] = bitmap;
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_NE(results[0], Filled(120, 120, 0xFF204060u));
}

TEST_F(BitmapContextTest, ShadowRectIsGreyInsideAndFadesAcrossTheBlurWidth)
{
    struct Case {
        float Blur;
        std::vector<int> Red; // row 20, pixels 9..31
    };
    const Case cases[] = {
        // Cells 0..19 lie on pixels 10..29; pixel 30 is pulled onto cell 19.
        {4, {255, 255, 225, 195, 165, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135,
             135, 165, 195, 225, 225, 255}},
        // No blur still fades over one pixel.
        {0, {255, 255, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135, 135,
             135, 135, 135, 135, 135, 255}},
    };
    for (const Case& c : cases) {
        QImage bitmap = Filled(40, 40, kWhite);
        TBitmapDrawContext ctx(&bitmap);
        ctx.DrawShadowRect(20, 20, 20, 20, 0, c.Blur);
        for (int x = 9; x <= 31; ++x)
            EXPECT_EQ(qRed(Px(bitmap, x, 20)), c.Red[std::size_t(x - 9)]) << c.Blur << " x " << x;
        // Interior: (96, 96, 96) at alpha 192 on white.
        EXPECT_EQ(Px(bitmap, 20, 20) & 0xFFFFFF, 0x878787u);
        EXPECT_EQ(qAlpha(Px(bitmap, 20, 20)), 207);
        // Round corners: the corner cell is left alone.
        EXPECT_EQ(Px(bitmap, 11, 11), c.Blur > 0 ? kWhite : 0xCF878787u);
    }
}

TEST_F(BitmapContextTest, ShadowRectTurnsAndRespectsTheClip)
{
    // A square turned by 45 degrees casts its shadow 8 pixels right and
    // down; the square itself is cut out of the clip.
    QImage bitmap = Filled(60, 60, kWhite);
    TBitmapDrawContext ctx(&bitmap);
    ctx.ClipRotatedRect(TRegionMode::Diff, 45, 20, 20, 28, 28);
    ctx.DrawShadowRect(36, 36, 20, 20, 45, 2);
    ctx.RestoreClip();
    EXPECT_EQ(qRed(Px(bitmap, 39, 39)), 135); // shadow beyond the square
    EXPECT_EQ(Px(bitmap, 32, 32), kWhite);    // shadow under the square: clipped
    EXPECT_EQ(Px(bitmap, 16, 16), kWhite);    // outside the turned shadow
    EXPECT_EQ(Px(bitmap, 50, 24), kWhite);
}

TEST_F(BitmapContextTest, Rgb32BitmapsStayOpaque)
{
    QImage bitmap = Filled(40, 40, kWhite, QImage::Format_RGB32);
    TBitmapDrawContext ctx(&bitmap);
    ctx.DrawShadowRect(20, 20, 20, 20, 0, 4);
    EXPECT_EQ(bitmap.format(), QImage::Format_RGB32);
    EXPECT_EQ(Px(bitmap, 20, 20), 0xFF878787u);
}

TEST_F(BitmapContextTest, OtherFormatsAreConvertedOnCreation)
{
    QImage bitmap = Filled(4, 4, 0xFF00FF00u, QImage::Format_RGB888);
    TBitmapDrawContext ctx(&bitmap);
    EXPECT_EQ(bitmap.format(), QImage::Format_ARGB32);
    EXPECT_EQ(Px(bitmap, 1, 1), 0xFF00FF00u);
}

TEST_F(BitmapContextTest, DrawBitmapDataCopiesAlphaAndPullsEdgesIn)
{
    QImage source(2, 1, QImage::Format_ARGB32);
    source.setPixel(0, 0, 0x40FF0000u);
    source.setPixel(1, 0, 0xC00000FFu);
    QImage bitmap = Filled(6, 3, kWhite);
    TBitmapDrawContext ctx(&bitmap);
    // The clip is not consulted by this slot.
    ctx.ClipRect(TRegionMode::Copy, 0, 0, 1, 1);
    ctx.DrawBitmapData(BitmapToLockedBits(source), 0, 0, 2, 1, 1, 1, 4, 1);
    ctx.RestoreClip();
    const std::uint32_t row[6] = {kWhite, 0x40FF0000u, 0x40FF0000u, 0xC00000FFu, 0xC00000FFu,
                                  0xC00000FFu};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(Px(bitmap, x, 1), row[x]) << x;
    EXPECT_EQ(Px(bitmap, 2, 0), kWhite);
}

TEST_F(BitmapContextTest, VectorDrawingAndPixelLoopsShareTheBitmap)
{
    QImage bitmap = Filled(30, 30, kWhite);
    TBitmapDrawContext ctx(&bitmap);
    ctx.SetPenStyle(TPenStyle::Clear);
    ctx.SetBrushColor(clRed);
    ctx.Rectangle(0, 0, 15, 30);
    ctx.DrawShadowRect(15, 15, 20, 20, 0, 1);
    ctx.Rectangle(25, 0, 30, 30);
    ctx.Canvas().End();
    EXPECT_EQ(Px(bitmap, 2, 15), 0xFFFF0000u);
    EXPECT_EQ(qRed(Px(bitmap, 20, 15)), 135);
    EXPECT_EQ(qBlue(Px(bitmap, 10, 15)), 0x48); // shadow over red: (255-... blue 0 -> 72)
    EXPECT_EQ(Px(bitmap, 27, 15), 0xFFFF0000u);
}
