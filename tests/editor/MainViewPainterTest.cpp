#include "editor/MainViewPainter.h"

#include "editor/Tracker.h"
#include "editor/ViewMapping.h"
#include "model/BildManager.h"
#include "model/DocumentTestUtil.h"
#include "model/ZadoveroDocument.h"
#include "render/BitmapDrawContext.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kMark(208, 208, 208);

// A document in a view of 860 x 660 pixels painted into its off-screen
// bitmap.
class MainViewPainterTest : public testing::Test {
protected:
    void Setup(int mode, int pages)
    {
        Doc.ScreenMode = std::uint8_t(mode);
        for (int i = 0; i < pages; ++i)
            AddPage(Doc);
        Mapping.SetDocument(&Doc);
        Mapping.Resize(860, 660);
    }

    const QImage& Paint(const TFBElement* selection = nullptr, TTracker* tracker = nullptr,
                        TRect update = kNoUpdateRect)
    {
        TMainViewPainter::TScene scene;
        scene.Mapping = &Mapping;
        scene.Selection = selection;
        scene.Tracker = tracker;
        EXPECT_TRUE(Painter.Paint(Dc, scene, update)) << qPrintable(Painter.LastError());
        return Bitmap;
    }

    TPointF Window(const TFBPage* page, float x, float y)
    {
        Mapping.SetupTransformation();
        TTransformation t;
        Mapping.PageTransformation(page, t);
        return t.TransformPoint(PointF(x, y));
    }
    QColor At(TPointF p) const { return Bitmap.pixelColor(int(p.X), int(p.Y)); }

    TFBPictureElement* RedPicture(TFBPage* page, float cx, float cy, float w, float h)
    {
        auto* frame = AddElement<TFBPictureElement>(page, cx, cy, w, h);
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        frame->SetRefIndex(Doc.Bildmanager().AddBitmap(red));
        return frame;
    }

    // Blue pixels in the row y between x0 and x1 (inclusive).
    int BlueRun(int y, int x0, int x1) const
    {
        int n = 0;
        for (int x = x0; x <= x1; ++x)
            n += Bitmap.pixelColor(x, y) == kBlue;
        return n;
    }
    int CountColor(const QRect& area, const QColor& color) const
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += Bitmap.pixelColor(x, y) == color;
        return n;
    }

    TTestServices Svc;
    TFBDocument Doc;
    TScrollModel Scroll;
    TViewMapping Mapping {Scroll};
    QImage Bitmap {OffscreenBitmapSize(QSize(), QSize(860, 660)), QImage::Format_RGB32};
    TBitmapDrawContext Dc {&Bitmap};
    TMainViewPainter Painter;
};

