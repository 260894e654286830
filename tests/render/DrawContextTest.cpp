#include "render/DrawContext.h"

#include "app/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Every character is 10 measuring pixels wide, every cell 100 high, so
// that limits can be read off directly: 10 pixels at 720 dpi are
// 10 / 720 * 25.4 mm.
class TFakeMeasurer : public ITextMeasurer {
public:
    double TextExtent(const TFont&, QStringView text) override { return 10.0 * text.size(); }
    double TextCellHeight(const TFont&, QStringView) override { return 100.0; }
};

float MeasureMM(double pixels)
{
    return float(pixels / 720.0 * 25.4);
}

// Records text output instead of drawing it.
class TRecordingContext : public TDrawContext {
public:
    struct TOut {
        QString Text;
        float X, Y;
    };
    explicit TRecordingContext(TCanvas* canvas)
        : TDrawContext(canvas)
    {
        SetMeasurer(&Fake);
    }
    void TextOut(const QString& text, int, float x, float y) override
    {
        Outs.push_back({text, x, y});
    }
    TFakeMeasurer Fake;
    std::vector<TOut> Outs;
};

class DrawContextTest : public ::testing::Test {
protected:
    TCanvas Canvas; // no device: state, paths and regions only
    TDrawContext Ctx {&Canvas};
};

} // namespace

TEST_F(DrawContextTest, ToDeviceCutsToFourDecimalsThenRoundsHalfToEven)
{
    struct Case {
        float X;
        int Device;
    };
    const Case cases[] = {
        {2.50004f, 2}, {3.5f, 4},     {2.5f, 2},     {2.50006f, 3}, {-2.5f, -2},
        {0.49999f, 0}, {1.49996f, 2}, {7.0f, 7},
        // The cut adds half a unit before truncating towards zero, so a
        // negative half becomes -x.4999 and rounds towards zero.
        {-3.5f, -3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Ctx.ToDevice(c.X, 0).x(), c.Device) << c.X;
        EXPECT_EQ(Ctx.ToDevice(0, c.X).y(), c.Device) << c.X;
    }
    Ctx.Transformation().Scale(2, 2);
    Ctx.Transformation().Translate(1, 0);
    EXPECT_EQ(Ctx.ToDevice(0.25f, 1.75f), QPoint(2, 4)); // (2.5, 3.5)
}

TEST_F(DrawContextTest, PenWidthMapsTheVerticalVectorAndRoundsItsParts)
{
    struct Case {
        float Scale, Angle, Width;
        int Device;
    };
    const Case cases[] = {
        {1, 0, 0, 1},       // zero is the one-pixel pen
        {2, 0, 1.5f, 3},
        {4, 0, 0.5f, 2},
        {4, 90, 0.5f, 2},   // (-2, 0)
        {2, 45, 1, 1},      // (-1.41, 1.41) rounds to (-1, 1): length 1.41 -> 1
        {10, 45, 1, 10},    // (-7.07, 7.07) -> (-7, 7): 9.9 -> 10
        {1, 0, 0.2f, 0},    // below half a pixel: the device's thinnest pen
    };
    for (const Case& c : cases) {
        TCanvas canvas;
        TDrawContext ctx(&canvas);
        ctx.Transformation().Scale(c.Scale, c.Scale);
        ctx.Transformation().Rotate(c.Angle);
        ctx.SetPenWidth(c.Width);
        EXPECT_EQ(canvas.Pen().Width, c.Device) << c.Scale << " " << c.Angle << " " << c.Width;
        EXPECT_FLOAT_EQ(ctx.PenWidth(), c.Width);
    }
    Ctx.Transformation().Scale(4, 4);
    Ctx.SetPenWidthPixels(6);
    EXPECT_EQ(Canvas.Pen().Width, 6);
    EXPECT_FLOAT_EQ(Ctx.PenWidth(), 1.5f);
}

