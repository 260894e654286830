#include "app/Format.h"

#include <gtest/gtest.h>

TEST(Format, FormatsTheMessagePlaceholders)
{
    struct Case {
        const char* Format;
        QVariantList Args;
        const char* Out;
    };
    const Case cases[] = {
        {"Drucke Seite %d von %d", {3, 12}, "Drucke Seite 3 von 12"},
        {"%d.%.2d.%.4d.%.4d", {1, 2, 3, 4}, "1.02.0003.0004"},
        {"%s: %s", {QStringLiteral("a"), QStringLiteral("b")}, "a: b"},
        {"%1:s %0:s", {QStringLiteral("x"), QStringLiteral("y")}, "y x"},
        {"%5d|%-5d|", {42, 42}, "   42|42   |"},
        {"%.2f %%", {2.5}, "2.50 %"},
        {"%x", {255}, "FF"},
    };
    for (const Case& c : cases) {
        QString out;
        ASSERT_TRUE(TryFormat(QString::fromUtf8(c.Format), c.Args, out)) << c.Format;
        EXPECT_EQ(out, QString::fromUtf8(c.Out)) << c.Format;
    }
}

TEST(Format, MismatchesAreReportedNotCrashed)
{
    struct Case {
        const char* Format;
        QVariantList Args;
    };
    const Case cases[] = {
        {"%d von %d", {3}},                  // too few
        {"%s", {7}},                         // number for text
        {"%d", {QStringLiteral("sieben")}},  // text for number
        {"%q", {1}},                         // unknown type
        {"ende %", {}},                      // cut off
        {"%99999999999d", {1}},              // absurd width
    };
    for (const Case& c : cases) {
        QString out = QStringLiteral("untouched");
        EXPECT_FALSE(TryFormat(QString::fromUtf8(c.Format), c.Args, out)) << c.Format;
        EXPECT_EQ(out, QStringLiteral("untouched"));
        EXPECT_EQ(Format(QString::fromUtf8(c.Format), c.Args), QString::fromUtf8(c.Format));
    }
}
