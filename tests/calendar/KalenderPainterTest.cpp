#include "RecordingContext.h"
#include "app/Arith.h"
#include "calendar/KalenderBesondereTage.h"
#include "calendar/KalenderPainter.h"
#include "render/BitmapDrawContext.h"

#include <QDir>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

constexpr float kTol = 0.02f;

constexpr TColor kBackground = 0x111111;
constexpr TColor kTitleRow = 0x222222;
constexpr TColor kWeekdayRow = 0x333333;
constexpr TColor kSpecialRow = 0x444444;
constexpr TColor kDayRow = 0x555555;
constexpr TColor kDayCell = 0x666666;
constexpr TColor kWeekdayCell = 0x777777;

const QString kSep = QStringLiteral(", ");

TRectF Union(const std::vector<TRecordedFill>& fills)
{
    TRectF u = fills.front().Rect;
    for (const TRecordedFill& f : fills)
        u = UnionRectF(u, f.Rect);
    return u;
}

void ExpectRect(const TRectF& actual, const TRectF& expected, const std::string& what)
{
    EXPECT_NEAR(actual.Left, expected.Left, kTol) << what;
    EXPECT_NEAR(actual.Top, expected.Top, kTol) << what;
    EXPECT_NEAR(actual.Right, expected.Right, kTol) << what;
    EXPECT_NEAR(actual.Bottom, expected.Bottom, kTol) << what;
}

class GermanLocale {
public:
    GermanLocale() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    ~GermanLocale() { QLocale::setDefault(Saved); }

private:
    QLocale Saved;
};

class KalenderPainterTest : public ::testing::Test {
protected:
    TKalenderData Data;
    TKalenderTageListe Feiertage;
    TKalenderTageListe Geburtstage;
    TRecordingContext Ctx;

    void SetMonth(int year, int month)
    {
        Data.SetJahr(year);
        Data.SetMonat(month);
    }
    // Only the days, filling the whole element.
    void DaysOnly()
    {
        Data.ShowMonatJahr = false;
        Data.ShowWochentage = false;
        Data.ShowSondertage = false;
    }
    void Paint(float x, float y, float w, float h)
    {
        CreateKalenderPainter(Data, &Geburtstage, &Feiertage)->Paint(Ctx, x, y, w, h);
    }
    // Texts in drawing order.
    QStringList TextsDrawn() const
    {
        QStringList out;
        for (const TRecordedText& t : Ctx.Texts)
            out << t.Text;
        return out;
    }
};

} // namespace

TEST(KalenderPadding, InsetsByPercentOfTheRectangle)
{
    const struct {
        TPaddingData Padding;
        TRectF Expected;
        bool Usable;
    } cases[] = {
        {{0, 0, 0, 0}, RectF(10, 20, 110, 70), true},
        // Right, Bottom, Top, Left
        {{10, 20, 10, 5}, RectF(15, 25, 100, 60), true},
        {{50, 0, 0, 50}, RectF(60, 20, 60, 70), true},
        {{60, 0, 0, 60}, RectF(70, 20, 50, 70), false},
        {{0, 70, 40, 0}, RectF(10, 40, 110, 35), false},
    };
    for (const auto& c : cases) {
        TRectF r = RectF(10, 20, 110, 70);
        EXPECT_EQ(ApplyPadding(r, c.Padding), c.Usable);
        ExpectRect(r, c.Expected, "padding");
    }
}

TEST(KalenderPadding, FontSizeFromHeightPercent)
{
    const struct {
        float Percent, Height;
        int Expected;
    } cases[] = {
        {50, 10, 14},  // 14.17 points
        {100, 25.4f, 72},
        {0, 10, 10},   // keeps its own size
        {-20, 10, 10},
        {50, 0.1f, 0}, // too small for a point
    };
    for (const auto& c : cases) {
        TFont f;
        f.Size = 10;
        SizeFontToHeight(f, c.Percent, c.Height);
        EXPECT_EQ(f.Size, c.Expected) << c.Percent << " " << c.Height;
    }
}

