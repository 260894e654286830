// The undo stack: every record class puts the document back byte for byte,
// pictures keep their counts, and stale records do nothing.

#include "model/BildManager.h"
#include "model/Undo.h"
#include "model/ZadoveroDocument.h"
#include "calendar/Kalender.h"
#include "storage/DataFile.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QColor>
#include <QHash>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

QByteArray Saved(const TFBDocument& doc)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    TMemoryDataFile file(buffer);
    doc.SaveToFile(file);
    return bytes;
}

// "path key" of the first entry that differs, for a readable failure.
std::string FirstDifference(QByteArray a, QByteArray b)
{
    QBuffer ba(&a), bb(&b);
    ba.open(QIODevice::ReadOnly);
    bb.open(QIODevice::ReadOnly);
    TMemoryDataFile fa(ba), fb(bb);
    fa.BuildCache();
    fb.BuildCache();
    const auto& ia = fa.Index();
    const auto& ib = fb.Index();
    for (std::size_t i = 0; i < std::max(ia.size(), ib.size()); ++i) {
        if (i >= ia.size() || i >= ib.size())
            return "entry count differs at " + std::to_string(i);
        QByteArray va, vb;
        fa.ReadBuffer(ia[i].Path, ia[i].Key, va);
        fb.ReadBuffer(ib[i].Path, ib[i].Key, vb);
        if (ia[i].Path != ib[i].Path || ia[i].Key != ib[i].Key || va != vb)
            return (ia[i].Path + QLatin1Char(' ') + ia[i].Key + QStringLiteral(" / ") + ib[i].Path
                    + QLatin1Char(' ') + ib[i].Key)
                .toStdString();
    }
    return "none";
}

TFBPictureElement* Frame(const TFBDocument& doc, int page, int i)
{
    return static_cast<TFBPictureElement*>(doc.Pages.Items(page)->Piclist.Items(i));
}

TFBElement* Free(const TFBDocument& doc, int page, int i)
{
    return doc.Pages.Items(page)->Elementlist.Items(i);
}

TFBKalenderElement* Calendar(const TFBDocument& doc, int page, int i)
{
    return static_cast<TFBKalenderElement*>(doc.Pages.Items(page)->Kalenderlist.Items(i));
}

template <class T>
T* Place(TFBPage* page, TFBElementList& list, float cx, float cy)
{
    auto el = std::make_unique<T>(page);
    el->CenterX = cx;
    el->CenterY = cy;
    el->Width = 40;
    el->Height = 30;
    return static_cast<T*>(list.Add(std::move(el)));
}

