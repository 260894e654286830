#include "calendar/Kalender.h"
#include "calendar/KalenderBesondereTage.h"
#include "i18n/Localizer.h"
#include "storage/DataFile.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

class FixedToday {
public:
    explicit FixedToday(QDate d) { SetKalenderClock([d] { return d; }); }
    ~FixedToday() { SetKalenderClock({}); }
};

QByteArray Record(const TKalenderData& d, const QString& path = QStringLiteral("E/KalenderData"))
{
    QByteArray bytes;
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadWrite);
    TMemoryDataFile f(stream);
    d.WriteToFile(f, path);
    return bytes;
}

TKalenderData ReadRecord(QByteArray bytes, const QString& path = QStringLiteral("E/KalenderData"))
{
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TMemoryDataFile f(stream);
    TKalenderData d;
    d.ReadFromFile(f, path);
    return d;
}

TFont MakeFont(const char* name, int size, TFontStyles style, TColor color)
{
    TFont f;
    f.Name = QString::fromLatin1(name);
    f.Size = size;
    f.Style = style;
    f.Color = color;
    return f;
}

// Every field away from its default.
TKalenderData Changed()
{
    TKalenderData d;
    d.SetMonat(2);
    d.SetJahr(2031);
    d.WochentagFont = MakeFont("Courier New", 11, TFontStyle::Bold, 0x010203);
    d.Font = MakeFont("Trebuchet MS", 12, TFontStyle::Italic, 0x040506);
    d.TextColorSonntag = 1;
    d.TextColorSamstag = 2;
    d.Color = 3;
    d.ColorZeilen = 4;
    d.ColorZellen = 5;
    d.CellPadding = {1, 2, 3, 4};
    d.RowPadding = {5, 6, 7, 8};
    d.CellSpacing = {9, 10, 11, 12};
    d.RowSpacing = {13, 14, 15, 16};
    d.FontHeight = 37.5f;
    d.FTextAlign = 9;
    d.ShowWochentage = false;
    d.WochentagSize = 18;
    d.WochentagCellPadding = {17, 18, 19, 20};
    d.WochentagRowPadding = {21, 22, 23, 24};
    d.WochentagCellSpacing = {25, 26, 27, 28};
    d.WochentagColorZeile = 6;
    d.WochentagTextAlign = 10;
    d.WochentagFontHeight = 33;
    d.WochentagRowSpacing = {29, 30, 31, 32};
    d.WochentagColorZelle = 7;
    d.ShowMonatJahr = false;
    d.MonatJahrTextAlign = 11;
    d.MonatJahrFontHeight = 40;
    d.MonatJahrSize = 20;
    d.MonatJahrColorZeile = 8;
    d.MonatJahrFont = MakeFont("Arial Black", 13, TFontStyle::Underline | TFontStyle::Bold, 0x070809);
    d.MonatJahrRowPadding = {33, 34, 35, 36};
    d.MonatJahrRowSpacing = {37, 38, 39, 40};
    d.ShowMonatJahrOnBottom = true;
    d.MonatJahrZweizeilig = true;
    d.Typ = kt2WochenVertical;
    d.TextColorFeiertag = 9;
    d.TextColorGeburtstag = 10;
    d.ShowSondertage = true;
    d.SondertagFontHeight = 30;
    d.SondertagFont = MakeFont("Verdana", 14, TFontStyle::StrikeOut, 0x0A0B0C);
    d.SondertagSize = 7;
    d.SondertagColorZeile = 11;
    d.SondertagRowSpacing = {41, 42, 43, 44};
    d.SondertagRowPadding = {45, 46, 47, 48};
    d.SonderTagTextAlign = 12;
    return d;
}

} // namespace

TEST(KalenderData, DefaultsOfANewCalendar)
{
    FixedToday today(QDate(2027, 9, 14));
    TKalenderData d;
    EXPECT_EQ(d.Monat(), 9);
    EXPECT_EQ(d.Jahr(), 2027);
    EXPECT_EQ(d.Font, KalenderDefaultFont());
    EXPECT_EQ(d.Font.Name, QStringLiteral("Arial"));
    EXPECT_EQ(d.Font.Color, clBlack);
    EXPECT_EQ(d.WochentagFont, d.Font);
    EXPECT_EQ(d.MonatJahrFont, d.Font);
    EXPECT_EQ(d.SondertagFont, KalenderSystemFont());
    EXPECT_EQ(d.TextColorSonntag, 255u);
    EXPECT_EQ(d.TextColorSamstag, 8421504u);
    EXPECT_EQ(d.TextColorFeiertag, 255u);
    EXPECT_EQ(d.TextColorGeburtstag, 8388608u);
    EXPECT_EQ(d.Color, clNoColor);
    EXPECT_EQ(d.FontHeight, 50);
    EXPECT_EQ(d.FTextAlign, 5);
    EXPECT_EQ(d.WochentagSize, 15);
    EXPECT_EQ(d.MonatJahrSize, 15);
    EXPECT_TRUE(d.ShowWochentage);
    EXPECT_TRUE(d.ShowMonatJahr);
    EXPECT_FALSE(d.ShowSondertage);
    EXPECT_EQ(d.SondertagSize, 0);
    EXPECT_EQ(d.SonderTagTextAlign, 0);
    EXPECT_EQ(d.Typ, ktKalender4x7);
    EXPECT_EQ(d.CellPadding, TPaddingData());

    // Reset brings back every default, month and year included.
    TKalenderData changed = Changed();
    changed.Reset();
    EXPECT_EQ(Record(changed), Record(d));
}