TEST_F(KalenderPainterTest, BandRectanglesOfEveryLayout)
{
    Data.Color = kBackground;
    Data.MonatJahrColorZeile = kTitleRow;
    Data.WochentagColorZeile = kWeekdayRow;
    Data.SondertagColorZeile = kSpecialRow;
    Data.ColorZeilen = kDayRow;
    Data.ShowSondertage = true;
    Data.SondertagSize = 10;
    SetMonth(2022, 5);

    // Element (10, 20, 200 x 100); title and weekday bands 15 %, special
    // days 10 %. The vertical layouts put the weekdays into a column of 15 %
    // of the width and the special days across the full width.
    const struct {
        int Typ;
        bool Bottom;
        TRectF Title, Weekdays, Special, Days;
    } cases[] = {
        {ktKalender4x7, false, RectF(10, 20, 210, 35), RectF(10, 35, 210, 50), RectF(10, 110, 210, 120),
         RectF(10, 50, 210, 110)},
        {ktKalender4x7, true, RectF(10, 105, 210, 120), RectF(10, 20, 210, 35), RectF(10, 95, 210, 105),
         RectF(10, 35, 210, 95)},
        {ktHorizontal, false, RectF(10, 20, 210, 35), RectF(10, 35, 210, 50), RectF(10, 110, 210, 120),
         RectF(10, 50, 210, 110)},
        {kt2WochenHorizontal, true, RectF(10, 105, 210, 120), RectF(10, 20, 210, 35),
         RectF(10, 95, 210, 105), RectF(10, 35, 210, 95)},
        {ktVertical, false, RectF(10, 20, 210, 35), RectF(10, 35, 40, 110), RectF(10, 110, 210, 120),
         RectF(40, 35, 210, 110)},
        {ktVertical, true, RectF(10, 105, 210, 120), RectF(10, 20, 40, 95), RectF(10, 95, 210, 105),
         RectF(40, 20, 210, 95)},
        {kt2WochenVertical, false, RectF(10, 20, 210, 35), RectF(10, 35, 40, 110),
         RectF(10, 110, 210, 120), RectF(40, 35, 210, 110)},
    };
    for (const auto& c : cases) {
        const std::string name = "type " + std::to_string(c.Typ) + (c.Bottom ? " bottom" : " top");
        Data.Typ = c.Typ;
        Data.ShowMonatJahrOnBottom = c.Bottom;
        Ctx.Fills.clear();
        Paint(10, 20, 200, 100);

        ASSERT_FALSE(Ctx.Fills.empty());
        ExpectRect(Ctx.Fills.front().Rect, RectF(10, 20, 210, 120), name + " background");
        EXPECT_EQ(Ctx.Fills.front().Color, kBackground);
        for (TColor color : {kTitleRow, kWeekdayRow, kSpecialRow, kDayRow})
            ASSERT_FALSE(Ctx.FillsOf(color).empty()) << name << " colour " << color;
        ExpectRect(Union(Ctx.FillsOf(kTitleRow)), c.Title, name + " title");
        ExpectRect(Union(Ctx.FillsOf(kWeekdayRow)), c.Weekdays, name + " weekdays");
        ExpectRect(Union(Ctx.FillsOf(kSpecialRow)), c.Special, name + " special days");
        ExpectRect(Union(Ctx.FillsOf(kDayRow)), c.Days, name + " days");
        for (const TRecordedFill& f : Ctx.Fills)
            EXPECT_FALSE(f.Outlined) << name;
        EXPECT_EQ(Ctx.Canvas().Pen().Style, TPenStyle::Solid) << name;
    }
}

TEST_F(KalenderPainterTest, NoColourPaintsNothing)
{
    // All colours are "none" by default; the cell and weekday-cell colours
    // are the only ones that would show per cell.
    Data.ShowSondertage = true;
    Data.SondertagSize = 10;
    for (int typ = 0; typ < 5; ++typ) {
        Data.Typ = typ;
        Paint(0, 0, 100, 100);
    }
    EXPECT_TRUE(Ctx.Fills.empty());
    EXPECT_FALSE(Ctx.Texts.empty());
}

