// The template catalogue, the Layouts list filter and the product set-ups.

#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/BildManager.h"
#include "model/ZadoveroDocumentHelper.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <set>

namespace {

QStringList Keys(const TFBPageTemplateList& list)
{
    QStringList keys;
    for (const auto& t : list)
        keys << t->Key;
    return keys;
}

TEST(TemplateCatalogue, EveryRowIsSound)
{
    const TFBPageTemplateList& cat = PageTemplateCatalogue();
    ASSERT_EQ(cat.size(), 70u);
    std::multiset<QString> keys;
    for (const auto& t : cat) {
        SCOPED_TRACE(t->Key.toStdString() + " / " + t->Name.toStdString());
        keys.insert(t->Key);
        EXPECT_FALSE(t->Key.isEmpty());
        EXPECT_FALSE(t->Name.isEmpty());
        EXPECT_NE(t->Layouttypen, 0u);
        EXPECT_EQ(t->Layouttypen & ~AllLayoutTypen, 0u);
        EXPECT_LT(t->LayoutStil, LayoutStilCount);
        EXPECT_GT(t->Frames.Count(), 0);
        if (!t->Doppelseite) {
            EXPECT_EQ(t->LeftFrames.Count(), 0);
        }
        const float eps = 1e-3f;
        for (const TFBElementList* list : {&t->Frames, &t->LeftFrames})
            for (int i = 0; i < list->Count(); ++i) {
                const TFBElement* f = list->Items(i);
                EXPECT_GT(f->Width, 0);
                EXPECT_GT(f->Height, 0);
                if (f->Angle == 0) {
                    EXPECT_GE(f->Left(), -eps) << i;
                    EXPECT_GE(f->Top(), -eps) << i;
                    EXPECT_LE(f->Right(), t->PageWidth + eps) << i;
                    EXPECT_LE(f->Bottom(), t->PageHeight + eps) << i;
                } else { // turned frames may reach over the edge, not their centre
                    EXPECT_GE(f->CenterX, -eps) << i;
                    EXPECT_LE(f->CenterX, t->PageWidth + eps) << i;
                    EXPECT_GE(f->CenterY, -eps) << i;
                    EXPECT_LE(f->CenterY, t->PageHeight + eps) << i;
                }
            }
    }
    EXPECT_EQ(keys.count(QStringLiteral("FullSize3")), 3u);
    EXPECT_EQ(keys.count(QStringLiteral("GravoFullLayout4")), 2u);
    EXPECT_EQ(std::set<QString>(keys.begin(), keys.end()).size(), 67u);
}

TEST(TemplateCatalogue, FindPageTemplateTakesTheFirstMatchIgnoringCase)
{
    struct Case {
        QString Key;
        QString Name; // empty: none
        int Frames;
    };
    const Case cases[] = {
        {QStringLiteral("fullsize3"), QStringLiteral("Fullsize A"), 2},
        {QStringLiteral("GRAVOFULLLAYOUT4"), QStringLiteral("Layout 4"), 3},
        {QStringLiteral("QuarnPanorama Single"), QStringLiteral("Vesto K"), 1},
        {QStringLiteral("Ornata9"), QString(), 0},
        {QString(), QString(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Key.toStdString());
        const TFBPageTemplate* t = FindPageTemplate(c.Key);
        if (c.Name.isEmpty()) {
            EXPECT_EQ(t, nullptr);
            continue;
        }
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Name, c.Name);
        EXPECT_EQ(t->Frames.Count(), c.Frames);
    }
    const TFBPageTemplate* single = FindPageTemplate(QStringLiteral("QuarnPanorama Single"));
    EXPECT_TRUE(single->Doppelseite);
    EXPECT_FLOAT_EQ(single->LeftFrames.Items(0)->CenterX, 148.5f);
    EXPECT_FLOAT_EQ(single->Frames.Items(0)->Angle, -10);
}

// Every template draws its preview inside its cell. With LUMARBO_PREVIEW_DIR
// set, the sheet is also written there as templates.png for the eye.
TEST(TemplateCatalogue, PreviewSheet)
{
    const TFBPageTemplateList& cat = PageTemplateCatalogue();
    const int cellW = 160, cellH = 100, columns = 7;
    const int rows = (int(cat.size()) + columns - 1) / columns;
    QImage sheet(cellW * columns, cellH * rows, QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    for (int i = 0; i < int(cat.size()); ++i) {
        SCOPED_TRACE(cat[std::size_t(i)]->Key.toStdString());
        const QRect cell((i % columns) * cellW, (i / columns) * cellH, cellW, cellH);
        const QImage before = sheet.copy(cell);
        cat[std::size_t(i)]->DrawPreview(sheet, cell.adjusted(4, 4, -4, -4));
        const QImage after = sheet.copy(cell);
        int white = 0, outside = 0;
        for (int y = 0; y < cellH; ++y)
            for (int x = 0; x < cellW; ++x) {
                const bool inside = x >= 4 && y >= 4 && x < cellW - 4 && y < cellH - 4;
                if (!inside && after.pixel(x, y) != before.pixel(x, y))
                    ++outside;
                white += after.pixel(x, y) == qRgb(255, 255, 255);
            }
        EXPECT_EQ(outside, 0);
        EXPECT_GT(white, cellW * cellH / 10);
    }
    const QByteArray dir = qgetenv("LUMARBO_PREVIEW_DIR");
    if (!dir.isEmpty()) {
        QPainter p(&sheet);
        p.setPen(Qt::yellow);
        for (int i = 0; i < int(cat.size()); ++i)
            p.drawText((i % columns) * cellW + 6, (i / columns) * cellH + 14, cat[std::size_t(i)]->Key);
        p.end();
        EXPECT_TRUE(sheet.save(QString::fromLocal8Bit(dir) + QStringLiteral("/templates.png")));
    }
}

TEST(FillLayoutList, FilterAndOrder)
{
    TTestServices services;
    const QStringList ornataR = {"OrnataR1", "OrnataR2", "OrnataR3", "OrnataR4", "OrnataR5"};
    struct Case {
        const char* What;
        TFBLayoutTypen Types;
        int Style;
        bool Only;
        int Count;
        QStringList First;
    };
    const Case cases[] = {
        {"no layout types", 0, 5, false, 0, {}},
        {"no layout types, only style", 0, 0, true, 0, {}},
        {"borderless A5, style 5 first", 64, 5, false, 32,
         ornataR + QStringList{"LateoR2", "LateoR1", "LateoR3"}},
        {"A5 with margins", 2, 0, false, 27, {"Ornata1", "Ornata2"}},
        {"full-bleed only", 64, 4, true, 5, {"FullSize3", "FullSize1", "FullSize3", "FullSize3", "FullSize2"}},
        {"calendar style has no templates", 16384, 10, true, 0, {}},
        {"all", AllLayoutTypen, 0, false, 70, {"FullsizeBooklet1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TFBPageTemplateList list;
        list.push_back(std::make_unique<TFBPageTemplate>());
        FillLayoutList(list, c.Types, c.Style, c.Only);
        ASSERT_EQ(int(list.size()), c.Count);
        EXPECT_EQ(Keys(list).mid(0, c.First.size()), c.First);
    }

    TFBPageTemplateList list;
    FillLayoutList(list, 2, 0, false);
    for (const auto& t : list)
        EXPECT_TRUE(t->Layouttypen == 3 || t->Layouttypen == 66) << t->Key.toStdString();
    // The rest after the style-5 block keeps catalogue order.
    FillLayoutList(list, 64, 5, false);
    EXPECT_EQ(Keys(list).last(), QStringLiteral("QuarnPanorama Single"));
    EXPECT_EQ(Keys(list)[20], QStringLiteral("FullSize2"));
}

TEST(FillLayoutList, FrenchNamesSayPleinePage)
{
    TTestServices services;
    Localizer().CurrentLanguage = 2;
    TFBPageTemplateList list;
    FillLayoutList(list, 8, 0, false);
    Localizer().CurrentLanguage = 0;
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[1]->Name, QStringLiteral("Pleine page Panorama"));
    EXPECT_EQ(list[2]->Name, QStringLiteral("Border Single"));
    EXPECT_EQ(FindPageTemplate(QStringLiteral("FullsizeBooklet2"))->Name, QStringLiteral("Fullsize Panorama"));
}

// The centre and size of a frame or calendar.
struct TBox {
    float CX, CY, W, H;
};

void ExpectBox(const TFBElement* e, const TBox& b)
{
    EXPECT_NEAR(e->CenterX, b.CX, 1e-3);
    EXPECT_NEAR(e->CenterY, b.CY, 1e-3);
    EXPECT_NEAR(e->Width, b.W, 1e-3);
    EXPECT_NEAR(e->Height, b.H, 1e-3);
}

struct ProductCase {
    int Code;
    float PageW, PageH;
    const char* Paper;
    int PaperSize;
    float PaperW, PaperH;
    int PrintSetting;
    bool Borderless;
    TFBLayoutTypen Types;
    int ModeAndType;
    bool Shadows;
    const char* SubTyp;
    int Stil;
    int Pages;
    std::vector<TBox> Page1Frames; // of page index 1 (page 0 for one-page products)
    int RegionTyp;
};

TEST(ProductSetup, EveryProductCode)
{
    TTestServices services;
    const float a5 = 148.5f;
    // Book pages are given by their templates, scaled and (page 1 is a left
    // page) moved: "Ornata1" on 148.5 width, margins 5.5*s left, 12.75*s right.
    const float s = a5 / 163.5f;
    const ProductCase cases[] = {
        {31, a5, 210, "ID_DINA4", 9, 210, 297, 6, false, 2, 1, true, "Ornata", 1, 30,
         {{(5.5f + 145.25f / 2) * s, 54.75f, 145.25f * s, 96.5f}, {(5.5f + 145.25f / 2) * s, 155.25f, 145.25f * s, 96.5f}}, 0},
        {32, a5, 210, "ID_DINA4", 9, 210, 297, 6, false, 2, 1, true, "Lateo", 2, 30,
         {{(5.5f + 145.25f / 2) * s, 67.6875f, 145.25f * s, 70.625f}, {(5.5f + 145.25f / 2) * s, 142.3125f, 145.25f * s, 70.625f}}, 0},
        {33, a5, 210, "ID_DINA4", 9, 210, 297, 6, false, 2, 1, true, "Altivo", 3, 30,
         {{(163.5f - 12.75f - 112.75f / 2) * s, 54.75f, 112.75f * s, 96.5f}, {(163.5f - 12.75f - 112.75f / 2) * s, 155.25f, 112.75f * s, 96.5f}}, 0},
        {41, a5, 210, "ID_DINA4", 9, 210, 297, 5, true, 64, 1, false, "Ornata", 5, 30,
         {{76.5f, 54.75f, 144, 96.5f}, {76.5f, 155.25f, 144, 96.5f}}, 0},
        {42, a5, 210, "ID_DINA4", 9, 210, 297, 5, true, 64, 1, false, "Lateo", 6, 30,
         {{76.5f, 67.6875f, 144, 70.625f}, {76.5f, 142.3125f, 144, 70.625f}}, 0},
        {43, a5, 210, "ID_DINA4", 9, 210, 297, 5, true, 64, 1, false, "Altivo", 7, 30,
         {{148.5f - 112.75f / 2, 54.75f, 112.75f, 96.5f}, {148.5f - 112.75f / 2, 155.25f, 112.75f, 96.5f}}, 0},
        {44, a5, 210, "ID_DINA4", 9, 210, 297, 5, true, 64, 1, false, "Fullpage", 4, 30,
         {{74.25f, 51.75f, 148.5f, 103.5f}, {74.25f, 158.25f, 148.5f, 103.5f}}, 0},
        {21, 101.6f, 152.4f, "ID_10x15", -1, 101.6f, 152.4f, 3, true, 16, 0, false, "", 0, 50,
         {{50.8f, 76.2f, 101.6f, 152.4f}}, 0},
        {101, 101.6f, 152.4f, "ID_10x15", -1, 101.6f, 152.4f, 12, true, 16, 0, false, "", 0, 25,
         {{50.8f, 76.2f, 101.6f, 152.4f}}, 0},
        {22, 130, 180, "13x18 cm", -2, 130, 180, 11, true, 512, 0, false, "", 0, 50, {{65, 90, 130, 180}}, 0},
        {81, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 128, 0, true, "", 0, 30, {{105, 148.5f, 190, 277}}, 0},
        {82, 210, 297, "ID_DINA4", 9, 210, 297, 10, true, 256, 0, false, "", 0, 30, {{105, 148.5f, 210, 297}}, 0},
        {102, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 0, 0, false, "", 0, 20,
         {{105, 74.25f, 152, 102}, {105, 222.75f, 152, 102}}, 0},
        {103, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 0, 0, false, "", 0, 20,
         {{55, 80, 92, 132}, {155, 80, 92, 132}, {55, 217, 92, 132}, {155, 217, 92, 132}}, 0},
        {104, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 0, 0, false, "", 0, 20,
         {{55, 80, 82, 122}, {155, 80, 82, 122}, {55, 217, 82, 122}, {155, 217, 82, 122}}, 0},
        {150, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 0, 0, false, "", 0, 10, {{105, 155, 184, 184}}, 1},
        {151, 210, 297, "ID_DINA4", 9, 210, 297, 9, false, 0, 0, false, "", 0, 10, {{105, 156, 184, 186}}, 2},
    };
    for (const ProductCase& c : cases) {
        SCOPED_TRACE(c.Code);
        TFBDocument doc;
        doc.Dokumentname = QStringLiteral("alt");
        ASSERT_TRUE(ApplyProductSetup(doc, c.Code, c.Pages, 2027));
        EXPECT_FLOAT_EQ(doc.PageWidth, c.PageW);
        EXPECT_FLOAT_EQ(doc.PageHeight, c.PageH);
        EXPECT_EQ(doc.PrintPaperName, QString::fromUtf8(c.Paper));
        EXPECT_EQ(doc.PrintPaperSize, c.PaperSize);
        EXPECT_FLOAT_EQ(doc.PrintPaperWidth, c.PaperW);
        EXPECT_FLOAT_EQ(doc.PrintPaperHeight, c.PaperH);
        EXPECT_EQ(doc.PrintPaperType, QStringLiteral("ID_Photopapier_glänzend"));
        EXPECT_EQ(doc.PrintSetting, c.PrintSetting);
        EXPECT_EQ(doc.PrintBorderless, c.Borderless);
        EXPECT_EQ(doc.Layouttypen, c.Types);
        EXPECT_EQ(doc.DocType, c.ModeAndType);
        EXPECT_EQ(doc.ScreenMode, c.ModeAndType);
        EXPECT_EQ(doc.PictureShadowsAllowed, c.Shadows);
        EXPECT_EQ(doc.PicturesHaveShadows, c.Shadows);
        EXPECT_EQ(doc.LayoutSubTyp, QString::fromLatin1(c.SubTyp));
        EXPECT_EQ(doc.LayoutStil, c.Stil);
        EXPECT_FALSE(doc.NurEinLayoutStil);
        EXPECT_TRUE(doc.Dokumentname.isEmpty());
        ASSERT_EQ(doc.Pages.Count(), c.Pages);
        const bool book = c.ModeAndType == 1;
        if (book) { // the cover page gets one frame
            EXPECT_EQ(doc.Pages.Items(0)->Piclist.Count(), 1);
            EXPECT_EQ(doc.Pages.Items(2)->Piclist.Count(), int(c.Page1Frames.size()));
        }
        const TFBPage* page = doc.Pages.Items(book ? 1 : c.Pages - 1);
        ASSERT_EQ(page->Piclist.Count(), int(c.Page1Frames.size()));
        for (int i = 0; i < page->Piclist.Count(); ++i) {
            SCOPED_TRACE(i);
            const auto* f = static_cast<const TFBPictureElement*>(page->Piclist.Items(i));
            ExpectBox(f, c.Page1Frames[std::size_t(i)]);
            EXPECT_EQ(f->RegionTyp, c.RegionTyp);
            EXPECT_FLOAT_EQ(f->Angle, 0);
        }
        EXPECT_EQ(page->Seitenausrichtung, c.Code == 21 || c.Code == 22 || c.Code == 101 ? 1 : 0);
        EXPECT_EQ(page->Kalenderlist.Count(), 0);
        EXPECT_EQ(page->Elementlist.Count(), 0);
    }
}

struct CalendarCase {
    int Code;
    int PrintSetting;
    TFBLayoutTypen Types;
    float PageH;
    int Stil;
    TBox Kalender;
    int Typ;
    std::vector<TBox> Frames;
    float MonatJahrSize; // tells the presets apart
};

TEST(ProductSetup, Calendars)
{
    TTestServices services;
    std::vector<TBox> strip;
    for (int k = 0; k < 7; ++k)
        strip.push_back({15.0f + 30 * k, 133.5f, 30, 30});
    const CalendarCase cases[] = {
        {61, 7, 16384, 297, 10, {105, 110, 160, 170}, ktKalender4x7, {{105, 253, 210, 88}}, 15},
        {62, 7, 16384, 297, 11, {105, 245, 188, 70}, ktKalender4x7, {{105, 113, 188, 186}}, 20},
        {63, 7, 16384, 297, 12, {105, 282, 194, 20}, ktHorizontal, {{105, 131.5f, 210, 263}}, 40},
        {64, 7, 16384, 297, 13, {187, 148.5f, 46, 297}, ktVertical, {{82, 148.5f, 164, 297}}, 6.7f},
        {71, 8, 32768, 148.5f, 10, {169, 76, 60, 123}, ktKalender4x7, {{72, 76, 123, 123}}, 20},
        {72, 8, 32768, 148.5f, 11, {105, 60, 210, 105}, ktKalender4x7, strip, 15},
        {73, 8, 32768, 148.5f, 12, {105, 133, 190, 20}, ktHorizontal, {{105, 68, 210, 98}}, 40},
    };
    for (const CalendarCase& c : cases) {
        SCOPED_TRACE(c.Code);
        TFBDocument doc;
        ASSERT_TRUE(ApplyProductSetup(doc, c.Code, 3, 3000));
        EXPECT_FLOAT_EQ(doc.PageWidth, 210);
        EXPECT_FLOAT_EQ(doc.PageHeight, c.PageH);
        EXPECT_EQ(doc.PrintSetting, c.PrintSetting);
        EXPECT_TRUE(doc.PrintBorderless);
        EXPECT_EQ(doc.Layouttypen, c.Types);
        EXPECT_EQ(doc.ScreenMode, 0);
        EXPECT_FALSE(doc.PictureShadowsAllowed);
        EXPECT_TRUE(doc.NurEinLayoutStil);
        EXPECT_EQ(doc.LayoutStil, c.Stil);
        EXPECT_TRUE(doc.IsKalender());
        ASSERT_EQ(doc.Pages.Count(), 12);
        for (int p = 0; p < 12; ++p) {
            SCOPED_TRACE(p);
            const TFBPage* page = doc.Pages.Items(p);
            ASSERT_EQ(page->Kalenderlist.Count(), 1);
            const auto* k = static_cast<const TFBKalenderElement*>(page->Kalenderlist.Items(0));
            ExpectBox(k, c.Kalender);
            EXPECT_EQ(k->KalenderData().Monat(), p + 1);
            EXPECT_EQ(k->KalenderData().Jahr(), 2500); // clamped
            EXPECT_EQ(k->KalenderData().Typ, c.Typ);
            EXPECT_FLOAT_EQ(k->KalenderData().MonatJahrSize, c.MonatJahrSize);
            ASSERT_EQ(page->Piclist.Count(), int(c.Frames.size()));
            for (int i = 0; i < page->Piclist.Count(); ++i)
                ExpectBox(page->Piclist.Items(i), c.Frames[std::size_t(i)]);
        }
    }
}

TEST(ProductSetup, FullBleedBookGetsVestoPagesFromElevenPages)
{
    TTestServices services;
    for (int pages : {10, 11}) {
        SCOPED_TRACE(pages);
        TFBDocument doc;
        ASSERT_TRUE(ApplyProductSetup(doc, 44, pages, 0));
        for (int i = 0; i < pages; ++i) {
            const TFBPage* page = doc.Pages.Items(i);
            const bool vesto9 = pages > 10 && i == 9, vesto10 = pages > 10 && i == 10;
            const int frames = i == 0 ? 1 : vesto9 ? 2 : vesto10 ? 1 : 2;
            ASSERT_EQ(page->Piclist.Count(), frames) << i;
            EXPECT_FLOAT_EQ(page->Piclist.Items(0)->Angle, vesto9 ? -12.f : vesto10 ? 8.f : 0.f) << i;
        }
    }
}

TEST(ProductSetup, UnknownCodeLeavesTheDocumentAndPageCountsBelowOne)
{
    TTestServices services;
    TFBDocument doc;
    ASSERT_TRUE(ApplyProductSetup(doc, 81, 2, 0));
    doc.Dokumentname = QStringLiteral("Urlaub");
    for (int code : {0, 45, 100, 999, -1})
        EXPECT_FALSE(ApplyProductSetup(doc, code, 5, 2024)) << code;
    EXPECT_EQ(doc.Pages.Count(), 2);
    EXPECT_EQ(doc.PrintSetting, 9);
    EXPECT_EQ(doc.Dokumentname, QStringLiteral("Urlaub"));

    ASSERT_TRUE(ApplyProductSetup(doc, 31, -3, 0));
    EXPECT_EQ(doc.Pages.Count(), 1);
    EXPECT_EQ(doc.Pages.Items(0)->Piclist.Count(), 1);
}

TEST(ProductSetup, DefaultDocument)
{
    TTestServices services;
    TFBDocument doc;
    doc.Dokumentname = QStringLiteral("alt");
    SetupDefaultDocument(doc);
    EXPECT_EQ(doc.Pages.Count(), 1);
    EXPECT_EQ(doc.PrintSetting, 10);
    EXPECT_EQ(doc.Layouttypen, 256u);
    EXPECT_TRUE(doc.Dokumentname.isEmpty());
    ASSERT_EQ(doc.Pages.Items(0)->Piclist.Count(), 1);
    ExpectBox(doc.Pages.Items(0)->Piclist.Items(0), {105, 148.5f, 210, 297});
}

TEST(KalenderPreset, TrebuchetOnlyWhenInstalled)
{
    TTestServices services;
    for (bool installed : {true, false}) {
        SCOPED_TRACE(installed);
        const TFontFamilyCheck previous = SetFontFamilyCheck([installed](const QString& family) {
            return installed && family == QStringLiteral("Trebuchet MS");
        });
        TKalenderData k;
        k.Font.Name = QStringLiteral("Comic");
        ASSERT_TRUE(ApplyKalenderPreset(k, QStringLiteral("A4-2")));
        SetFontFamilyCheck(previous);
        const QString expected = installed ? QStringLiteral("Trebuchet MS") : QStringLiteral("Arial");
        EXPECT_EQ(k.Font.Name, expected);
        EXPECT_EQ(k.MonatJahrFont.Name, expected);
        EXPECT_EQ(k.MonatJahrFont.Style, TFontStyles(TFontStyle::Italic));
        EXPECT_EQ(k.MonatJahrFont.Color, 0x333333u);
        EXPECT_EQ(k.WochentagFont.Style, TFontStyles(TFontStyle::Bold));
        EXPECT_EQ(k.SondertagFont.Name, expected);
    }
}

TEST(KalenderPreset, ResetsFirstAndStoresPaddingsByName)
{
    TKalenderData k;
    k.TextColorSonntag = 0x123456;
    k.ShowMonatJahr = false;
    ASSERT_TRUE(ApplyKalenderPreset(k, QStringLiteral("A4-4")));
    EXPECT_EQ(k.TextColorSonntag, clRed);
    EXPECT_TRUE(k.ShowMonatJahr);
    // Given as left 5, top 2, right 22, bottom 10.
    EXPECT_FLOAT_EQ(k.SondertagRowPadding.Left, 5);
    EXPECT_FLOAT_EQ(k.SondertagRowPadding.Top, 2);
    EXPECT_FLOAT_EQ(k.SondertagRowPadding.Right, 22);
    EXPECT_FLOAT_EQ(k.SondertagRowPadding.Bottom, 10);
    EXPECT_EQ(k.SonderTagTextAlign, 10);
    EXPECT_EQ(k.MonatJahrFont.Color, clWhite);
    EXPECT_FALSE(k.ShowWochentage);

    k.FontHeight = 1;
    EXPECT_FALSE(ApplyKalenderPreset(k, QStringLiteral("A6-1")));
    EXPECT_FLOAT_EQ(k.FontHeight, 50); // only reset
}

} // namespace
