#include "calendar/KalenderPainter.h"

#include "app/Arith.h"
#include "app/Format.h"
#include "calendar/KalenderBesondereTage.h"
#include "render/DrawContext.h"

#include <algorithm>

namespace {

// Column (or row) i of n equal parts of [from, to].
float PartStart(float from, float to, int i, int n)
{
    return from + float(i) * (to - from) / float(n);
}

TRectF GridCell(const TRectF& r, int column, int row, int columns, int rows)
{
    return RectF(PartStart(r.Left, r.Right, column, columns), PartStart(r.Top, r.Bottom, row, rows),
                 PartStart(r.Left, r.Right, column + 1, columns),
                 PartStart(r.Top, r.Bottom, row + 1, rows));
}

// Horizontal placement of a line of the given width by the flags.
float AlignX(const TRectF& r, float width, unsigned flags)
{
    if (flags & kDtCenter)
        return (r.Left + r.Right - width) / 2;
    if (flags & kDtRight)
        return r.Right - width;
    return r.Left;
}

bool HasRoom(const TRectF& r)
{
    return r.Width() > 0 && r.Height() > 0;
}

} // namespace

bool ApplyPadding(TRectF& r, const TPaddingData& padding)
{
    const float w = r.Width();
    const float h = r.Height();
    r.Left += padding.Left / 100 * w;
    r.Top += padding.Top / 100 * h;
    r.Right -= padding.Right / 100 * w;
    r.Bottom -= padding.Bottom / 100 * h;
    return r.Right >= r.Left && r.Bottom >= r.Top;
}

void SizeFontToHeight(TFont& font, float percent, float heightMM)
{
    if (percent > 0)
        font.Size = RoundHalfEven(double(percent) * heightMM / 100 / 25.4 * 72);
}

// ---------------------------------------------------------------------------

TKalenderPainter::TKalenderPainter(const TKalenderData& data, const TKalenderTageListe* geburtstage,
                                   const TKalenderTageListe* feiertage)
    : Data(data)
    , Geburtstage(geburtstage)
    , Feiertage(feiertage)
{
}

TKalenderPainter::~TKalenderPainter() = default;

void TKalenderPainter::Paint(TDrawContext&, float, float, float, float) {}
void TKalenderPainter::PaintWochentage(TDrawContext&, float, float, float, float) {}
void TKalenderPainter::PaintMonatJahr(TDrawContext&, float, float, float, float) {}
void TKalenderPainter::PaintTage(TDrawContext&, float, float, float, float) {}
void TKalenderPainter::PaintSondertage(TDrawContext&, float, float, float, float) {}

TColor TKalenderPainter::DayColor(const QDate& date) const
{
    TColor color = Data.Font.Color;
    if (Geburtstage && Geburtstage->HasDate(date))
        color = Data.TextColorGeburtstag;
    if (date.dayOfWeek() == 6)
        color = Data.TextColorSamstag;
    if (date.dayOfWeek() == 7)
        color = Data.TextColorSonntag;
    if (Feiertage && Feiertage->HasDate(date))
        color = Data.TextColorFeiertag;
    return color;
}

void TKalenderPainter::Fill(TDrawContext& context, const TRectF& r, TColor color)
{
    if (color == clNoColor)
        return;
    context.SetBrushColor(color);
    context.SetBrushStyle(TBrushStyle::Solid);
    context.RectangleF(r);
}

void TKalenderPainter::DrawCellText(TDrawContext& context, const TRectF& r, const QString& text,
                                    TFont font, float percent, unsigned flags)
{
    SizeFontToHeight(font, percent, r.Height());
    if (font.Size <= 0 || !HasRoom(r) || text.isEmpty())
        return;
    context.SetFont(font);
    context.DrawTextRect(r, text, flags);
}

void TKalenderPainter::PaintDayCell(TDrawContext& context, TRectF cell, const QDate& date)
{
    ApplyPadding(cell, Data.CellSpacing);
    Fill(context, cell, Data.ColorZellen);
    TRectF text = cell;
    if (!ApplyPadding(text, Data.CellPadding))
        text = cell;
    TFont font = Data.Font;
    font.Color = DayColor(date);
    DrawCellText(context, text, QString::number(date.day()), font, Data.FontHeight,
                 unsigned(Data.FTextAlign));
}