TEST_F(KalenderPainterTest, DayCellsSitInTheirColumnAndRow)
{
    DaysOnly();
    Data.FTextAlign = 5;
    const struct {
        int Typ, Year, Month;
        float W, H;
        int Columns, Rows;
        int Day, Column, Row;
    } cases[] = {
        // February 2021 starts on a Monday: four weeks.
        {ktKalender4x7, 2021, 2, 140, 100, 7, 4, 1, 0, 0},
        {ktKalender4x7, 2021, 2, 140, 100, 7, 4, 28, 6, 3},
        // August 2021 starts on a Sunday: six weeks.
        {ktKalender4x7, 2021, 8, 140, 120, 7, 6, 1, 6, 0},
        {ktKalender4x7, 2021, 8, 140, 120, 7, 6, 31, 1, 5},
        // May 2022: 31 days from a Sunday.
        {kt2WochenHorizontal, 2022, 5, 140, 90, 14, 3, 1, 6, 0},
        {kt2WochenHorizontal, 2022, 5, 140, 90, 14, 3, 8, 13, 0},
        {kt2WochenHorizontal, 2022, 5, 140, 90, 14, 3, 9, 0, 1},
        {kt2WochenHorizontal, 2022, 5, 140, 90, 14, 3, 31, 8, 2},
        {kt2WochenVertical, 2022, 5, 20, 210, 2, 21, 1, 0, 6},
        {kt2WochenVertical, 2022, 5, 20, 210, 2, 21, 15, 0, 20},
        {kt2WochenVertical, 2022, 5, 20, 210, 2, 21, 16, 1, 0},
        {kt2WochenVertical, 2022, 5, 20, 210, 2, 21, 31, 1, 15},
        {ktHorizontal, 2022, 5, 310, 20, 31, 1, 17, 16, 0},
        {ktVertical, 2024, 2, 20, 290, 1, 29, 29, 0, 28},
    };
    for (const auto& c : cases) {
        const std::string name = "type " + std::to_string(c.Typ) + " day " + std::to_string(c.Day);
        Data.Typ = c.Typ;
        SetMonth(c.Year, c.Month);
        Ctx.Texts.clear();
        Paint(5, 7, c.W, c.H);

        const QDate first(c.Year, c.Month, 1);
        ASSERT_EQ(Ctx.Texts.size(), std::size_t(first.daysInMonth())) << name;
        const TRecordedText* t = Ctx.FindText(QString::number(c.Day));
        ASSERT_NE(t, nullptr) << name;
        const float cw = c.W / float(c.Columns);
        const float ch = c.H / float(c.Rows);
        EXPECT_NEAR(t->CenterX(), 5 + cw * (float(c.Column) + 0.5f), kTol) << name;
        EXPECT_NEAR(t->CenterY(), 7 + ch * (float(c.Row) + 0.5f), kTol) << name;
        // The main font sized to half the cell height.
        EXPECT_EQ(t->Font.Size, RoundHalfEven(50 * ch / 100 / 25.4 * 72)) << name;
    }
}

TEST_F(KalenderPainterTest, DayColourPrecedence)
{
    DaysOnly();
    SetMonth(2024, 6); // 1 June 2024 is a Saturday
    Data.Font.Color = 0x010101;
    Data.TextColorGeburtstag = 0x020202;
    Data.TextColorSamstag = 0x030303;
    Data.TextColorSonntag = 0x040404;
    Data.TextColorFeiertag = 0x050505;
    const struct {
        int Day;
        bool Birthday, Holiday;
        TColor Expected;
    } cases[] = {
        {3, false, false, 0x010101},  // Monday
        {4, true, false, 0x020202},   // birthday on a Tuesday
        {1, true, false, 0x030303},   // Saturday beats birthday
        {9, false, false, 0x040404},  // Sunday
        {16, true, false, 0x040404},  // Sunday beats birthday
        {2, false, true, 0x050505},   // holiday beats Sunday
        {8, true, true, 0x050505},    // holiday beats Saturday and birthday
        {11, false, true, 0x050505},  // holiday on a Tuesday
    };
    for (const auto& c : cases) {
        if (c.Birthday)
            Geburtstage.Add(QStringLiteral("B"), kSep, QDate(2024, 6, c.Day));
        if (c.Holiday)
            Feiertage.Add(QStringLiteral("F"), kSep, QDate(2024, 6, c.Day));
    }
    // A special day of another year does not colour this one.
    Feiertage.Add(QStringLiteral("F"), kSep, QDate(2023, 6, 12));

    for (int typ : {ktKalender4x7, ktVertical, kt2WochenHorizontal}) {
        Data.Typ = typ;
        Ctx.Texts.clear();
        Paint(0, 0, 140, 140);
        for (const auto& c : cases) {
            const TRecordedText* t = Ctx.FindText(QString::number(c.Day));
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->Font.Color, c.Expected) << "type " << typ << " day " << c.Day;
        }
        EXPECT_EQ(Ctx.FindText(QStringLiteral("12"))->Font.Color, 0x010101u);
    }
}

