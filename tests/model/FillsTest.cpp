// Fills: the drag record, the colour question and the custom colours, and
// the named colour list.

#include "app/VQRegistry.h"
#include "i18n/Localizer.h"
#include "model/ZadoveroColor.h"
#include "model/ZadoveroDocumentHelper.h"
#include "support/TestSupport.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

QByteArray Record(const TFBColor& fill)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    fill.SaveToStream(buffer);
    return buffer.data();
}

bool Load(TFBColor& fill, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return fill.LoadFromStream(buffer);
}

// Installs an asker for the test's lifetime and restores the old one.
class TAskerScope {
public:
    explicit TAskerScope(TColorAsker asker) : Previous(SetColorAsker(std::move(asker))) {}
    ~TAskerScope() { SetColorAsker(std::move(Previous)); }

private:
    TColorAsker Previous;
};

TEST(FillRecord, BytesAndRoundTrip)
{
    struct Case {
        QString Name;
        std::int32_t Color;
        QByteArray Bytes;
    };
    const Case cases[] = {
        {QStringLiteral("rot"), 0x0000FF, QByteArray::fromHex("03000000726f74ff000000")},
        {QString(), 0x123456, QByteArray::fromHex("0000000056341200")},
        {QStringLiteral("hellgrün"), -1, QByteArray::fromHex("0800000068656c6c6772fc6effffffff")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name.toStdString());
        EXPECT_EQ(Record(TFBColor(c.Name, c.Color)), c.Bytes);
        TFBColor back(QStringLiteral("alt"), 7);
        ASSERT_TRUE(Load(back, c.Bytes));
        EXPECT_EQ(back.Name, c.Name);
        EXPECT_EQ(back.Color, c.Color);
    }
}

TEST(FillRecord, MalformedRecordsLeaveTheFillUnchanged)
{
    const QByteArray cases[] = {
        QByteArray::fromHex("ffffffff726f74ff000000"), // negative length
        QByteArray::fromHex("ffffff7f726f74ff000000"), // length beyond the record
        QByteArray::fromHex("03000000726f74ff00"),     // colour cut short
        QByteArray::fromHex("0300"),                   // length cut short
        QByteArray(),
    };
    for (const QByteArray& bytes : cases) {
        SCOPED_TRACE(bytes.toHex().toStdString());
        TFBColor fill(QStringLiteral("alt"), 7);
        EXPECT_FALSE(Load(fill, bytes));
        EXPECT_EQ(fill.Name, QStringLiteral("alt"));
        EXPECT_EQ(fill.Color, 7);
    }
}

TEST(FillColor, NamedColourNeedsNoQuestion)
{
    TTestServices services;
    int asked = 0;
    TAskerScope scope([&](TColor&, QStringList&) { return ++asked, true; });
    TColor c = 0;
    EXPECT_TRUE(TFBColor(QStringLiteral("rot"), 0x0000FF).GetColor(c));
    EXPECT_EQ(c, 0x0000FFu);
    EXPECT_EQ(asked, 0);
}

TEST(FillColor, OwnColourCancelledChangesNothing)
{
    TTestServices services;
    VQRegistry().WriteString(QStringLiteral("CustomColors"), QStringLiteral("Colors"),
                             QStringLiteral("ColorA=00FF00\r\n"));
    TColor start = 0;
    TAskerScope scope([&](TColor& c, QStringList& lines) {
        start = c;
        lines = QStringList{QStringLiteral("ColorA=0000FF")};
        return false;
    });
    TColor c = 0x123456;
    EXPECT_FALSE(TFBColor(QStringLiteral("Eigene Farbe"), -1).GetColor(c));
    EXPECT_EQ(c, 0x123456u);
    EXPECT_EQ(start, clWhite);
    EXPECT_EQ(VQRegistry().ReadString(QStringLiteral("CustomColors"), QStringLiteral("Colors"), {}),
              QStringLiteral("ColorA=00FF00\r\n"));
}

TEST(FillColor, OwnColourConfirmedStoresAndReloadsCustomColours)
{
    TTestServices services;
    VQRegistry().WriteString(QStringLiteral("CustomColors"), QStringLiteral("Colors"),
                             QStringLiteral("ColorA=00FF00\r\nColorB=FFFFFF\r\n"));
    QStringList seen;
    TAskerScope scope([&](TColor& c, QStringList& lines) {
        seen = lines;
        c = 0x0000FF;
        lines = QStringList{QStringLiteral("ColorA=0000FF"), QStringLiteral("ColorB=abc")};
        return true;
    });
    TColor c = 0;
    ASSERT_TRUE(TFBColor(QStringLiteral("Eigene Farbe"), -1).GetColor(c));
    EXPECT_EQ(c, 0x0000FFu);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("ColorA=00FF00"), QStringLiteral("ColorB=FFFFFF")}));
    EXPECT_EQ(CustomColors(), (std::vector<TColor>{0x0000FF, 0xABC}));
}

TEST(FillColor, WithoutADialogTheQuestionIsCancelled)
{
    TTestServices services;
    TAskerScope scope(nullptr);
    TColor c = 1;
    EXPECT_FALSE(TFBColor(QString(), -1).GetColor(c));
    EXPECT_EQ(c, 1u);
}

TEST(CustomColors, UnreadableLinesStayEmpty)
{
    TTestServices services;
    VQRegistry().WriteString(QStringLiteral("Eigene"), QStringLiteral("Colors"),
                             QStringLiteral("ColorA=FF\r\nColorB=xyz\r\nohne\r\nColorD=1000000\r\nColorE=0a0B0c\r\n"));
    LoadCustomColors(QStringLiteral("Eigene"));
    EXPECT_EQ(CustomColors(), (std::vector<TColor>{0xFF, clNoColor, clNoColor, clNoColor, 0x0A0B0C}));
    LoadCustomColors(QStringLiteral("Leer"));
    EXPECT_TRUE(CustomColors().empty());
}

TEST(FillColorList, NamedColoursThenOwnColour)
{
    TTestServices services;
    TFBColorList list;
    list.push_back(std::make_unique<TFBColor>(QStringLiteral("alt"), 1));
    FillColorList(list);
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(list[0]->Name, QStringLiteral("hellgrau"));
    EXPECT_EQ(list[0]->Color, 0xE9E9E9);
    EXPECT_EQ(list[4]->Name, QStringLiteral("hellgelb"));
    EXPECT_EQ(list[4]->Color, 0xB8F0FF);
    EXPECT_EQ(list[11]->Name, QStringLiteral("hellgrün"));
    EXPECT_EQ(list[13]->Name, QStringLiteral("Eigene Farbe"));
    EXPECT_EQ(list[13]->Color, -1);
    for (const auto& fill : list)
        EXPECT_FALSE(fill->Name.contains(QStringLiteral("Defaultwert"))) << fill->Name.toStdString();
}

} // namespace
