// The product catalogue of the new-project wizard, its navigation and the
// set-up of the chosen product, without the window.

#include "app/Errors.h"
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/ZadoveroDocument.h"
#include "model/ZadoveroDocumentHelper.h"
#include "support/TestSupport.h"
#include "wizard/DateiNeuWizzard.h"

#include <QImageReader>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace {

const QString kNoDefault = QString::fromLatin1(TLocalizer::NoDefault);

// The step reached from root through the child indices of path.
const TWizzardStep* At(const TWizzardStep& root, std::initializer_list<int> path)
{
    const TWizzardStep* step = &root;
    for (int i : path) {
        step = step->Child(i);
        if (!step)
            return nullptr;
    }
    return step;
}

void ForEachStep(const TWizzardStep& step, const std::function<void(const TWizzardStep&)>& f)
{
    f(step);
    for (int i = 0; i < step.ChildCount(); ++i)
        ForEachStep(*step.Child(i), f);
}

QString PathOf(const TWizzardStep& step)
{
    return step.Parent ? PathOf(*step.Parent) + QLatin1Char('/') + step.Caption : QString();
}

class WizzardTest : public ::testing::Test {
protected:
    TTestServices Env;
    void SetUp() override { RegisterWizzardTexts(Localizer()); }
};

TEST_F(WizzardTest, CatalogueInGerman)
{
    TWizzardStep root;
    BuildSteps(root, Localizer(), 2026);
    EXPECT_EQ(root.Caption, QString());
    EXPECT_EQ(root.Question, QStringLiteral("Wählen Sie Ihr Format"));
    EXPECT_EQ(root.Parent, nullptr);
    ASSERT_EQ(root.ChildCount(), 11);

    const QString gl = QStringLiteral("Wählen Sie Ihr Grundlayout");
    const QString jahr = QStringLiteral("Wählen Sie das gewünschte Jahr");
    const struct {
        std::initializer_list<int> Path;
        const char* Caption;
        const char* Picture;
        QString Question;
        int Code;
        int Children;
    } cases[] = {
        {{0}, "Photo-Buch 10x15", "WIZ_QUARN_PB_10X15", {}, 101, 0},
        {{1}, "Photo-Buch A5", "WIZ_QUARN_PB_A5", "Photo-Buch A5 - " + gl, 0, 2},
        {{1, 0}, "Photo-Buch A5", "WIZ_PHOTOBOOK_8_5_ORNATA", "Photo-Buch A5 - " + gl, 0, 3},
        {{1, 0, 0}, "Ornata", "WIZ_PHOTOBOOK_8_5_ORNATA", {}, 31, 0},
        {{1, 0, 1}, "Lateo", "WIZ_PHOTOBOOK_8_5_LATEO", {}, 32, 0},
        {{1, 0, 2}, "Altivo", "WIZ_PHOTOBOOK_8_5_ALTIVO", {}, 33, 0},
        {{1, 1}, "Photo-Buch A5 randlos", "WIZ_PHOTOBOOK_8_5_FULLSIZE_R", "Photo-Buch A5 randlos - " + gl, 0, 4},
        {{1, 1, 0}, "Randlos", "WIZ_PHOTOBOOK_8_5_FULLSIZE_R", {}, 44, 0},
        {{1, 1, 1}, "Ornata", "WIZ_PHOTOBOOK_8_5_ORNATA_R", {}, 41, 0},
        {{1, 1, 2}, "Lateo", "WIZ_PHOTOBOOK_8_5_LATEO_R", {}, 42, 0},
        {{1, 1, 3}, "Altivo", "WIZ_PHOTOBOOK_8_5_ALTIVO_R", {}, 43, 0},
        {{2}, "Photo-Tischkalender A5", "WIZ_QUARN_PK_A5", "Photo-Tischkalender A5 - " + gl, 0, 3},
        {{2, 0}, "Layout 1", "WIZ_KALENDER_A5_1", jahr, 71, 5},
        {{2, 1}, "Layout 2", "WIZ_KALENDER_A5_2", jahr, 72, 5},
        {{2, 2}, "Layout 3", "WIZ_KALENDER_A5_3", jahr, 73, 5},
        {{3}, "Photo-Kalender A4", "WIZ_QUARN_PK_A4", "Photo-Kalender A4 - " + gl, 0, 4},
        {{3, 0}, "Layout 1", "WIZ_KALENDER_A4_1", jahr, 61, 5},
        {{3, 1}, "Layout 2", "WIZ_KALENDER_A4_2", jahr, 62, 5},
        {{3, 2}, "Layout 3", "WIZ_KALENDER_A4_3", jahr, 63, 5},
        {{3, 3}, "Layout 4", "WIZ_KALENDER_A4_4", jahr, 64, 5},
        {{4}, "DIN A4", "WIZ_QUARN_A4", "DIN A4 - " + gl, 0, 2},
        {{4, 0}, "DIN A4", "WIZ_QUARN_A4", {}, 81, 0},
        {{4, 1}, "DIN A4 randlos", "WIZ_QUARN_A4", {}, 82, 0},
        {{5}, "10x15 cm", "WIZ_QUARN_10X15", {}, 21, 0},
        {{6}, "13x18 cm", "WIZ_QUARN_13X18", {}, 22, 0},
        {{7}, "A4 (10x15)", "WIZ_QUARN_A4_10X15", {}, 102, 0},
        {{8}, "A4 (9x13)", "WIZ_QUARN_A4_9X13", {}, 103, 0},
        {{9}, "Flaschenetiketten", "WIZ_QUARN_FLASCHENETIKETT", {}, 104, 0},
        // No dash between the product and the question.
        {{10}, "Photo-Ballons", "WIZ_QUARN_BALLON", "Photo-Ballons " + gl, 0, 2},
        {{10, 0}, "Photo-Ballons rund", "WIZ_QUARN_BALLON_RUND", {}, 150, 0},
        {{10, 1}, "Photo-Ballons herzförmig", "WIZ_QUARN_BALLON_HERZ", {}, 151, 0},
    };
    for (const auto& c : cases) {
        const TWizzardStep* step = At(root, c.Path);
        ASSERT_NE(step, nullptr) << c.Caption;
        SCOPED_TRACE(PathOf(*step).toStdString());
        EXPECT_EQ(step->Caption, QString::fromUtf8(c.Caption));
        EXPECT_EQ(step->PictureName, QString::fromLatin1(c.Picture));
        EXPECT_EQ(step->Question, c.Question);
        EXPECT_EQ(step->ProductCode, c.Code);
        EXPECT_EQ(step->ChildCount(), c.Children);
        EXPECT_EQ(step->Parent->IndexOf(step), *(c.Path.end() - 1));
    }
    EXPECT_EQ(root.IndexOf(At(root, {1, 0})), -1); // a grandchild is no child
    EXPECT_EQ(root.IndexOf(nullptr), -1);
    EXPECT_EQ(root.Child(11), nullptr);
    EXPECT_EQ(root.Child(-1), nullptr);
}

