#pragma once

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TCustomDataFile;

// The date the calendars take as "today" (default month and year of a new
// calendar, date of a stored special day without one). Tests fix it with
// SetKalenderClock; an empty function restores the system clock.
using TKalenderClock = std::function<QDate()>;
QDate KalenderToday();
void SetKalenderClock(TKalenderClock clock);

// One holiday or birthday: a text on exactly one date of one year (a
// birthday is entered again for every year). Only the date counts; a time
// of day read from a file is dropped.
class TKalendertagSpezial {
public:
    TKalendertagSpezial() = default;
    TKalendertagSpezial(QString text, QDate datum)
        : Text(std::move(text))
        , Datum(datum)
    {
    }
    QString Text;
    QDate Datum;
};

// A document's holidays or birthdays, shared by all its calendars. There is
// at most one entry per date: a second text for a date joins the first.
class TKalenderTageListe {
public:
    // Joins text to the entry of this date (old text, separator, text) or
    // appends a new entry.
    void Add(const QString& text, const QString& separator, const QDate& date);
    void Clear();
    int Count() const { return int(FItems.size()); }
    TKalendertagSpezial& Items(int i) { return FItems.at(std::size_t(i)); }
    const TKalendertagSpezial& Items(int i) const { return FItems.at(std::size_t(i)); }
    // Ascending by date.
    void Sort();

    int IndexOfDate(const QDate& date) const;
    bool TextOfDate(const QDate& date, QString& text) const;
    bool HasDate(const QDate& date) const { return IndexOfDate(date) >= 0; }

    // Sorts, then removes every entry of the year.
    void DeleteYear(int year);
    // Adds "dd.mm. text" for each entry of the month in date order (the
    // separator of the user's date format instead of the dots). The list
    // itself is left as it is, so painters can use it while drawing.
    void ListMonth(int year, int month, QStringList& lines) const;
    // The lines of ListMonth joined by separator; "" when there are none.
    QString MonthText(int year, int month, const QString& separator) const;

    // Appends the entries stored under path. The stored count is not
    // trusted: reading stops at the first item that is missing.
    void ReadFromFile(TCustomDataFile& file, const QString& path);
    void WriteToFile(TCustomDataFile& file, const QString& path) const;

private:
    std::vector<TKalendertagSpezial> FItems;
};

// The separator of the short date format of the default locale ('.' for
// German settings).
QChar DateSeparator();

// Easter Sunday of a year, Gregorian calendar.
QDate EasterSunday(int year);
// The Wednesday between 16 and 22 November.
QDate BussUndBettag(int year);
// Adds the German public holidays of the year (joined by ", " where two fall
// on one date). The names are German in every interface language.
void AddGermanHolidays(TKalenderTageListe& list, int year);
