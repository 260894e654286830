#pragma once

#include "calendar/Kalender.h"
#include "render/Transformation.h"

#include <QDate>

#include <memory>

class TDrawContext;
class TKalenderTageListe;

// Insets r by the padding (percent of r's width and height). True when the
// result is usable (right >= left and bottom >= top).
bool ApplyPadding(TRectF& r, const TPaddingData& padding);

// The point size for a text rectangle hr millimetres high at p percent;
// the font keeps its size when p <= 0.
void SizeFontToHeight(TFont& font, float percent, float heightMM);

// Lays one month of a calendar out in the rectangle (x, y, w, h) and draws
// it through a draw context. A painter is made for one drawing and owns
// nothing; the special-day lists may be null.
class TKalenderPainter {
public:
    TKalenderPainter(const TKalenderData& data, const TKalenderTageListe* geburtstage,
                     const TKalenderTageListe* feiertage);
    virtual ~TKalenderPainter();
    TKalenderPainter(const TKalenderPainter&) = delete;
    TKalenderPainter& operator=(const TKalenderPainter&) = delete;

    virtual void Paint(TDrawContext& context, float x, float y, float w, float h);
    virtual void PaintWochentage(TDrawContext& context, float x, float y, float w, float h);
    virtual void PaintMonatJahr(TDrawContext& context, float x, float y, float w, float h);
    virtual void PaintTage(TDrawContext& context, float x, float y, float w, float h);
    virtual void PaintSondertage(TDrawContext& context, float x, float y, float w, float h);

    // The colour of a day number: the main font's colour, then birthday,
    // Saturday, Sunday and holiday colour, later rules winning.
    TColor DayColor(const QDate& date) const;

protected:
    // Paints r in the colour with a solid brush; clNoColor paints nothing.
    void Fill(TDrawContext& context, const TRectF& r, TColor color);
    // Text in a rectangle with the font sized by percent of the rectangle's
    // height. A font of no size, or a rectangle too small to hold anything,
    // draws nothing.
    void DrawCellText(TDrawContext& context, const TRectF& r, const QString& text, TFont font,
                      float percent, unsigned flags);
    // A day cell of the one-cell-per-day layouts: spacing, fill, padding,
    // sized main font in the day colour, the number.
    void PaintDayCell(TDrawContext& context, TRectF cell, const QDate& date);
    // A weekday cell: cell spacing, fill, cell padding, sized weekday font.
    void PaintWeekdayCell(TDrawContext& context, TRectF cell, int dayOfWeek, unsigned flags,
                          bool weekendColors);
    // The days band: row spacing, row colour, row padding.
    void DaysBand(TDrawContext& context, TRectF& r);
    // Steps shared by the Paint of all layouts: no outlines, the background,
    // the title band at the top (y moves below it) or bottom; g is the
    // height left.
    void PaintBackgroundAndTitle(TDrawContext& context, float x, float& y, float w, float h,
                                 float& g);
    // The special-day band at the bottom of what is left (g shrinks).
    void PaintSondertagBand(TDrawContext& context, float x, float y, float w, float h, float& g);

    const TKalenderData& Data;
    const TKalenderTageListe* Geburtstage;
    const TKalenderTageListe* Feiertage;
};

// The month as weeks of seven days under a row of weekday names.
class TKalenderPainter4x7 : public TKalenderPainter {
public:
    using TKalenderPainter::TKalenderPainter;
    void Paint(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintWochentage(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintMonatJahr(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintTage(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintSondertage(TDrawContext& context, float x, float y, float w, float h) override;
};

// All days of the month side by side in one row.
class TKalenderPainterHorizontal : public TKalenderPainter4x7 {
public:
    using TKalenderPainter4x7::TKalenderPainter4x7;
    void PaintWochentage(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintTage(TDrawContext& context, float x, float y, float w, float h) override;
};

// All days of the month one below the other, weekday names in a column to
// their left.
class TKalenderPainterVertical : public TKalenderPainter4x7 {
public:
    using TKalenderPainter4x7::TKalenderPainter4x7;
    void Paint(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintWochentage(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintTage(TDrawContext& context, float x, float y, float w, float h) override;
};

// Two weeks per row, three rows.
class TKalenderPainter2WochenHorizontal : public TKalenderPainterHorizontal {
public:
    using TKalenderPainterHorizontal::TKalenderPainterHorizontal;
    void PaintWochentage(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintTage(TDrawContext& context, float x, float y, float w, float h) override;
};

// Three weeks per column, two columns.
class TKalenderPainter2WochenVertical : public TKalenderPainterVertical {
public:
    using TKalenderPainterVertical::TKalenderPainterVertical;
    void PaintWochentage(TDrawContext& context, float x, float y, float w, float h) override;
    void PaintTage(TDrawContext& context, float x, float y, float w, float h) override;
};

// The painter of the data's layout type (any unknown type gives 4x7).
std::unique_ptr<TKalenderPainter> CreateKalenderPainter(const TKalenderData& data,
                                                        const TKalenderTageListe* geburtstage,
                                                        const TKalenderTageListe* feiertage);