TEST(KalenderData, SettersClampMonthAndYear)
{
    const struct {
        int Month, Year, ExpectedMonth, ExpectedYear;
    } cases[] = {
        {13, 1650, 12, 1700}, {0, 2501, 1, 2500}, {-5, -2000, 1, 1700}, {1, 1700, 1, 1700}, {12, 2500, 12, 2500},
    };
    for (const auto& c : cases) {
        TKalenderData d;
        d.SetMonat(c.Month);
        d.SetJahr(c.Year);
        EXPECT_EQ(d.Monat(), c.ExpectedMonth) << c.Month;
        EXPECT_EQ(d.Jahr(), c.ExpectedYear) << c.Year;
    }
}

TEST(KalenderData, FirstLastDayAndWeekCount)
{
    const struct {
        int Year, Month;
        QDate Last;
        int Weeks;
    } cases[] = {
        {2021, 2, QDate(2021, 2, 28), 4}, // starts on a Monday, 28 days
        {2022, 1, QDate(2022, 1, 31), 6}, // 31 days from a Saturday
        {2021, 8, QDate(2021, 8, 31), 6}, // 31 days from a Sunday
        {2015, 2, QDate(2015, 2, 28), 5}, // 28 days from a Sunday
        {2024, 2, QDate(2024, 2, 29), 5},
        {2024, 4, QDate(2024, 4, 30), 5},
    };
    for (const auto& c : cases) {
        TKalenderData d;
        d.SetJahr(c.Year);
        d.SetMonat(c.Month);
        EXPECT_EQ(d.FirstDay(), QDate(c.Year, c.Month, 1));
        EXPECT_EQ(d.LastDay(), c.Last);
        EXPECT_EQ(d.WeekCount(), c.Weeks) << c.Year << "-" << c.Month;
    }
}

TEST(KalenderData, NamesComeFromTheLanguageTable)
{
    TTestServices env;
    TLocalizer& loc = env.Services().Localizer();
    RegisterKalenderTexts(loc);
    EXPECT_EQ(WeekdayName(1), QStringLiteral("Mo"));
    EXPECT_EQ(WeekdayName(7), QStringLiteral("So"));
    EXPECT_EQ(MonthName(3), QStringLiteral("März"));
    EXPECT_EQ(MonthName(12), QStringLiteral("Dezember"));
    for (int n : {0, 8, -1})
        EXPECT_EQ(WeekdayName(n), QString()) << n;
    for (int n : {0, 13})
        EXPECT_EQ(MonthName(n), QString()) << n;

    loc.SetEnabledLanguages(0x21F);
    loc.SwitchLanguage(1);
    EXPECT_EQ(WeekdayName(2), QStringLiteral("Tu"));
    EXPECT_EQ(MonthName(3), QStringLiteral("March"));
    EXPECT_EQ(MonthName(5), QStringLiteral("May"));
}

// ---------------------------------------------------------------------------
// Records

TEST(KalenderRecord, RoundTripKeepsEveryField)
{
    const TKalenderData out = Changed();
    const TKalenderData in = ReadRecord(Record(out));
    EXPECT_EQ(Record(in), Record(out));
    EXPECT_EQ(in.Monat(), 2);
    EXPECT_EQ(in.Jahr(), 2031);
    EXPECT_EQ(in.MonatJahrFont, out.MonatJahrFont);
    EXPECT_EQ(in.WochentagRowSpacing, out.WochentagRowSpacing);
    EXPECT_FLOAT_EQ(in.FontHeight, 37.5f);
}

