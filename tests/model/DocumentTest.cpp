// The document model: spreads, page operations, elements, picture
// references and links.

#include "app/Errors.h"
#include "calendar/Kalender.h"
#include "i18n/Localizer.h"
#include "model/BildManager.h"
#include "model/FrameOutline.h"
#include "model/ZadoveroDocument.h"
#include "storage/DataFile.h"
#include "model/DocumentTestUtil.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QHash>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void AddPages(TFBDocument& doc, int n)
{
    for (int i = 0; i < n; ++i)
        AddPage(doc);
}

QString Seite()
{
    return Localizer().Lookup(QStringLiteral("TFBDocument"), QStringLiteral("Seite"), QStringLiteral("Seite"));
}

// Every picture's count equals the number of elements holding it, and no
// element holds a picture the store does not have.
void ExpectRefCountsConsistent(const TFBDocument& doc)
{
    QHash<int, int> holders;
    for (int p = 0; p < doc.Pages.Count(); ++p) {
        const TFBPage* page = doc.Pages.Items(p);
        for (int i = 0; i < page->Piclist.Count(); ++i)
            if (int r = Frame(page, i)->RefIndex(); r != -1)
                ++holders[r];
        for (int i = 0; i < page->Elementlist.Count(); ++i)
            if (auto* c = dynamic_cast<TFBClipartElement*>(page->Elementlist.Items(i)); c && c->RefIndex() != -1)
                ++holders[c->RefIndex()];
    }
    const TBildmanager& store = doc.Bildmanager();
    for (auto it = holders.cbegin(); it != holders.cend(); ++it)
        EXPECT_NE(store.Find(it.key()), nullptr) << "held picture missing: " << it.key();
    for (int i = 0; i < store.Count(); ++i)
        EXPECT_EQ(store.Item(i).RefCount, holders.value(store.Item(i).RefIndex))
            << "picture " << store.Item(i).RefIndex;
}

QImage Solid(int w, int h, QColor c, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    img.fill(c);
    return img;
}

class DocumentTest : public ::testing::Test {
protected:
    TTestServices Services;
    TFBDocument Doc;
};

} // namespace

// --- spreads -----------------------------------------------------------------

TEST_F(DocumentTest, SpreadArithmetic)
{
    struct Case {
        int Mode, Pages, Spread, Left, Right;
        bool HasLeft, HasRight;
        const char* Name; // after "Seite "
    };
    const Case cases[] = {
        {1, 36, 0, -1, 0, false, true, "1"},
        {1, 36, 5, 9, 10, true, true, "10 - 11"},
        {1, 36, 18, 35, 36, true, false, "36"},
        {2, 5, 0, 0, 1, true, true, "1 - 2"},
        {2, 5, 1, 2, 3, true, true, "3 - 4"},
        {2, 5, 2, 4, 5, true, false, "5"}, // beyond the last spread shown
        {0, 3, 2, 2, 2, true, true, "3"},
        {0, 0, 0, 0, 0, false, false, "1"},
        {1, 0, 0, -1, 0, false, false, ""},
    };
    for (const Case& c : cases) {
        TFBDocument doc;
        doc.ScreenMode = std::uint8_t(c.Mode);
        AddPages(doc, c.Pages);
        SCOPED_TRACE(testing::Message() << "mode " << c.Mode << " pages " << c.Pages << " spread " << c.Spread);
        EXPECT_EQ(doc.LeftPageIndex(c.Spread), c.Left);
        EXPECT_EQ(doc.RightPageIndex(c.Spread), c.Right);
        EXPECT_EQ(doc.LeftPage(c.Spread) != nullptr, c.HasLeft);
        EXPECT_EQ(doc.RightPage(c.Spread) != nullptr, c.HasRight);
        EXPECT_EQ(doc.GetSpreadName(c.Spread), Seite() + ' ' + QString::fromLatin1(c.Name));
    }

    struct CountCase {
        int Mode, Pages, Spreads;
    };
    for (const CountCase& c : {CountCase{1, 36, 19}, {1, 35, 18}, {2, 5, 2}, {0, 7, 7}, {3, 7, 0}, {1, 0, 1}}) {
        TFBDocument doc;
        doc.ScreenMode = std::uint8_t(c.Mode);
        AddPages(doc, c.Pages);
        EXPECT_EQ(doc.SpreadCount(), c.Spreads) << "mode " << c.Mode << " pages " << c.Pages;
    }

    TFBDocument doc;
    doc.ScreenMode = 1;
    AddPages(doc, 36);
    for (int i = 0; i < 36; ++i) {
        const TFBPage* page = doc.Pages.Items(i);
        EXPECT_EQ(page->SpreadIndex(), (i + 1) / 2);
        EXPECT_EQ(page->IsLeftPage(), i % 2 == 1);
        const int s = page->SpreadIndex();
        EXPECT_TRUE(doc.LeftPage(s) == page || doc.RightPage(s) == page);
    }
}

