#include "calendar/KalenderBesondereTage.h"
#include "storage/DataFile.h"

#include <QBuffer>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

const QString kSep = QStringLiteral(", ");

// Easter by the Meeus/Jones/Butcher rule, to check the other arithmetic.
QDate GregorianEaster(int y)
{
    const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int n = h + l - 7 * m + 114;
    return QDate(y, n / 31, n % 31 + 1);
}

// Keeps the dots of German date settings for the duration of a test.
class GermanLocale {
public:
    GermanLocale() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~GermanLocale() { QLocale::setDefault(Saved); }

private:
    QLocale Saved;
};

class FixedToday {
public:
    explicit FixedToday(QDate d) { SetKalenderClock([d] { return d; }); }
    ~FixedToday() { SetKalenderClock({}); }
};

} // namespace

TEST(Easter, KnownYears)
{
    const struct {
        int Year;
        QDate Expected;
    } cases[] = {
        {2011, QDate(2011, 4, 24)}, {2019, QDate(2019, 4, 21)}, {2024, QDate(2024, 3, 31)},
        {2025, QDate(2025, 4, 20)}, {1818, QDate(1818, 3, 22)}, {2038, QDate(2038, 4, 25)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EasterSunday(c.Year), c.Expected) << c.Year;
}

TEST(Easter, AgreesWithGregorianRuleOverTheCalendarRange)
{
    for (int y = 1700; y <= 2500; ++y) {
        ASSERT_EQ(EasterSunday(y), GregorianEaster(y)) << y;
        ASSERT_EQ(EasterSunday(y).dayOfWeek(), 7) << y;
    }
}

TEST(GermanHolidays, BussUndBettagIsTheWednesdayBefore23November)
{
    EXPECT_EQ(BussUndBettag(2022), QDate(2022, 11, 16));
    EXPECT_EQ(BussUndBettag(2023), QDate(2023, 11, 22));
}

TEST(GermanHolidays, TwentyTwoNamesOnTheirDates)
{
    TKalenderTageListe list;
    AddGermanHolidays(list, 2025);
    EXPECT_EQ(list.Count(), 22);
    const struct {
        QDate Date;
        const char* Text;
    } cases[] = {
        {QDate(2025, 1, 1), "Neujahr"},
        {QDate(2025, 3, 3), "Rosenmontag"},
        {QDate(2025, 3, 4), "Fastnacht"},
        {QDate(2025, 3, 5), "Aschermittwoch"},
        {QDate(2025, 4, 18), "Karfreitag"},
        {QDate(2025, 4, 21), "Ostermontag"},
        {QDate(2025, 5, 29), "Christi Himmelfahrt"},
        {QDate(2025, 6, 9), "Pfingstmontag"},
        {QDate(2025, 6, 19), "Fronleichnam"},
        {QDate(2025, 8, 15), "Mariä Aufnahme"},
        {QDate(2025, 11, 19), "Buß- und Bettag"},
        {QDate(2025, 12, 31), "Silvester"},
    };
    for (const auto& c : cases) {
        QString text;
        ASSERT_TRUE(list.TextOfDate(c.Date, text)) << c.Text;
        EXPECT_EQ(text, QString::fromUtf8(c.Text));
    }
}

TEST(GermanHolidays, TwoHolidaysOnOneDateFormOneEntry)
{
    // 2008: Ascension Day fell on 1 May.
    TKalenderTageListe list;
    AddGermanHolidays(list, 2008);
    EXPECT_EQ(list.Count(), 21);
    QString text;
    ASSERT_TRUE(list.TextOfDate(QDate(2008, 5, 1), text));
    EXPECT_EQ(text, QStringLiteral("Maifeiertag, Christi Himmelfahrt"));
}

TEST(KalenderTageListe, AddJoinsTextsOfOneDate)
{
    TKalenderTageListe list;
    list.Add(QStringLiteral("Anna"), kSep, QDate(2024, 3, 5));
    list.Add(QStringLiteral("Bernd"), kSep, QDate(2024, 3, 6));
    list.Add(QStringLiteral("Clara"), QStringLiteral(" / "), QDate(2024, 3, 5));
    // The same day of another year is another entry.
    list.Add(QStringLiteral("Dora"), kSep, QDate(2025, 3, 5));
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(0).Text, QStringLiteral("Anna / Clara"));
    EXPECT_EQ(list.IndexOfDate(QDate(2025, 3, 5)), 2);
    EXPECT_EQ(list.IndexOfDate(QDate(2024, 3, 7)), -1);
    EXPECT_FALSE(list.HasDate(QDate(2024, 3, 7)));
}

TEST(KalenderTageListe, SortAndDeleteYearKeepOtherYears)
{
    TKalenderTageListe list;
    list.Add(QStringLiteral("c"), kSep, QDate(2025, 1, 2));
    list.Add(QStringLiteral("b"), kSep, QDate(2024, 12, 31));
    list.Add(QStringLiteral("a"), kSep, QDate(2024, 1, 1));
    list.Add(QStringLiteral("d"), kSep, QDate(2026, 1, 1));
    list.Sort();
    QStringList order;
    for (int i = 0; i < list.Count(); ++i)
        order << list.Items(i).Text;
    EXPECT_EQ(order, QStringList({"a", "b", "c", "d"}));

    list.DeleteYear(2024);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items(0).Datum, QDate(2025, 1, 2));
    EXPECT_EQ(list.Items(1).Datum, QDate(2026, 1, 1));
}