TEST(KalenderRecord, KeysInFileOrderWithPaddingsBesideTheRecord)
{
    QByteArray bytes = Record(Changed(), QStringLiteral("P/KalenderData"));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TMemoryDataFile f(stream);
    f.BuildCache();

    const char* const order[] = {
        "Typ", "Monat", "Jahr", "Font", "TextColorSamstag", "TextColorSonntag", "TextColorFeiertag",
        "TextColorGeburtstag", "Color", "ColorZeilen", "ColorZellen", "FontHeight", "FTextAlign",
        "CellPadding", "RowPadding", "CellSpacing", "RowSpacing", "ShowWochentage", "WochentagFont",
        "WochentagSize", "WochentagFontHeight", "WochentagColorZeile", "WochentagColorZelle",
        "WochentagTextAlign", "WochentagCellPadding", "WochentagRowPadding", "WochentagCellSpacing",
        "WochentagRowSpacing", "ShowMonatJahr", "ShowMonatJahrOnBottom", "MonatJahrTextAlign",
        "MonatJahrFontHeight", "MonatJahrSize", "MonatJahrColorZeile", "MonatJahrZweizeilig",
        "MonatJahrFont", "MonatJahrRowPadding", "MonatJahrRowSpacing", "ShowSondertage", "SondertagFont",
        "SondertagFontHeight", "SondertagSize", "SondertagColorZeile", "SonderTagTextAlign",
        "SondertagRowSpacing", "SondertagRowPadding"};
    QStringList expected;
    for (const char* key : order) {
        const QString k = QString::fromLatin1(key);
        if (k.endsWith(QLatin1String("Padding")) || k.endsWith(QLatin1String("Spacing"))) {
            for (const char* side : {"Left", "Top", "Right", "Bottom"})
                expected << QStringLiteral("P/KalenderData") + k + QLatin1Char('|') + QLatin1String(side);
        } else {
            expected << QStringLiteral("P/KalenderData|") + k;
        }
    }
    QStringList actual;
    for (const TDataFileCacheItem& item : f.Index())
        actual << item.Path + QLatin1Char('|') + item.Key;
    EXPECT_EQ(actual, expected);

    // Types as stored: floats as doubles, colours as integers.
    TDataFileEntry entry;
    ASSERT_TRUE(f.FindEntry(QStringLiteral("P/KalenderData"), QStringLiteral("FontHeight"), entry));
    EXPECT_EQ(entry.Size, 8);
    ASSERT_TRUE(f.FindEntry(QStringLiteral("P/KalenderDataCellPadding"), QStringLiteral("Left"), entry));
    EXPECT_EQ(entry.Size, 8);
    EXPECT_EQ(f.ReadInteger(QStringLiteral("P/KalenderData"), QStringLiteral("Color"), -1), 3);
    EXPECT_DOUBLE_EQ(f.ReadFloat(QStringLiteral("P/KalenderDataCellPadding"), QStringLiteral("Left"), -1), 4);
    EXPECT_DOUBLE_EQ(f.ReadFloat(QStringLiteral("P/KalenderDataCellPadding"), QStringLiteral("Right"), -1), 1);
}

TEST(KalenderRecord, ReadingStartsFromTheDefaults)
{
    FixedToday today(QDate(2030, 4, 1));
    // A record that holds only a few keys and no paddings.
    QByteArray bytes;
    {
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadWrite);
        TMemoryDataFile f(stream);
        f.WriteInteger(QStringLiteral("K"), QStringLiteral("FTextAlign"), 9);
        f.WriteInteger(QStringLiteral("K"), QStringLiteral("Jahr"), 2026);
    }
    const TKalenderData in = ReadRecord(bytes, QStringLiteral("K"));
    EXPECT_EQ(in.FTextAlign, 9);
    EXPECT_EQ(in.Jahr(), 2026);
    EXPECT_EQ(in.Monat(), 4);
    TKalenderData expected;
    expected.FTextAlign = 9;
    expected.SetJahr(2026);
    EXPECT_EQ(Record(in), Record(expected));
    for (const TPaddingData* p : {&in.CellPadding, &in.RowSpacing, &in.WochentagRowPadding, &in.SondertagRowPadding})
        EXPECT_EQ(*p, TPaddingData());
}

TEST(KalenderRecord, StoredNumbersOutOfRangeAreLimited)
{
    const struct {
        int Monat, Jahr, Typ;
        int ExpectedMonat, ExpectedJahr, ExpectedTyp;
    } cases[] = {
        {13, 1650, 7, 12, 1700, 0},
        {0, 9999, -1, 1, 2500, 0},
        {-70000, 70000, 256, 1, 2500, 0},
        {6, 2024, 4, 6, 2024, 4},
        {1, 1700, 3, 1, 1700, 3},
    };
    for (const auto& c : cases) {
        QByteArray bytes;
        {
            QBuffer stream(&bytes);
            stream.open(QIODevice::ReadWrite);
            TMemoryDataFile f(stream);
            f.WriteInteger(QStringLiteral("K"), QStringLiteral("Typ"), c.Typ);
            f.WriteInteger(QStringLiteral("K"), QStringLiteral("Monat"), c.Monat);
            f.WriteInteger(QStringLiteral("K"), QStringLiteral("Jahr"), c.Jahr);
        }
        const TKalenderData in = ReadRecord(bytes, QStringLiteral("K"));
        EXPECT_EQ(in.Monat(), c.ExpectedMonat) << c.Monat;
        EXPECT_EQ(in.Jahr(), c.ExpectedJahr) << c.Jahr;
        EXPECT_EQ(in.Typ, c.ExpectedTyp) << c.Typ;
        // Every date a painter asks for exists.
        EXPECT_TRUE(in.LastDay().isValid());
    }
}

TEST(KalenderRecord, ApplyCopiesSettingsButKeepsMonthAndYear)
{
    const TKalenderData source = Changed();
    TKalenderData target;
    target.SetMonat(11);
    target.SetJahr(1999);
    ApplyKalenderData(source, target);
    EXPECT_EQ(target.Monat(), 11);
    EXPECT_EQ(target.Jahr(), 1999);
    TKalenderData expected = source;
    expected.SetMonat(11);
    expected.SetJahr(1999);
    EXPECT_EQ(Record(target), Record(expected));
}