void TKalenderPainter::PaintWeekdayCell(TDrawContext& context, TRectF cell, int dayOfWeek,
                                        unsigned flags, bool weekendColors)
{
    ApplyPadding(cell, Data.WochentagCellSpacing);
    Fill(context, cell, Data.WochentagColorZelle);
    TRectF text = cell;
    if (!ApplyPadding(text, Data.WochentagCellPadding))
        text = cell;
    TFont font = Data.WochentagFont;
    if (weekendColors && dayOfWeek == 6)
        font.Color = Data.TextColorSamstag;
    else if (weekendColors && dayOfWeek == 7)
        font.Color = Data.TextColorSonntag;
    DrawCellText(context, text, WeekdayName(dayOfWeek), font, Data.WochentagFontHeight, flags);
}

void TKalenderPainter::DaysBand(TDrawContext& context, TRectF& r)
{
    ApplyPadding(r, Data.RowSpacing);
    Fill(context, r, Data.ColorZeilen);
    ApplyPadding(r, Data.RowPadding);
}

void TKalenderPainter::PaintBackgroundAndTitle(TDrawContext& context, float x, float& y, float w,
                                               float h, float& g)
{
    context.SetPenStyle(TPenStyle::Clear);
    Fill(context, RectF(x, y, x + w, y + h), Data.Color);
    g = h;
    if (Data.ShowMonatJahr) {
        const float th = h * Data.MonatJahrSize / 100;
        if (Data.ShowMonatJahrOnBottom) {
            PaintMonatJahr(context, x, y + h - th, w, th);
        } else {
            PaintMonatJahr(context, x, y, w, th);
            y += th;
        }
        g -= th;
    }
}

void TKalenderPainter::PaintSondertagBand(TDrawContext& context, float x, float y, float w, float h,
                                          float& g)
{
    if (!Data.ShowSondertage)
        return;
    const float sh = h * Data.SondertagSize / 100;
    g -= sh;
    PaintSondertage(context, x, y + g, w, sh);
}

// ---------------------------------------------------------------------------
// TKalenderPainter4x7

void TKalenderPainter4x7::Paint(TDrawContext& context, float x, float y, float w, float h)
{
    float g = h;
    PaintBackgroundAndTitle(context, x, y, w, h, g);
    if (Data.ShowWochentage) {
        const float wh = h * Data.WochentagSize / 100;
        PaintWochentage(context, x, y, w, wh);
        g -= wh;
        y += wh;
    }
    PaintSondertagBand(context, x, y, w, h, g);
    PaintTage(context, x, y, w, g);
    context.SetPenStyle(TPenStyle::Solid);
}

void TKalenderPainter4x7::PaintWochentage(TDrawContext& context, float x, float y, float w, float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    ApplyPadding(r, Data.WochentagRowSpacing);
    Fill(context, r, Data.WochentagColorZeile);
    ApplyPadding(r, Data.WochentagRowPadding);

    // One font size for the whole row, taken from the first cell.
    TRectF first = GridCell(r, 0, 0, 7, 1);
    ApplyPadding(first, Data.WochentagCellSpacing);
    ApplyPadding(first, Data.WochentagCellPadding);
    TFont font = Data.WochentagFont;
    SizeFontToHeight(font, Data.WochentagFontHeight, first.Height());

    for (int i = 0; i < 7; ++i) {
        TRectF cell = GridCell(r, i, 0, 7, 1);
        ApplyPadding(cell, Data.WochentagCellSpacing);
        Fill(context, cell, Data.WochentagColorZelle);
        TRectF text = cell;
        if (!ApplyPadding(text, Data.WochentagCellPadding))
            text = cell;
        DrawCellText(context, text, WeekdayName(i + 1), font, 0, unsigned(Data.WochentagTextAlign));
    }
}

void TKalenderPainter4x7::PaintMonatJahr(TDrawContext& context, float x, float y, float w, float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    ApplyPadding(r, Data.MonatJahrRowSpacing);
    Fill(context, r, Data.MonatJahrColorZeile);
    ApplyPadding(r, Data.MonatJahrRowPadding);

    TFont font = Data.MonatJahrFont;
    SizeFontToHeight(font, Data.MonatJahrFontHeight, r.Height());
    if (font.Size <= 0 || !HasRoom(r))
        return;
    const unsigned flags = unsigned(Data.MonatJahrTextAlign);
    const QString month = MonthName(Data.Monat());

    if (!Data.MonatJahrZweizeilig) {
        context.SetFont(font);
        context.DrawTextRect(r, Format(QStringLiteral("%s %d"), {month, Data.Jahr()}), flags);
        return;
    }

    const QString year = QString::number(Data.Jahr());
    TFont yearFont = font;
    yearFont.Size = RoundHalfEven(font.Size * 0.66);
    context.SetFont(font);
    const float monthWidth = context.TextWidth(month);
    const float monthHeight = context.TextHeight(month);
    context.SetFont(yearFont);
    const float yearWidth = context.TextWidth(year);
    const float yearHeight = context.TextHeight(year);

    const float total = monthHeight + yearHeight;
    float top = r.Top;
    if (flags & kDtVCenter)
        top = r.Top + (r.Height() - total) / 2;
    else if (flags & kDtBottom)
        top = r.Bottom - total;

    context.SetFont(font);
    context.TextOut(month, 0, AlignX(r, monthWidth, flags), top);
    if (yearFont.Size > 0) {
        context.SetFont(yearFont);
        context.TextOut(year, 0, AlignX(r, yearWidth, flags), top + monthHeight);
    }
}

