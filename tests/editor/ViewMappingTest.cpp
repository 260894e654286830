#include "editor/ViewMapping.h"

#include "model/DocumentTestUtil.h"
#include "model/ZadoveroDocument.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kA4W = 210;
constexpr float kA4H = 297;

// An A4 document in the given screen mode with n empty pages, and the
// mapping of a window of the given client size showing it.
struct TViewFixture {
    TFBDocument Doc;
    TScrollModel Scroll;
    TViewMapping Mapping {Scroll};

    TViewFixture(int mode, int pages, int clientW = 860, int clientH = 660)
    {
        Doc.ScreenMode = std::uint8_t(mode);
        Doc.PageWidth = kA4W;
        Doc.PageHeight = kA4H;
        for (int i = 0; i < pages; ++i)
            AddPage(Doc);
        Mapping.SetDocument(&Doc);
        Mapping.Resize(clientW, clientH);
    }

    // Window point of a document point of the display area.
    QPoint Window(float x, float y)
    {
        Mapping.SetupTransformation();
        const TPointF p = Mapping.Transformation().TransformPoint(PointF(x, y));
        return QPoint(int(std::lround(p.X)), int(std::lround(p.Y)));
    }
    // Window point of a point on a page of the current view.
    QPoint OnPage(const TFBPage* page, float x, float y)
    {
        Mapping.SetupTransformation();
        TTransformation t;
        Mapping.PageTransformation(page, t);
        const TPointF p = t.TransformPoint(PointF(x, y));
        return QPoint(int(std::lround(p.X)), int(std::lround(p.Y)));
    }
};

TEST(ViewMappingTest, FitsTheViewWithAMarginAndTurnsLandscapeViews)
{
    // Window position of the display area's origin and the pixels per
    // millimetre along its x axis (with the direction that axis takes on
    // screen) for a client area of 860 x 660 showing A4 pages.
    struct Case {
        const char* Name;
        int Mode;
        float TurnAngle; // 0: not turned
        int ClientW, ClientH;
        float Scale;
        float OriginX, OriginY;
        float AxisX, AxisY; // unit direction of the document x axis
    } cases[] = {
        {"single page", 0, 0, 860, 660, 600.0f / 297, 217.379f, 29.5f, 1, 0},
        {"single page turned", 0, 90, 860, 660, 800.0f / 297, 829.5f, 46.672f, 0, 1},
        {"single page turned back", 0, 270, 860, 660, 800.0f / 297, 29.5f, 612.328f, 0, -1},
        {"book spread", 1, 0, 860, 660, 800.0f / 430, 29.5f, 45.779f, 1, 0},
        {"book spread turned", 1, 90, 860, 660, 600.0f / 430, 642.291f, 29.5f, 0, 1},
        {"page pair", 2, 0, 860, 660, 800.0f / 420, 29.5f, 46.643f, 1, 0},
        {"tiny window keeps 0.1 px/mm", 0, 0, 50, 40, 0.1f, 14.0f, 4.65f, 1, 0},
        {"tiny turned window", 0, 90, 59, 59, 0.1f, 29 + 14.85f, 29 - 10.5f, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TViewFixture f(c.Mode, 4, c.ClientW, c.ClientH);
        if (c.TurnAngle != 0) {
            f.Doc.ScreenQuerformatWinkel = c.TurnAngle;
            f.Doc.SetSpreadOrientation(c.Mode == 1 ? 1 : 0, 1);
            f.Mapping.SetViewIndex(c.Mode == 1 ? 1 : 0);
        }
        EXPECT_EQ(f.Mapping.IsTurned(), c.TurnAngle != 0);
        f.Mapping.SetupTransformation();
        TTransformation& t = f.Mapping.Transformation();
        const TPointF o = t.TransformPoint(PointF(0, 0));
        const TPointF axis = t.TransformVector(PointF(1, 0));
        EXPECT_NEAR(o.X, c.OriginX, 0.01);
        EXPECT_NEAR(o.Y, c.OriginY, 0.01);
        EXPECT_NEAR(axis.X, c.Scale * c.AxisX, 1e-4);
        EXPECT_NEAR(axis.Y, c.Scale * c.AxisY, 1e-4);
    }
}

TEST(ViewMappingTest, ZeroDisplaySizeIsDrawnAsOneMillimetre)
{
    TViewFixture f(0, 1);
    f.Doc.PageWidth = 0;
    f.Mapping.SetupTransformation();
    const TRect r = f.Mapping.DisplayWindowRect();
    EXPECT_GT(r.Width(), 0);
    EXPECT_TRUE(f.Mapping.Transformation().Valid());
    float w = 0, h = 0;
    f.Mapping.DisplaySize(w, h);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, kA4H);
}