// Every picture's count equals the number of elements that hold it, and
// nothing holds a picture the store lacks.
void ExpectCountsMatchHolders(const TFBDocument& doc)
{
    QHash<int, int> holders;
    for (int p = 0; p < doc.Pages.Count(); ++p) {
        const TFBPage* page = doc.Pages.Items(p);
        for (int i = 0; i < page->Piclist.Count(); ++i)
            if (const int r = Frame(doc, p, i)->RefIndex(); r != -1)
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

class UndoTest : public ::testing::Test {
public:
    QString PictureFile(const QString& name, QColor color)
    {
        const QString path = Services.TempPath(name);
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(color);
        img.save(path, "PNG");
        return path;
    }

    void GiveClipartPicture(TFBClipartElement& clip)
    {
        QImage img(32, 32, QImage::Format_ARGB32);
        img.fill(QColor(240, 220, 0, 128));
        const int ref = Doc.Bildmanager().AddBitmap(img);
        clip.SetRefIndex(ref);
        Doc.Bildmanager().DecRefCount(ref); // AddBitmap counted it for us
    }

    // Six pages in two-page spreads (0-1, 2-3, 4-5), two frames and a
    // calendar on each page. Pictures are added in the order A (a file, on
    // page 0 and page 2), clip-art D on page 0 (or last, with clipartLast),
    // C (linked frames 1 of pages 2 and 3), B (page 3 frame 0, its only
    // holder). A picture that comes back from a record is appended to the
    // store again with the next free index, so the saved bytes are equal
    // when the pictures a command frees are the generated ones added last.
    void Build(bool clipartLast = false)
    {
        Doc.ScreenMode = 2;
        for (int p = 0; p < 6; ++p) {
            TFBPage* page = Doc.Pages.Add(std::make_unique<TFBPage>(&Doc));
            Place<TFBPictureElement>(page, page->Piclist, 50, 60);
            Place<TFBPictureElement>(page, page->Piclist, 120, 60);
            Place<TFBKalenderElement>(page, page->Kalenderlist, 100, 200)->KalenderData().SetMonat(p % 12 + 1);
        }
        TFBPage* p0 = Doc.Pages.Items(0);
        Place<TFBTextElement>(p0, p0->Elementlist, 30, 30)->SetRTF(QStringLiteral("{\\rtf1 Hallo}"));
        auto* clip = Place<TFBClipartElement>(p0, p0->Elementlist, 80, 80);
        TFBPage* p1 = Doc.Pages.Items(1);
        Place<TFBTextElement>(p1, p1->Elementlist, 60, 90)->SetRTF(QStringLiteral("{\\rtf1 Welt}"));

        Frame(Doc, 0, 0)->LoadPicture(PictureFile(QStringLiteral("a.png"), Qt::red));
        Frame(Doc, 2, 0)->CopyPictureFrom(*Frame(Doc, 0, 0));
        if (!clipartLast)
            GiveClipartPicture(*clip);
        TFBPictureLink* link = Doc.AddPictureLink();
        link->Add(Frame(Doc, 2, 1));
        link->Add(Frame(Doc, 3, 1));
        Frame(Doc, 2, 1)->SetSolidColor(RGBColor(20, 180, 20));
        Frame(Doc, 3, 0)->SetSolidColor(RGBColor(10, 20, 200));
        Frame(Doc, 3, 0)->SetZoom(1.5f);
        Frame(Doc, 3, 0)->SetOffsetX(0.2f);
        if (clipartLast)
            GiveClipartPicture(*clip);
        ExpectCountsMatchHolders(Doc);
    }

protected:
    TTestServices Services;
    TFBDocument Doc;
    TUndoManager Undo;
};

struct TCommandCase {
    const char* Name;
    bool ClipartLast;
    // Pushes the record and changes the document.
    std::function<void(UndoTest&, TFBDocument&, TUndoManager&)> Command;
};

} // namespace

TEST_F(UndoTest, EveryRecordPutsTheSavedDocumentBack)
{
    const TCommandCase cases[] = {
        {"fill the only holder of a picture", false,
         [](UndoTest& t, TFBDocument& d, TUndoManager& u) {
             u.AddBildEinfuegen(*Frame(d, 3, 0));
             Frame(d, 3, 0)->LoadPicture(t.PictureFile(QStringLiteral("e.png"), Qt::cyan));
         }},
        {"fill an empty frame", false,
         [](UndoTest& t, TFBDocument& d, TUndoManager& u) {
             u.AddBildEinfuegen(*Frame(d, 4, 0));
             Frame(d, 4, 0)->LoadPicture(t.PictureFile(QStringLiteral("e.png"), Qt::cyan));
         }},
        {"copy a shared picture over the only holder", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddBildEinfuegen(*Frame(d, 3, 0));
             Frame(d, 3, 0)->CopyPictureFrom(*Frame(d, 0, 0));
         }},
        {"colour", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddFarbeEinfuegen(*Frame(d, 3, 0));
             Frame(d, 3, 0)->SetSolidColor(RGBColor(200, 0, 0));
         }},
        {"remove the picture", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddBildLoeschen(*Frame(d, 3, 0));
             Frame(d, 3, 0)->ClearPicture();
         }},
        {"turn an unshared picture", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddBildDrehen(*Frame(d, 3, 0));
             Frame(d, 3, 0)->RotatePicture(0);
         }},
        {"filter an unshared picture", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             TFBPictureElement* f = Frame(d, 3, 0);
             u.AddBildFilter(*f);
             QImage img = f->GetPicture();
             img.invertPixels();
             ASSERT_EQ(d.Bildmanager().MakeUnique(f->RefIndex()), f->RefIndex());
             ASSERT_TRUE(d.Bildmanager().ReplaceBitmap(f->RefIndex(), img, QStringLiteral("A ")));
         }},
        {"border", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddBildRahmen(*Frame(d, 2, 1));
             Frame(d, 2, 1)->SetBorderWidth(3.5f);
             Frame(d, 2, 1)->SetBorderColor(RGBColor(1, 2, 3));
         }},
        {"zoom and pan", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddBildZoomPan(*Frame(d, 3, 0), true);
             Frame(d, 3, 0)->SetZoom(3);
             Frame(d, 3, 0)->SetOffsetY(0.9f);
         }},
        {"exchange pictures", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddBildAustauschen(*Frame(d, 3, 0), *Frame(d, 0, 0));
             Frame(d, 3, 0)->SwapPicture(*Frame(d, 0, 0));
         }},
        {"insert a spread", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddSeiteEinfuegen(1);
             d.InsertSpread(1, 2);
         }},
        {"move a spread", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddSeiteVerschieben(1, 2);
             d.MoveSpread(1, 2);
         }},
        {"delete a spread with pictures and a link", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddSeiteLoeschen(d, 1);
             d.DeleteSpread(1);
             ASSERT_TRUE(d.PictureLinks.empty());
         }},
        {"delete a spread with clip-art", true,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddSeiteLoeschen(d, 0);
             d.DeleteSpread(0);
         }},
        {"apply a layout", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddLayoutEinfuegen(d, 1);
             d.Pages.Items(2)->CopyLayoutFrom(d.Pages.Items(5));
             d.Pages.Items(3)->CopyLayoutFrom(d.Pages.Items(5));
         }},
        {"resize a text", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddElementSizePos(*Free(d, 0, 0));
             Free(d, 0, 0)->Width = 99;
             Free(d, 0, 0)->Angle = 30;
             u.AddToElementSizePos(*Free(d, 0, 0));
         }},
        {"move a text to the other page", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             TFBElement* text = Free(d, 0, 0);
             u.AddElementSizePos(*text);
             d.MoveElementToPage(text, d.Pages.Items(1));
             text->CenterX = 10;
             u.AddToElementSizePos(*text);
         }},
        {"move a text over and back in one drag", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             TFBElement* text = Free(d, 0, 0);
             u.AddElementSizePos(*text);
             d.MoveElementToPage(text, d.Pages.Items(1));
             d.MoveElementToPage(text, d.Pages.Items(0));
             text->CenterY = 150;
             u.AddToElementSizePos(*text);
             ASSERT_EQ(d.Pages.Items(0)->Elementlist.IndexOf(text), 1);
         }},
        {"move a clip-art", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             TFBElement* clip = Free(d, 0, 1);
             u.AddElementSizePos(*clip);
             d.MoveElementToPage(clip, d.Pages.Items(1));
             u.AddToElementSizePos(*clip);
         }},
        {"add a text", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             TFBPage* page = d.Pages.Items(4);
             TFBElement* text = Place<TFBTextElement>(page, page->Elementlist, 10, 10);
             u.AddElementEinfuegen(*text);
         }},
        {"delete a text", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddElementLoeschen(*Free(d, 0, 0));
             d.Pages.Items(0)->Elementlist.Delete(0);
         }},
        {"delete the only holder clip-art", true,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddElementLoeschen(*Free(d, 0, 1));
             d.Pages.Items(0)->Elementlist.Delete(1);
         }},
        {"calendar settings", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddKalenderEigenschaften(*Calendar(d, 2, 0));
             Calendar(d, 2, 0)->KalenderData().SetMonat(11);
             Calendar(d, 2, 0)->CenterX = 77;
         }},
        {"calendar start", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddKalenderJahrSetzen(d);
             d.SetCalendarStart(2031, 7);
         }},
        {"settings of all calendars", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddKalenderEigenschaftenFuerAlle(d);
             for (int p = 0; p < d.Pages.Count(); ++p)
                 Calendar(d, p, 0)->KalenderData().SetMonat(3);
         }},
        {"page background", false,
         [](UndoTest&, TFBDocument& d, TUndoManager& u) {
             u.AddSeitenhintergrund(*d.Pages.Items(3));
             d.Pages.Items(3)->Seitenfarbe = RGBColor(1, 200, 3);
         }},
    };

    for (const TCommandCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Doc.Clear();
        Undo.Clear();
        Build(c.ClipartLast);
        const QByteArray before = Saved(Doc);
        c.Command(*this, Doc, Undo);
        ASSERT_EQ(Undo.Count(), 1);
        ASSERT_NE(Saved(Doc), before) << "the command changed nothing";
        Undo.Undo(Doc);
        EXPECT_FALSE(Undo.CanUndo());
        const QByteArray after = Saved(Doc);
        EXPECT_TRUE(after == before) << FirstDifference(after, before);
        ExpectCountsMatchHolders(Doc);
    }
}

