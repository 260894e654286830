// Page templates: re-laying a page or a spread, the drag record and the
// preview.

#include "app/Codec1252.h"
#include "model/BildManager.h"
#include "model/ZadoveroPageTemplate.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

TFBPictureElement* Frame(const TFBPage* page, int i)
{
    return static_cast<TFBPictureElement*>(page->Piclist.Items(i));
}

TFBPictureElement* AddFrame(TFBPage* page, float cx, float cy, float w, float h)
{
    auto f = std::make_unique<TFBPictureElement>(page);
    f->CenterX = cx;
    f->CenterY = cy;
    f->Width = w;
    f->Height = h;
    return static_cast<TFBPictureElement*>(page->Piclist.Add(std::move(f)));
}

// A document of pages, each with the given frames; a non-zero entry of
// colours puts a colour picture into the frame.
struct TBook {
    TBook(int screenMode, float w, float h, const std::vector<std::vector<TColor>>& pages)
    {
        Doc.ScreenMode = std::uint8_t(screenMode);
        Doc.PageWidth = w;
        Doc.PageHeight = h;
        for (const auto& frames : pages) {
            TFBPage* page = Doc.Pages.Add(std::make_unique<TFBPage>(&Doc));
            for (TColor c : frames) {
                TFBPictureElement* f = AddFrame(page, 10, 10, 5, 5);
                if (c != 0)
                    f->SetSolidColor(c);
            }
        }
    }
    TFBPage* Page(int i) const { return Doc.Pages.Items(i); }
    TTestServices Services;
    TFBDocument Doc;
};

QByteArray Record(const TFBPageTemplate& t)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    t.SaveToStream(b);
    return b.data();
}

// An outline pixel within two pixels of x on row y.
bool OutlineNear(const QImage& img, int x, int y)
{
    for (int dx = -2; dx <= 2; ++dx)
        if (img.pixel(x + dx, y) == qRgb(128, 128, 128))
            return true;
    return false;
}

bool Load(TFBPageTemplate& t, const QByteArray& bytes)
{
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return t.LoadFromStream(b);
}

TEST(PageTemplate, AddFrameRectUsesTheCentre)
{
    TFBPageTemplate t;
    t.AddFrameRect(10, 20, 30, 40);
    t.AddLeftFrame(1, 2, 3, 4, -12);
    ASSERT_EQ(t.Frames.Count(), 1);
    EXPECT_FLOAT_EQ(t.Frames.Items(0)->CenterX, 25);
    EXPECT_FLOAT_EQ(t.Frames.Items(0)->CenterY, 40);
    EXPECT_EQ(t.Frames.Items(0)->Page, nullptr);
    ASSERT_EQ(t.LeftFrames.Count(), 1);
    EXPECT_FLOAT_EQ(t.LeftFrames.Items(0)->Angle, -12);
}