void TKalenderPainter4x7::PaintTage(TDrawContext& context, float x, float y, float w, float h)
{
    const int rows = Data.WeekCount();
    const auto row = [&](int k) {
        TRectF r = RectF(x, y + float(k) * h / float(rows), x + w, y + float(k + 1) * h / float(rows));
        ApplyPadding(r, Data.RowSpacing);
        return r;
    };
    for (int k = 0; k < rows; ++k)
        Fill(context, row(k), Data.ColorZeilen);

    const QDate first = Data.FirstDay();
    const int offset = first.dayOfWeek() - 1;
    for (int d = 0; d < first.daysInMonth(); ++d) {
        const int index = offset + d;
        TRectF r = row(index / 7);
        ApplyPadding(r, Data.RowPadding);
        PaintDayCell(context, GridCell(r, index % 7, 0, 7, 1), first.addDays(d));
    }
}

void TKalenderPainter4x7::PaintSondertage(TDrawContext& context, float x, float y, float w, float h)
{
    const int year = Data.Jahr();
    const int month = Data.Monat();
    const QString separator = QStringLiteral(", ");
    const QString holidays = Feiertage ? Feiertage->MonthText(year, month, separator) : QString();
    const QString birthdays = Geburtstage ? Geburtstage->MonthText(year, month, separator) : QString();

    TRectF r = RectF(x, y, x + w, y + h);
    ApplyPadding(r, Data.SondertagRowSpacing);
    Fill(context, r, Data.SondertagColorZeile);
    ApplyPadding(r, Data.SondertagRowPadding);

    TFont font = Data.SondertagFont;
    SizeFontToHeight(font, Data.SondertagFontHeight, r.Height());
    if (font.Size <= 0 || !HasRoom(r) || (holidays.isEmpty() && birthdays.isEmpty()))
        return;
    context.SetFont(font);

    const unsigned measure = kDtWordBreak | kDtCalcRect;
    float s = 0;
    for (const QString* text : {&holidays, &birthdays})
        if (!text->isEmpty())
            s += context.DrawTextRect(r, *text, measure);

    const unsigned align = unsigned(Data.SonderTagTextAlign);
    float top = r.Top;
    if (align & kDtVCenter)
        top = r.Top + (r.Height() - s) / 2;
    else if (align & kDtBottom)
        top = r.Bottom - s;
    top = std::max(top, r.Top);

    const unsigned flags = (align & (kDtCenter | kDtRight)) | kDtWordBreak;
    if (!holidays.isEmpty()) {
        font.Color = Data.TextColorFeiertag;
        context.SetFont(font);
        top += context.DrawText(holidays, flags, r.Left, top, r.Right, r.Bottom);
    }
    if (!birthdays.isEmpty()) {
        font.Color = Data.TextColorGeburtstag;
        context.SetFont(font);
        context.DrawText(birthdays, flags, r.Left, top, r.Right, r.Bottom);
    }
}

// ---------------------------------------------------------------------------
// One cell per day

void TKalenderPainterHorizontal::PaintWochentage(TDrawContext& context, float x, float y, float w,
                                                 float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    ApplyPadding(r, Data.WochentagCellSpacing);
    Fill(context, r, Data.WochentagColorZeile);
    ApplyPadding(r, Data.WochentagCellPadding);
    const QDate first = Data.FirstDay();
    const int n = first.daysInMonth();
    for (int d = 0; d < n; ++d)
        PaintWeekdayCell(context, GridCell(r, d, 0, n, 1), first.addDays(d).dayOfWeek(),
                         unsigned(Data.FTextAlign), false);
}

void TKalenderPainterHorizontal::PaintTage(TDrawContext& context, float x, float y, float w, float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    DaysBand(context, r);
    const QDate first = Data.FirstDay();
    const int n = first.daysInMonth();
    for (int d = 0; d < n; ++d)
        PaintDayCell(context, GridCell(r, d, 0, n, 1), first.addDays(d));
}