TEST_F(DrawContextTest, DeviceFontHeightAndEscapementFollowTheMapping)
{
    struct Case {
        float Scale, Angle;
        int Size;
        double Em;
        int Height, Escapement;
    };
    const Case cases[] = {
        {1, 0, 10, 3.5278, 4, 0},        // 10 pt = 3.53 mm at one pixel per mm
        {1, 30, 10, 3.5278, 4, 3300},    // turned clockwise by 30 degrees
        {1, 90, 10, 3.5278, 4, 2700},
        {2, -45, 12, 8.4667, 8, 450},
        {1, 180, 10, 3.5278, 4, 1800},
        {0.01f, 0, 10, 0.0353, 1, 0},    // never below one pixel
    };
    for (const Case& c : cases) {
        TCanvas canvas;
        TDrawContext ctx(&canvas);
        ctx.Transformation().Scale(c.Scale, c.Scale);
        ctx.Transformation().Rotate(c.Angle);
        TFont font;
        font.Size = c.Size;
        ctx.SetFont(font);
        const TTextMetrics m = ctx.GetTextMetrics();
        EXPECT_NEAR(ctx.DeviceFontHeight(), c.Em, 0.0001) << c.Angle;
        EXPECT_EQ(canvas.DeviceFontHeight(), c.Height) << c.Angle;
        EXPECT_EQ(canvas.Escapement(), c.Escapement) << c.Angle;
        EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    }
}

TEST_F(DrawContextTest, AdvancesAreRoundedFromTheRunningTotal)
{
    TFont font;
    font.Name = QStringLiteral("Arial");
    Ctx.SetFont(font);
    // At an em of 12 pixels: H 8.67, a 6.67, l 2.67, l 2.67, o 6.67. Each
    // rounded alone they would sum to 29; the running total ends at 27.3.
    const std::vector<int> advances = Ctx.CharacterAdvances(QStringLiteral("Hallo"), 12);
    EXPECT_EQ(advances, (std::vector<int> {9, 6, 3, 3, 6}));
    EXPECT_TRUE(Ctx.CharacterAdvances(QString(), 12).empty());

    // No limit on the length, and characters beyond 255 have widths.
    const QString longText(5000, QChar(0x20AC));
    const std::vector<int> many = Ctx.CharacterAdvances(longText, 20);
    ASSERT_EQ(many.size(), 5000u);
    std::int64_t total = 0;
    for (int a : many)
        total += a;
    const double exact = 5000.0 * FontCache().Lookup(font).CharWidth(0x20AC, 20);
    EXPECT_EQ(total, std::int64_t(std::trunc(exact + 0.5)));
}

TEST_F(DrawContextTest, TextMeasuresInMillimetresAt720Dpi)
{
    TFont font;
    font.Size = 12;
    Ctx.SetFont(font);
    EXPECT_NEAR(Ctx.TextWidth(QStringLiteral("Hallo")), 9.6470, 0.001);
    // The cell height, without the external leading.
    EXPECT_NEAR(Ctx.TextHeight(QStringLiteral("Xy")), 2288.0 / 2048 * 12 * 25.4 / 72, 0.0001);
    EXPECT_EQ(Ctx.TextWidth(QString()), 0.0f);
    // The mapping does not matter.
    Ctx.Transformation().Scale(7, 7);
    Ctx.Transformation().Rotate(33);
    EXPECT_NEAR(Ctx.TextWidth(QStringLiteral("Hallo")), 9.6470, 0.001);
}

TEST(WrapText, BreaksAtSpacesCarriageReturnsAndInsideLongWords)
{
    struct Case {
        const char* Text;
        int LimitPixels; // the width in measuring pixels
        std::vector<TWrappedLine> Lines;
    };
    const auto soft = [](const char* t) { return TWrappedLine {QString::fromUtf8(t), false}; };
    const auto hard = [](const char* t) { return TWrappedLine {QString::fromUtf8(t), true}; };
    const Case cases[] = {
        {"", 50, {}},
        {"Hallo", 50, {hard("Hallo")}},
        {"Hallo Welt", 50, {soft("Hallo"), hard("Welt")}},
        {"a b", 10, {soft("a"), hard("b")}},
        {"ab cd ef", 50, {soft("ab cd"), hard("ef")}},
        {"abcdefghij", 30, {soft("abc"), soft("def"), soft("ghi"), hard("j")}},
        {"ab\r\ncd", 100, {hard("ab"), hard("cd")}},
        {"ab\r\n", 100, {hard("ab")}},
        {"\r\n\r\nx", 100, {hard(""), hard(""), hard("x")}},
        {"ab\rcd", 100, {hard("ab"), hard("cd")}}, // a lone CR keeps the next character
        {"abc", 0, {soft("a"), soft("b"), soft("c")}},
        {"abc", -40, {soft("a"), soft("b"), soft("c")}},
    };
    for (const Case& c : cases) {
        TCanvas canvas;
        TDrawContext ctx(&canvas);
        TFakeMeasurer fake;
        ctx.SetMeasurer(&fake);
        std::vector<TWrappedLine> lines;
        ctx.WrapText(QString::fromUtf8(c.Text), lines, MeasureMM(c.LimitPixels));
        ASSERT_EQ(lines.size(), c.Lines.size()) << c.Text;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].Text, c.Lines[i].Text) << c.Text << " line " << i;
            EXPECT_EQ(lines[i].HardBreak, c.Lines[i].HardBreak) << c.Text << " line " << i;
        }
    }
}

