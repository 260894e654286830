#include "richtext/RTFDrawer.h"

#include "render/DrawContext.h"
#include "richtext/FontCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool TestFontInstalled(const QString& family)
{
    return family == QStringLiteral("Arial") || family == QStringLiteral("Times New Roman");
}

QByteArray Rtf(const char* body)
{
    return QByteArray("{\\rtf1 ") + body + "}";
}

// Round numbers instead of font metrics, so that breaks can be worked out
// by hand: every character is 1 mm wide, a line is half the point size in
// millimetres high and its ascent 0.4 of the point size.
class TSyntheticDrawer : public TRTFDrawer {
public:
    TSyntheticDrawer() { SetFontInstalled(TestFontInstalled); }
    void Measure(int) override
    {
        for (TRTFToken& t : FTokens) {
            const bool room = t.Kind != TRTFTokenKind::ParagraphEnd
                              && t.Kind != TRTFTokenKind::Alignment;
            t.Width = room ? float(t.Text.size()) : 0.0f;
            t.LineHeight = float(t.Font.Size) * 0.5f;
            t.Ascent = float(t.Font.Size) * 0.4f;
        }
    }
};

// Compact line notation: tokens in order, "_" a space, "~" a break
// opportunity, "¶" a paragraph end, "#n" an alignment token; "*" marks a
// line that ends a paragraph; lines are separated by "/".
std::string Describe(const TRTFDrawer& drawer)
{
    std::string out;
    for (const TRTFLine& line : drawer.Lines()) {
        if (!out.empty())
            out += "/";
        for (int i = line.First; i <= line.Last; ++i) {
            const TRTFToken& t = drawer.Tokens()[std::size_t(i)];
            switch (t.Kind) {
            case TRTFTokenKind::Word:
            case TRTFTokenKind::Field: out += t.Text.toStdString(); break;
            case TRTFTokenKind::Space: out += t.Text.isEmpty() ? "~" : "_"; break;
            case TRTFTokenKind::ParagraphEnd: out += "¶"; break;
            case TRTFTokenKind::Alignment: out += "#" + std::to_string(int(t.Alignment)); break;
            }
        }
        if (line.ParagraphEnd)
            out += "*";
    }
    return out;
}

struct TCanvasHolder {
    TCanvas OwnCanvas; // no device
};

// Records text output in document millimetres, with the device ascent of
// the font it was written with, instead of drawing.
class TRecordingContext : private TCanvasHolder, public TDrawContext {
public:
    struct TOut {
        QString Text;
        float X, Y;
        int Size;
        int DeviceAscent;
    };

    TRecordingContext(double dpi, float angle = 0, float cx = 0, float cy = 0)
        : TDrawContext(&OwnCanvas)
    {
        Transformation().ScaleUniform(float(dpi / 25.4));
        if (angle != 0)
            Transformation().RotateAt(cx, cy, angle);
    }
    void TextOut(const QString& text, int, float x, float y) override
    {
        Outs.push_back({text, x, y, Font().Size, GetTextMetrics().Ascent});
    }

    // Words only, spaces left out.
    std::vector<TOut> Words() const
    {
        std::vector<TOut> words;
        std::copy_if(Outs.begin(), Outs.end(), std::back_inserter(words),
                     [](const TOut& o) { return !o.Text.trimmed().isEmpty(); });
        return words;
    }

    std::vector<TOut> Outs;
};

} // namespace

// ---------------------------------------------------------------------------
// Measuring