TEST_F(WizzardTest, CalendarLayoutsOfferFiveYearsFromTheClock)
{
    for (int year : {2026, 2099}) {
        TWizzardStep root;
        BuildSteps(root, Localizer(), year);
        int layouts = 0;
        ForEachStep(root, [&](const TWizzardStep& step) {
            if (!IsCalendarProduct(step.ProductCode) || !step.HasChildren())
                return;
            ++layouts;
            SCOPED_TRACE(PathOf(step).toStdString());
            ASSERT_EQ(step.ChildCount(), 5);
            for (int i = 0; i < 5; ++i) {
                const TWizzardStep* y = step.Child(i);
                EXPECT_EQ(y->Caption, QString::number(year + i));
                EXPECT_EQ(y->Value, QString::number(year + i));
                EXPECT_EQ(y->ProductCode, step.ProductCode);
                EXPECT_EQ(y->PictureName, step.PictureName);
                EXPECT_FALSE(y->HasChildren());
            }
        });
        EXPECT_EQ(layouts, 7) << year;
    }
}

// The registered defaults alone (no language table at all) give the same
// catalogue as the German table, and never the placeholder.
TEST_F(WizzardTest, RegisteredDefaultsMatchTheGermanTable)
{
    TLocalizer bare;
    bare.TableSource = [](int, QByteArray*) { return false; };
    RegisterWizzardTexts(bare);
    TWizzardStep fromDefaults;
    BuildSteps(fromDefaults, bare, 2026);
    TWizzardStep fromTable;
    BuildSteps(fromTable, Localizer(), 2026);

    std::vector<const TWizzardStep*> a;
    std::vector<const TWizzardStep*> b;
    ForEachStep(fromDefaults, [&](const TWizzardStep& s) { a.push_back(&s); });
    ForEachStep(fromTable, [&](const TWizzardStep& s) { b.push_back(&s); });
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]->Caption, b[i]->Caption);
        EXPECT_EQ(a[i]->Question, b[i]->Question);
        EXPECT_FALSE(a[i]->Caption.contains(kNoDefault)) << PathOf(*a[i]).toStdString();
        EXPECT_FALSE(a[i]->Question.contains(kNoDefault)) << PathOf(*a[i]).toStdString();
    }
    // The product names the main window shows through the same section.
    for (const char* name : {"Photo-Kalender A4", "Photo-Ballon rund", "Photo-Ballon Herz", "10x15cm"})
        EXPECT_EQ(bare.Lookup(QuarnSection, QString::fromUtf8(name), kNoDefault), QString::fromUtf8(name));
}