TEST(WrapText, AppendsToTheGivenList)
{
    TCanvas canvas;
    TDrawContext ctx(&canvas);
    TFakeMeasurer fake;
    ctx.SetMeasurer(&fake);
    std::vector<TWrappedLine> lines {{QStringLiteral("old"), true}};
    ctx.WrapText(QStringLiteral("x"), lines, 10);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].Text, QStringLiteral("x"));
}

TEST(DrawText, PlacesLinesByAlignmentAndNeverAboveTheTop)
{
    const float line = MeasureMM(100); // cell height of the fake
    const float ch = MeasureMM(10);    // one character
    struct Case {
        const char* Text;
        unsigned Flags;
        float Right, Bottom;
        std::vector<std::pair<float, float>> Positions; // x, y of each line
        float Height;
    };
    const Case cases[] = {
        {"ab", 0, 50, 50, {{0, 0}}, line},
        {"ab", kDtRight, 50, 50, {{50 - 2 * ch, 0}}, line},
        {"ab", kDtCenter | kDtVCenter, 50, 50, {{(50 - 2 * ch) / 2, (50 - line) / 2}}, line},
        {"ab", kDtBottom, 50, 50, {{0, 50 - line}}, line},
        // Wrapped: 5 characters per line.
        {"abc defg", kDtWordBreak, 5 * ch, 50, {{0, 0}, {0, line}}, 2 * line},
        {"abc defg", kDtWordBreak | kDtBottom | kDtRight, 5 * ch, 50,
         {{2 * ch, 50 - 2 * line}, {ch, 50 - line}}, 2 * line},
        // More lines than fit: the first stays at the top.
        {"abc defg", kDtWordBreak | kDtBottom, 5 * ch, line, {{0, 0}, {0, line}}, 2 * line},
        {"abc defg", kDtWordBreak | kDtVCenter, 5 * ch, line, {{0, 0}, {0, line}}, 2 * line},
        {"", kDtWordBreak, 50, 50, {}, 0},
        {"abc defg", kDtWordBreak | kDtCalcRect, 5 * ch, 50, {}, 2 * line},
    };
    for (const Case& c : cases) {
        TCanvas canvas;
        TRecordingContext ctx(&canvas);
        const float height = ctx.DrawText(QString::fromUtf8(c.Text), c.Flags, 0, 0, c.Right, c.Bottom);
        EXPECT_NEAR(height, c.Height, 1e-4) << c.Text << " " << c.Flags;
        ASSERT_EQ(ctx.Outs.size(), c.Positions.size()) << c.Text << " " << c.Flags;
        for (std::size_t i = 0; i < ctx.Outs.size(); ++i) {
            EXPECT_NEAR(ctx.Outs[i].X, c.Positions[i].first, 1e-4) << c.Text << " " << c.Flags;
            EXPECT_NEAR(ctx.Outs[i].Y, c.Positions[i].second, 1e-4) << c.Text << " " << c.Flags;
        }
    }
}