void TKalenderPainterVertical::Paint(TDrawContext& context, float x, float y, float w, float h)
{
    float g = h;
    PaintBackgroundAndTitle(context, x, y, w, h, g);
    PaintSondertagBand(context, x, y, w, h, g);
    if (Data.ShowWochentage) {
        const float ww = w * Data.WochentagSize / 100;
        PaintWochentage(context, x, y, ww, g);
        PaintTage(context, x + ww, y, w - ww, g);
    } else {
        PaintTage(context, x, y, w, g);
    }
    context.SetPenStyle(TPenStyle::Solid);
}

void TKalenderPainterVertical::PaintWochentage(TDrawContext& context, float x, float y, float w,
                                               float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    ApplyPadding(r, Data.WochentagRowSpacing);
    Fill(context, r, Data.WochentagColorZeile);
    ApplyPadding(r, Data.WochentagRowPadding);
    const QDate first = Data.FirstDay();
    const int n = first.daysInMonth();
    for (int d = 0; d < n; ++d)
        PaintWeekdayCell(context, GridCell(r, 0, d, 1, n), first.addDays(d).dayOfWeek(),
                         unsigned(Data.WochentagTextAlign), true);
}

void TKalenderPainterVertical::PaintTage(TDrawContext& context, float x, float y, float w, float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    DaysBand(context, r);
    const QDate first = Data.FirstDay();
    const int n = first.daysInMonth();
    for (int d = 0; d < n; ++d)
        PaintDayCell(context, GridCell(r, 0, d, 1, n), first.addDays(d));
}

// ---------------------------------------------------------------------------
// Two-week layouts

void TKalenderPainter2WochenHorizontal::PaintWochentage(TDrawContext& context, float x, float y,
                                                        float w, float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    ApplyPadding(r, Data.WochentagCellSpacing);
    Fill(context, r, Data.WochentagColorZeile);
    ApplyPadding(r, Data.WochentagCellPadding);
    for (int i = 0; i < 14; ++i)
        PaintWeekdayCell(context, GridCell(r, i, 0, 14, 1), i % 7 + 1, unsigned(Data.FTextAlign), true);
}

void TKalenderPainter2WochenHorizontal::PaintTage(TDrawContext& context, float x, float y, float w,
                                                  float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    DaysBand(context, r);
    const QDate first = Data.FirstDay();
    const int offset = first.dayOfWeek() - 1;
    for (int d = 0; d < first.daysInMonth(); ++d) {
        const int index = offset + d;
        PaintDayCell(context, GridCell(r, index % 14, index / 14, 14, 3), first.addDays(d));
    }
}

void TKalenderPainter2WochenVertical::PaintWochentage(TDrawContext& context, float x, float y, float w,
                                                      float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    ApplyPadding(r, Data.WochentagRowSpacing);
    Fill(context, r, Data.WochentagColorZeile);
    ApplyPadding(r, Data.WochentagRowPadding);
    for (int i = 0; i < 21; ++i)
        PaintWeekdayCell(context, GridCell(r, 0, i, 1, 21), i % 7 + 1,
                         unsigned(Data.WochentagTextAlign), true);
}

void TKalenderPainter2WochenVertical::PaintTage(TDrawContext& context, float x, float y, float w,
                                                float h)
{
    TRectF r = RectF(x, y, x + w, y + h);
    DaysBand(context, r);
    const QDate first = Data.FirstDay();
    const int offset = first.dayOfWeek() - 1;
    for (int d = 0; d < first.daysInMonth(); ++d) {
        const int index = offset + d;
        PaintDayCell(context, GridCell(r, index / 21, index % 21, 2, 21), first.addDays(d));
    }
}

// ---------------------------------------------------------------------------

std::unique_ptr<TKalenderPainter> CreateKalenderPainter(const TKalenderData& data,
                                                        const TKalenderTageListe* geburtstage,
                                                        const TKalenderTageListe* feiertage)
{
    switch (data.Typ) {
    case ktHorizontal:
        return std::make_unique<TKalenderPainterHorizontal>(data, geburtstage, feiertage);
    case ktVertical:
        return std::make_unique<TKalenderPainterVertical>(data, geburtstage, feiertage);
    case kt2WochenHorizontal:
        return std::make_unique<TKalenderPainter2WochenHorizontal>(data, geburtstage, feiertage);
    case kt2WochenVertical:
        return std::make_unique<TKalenderPainter2WochenVertical>(data, geburtstage, feiertage);
    default:
        return std::make_unique<TKalenderPainter4x7>(data, geburtstage, feiertage);
    }
}
