#include "calendar/KalenderBesondereTage.h"

#include "storage/DataFile.h"

#include <QLocale>

#include <algorithm>

namespace {

TKalenderClock& Clock()
{
    static TKalenderClock clock;
    return clock;
}

QString ItemPath(const QString& path, int i)
{
    return path + QStringLiteral("/Item") + QString::number(i);
}

} // namespace

QDate KalenderToday()
{
    const TKalenderClock& clock = Clock();
    return clock ? clock() : QDate::currentDate();
}

void SetKalenderClock(TKalenderClock clock)
{
    Clock() = std::move(clock);
}

// ---------------------------------------------------------------------------

void TKalenderTageListe::Add(const QString& text, const QString& separator, const QDate& date)
{
    const int i = IndexOfDate(date);
    if (i >= 0) {
        TKalendertagSpezial& item = FItems[std::size_t(i)];
        item.Text = item.Text + separator + text;
    } else {
        FItems.emplace_back(text, date);
    }
}

void TKalenderTageListe::Clear()
{
    FItems.clear();
}

void TKalenderTageListe::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const TKalendertagSpezial& a, const TKalendertagSpezial& b) { return a.Datum < b.Datum; });
}

int TKalenderTageListe::IndexOfDate(const QDate& date) const
{
    for (std::size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].Datum == date)
            return int(i);
    return -1;
}

bool TKalenderTageListe::TextOfDate(const QDate& date, QString& text) const
{
    const int i = IndexOfDate(date);
    if (i < 0)
        return false;
    text = FItems[std::size_t(i)].Text;
    return true;
}

void TKalenderTageListe::DeleteYear(int year)
{
    Sort();
    std::erase_if(FItems, [year](const TKalendertagSpezial& item) { return item.Datum.year() == year; });
}

void TKalenderTageListe::ListMonth(int year, int month, QStringList& lines) const
{
    std::vector<const TKalendertagSpezial*> selected;
    for (const TKalendertagSpezial& item : FItems)
        if (item.Datum.year() == year && item.Datum.month() == month)
            selected.push_back(&item);
    std::stable_sort(selected.begin(), selected.end(),
                     [](const TKalendertagSpezial* a, const TKalendertagSpezial* b) { return a->Datum < b->Datum; });
    const QString sep(DateSeparator());
    for (const TKalendertagSpezial* item : selected) {
        QString day = item->Datum.toString(QStringLiteral("dd/MM/"));
        day.replace(QLatin1Char('/'), sep);
        lines.append(day + QLatin1Char(' ') + item->Text);
    }
}

QString TKalenderTageListe::MonthText(int year, int month, const QString& separator) const
{
    QStringList lines;
    ListMonth(year, month, lines);
    return lines.join(separator);
}

void TKalenderTageListe::ReadFromFile(TCustomDataFile& file, const QString& path)
{
    const int count = file.ReadInteger(path, QStringLiteral("Anzahl"), 0);
    const QDateTime today(KalenderToday(), QTime(0, 0));
    for (int i = 0; i < count; ++i) {
        const QString item = ItemPath(path, i);
        TDataFileEntry entry;
        if (!file.FindEntry(item, TCustomDataFile::TestKey, entry))
            break;
        const QDate date = file.ReadDateTime(item, QStringLiteral("Datum"), today).date();
        FItems.emplace_back(file.ReadString(item, QStringLiteral("Text"), QString()), date);
    }
}

void TKalenderTageListe::WriteToFile(TCustomDataFile& file, const QString& path) const
{
    file.WriteInteger(path, QStringLiteral("Anzahl"), Count());
    for (int i = 0; i < Count(); ++i) {
        const QString item = ItemPath(path, i);
        const TKalendertagSpezial& entry = FItems[std::size_t(i)];
        file.WriteDateTime(item, QStringLiteral("Datum"), QDateTime(entry.Datum, QTime(0, 0)));
        file.WriteString(item, QStringLiteral("Text"), entry.Text);
    }
}

// ---------------------------------------------------------------------------

QChar DateSeparator()
{
    // The first character between the day, month and year fields of the
    // short format; a format without one keeps the dots.
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    bool inField = false;
    for (QChar c : format) {
        const bool field = c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
        if (field)
            inField = true;
        else if (inField && c != QLatin1Char('\''))
            return c;
    }
    return QLatin1Char('.');
}

QDate EasterSunday(int year)
{
    const int g = year % 19 + 1;
    const int k = year / 100 + 1;
    const int x = 3 * k / 4 - 12;
    const int z = (8 * k + 5) / 25 - 5;
    const int d = 5 * year / 4 - x - 10;
    int ep = (11 * g + 20 + z - x) % 30;
    if (ep < 0)
        ep += 30;
    if ((ep == 25 && g > 11) || ep == 24)
        ++ep;
    int n = 44 - ep;
    if (n < 21)
        n += 30;
    n = n + 7 - (d + n) % 7;
    return QDate(year, 3, 1).addDays(n - 1);
}

QDate BussUndBettag(int year)
{
    QDate day(year, 11, 16);
    while (day.dayOfWeek() != 3)
        day = day.addDays(1);
    return day;
}

void AddGermanHolidays(TKalenderTageListe& list, int year)
{
    const QDate easter = EasterSunday(year);
    const auto fixed = [year](int month, int day) { return QDate(year, month, day); };
    const struct {
        const char* Name;
        QDate Date;
    } holidays[] = {
        {"Neujahr", fixed(1, 1)},
        {"Maifeiertag", fixed(5, 1)},
        {"Tag der dt. Einheit", fixed(10, 3)},
        {"Hl. Abend", fixed(12, 24)},
        {"1. Weihnachtsfeiertag", fixed(12, 25)},
        {"2. Weihnachtsfeiertag", fixed(12, 26)},
        {"Silvester", fixed(12, 31)},
        {"Karfreitag", easter.addDays(-2)},
        {"Ostersonntag", easter},
        {"Ostermontag", easter.addDays(1)},
        {"Christi Himmelfahrt", easter.addDays(39)},
        {"Pfingstsonntag", easter.addDays(49)},
        {"Pfingstmontag", easter.addDays(50)},
        {"Rosenmontag", easter.addDays(-48)},
        {"Fastnacht", easter.addDays(-47)},
        {"Aschermittwoch", easter.addDays(-46)},
        {"Hl. 3 Könige", fixed(1, 6)},
        {"Fronleichnam", easter.addDays(60)},
        {"Mariä Aufnahme", fixed(8, 15)},
        {"Reformationstag", fixed(10, 31)},
        {"Allerheiligen", fixed(11, 1)},
        {"Buß- und Bettag", BussUndBettag(year)},
    };
    for (const auto& h : holidays)
        list.Add(QString::fromUtf8(h.Name), QStringLiteral(", "), h.Date);
}