TEST(RTFDrawerMeasure, SizesComeFromDesignUnitsAt720Dpi)
{
    // Liberation Sans (drawing Arial) at 12 pt: "Hallo" 9.6470 mm wide, a
    // line 4.8679 mm high (cell plus external leading), ascent 1854 units.
    const double ascent12 = 1854.0 / 2048 * 12 * 25.4 / 72;
    struct Case {
        const char* Name;
        const char* Body;
        std::size_t Index;
        double Width, LineHeight, Ascent;
    };
    const Case cases[] = {
        {"Word", "\\fs24 Hallo", 0, 9.6470, 4.8679, ascent12},
        {"ParagraphEndTakesHeightNoWidth", "\\fs24 Hallo\\par x", 1, 0, 4.8679, ascent12},
        {"AlignmentHasNoFont", "\\qc\\fs24 Hallo", 0, 0, 0, 0},
        {"HalfPointsTruncate", "\\fs25 Hallo", 0, 9.6470, 4.8679, ascent12},
        {"DoubleSize", "\\fs48 Hallo", 0, 2 * 9.6470, 2 * 4.8679, 2 * ascent12},
        {"HugeSizeIsClamped", "\\fs99999 Hallo", 0, 9.6470 * 1638 / 12, 4.8679 * 1638 / 12,
         ascent12 * 1638 / 12},
    };
    for (const Case& c : cases) {
        TRTFDrawer drawer;
        drawer.SetFontInstalled(TestFontInstalled);
        drawer.SetText(Rtf(c.Body));
        ASSERT_LT(c.Index, drawer.Tokens().size()) << c.Name;
        const TRTFToken& t = drawer.Tokens()[c.Index];
        const double tolerance = 0.001 * std::max(1.0, c.Width / 10);
        EXPECT_NEAR(t.Width, c.Width, tolerance) << c.Name;
        EXPECT_NEAR(t.LineHeight, c.LineHeight, tolerance) << c.Name;
        EXPECT_NEAR(t.Ascent, c.Ascent, tolerance) << c.Name;
    }
}

TEST(RTFDrawerMeasure, StyleAndFaceTakePart)
{
    TRTFDrawer drawer;
    drawer.SetFontInstalled(TestFontInstalled);
    drawer.SetText(QByteArray(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}})"
                              R"(\f0\fs24 Hallo {\b Hallo} \f1 Hallo})"));
    const auto& tokens = drawer.Tokens();
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_GT(tokens[2].Width, tokens[0].Width + 0.3f); // bold is wider
    EXPECT_NE(tokens[4].Width, tokens[0].Width);        // another face
    EXPECT_GT(tokens[1].Width, 0.0f);                   // a space has a width

    TRTFFont stored;
    stored.Name = QStringLiteral("Default");
    stored.Size = 5000;
    stored.Style = TRTFFontStyle::Italic | TRTFFontStyle::Underline;
    const TFont drawn = TokenDrawingFont(stored);
    EXPECT_EQ(drawn.Name, QStringLiteral("Arial"));
    EXPECT_EQ(drawn.Size, kMaxDrawingFontSize);
    EXPECT_EQ(drawn.Style, TFontStyle::Italic | TFontStyle::Underline);
}

TEST(RTFDrawerMeasure, SetTextMeasuresFiresAndForgetsTheLayout)
{
    TRTFDrawer drawer;
    int changes = 0;
    drawer.OnChange = [&] { ++changes; };
    drawer.SetText(Rtf("aa bb"));
    EXPECT_EQ(changes, 1);
    drawer.Layout(100);
    ASSERT_EQ(drawer.Lines().size(), 1u);
    EXPECT_EQ(drawer.LayoutWidth(), 100);

    drawer.SetText(Rtf("cc"));
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(drawer.Lines().empty());
    EXPECT_EQ(drawer.LayoutWidth(), -1);

    // A layout made by the change event itself is kept.
    drawer.OnChange = [&] { drawer.Layout(50); };
    drawer.SetText(Rtf("dd"));
    EXPECT_EQ(drawer.LayoutWidth(), 50);
    EXPECT_EQ(drawer.Lines().size(), 1u);

    // What was read before a parse error is measured and announced.
    changes = 0;
    drawer.OnChange = [&] { ++changes; };
    EXPECT_THROW(drawer.SetText(QByteArray("{\\rtf1 Hallo}}")), RTFParseException);
    EXPECT_EQ(changes, 1);
    ASSERT_FALSE(drawer.Tokens().empty());
    EXPECT_GT(drawer.Tokens()[0].Width, 0.0f);
}

// ---------------------------------------------------------------------------
// Layout

