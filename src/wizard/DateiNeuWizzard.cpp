#include "wizard/DateiNeuWizzard.h"

#include "app/Errors.h"
#include "i18n/Localizer.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>

namespace {

// The wizard's own texts; the key is the German text except where the
// German word differs from the English-style key.
struct TTextDefault {
    const char* Key;
    const char* German;
};

constexpr TTextDefault kFormTexts[] = {
    {"OK", "OK"},
    {"Weiter", "Weiter"},
    {"Wählen Sie Ihr Format", "Wählen Sie Ihr Format"},
    {"Wählen Sie Ihr Grundlayout", "Wählen Sie Ihr Grundlayout"},
    {"Wählen Sie das gewünschte Jahr", "Wählen Sie das gewünschte Jahr"},
    {"Standard", "Standard"},
    {"Fullsize", "Randlos"},
    {"Ornata", "Ornata"},
    {"Lateo", "Lateo"},
    {"Altivo", "Altivo"},
    {"Border", "Mit Rand"},
    {"randlos", "randlos"},
};

// Catalogue entries and the product names the main window shows.
constexpr const char* kQuarnTexts[] = {
    "Photo-Buch 10x15",
    "Photo-Buch A5",
    "Photo-Tischkalender A5",
    "Layout",
    "Photo-Kalender A4",
    "DIN A4",
    "10x15 cm",
    "13x18 cm",
    "A4 (10x15)",
    "A4 (9x13)",
    "Flaschenetiketten",
    "Photo-Ballons",
    "Photo-Ballons rund",
    "Photo-Ballons herzförmig",
    "10x15cm",
    "Photo-Ballon rund",
    "Photo-Ballon Herz",
};

struct TProductName {
    int First;
    int Last;
    const char* Name;
};

constexpr TProductName kProductNames[] = {
    {101, 101, "Photo-Buch 10x15"},       {21, 21, "10x15cm"},
    {22, 22, "13x18 cm"},                 {31, 33, "Photo-Buch A5"},
    {41, 44, "Photo-Buch A5"},            {61, 64, "Photo-Kalender A4"},
    {71, 73, "Photo-Tischkalender A5"},   {81, 82, "DIN A4"},
    {102, 102, "A4 (10x15)"},             {103, 103, "A4 (9x13)"},
    {104, 104, "Flaschenetiketten"},      {150, 150, "Photo-Ballon rund"},
    {151, 151, "Photo-Ballon Herz"},
};

struct TPageCount {
    int First;
    int Last;
    int Pages;
};

constexpr TPageCount kPageCounts[] = {
    {31, 33, 30},  {41, 44, 30},  {81, 82, 30},   {21, 22, 50}, {101, 101, 25},
    {102, 104, 20}, {150, 151, 10}, {61, 64, 12}, {71, 73, 12},
};

constexpr int kYearSteps = 5;
constexpr int kMaxItemHeight = 30;

class TCatalogueBuilder {
public:
    TCatalogueBuilder(const TLocalizer& loc, int year)
        : Loc(loc)
        , Year(year) {}

    QString F(const char* key) const
    {
        return Loc.TranslateFormText(WizzardFormClass, QString::fromUtf8(key));
    }
    QString S(const char* key) const
    {
        return Loc.Lookup(QuarnSection, QString::fromUtf8(key), QString::fromLatin1(TLocalizer::NoDefault));
    }

    static TWizzardStep* Add(TWizzardStep& parent, const QString& caption, const char* picture,
                             int code = 0, const QString& question = QString())
    {
        TWizzardStep* step = parent.AddChild();
        step->Caption = caption;
        step->PictureName = QString::fromLatin1(picture);
        step->ProductCode = code;
        step->Question = question;
        return step;
    }

    void CalendarLayout(TWizzardStep& product, int number, const char* picture, int code) const
    {
        TWizzardStep* layout = Add(product, S("Layout") + QLatin1Char(' ') + QString::number(number), picture,
                                   code, F("Wählen Sie das gewünschte Jahr"));
        AddYearSteps(*layout, code, layout->PictureName, Year);
    }