TEST_F(DrawContextTest, ClipsNestAndRestoreInOrder)
{
    QImage image(100, 100, QImage::Format_ARGB32);
    TCanvas canvas(&image);
    TDrawContext ctx(&canvas);
    ctx.SetDeviceRect({0, 0, 100, 100});

    ctx.ClipRect(TRegionMode::Copy, 10, 10, 50, 50);
    ASSERT_TRUE(canvas.HasClip());
    EXPECT_EQ(*canvas.Clip(), QRegion(10, 10, 40, 40));

    ctx.ClipRect(TRegionMode::Diff, 20, 20, 30, 30);
    EXPECT_EQ(*canvas.Clip(), QRegion(10, 10, 40, 40).subtracted(QRegion(20, 20, 10, 10)));

    ctx.ClipRect(TRegionMode::And, 0, 0, 15, 100);
    EXPECT_EQ(*canvas.Clip(), QRegion(10, 10, 5, 40));
    EXPECT_EQ(ctx.ClipDepth(), 3);

    ctx.RestoreClip();
    EXPECT_EQ(*canvas.Clip(), QRegion(10, 10, 40, 40).subtracted(QRegion(20, 20, 10, 10)));
    ctx.RestoreClip();
    EXPECT_EQ(*canvas.Clip(), QRegion(10, 10, 40, 40));
    ctx.RestoreClip();
    EXPECT_FALSE(canvas.HasClip());
    // Nothing left to restore: clipping stays off.
    ctx.RestoreClip();
    EXPECT_FALSE(canvas.HasClip());
    EXPECT_EQ(ctx.ClipDepth(), 0);
}

TEST_F(DrawContextTest, DifferenceWithoutClipStartsFromTheDevice)
{
    QImage image(100, 80, QImage::Format_ARGB32);
    TCanvas canvas(&image);
    TDrawContext ctx(&canvas);
    ctx.ClipRect(TRegionMode::Diff, 10, 10, 20, 20);
    EXPECT_EQ(*canvas.Clip(), QRegion(0, 0, 100, 80).subtracted(QRegion(10, 10, 10, 10)));
    ctx.RestoreClip();
    // Any other mode without a clip takes the path alone.
    ctx.ClipRect(TRegionMode::Or, 10, 10, 20, 20);
    EXPECT_EQ(*canvas.Clip(), QRegion(10, 10, 10, 10));
}

TEST_F(DrawContextTest, TurnedAndEllipticClipsFollowTheMapping)
{
    Ctx.Transformation().Scale(10, 10);
    // A 4 x 2 rectangle turned by 90 degrees about (5, 5) stands upright.
    Ctx.ClipRotatedRect(TRegionMode::Copy, 90, 4, 2, 5, 5);
    EXPECT_EQ(Canvas.Clip()->boundingRect(), QRect(40, 30, 20, 40));
    Ctx.RestoreClip();

    Ctx.ClipEllipse(TRegionMode::Copy, 0, 6, 4, 5, 5);
    const QRegion ellipse = *Canvas.Clip();
    EXPECT_EQ(ellipse.boundingRect(), QRect(20, 30, 60, 40));
    EXPECT_TRUE(ellipse.contains(QPoint(50, 50)));
    EXPECT_FALSE(ellipse.contains(QPoint(21, 31))); // the corner is cut off
    Ctx.RestoreClip();
}

TEST_F(DrawContextTest, PathCallsRecordInsteadOfDrawing)
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(0xFFFFFFFF);
    TCanvas canvas(&image);
    TDrawContext ctx(&canvas);
    ctx.SetPenColor(clBlack);
    ctx.BeginPath();
    ctx.MoveTo(5, 5);
    ctx.LineTo(35, 5);
    ctx.LineTo(35, 35);
    ctx.LineTo(5, 35);
    ctx.CloseFigure();
    ctx.EndPath();
    canvas.End();
    EXPECT_EQ(image.pixel(20, 5), 0xFFFFFFFFu); // nothing drawn yet
    EXPECT_FALSE(canvas.Path().isEmpty());

    ctx.StrokePath();
    canvas.End();
    EXPECT_EQ(image.pixel(20, 5), 0xFF000000u);
    EXPECT_EQ(image.pixel(20, 20), 0xFFFFFFFFu); // stroked, not filled
    EXPECT_TRUE(canvas.Path().isEmpty());        // used up
}

TEST_F(DrawContextTest, RectangleTurnsWithTheMappingAndFillsWithTheBrush)
{
    QImage image(60, 60, QImage::Format_ARGB32);
    image.fill(0xFFFFFFFF);
    TCanvas canvas(&image);
    TDrawContext ctx(&canvas);
    ctx.SetPenStyle(TPenStyle::Clear);
    ctx.SetBrushColor(clRed);
    ctx.RotatedRectangle(45, 20, 20, 30, 30);
    canvas.End();
    EXPECT_EQ(image.pixel(30, 30), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(30, 17), 0xFFFF0000u);   // a corner points up
    EXPECT_EQ(image.pixel(21, 21), 0xFFFFFFFFu);   // the unturned corner is empty
}

