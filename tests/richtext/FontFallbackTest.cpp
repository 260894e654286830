#include "richtext/FontCache.h"

#include "app/Arith.h"
#include "render/Canvas.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QRawFont>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

// Type 1 faces have outlines but no sfnt tables, so the cache cannot take
// their widths; text in such a family must still be measured and drawn, by
// one readable face.

namespace {

const QString kSample = QStringLiteral("Hamburg 1984");

struct TStyleCase {
    TFontStyles Style;
    bool Bold;
    bool Italic;
};
const TStyleCase kStyles[] = {
    {{}, false, false},
    {TFontStyle::Bold, true, false},
    {TFontStyle::Italic, false, true},
    {TFontStyles(TFontStyle::Bold) | TFontStyle::Italic, true, true},
};

TFont Named(const QString& name, TFontStyles style = {})
{
    TFont font;
    font.Name = name;
    font.Style = style;
    return font;
}

// The face the cache gets for a family.
QRawFont OpenLikeTheCache(const QString& family, bool bold, bool italic)
{
    QFont qfont(family);
    qfont.setBold(bold);
    qfont.setItalic(italic);
    qfont.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferOutline));
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setPixelSize(100);
    return QRawFont::fromFont(qfont);
}

bool HasLayoutTables(const QRawFont& face)
{
    return face.isValid() && !face.fontTable("hhea").isEmpty()
           && !face.fontTable("hmtx").isEmpty();
}

QString PlainName(const QString& family)
{
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket > 0 ? family.left(bracket) : family;
}

// Stored names whose face has outlines for the sample text but no sfnt
// tables; symbol and dingbat faces are left out.
QStringList TableLessNames()
{
    QStringList names;
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families) {
        const QString name = PlainName(family);
        if (names.contains(name) || ResolveFontFamily(name) != family)
            continue;
        const QRawFont face = OpenLikeTheCache(family, false, false);
        if (!face.isValid() || HasLayoutTables(face))
            continue;
        bool covers = true;
        for (QChar c : kSample)
            covers = covers && face.supportsCharacter(c);
        if (covers)
            names.append(name);
    }
    return names;
}

} // namespace

TEST(FontFallback, TypeOneFamilyIsMeasuredWithTheFaceThatDrawsIt)
{
    const QStringList names = TableLessNames();
    if (names.isEmpty())
        GTEST_SKIP() << "no Type 1 family installed";
    for (const QString& name : names) {
        for (const TStyleCase& c : kStyles) {
            SCOPED_TRACE(name.toStdString() + " bold " + std::to_string(c.Bold) + " italic "
                         + std::to_string(c.Italic));
            const TFontInfo info(Named(name, c.Style));
            const QRawFont& face = info.RawFont();
            ASSERT_TRUE(HasLayoutTables(face)) << info.Family().toStdString();

            // The stand-in keeps the look: the same style of the same design,
            // or Arial's face in the requested weight and slant.
            if (PlainName(info.Family()).compare(name, Qt::CaseInsensitive) == 0) {
                const QRawFont original =
                    OpenLikeTheCache(ResolveFontFamily(name), c.Bold, c.Italic);
                EXPECT_EQ(face.styleName(), original.styleName());
            } else {
                EXPECT_EQ(info.Family(), ResolveFontFamily(QStringLiteral("Arial")));
                EXPECT_EQ(face.weight() >= QFont::DemiBold, c.Bold);
                EXPECT_EQ(face.style() != QFont::StyleNormal, c.Italic);
            }

            // The measured width is the drawing face's own width.
            QRawFont design = face;
            design.setPixelSize(info.EmSquare());
            QList<quint32> glyphs;
            for (char32_t code : CodePoints(kSample)) {
                EXPECT_NE(info.Glyph(code).Index, 0u) << int(code);
                glyphs.append(info.Glyph(code).Index);
            }
            double width = 0;
            for (const QPointF& advance :
                 design.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics))
                width += advance.x();
            EXPECT_NEAR(double(info.TextAdvance(kSample)), width, 0.5 * double(glyphs.size()));
        }
    }
}

TEST(FontFallback, TypeOneFamilyIsDrawnWhereItWasMeasured)
{
    const QStringList names = TableLessNames();
    if (names.isEmpty())
        GTEST_SKIP() << "no Type 1 family installed";
    constexpr int kEm = 48;
    const QPoint origin(20, 20);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const TFont font = Named(name);
        const TFontInfo& info = FontCache().Lookup(font);
        std::vector<int> advances;
        int measured = 0;
        for (char32_t code : CodePoints(kSample)) {
            advances.push_back(RoundHalfEven(info.CharWidth(code, kEm)));
            measured += advances.back();
        }

        QImage image(origin.x() + measured + 2 * kEm, 2 * origin.y() + 2 * kEm,
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            TCanvas canvas(&image);
            canvas.SetFont(font);
            canvas.SetDeviceFont(kEm, 0);
            canvas.ExtTextOut(origin, kSample, advances);
        }

        int inkLeft = image.width();
        int inkRight = -1;
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(line[x]) < 128) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x);
                }
            }
        }
        ASSERT_GE(inkRight, 0) << "the text left no ink";
        // The glyphs span the measured line: they start at the pen and the
        // last one ends near where the advances put the pen afterwards.
        EXPECT_NEAR(inkLeft, origin.x(), kEm / 4);
        EXPECT_NEAR(inkRight, origin.x() + measured, kEm / 2);
    }
}
