#include "calendar/Kalender.h"

#include "app/Services.h"
#include "calendar/KalenderBesondereTage.h"
#include "i18n/Localizer.h"
#include "storage/DataFile.h"

#include <QBuffer>

#include <algorithm>

namespace {

constexpr int kMinJahr = 1700;
constexpr int kMaxJahr = 2500;

const char* const kWeekdays[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
const char* const kMonths[] = {"Januar", "Februar", "März",     "April",   "Mai",      "Juni",
                               "Juli",   "August",  "September", "Oktober", "November", "Dezember"};

TFontRecord ToRecord(const TFont& font)
{
    TFontRecord r;
    r.Charset = font.Charset;
    r.Color = font.Color;
    r.Size = std::uint16_t(std::clamp(font.Size, 0, 65535));
    r.Style = std::uint8_t(font.Style.toInt());
    r.Name = font.Name;
    return r;
}

TFont FromRecord(const TFontRecord& r)
{
    TFont font;
    font.Charset = r.Charset;
    font.Color = r.Color;
    font.Size = r.Size;
    font.Style = TFontStyles::fromInt(r.Style & 0x0F);
    font.Name = r.Name;
    return font;
}

// Looks a [Default] text up with the German key as its own fallback; code
// that draws a calendar without the program's services gets German.
QString DefaultText(const char* key)
{
    const QString german = QString::fromUtf8(key);
    if (!TServices::Exists())
        return german;
    return Localizer().Lookup(QStringLiteral("Default"), german, german);
}

// Reads one field of the record with its current value as default.
class TFieldReader {
public:
    TFieldReader(TCustomDataFile& file, const QString& path)
        : File(file)
        , Path(path)
    {
    }
    void operator()(const char* key, int& v) { v = File.ReadInteger(Path, Key(key), v); }
    void operator()(const char* key, TColor& v) { v = TColor(File.ReadInteger(Path, Key(key), qint32(v))); }
    void operator()(const char* key, float& v) { v = float(File.ReadFloat(Path, Key(key), v)); }
    void operator()(const char* key, bool& v) { v = File.ReadBool(Path, Key(key), v); }
    void operator()(const char* key, TFont& v)
    {
        TFontRecord r = ToRecord(v);
        if (File.ReadFont(Path, Key(key), r))
            v = FromRecord(r);
    }
    void operator()(const char* key, TPaddingData& v) { v.ReadFromFile(File, Path + Key(key)); }

private:
    static QString Key(const char* key) { return QString::fromLatin1(key); }
    TCustomDataFile& File;
    const QString& Path;
};

class TFieldWriter {
public:
    TFieldWriter(TCustomDataFile& file, const QString& path)
        : File(file)
        , Path(path)
    {
    }
    void operator()(const char* key, const int& v) { File.WriteInteger(Path, Key(key), v); }
    void operator()(const char* key, const TColor& v) { File.WriteInteger(Path, Key(key), qint32(v)); }
    void operator()(const char* key, const float& v) { File.WriteFloat(Path, Key(key), v); }
    void operator()(const char* key, const bool& v) { File.WriteBool(Path, Key(key), v); }
    void operator()(const char* key, const TFont& v) { File.WriteFont(Path, Key(key), ToRecord(v)); }
    void operator()(const char* key, const TPaddingData& v) { v.WriteToFile(File, Path + Key(key)); }

private:
    static QString Key(const char* key) { return QString::fromLatin1(key); }
    TCustomDataFile& File;
    const QString& Path;
};

} // namespace

// ---------------------------------------------------------------------------

void TPaddingData::ReadFromFile(TCustomDataFile& file, const QString& path)
{
    Left = float(file.ReadFloat(path, QStringLiteral("Left"), 0));
    Top = float(file.ReadFloat(path, QStringLiteral("Top"), 0));
    Right = float(file.ReadFloat(path, QStringLiteral("Right"), 0));
    Bottom = float(file.ReadFloat(path, QStringLiteral("Bottom"), 0));
}

void TPaddingData::WriteToFile(TCustomDataFile& file, const QString& path) const
{
    file.WriteFloat(path, QStringLiteral("Left"), Left);
    file.WriteFloat(path, QStringLiteral("Top"), Top);
    file.WriteFloat(path, QStringLiteral("Right"), Right);
    file.WriteFloat(path, QStringLiteral("Bottom"), Bottom);
}

// ---------------------------------------------------------------------------

TFont KalenderDefaultFont()
{
    TFont f;
    f.Name = QStringLiteral("Arial");
    f.Size = 10;
    f.Style = {};
    f.Color = clBlack;
    return f;
}

TFont KalenderSystemFont()
{
    // The face and size of a font nobody has styled yet.
    TFont f;
    f.Name = QStringLiteral("Tahoma");
    f.Size = 8;
    f.Color = clBlack;
    return f;
}

TKalenderData::TKalenderData()
{
    Reset();
}

void TKalenderData::Reset()
{
    const QDate today = KalenderToday();
    SetMonat(today.month());
    SetJahr(today.year());
    Font = KalenderDefaultFont();
    WochentagFont = Font;
    MonatJahrFont = Font;
    SondertagFont = KalenderSystemFont();
    TextColorSonntag = clRed;
    TextColorSamstag = clGray;
    Color = clNoColor;
    ColorZeilen = clNoColor;
    ColorZellen = clNoColor;
    CellPadding = {};
    RowPadding = {};
    CellSpacing = {};
    RowSpacing = {};
    FontHeight = 50;
    FTextAlign = 5;
    ShowWochentage = true;
    WochentagSize = 15;
    WochentagCellPadding = {};
    WochentagRowPadding = {};
    WochentagCellSpacing = {};
    WochentagColorZeile = clNoColor;
    WochentagTextAlign = 5;
    WochentagFontHeight = 50;
    WochentagRowSpacing = {};
    WochentagColorZelle = clNoColor;
    ShowMonatJahr = true;
    MonatJahrTextAlign = 5;
    MonatJahrFontHeight = 50;
    MonatJahrSize = 15;
    MonatJahrColorZeile = clNoColor;
    MonatJahrRowPadding = {};
    MonatJahrRowSpacing = {};
    ShowMonatJahrOnBottom = false;
    MonatJahrZweizeilig = false;
    Typ = ktKalender4x7;
    TextColorFeiertag = clRed;
    TextColorGeburtstag = 0x800000;
    ShowSondertage = false;
    SondertagFontHeight = 0;
    SondertagSize = 0;
    SondertagColorZeile = clNoColor;
    SondertagRowSpacing = {};
    SondertagRowPadding = {};
    SonderTagTextAlign = 0;
}

namespace {

// The record's keys in the order files hold them.
template <class Self, class F>
void VisitKalenderFields(Self& d, int& monat, int& jahr, F&& f)
{
    f("Typ", d.Typ);
    f("Monat", monat);
    f("Jahr", jahr);
    f("Font", d.Font);
    f("TextColorSamstag", d.TextColorSamstag);
    f("TextColorSonntag", d.TextColorSonntag);
    f("TextColorFeiertag", d.TextColorFeiertag);
    f("TextColorGeburtstag", d.TextColorGeburtstag);
    f("Color", d.Color);
    f("ColorZeilen", d.ColorZeilen);
    f("ColorZellen", d.ColorZellen);
    f("FontHeight", d.FontHeight);
    f("FTextAlign", d.FTextAlign);
    f("CellPadding", d.CellPadding);
    f("RowPadding", d.RowPadding);
    f("CellSpacing", d.CellSpacing);
    f("RowSpacing", d.RowSpacing);
    f("ShowWochentage", d.ShowWochentage);
    f("WochentagFont", d.WochentagFont);
    f("WochentagSize", d.WochentagSize);
    f("WochentagFontHeight", d.WochentagFontHeight);
    f("WochentagColorZeile", d.WochentagColorZeile);
    f("WochentagColorZelle", d.WochentagColorZelle);
    f("WochentagTextAlign", d.WochentagTextAlign);
    f("WochentagCellPadding", d.WochentagCellPadding);
    f("WochentagRowPadding", d.WochentagRowPadding);
    f("WochentagCellSpacing", d.WochentagCellSpacing);
    f("WochentagRowSpacing", d.WochentagRowSpacing);
    f("ShowMonatJahr", d.ShowMonatJahr);
    f("ShowMonatJahrOnBottom", d.ShowMonatJahrOnBottom);
    f("MonatJahrTextAlign", d.MonatJahrTextAlign);
    f("MonatJahrFontHeight", d.MonatJahrFontHeight);
    f("MonatJahrSize", d.MonatJahrSize);
    f("MonatJahrColorZeile", d.MonatJahrColorZeile);
    f("MonatJahrZweizeilig", d.MonatJahrZweizeilig);
    f("MonatJahrFont", d.MonatJahrFont);
    f("MonatJahrRowPadding", d.MonatJahrRowPadding);
    f("MonatJahrRowSpacing", d.MonatJahrRowSpacing);
    f("ShowSondertage", d.ShowSondertage);
    f("SondertagFont", d.SondertagFont);
    f("SondertagFontHeight", d.SondertagFontHeight);
    f("SondertagSize", d.SondertagSize);
    f("SondertagColorZeile", d.SondertagColorZeile);
    f("SonderTagTextAlign", d.SonderTagTextAlign);
    f("SondertagRowSpacing", d.SondertagRowSpacing);
    f("SondertagRowPadding", d.SondertagRowPadding);
}

} // namespace

void TKalenderData::ReadFromFile(TCustomDataFile& file, const QString& path)
{
    Reset();
    int monat = FMonat;
    int jahr = FJahr;
    VisitKalenderFields(*this, monat, jahr, TFieldReader(file, path));
    SetMonat(monat);
    SetJahr(jahr);
    if (Typ < ktKalender4x7 || Typ > kt2WochenVertical)
        Typ = ktKalender4x7;
}

void TKalenderData::WriteToFile(TCustomDataFile& file, const QString& path) const
{
    int monat = FMonat;
    int jahr = FJahr;
    VisitKalenderFields(*this, monat, jahr, TFieldWriter(file, path));
}

void TKalenderData::SetMonat(int month)
{
    FMonat = std::clamp(month, 1, 12);
}

void TKalenderData::SetJahr(int year)
{
    FJahr = std::clamp(year, kMinJahr, kMaxJahr);
}

QDate TKalenderData::FirstDay() const
{
    return QDate(FJahr, FMonat, 1);
}

QDate TKalenderData::LastDay() const
{
    const QDate first = FirstDay();
    return QDate(FJahr, FMonat, first.daysInMonth());
}

int TKalenderData::WeekCount() const
{
    const QDate last = LastDay();
    QDate monday = FirstDay().addDays(1 - FirstDay().dayOfWeek());
    int weeks = 0;
    while (monday <= last) {
        ++weeks;
        monday = monday.addDays(7);
    }
    return weeks;
}

// ---------------------------------------------------------------------------

void ApplyKalenderData(const TKalenderData& source, TKalenderData& target)
{
    const QString path = QStringLiteral("data");
    QByteArray bytes;
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadWrite);
    {
        TMemoryDataFile out(stream);
        source.WriteToFile(out, path);
    }
    TMemoryDataFile in(stream);
    const int monat = target.Monat();
    const int jahr = target.Jahr();
    target.ReadFromFile(in, path);
    target.SetMonat(monat);
    target.SetJahr(jahr);
}

QString WeekdayName(int day)
{
    if (day < 1 || day > 7)
        return QString();
    return DefaultText(kWeekdays[day - 1]);
}

QString MonthName(int month)
{
    if (month < 1 || month > 12)
        return QString();
    return DefaultText(kMonths[month - 1]);
}

void RegisterKalenderTexts(TLocalizer& localizer)
{
    for (const char* t : kWeekdays)
        localizer.RegisterText(QString::fromUtf8(t));
    for (const char* t : kMonths)
        localizer.RegisterText(QString::fromUtf8(t));
}