    void Build(TWizzardStep& root) const
    {
        const QString grundlayout = F("Wählen Sie Ihr Grundlayout");
        const QString dash = QStringLiteral(" - ");
        root.Caption.clear();
        root.Question = F("Wählen Sie Ihr Format");

        Add(root, S("Photo-Buch 10x15"), "WIZ_QUARN_PB_10X15", 101);

        TWizzardStep* a5 = Add(root, S("Photo-Buch A5"), "WIZ_QUARN_PB_A5", 0,
                               QStringLiteral("Photo-Buch A5 - ") + grundlayout);
        TWizzardStep* a5Border = Add(*a5, S("Photo-Buch A5"), "WIZ_PHOTOBOOK_8_5_ORNATA", 0,
                                     S("Photo-Buch A5") + dash + grundlayout);
        Add(*a5Border, F("Ornata"), "WIZ_PHOTOBOOK_8_5_ORNATA", 31);
        Add(*a5Border, F("Lateo"), "WIZ_PHOTOBOOK_8_5_LATEO", 32);
        Add(*a5Border, F("Altivo"), "WIZ_PHOTOBOOK_8_5_ALTIVO", 33);
        const QString a5Randlos = S("Photo-Buch A5") + QLatin1Char(' ') + F("Randlos");
        TWizzardStep* a5Full = Add(*a5, a5Randlos, "WIZ_PHOTOBOOK_8_5_FULLSIZE_R", 0, a5Randlos + dash + grundlayout);
        Add(*a5Full, F("Fullsize"), "WIZ_PHOTOBOOK_8_5_FULLSIZE_R", 44);
        Add(*a5Full, F("Ornata"), "WIZ_PHOTOBOOK_8_5_ORNATA_R", 41);
        Add(*a5Full, F("Lateo"), "WIZ_PHOTOBOOK_8_5_LATEO_R", 42);
        Add(*a5Full, F("Altivo"), "WIZ_PHOTOBOOK_8_5_ALTIVO_R", 43);

        TWizzardStep* desk = Add(root, S("Photo-Tischkalender A5"), "WIZ_QUARN_PK_A5", 0,
                                 S("Photo-Tischkalender A5") + dash + grundlayout);
        CalendarLayout(*desk, 1, "WIZ_KALENDER_A5_1", 71);
        CalendarLayout(*desk, 2, "WIZ_KALENDER_A5_2", 72);
        CalendarLayout(*desk, 3, "WIZ_KALENDER_A5_3", 73);

        TWizzardStep* wall = Add(root, S("Photo-Kalender A4"), "WIZ_QUARN_PK_A4", 0,
                                 S("Photo-Kalender A4") + dash + grundlayout);
        CalendarLayout(*wall, 1, "WIZ_KALENDER_A4_1", 61);
        CalendarLayout(*wall, 2, "WIZ_KALENDER_A4_2", 62);
        CalendarLayout(*wall, 3, "WIZ_KALENDER_A4_3", 63);
        CalendarLayout(*wall, 4, "WIZ_KALENDER_A4_4", 64);

        TWizzardStep* a4 = Add(root, S("DIN A4"), "WIZ_QUARN_A4", 0, QStringLiteral("DIN A4 - ") + grundlayout);
        Add(*a4, S("DIN A4"), "WIZ_QUARN_A4", 81);
        Add(*a4, S("DIN A4") + QLatin1Char(' ') + F("randlos"), "WIZ_QUARN_A4", 82);

        Add(root, S("10x15 cm"), "WIZ_QUARN_10X15", 21);
        Add(root, S("13x18 cm"), "WIZ_QUARN_13X18", 22);
        Add(root, S("A4 (10x15)"), "WIZ_QUARN_A4_10X15", 102);
        Add(root, S("A4 (9x13)"), "WIZ_QUARN_A4_9X13", 103);
        Add(root, S("Flaschenetiketten"), "WIZ_QUARN_FLASCHENETIKETT", 104);

        // The balloon question has no dash between product and question.
        TWizzardStep* balloon = Add(root, S("Photo-Ballons"), "WIZ_QUARN_BALLON", 0,
                                    S("Photo-Ballons") + QLatin1Char(' ') + grundlayout);
        Add(*balloon, S("Photo-Ballons rund"), "WIZ_QUARN_BALLON_RUND", 150);
        Add(*balloon, S("Photo-Ballons herzförmig"), "WIZ_QUARN_BALLON_HERZ", 151);
    }

private:
    const TLocalizer& Loc;
    int Year;
};

void CollectPictureNames(const TWizzardStep& step, QStringList& names)
{
    const QString name = step.EffectivePictureName();
    if (!names.contains(name))
        names << name;
    for (int i = 0; i < step.ChildCount(); ++i)
        CollectPictureNames(*step.Child(i), names);
}

} // namespace

TWizzardStep* TWizzardStep::AddChild()
{
    Children.push_back(std::make_unique<TWizzardStep>(this));
    return Children.back().get();
}

TWizzardStep* TWizzardStep::Child(int index) const
{
    return index >= 0 && index < ChildCount() ? Children[std::size_t(index)].get() : nullptr;
}

int TWizzardStep::IndexOf(const TWizzardStep* step) const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (Children[std::size_t(i)].get() == step)
            return i;
    return -1;
}

QString TWizzardStep::EffectivePictureName() const
{
    return PictureName.isEmpty() ? WizzardStartPicture : PictureName.toUpper();
}

void RegisterWizzardTexts(TLocalizer& localizer)
{
    for (const TTextDefault& t : kFormTexts)
        localizer.RegisterFormText(WizzardFormClass, QString::fromUtf8(t.Key), QString::fromUtf8(t.German));
    for (const char* t : kQuarnTexts)
        localizer.RegisterSectionText(QuarnSection, QString::fromUtf8(t));
}