TEST_F(KalenderPainterTest, WeekdayNamesPerLayout)
{
    SetMonth(2022, 5); // starts on a Sunday
    Data.ShowMonatJahr = false;
    Data.WochentagFont.Color = 0x0A0A0A;
    Data.TextColorSamstag = 0x0B0B0B;
    Data.TextColorSonntag = 0x0C0C0C;
    // The one-row layouts align their names like the day numbers.
    Data.FTextAlign = 0;
    Data.WochentagTextAlign = 5;

    const QStringList week = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    QStringList may; // the weekday of each day of May 2022
    for (int d = 0; d < 31; ++d)
        may << week[(d + 6) % 7];
    // Bands about as the layouts give them: cells of 10 to 30 mm.
    const struct {
        int Typ;
        float W, H;
        QStringList Names;
        bool WeekendColours;
        bool AlignedLikeDays;
    } cases[] = {
        {ktKalender4x7, 210, 10, week, false, false},
        {ktHorizontal, 310, 10, may, false, true},
        {ktVertical, 30, 310, may, true, false},
        {kt2WochenHorizontal, 280, 10, week + week, true, true},
        {kt2WochenVertical, 30, 210, week + week + week, true, false},
    };
    for (const auto& c : cases) {
        Data.Typ = c.Typ;
        Ctx.Texts.clear();
        CreateKalenderPainter(Data, &Geburtstage, &Feiertage)->PaintWochentage(Ctx, 0, 0, c.W, c.H);
        EXPECT_EQ(TextsDrawn(), c.Names) << c.Typ;

        for (const TRecordedText& t : Ctx.Texts) {
            TColor expected = 0x0A0A0A;
            if (c.WeekendColours && t.Text == QLatin1String("Sa"))
                expected = 0x0B0B0B;
            if (c.WeekendColours && t.Text == QLatin1String("So"))
                expected = 0x0C0C0C;
            EXPECT_EQ(t.Font.Color, expected) << c.Typ << " " << t.Text.toStdString();
        }
        // The first cell starts at the left edge of the band.
        const TRecordedText& first = Ctx.Texts.front();
        if (c.AlignedLikeDays) {
            EXPECT_NEAR(first.X, 0, kTol) << c.Typ;
        } else {
            EXPECT_GT(first.X, 1) << c.Typ;
        }
    }
}

TEST_F(KalenderPainterTest, PaddingThatLeavesNoRoomKeepsTheNumberInTheCell)
{
    DaysOnly();
    SetMonth(2021, 2);
    // Cells of 20 x 25 mm.
    const struct {
        TPaddingData Padding;
        float CenterX, CenterY;
    } cases[] = {
        {{0, 0, 0, 50}, 15, 12.5f},     // left half removed
        {{0, 0, 40, 0}, 10, 17.5f},     // top 40 % removed
        {{60, 0, 0, 60}, 10, 12.5f},    // nothing left: the whole cell
        {{0, 100, 100, 0}, 10, 12.5f},
    };
    for (const auto& c : cases) {
        Data.CellPadding = c.Padding;
        Ctx.Texts.clear();
        Paint(0, 0, 140, 100);
        const TRecordedText* t = Ctx.FindText(QStringLiteral("1"));
        ASSERT_NE(t, nullptr);
        EXPECT_NEAR(t->CenterX(), c.CenterX, kTol);
        EXPECT_NEAR(t->CenterY(), c.CenterY, kTol);
    }
}