TEST(RTFDrawerLayout, BreaksTokensIntoLines)
{
    struct Case {
        const char* Name;
        const char* Body;
        double Width;
        const char* Lines;
    };
    const Case cases[] = {
        {"FitsOnOneLine", "aa bb", 10, "aa_bb*"},
        {"ExactFitStays", "aaa bbb", 7, "aaa_bbb*"},
        {"SpaceThatOverflowsIsDropped", "aaa bbb ccc", 7, "aaa_bbb/ccc*"},
        {"SpaceBeforeTheOverflowingWordIsDropped", "aaa bbb ccc", 9, "aaa_bbb/ccc*"},
        {"WordWiderThanTheBox", "abcdefgh ij", 5, "abcdefgh/ij*"},
        {"WideWordAfterOthers", "ab abcdefgh cd", 5, "ab/abcdefgh/cd*"},
        {"ZeroWidthPutsEveryWordAlone", "aa bb", 0, "aa/bb*"},
        {"HyphenBreak", "Grund-schule", 8, "Grund-/schule*"},
        {"HyphenWordFits", "Grund-schule", 12, "Grund-~schule*"},
        // Everything after the break is measured afresh on the new line,
        // nothing counted twice.
        {"RescanAfterBreak", "aa bbbb c", 6, "aa/bbbb_c*"},
        {"RescanOfAdjacentTokens", "aa b{\\field{\\*\\fldinst P}}", 5, "aa/b<P>*"},
        {"ParagraphEnds", "aa\\par bb", 10, "aa¶*/bb*"},
        {"EmptyParagraph", "aa\\par\\par bb", 10, "aa¶*/¶*/bb*"},
        // A space at the start of a line is no break position.
        {"LeadingSpace", "aa\\par  bbbbbb", 6, "aa¶*/_/bbbbbb*"},
        {"FieldIsAWord", "aa {\\field{\\*\\fldinst PAGE}{\\fldrslt 3}}", 5, "aa/<PAGE>*"},
        {"AlignmentStaysInTheLine", "\\qc aa", 10, "#1aa*"},
        {"AlignmentAloneMakesNoLine", "\\qc", 10, ""},
        {"Empty", "", 10, ""},
    };
    for (const Case& c : cases) {
        TSyntheticDrawer drawer;
        drawer.SetText(Rtf(c.Body));
        drawer.Layout(c.Width);
        EXPECT_EQ(Describe(drawer), c.Lines) << c.Name;
    }
}

TEST(RTFDrawerLayout, LinesKnowTheirSizeSpacesAndAlignment)
{
    TSyntheticDrawer drawer;
    // 20 pt lines are 10 mm high, 10 pt lines 5 mm.
    drawer.SetText(Rtf("\\qc\\fs40 aaa bbb ccc\\par\\fs20\\par\\qr dd \\qj ee"));
    drawer.Layout(8);
    ASSERT_EQ(Describe(drawer), "#1aaa_bbb/ccc¶*/¶*/#2dd_#3ee*");
    struct Expected {
        float Width, Height;
        int Spaces;
        TRTFAlignment Alignment;
    };
    const Expected expected[] = {
        {7, 10, 1, TRTFAlignment::Center}, // the dropped space does not count
        {3, 10, 0, TRTFAlignment::Center},
        {0, 5, 0, TRTFAlignment::Center}, // an empty paragraph has its font's height
        {5, 5, 1, TRTFAlignment::Justify}, // the alignment current when the line was made
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TRTFLine& line = drawer.Lines()[i];
        EXPECT_FLOAT_EQ(line.Width, expected[i].Width) << i;
        EXPECT_FLOAT_EQ(line.Height, expected[i].Height) << i;
        EXPECT_EQ(line.SpaceCount, expected[i].Spaces) << i;
        EXPECT_EQ(line.Alignment, expected[i].Alignment) << i;
    }
    EXPECT_FLOAT_EQ(drawer.TotalHeight(), 30);
    EXPECT_EQ(drawer.LayoutWidth(), 8);
}

TEST(RTFDrawerLayout, NegativeWidthForgetsTheLayout)
{
    TSyntheticDrawer drawer;
    drawer.SetText(Rtf("aa bb"));
    TRecordingContext ctx(150);

    drawer.Layout(10);
    ASSERT_EQ(drawer.Lines().size(), 1u);
    drawer.Layout(-1);
    EXPECT_TRUE(drawer.Lines().empty());
    EXPECT_EQ(drawer.LayoutWidth(), -1);
    EXPECT_EQ(drawer.TotalHeight(), 0);

    // The next draw at the old width must lay out again.
    drawer.DrawRTF(ctx, kTextAlignLeft, kTextAlignTop, 10, 20, 50, 50);
    EXPECT_EQ(ctx.Outs.size(), 3u);

    ctx.Outs.clear();
    drawer.DrawRTF(ctx, kTextAlignLeft, kTextAlignTop, -3, 20, 50, 50);
    EXPECT_TRUE(ctx.Outs.empty());
    drawer.DrawRTF(ctx, kTextAlignLeft, kTextAlignTop, 10, 20, 50, 50);
    EXPECT_EQ(ctx.Outs.size(), 3u);
}

// ---------------------------------------------------------------------------
// Drawing