TEST(OffscreenBitmapTest, GrowsWithReserveAndShrinksOnlyWellBelow)
{
    struct Case {
        QSize Current, Client, Expected;
    } cases[] = {
        {{0, 0}, {860, 660}, {910, 710}},      {{910, 710}, {880, 700}, {910, 710}},
        {{910, 710}, {911, 700}, {961, 710}},  {{910, 710}, {760, 560}, {910, 710}},
        {{910, 710}, {759, 559}, {809, 609}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OffscreenBitmapSize(c.Current, c.Client), c.Expected)
            << c.Current.width() << "x" << c.Current.height() << " for " << c.Client.width();
}

TEST_F(MainViewPainterTest, BookCoverFramesThePagesAndShowsItsLabelWhereNoPageIs)
{
    Setup(1, 3);
    Doc.Pages.Items(0)->Seitenfarbe = RGBColor(10, 200, 30);
    Paint();
    // Background gradient from the top left to the bottom right.
    const QColor tl = Bitmap.pixelColor(0, 0);
    const QColor br = Bitmap.pixelColor(Bitmap.width() - 1, Bitmap.height() - 1);
    EXPECT_NEAR(tl.red(), 252, 1);
    EXPECT_NEAR(tl.blue(), 254, 1);
    EXPECT_NEAR(br.green(), 243, 1);
    EXPECT_NEAR(br.blue(), 238, 1);

    // View 0: page 0 on the right half, the cover with its label on the
    // empty left half.
    const TFBPage* p0 = Doc.Pages.Items(0);
    EXPECT_EQ(At(Window(p0, 100, 150)), QColor(10, 200, 30));
    Mapping.SetupTransformation();
    const TPointF coverTl = Mapping.Transformation().TransformPoint(PointF(10, 10));
    const TPointF coverBr = Mapping.Transformation().TransformPoint(PointF(200, 290));
    const QRect leftHalf(QPoint(int(coverTl.X), int(coverTl.Y)),
                         QPoint(int(coverBr.X), int(coverBr.Y)));
    EXPECT_EQ(At(coverTl), QColor(240, 240, 240));
    EXPECT_GT(CountColor(leftHalf, kMark), 200);

    // View 1: both pages hide the label; the cover margin shows.
    Mapping.SetViewIndex(1);
    Paint();
    EXPECT_EQ(CountColor(leftHalf, kMark), 0);
    Mapping.SetupTransformation();
    EXPECT_EQ(At(Mapping.Transformation().TransformPoint(PointF(2, 150))), QColor(240, 240, 240));
    EXPECT_EQ(At(Window(Doc.Pages.Items(1), 100, 150)), QColor(Qt::white));
}

TEST_F(MainViewPainterTest, ShadowFallsToTheLowerRightAlsoInATurnedView)
{
    for (const bool turned : {false, true}) {
        SCOPED_TRACE(turned ? "turned" : "upright");
        Doc.Pages.Clear();
        Setup(0, 1);
        Doc.Pages.Items(0)->Seitenausrichtung = turned ? 1 : 0;
        Paint();
        Mapping.SetupTransformation();
        const TRect r = Mapping.DisplayWindowRect();
        const int midY = (r.Top + r.Bottom) / 2;
        const int midX = (r.Left + r.Right) / 2;
        const QColor far = Bitmap.pixelColor(r.Right + 30, midY);
        EXPECT_LT(Bitmap.pixelColor(r.Right + 1, midY).red(), far.red() - 20);
        EXPECT_LT(Bitmap.pixelColor(midX, r.Bottom + 1).red(), far.red() - 20);
        EXPECT_NEAR(Bitmap.pixelColor(r.Left - 3, midY).red(),
                    Bitmap.pixelColor(r.Left - 20, midY).red(), 2);
        EXPECT_NEAR(Bitmap.pixelColor(midX, r.Top - 3).red(),
                    Bitmap.pixelColor(midX, r.Top - 20).red(), 2);
    }
}

TEST_F(MainViewPainterTest, SelectedFrameAndItsLinkedFrameGetATwoPixelBlueOutline)
{
    Setup(2, 2);
    TFBPage* left = Doc.Pages.Items(0);
    TFBPage* right = Doc.Pages.Items(1);
    TFBPictureElement* a = RedPicture(left, 150, 100, 100, 80);
    TFBPictureElement* b = RedPicture(right, 50, 100, 60, 80);
    TFBPictureElement* lone = RedPicture(right, 100, 220, 60, 40);
    TFBPictureLink* link = Doc.AddPictureLink();
    link->Add(a);
    link->Add(b);

    // The left edge of each frame at mid-height, in window pixels.
    const TPointF edgeA = Window(left, 100, 100);
    const TPointF edgeB = Window(right, 20, 100);
    const TPointF edgeLone = Window(right, 70, 220);
    const auto blueAt = [&](TPointF p) {
        const int x = int(std::lround(p.X));
        return BlueRun(int(p.Y), x - 4, x + 4);
    };

    Paint();
    EXPECT_EQ(blueAt(edgeA), 0);
    EXPECT_EQ(blueAt(edgeB), 0);
    EXPECT_EQ(At(Window(left, 150, 100)), QColor(Qt::red));

    Paint(b);
    EXPECT_EQ(blueAt(edgeA), 2);
    EXPECT_EQ(blueAt(edgeB), 2);
    EXPECT_EQ(blueAt(edgeLone), 0);
    // The outline has a clear brush: the picture still shows inside.
    EXPECT_EQ(At(Window(left, 150, 100)), QColor(Qt::red));

    Paint(lone);
    EXPECT_EQ(blueAt(edgeA), 0);
    EXPECT_EQ(blueAt(edgeLone), 2);
}

TEST_F(MainViewPainterTest, TextFramesShowCornerMarksOrADottedFrameWhenSelected)
{
    Setup(0, 1);
    TFBPage* page = Doc.Pages.Items(0);
    TFBTextElement* text = AddElement<TFBTextElement>(page, 100, 100, 80, 40);
    // The top edge between the corner marks.
    const TPointF l = Window(page, 70, 80);
    const TPointF r = Window(page, 130, 80);
    const QRect topEdge(QPoint(int(l.X), int(l.Y) - 1), QPoint(int(r.X), int(r.Y) + 1));
    const TPointF corner = Window(page, 60.5f, 80);
    const QRect cornerMark(QPoint(int(corner.X) - 1, int(corner.Y) - 1), QSize(3, 3));

    Paint();
    EXPECT_EQ(CountColor(topEdge, kMark), 0);
    EXPECT_GT(CountColor(cornerMark, kMark), 0);

    TTracker tracker;
    tracker.X = text->CenterX;
    tracker.Y = text->CenterY;
    tracker.Width = text->Width;
    tracker.Height = text->Height;
    tracker.Visible = true;
    Paint(text, &tracker);
    const int dotted = CountColor(topEdge, kMark);
    EXPECT_GT(dotted, topEdge.width() / 4);
    EXPECT_LT(dotted, topEdge.width() * 3 / 4);
    // The tracker's top-left handle sits on the frame's corner.
    EXPECT_EQ(At(Window(page, 60, 80)), QColor(0, 255, 0));

    tracker.Visible = false;
    Paint(text, &tracker);
    EXPECT_NE(At(Window(page, 60, 80)), QColor(0, 255, 0));
}

TEST_F(MainViewPainterTest, OnlyTheUpdateRectangleIsRepainted)
{
    Setup(0, 1);
    Bitmap.fill(QColor(255, 0, 255));
    Paint(nullptr, nullptr, TRect {100, 100, 200, 200});
    EXPECT_EQ(Bitmap.pixelColor(50, 50), QColor(255, 0, 255));
    EXPECT_EQ(Bitmap.pixelColor(99, 150), QColor(255, 0, 255));
    EXPECT_EQ(Bitmap.pixelColor(200, 150), QColor(255, 0, 255));
    EXPECT_NE(Bitmap.pixelColor(100, 150), QColor(255, 0, 255));
    EXPECT_NE(Bitmap.pixelColor(199, 199), QColor(255, 0, 255));
    // Afterwards the context draws anywhere again.
    EXPECT_EQ(Dc.UpdateRect(), kNoUpdateRect);
    EXPECT_EQ(Dc.ClipDepth(), 0);
}

TEST_F(MainViewPainterTest, FirstPageMarkerOnlyInTheFirstViewOfItsProducts)
{
    Setup(0, 2);
    Doc.PrintSetting = 2;
    const TPointF a = Window(Doc.Pages.Items(0), 60, 70);
    const TPointF b = Window(Doc.Pages.Items(0), 100, 70);
    const QRect top(QPoint(int(a.X), int(a.Y) - 1), QPoint(int(b.X), int(b.Y) + 1));
    Paint();
    EXPECT_GT(CountColor(top, kMark), 10);
    Mapping.SetViewIndex(1);
    Paint();
    EXPECT_EQ(CountColor(top, kMark), 0);
    Mapping.SetViewIndex(0);
    Doc.PrintSetting = 3;
    Paint();
    EXPECT_EQ(CountColor(top, kMark), 0);
}

} // namespace