TEST_F(UndoTest, DeletedSpreadComesBackWithItsLinkAndPictures)
{
    Build();
    const QByteArray fileC = Doc.Bildmanager().Find(Frame(Doc, 2, 1)->RefIndex())->File;
    Undo.AddSeiteLoeschen(Doc, 1);
    Doc.DeleteSpread(1);
    ASSERT_EQ(Doc.Pages.Count(), 4);
    Undo.Undo(Doc);

    ASSERT_EQ(Doc.Pages.Count(), 6);
    ASSERT_EQ(Doc.PictureLinks.size(), 1u);
    const TFBPictureLink& link = *Doc.PictureLinks[0];
    ASSERT_EQ(link.List.size(), 2u);
    EXPECT_EQ(link.List[0], Frame(Doc, 2, 1));
    EXPECT_EQ(link.List[1], Frame(Doc, 3, 1));
    EXPECT_EQ(Frame(Doc, 2, 1)->RefIndex(), Frame(Doc, 3, 1)->RefIndex());
    EXPECT_EQ(Doc.Bildmanager().Find(Frame(Doc, 2, 1)->RefIndex())->File, fileC);
    // The shared picture was still in the store: taken, not added twice.
    EXPECT_EQ(Frame(Doc, 2, 0)->RefIndex(), Frame(Doc, 0, 0)->RefIndex());
    ExpectCountsMatchHolders(Doc);
}