TEST_F(WizzardTest, CatalogueInEnglish)
{
    Localizer().SwitchLanguage(1);
    ASSERT_EQ(Localizer().CurrentLanguage, 1);
    TWizzardStep root;
    BuildSteps(root, Localizer(), 2026);
    ForEachStep(root, [&](const TWizzardStep& s) {
        EXPECT_FALSE(s.Caption.contains(kNoDefault)) << PathOf(s).toStdString();
        EXPECT_FALSE(s.Question.contains(kNoDefault)) << PathOf(s).toStdString();
    });
    EXPECT_EQ(root.Question, QStringLiteral("Choose your format"));
    EXPECT_EQ(At(root, {10})->Question, QStringLiteral("Photo balloons Choose your base layout"));
    EXPECT_EQ(At(root, {1})->Question, QStringLiteral("Photo-Buch A5 - Choose your base layout"));
    EXPECT_EQ(At(root, {4, 1})->Caption, QStringLiteral("DIN A4 borderless"));
    EXPECT_EQ(At(root, {1, 1, 0})->Caption, QStringLiteral("Fullsize"));
    EXPECT_EQ(At(root, {2, 1, 2})->Caption, QStringLiteral("2028"));
    // Product names as the main window shows them.
    EXPECT_EQ(Localizer().Lookup(QuarnSection, QStringLiteral("photo-ballon herz"), kNoDefault),
              QStringLiteral("Photo balloon heart"));
}