TEST(ViewMappingTest, ScrollBarsOnlyWhenZoomedAndThenCentred)
{
    TViewFixture f(1, 4);
    EXPECT_EQ(f.Scroll.ContentWidth(), 859);
    EXPECT_EQ(f.Scroll.ContentHeight(), 659);
    EXPECT_FALSE(f.Scroll.Bar(TScrollAxis::Horizontal).Shown());
    EXPECT_FALSE(f.Scroll.Bar(TScrollAxis::Vertical).Shown());
    EXPECT_EQ(f.Scroll.ScrollMax(TScrollAxis::Horizontal), 0);
    // Scrolling without a bar stays at 0.
    f.Scroll.SetScrollPos(TScrollAxis::Horizontal, 40);
    EXPECT_EQ(f.Scroll.ScrollPos(TScrollAxis::Horizontal), 0);

    // Zooming about the middle of the window starts the bars centred.
    f.Mapping.ZoomAt(430, 330, 2);
    const TScrollBarState h = f.Scroll.Bar(TScrollAxis::Horizontal);
    const TScrollBarState v = f.Scroll.Bar(TScrollAxis::Vertical);
    EXPECT_EQ((TScrollBarState {h.Min, h.Max, h.Page, 0}), (TScrollBarState {0, 1719, 860, 0}));
    EXPECT_EQ((TScrollBarState {v.Min, v.Max, v.Page, 0}), (TScrollBarState {0, 1319, 660, 0}));
    EXPECT_NEAR(h.Pos, (1719 - 860) / 2, 1);
    EXPECT_NEAR(v.Pos, (1319 - 660) / 2, 1);
    // Setting the bars up centres them exactly.
    f.Scroll.UpdateScrollBars();
    EXPECT_EQ(f.Scroll.ScrollPos(TScrollAxis::Horizontal), 429);
    EXPECT_EQ(f.Scroll.ScrollPos(TScrollAxis::Vertical), 329);
}

TEST(ViewMappingTest, ScrollStepsAreClampedToTheRange)
{
    TScrollModel s;
    s.SetClientSize(100, 100);
    s.SetContentSize(400, 100);
    ASSERT_EQ(s.ScrollPos(TScrollAxis::Horizontal), 150);
    struct Step {
        TScrollAction Action;
        int Track;
        int Expected;
    } steps[] = {
        {TScrollAction::LineDown, 0, 160}, {TScrollAction::PageDown, 0, 210},
        {TScrollAction::PageUp, 0, 160},   {TScrollAction::LineUp, 0, 150},
        {TScrollAction::Track, 77, 77},    {TScrollAction::Bottom, 0, 300},
        {TScrollAction::PageDown, 0, 300}, {TScrollAction::Top, 0, 0},
        {TScrollAction::LineUp, 0, 0},     {TScrollAction::Track, 1000, 300},
    };
    for (const Step& step : steps) {
        s.Scroll(TScrollAxis::Horizontal, step.Action, step.Track);
        EXPECT_EQ(s.ScrollPos(TScrollAxis::Horizontal), step.Expected);
    }
    // Content as large as the client still gets a (motionless) bar; the
    // vertical one is exactly that.
    EXPECT_TRUE(s.Bar(TScrollAxis::Vertical).Shown());
    s.Scroll(TScrollAxis::Vertical, TScrollAction::LineDown);
    EXPECT_EQ(s.ScrollPos(TScrollAxis::Vertical), 0);
}