// Single templates: scaling, keeping pictured frames, and the margins of a
// left page.
TEST(PageTemplate, ApplyToSinglePage)
{
    const TColor red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;
    struct Expected {
        float Left, Top, Width, Height;
        TColor Picture; // 0: empty
    };
    struct Case {
        const char* What;
        int ScreenMode, PageIndex;
        float DocW, DocH;
        std::vector<TColor> Before;
        std::vector<std::array<float, 4>> Template; // rectangles on 148.5 x 210
        std::vector<Expected> After;
        int PicturesLeft;
    };
    const Case cases[] = {
        {"double width", 0, 0, 297, 210, {}, {{10, 20, 50, 30}, {70, 60, 20, 100}},
         {{20, 20, 100, 30, 0}, {140, 60, 40, 100, 0}}, 0},
        {"picture moves to the front", 0, 0, 148.5f, 210, {0, red, 0}, {{10, 10, 50, 50}, {80, 10, 50, 50}},
         {{10, 10, 50, 50, red}, {80, 10, 50, 50, 0}}, 1},
        {"pictures beyond the template go", 0, 0, 148.5f, 210, {red, green, blue}, {{10, 10, 50, 50}},
         {{10, 10, 50, 50, red}}, 1},
        {"empty template empties the page", 0, 0, 148.5f, 210, {red, 0}, {}, {}, 0},
        {"left page swaps the margins", 1, 1, 148.5f, 210, {0, 0}, {{10, 10, 50, 50}, {80, 100, 48.5f, 50}},
         {{20, 10, 50, 50, 0}, {90, 100, 48.5f, 50, 0}}, 0},
        {"right page keeps the margins", 1, 2, 148.5f, 210, {0}, {{10, 10, 118.5f, 50}},
         {{10, 10, 118.5f, 50, 0}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        std::vector<std::vector<TColor>> pages(std::size_t(c.PageIndex + 1));
        pages.back() = c.Before;
        TBook book(c.ScreenMode, c.DocW, c.DocH, pages);
        TFBPageTemplate t;
        t.PageWidth = 148.5f;
        t.PageHeight = 210;
        for (const auto& r : c.Template)
            t.AddFrameRect(r[0], r[1], r[2], r[3]);
        TFBPage* page = book.Page(c.PageIndex);
        t.ApplyTo(page);
        ASSERT_EQ(page->Piclist.Count(), int(c.After.size()));
        for (std::size_t i = 0; i < c.After.size(); ++i) {
            const TFBPictureElement* f = Frame(page, int(i));
            const Expected& e = c.After[i];
            EXPECT_NEAR(f->Left(), e.Left, 1e-3) << i;
            EXPECT_NEAR(f->Top(), e.Top, 1e-3) << i;
            EXPECT_NEAR(f->Width, e.Width, 1e-3) << i;
            EXPECT_NEAR(f->Height, e.Height, 1e-3) << i;
            EXPECT_EQ(f->Page, page);
            if (e.Picture == 0) {
                EXPECT_FALSE(f->HasPicture()) << i;
            } else {
                EXPECT_EQ(FromQColor(QColor(f->GetPicture().pixel(5, 5))), e.Picture) << i;
            }
        }
        // Pictures of deleted frames are released.
        EXPECT_EQ(book.Doc.Bildmanager().Count(), c.PicturesLeft);
        EXPECT_EQ(t.Frames.Count(), int(c.Template.size())); // the template is unchanged
    }
}

struct DoubleCase {
    const char* What;
    int PageIndex;
    bool WithLeftFrames;
    int Links;
};

// A book (screen mode 1): page 0 stands alone on the right, pages 1 and 2
// form the first full spread.
TEST(PageTemplate, ApplyToSpread)
{
    const DoubleCase cases[] = {
        {"first spread has only a right page", 0, false, 0},
        {"full spread, dropped on the left page", 1, false, 1},
        {"full spread, dropped on the right page", 2, true, 1},
    };
    for (const DoubleCase& c : cases) {
        SCOPED_TRACE(c.What);
        TBook book(1, 148.5f, 210, {{0}, {0x0000FF, 0x00FF00}, {0}});
        TFBPageTemplate t;
        t.PageWidth = 148.5f;
        t.PageHeight = 210;
        t.Doppelseite = true;
        t.AddFrameRect(0, 10, 140, 190);
        if (c.WithLeftFrames) {
            t.AddLeftFrameRect(8.5f, 10, 140, 190);
            t.AddLeftFrameRect(8.5f, 0, 10, 10);
        }
        t.ApplyTo(book.Page(c.PageIndex));
        ASSERT_EQ(int(book.Doc.PictureLinks.size()), c.Links);
        if (c.PageIndex == 0) {
            EXPECT_EQ(book.Page(0)->Piclist.Count(), 1);
            EXPECT_EQ(book.Page(1)->Piclist.Count(), 2); // untouched
            continue;
        }
        TFBPage* left = book.Page(1);
        TFBPage* right = book.Page(2);
        // Without left frames the frames serve the left page, moved so the
        // margins change places.
        EXPECT_EQ(left->Piclist.Count(), c.WithLeftFrames ? 2 : 1);
        EXPECT_NEAR(Frame(left, 0)->Left(), 8.5f, 1e-3);
        EXPECT_NEAR(Frame(right, 0)->Left(), 0, 1e-3);
        const TFBPictureLink* link = book.Doc.PictureLinks[0].get();
        EXPECT_EQ(link->List, (std::vector<TFBPictureElement*>{Frame(left, 0), Frame(right, 0)}));
        ASSERT_TRUE(Frame(right, 0)->HasPicture());
        EXPECT_EQ(FromQColor(QColor(Frame(right, 0)->GetPicture().pixel(5, 5))), 0x0000FFu);
    }
}

TEST(PageTemplate, SpreadWithoutFramesGetsNoLink)
{
    TBook book(1, 148.5f, 210, {{0}, {0x0000FF}, {0}});
    TFBPageTemplate t;
    t.PageWidth = 148.5f;
    t.PageHeight = 210;
    t.Doppelseite = true;
    t.ApplyTo(book.Page(1));
    EXPECT_TRUE(book.Doc.PictureLinks.empty());
    EXPECT_EQ(book.Page(1)->Piclist.Count(), 0);
    EXPECT_EQ(book.Page(2)->Piclist.Count(), 0);
}

TEST(PageTemplate, ReApplyingDissolvesTheOldLink)
{
    TBook book(1, 148.5f, 210, {{0}, {0}, {0}});
    TFBPageTemplate t;
    t.PageWidth = 148.5f;
    t.PageHeight = 210;
    t.Doppelseite = true;
    t.AddFrameRect(0, 10, 140, 190);
    t.ApplyTo(book.Page(1));
    t.ApplyTo(book.Page(2));
    ASSERT_EQ(book.Doc.PictureLinks.size(), 1u);
    EXPECT_EQ(book.Doc.PictureLinks[0]->List.size(), 2u);
}

TEST(PageTemplateRecord, SizeAndGoldenBytes)
{
    TFBPageTemplate t;
    t.PageWidth = 148.5f;
    t.PageHeight = 210;
    t.Name = QStringLiteral("A");
    const QByteArray set = LayoutTypenToString(t.Layouttypen).toLatin1();
    EXPECT_EQ(Record(t).size(), 4 + 4 + 5 + 1 + (4 + set.size()) + 4 + 4 + 4);

    t.Layouttypen = LayoutTypBit(ltPhotoBook85) | LayoutTypBit(ltKalenderA4);
    t.LayoutStil = 9;
    t.Doppelseite = true;
    t.AddFrameRect(0, 0, 2, 4);
    const QByteArray golden = QByteArray::fromHex("00801443" "00005243" "0100000041" "01"
                                                  "1c0000005b6c7450686f746f426f6f6b38352c6c744b616c656e64657241345d"
                                                  "09000000" "01000000"
                                                  "0000803f" "00000040" "00000040" "00008040" "00000000"
                                                  "00000000");
    EXPECT_EQ(Record(t).toHex(), golden.toHex());

    TFBPageTemplate back;
    back.AddFrameRect(1, 1, 1, 1);
    back.AddLeftFrameRect(1, 1, 1, 1);
    ASSERT_TRUE(Load(back, golden));
    EXPECT_EQ(back.Name, QStringLiteral("A"));
    EXPECT_EQ(back.Layouttypen, t.Layouttypen);
    EXPECT_EQ(back.LayoutStil, 9);
    EXPECT_TRUE(back.Doppelseite);
    EXPECT_FLOAT_EQ(back.PageWidth, 148.5f);
    ASSERT_EQ(back.Frames.Count(), 1);
    EXPECT_FLOAT_EQ(back.Frames.Items(0)->Height, 4);
    EXPECT_EQ(back.LeftFrames.Count(), 0);
}

TEST(PageTemplateRecord, EmptySetTextAndOddStyle)
{
    QByteArray bytes = QByteArray::fromHex("0000803f" "0000803f" "00000000" "00" "00000000" "c8000000"
                                           "00000000" "00000000");
    TFBPageTemplate t;
    t.Layouttypen = AllLayoutTypen;
    ASSERT_TRUE(Load(t, bytes));
    EXPECT_EQ(t.Layouttypen, 0u);
    EXPECT_EQ(t.LayoutStil, 200);
    EXPECT_EQ(t.StyleColor(), LayoutStilColor(0)); // outside the tint table
}

TEST(PageTemplateRecord, MalformedRecordsAreRejectedWhole)
{
    TFBPageTemplate source;
    source.PageWidth = 100;
    source.PageHeight = 100;
    source.Name = QStringLiteral("Quelle");
    source.AddFrameRect(0, 0, 10, 10);
    const QByteArray good = Record(source);
    const int nameAt = 8, framesAt = good.size() - 4 - 20 - 4;

    auto patched = [&](int at, const QByteArray& bytes) {
        QByteArray b = good;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QByteArray nanBytes(reinterpret_cast<const char*>(&nan), 4);
    struct Case {
        const char* What;
        QByteArray Bytes;
    };
    const Case cases[] = {
        {"cut short", good.left(good.size() - 1)},
        {"empty", QByteArray()},
        {"negative name length", patched(nameAt, QByteArray::fromHex("ffffffff"))},
        {"name longer than the record", patched(nameAt, QByteArray::fromHex("00000010"))},
        {"negative frame count", patched(framesAt, QByteArray::fromHex("feffffff"))},
        {"frame count beyond the record", patched(framesAt, QByteArray::fromHex("02000000"))},
        {"zero page width", patched(0, QByteArray(4, '\0'))},
        {"negative page height", patched(4, QByteArray::fromHex("000080bf"))},
        {"page width not a number", patched(0, nanBytes)},
        {"frame value not a number", patched(framesAt + 4, nanBytes)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TFBPageTemplate t;
        t.Name = QStringLiteral("alt");
        t.PageWidth = 5;
        t.AddFrameRect(1, 2, 3, 4);
        EXPECT_FALSE(Load(t, c.Bytes));
        EXPECT_EQ(t.Name, QStringLiteral("alt"));
        EXPECT_FLOAT_EQ(t.PageWidth, 5);
        EXPECT_EQ(t.Frames.Count(), 1);
    }
    TFBPageTemplate t;
    EXPECT_TRUE(Load(t, good));
    EXPECT_EQ(t.Name, QStringLiteral("Quelle"));
}

TEST(PageTemplatePreview, PageAndFramesAreCentredInTheRectangle)
{
    TFBPageTemplate t;
    t.PageWidth = 100;
    t.PageHeight = 200;
    t.AddFrameRect(0, 0, 50, 100); // top-left quarter
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::black);
    t.DrawPreview(img, QRect(0, 0, 200, 100));
    // The page box is 50 x 100 pixels in the middle: x 75..125.
    EXPECT_EQ(img.pixel(70, 50), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(130, 50), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(110, 75), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(88, 25), qRgb(255, 255, 255));
    EXPECT_TRUE(OutlineNear(img, 100, 25)); // the frame's right edge
    EXPECT_TRUE(OutlineNear(img, 75, 75));  // the page's left edge
}

TEST(PageTemplatePreview, DoubleTemplateMirrorsTheLeftPage)
{
    TFBPageTemplate t;
    t.PageWidth = 100;
    t.PageHeight = 100;
    t.Doppelseite = true;
    t.AddFrameRect(60, 10, 30, 80); // near the outer edge of the right page
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::black);
    t.DrawPreview(img, QRect(0, 0, 200, 100));
    // Frame outlines: right page x 160 and 190; mirrored left page x 10 and 40.
    EXPECT_TRUE(OutlineNear(img, 160, 50));
    EXPECT_TRUE(OutlineNear(img, 40, 50));
    EXPECT_FALSE(OutlineNear(img, 140, 50)); // not copied unmirrored
    EXPECT_EQ(img.pixel(60, 50), qRgb(255, 255, 255));
}

} // namespace