TEST(KalenderTageListe, ListMonthAndMonthText)
{
    GermanLocale german;
    TKalenderTageListe list;
    list.Add(QStringLiteral("Hl. Abend"), kSep, QDate(2024, 12, 24));
    list.Add(QStringLiteral("Nikolaus"), kSep, QDate(2024, 12, 6));
    list.Add(QStringLiteral("Silvester"), kSep, QDate(2023, 12, 31));
    list.Add(QStringLiteral("Neujahr"), kSep, QDate(2025, 1, 1));

    QStringList lines;
    list.ListMonth(2024, 12, lines);
    EXPECT_EQ(lines, QStringList({"06.12. Nikolaus", "24.12. Hl. Abend"}));
    EXPECT_EQ(list.MonthText(2024, 12, kSep), QStringLiteral("06.12. Nikolaus, 24.12. Hl. Abend"));
    EXPECT_EQ(list.MonthText(2024, 11, kSep), QString());
}

TEST(KalenderTageListe, DateSeparatorFollowsTheLocale)
{
    {
        GermanLocale german;
        EXPECT_EQ(DateSeparator(), QLatin1Char('.'));
    }
    QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(DateSeparator(), QLatin1Char('/'));
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    EXPECT_EQ(DateSeparator(), QLatin1Char('-'));
    QLocale::setDefault(saved);
}

// ---------------------------------------------------------------------------
// Records

class KalenderTageRecord : public ::testing::Test {
protected:
    QByteArray Bytes;
    QBuffer Stream {&Bytes};
    void SetUp() override { Stream.open(QIODevice::ReadWrite); }
};

TEST_F(KalenderTageRecord, RoundTripKeepsOrderDatesAndTexts)
{
    TKalenderTageListe out;
    out.Add(QStringLiteral("Zweiter"), kSep, QDate(2024, 6, 2));
    out.Add(QStringLiteral("Erster – „ü“ 😀"), kSep, QDate(2024, 1, 1));
    out.Add(QString(), kSep, QDate(1700, 1, 1));
    {
        TMemoryDataFile f(Stream);
        out.WriteToFile(f, QStringLiteral("Geburtstage"));
    }
    TMemoryDataFile f(Stream);
    EXPECT_EQ(f.ReadInteger(QStringLiteral("Geburtstage"), QStringLiteral("Anzahl"), -1), 3);
    EXPECT_EQ(f.ReadString(QStringLiteral("Geburtstage/Item0"), QStringLiteral("Text"), QString()),
              QStringLiteral("Zweiter"));

    TKalenderTageListe in;
    in.Add(QStringLiteral("schon da"), kSep, QDate(2020, 1, 1));
    in.ReadFromFile(f, QStringLiteral("Geburtstage"));
    ASSERT_EQ(in.Count(), 4); // appended
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(in.Items(i + 1).Datum, out.Items(i).Datum);
        EXPECT_EQ(in.Items(i + 1).Text, out.Items(i).Text);
    }
}

TEST_F(KalenderTageRecord, StoredCountIsNotTrusted)
{
    const struct {
        int Count;
        int Items;
        int Expected;
    } cases[] = {
        {5, 2, 2},    // stops at the first missing item
        {-3, 2, 0},   // negative: none
        {1, 2, 1},    // fewer announced than stored
        {1000000000, 0, 0},
    };
    for (const auto& c : cases) {
        Bytes.clear();
        Stream.seek(0);
        {
            TMemoryDataFile f(Stream);
            f.WriteInteger(QStringLiteral("F"), QStringLiteral("Anzahl"), c.Count);
            for (int i = 0; i < c.Items; ++i)
                f.WriteString(QStringLiteral("F/Item%1").arg(i), QStringLiteral("Text"), QString::number(i));
        }
        TMemoryDataFile f(Stream);
        TKalenderTageListe in;
        in.ReadFromFile(f, QStringLiteral("F"));
        EXPECT_EQ(in.Count(), c.Expected) << c.Count;
    }
}

TEST_F(KalenderTageRecord, MissingDateIsTodayAndMissingTextEmpty)
{
    FixedToday today(QDate(2031, 7, 9));
    {
        TMemoryDataFile f(Stream);
        f.WriteInteger(QStringLiteral("F"), QStringLiteral("Anzahl"), 2);
        f.WriteString(QStringLiteral("F/Item0"), QStringLiteral("Text"), QStringLiteral("ohne Datum"));
        f.WriteDateTime(QStringLiteral("F/Item1"), QStringLiteral("Datum"),
                        QDateTime(QDate(2024, 2, 29), QTime(18, 30)));
    }
    TMemoryDataFile f(Stream);
    TKalenderTageListe in;
    in.ReadFromFile(f, QStringLiteral("F"));
    ASSERT_EQ(in.Count(), 2);
    EXPECT_EQ(in.Items(0).Datum, QDate(2031, 7, 9));
    EXPECT_EQ(in.Items(1).Text, QString());
    // The time of day is dropped, so the entry is found by its date.
    EXPECT_TRUE(in.HasDate(QDate(2024, 2, 29)));
}