TEST(ViewMappingTest, ZoomAtKeepsThePointUnderTheMouse)
{
    struct Case {
        float FromZoom;
        QPoint Mouse;
        float ToZoom;
    } cases[] = {
        {1, {430, 330}, 2},  {1, {123, 77}, 2},  {1, {800, 600}, 8}, {2, {700, 100}, 8},
        {8, {12, 640}, 3},   {3, {500, 250}, 1.5f}, {1.5f, {60, 400}, 7.25f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.FromZoom << " -> " << c.ToZoom << " at "
                                        << c.Mouse.x() << "," << c.Mouse.y());
        TViewFixture f(1, 4);
        f.Mapping.ZoomAt(430, 330, c.FromZoom);
        const TPointF before = f.Mapping.Transformation().InverseTransformPoint(
            PointF(float(c.Mouse.x()), float(c.Mouse.y())));
        EXPECT_EQ(f.Mapping.ZoomAt(c.Mouse.x(), c.Mouse.y(), c.ToZoom), c.FromZoom != c.ToZoom);
        EXPECT_EQ(f.Mapping.Zoom(), c.ToZoom);
        const TPointF after = f.Mapping.Transformation().TransformPoint(before);
        EXPECT_NEAR(after.X, c.Mouse.x(), 1.0);
        EXPECT_NEAR(after.Y, c.Mouse.y(), 1.0);
    }

    // Where the scroll range ends the point moves: back at zoom 1 there is
    // nothing to scroll.
    TViewFixture f(1, 4);
    f.Mapping.ZoomAt(430, 330, 4);
    const TPointF corner = f.Mapping.Transformation().InverseTransformPoint(PointF(20, 20));
    f.Mapping.ZoomAt(20, 20, 1);
    EXPECT_GT(f.Mapping.Transformation().TransformPoint(corner).X, 100);
}

TEST(ViewMappingTest, ZoomIsClampedAndAnUnchangedZoomReportsNothing)
{
    TViewFixture f(0, 1);
    EXPECT_FALSE(f.Mapping.ZoomAt(10, 10, 1));
    EXPECT_FALSE(f.Mapping.ZoomAt(10, 10, 0.25f));
    EXPECT_EQ(f.Mapping.Zoom(), 1);
    EXPECT_TRUE(f.Mapping.ZoomAt(10, 10, 20));
    EXPECT_EQ(f.Mapping.Zoom(), 8);
    EXPECT_FALSE(f.Mapping.ZoomAt(10, 10, NAN));
    EXPECT_EQ(f.Mapping.Zoom(), 8);
}

TEST(ViewMappingTest, ResizeKeepsTheRelativeScrollPosition)
{
    TViewFixture f(0, 1);
    f.Mapping.ZoomAt(430, 330, 4);
    f.Scroll.SetScrollPos(TScrollAxis::Horizontal, 500);
    const int oldMax = f.Scroll.ScrollMax(TScrollAxis::Horizontal);
    f.Mapping.Resize(1000, 660);
    const int newMax = f.Scroll.ScrollMax(TScrollAxis::Horizontal);
    EXPECT_EQ(newMax, 3999);
    EXPECT_EQ(f.Scroll.ScrollPos(TScrollAxis::Horizontal),
              int(std::lround(double(newMax) * 500 / oldMax)));
    // Back to zoom 1 the bars go and the position with them.
    f.Mapping.ZoomAt(500, 330, 1);
    EXPECT_EQ(f.Scroll.ScrollPos(TScrollAxis::Horizontal), 0);
    EXPECT_FALSE(f.Scroll.Bar(TScrollAxis::Horizontal).Shown());
}

TEST(ViewMappingTest, ViewIndexStaysWithinTheViews)
{
    TViewFixture f(1, 5); // views: [0], [1 2], [3 4]
    f.Mapping.SetViewIndex(7);
    EXPECT_EQ(f.Mapping.ViewIndex(), 2);
    f.Mapping.SetViewIndex(-3);
    EXPECT_EQ(f.Mapping.ViewIndex(), 0);
    f.Mapping.SetViewIndex(2);
    f.Doc.Pages.Delete(4);
    f.Doc.Pages.Delete(3);
    EXPECT_TRUE(f.Mapping.ClampViewIndex());
    EXPECT_EQ(f.Mapping.ViewIndex(), 1);
    EXPECT_FALSE(f.Mapping.ClampViewIndex());
    // A document without pages shows view 0 with nothing on it.
    while (f.Doc.Pages.Count() > 0)
        f.Doc.Pages.Delete(0);
    f.Mapping.ClampViewIndex();
    EXPECT_EQ(f.Mapping.ViewIndex(), 0);
    EXPECT_TRUE(f.Mapping.Pages().empty());
    const QPoint mid = f.Window(300, 150);
    EXPECT_EQ(f.Mapping.PageAt(mid.x(), mid.y()), nullptr);
    EXPECT_EQ(f.Mapping.ElementAt(mid.x(), mid.y(), ekAll), nullptr);
}