TEST(RTFDrawerDraw, NothingToDrawDrawsNothing)
{
    for (const char* body : {"", "\\qc", "\\pard\\qr"}) {
        TSyntheticDrawer drawer;
        drawer.SetText(Rtf(body));
        TRecordingContext ctx(150);
        drawer.DrawRTF(ctx, kTextAlignJustify, kTextAlignMiddle, 50, 50, 0, 0);
        EXPECT_TRUE(ctx.Outs.empty()) << body;
    }
}

TEST(RTFDrawerDraw, HorizontalAlignmentAndJustification)
{
    // Box 9 mm wide centred at x = 50: edges at 45.5 and 54.5. Lines:
    // "aa bb cc" (8 mm), "dd ee ff" (8 mm), "gg" ending a paragraph, and
    // "hh ii" ending the text.
    struct Case {
        int HorzAlign;
        std::vector<float> X; // aa bb cc / dd ee ff / gg / hh ii
    };
    const Case cases[] = {
        {kTextAlignLeft, {45.5, 48.5, 51.5, 45.5, 48.5, 51.5, 45.5, 45.5, 48.5}},
        {kTextAlignCenter, {46, 49, 52, 46, 49, 52, 49, 47.5, 50.5}},
        {kTextAlignRight, {46.5, 49.5, 52.5, 46.5, 49.5, 52.5, 52.5, 49.5, 52.5}},
        // Stretched lines end at the right edge; paragraph ends stay left.
        {kTextAlignJustify, {45.5, 49, 52.5, 45.5, 49, 52.5, 45.5, 45.5, 48.5}},
    };
    // The RTF's own alignment (\qr) is not used.
    const QByteArray text = Rtf("\\qr aa bb cc dd ee ff gg\\par hh ii");
    for (const Case& c : cases) {
        TSyntheticDrawer drawer;
        drawer.SetText(text);
        TRecordingContext ctx(150);
        drawer.DrawRTF(ctx, c.HorzAlign, kTextAlignTop, 9, 100, 50, 50);
        ASSERT_EQ(Describe(drawer), "#2aa_bb_cc/dd_ee_ff/gg¶*/hh_ii*");
        const std::vector<TRecordingContext::TOut> words = ctx.Words();
        ASSERT_EQ(words.size(), c.X.size()) << c.HorzAlign;
        for (std::size_t i = 0; i < words.size(); ++i)
            EXPECT_NEAR(words[i].X, c.X[i], 1e-4) << c.HorzAlign << " " << words[i].Text.toStdString();
    }

    // A word wider than the box is drawn from the left edge, whatever the
    // alignment.
    for (int align : {kTextAlignCenter, kTextAlignRight}) {
        TSyntheticDrawer drawer;
        drawer.SetText(Rtf("abcdefghijkl"));
        TRecordingContext ctx(150);
        drawer.DrawRTF(ctx, align, kTextAlignTop, 9, 100, 50, 50);
        ASSERT_EQ(ctx.Outs.size(), 1u);
        EXPECT_FLOAT_EQ(ctx.Outs[0].X, 45.5f) << align;
    }
}

TEST(RTFDrawerDraw, VerticalAlignmentAndOverflow)
{
    // Four 5 mm lines (20 mm) in a box centred at y = 100.
    const QByteArray text = Rtf("l1\\par l2\\par l3\\par l4");
    struct Case {
        const char* Name;
        int VertAlign;
        float H;
        float Top;    // of the first line
        std::size_t Lines;
    };
    const Case cases[] = {
        {"Top", kTextAlignTop, 30, 85, 4},
        {"Middle", kTextAlignMiddle, 30, 90, 4},
        {"Bottom", kTextAlignBottom, 30, 95, 4},
        // More text than fits starts at the top and loses its last lines.
        {"TopOverflow", kTextAlignTop, 12, 94, 2},
        {"MiddleOverflow", kTextAlignMiddle, 12, 94, 2},
        {"BottomOverflow", kTextAlignBottom, 12, 94, 2},
        {"FirstLineAlwaysDrawn", kTextAlignBottom, 1, 99.5, 1},
        {"WithinTolerance", kTextAlignTop, 9.96f, 95.02f, 2},
        {"BeyondTolerance", kTextAlignTop, 9.9f, 95.05f, 1},
    };
    // Where the first word lands relative to its line's top.
    TSyntheticDrawer reference;
    reference.SetText(text);
    TRecordingContext refCtx(150);
    reference.DrawRTF(refCtx, kTextAlignLeft, kTextAlignTop, 20, 100, 50, 100);
    ASSERT_EQ(refCtx.Outs.size(), 4u);
    const float offset = refCtx.Outs[0].Y - 50;
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_NEAR(refCtx.Outs[i].Y - refCtx.Outs[i - 1].Y, 5, 1e-4);

    for (const Case& c : cases) {
        TSyntheticDrawer drawer;
        drawer.SetText(text);
        TRecordingContext ctx(150);
        drawer.DrawRTF(ctx, kTextAlignLeft, c.VertAlign, 20, c.H, 50, 100);
        ASSERT_EQ(ctx.Outs.size(), c.Lines) << c.Name;
        EXPECT_NEAR(ctx.Outs[0].Y - offset, c.Top, 1e-3) << c.Name;
        EXPECT_EQ(ctx.Outs.back().Text.toStdString(), "l" + std::to_string(c.Lines)) << c.Name;
    }
}