TEST_F(DocumentTest, DisplaySizeAndPageOrigin)
{
    Doc.PageWidth = 210;
    Doc.PageHeight = 297;
    AddPages(Doc, 4);
    struct Case {
        int Mode;
        float W, H;
        float LeftX, LeftY, RightX, RightY; // origins of pages 1 and 2
    };
    const Case cases[] = {
        {0, 210, 297, 0, 0, 0, 0},
        {1, 430, 305, 4, 4, 216, 4},
        {2, 420, 297, 210, 0, 0, 0}, // mode 2: page 1 is a right page, page 2 a left one
        {5, 10, 10, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Doc.ScreenMode = std::uint8_t(c.Mode);
        float w = 0, h = 0;
        Doc.GetDisplaySize(w, h);
        EXPECT_FLOAT_EQ(w, c.W) << c.Mode;
        EXPECT_FLOAT_EQ(h, c.H) << c.Mode;
        TTransformation t1, t2;
        Doc.PageOrigin(t1, Doc.Pages.Items(1));
        Doc.PageOrigin(t2, Doc.Pages.Items(2));
        float x = 0, y = 0;
        t1.TransformPoint(0, 0, x, y);
        EXPECT_FLOAT_EQ(x, c.LeftX) << c.Mode;
        EXPECT_FLOAT_EQ(y, c.LeftY) << c.Mode;
        t2.TransformPoint(0, 0, x, y);
        EXPECT_FLOAT_EQ(x, c.RightX) << c.Mode;
        EXPECT_FLOAT_EQ(y, c.RightY) << c.Mode;
    }
}

TEST_F(DocumentTest, InsertSpreadCopiesLayoutAndOrientation)
{
    Doc.ScreenMode = 1;
    AddPages(Doc, 4);
    TFBPage* old1 = Doc.Pages.Items(1);
    TFBPage* old2 = Doc.Pages.Items(2);
    old1->Seitenausrichtung = 1;
    AddElement<TFBPictureElement>(old1, 50, 60, 70, 80)->SetSolidColor(clWhite);
    AddElement<TFBPictureElement>(old1, 150, 60, 30, 40);
    AddElement<TFBKalenderElement>(old2, 100, 200, 180, 90);
    AddElement<TFBTextElement>(old2, 10, 10, 10, 10);

    Doc.InsertSpread(1, 1);

    ASSERT_EQ(Doc.Pages.Count(), 6);
    EXPECT_EQ(Doc.SpreadCount(), 4);
    EXPECT_FALSE(Doc.Modified);
    EXPECT_EQ(Doc.Pages.Items(3), old1);
    EXPECT_EQ(Doc.Pages.Items(4), old2);
    const TFBPage* new1 = Doc.Pages.Items(1);
    const TFBPage* new2 = Doc.Pages.Items(2);
    EXPECT_EQ(new1->Seitenausrichtung, 1);
    EXPECT_EQ(new2->Seitenausrichtung, 0);
    ASSERT_EQ(new1->Piclist.Count(), 2);
    EXPECT_FLOAT_EQ(Frame(new1, 0)->CenterX, 50);
    EXPECT_FLOAT_EQ(Frame(new1, 0)->Height, 80);
    EXPECT_FALSE(Frame(new1, 0)->HasPicture());
    ASSERT_EQ(new2->Kalenderlist.Count(), 1);
    EXPECT_FLOAT_EQ(new2->Kalenderlist.Items(0)->Width, 180);
    EXPECT_EQ(new2->Elementlist.Count(), 0);
    ExpectRefCountsConsistent(Doc);
}

TEST_F(DocumentTest, MoveSpreadAndBack)
{
    Doc.ScreenMode = 1;
    AddPages(Doc, 8);
    std::vector<TFBPage*> old;
    for (int i = 0; i < 8; ++i)
        old.push_back(Doc.Pages.Items(i));
    auto order = [&] {
        std::vector<int> o;
        for (int i = 0; i < Doc.Pages.Count(); ++i)
            o.push_back(int(std::find(old.begin(), old.end(), Doc.Pages.Items(i)) - old.begin()));
        return o;
    };
    Doc.MoveSpread(1, 3);
    EXPECT_EQ(order(), (std::vector<int>{0, 3, 4, 5, 6, 1, 2, 7}));
    Doc.MoveSpread(3, 1);
    EXPECT_EQ(order(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));

    // Spreads that lack a page, or do not exist, are left alone.
    for (auto [from, to] : {std::pair{0, 2}, {2, 0}, {4, 1}, {1, 4}, {-1, 2}, {2, 5}, {1, 1}})
        Doc.MoveSpread(from, to);
    EXPECT_EQ(order(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_FALSE(Doc.Modified);
}

TEST_F(DocumentTest, InvalidSpreadIndicesChangeNothing)
{
    struct Case {
        int Mode, Pages;
        void (*Op)(TFBDocument&);
    };
    const Case cases[] = {
        {1, 4, [](TFBDocument& d) { d.InsertSpread(0, 1); }},  // before the cover
        {1, 4, [](TFBDocument& d) { d.InsertSpread(4, 1); }},  // beyond the end
        {1, 4, [](TFBDocument& d) { d.InsertSpread(1, 9); }},  // no such source
        {0, 2, [](TFBDocument& d) { d.InsertSpread(3, 0); }},
        {0, 2, [](TFBDocument& d) { d.InsertSpread(1, -1); }},
        {0, 0, [](TFBDocument& d) { d.InsertSpread(0, 0); }},  // no page to copy
        {1, 4, [](TFBDocument& d) { d.DeleteSpread(3); }},
        {2, 4, [](TFBDocument& d) { d.DeleteSpread(-1); }},
        {0, 2, [](TFBDocument& d) { d.DeleteSpread(2); }},
        {0, 2, [](TFBDocument& d) { d.MoveSpread(0, 2); }},
        {4, 2, [](TFBDocument& d) { d.InsertSpread(0, 0); }},
    };
    for (const Case& c : cases) {
        TFBDocument doc;
        doc.ScreenMode = std::uint8_t(c.Mode);
        AddPages(doc, c.Pages);
        c.Op(doc);
        EXPECT_EQ(doc.Pages.Count(), c.Pages) << "mode " << c.Mode;
        EXPECT_FALSE(doc.Modified);
    }
}

TEST_F(DocumentTest, DeleteSpreadFreesBothPagesAndSetsModified)
{
    Doc.ScreenMode = 1;
    AddPages(Doc, 6);
    TFBPage* keep3 = Doc.Pages.Items(3);
    AddElement<TFBPictureElement>(Doc.Pages.Items(1), 10, 10, 10, 10)->SetSolidColor(0x0000FF);
    Doc.DeleteSpread(1);
    EXPECT_EQ(Doc.Pages.Count(), 4);
    EXPECT_EQ(Doc.Pages.Items(1), keep3);
    EXPECT_TRUE(Doc.Modified);
    EXPECT_EQ(Doc.Bildmanager().Count(), 0);

    // Mode 1, spread 0 holds only page 0.
    Doc.DeleteSpread(0);
    EXPECT_EQ(Doc.Pages.Count(), 3);
    EXPECT_EQ(Doc.Pages.Items(0), keep3);
}

TEST_F(DocumentTest, CanDeleteAndInsertSpread)
{
    struct Case {
        int Mode, Pages, PrintSetting, Spread;
        bool CanDelete, CanInsert;
    };
    const Case cases[] = {
        {1, 8, 0, 0, false, false}, {1, 8, 0, 1, true, true},   {1, 8, 0, 3, true, true},
        {1, 8, 0, 4, false, false}, {2, 8, 0, 0, false, false}, {2, 8, 0, 2, true, true},
        {2, 8, 0, 3, false, false}, {0, 1, 0, 0, false, true},  {0, 2, 0, 1, true, true},
        {0, 13, 7, 3, false, false}, {1, 8, 16, 2, false, false},
    };
    for (const Case& c : cases) {
        TFBDocument doc;
        doc.ScreenMode = std::uint8_t(c.Mode);
        doc.PrintSetting = std::uint8_t(c.PrintSetting);
        AddPages(doc, c.Pages);
        EXPECT_EQ(doc.CanDeleteSpread(c.Spread), c.CanDelete) << c.Mode << "/" << c.Spread;
        EXPECT_EQ(doc.CanInsertSpread(c.Spread), c.CanInsert) << c.Mode << "/" << c.Spread;
    }
}

TEST_F(DocumentTest, SpreadOrientation)
{
    Doc.ScreenMode = 1;
    AddPages(Doc, 4);
    Doc.SetSpreadOrientation(1, 1);
    EXPECT_EQ(Doc.Pages.Items(1)->Seitenausrichtung, 1);
    EXPECT_EQ(Doc.Pages.Items(2)->Seitenausrichtung, 1);
    EXPECT_EQ(Doc.Pages.Items(3)->Seitenausrichtung, 0);
    Doc.Pages.Items(0)->Seitenausrichtung = 2;
    EXPECT_EQ(Doc.GetSpreadOrientation(0), 2); // only a right page
    EXPECT_EQ(Doc.GetSpreadOrientation(7), 0);
}

// --- calendars ---------------------------------------------------------------

TEST_F(DocumentTest, CalendarPageNamesAndStart)
{
    Doc.PrintSetting = 7;
    AddPages(Doc, 14);
    for (int i = 0; i < 4; ++i)
        AddElement<TFBKalenderElement>(Doc.Pages.Items(i), 100, 200, 180, 90);
    auto cal = [&](int page) {
        return &static_cast<TFBKalenderElement*>(Doc.Pages.Items(page)->Kalenderlist.Items(0))->KalenderData();
    };
    cal(0)->SetMonat(3);

    struct Case {
        int Spread;
        QString Name;
    };
    const Case cases[] = {
        {0, MonthName(3)},
        {5, MonthName(6)},
        {12, Localizer().Lookup(QStringLiteral("TFBDocument"), QStringLiteral("Titelseite"),
                                QStringLiteral("Titelseite"))},
        {13, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Doc.GetSpreadName(c.Spread), c.Name) << c.Spread;

    Doc.SetCalendarStart(2024, 11);
    const int expected[4][2] = {{11, 2024}, {12, 2024}, {1, 2025}, {2, 2025}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(cal(i)->Monat(), expected[i][0]) << i;
        EXPECT_EQ(cal(i)->Jahr(), expected[i][1]) << i;
    }
    int month = 0, year = 0;
    Doc.CalendarStart(month, year);
    EXPECT_EQ(month, 11);
    EXPECT_EQ(year, 2024);
}

TEST_F(DocumentTest, ApplyToAllCalendarsKeepsEachMonth)
{
    AddPages(Doc, 2);
    auto* a = AddElement<TFBKalenderElement>(Doc.Pages.Items(0), 1, 1, 1, 1);
    auto* b = AddElement<TFBKalenderElement>(Doc.Pages.Items(1), 1, 1, 1, 1);
    a->KalenderData().SetMonat(4);
    b->KalenderData().SetMonat(9);
    TKalenderData settings;
    settings.SetMonat(1);
    settings.Typ = ktVertical;
    settings.FontHeight = 33;
    Doc.ApplyToAllCalendars(settings);
    for (auto [el, month] : {std::pair{a, 4}, {b, 9}}) {
        EXPECT_EQ(el->KalenderData().Typ, ktVertical);
        EXPECT_FLOAT_EQ(el->KalenderData().FontHeight, 33);
        EXPECT_EQ(el->KalenderData().Monat(), month);
    }
}

// --- page operations -----------------------------------------------------------

TEST_F(DocumentTest, CopyLayoutFrom)
{
    AddPages(Doc, 2);
    TFBPage* src = Doc.Pages.Items(0);
    TFBPage* dst = Doc.Pages.Items(1);
    auto* f = AddElement<TFBPictureElement>(src, 30, 40, 50, 60);
    f->Angle = 12;
    f->RegionTyp = 1;
    f->SetSolidColor(0x00FF00);
    AddElement<TFBPictureElement>(src, 130, 40, 20, 10);
    AddElement<TFBKalenderElement>(src, 100, 250, 190, 80)->KalenderData().Typ = ktHorizontal;
    AddElement<TFBTextElement>(src, 5, 5, 5, 5);
    AddElement<TFBPictureElement>(dst, 1, 1, 1, 1)->SetSolidColor(0xFF0000);
    AddElement<TFBTextElement>(dst, 5, 5, 5, 5);

    dst->CopyLayoutFrom(src);
    ASSERT_EQ(dst->Piclist.Count(), 2);
    ASSERT_EQ(dst->Kalenderlist.Count(), 1);
    EXPECT_EQ(dst->Elementlist.Count(), 0);
    const TFBPictureElement* c = Frame(dst, 0);
    EXPECT_EQ(c->Page, dst);
    EXPECT_FLOAT_EQ(c->CenterX, 30);
    EXPECT_FLOAT_EQ(c->CenterY, 40);
    EXPECT_FLOAT_EQ(c->Width, 50);
    EXPECT_FLOAT_EQ(c->Height, 60);
    EXPECT_FLOAT_EQ(c->Angle, 0);
    EXPECT_EQ(c->RegionTyp, 0);
    EXPECT_FALSE(c->HasPicture());
    auto* k = static_cast<TFBKalenderElement*>(dst->Kalenderlist.Items(0));
    EXPECT_EQ(k->KalenderData().Typ, ktKalender4x7);
    EXPECT_FLOAT_EQ(k->Height, 80);
    ExpectRefCountsConsistent(Doc);

    dst->CopyLayoutFrom(nullptr);
    EXPECT_EQ(dst->Piclist.Count() + dst->Kalenderlist.Count(), 0);
}

TEST_F(DocumentTest, MoveElementToPage)
{
    AddPages(Doc, 2);
    TFBPage* a = Doc.Pages.Items(0);
    TFBPage* b = Doc.Pages.Items(1);
    auto* frame = AddElement<TFBPictureElement>(a, 1, 1, 1, 1);
    auto* cal = AddElement<TFBKalenderElement>(a, 1, 1, 1, 1);
    auto* text = AddElement<TFBTextElement>(a, 1, 1, 1, 1);
    for (TFBElement* el : std::initializer_list<TFBElement*>{frame, cal, text}) {
        Doc.Modified = false;
        Doc.MoveElementToPage(el, b);
        EXPECT_EQ(el->Page, b);
        EXPECT_EQ(el->IndexInList(), 0);
        EXPECT_TRUE(Doc.Modified);
    }
    EXPECT_EQ(a->Piclist.Count() + a->Kalenderlist.Count() + a->Elementlist.Count(), 0);

    auto* plain = a->Elementlist.Add(std::make_unique<TFBElement>(a));
    EXPECT_THROW(Doc.MoveElementToPage(plain, b), Exception);
}

TEST_F(DocumentTest, LastUsedPageAndContent)
{
    AddPages(Doc, 4);
    EXPECT_EQ(Doc.LastUsedPageIndex(), -1);
    auto* f = AddElement<TFBPictureElement>(Doc.Pages.Items(2), 1, 1, 1, 1);
    EXPECT_EQ(Doc.LastUsedPageIndex(), -1); // an empty frame is no content
    f->SetSolidColor(clWhite);
    EXPECT_EQ(Doc.LastUsedPageIndex(), 2);
    AddElement<TFBKalenderElement>(Doc.Pages.Items(3), 1, 1, 1, 1);
    EXPECT_EQ(Doc.LastUsedPageIndex(), 3);
}

TEST_F(DocumentTest, NextPictureElementSkipsPagesWithoutFrames)
{
    AddPages(Doc, 4);
    auto* a = AddElement<TFBPictureElement>(Doc.Pages.Items(0), 1, 1, 1, 1);
    auto* b = AddElement<TFBPictureElement>(Doc.Pages.Items(0), 1, 1, 1, 1);
    auto* c = AddElement<TFBPictureElement>(Doc.Pages.Items(2), 1, 1, 1, 1);
    EXPECT_EQ(a->NextPictureElement(), b);
    EXPECT_EQ(b->NextPictureElement(), c);
    EXPECT_EQ(c->NextPictureElement(), nullptr);
}

// --- picture frames ---------------------------------------------------------------

TEST_F(DocumentTest, SourceRectAndResolution)
{
    struct Case {
        int PicW, PicH;
        float W, H, Zoom, OffX, OffY;
        TRect Expected;
        int Dpi;
    };
    const Case cases[] = {
        {1000, 1000, 100, 50, 1, 0.5f, 0.5f, {0, 250, 1000, 750}, 254},
        {1000, 1000, 100, 50, 2, 0.5f, 0.5f, {250, 375, 750, 625}, 127},
        {1000, 1000, 100, 50, 1, 0.5f, 0, {0, 0, 1000, 500}, 254},
        {1000, 1000, 50, 100, 1, 1, 0.5f, {500, 0, 1000, 1000}, 254},
        // (1001 - 500) * 0.5 = 250.5 rounds to the even 250.
        {1000, 1001, 100, 50, 1, 0.5f, 0.5f, {0, 250, 1000, 750}, 254},
        // 0.5 * (1003 - 1000) = 1.5 rounds to 2.
        {1003, 500, 100, 50, 1, 0.5f, 0.5f, {2, 0, 1002, 500}, 254},
        {600, 400, 0, 50, 1, 0.5f, 0.5f, {}, 0},
        {600, 400, std::numeric_limits<float>::infinity(), 50, 1, 0.5f, 0.5f, {}, 0},
    };
    AddPages(Doc, 1);
    for (const Case& c : cases) {
        auto* f = AddElement<TFBPictureElement>(Doc.Pages.Items(0), 100, 100, c.W, c.H);
        f->SetRefIndex(-1);
        const int ref = Doc.Bildmanager().AddBitmap(Solid(c.PicW, c.PicH, Qt::red));
        f->SetRefIndex(ref);
        Doc.Bildmanager().DecRefCount(ref);
        f->SetZoom(c.Zoom);
        f->SetOffsetX(c.OffX);
        f->SetOffsetY(c.OffY);
        SCOPED_TRACE(testing::Message() << c.PicW << "x" << c.PicH << " frame " << c.W << "x" << c.H);
        EXPECT_EQ(f->SourceRect(0), c.Expected);
        EXPECT_EQ(f->GetResolution(), c.Dpi);
        Doc.Pages.Items(0)->Piclist.Remove(f);
    }
    auto* empty = AddElement<TFBPictureElement>(Doc.Pages.Items(0), 100, 100, 100, 50);
    EXPECT_EQ(empty->SourceRect(0), TRect());
    EXPECT_EQ(empty->GetResolution(), 0);
    ExpectRefCountsConsistent(Doc);
}

TEST_F(DocumentTest, SettersClamp)
{
    AddPages(Doc, 1);
    auto* f = AddElement<TFBPictureElement>(Doc.Pages.Items(0), 1, 1, 1, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float In, Zoom, Offset;
    };
    for (const Case& c : {Case{0.5f, 1, 0.5f}, {1.5f, 1.5f, 1}, {9, 4, 1}, {-2, 1, 0}, {nan, 1, 0.5f}}) {
        f->SetZoom(c.In);
        f->SetOffsetX(c.In);
        f->SetOffsetY(c.In);
        EXPECT_FLOAT_EQ(f->Zoom(), c.Zoom) << c.In;
        EXPECT_FLOAT_EQ(f->OffsetX(), c.Offset) << c.In;
        EXPECT_FLOAT_EQ(f->OffsetY(), c.Offset) << c.In;
    }
}

TEST_F(DocumentTest, FrameShapesAndElementAt)
{
    AddPages(Doc, 1);
    TFBPage* page = Doc.Pages.Items(0);
    auto* rect = AddElement<TFBPictureElement>(page, 50, 50, 40, 20);
    rect->Angle = 90; // now 20 wide, 40 high on the page
    auto* ellipse = AddElement<TFBPictureElement>(page, 150, 50, 40, 40);
    ellipse->RegionTyp = 1;
    auto* heart = AddElement<TFBPictureElement>(page, 105, 156, 10, 10); // the heart ignores the size
    heart->RegionTyp = 2;
    auto* text = AddElement<TFBTextElement>(page, 150, 50, 10, 10);
    auto* cal = AddElement<TFBKalenderElement>(page, 50, 50, 4, 4);

    struct Case {
        float X, Y;
        unsigned Kinds;
        TFBElement* Expected;
    };
    const Case cases[] = {
        {50, 68, ekPicture, rect},   // inside only after the turn
        {68, 50, ekPicture, nullptr},
        {150, 50, ekAll, text},      // free elements lie on top
        {150, 50, ekPicture, ellipse},
        {132, 50, ekPicture, ellipse},
        {133, 34, ekPicture, nullptr}, // corner of the box, outside the ellipse
        {50, 50, ekAll, cal},
        {50, 50, ekPicture, rect},
        {105, 100, ekPicture, nullptr}, // inside the heart, outside its 10 x 10 box
        {109, 160, ekPicture, heart},
    };
    for (const Case& c : cases)
        EXPECT_EQ(page->ElementAt(c.X, c.Y, c.Kinds), c.Expected) << c.X << "," << c.Y;

    // Heart outline in its own frame: the notch at the top is outside.
    struct Shape {
        int Typ;
        float X, Y;
        bool Inside;
    };
    for (const Shape& s : {Shape{2, 0, -80, true}, {2, 0, -90, false}, {2, 60, -60, true}, {2, 0, 92, true},
                           {2, 80, 60, false}, {1, 19.4f, 0, true}, {1, 18, 18, false}, {0, 19, 19, true}, {0, 21, 0, false}})
        EXPECT_EQ(FrameOutlineContains(s.Typ, 40, 40, s.X, s.Y), s.Inside) << s.Typ << ": " << s.X << "," << s.Y;
}

TEST_F(DocumentTest, ClipartSizeFromPicture)
{
    Doc.PageWidth = 210;
    Doc.PageHeight = 297;
    AddPages(Doc, 1);
    struct Case {
        int W, H;
        float Width, Height;
    };
    for (const Case& c : {Case{600, 300, 105, 52.5f}, {300, 600, 74.25f, 148.5f}, {30, 30, 105, 105}}) {
        const QString name = Services.TempPath(QStringLiteral("clip%1x%2.png").arg(c.W).arg(c.H));
        ASSERT_TRUE(Solid(c.W, c.H, Qt::blue).save(name));
        auto* clip = AddElement<TFBClipartElement>(Doc.Pages.Items(0), 0, 0, 1, 1);
        clip->LoadFromFile(name);
        EXPECT_FLOAT_EQ(clip->Width, c.Width) << c.W << "x" << c.H;
        EXPECT_FLOAT_EQ(clip->Height, c.Height) << c.W << "x" << c.H;
    }
    ExpectRefCountsConsistent(Doc);
}

TEST_F(DocumentTest, ClipartHitTestFollowsAlpha)
{
    AddPages(Doc, 1);
    // Left half transparent, right half opaque.
    QImage img(100, 50, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < 50; ++y)
        for (int x = 50; x < 100; ++x)
            img.setPixel(x, y, qRgba(0, 0, 255, 255));
    auto* clip = AddElement<TFBClipartElement>(Doc.Pages.Items(0), 0, 0, 20, 10);
    const int ref = Doc.Bildmanager().AddBitmap(img);
    clip->SetRefIndex(ref);
    Doc.Bildmanager().DecRefCount(ref);
    ASSERT_EQ(Doc.Bildmanager().GetBitmap(ref).format(), QImage::Format_ARGB32);

    struct Case {
        float X, Y;
        bool Hit;
    };
    for (const Case& c : {Case{-5, 0, false}, {5, 0, true}, {10, 5, true}, {-10, -5, false}, {10.5f, 0, false}})
        EXPECT_EQ(clip->HitTest(c.X, c.Y), c.Hit) << c.X << "," << c.Y;

    clip->Width = 0; // only the point on the degenerate rectangle hits
    EXPECT_TRUE(clip->HitTest(0, 0));
    clip->Width = 20;
    clip->SetRefIndex(-1);
    EXPECT_TRUE(clip->HitTest(-5, 0));
}

// --- references and links ----------------------------------------------------

TEST_F(DocumentTest, ReferenceCountsStayConsistent)
{
    Doc.ScreenMode = 1;
    AddPages(Doc, 3);
    TFBPage* left = Doc.Pages.Items(1);
    TFBPage* right = Doc.Pages.Items(2);
    auto* a = AddElement<TFBPictureElement>(left, 100, 100, 50, 50);
    auto* b = AddElement<TFBPictureElement>(right, 20, 100, 50, 50);
    auto* c = AddElement<TFBPictureElement>(right, 100, 200, 50, 50);
    auto* clip = AddElement<TFBClipartElement>(right, 10, 10, 10, 10);

    const std::vector<std::function<void()>> steps = {
        [&] { a->SetSolidColor(0x0000FF); },
        [&] { b->CopyPictureFrom(*a); },
        [&] { c->SetSolidColor(0x00FF00); },
        [&] { a->SwapPicture(*c); },
        [&] { a->SetRefIndex(a->RefIndex()); },
        [&] {
            TFBPictureLink* link = Doc.AddPictureLink();
            link->Add(a);
            link->Add(b);
            a->SetZoom(2);
        },
        [&] { b->SetSolidColor(0xFF0000); }, // synced into a
        [&] { clip->SetRefIndex(b->RefIndex()); },
        [&] { a->RotatePicture(0); },        // copy on write, synced
        [&] { c->ClearPicture(); },
        [&] { left->Piclist.Remove(a); },    // dissolves the link first
        [&] { b->RotatePicture(1); },
        [&] { Doc.Pages.Remove(right); },
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        steps[i]();
        SCOPED_TRACE(testing::Message() << "after step " << i);
        ExpectRefCountsConsistent(Doc);
    }
    EXPECT_EQ(Doc.Bildmanager().Count(), 0);
    EXPECT_TRUE(Doc.PictureLinks.empty());
}

TEST_F(DocumentTest, LinkedFramesShareOnePicture)
{
    Doc.ScreenMode = 1;
    Doc.PageWidth = 100;
    Doc.Stegbreite = 2;
    AddPages(Doc, 3);
    // Two frames meeting at the spine: 90..100 on the left page, 0..10 on the right.
    auto* a = AddElement<TFBPictureElement>(Doc.Pages.Items(1), 95, 50, 10, 20);
    auto* b = AddElement<TFBPictureElement>(Doc.Pages.Items(2), 5, 50, 10, 20);
    a->RegionTyp = 1;
    TFBPictureLink* link = Doc.AddPictureLink();
    link->Add(a);
    link->Add(b);
    link->Add(b); // already a member
    EXPECT_EQ(link->List.size(), 2u);

    EXPECT_EQ(link->GetUnionRect(a), RectF(90, 40, 112, 60));
    EXPECT_EQ(link->GetUnionRect(b), RectF(-12, 40, 10, 60));

    const int ref = Doc.Bildmanager().AddBitmap(Solid(220, 200, Qt::red));
    a->SetRefIndex(ref);
    Doc.Bildmanager().DecRefCount(ref);
    a->Sync();
    a->SetBorderWidth(1.5f);
    a->SetBorderColor(0x123456);
    EXPECT_EQ(b->RefIndex(), ref);
    EXPECT_FLOAT_EQ(b->BorderWidth(), 1.5f);
    EXPECT_EQ(b->BorderColor(), 0x123456u);
    EXPECT_EQ(b->RegionTyp, 0); // the shape is the frame's own
    // Union 22 x 20 over a 220 x 200 picture: each frame shows its 100 px share.
    EXPECT_EQ(a->SourceRect(0), (TRect{0, 0, 100, 200}));
    EXPECT_EQ(b->SourceRect(0), (TRect{120, 0, 220, 200}));
    ExpectRefCountsConsistent(Doc);

    Doc.Pages.Items(2)->Piclist.Remove(b);
    EXPECT_EQ(a->Link, nullptr);
    EXPECT_TRUE(Doc.PictureLinks.empty());
    ExpectRefCountsConsistent(Doc);
}

TEST_F(DocumentTest, ElementFactoryAndSlots)
{
    AddPages(Doc, 1);
    TFBPage* page = Doc.Pages.Items(0);
    struct Case {
        const char* Name;
        bool Created, ViaBitmap;
    };
    const Case cases[] = {
        {"TFBElement", true, false},          {"TFBPictureElement", true, true},
        {"TFBSizeableElement", true, false},  {"TFBKalenderElement", true, false},
        {"TFBTextElement", true, false},      {"TFBClipartElement", true, true},
        {"tfbtextelement", false, false},     {"TFBPictureLink", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TFBElement> el = CreateElement(QString::fromLatin1(c.Name), page);
        ASSERT_EQ(el != nullptr, c.Created) << c.Name;
        if (!el)
            continue;
        EXPECT_EQ(el->ClassName(), QString::fromLatin1(c.Name));
        EXPECT_EQ(el->Page, page);
        EXPECT_EQ(el->PrintsViaBitmap(), c.ViaBitmap) << c.Name;
    }
    TFBTextElement text(page);
    text.SetHasShadow(true);
    EXPECT_TRUE(text.PrintsViaBitmap());
    EXPECT_NE(text.ShadowBitmap(), nullptr);
    text.SetHasShadow(false);
    EXPECT_EQ(text.ShadowBitmap(), nullptr);
}

TEST_F(DocumentTest, RotatedSize)
{
    TFBElement el(nullptr);
    el.Width = 40;
    el.Height = 20;
    struct Case {
        float Angle, W, H;
    };
    for (const Case& c : {Case{0, 40, 20}, {180, 40, 20}, {90, 20, 40}, {-270, 20, 40}, {30, 44.641016f, 37.320508f}}) {
        el.Angle = c.Angle;
        float w = 0, h = 0;
        el.GetRotatedSize(w, h);
        EXPECT_NEAR(w, c.W, 1e-4) << c.Angle;
        EXPECT_NEAR(h, c.H, 1e-4) << c.Angle;
    }
}

TEST(LayoutTypen, SetText)
{
    EXPECT_EQ(LayoutTypenToString(0), QStringLiteral("[]"));
    EXPECT_EQ(LayoutTypenToString(LayoutTypBit(ltDINA4Randlos)), QStringLiteral("[ltDINA4Randlos]"));
    EXPECT_EQ(LayoutTypenToString(LayoutTypBit(ltPhotoBook86) | LayoutTypBit(ltKalenderA6)),
              QStringLiteral("[ltPhotoBook86,ltKalenderA6]"));

    struct Case {
        const char* Text;
        TFBLayoutTypen Set;
        bool Complete;
    };
    const Case cases[] = {
        {"[]", 0, true},
        {"[ltDINA4]", LayoutTypBit(ltDINA4), true},
        {" [ LTdina4 ,\tltKalenderA5 ] ", LayoutTypBit(ltDINA4) | LayoutTypBit(ltKalenderA5), true},
        {"[ltDINA4,ltNoSuch,ltKalenderA5]", LayoutTypBit(ltDINA4), false},
        {"[ltSingles10x15;ltDINA4]", LayoutTypBit(ltSingles10x15), false},
        {"garbage", 0, false},
        {"ltPhotobook10x15B", LayoutTypBit(ltPhotobook10x15B), true},
    };
    for (const Case& c : cases) {
        TFBLayoutTypen set = AllLayoutTypen;
        EXPECT_EQ(LayoutTypenFromString(QString::fromLatin1(c.Text), set), c.Complete) << c.Text;
        EXPECT_EQ(set, c.Set) << c.Text;
    }
    for (int m = 0; m < LayoutTypCount; ++m) {
        TFBLayoutTypen set = 0;
        LayoutTypenFromString(LayoutTypenToString(1u << m), set);
        EXPECT_EQ(set, 1u << m) << m;
    }
}

TEST_F(DocumentTest, EmbeddedRecordsCarryThePictureAcrossDocuments)
{
    Doc.ScreenMode = 1;
    AddPages(Doc, 3);
    TFBPage* left = Doc.Pages.Items(1);
    auto* frame = AddElement<TFBPictureElement>(left, 40, 50, 60, 70);
    frame->SetSolidColor(0x3060C0);
    frame->SetZoom(2);
    frame->SetBorderWidth(1.25f);
    frame->RegionTyp = 1;
    auto* text = AddElement<TFBTextElement>(left, 11, 12, 13, 14);
    text->Angle = 5;
    text->SetRTF(QStringLiteral("{\\rtf1 Hallo}"));
    text->SetVertAlign(1);
    auto* clip = AddElement<TFBClipartElement>(Doc.Pages.Items(2), 21, 22, 23, 24);
    const int clipRef = Doc.Bildmanager().AddBitmap(Solid(16, 8, Qt::green, QImage::Format_ARGB32));
    clip->SetRefIndex(clipRef);
    Doc.Bildmanager().DecRefCount(clipRef);

    auto record = [](const TFBElement& el) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadWrite);
        TMemoryDataFile file(buffer);
        el.WriteEmbeddedRecord(file, QStringLiteral("Clipboard"));
        return bytes;
    };
    auto paste = [](TFBElement& el, QByteArray bytes) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        TMemoryDataFile file(buffer);
        EXPECT_EQ(file.ReadString(QStringLiteral("Clipboard"), QStringLiteral("Classname"), QString()),
                  el.ClassName());
        el.ReadEmbeddedRecord(file, QStringLiteral("Clipboard"));
        return file.ReadBool(QStringLiteral("Clipboard"), QStringLiteral("IsLeftPage"), false);
    };

    TFBDocument other;
    AddPages(other, 1);
    TFBPage* page = other.Pages.Items(0);
    auto* slot = AddElement<TFBPictureElement>(page, 100, 100, 30, 30);
    auto* slot2 = AddElement<TFBPictureElement>(page, 150, 100, 30, 30);
    const QByteArray frameRecord = record(*frame);
    paste(*slot, frameRecord);
    paste(*slot2, frameRecord);
    EXPECT_FLOAT_EQ(slot->CenterX, 100); // a frame's slot keeps its place
    EXPECT_FLOAT_EQ(slot->Width, 30);
    EXPECT_FLOAT_EQ(slot->Zoom(), 2);
    EXPECT_FLOAT_EQ(slot->BorderWidth(), 1.25f);
    EXPECT_EQ(slot->RegionTyp, 1);
    EXPECT_FALSE(slot->CanZoomAndTrack);
    ASSERT_TRUE(slot->HasPicture());
    EXPECT_EQ(slot2->RefIndex(), slot->RefIndex()); // the same picture is shared
    EXPECT_EQ(other.Bildmanager().Count(), 1);
    EXPECT_EQ(QColor(slot->GetPicture().pixel(5, 5)), ToQColor(0x3060C0));

    TFBTextElement pastedText(page);
    EXPECT_TRUE(paste(pastedText, record(*text)));
    EXPECT_FLOAT_EQ(pastedText.CenterX, 11);
    EXPECT_FLOAT_EQ(pastedText.Height, 14);
    EXPECT_FLOAT_EQ(pastedText.Angle, 5);
    EXPECT_EQ(pastedText.RTF(), text->RTF());
    EXPECT_EQ(pastedText.VertAlign(), 1);

    auto* pastedClip = AddElement<TFBClipartElement>(page, 0, 0, 0, 0);
    EXPECT_FALSE(paste(*pastedClip, record(*clip))); // came from a right page
    EXPECT_FLOAT_EQ(pastedClip->Width, 23);
    ASSERT_NE(pastedClip->RefIndex(), -1);
    EXPECT_EQ(other.Bildmanager().GetBitmap(pastedClip->RefIndex()).size(), QSize(16, 8));
    ExpectRefCountsConsistent(other);

    // Pasting an empty frame empties the slot.
    auto* empty = AddElement<TFBPictureElement>(left, 1, 1, 1, 1);
    paste(*slot, record(*empty));
    EXPECT_FALSE(slot->HasPicture());
    ExpectRefCountsConsistent(other);
    ExpectRefCountsConsistent(Doc);
}