TEST_F(UndoTest, RestoredPictureSurvivesWhenTheStoreReissuedItsIndex)
{
    // B is released by the fill; the new picture E then takes the next
    // index. Restoring must never hand the frame a freed or foreign index.
    Build();
    TFBPictureElement* f = Frame(Doc, 3, 0);
    const QByteArray fileB = Doc.Bildmanager().Find(f->RefIndex())->File;
    Undo.AddBildEinfuegen(*f);
    f->ClearPicture();
    Frame(Doc, 4, 0)->LoadPicture(PictureFile(QStringLiteral("e.png"), Qt::cyan));
    f->LoadPicture(PictureFile(QStringLiteral("f.png"), Qt::magenta));
    Undo.Undo(Doc);

    const TBildManagerListItem* item = Doc.Bildmanager().Find(f->RefIndex());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->File, fileB);
    EXPECT_FLOAT_EQ(f->Zoom(), 1.5f);
    EXPECT_FLOAT_EQ(f->OffsetX(), 0.2f);
    EXPECT_NE(f->RefIndex(), Frame(Doc, 4, 0)->RefIndex());
    ExpectCountsMatchHolders(Doc);
}

TEST_F(UndoTest, FillingALinkedFrameRestoresEveryMember)
{
    Build();
    const QByteArray fileC = Doc.Bildmanager().Find(Frame(Doc, 2, 1)->RefIndex())->File;
    Undo.AddBildEinfuegen(*Frame(Doc, 2, 1));
    Frame(Doc, 2, 1)->LoadPicture(PictureFile(QStringLiteral("e.png"), Qt::cyan));
    ASSERT_EQ(Frame(Doc, 3, 1)->RefIndex(), Frame(Doc, 2, 1)->RefIndex());
    Undo.Undo(Doc);
    EXPECT_EQ(Frame(Doc, 3, 1)->RefIndex(), Frame(Doc, 2, 1)->RefIndex());
    ASSERT_NE(Doc.Bildmanager().Find(Frame(Doc, 3, 1)->RefIndex()), nullptr);
    EXPECT_EQ(Doc.Bildmanager().Find(Frame(Doc, 3, 1)->RefIndex())->File, fileC);
    ExpectCountsMatchHolders(Doc);
}

