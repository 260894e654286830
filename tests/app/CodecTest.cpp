#include "app/Codec1252.h"
#include "app/Colors.h"

#include <gtest/gtest.h>

TEST(Codec1252, EveryByteRoundTrips)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(ToCp1252(FromCp1252(all)), all);
}

TEST(Codec1252, MapsTheHighRangeAndReplacesWhatDoesNotFit)
{
    EXPECT_EQ(FromCp1252(QByteArray("\x80\x93\x94\xE4", 4)), QStringLiteral(u"€“”ä"));
    EXPECT_EQ(ToCp1252(QStringLiteral(u"Łukasz €")), QByteArray("?ukasz \x80"));
    // A character outside the BMP is one '?', not two.
    EXPECT_EQ(ToCp1252(QStringLiteral(u"a\U0001F600b")), QByteArray("a?b"));
    EXPECT_TRUE(FitsCp1252(QStringLiteral(u"Grüße €")));
    EXPECT_FALSE(FitsCp1252(QStringLiteral(u"Łukasz")));
}

TEST(Codec1252, StoredTextKeepsWhatTheCodePageCannotHold)
{
    const QString cases[] = {
        QStringLiteral(u"Grüße"),            // fits: bytes as before
        QStringLiteral(u"Łukasz"),           // does not fit
        QStringLiteral(u"/home/ю/фото.jpg"),
        QStringLiteral(u"\u00EF\u00BB\u00BFabc"), // fits, but looks like the mark
        QString(),
    };
    for (const QString& s : cases)
        EXPECT_EQ(DecodeStoredText(EncodeStoredText(s)), s) << s.toStdString();
    EXPECT_EQ(EncodeStoredText(QStringLiteral(u"Grüße")), QByteArray("Gr\xFC\xDF" "e"));
    EXPECT_TRUE(EncodeStoredText(QStringLiteral(u"Łukasz")).startsWith("\xEF\xBB\xBF"));
}

TEST(Colors, ConvertsBgrValues)
{
    EXPECT_EQ(ToQColor(0x00332211), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(FromQColor(QColor(0x11, 0x22, 0x33)), 0x00332211u);
    // The high byte is not a colour component.
    EXPECT_EQ(ToQColor(0x7F0000FF), QColor(255, 0, 0));
}