TEST_F(KalenderPainterTest, SpacingAndCellColours)
{
    DaysOnly();
    SetMonth(2021, 2);
    Data.ColorZellen = kDayCell;
    Data.CellSpacing = {10, 20, 20, 10}; // Right, Bottom, Top, Left
    Data.RowSpacing = {0, 0, 20, 0};
    Paint(0, 0, 140, 100);
    const auto cells = Ctx.FillsOf(kDayCell);
    ASSERT_EQ(cells.size(), 28u);
    // Day 9: column 1 of row 1. The row keeps its lower 80 % (25..45 becomes
    // 30..50), the cell 80 % of its width and 60 % of the row's height.
    ExpectRect(cells[8].Rect, RectF(22, 34, 38, 46), "day 9");
}

TEST_F(KalenderPainterTest, TitleOnOneAndOnTwoLines)
{
    Data.ShowWochentage = false;
    SetMonth(2022, 5);
    Data.MonatJahrSize = 30; // band 0..30 of a 100 mm element
    Data.MonatJahrFontHeight = 50;
    Data.MonatJahrFont.Color = 0x0D0D0D;
    const int size = 43;     // 50 % of 30 mm: 42.5 points
    const int yearSize = 28; // 0.66 of it

    const struct {
        bool TwoLines;
        int Align;
    } cases[] = {{false, 5}, {true, 5}, {true, 2 | 8}, {true, 0}};
    for (const auto& c : cases) {
        Data.MonatJahrZweizeilig = c.TwoLines;
        Data.MonatJahrTextAlign = c.Align;
        Ctx.Texts.clear();
        CreateKalenderPainter(Data, nullptr, nullptr)->PaintMonatJahr(Ctx, 0, 0, 100, 30);
        if (!c.TwoLines) {
            ASSERT_EQ(TextsDrawn(), QStringList({"Mai 2022"}));
            const TRecordedText& t = Ctx.Texts[0];
            EXPECT_EQ(t.Font.Size, size);
            EXPECT_EQ(t.Font.Color, 0x0D0D0Du);
            EXPECT_NEAR(t.CenterX(), 50, kTol);
            EXPECT_NEAR(t.CenterY(), 15, kTol);
            continue;
        }
        ASSERT_EQ(TextsDrawn(), QStringList({"Mai", "2022"}));
        const TRecordedText& month = Ctx.Texts[0];
        const TRecordedText& year = Ctx.Texts[1];
        EXPECT_EQ(month.Font.Size, size);
        EXPECT_EQ(year.Font.Size, yearSize);
        const float mh = TRecordingContext::LineHeightMM(size);
        const float yh = TRecordingContext::LineHeightMM(yearSize);
        EXPECT_NEAR(year.Y, month.Y + mh, kTol);
        if (c.Align == 5) {
            EXPECT_NEAR(month.CenterX(), 50, kTol);
            EXPECT_NEAR(year.CenterX(), 50, kTol);
            EXPECT_NEAR(month.Y, (30 - mh - yh) / 2, kTol);
        } else if (c.Align == (2 | 8)) {
            EXPECT_NEAR(month.X + month.Width, 100, kTol);
            EXPECT_NEAR(year.X + year.Width, 100, kTol);
            EXPECT_NEAR(year.Y + yh, 30, kTol);
        } else {
            EXPECT_NEAR(month.X, 0, kTol);
            EXPECT_NEAR(year.X, 0, kTol);
            EXPECT_NEAR(month.Y, 0, kTol);
        }
    }
}