TEST(WizzardItemHeight, FitsTheRootEntriesIntoTheList)
{
    const struct {
        int Height, Count, Expected;
    } cases[] = {{300, 11, 27}, {300, 10, 30}, {300, 1, 30}, {300, 0, 30}, {300, 12, 25}, {0, 11, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(StepItemHeight(c.Height, c.Count), c.Expected) << c.Height << " / " << c.Count;
}

// Every leaf of the catalogue sets up its product with the page count and
// the name of its code.
TEST_F(WizzardTest, EveryLeafSetsUpItsProduct)
{
    const struct {
        int Code;
        int Pages;
        const char* Name;
    } products[] = {
        {101, 25, "Photo-Buch 10x15"}, {31, 30, "Photo-Buch A5"},     {32, 30, "Photo-Buch A5"},
        {33, 30, "Photo-Buch A5"},     {44, 30, "Photo-Buch A5"},     {41, 30, "Photo-Buch A5"},
        {42, 30, "Photo-Buch A5"},     {43, 30, "Photo-Buch A5"},     {71, 12, "Photo-Tischkalender A5"},
        {72, 12, "Photo-Tischkalender A5"}, {73, 12, "Photo-Tischkalender A5"}, {61, 12, "Photo-Kalender A4"},
        {62, 12, "Photo-Kalender A4"}, {63, 12, "Photo-Kalender A4"}, {64, 12, "Photo-Kalender A4"},
        {81, 30, "DIN A4"},            {82, 30, "DIN A4"},            {21, 50, "10x15cm"},
        {22, 50, "13x18 cm"},          {102, 20, "A4 (10x15)"},       {103, 20, "A4 (9x13)"},
        {104, 20, "Flaschenetiketten"}, {150, 10, "Photo-Ballon rund"}, {151, 10, "Photo-Ballon Herz"},
    };
    TWizzardStep root;
    BuildSteps(root, Localizer(), 2026);
    std::vector<int> leafCodes;
    ForEachStep(root, [&](const TWizzardStep& s) {
        if (!s.HasChildren() && !leafCodes.empty() && leafCodes.back() == s.ProductCode)
            return; // the other years of a layout
        if (!s.HasChildren())
            leafCodes.push_back(s.ProductCode);
    });
    ASSERT_EQ(leafCodes.size(), std::size(products));
    for (std::size_t i = 0; i < leafCodes.size(); ++i) {
        const auto& p = products[i];
        SCOPED_TRACE(p.Code);
        EXPECT_EQ(leafCodes[i], p.Code); // catalogue order
        EXPECT_EQ(ProductPageCount(p.Code), p.Pages);
        TFBDocument doc;
        doc.Modified = true;
        doc.FileName = QStringLiteral("/tmp/alt.tpb");
        ASSERT_TRUE(FinishWithProduct(doc, p.Code, QStringLiteral("2027")));
        EXPECT_EQ(doc.Pages.Count(), p.Pages);
        EXPECT_EQ(doc.Dokumentname, QString::fromUtf8(p.Name));
        EXPECT_TRUE(doc.FileName.isEmpty());
    }
}

TEST_F(WizzardTest, UnofferedCodesAndBadYearsLeaveTheDocumentAlone)
{
    const struct {
        int Code;
        const char* Year;
    } cases[] = {{0, "2026"}, {45, "2026"}, {65, "2026"}, {74, "2026"}, {105, "2026"}, {-1, ""},
                 {72, ""},    {72, "abc"},  {61, "0"},    {64, "-3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Code);
        TFBDocument doc;
        ApplyProductSetup(doc, 81, 3, 0);
        doc.Dokumentname = QStringLiteral("Urlaub");
        doc.Modified = true;
        EXPECT_FALSE(FinishWithProduct(doc, c.Code, QString::fromLatin1(c.Year)));
        EXPECT_EQ(doc.Pages.Count(), 3);
        EXPECT_EQ(doc.Dokumentname, QStringLiteral("Urlaub"));
        EXPECT_TRUE(doc.Modified);
    }
    TFBDocument doc;
    doc.Dokumentname = QStringLiteral("Urlaub");
    SetProductName(doc, 99);
    EXPECT_EQ(doc.Dokumentname, QStringLiteral("Urlaub"));
}

TEST_F(WizzardTest, NavigationDescendsGoesBackAndFinishes)
{
    TDateiNeuWizzard wiz(Localizer(), 2026);
    TWizzardStep& root = wiz.Root();
    EXPECT_EQ(wiz.CurrentLevel(), &root);
    EXPECT_EQ(wiz.SelectedIndex(), 0);
    EXPECT_FALSE(wiz.CanGoBack());
    EXPECT_FALSE(wiz.Zurueck());
    EXPECT_EQ(wiz.CurrentLevel(), &root);
    EXPECT_EQ(wiz.WeiterCaption(Localizer()), QStringLiteral("OK")); // Photo-Buch 10x15 is a leaf

    wiz.SelectIndex(2);
    EXPECT_EQ(wiz.WeiterCaption(Localizer()), QStringLiteral("Weiter >>"));
    wiz.SelectIndex(11); // out of range: unchanged
    EXPECT_EQ(wiz.SelectedIndex(), 2);

    TFBDocument doc;
    EXPECT_EQ(wiz.Weiter(&doc), TDateiNeuWizzard::TWeiterResult::Descended);
    EXPECT_EQ(wiz.CurrentLevel()->Caption, QStringLiteral("Photo-Tischkalender A5"));
    EXPECT_EQ(wiz.SelectedIndex(), 0);
    EXPECT_TRUE(wiz.CanGoBack());
    wiz.SelectIndex(1);
    EXPECT_EQ(wiz.Weiter(&doc), TDateiNeuWizzard::TWeiterResult::Descended);
    EXPECT_EQ(wiz.CurrentLevel()->Caption, QStringLiteral("Layout 2"));
    EXPECT_EQ(doc.Pages.Count(), 0); // nothing set up while browsing

    // Back keeps the step that was left selected, on every level.
    EXPECT_TRUE(wiz.Zurueck());
    EXPECT_EQ(wiz.CurrentLevel()->Caption, QStringLiteral("Photo-Tischkalender A5"));
    EXPECT_EQ(wiz.SelectedIndex(), 1);
    EXPECT_TRUE(wiz.Zurueck());
    EXPECT_EQ(wiz.CurrentLevel(), &root);
    EXPECT_EQ(wiz.SelectedIndex(), 2);

    EXPECT_EQ(wiz.Weiter(&doc), TDateiNeuWizzard::TWeiterResult::Descended);
    wiz.SelectIndex(1);
    EXPECT_EQ(wiz.Weiter(&doc), TDateiNeuWizzard::TWeiterResult::Descended);
    wiz.SelectIndex(2);
    ASSERT_EQ(wiz.SelectedStep()->Caption, QStringLiteral("2028"));
    EXPECT_EQ(wiz.WeiterCaption(Localizer()), QStringLiteral("OK"));
    EXPECT_EQ(wiz.Weiter(nullptr), TDateiNeuWizzard::TWeiterResult::Nothing);
    EXPECT_EQ(wiz.SelectedIndex(), 2);
    EXPECT_EQ(wiz.Weiter(&doc), TDateiNeuWizzard::TWeiterResult::Finished);

    EXPECT_EQ(doc.Dokumentname, QStringLiteral("Photo-Tischkalender A5"));
    EXPECT_EQ(doc.LayoutStil, 11); // desk calendar line, layout 2
    EXPECT_TRUE(doc.NurEinLayoutStil);
    ASSERT_EQ(doc.Pages.Count(), 12);
    for (int p = 0; p < 12; ++p) {
        const TFBPage* page = doc.Pages.Items(p);
        ASSERT_EQ(page->Kalenderlist.Count(), 1);
        const auto* k = static_cast<const TFBKalenderElement*>(page->Kalenderlist.Items(0));
        EXPECT_EQ(k->KalenderData().Jahr(), 2028);
        EXPECT_EQ(k->KalenderData().Monat(), p + 1);
    }
}

TEST(WizzardPictures, NamesAreCaseFreeAndAMissingOneIsAnError)
{
    TWizzardStep step;
    EXPECT_EQ(step.EffectivePictureName(), QStringLiteral("WIZ_START"));
    step.PictureName = QStringLiteral("wiz_Quarn_a4");
    EXPECT_EQ(step.EffectivePictureName(), QStringLiteral("WIZ_QUARN_A4"));
    EXPECT_EQ(WizzardPictureResource(QStringLiteral("wiz_quarn_a4")),
              QStringLiteral(":/images/wizard/WIZ_QUARN_A4.jpg"));
    EXPECT_THROW(LoadWizzardPicture(QStringLiteral("WIZ_NO_SUCH_PRODUCT")), Exception);
}

// The pictures are generated into the resources; every name the catalogue
// shows must be built in and decode to the display size.
TEST_F(WizzardTest, EveryCataloguePictureIsBuiltIn)
{
    TWizzardStep root;
    BuildSteps(root, Localizer(), 2026);
    const QStringList names = WizzardPictureNames(root);
    EXPECT_EQ(names.first(), QStringLiteral("WIZ_START"));
    EXPECT_EQ(names.size(), 28);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QImage image;
        try {
            image = LoadWizzardPicture(name.toLower());
        } catch (const Exception& e) {
            ADD_FAILURE() << e.message().toStdString();
            continue;
        }
        EXPECT_EQ(image.size(), QSize(400, 300));
        EXPECT_EQ(QImageReader(WizzardPictureResource(name)).format(), QByteArray("jpeg"));
    }
}

} // namespace