TEST_F(UndoTest, DeletedClipartComesBackWithItsPicture)
{
    Build(); // the clip-art's picture is not the last one: it gets a new index
    auto* clip = static_cast<TFBClipartElement*>(Free(Doc, 0, 1));
    const QByteArray fileD = Doc.Bildmanager().Find(clip->RefIndex())->File;
    Undo.AddElementLoeschen(*clip);
    Doc.Pages.Items(0)->Elementlist.Delete(1);
    Frame(Doc, 5, 0)->LoadPicture(PictureFile(QStringLiteral("e.png"), Qt::cyan));
    Undo.Undo(Doc);
    clip = dynamic_cast<TFBClipartElement*>(Free(Doc, 0, 1));
    ASSERT_NE(clip, nullptr);
    const TBildManagerListItem* item = Doc.Bildmanager().Find(clip->RefIndex());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->File, fileD);
    ExpectCountsMatchHolders(Doc);
}

TEST_F(UndoTest, WheelZoomOnOneFrameMergesIntoOneRecord)
{
    Build();
    TFBPictureElement* a = Frame(Doc, 3, 0);
    TFBPictureElement* b = Frame(Doc, 0, 0);
    for (int step = 0; step < 10; ++step) {
        Undo.AddBildZoomPan(*a, true);
        a->SetZoom(a->Zoom() * 1.1f);
    }
    Undo.AddBildZoomPan(*b, true);
    b->SetZoom(2);
    EXPECT_EQ(Undo.Count(), 2);

    Undo.AddBildZoomPan(*b, false); // without merge every step counts
    EXPECT_EQ(Undo.Count(), 3);

    Undo.Undo(Doc);
    Undo.Undo(Doc);
    EXPECT_FLOAT_EQ(b->Zoom(), 1);
    Undo.Undo(Doc);
    EXPECT_FLOAT_EQ(a->Zoom(), 1.5f); // the state before the first step
    EXPECT_FALSE(Undo.CanUndo());
}

TEST_F(UndoTest, StackOperations)
{
    Build();
    Undo.Undo(Doc); // empty: nothing
    Undo.DropLast();
    Undo.AddToElementSizePos(*Free(Doc, 0, 0)); // no size record on top
    EXPECT_FALSE(Undo.CanUndo());

    Undo.AddSeitenhintergrund(*Doc.Pages.Items(0));
    Undo.AddToElementSizePos(*Free(Doc, 0, 0));
    Doc.Pages.Items(0)->Seitenfarbe = 5;
    Undo.AddBildFilter(*Frame(Doc, 3, 0));
    Undo.DropLast(); // the filter dialog was cancelled
    ASSERT_EQ(Undo.Count(), 1);
    EXPECT_EQ(Undo.Top()->Data().ReadInteger(QString(), QStringLiteral("DestPageIndex"), -1), -1);
    Undo.Undo(Doc);
    EXPECT_EQ(Doc.Pages.Items(0)->Seitenfarbe, 0xFFFFFFu);

    Undo.AddSeitenhintergrund(*Doc.Pages.Items(0));
    Undo.AddSeitenhintergrund(*Doc.Pages.Items(1));
    Undo.Clear();
    EXPECT_FALSE(Undo.CanUndo());
}