TEST_F(KalenderPainterTest, SpecialDaysUnderTheMonth)
{
    GermanLocale german;
    SetMonth(2022, 5);
    DaysOnly();
    Data.ShowSondertage = true;
    Data.SondertagSize = 20; // band 80..100
    Data.SondertagFont.Size = 8;
    Data.TextColorFeiertag = 0x0E0E0E;
    Data.TextColorGeburtstag = 0x0F0F0F;
    Feiertage.Add(QStringLiteral("Christi Himmelfahrt"), kSep, QDate(2022, 5, 26));
    Feiertage.Add(QStringLiteral("Maifeiertag"), kSep, QDate(2022, 5, 1));
    Feiertage.Add(QStringLiteral("Neujahr"), kSep, QDate(2022, 1, 1));
    Geburtstage.Add(QStringLiteral("Anna"), kSep, QDate(2022, 5, 10));
    Geburtstage.Add(QStringLiteral("Anna"), kSep, QDate(2023, 5, 10));

    const QString holidays = QStringLiteral("01.05. Maifeiertag, 26.05. Christi Himmelfahrt");
    const QString birthdays = QStringLiteral("10.05. Anna");
    const float line = TRecordingContext::LineHeightMM(8);
    const struct {
        int Align;
        float Top;
        bool Centred;
    } cases[] = {
        {0, 80, false},
        {8, 100 - 2 * line, false},
        {4 | 1, 90 - line, true},
    };
    for (const auto& c : cases) {
        Data.SonderTagTextAlign = c.Align;
        Ctx.Texts.clear();
        Paint(0, 0, 200, 100);
        const TRecordedText* h = Ctx.FindText(holidays);
        const TRecordedText* b = Ctx.FindText(birthdays);
        ASSERT_NE(h, nullptr) << c.Align;
        ASSERT_NE(b, nullptr) << c.Align;
        EXPECT_EQ(h->Font.Color, 0x0E0E0Eu);
        EXPECT_EQ(b->Font.Color, 0x0F0F0Fu);
        EXPECT_EQ(h->Font.Size, 8);
        EXPECT_NEAR(h->Y, c.Top, kTol) << c.Align;
        EXPECT_NEAR(b->Y, c.Top + line, kTol) << c.Align;
        EXPECT_NEAR(b->X, c.Centred ? 100 - b->Width / 2 : 0, kTol) << c.Align;
    }

    // Long text wraps inside the band and keeps to its width.
    Data.SonderTagTextAlign = 0;
    Ctx.Texts.clear();
    Paint(0, 0, 40, 100);
    for (const TRecordedText& t : Ctx.Texts) {
        if (t.Y >= 80 - kTol) {
            EXPECT_LE(t.X + t.Width, 40 + kTol) << t.Text.toStdString();
        }
    }
}

TEST_F(KalenderPainterTest, EmptySpecialDayBandDrawsNoText)
{
    DaysOnly();
    SetMonth(2022, 5);
    Data.ShowSondertage = true;
    Feiertage.Add(QStringLiteral("Maifeiertag"), kSep, QDate(2022, 5, 1));
    const struct {
        float Size;
        int Month;
    } cases[] = {
        {0, 5},  // no band
        {20, 6}, // a band but nothing in June
    };
    for (const auto& c : cases) {
        Data.SondertagSize = c.Size;
        SetMonth(2022, c.Month);
        Ctx.Texts.clear();
        Paint(0, 0, 200, 100);
        for (const TRecordedText& t : Ctx.Texts)
            EXPECT_LE(t.Text.size(), 2) << t.Text.toStdString();
    }
}

TEST_F(KalenderPainterTest, DegenerateSizesDrawNoEmptyFontsAndEnd)
{
    GermanLocale german;
    Feiertage.Add(QStringLiteral("Ein langer Feiertagsname"), kSep, QDate(2022, 5, 1));
    const struct {
        float W, H;
        float FontHeight;
        int Align;
        float Bands; // title, weekday and special-day band sizes
    } cases[] = {
        {0, 0, 50, 5, 15},
        {1, 1, 50, 5, 15},
        {0.5f, 200, 0, 16 | 5, 15}, // own size, word wrap in a sliver
        {100, 100, 50, 16, 60},     // the bands take more than the element
        {-50, -50, 50, 5, 15},
    };
    for (const auto& c : cases) {
        for (int typ = 0; typ < 5; ++typ) {
            Data = TKalenderData();
            SetMonth(2022, 5);
            Data.Typ = typ;
            Data.FontHeight = c.FontHeight;
            Data.FTextAlign = c.Align;
            Data.SonderTagTextAlign = c.Align;
            Data.ShowSondertage = true;
            Data.MonatJahrSize = c.Bands;
            Data.WochentagSize = c.Bands;
            Data.SondertagSize = c.Bands;
            Data.SondertagFontHeight = c.FontHeight;
            Ctx.Texts.clear();
            Paint(0, 0, c.W, c.H);
            for (const TRecordedText& t : Ctx.Texts)
                EXPECT_GT(t.Font.Size, 0) << typ << " " << t.Text.toStdString();
        }
    }
}

