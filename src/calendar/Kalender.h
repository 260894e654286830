#pragma once

#include "app/Colors.h"
#include "render/Font.h"

#include <QDate>
#include <QString>

class TCustomDataFile;
class TLocalizer;

// Insets of a rectangle in percent of its width (Left, Right) or height
// (Top, Bottom). "Spacing" is applied to a band or cell before its fill,
// "padding" after the fill and before the text.
class TPaddingData {
public:
    float Right = 0;
    float Bottom = 0;
    float Top = 0;
    float Left = 0;

    bool operator==(const TPaddingData&) const = default;

    // The keys "Left", "Top", "Right", "Bottom" under path (0 when missing).
    void ReadFromFile(TCustomDataFile& file, const QString& path);
    void WriteToFile(TCustomDataFile& file, const QString& path) const;
};

// Layout types of a calendar; stored numbers outside the range draw as 4x7.
enum TKalenderTyp : int {
    ktKalender4x7 = 0,
    ktHorizontal = 1,
    ktVertical = 2,
    kt2WochenHorizontal = 3,
    kt2WochenVertical = 4,
};

// The settings of one calendar element: which month it shows and how. Sizes
// are percentages of the element (or of a cell), so a calendar scales with
// its frame. Colours equal to clNoColor are not painted; alignments are the
// draw context's kDt* text flags.
class TKalenderData {
public:
    // Month and year of today, then the defaults.
    TKalenderData();

    // The defaults of a new calendar (month and year of today).
    void Reset();
    // Resets, then reads the record at path; each padding is a sub-record at
    // path + its key (no separator). Month and year are clamped like the
    // setters do, a layout type outside 0..4 reads as 0.
    void ReadFromFile(TCustomDataFile& file, const QString& path);
    void WriteToFile(TCustomDataFile& file, const QString& path) const;

    int Monat() const { return FMonat; }
    int Jahr() const { return FJahr; }
    // Limited to 1..12.
    void SetMonat(int month);
    // Limited to 1700..2500.
    void SetJahr(int year);

    QDate FirstDay() const;
    QDate LastDay() const;
    // Monday-based weeks the month touches (4 to 6).
    int WeekCount() const;

    TFont WochentagFont;
    TFont Font; // day numbers
    TColor TextColorSonntag = clRed;
    TColor TextColorSamstag = clGray;
    TColor Color = clNoColor;
    TColor ColorZeilen = clNoColor;
    TColor ColorZellen = clNoColor;
    TPaddingData CellPadding;
    TPaddingData RowPadding;
    TPaddingData CellSpacing;
    TPaddingData RowSpacing;
    float FontHeight = 50;
    int FTextAlign = 5;
    bool ShowWochentage = true;
    float WochentagSize = 15;
    TPaddingData WochentagCellPadding;
    TPaddingData WochentagRowPadding;
    TPaddingData WochentagCellSpacing;
    TColor WochentagColorZeile = clNoColor;
    int WochentagTextAlign = 5;
    float WochentagFontHeight = 50;
    TPaddingData WochentagRowSpacing;
    TColor WochentagColorZelle = clNoColor;
    bool ShowMonatJahr = true;
    int MonatJahrTextAlign = 5;
    float MonatJahrFontHeight = 50;
    float MonatJahrSize = 15;
    TColor MonatJahrColorZeile = clNoColor;
    TFont MonatJahrFont;
    TPaddingData MonatJahrRowPadding;
    TPaddingData MonatJahrRowSpacing;
    bool ShowMonatJahrOnBottom = false;
    bool MonatJahrZweizeilig = false;
    int Typ = ktKalender4x7;
    TColor TextColorFeiertag = clRed;
    TColor TextColorGeburtstag = 0x800000; // navy
    bool ShowSondertage = false;
    float SondertagFontHeight = 0;
    TFont SondertagFont;
    float SondertagSize = 0;
    TColor SondertagColorZeile = clNoColor;
    TPaddingData SondertagRowSpacing;
    TPaddingData SondertagRowPadding;
    int SonderTagTextAlign = 0;

private:
    int FMonat = 1;
    int FJahr = 2000;
};

// The font of a new calendar's day numbers and, as a copy, of its weekday
// and title texts.
TFont KalenderDefaultFont();
// The font a calendar's special-day list starts with.
TFont KalenderSystemFont();

// Copies the settings of source into target through a memory record (as
// copying to all calendars of a document does); target keeps its own month
// and year.
void ApplyKalenderData(const TKalenderData& source, TKalenderData& target);

// Language-table texts of "Mo" .. "So" (1 = Monday) and "Januar" ..
// "Dezember"; "" for other numbers.
QString WeekdayName(int day);
QString MonthName(int month);
// Registers the German weekday and month names as built-in texts.
void RegisterKalenderTexts(TLocalizer& localizer);
