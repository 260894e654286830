#include "richtext/FontCache.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TFont Named(const QString& name, TFontStyles style = {}, int size = 12)
{
    TFont font;
    font.Name = name;
    font.Style = style;
    font.Size = size;
    return font;
}

} // namespace

TEST(FontResolver, MapsStoredNamesToInstalledFaces)
{
    struct Case {
        const char* Stored;
        const char* Family;
    };
    const Case cases[] = {
        {"Liberation Serif", "Liberation Serif"}, // installed: taken as it is
        {"liberation mono", "Liberation Mono"},   // case does not matter
        {"Arial", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"No Such Face 123", "Liberation Sans"}, // unknown: drawn as Arial
        {"", "Liberation Sans"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveFontFamily(QString::fromUtf8(c.Stored)), QString::fromUtf8(c.Family))
            << c.Stored;
}

TEST(FontCache, StoredNameIsKeptWhileTheAliasDraws)
{
    const TFontInfo& info = FontCache().Lookup(Named(QStringLiteral("Times New Roman")));
    EXPECT_EQ(info.Font().Name, QStringLiteral("Times New Roman"));
    EXPECT_EQ(info.Family(), QStringLiteral("Liberation Serif"));
    EXPECT_TRUE(info.RawFont().isValid());
}

TEST(FontCache, LiberationSansDesignMetrics)
{
    const TFontInfo& info = FontCache().Lookup(Named(QStringLiteral("Arial")));
    EXPECT_EQ(info.EmSquare(), 2048);
    const TTextMetrics& m = info.Metrics();
    EXPECT_EQ(m.Ascent, 1854);
    EXPECT_EQ(m.Descent, 434);
    EXPECT_EQ(m.Height, 2288);
    EXPECT_EQ(m.InternalLeading, 240);
    EXPECT_EQ(m.ExternalLeading, 67);

    // 12 pt: the line height of the rich-text layout (cell plus external
    // leading) and the width of a word, both from design units.
    EXPECT_NEAR(info.DesignToMM(m.Height + m.ExternalLeading, 12), 4.8679, 0.001);
    EXPECT_NEAR(info.DesignToMM(double(info.TextAdvance(u"Hallo")), 12), 9.6470, 0.001);
    EXPECT_EQ(info.TextAdvance(u"Hallo"), 1479 + 1139 + 455 + 455 + 1139);
}

TEST(FontCache, WidthsCoverCodePointsBeyondLatin1)
{
    const TFontInfo& info = FontCache().Lookup(Named(QStringLiteral("Arial")));
    // The euro sign and a Cyrillic letter have real glyphs, not the
    // missing-glyph box of a 256-entry table.
    const int missing = info.Advance(0x10FFFD);
    for (char32_t code : {char32_t(0x20AC), char32_t(0x0416), char32_t(0x2013)}) {
        EXPECT_NE(info.Glyph(code).Index, 0u) << int(code);
        EXPECT_GT(info.Advance(code), 0) << int(code);
    }
    EXPECT_EQ(info.Glyph(0x10FFFD).Index, 0u);
    EXPECT_GT(missing, 0);
    // Text is summed per code point; a surrogate pair is one character.
    const QString emoji = QString::fromUcs4(U"A\U0001F600");
    EXPECT_EQ(info.TextAdvance(emoji), info.Advance(U'A') + info.Advance(0x1F600));
    EXPECT_EQ(CodePoints(emoji).size(), 2u);
}

TEST(FontCache, LookupIgnoresSizeButSeparatesStyleAndCharset)
{
    TFontCache cache;
    TFontInfo& regular = cache.Lookup(Named(QStringLiteral("Arial"), {}, 10));
    EXPECT_EQ(&cache.Lookup(Named(QStringLiteral("Arial"), {}, 36)), &regular);
    TFontInfo& bold = cache.Lookup(Named(QStringLiteral("Arial"), TFontStyle::Bold));
    EXPECT_NE(&bold, &regular);
    TFont symbol = Named(QStringLiteral("Arial"));
    symbol.Charset = 2;
    EXPECT_NE(&cache.Lookup(symbol), &regular);
    EXPECT_EQ(cache.Count(), 3);
    // Bold has its own face with wider letters.
    EXPECT_GT(bold.Advance(U'm'), regular.Advance(U'm'));
    EXPECT_EQ(bold.RawFont().styleName(), QStringLiteral("Bold"));
}

TEST(FontCache, DeviceMetricsAreRoundedPerValue)
{
    const TFontInfo& info = FontCache().Lookup(Named(QStringLiteral("Arial")));
    // 120 pixels em (12 pt at 720 dpi): 1854 * 120 / 2048 = 108.6,
    // 434 * 120 / 2048 = 25.4, 67 * 120 / 2048 = 3.9.
    const TTextMetrics m = info.DeviceMetrics(120);
    EXPECT_EQ(m.Ascent, 109);
    EXPECT_EQ(m.Descent, 25);
    EXPECT_EQ(m.Height, 134);
    EXPECT_EQ(m.InternalLeading, 14);
    EXPECT_EQ(m.ExternalLeading, 4);
}