void BuildSteps(TWizzardStep& root, const TLocalizer& localizer, int currentYear)
{
    TCatalogueBuilder(localizer, currentYear).Build(root);
}

void AddYearSteps(TWizzardStep& layout, int productCode, const QString& pictureName, int currentYear)
{
    for (int i = 0; i < kYearSteps; ++i) {
        TWizzardStep* year = layout.AddChild();
        year->Value = QString::number(currentYear + i);
        year->Caption = year->Value;
        year->ProductCode = productCode;
        year->PictureName = pictureName;
    }
}

int StepItemHeight(int clientHeight, int count)
{
    if (count <= 0)
        return kMaxItemHeight;
    return std::clamp(clientHeight / count, 1, kMaxItemHeight);
}

bool IsCalendarProduct(int productCode)
{
    return (productCode >= 61 && productCode <= 64) || (productCode >= 71 && productCode <= 73);
}

int ProductPageCount(int productCode)
{
    for (const TPageCount& p : kPageCounts)
        if (productCode >= p.First && productCode <= p.Last)
            return p.Pages;
    return 0;
}

void SetProductName(TFBDocument& doc, int productCode)
{
    for (const TProductName& p : kProductNames)
        if (productCode >= p.First && productCode <= p.Last) {
            doc.Dokumentname = QString::fromUtf8(p.Name);
            return;
        }
}

bool FinishWithProduct(TFBDocument& doc, int productCode, const QString& yearValue)
{
    const int pages = ProductPageCount(productCode);
    if (pages <= 0)
        return false;
    int year = 0;
    if (IsCalendarProduct(productCode)) {
        bool ok = false;
        year = yearValue.trimmed().toInt(&ok);
        // A calendar without its year would silently get year 0.
        if (!ok || year < 1 || year > 9999)
            return false;
    }
    if (!ApplyProductSetup(doc, productCode, pages, year))
        return false;
    SetProductName(doc, productCode);
    return true;
}

QStringList WizzardPictureNames(const TWizzardStep& root)
{
    QStringList names;
    CollectPictureNames(root, names);
    return names;
}

QString WizzardPictureResource(const QString& pictureName)
{
    return QStringLiteral(":/images/wizard/") + pictureName.toUpper() + QStringLiteral(".jpg");
}

QImage LoadWizzardPicture(const QString& pictureName)
{
    const QString resource = WizzardPictureResource(pictureName);
    if (!QFile::exists(resource))
        throw Exception(QStringLiteral("Bildressource nicht gefunden: ") + pictureName.toUpper());
    QImageReader reader(resource);
    QImage image = reader.read();
    if (image.isNull())
        throw Exception(QStringLiteral("Bildressource nicht lesbar: ") + pictureName.toUpper() + QStringLiteral(" (")
                        + reader.errorString() + QLatin1Char(')'));
    return image;
}

TDateiNeuWizzard::TDateiNeuWizzard(const TLocalizer& localizer, int currentYear)
{
    BuildSteps(FRoot, localizer, currentYear);
    ShowLevel(&FRoot);
}

int TDateiNeuWizzard::SelectedIndex() const
{
    return FLevel ? FLevel->IndexOf(FSelected) : -1;
}

QString TDateiNeuWizzard::WeiterCaption(const TLocalizer& localizer) const
{
    if (FSelected && FSelected->HasChildren())
        return localizer.TranslateFormText(WizzardFormClass, QStringLiteral("Weiter")) + QStringLiteral(" >>");
    return localizer.TranslateFormText(WizzardFormClass, QStringLiteral("OK"));
}

void TDateiNeuWizzard::ShowLevel(TWizzardStep* level)
{
    FLevel = level;
    FSelected = level ? level->Child(0) : nullptr;
}

void TDateiNeuWizzard::ShowStep(TWizzardStep* step)
{
    FSelected = step;
}

void TDateiNeuWizzard::SelectIndex(int index)
{
    if (FLevel && index >= 0 && index < FLevel->ChildCount())
        FSelected = FLevel->Child(index);
}

TDateiNeuWizzard::TWeiterResult TDateiNeuWizzard::Weiter(TFBDocument* doc)
{
    if (!FSelected)
        return TWeiterResult::Nothing;
    if (FSelected->HasChildren()) {
        ShowLevel(FSelected);
        return TWeiterResult::Descended;
    }
    return doc && FinishWithProduct(*doc, FSelected->ProductCode, FSelected->Value) ? TWeiterResult::Finished
                                                                                     : TWeiterResult::Nothing;
}

bool TDateiNeuWizzard::Zurueck()
{
    if (!CanGoBack())
        return false;
    TWizzardStep* left = FLevel;
    ShowLevel(left->Parent);
    ShowStep(left);
    return true;
}