TEST(RTFDrawerDraw, TwoFontsShareTheBaseline)
{
    const QByteArray text(
        R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}\f0\fs20 klein {\f1\fs72 GROSS} \fs40 mittel\par\fs30 zwei})");
    for (double dpi : {150.0, 600.0}) {
        TRTFDrawer drawer;
        drawer.SetFontInstalled(TestFontInstalled);
        drawer.SetText(text);
        TRecordingContext ctx(dpi);
        drawer.DrawRTF(ctx, kTextAlignLeft, kTextAlignTop, 150, 100, 100, 100);
        const std::vector<TRecordingContext::TOut> words = ctx.Words();
        ASSERT_EQ(words.size(), 4u);
        const float scale = float(dpi / 25.4);
        // The baseline of the first line lies the largest ascent below its
        // top, for every token on it.
        const float top = 50;
        const float ascent = drawer.Tokens()[2].Ascent; // GROSS
        const TRTFLine& first = drawer.Lines()[0];
        EXPECT_FLOAT_EQ(first.Ascent, ascent);
        for (std::size_t i = 0; i < 3; ++i) {
            const float baseline = words[i].Y * scale + float(words[i].DeviceAscent);
            EXPECT_NEAR(baseline, (top + ascent) * scale, 1.0) << dpi << " " << i;
        }
        // The second line starts at the first line's height, with its own
        // ascent.
        const float baseline2 = words[3].Y * scale + float(words[3].DeviceAscent);
        EXPECT_NEAR(baseline2, (top + first.Height + drawer.Tokens()[6].Ascent) * scale, 1.0)
            << dpi;
        EXPECT_GT(first.Height, drawer.Lines()[1].Height);
    }
}

TEST(RTFDrawerDraw, PositionsAgreeAcrossResolutions)
{
    const QByteArray text(
        R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}\f0\fs24 Ein kleiner Text mit )"
        R"({\f1\fs36 grossen} Worten und einer Grund-schule, die bricht.\par\par\qc\fs18 )"
        R"(Zweiter Absatz mit {\b fetten} und {\i schraegen} Worten bis zum Ende.})");
    const float onePixelAt150 = 25.4f / 150;
    for (float angle : {0.0f, 20.0f}) {
        for (int horz = kTextAlignLeft; horz <= kTextAlignJustify; ++horz) {
            for (int vert = kTextAlignTop; vert <= kTextAlignBottom; ++vert) {
                std::vector<TRecordingContext::TOut> outs[2];
                const double dpis[2] = {150, 600};
                for (int k = 0; k < 2; ++k) {
                    TRTFDrawer drawer;
                    drawer.SetFontInstalled(TestFontInstalled);
                    drawer.SetText(text);
                    TRecordingContext ctx(dpis[k], angle, 60, 40);
                    drawer.DrawRTF(ctx, horz, vert, 40, 30, 60, 40);
                    outs[k] = ctx.Outs;
                }
                ASSERT_GT(outs[0].size(), 10u);
                ASSERT_EQ(outs[0].size(), outs[1].size()) << angle << horz << vert;
                for (std::size_t i = 0; i < outs[0].size(); ++i) {
                    EXPECT_EQ(outs[0][i].Text, outs[1][i].Text);
                    EXPECT_NEAR(outs[0][i].X, outs[1][i].X, onePixelAt150)
                        << angle << " " << horz << vert << " " << i;
                    EXPECT_NEAR(outs[0][i].Y, outs[1][i].Y, onePixelAt150)
                        << angle << " " << horz << vert << " " << i;
                }
            }
        }
    }
}
