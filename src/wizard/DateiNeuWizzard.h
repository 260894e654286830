#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class TFBDocument;
class TLocalizer;

// The language table sections of the wizard: its own texts and the
// maker's product names.
inline const QString WizzardFormClass = QStringLiteral("TDateiNeuDlg");
inline const QString QuarnSection = QStringLiteral("Quarn");
// The picture of a step without a picture of its own.
inline const QString WizzardStartPicture = QStringLiteral("WIZ_START");

// One node of the product catalogue: a list entry, the question shown
// while its children are listed, its picture and, for a leaf, the product
// it sets up.
class TWizzardStep {
public:
    explicit TWizzardStep(TWizzardStep* parent = nullptr)
        : Parent(parent) {}
    TWizzardStep(const TWizzardStep&) = delete;
    TWizzardStep& operator=(const TWizzardStep&) = delete;

    TWizzardStep* const Parent;
    QString Caption;
    QString Question;
    int ProductCode = 0;
    QString PictureName;
    // A year step's year as decimal digits.
    QString Value;

    TWizzardStep* AddChild();
    int ChildCount() const { return int(Children.size()); }
    TWizzardStep* Child(int index) const;
    // -1 when step is not a child of this one.
    int IndexOf(const TWizzardStep* step) const;
    bool HasChildren() const { return !Children.empty(); }

    // The name of the picture resource to show: upper case, the start
    // picture when the step names none.
    QString EffectivePictureName() const;

private:
    std::vector<std::unique_ptr<TWizzardStep>> Children;
};

// The German texts the catalogue looks up, registered as their defaults so
// that no entry ever shows the "no default" placeholder.
void RegisterWizzardTexts(TLocalizer& localizer);

// Builds the catalogue under root (which must be empty); calendar layouts
// get the years currentYear .. currentYear + 4.
void BuildSteps(TWizzardStep& root, const TLocalizer& localizer, int currentYear);
// Appends the five year children of a calendar layout step.
void AddYearSteps(TWizzardStep& layout, int productCode, const QString& pictureName, int currentYear);

// The height of an entry of a list of clientHeight pixels showing count
// entries: 30, less when the entries would not all fit.
int StepItemHeight(int clientHeight, int count);

bool IsCalendarProduct(int productCode);
// The number of pages a new project of the product gets (calendars: 12
// months); 0 for a code the wizard does not offer.
int ProductPageCount(int productCode);
// The maker's name of the product, stored untranslated in the document;
// unknown codes leave the name unchanged.
void SetProductName(TFBDocument& doc, int productCode);
// Turns doc into a new project of the product (calendars of the year in
// yearValue) and names it. False, with doc untouched, for a code the
// wizard does not offer or a calendar without a valid year.
bool FinishWithProduct(TFBDocument& doc, int productCode, const QString& yearValue);

// Every picture name the catalogue under root shows (start picture
// included), upper case, each once, in tree order.
QStringList WizzardPictureNames(const TWizzardStep& root);
// The built-in resource of a picture name (any letter case).
QString WizzardPictureResource(const QString& pictureName);
// Decodes the built-in picture; a missing or undecodable resource is an
// error of the build and throws Exception.
QImage LoadWizzardPicture(const QString& pictureName);

// The state of the wizard without its window: the level whose children
// are listed and the selected step among them.
class TDateiNeuWizzard {
public:
    enum class TWeiterResult { Nothing, Descended, Finished };

    // Builds the catalogue with the years from currentYear.
    TDateiNeuWizzard(const TLocalizer& localizer, int currentYear);

    TWizzardStep& Root() { return FRoot; }
    const TWizzardStep& Root() const { return FRoot; }
    TWizzardStep* CurrentLevel() const { return FLevel; }
    TWizzardStep* SelectedStep() const { return FSelected; }
    // Index of the selected step in the current level; -1 for none.
    int SelectedIndex() const;
    bool CanGoBack() const { return FLevel && FLevel->Parent; }
    // "Weiter >>" while the selected step has children, else "OK".
    QString WeiterCaption(const TLocalizer& localizer) const;

    // Lists the children of level and selects the first.
    void ShowLevel(TWizzardStep* level);
    void ShowStep(TWizzardStep* step);
    // Selects the entry of the current level (ignored when out of range).
    void SelectIndex(int index);

    // Down into the selected step, or, on a leaf, the product set up in
    // doc (nothing without a document).
    TWeiterResult Weiter(TFBDocument* doc);
    // Up one level, the step that was left selected; false on the root.
    bool Zurueck();

private:
    TWizzardStep FRoot;
    TWizzardStep* FLevel = nullptr;
    TWizzardStep* FSelected = nullptr;
};