TEST(KalenderPainterFactory, LayoutTypeChoosesThePainter)
{
    TKalenderData d;
    const auto typeOf = [&](int typ) {
        d.Typ = typ;
        auto p = CreateKalenderPainter(d, nullptr, nullptr);
        return std::string(typeid(*p).name());
    };
    EXPECT_EQ(typeOf(0), typeid(TKalenderPainter4x7).name());
    EXPECT_EQ(typeOf(1), typeid(TKalenderPainterHorizontal).name());
    EXPECT_EQ(typeOf(2), typeid(TKalenderPainterVertical).name());
    EXPECT_EQ(typeOf(3), typeid(TKalenderPainter2WochenHorizontal).name());
    EXPECT_EQ(typeOf(4), typeid(TKalenderPainter2WochenVertical).name());
    EXPECT_EQ(typeOf(5), typeid(TKalenderPainter4x7).name());
    EXPECT_EQ(typeOf(-1), typeid(TKalenderPainter4x7).name());
}

// Draws each layout on a bitmap with real fonts. With
// LUMARBO_CALENDAR_PNG_DIR set, the pictures are kept for the eye.
TEST(KalenderPainterBitmap, EveryLayoutDrawsOnABitmap)
{
    GermanLocale german;
    TKalenderTageListe feiertage;
    TKalenderTageListe geburtstage;
    AddGermanHolidays(feiertage, 2022);
    geburtstage.Add(QStringLiteral("Anna"), kSep, QDate(2022, 5, 10));
    const QString dir = qEnvironmentVariable("LUMARBO_CALENDAR_PNG_DIR");
    const char* const names[] = {"4x7", "horizontal", "vertical", "2wochen-horizontal", "2wochen-vertical"};
    const QSize sizes[] = {{160, 120}, {300, 60}, {90, 280}, {220, 110}, {90, 220}};

    for (int typ = 0; typ < 5; ++typ) {
        const QSize mm = sizes[typ];
        TKalenderData d;
        d.SetJahr(2022);
        d.SetMonat(5);
        d.Typ = typ;
        d.Color = 0xF4F4F4;
        d.MonatJahrColorZeile = 0x5A3A1A;
        d.MonatJahrFont.Color = clWhite;
        d.MonatJahrZweizeilig = typ == ktVertical;
        d.WochentagColorZeile = 0xDDDDDD;
        d.WochentagFont.Style = TFontStyle::Bold;
        d.ColorZellen = 0xFFFFFF;
        d.CellSpacing = {4, 4, 4, 4};
        d.ShowSondertage = true;
        d.SondertagSize = 10;
        d.SondertagFontHeight = mm.height() > mm.width() ? 10 : 30;
        d.SondertagRowPadding = {2, 0, 0, 2};
        if (typ == ktHorizontal)
            d.FontHeight = 20; // cells much taller than wide

        const float pxPerMM = 6;
        QImage image(int(float(mm.width()) * pxPerMM), int(float(mm.height()) * pxPerMM),
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            TBitmapDrawContext ctx(&image);
            ctx.Transformation().Scale(pxPerMM, pxPerMM);
            CreateKalenderPainter(d, &geburtstage, &feiertage)
                ->Paint(ctx, 0, 0, float(mm.width()), float(mm.height()));
        }
        // The background is everywhere; the title band is dark; some pixel
        // of the days is red (the Sunday 1 May holiday) or black.
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1) & 0xFFFFFF, 0xF4F4F4u) << names[typ];
        EXPECT_EQ(image.pixel(image.width() / 2, 1) & 0xFFFFFF, 0x1A3A5Au) << names[typ];
        bool red = false;
        for (int y = 0; y < image.height() && !red; ++y)
            for (int x = 0; x < image.width() && !red; ++x) {
                const QRgb p = image.pixel(x, y);
                red = qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
            }
        EXPECT_TRUE(red) << names[typ];
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            image.save(dir + QStringLiteral("/kalender-") + QString::fromLatin1(names[typ]) + QStringLiteral(".png"));
        }
    }
}