// Pages and elements of a book spread and of page pairs, found by window
// points.
TEST(ViewMappingTest, PageAtAndElementAtFollowTheSpreadLayout)
{
    TViewFixture f(1, 3);
    TFBPage* p0 = f.Doc.Pages.Items(0);
    TFBPage* p1 = f.Doc.Pages.Items(1);
    TFBPage* p2 = f.Doc.Pages.Items(2);
    const float u = f.Doc.Umschlagbreite;

    // View 0: page 0 alone on the right half.
    auto* solo = AddElement<TFBTextElement>(p0, 50, 50, 40, 20);
    QPoint pt = f.Window(u + 100, u + 100); // where a left page would be
    EXPECT_EQ(f.Mapping.PageAt(pt.x(), pt.y()), nullptr);
    EXPECT_EQ(f.Mapping.ElementAt(pt.x(), pt.y(), ekAll), nullptr);
    pt = f.OnPage(p0, 50, 50);
    EXPECT_EQ(f.Mapping.PageAt(pt.x(), pt.y()), p0);
    EXPECT_EQ(f.Mapping.ElementAt(pt.x(), pt.y(), ekAll), solo);

    // View 1: the left and right page, nothing in the spine gap or on the
    // cover margin or outside the display area.
    f.Mapping.SetViewIndex(1);
    auto* frame = AddElement<TFBPictureElement>(p1, 100, 150, 80, 60);
    auto* textLow = AddElement<TFBTextElement>(p1, 100, 150, 40, 20);
    auto* textHigh = AddElement<TFBTextElement>(p1, 110, 150, 40, 20);
    // The heart of the balloon products has a fixed size of 184 x 186 mm.
    auto* heart = AddElement<TFBPictureElement>(p2, 105, 156, 184, 186);
    heart->RegionTyp = 2;
    auto* oval = AddElement<TFBPictureElement>(p2, 100, 60, 60, 40);
    oval->RegionTyp = 1;
    auto* turned = AddElement<TFBTextElement>(p2, 100, 250, 60, 10);
    turned->Angle = 30;
    // Over the spine: the left page's element ends at its right edge, the
    // right page's begins 5 mm beyond its left edge.
    auto* leftEdge = AddElement<TFBTextElement>(p1, kA4W - 10, 20, 20, 20);
    auto* rightEdge = AddElement<TFBTextElement>(p2, 5, 15, 20, 10);

    struct Case {
        const char* Name;
        TFBPage* Page; // none: display area coordinates
        float X, Y;
        unsigned Lists;
        TFBPage* ExpectedPage;
        TFBElement* ExpectedElement;
    } cases[] = {
        {"left page", p1, 10, 10, ekAll, p1, nullptr},
        {"right page", p2, 200, 290, ekAll, p2, nullptr},
        {"spine gap", nullptr, u + kA4W + 1, 100, ekAll, nullptr, nullptr},
        {"cover margin", nullptr, 2, 100, ekAll, nullptr, nullptr},
        {"outside the display", nullptr, -20, 100, ekAll, nullptr, nullptr},
        {"later text above earlier", p1, 100, 150, ekAll, p1, textHigh},
        {"text above frame", p1, 85, 150, ekAll, p1, textLow},
        {"frames only", p1, 100, 150, ekPicture, p1, frame},
        {"texts only, beside them", p1, 135, 150, ekFree, p1, nullptr},
        {"frame near its corner", p1, 61, 121, ekAll, p1, frame},
        {"ellipse centre", p2, 100, 60, ekAll, p2, oval},
        {"ellipse corner misses", p2, 72, 42, ekAll, p2, nullptr},
        {"heart corner misses", p2, 15, 246, ekAll, p2, nullptr},
        {"heart middle", p2, 105, 176, ekAll, p2, heart},
        {"turned text inside its turn", p2, 122, 262, ekAll, p2, turned},
        {"turned text's unturned corner", p2, 128, 254, ekAll, p2, nullptr},
        {"left page left of the spine band", p1, kA4W - 1.5f, 25, ekAll, p1, leftEdge},
        {"spine band searches the right page", p1, kA4W - 0.5f, 15, ekAll, p1, rightEdge},
        {"spine band without a right element", p1, kA4W - 0.5f, 25, ekAll, p1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QPoint w = c.Page ? f.OnPage(c.Page, c.X, c.Y) : f.Window(c.X, c.Y);
        EXPECT_EQ(f.Mapping.PageAt(w.x(), w.y()), c.ExpectedPage);
        EXPECT_EQ(f.Mapping.ElementAt(w.x(), w.y(), c.Lists), c.ExpectedElement);
    }
}

TEST(ViewMappingTest, PagePairsAndTurnedViewsAreSearchedThroughTheMapping)
{
    TViewFixture f(2, 4);
    TFBPage* p2 = f.Doc.Pages.Items(2);
    TFBPage* p3 = f.Doc.Pages.Items(3);
    f.Doc.SetSpreadOrientation(1, 1);
    f.Mapping.SetViewIndex(1);
    ASSERT_TRUE(f.Mapping.IsTurned());
    auto* a = AddElement<TFBTextElement>(p2, 50, 50, 30, 30);
    auto* b = AddElement<TFBTextElement>(p3, 50, 50, 30, 30);
    // The left page's element reaches over onto the right page: in page
    // pairs the left page is searched without a bound.
    auto* wide = AddElement<TFBTextElement>(p2, kA4W, 200, 40, 20);
    QPoint pt = f.OnPage(p2, 50, 50);
    EXPECT_EQ(f.Mapping.PageAt(pt.x(), pt.y()), p2);
    EXPECT_EQ(f.Mapping.ElementAt(pt.x(), pt.y(), ekAll), a);
    pt = f.OnPage(p3, 50, 50);
    EXPECT_EQ(f.Mapping.PageAt(pt.x(), pt.y()), p3);
    EXPECT_EQ(f.Mapping.ElementAt(pt.x(), pt.y(), ekAll), b);
    pt = f.OnPage(p3, 10, 200);
    EXPECT_EQ(f.Mapping.PageAt(pt.x(), pt.y()), p3);
    EXPECT_EQ(f.Mapping.ElementAt(pt.x(), pt.y(), ekAll), wide);

    // Single pages: the view's page.
    TViewFixture single(0, 2);
    single.Mapping.SetViewIndex(1);
    pt = single.Window(5, 5);
    EXPECT_EQ(single.Mapping.PageAt(pt.x(), pt.y()), single.Doc.Pages.Items(1));
}

TEST(ViewMappingTest, InvalidationCoversTheTurnedElementAndItsLinkedFrames)
{
    TViewFixture f(2, 2);
    TFBPage* left = f.Doc.Pages.Items(0);
    TFBPage* right = f.Doc.Pages.Items(1);
    auto* text = AddElement<TFBTextElement>(left, 100, 100, 60, 20);
    text->Angle = 45;
    TViewInvalidation inv = f.Mapping.ElementInvalidation(text);
    ASSERT_FALSE(inv.Whole);
    ASSERT_EQ(inv.Rects.size(), 1u);
    // Every corner of the turned element lies inside, 10 pixels and more
    // from the edge.
    for (const float x : {-31.0f, 31.0f})
        for (const float y : {-11.0f, 11.0f}) {
            TTransformation t;
            f.Mapping.PageTransformation(left, t);
            t.Translate(100, 100);
            t.Rotate(45);
            const TPointF p = t.TransformPoint(PointF(x, y));
            EXPECT_GE(p.X, inv.Rects[0].Left + 10 - 0.5);
            EXPECT_LE(p.X, inv.Rects[0].Right - 10 + 0.5);
            EXPECT_GE(p.Y, inv.Rects[0].Top + 10 - 0.5);
            EXPECT_LE(p.Y, inv.Rects[0].Bottom - 10 + 0.5);
        }

    auto* a = AddElement<TFBPictureElement>(left, 180, 100, 60, 40);
    auto* b = AddElement<TFBPictureElement>(right, 30, 100, 60, 40);
    TFBPictureLink* link = f.Doc.AddPictureLink();
    link->Add(a);
    link->Add(b);
    inv = f.Mapping.ElementInvalidation(b);
    ASSERT_EQ(inv.Rects.size(), 2u);
    EXPECT_EQ(inv.Rects[0], f.Mapping.ElementWindowRect(a));
    EXPECT_EQ(inv.Rects[1], f.Mapping.ElementWindowRect(b));
    EXPECT_LT(inv.Rects[0].Left, inv.Rects[1].Left);

    auto* calendar = AddElement<TFBKalenderElement>(left, 100, 250, 150, 60);
    EXPECT_TRUE(f.Mapping.ElementInvalidation(calendar).Whole);
}

} // namespace