TEST(Canvas, WidePensHaveRoundCapsAndWidthZeroIsOnePixel)
{
    QImage image(40, 40, QImage::Format_ARGB32);
    image.fill(0xFFFFFFFF);
    TCanvas canvas(&image);
    TDrawContext ctx(&canvas);
    ctx.SetPenWidth(0);
    ctx.Line(5, 5, 35, 5);
    ctx.SetPenWidth(8);
    ctx.Line(10, 25, 30, 25);
    canvas.End();
    EXPECT_EQ(image.pixel(20, 5), 0xFF000000u);
    EXPECT_EQ(image.pixel(20, 4), 0xFFFFFFFFu);
    EXPECT_EQ(image.pixel(20, 6), 0xFFFFFFFFu);
    // The round cap reaches past the end point by half the width.
    EXPECT_EQ(image.pixel(7, 25), 0xFF000000u);
    EXPECT_EQ(image.pixel(20, 28), 0xFF000000u);
    EXPECT_EQ(image.pixel(7, 21), 0xFFFFFFFFu); // but not into the corner
}

TEST_F(DrawContextTest, TextOutDrawsTurnedTextFromTheCellTop)
{
    QImage image(300, 300, QImage::Format_ARGB32);
    image.fill(0xFFFFFFFF);
    TCanvas canvas(&image);
    TDrawContext ctx(&canvas);
    TFont font;
    font.Size = 72; // 25.4 mm, 25.4 px at one pixel per mm
    font.Color = clBlue;
    ctx.SetFont(font);
    ctx.SetBrushStyle(TBrushStyle::Clear);
    ctx.TextOut(QStringLiteral("IIII"), 0, 150, 150);
    EXPECT_EQ(canvas.Brush().Style, TBrushStyle::Solid); // left solid afterwards
    ctx.Transformation().RotateAt(150, 150, 90);
    ctx.TextOut(QStringLiteral("IIII"), 0, 150, 150);
    canvas.End();

    const auto blueIn = [&](QRect r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (qBlue(image.pixel(x, y)) > 200 && qRed(image.pixel(x, y)) < 100)
                    return true;
        return false;
    };
    // Unturned: to the right of and below (150, 150).
    EXPECT_TRUE(blueIn(QRect(150, 150, 40, 30)));
    EXPECT_FALSE(blueIn(QRect(100, 100, 49, 49)));
    // Turned clockwise by 90: running down, the cell to the left of x 150.
    EXPECT_TRUE(blueIn(QRect(120, 151, 30, 40)));
    EXPECT_FALSE(blueIn(QRect(151, 181, 40, 40)));
    // Empty text draws nothing and does not fail.
    ctx.TextOut(QString(), 0, 10, 10);
}

TEST_F(DrawContextTest, RightAlignedTextEndsAtX)
{
    QImage image(300, 60, QImage::Format_ARGB32);
    image.fill(0xFFFFFFFF);
    TCanvas canvas(&image);
    TDrawContext ctx(&canvas);
    ctx.Transformation().Scale(10, 10);
    TFont font;
    font.Size = 24;
    ctx.SetFont(font);
    ctx.TextOut(QStringLiteral("HH"), 2, 25, 1);
    canvas.End();
    int rightmost = -1;
    int leftmost = 1000;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) < 128) {
                rightmost = std::max(rightmost, x);
                leftmost = std::min(leftmost, x);
            }
    // H is 1479/2048 em wide with side bearings of about 0.08 em; the
    // text ends at 250 px and is 2 * 61 px long.
    EXPECT_NEAR(rightmost, 250 - 6, 3);
    EXPECT_NEAR(leftmost, 250 - 122 + 6, 3);
}

TEST_F(DrawContextTest, BaseContextLeavesAlphaAndShadowsToBitmaps)
{
    TLockedBits none;
    try {
        Ctx.DrawImageAlpha(none, 0, 0, 1, 1, 0, 0, 1, 1);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), QStringLiteral("TDrawContext.DrawImageAlpha ist nicht implementiert"));
    }
    // Only logged: a paint must never stop for a message box.
    Ctx.DrawShadowRect(10, 10, 5, 5, 0, 1.5f);
}