TEST_F(UndoTest, RecordsThatNoLongerFitDoNothing)
{
    // Each record addresses something that is gone by the time it is
    // undone; the document must stay exactly as it is.
    const std::function<void(TFBDocument&, TUndoManager&)> records[] = {
        [](TFBDocument& d, TUndoManager& u) { u.AddBildEinfuegen(*Frame(d, 5, 1)); },
        [](TFBDocument& d, TUndoManager& u) { u.AddBildRahmen(*Frame(d, 5, 1)); },
        [](TFBDocument& d, TUndoManager& u) { u.AddBildZoomPan(*Frame(d, 5, 1), false); },
        [](TFBDocument& d, TUndoManager& u) { u.AddBildAustauschen(*Frame(d, 5, 1), *Frame(d, 0, 0)); },
        [](TFBDocument&, TUndoManager& u) { u.AddSeiteEinfuegen(7); },
        [](TFBDocument& d, TUndoManager& u) { u.AddLayoutEinfuegen(d, 2); },
        [](TFBDocument& d, TUndoManager& u) { u.AddElementSizePos(*Free(d, 1, 0)); },
        [](TFBDocument& d, TUndoManager& u) { u.AddElementEinfuegen(*Free(d, 1, 0)); },
        [](TFBDocument& d, TUndoManager& u) { u.AddKalenderEigenschaften(*Calendar(d, 5, 0)); },
        [](TFBDocument& d, TUndoManager& u) { u.AddSeitenhintergrund(*d.Pages.Items(5)); },
    };
    int n = 0;
    for (const auto& record : records) {
        SCOPED_TRACE(testing::Message() << "record " << n++);
        Doc.Clear();
        Undo.Clear();
        Build();
        record(Doc, Undo);
        // Spread 2 goes and the text leaves page 1.
        Doc.DeleteSpread(2);
        Doc.Pages.Items(1)->Elementlist.Delete(0);
        const QByteArray before = Saved(Doc);
        Undo.Undo(Doc);
        EXPECT_EQ(Saved(Doc), before);
        ExpectCountsMatchHolders(Doc);
    }

    // A deleted spread whose place is gone is not put back anywhere.
    Doc.Clear();
    Undo.Clear();
    Build();
    Undo.AddSeiteLoeschen(Doc, 2);
    Doc.DeleteSpread(2);
    Doc.DeleteSpread(1);
    const QByteArray before = Saved(Doc);
    Undo.Undo(Doc);
    EXPECT_EQ(Saved(Doc), before);
}

namespace {

class TFakeHost : public IUndoUIHost {
public:
    TUndoUIState Now;
    int Applied = 0;
    TUndoUIState Last;
    TFBElement* Selected = nullptr;

    TUndoUIState CurrentUIState() const override { return Now; }
    void ApplyUIState(const TUndoUIState& state, TFBElement* element) override
    {
        ++Applied;
        Last = state;
        Selected = element;
    }
};

} // namespace

TEST_F(UndoTest, UIStateIsSavedWithTheRecordAndRestoredAfterUndo)
{
    Build();
    TFakeHost host;
    Undo.SetUIHost(&host);

    struct Case {
        TUndoUIState State;
        TFBElement* Expected;
    };
    const Case cases[] = {
        {{2, true, QStringLiteral("Pic"), 3, 1}, Frame(Doc, 3, 1)},
        {{0, true, QStringLiteral("Kalender"), 1, 0}, Calendar(Doc, 1, 0)},
        {{0, true, QStringLiteral("Sizeable"), 0, 1}, Free(Doc, 0, 1)},
        {{0, true, QStringLiteral("Sizeable"), 0, 5}, nullptr}, // gone
        {{0, true, QStringLiteral("Unbekannt"), 0, 0}, nullptr},
        {{1, false, QString(), -1, -1}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.State.Focustyp.toStdString());
        host.Now = c.State;
        Undo.AddSeitenhintergrund(*Doc.Pages.Items(0));
        host.Now = TUndoUIState{7, false, QString(), -1, -1};
        const int applied = host.Applied;
        Undo.Undo(Doc);
        ASSERT_EQ(host.Applied, applied + 1);
        EXPECT_EQ(host.Last.ViewIndex, c.State.ViewIndex);
        EXPECT_EQ(host.Last.HasFocusedElement, c.State.HasFocusedElement);
        EXPECT_EQ(host.Selected, c.Expected);
        // The window names its selection the same way.
        if (c.Expected) {
            const TUndoUIState back = UIStateOf(Doc, c.State.ViewIndex, c.Expected);
            EXPECT_TRUE(back.HasFocusedElement);
            EXPECT_EQ(back.Focustyp, c.State.Focustyp);
            EXPECT_EQ(back.PageIndex, c.State.PageIndex);
            EXPECT_EQ(back.ElementIndex, c.State.ElementIndex);
        }
    }
    EXPECT_FALSE(UIStateOf(Doc, 3, nullptr).HasFocusedElement);

    // A record pushed without a window carries no state: nothing is shown.
    Undo.SetUIHost(nullptr);
    Undo.AddSeitenhintergrund(*Doc.Pages.Items(0));
    Undo.SetUIHost(&host);
    const int applied = host.Applied;
    Undo.Undo(Doc);
    EXPECT_EQ(host.Applied, applied);
}
