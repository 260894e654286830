// The selection tracker: handle positions, hit testing, resizing from every
// handle (also of a turned frame), turning with snapping, hover cursors and
// the handle drawing.

#include "editor/Tracker.h"

#include "render/BitmapDrawContext.h"
#include "render/Canvas.h"
#include "render/DrawContext.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// A page whose origin is at window (30, 40) and which shows 2 pixels per
// millimetre, with a 100 x 50 mm frame centred at (100, 100) mm: the centre
// lies at window (230, 240).
class TrackerTest : public ::testing::Test {
protected:
    TrackerTest() : Dc(&Canvas)
    {
        SetMapping(2);
        T.X = 100;
        T.Y = 100;
        T.Width = 100;
        T.Height = 50;
    }

    void SetMapping(float zoom)
    {
        Dc.Transformation().Identity();
        Dc.Transformation().Translate(30, 40);
        Dc.Transformation().Scale(zoom, zoom);
    }

    QPointF Pos(int handle) { return T.HandlePosition(Dc, handle); }
    QPoint WindowPos(int handle) { return Pos(handle).toPoint(); }

    // Page position of a handle, independent of the window mapping.
    QPointF PagePos(int handle)
    {
        const QPointF p = Pos(handle);
        const TPointF d = Dc.Transformation().InverseTransformPoint(
            PointF(float(p.x()), float(p.y())));
        return QPointF(d.X, d.Y);
    }

    void Drag(int handle, std::vector<QPoint> steps)
    {
        const QPoint start = WindowPos(handle);
        ASSERT_TRUE(T.BeginDrag(Dc, start.x(), start.y()));
        ASSERT_EQ(T.Handle, handle);
        for (const QPoint& s : steps)
            T.DragTo(Dc, s.x(), s.y());
    }

    TCanvas Canvas;
    TDrawContext Dc;
    TTracker T;
};

void ExpectNear(QPointF actual, QPointF expected, double tolerance)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

TEST_F(TrackerTest, HandlePositions)
{
    const QPointF expected[] = {
        {130, 190}, {230, 190}, {330, 190}, {330, 240}, {330, 290},
        {230, 290}, {130, 290}, {130, 240}, {342, 240},
    };
    for (int h = 1; h <= 9; ++h) {
        SCOPED_TRACE(h);
        ExpectNear(Pos(h), expected[h - 1], 1e-3);
    }
    EXPECT_EQ(T.HandlePosition(Dc, 0), QPointF());
    EXPECT_EQ(T.HandlePosition(Dc, 10), QPointF());
}

TEST_F(TrackerTest, TurningHandleTwelvePixelsBeyondTheRightEdgeAtEveryZoom)
{
    struct Case {
        float Zoom;
        float Angle;
        QPointF Offset; // from handle 4 to handle 9
    };
    const Case cases[] = {
        {0.25f, 0, {12, 0}},  {2, 0, {12, 0}},  {8, 0, {12, 0}},
        {2, 90, {0, 12}},     {8, 180, {-12, 0}},
        {3, 30, {12 * std::cos(kPi / 6), 12 * std::sin(kPi / 6)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.Zoom << " angle " << c.Angle);
        SetMapping(c.Zoom);
        T.Angle = c.Angle;
        ExpectNear(Pos(9) - Pos(4), c.Offset, 1e-3);
    }
}

TEST_F(TrackerTest, OperationsLeaveTheMappingAsTheyFoundIt)
{
    const auto before = Dc.Transformation().Matrix();
    const int depth = Dc.Transformation().StackDepth();
    T.Angle = 30;
    int cursor = 0;
    const QPoint h4 = WindowPos(4);
    T.HitHandle(Dc, h4.x(), h4.y());
    T.HoverCursor(Dc, h4.x(), h4.y(), cursor);
    T.InvalidateHandles([](const QRect&) {}, Dc);
    T.BeginDrag(Dc, h4.x(), h4.y());
    T.DragTo(Dc, h4.x() + 7, h4.y() + 3);
    T.EndDrag(nullptr, Dc);
    T.Draw(Dc);
    EXPECT_EQ(Dc.Transformation().Matrix(), before);
    EXPECT_EQ(Dc.Transformation().StackDepth(), depth);
}

TEST_F(TrackerTest, HitsWithinFourPixelsAndMissesAtFive)
{
    const QPoint reach[] = {{4, 4}, {-4, -4}, {4, -4}, {-4, 4}, {0, 0}, {3, -2}};
    const QPoint miss[] = {{5, 0}, {-5, 0}, {0, 5}, {0, -5}, {5, 5}};
    for (int h = 1; h <= 9; ++h) {
        SCOPED_TRACE(h);
        const QPoint p = WindowPos(h);
        for (const QPoint& d : reach)
            EXPECT_EQ(T.HitHandle(Dc, p.x() + d.x(), p.y() + d.y()), h) << d.x() << "," << d.y();
        for (const QPoint& d : miss)
            EXPECT_EQ(T.HitHandle(Dc, p.x() + d.x(), p.y() + d.y()), 0) << d.x() << "," << d.y();
    }
    EXPECT_EQ(T.HitHandle(Dc, 230, 240), 0); // the middle of the frame
}

TEST_F(TrackerTest, LowerNumberWinsOnATinyFrame)
{
    // 3 x 2 mm, 6 x 4 pixels: every handle but the turning one is within
    // reach of the centre; 3 pixels right and down reach 4, 5 and 6.
    T.Width = 3;
    T.Height = 2;
    EXPECT_EQ(T.HitHandle(Dc, 230, 240), 1);
    EXPECT_EQ(T.HitHandle(Dc, 233, 243), 4);
    const QPoint h9 = WindowPos(9);
    EXPECT_EQ(T.HitHandle(Dc, h9.x(), h9.y()), 9);
}

TEST_F(TrackerTest, BeginDragTakesTheHandleUnderTheMouse)
{
    T.LastX = -1;
    T.LastY = -1;
    EXPECT_FALSE(T.BeginDrag(Dc, 230, 240));
    EXPECT_EQ(T.Handle, 0);
    EXPECT_EQ(T.LastX, -1);
    T.DragTo(Dc, 260, 260); // no handle: nothing moves
    EXPECT_EQ(T.Width, 100);
    EXPECT_EQ(T.X, 100);

    EXPECT_TRUE(T.BeginDrag(Dc, 333, 287));
    EXPECT_EQ(T.Handle, 5);
    EXPECT_EQ(T.LastX, 333);
    EXPECT_EQ(T.LastY, 287);
}

// Every handle of an unturned frame dragged 10 mm right and 6 mm down.
TEST_F(TrackerTest, ResizeFromEachHandle)
{
    struct Case {
        int Handle;
        float Width, Height, X, Y;
    };
    const Case cases[] = {
        {1, 90, 44, 105, 103},  {2, 100, 44, 100, 103}, {3, 110, 44, 105, 103},
        {4, 110, 50, 105, 100}, {5, 110, 56, 105, 103}, {6, 100, 56, 100, 103},
        {7, 90, 56, 105, 103},  {8, 90, 50, 105, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Handle);
        T.X = 100;
        T.Y = 100;
        T.Width = 100;
        T.Height = 50;
        const QPoint start = WindowPos(c.Handle);
        // In two steps: each measures from the previous one.
        Drag(c.Handle, {start + QPoint(8, 4), start + QPoint(20, 12)});
        EXPECT_NEAR(T.Width, c.Width, 1e-4);
        EXPECT_NEAR(T.Height, c.Height, 1e-4);
        EXPECT_NEAR(T.X, c.X, 1e-4);
        EXPECT_NEAR(T.Y, c.Y, 1e-4);
        EXPECT_EQ(T.LastX, start.x() + 20);
        EXPECT_EQ(T.LastY, start.y() + 12);
    }
}

TEST_F(TrackerTest, LeftEdgeDraggedAcrossTheRightOneTurnsOverOnEndDrag)
{
    T.Visible = false;
    // 120 mm to the right: the left edge ends 20 mm beyond the right one.
    Drag(8, {WindowPos(8) + QPoint(240, 0)});
    EXPECT_NEAR(T.Width, -20, 1e-4);
    EXPECT_NEAR(T.X, 160, 1e-4);

    std::vector<QRect> invalid;
    T.EndDrag([&](const QRect& r) { invalid.push_back(r); }, Dc);
    EXPECT_NEAR(T.Width, 20, 1e-4);
    EXPECT_NEAR(T.Height, 50, 1e-4);
    EXPECT_NEAR(T.X, 160, 1e-4);
    EXPECT_TRUE(T.Visible);
    // The old right edge (150 mm) is now the left one.
    EXPECT_NEAR(PagePos(8).x(), 150, 1e-3);
    ASSERT_EQ(invalid.size(), 9u);
    EXPECT_EQ(invalid[3], QRect(WindowPos(4) - QPoint(6, 6), QSize(12, 12)));
}

// On a turned frame the handle opposite the dragged one keeps its place on
// the page, whichever way the mouse moves.
TEST_F(TrackerTest, TurnedFrameKeepsTheOppositeEdge)
{
    for (int h = 1; h <= 8; ++h) {
        SCOPED_TRACE(h);
        T.X = 100;
        T.Y = 100;
        T.Width = 100;
        T.Height = 50;
        T.Angle = 30;
        const int opposite = (h + 3) % 8 + 1;
        const QPointF fixed = PagePos(opposite);
        const QPoint start = WindowPos(h);
        Drag(h, {start + QPoint(17, -9)});
        ExpectNear(PagePos(opposite), fixed, 2e-3);
        EXPECT_EQ(T.Angle, 30);
    }

    // Along the frame's own x axis handle 4 widens the frame by the
    // distance and nothing else.
    T.X = 100;
    T.Y = 100;
    T.Width = 100;
    T.Height = 50;
    const QPointF left = PagePos(8);
    const QPoint start = WindowPos(4);
    const double c = std::cos(kPi / 6), s = std::sin(kPi / 6);
    // 20 mm along the axis at 2 px/mm, from a whole-pixel start.
    ASSERT_TRUE(T.BeginDrag(Dc, start.x(), start.y()));
    const QPointF target = QPointF(start) + QPointF(40 * c, 40 * s);
    T.DragTo(Dc, int(std::lround(target.x())), int(std::lround(target.y())));
    EXPECT_NEAR(T.Width, 120, 0.5);
    EXPECT_NEAR(T.Height, 50, 1e-4);
    ExpectNear(PagePos(8), left, 2e-3);
}

TEST_F(TrackerTest, TurningSnapsByTheMouseDistance)
{
    struct Case {
        double Radius;
        float Step; // 0: free
        int Cursor;
    };
    const Case cases[] = {
        {40, 15, crTrackTurn15}, {60, 10, crTrackTurn10}, {100, 5, crTrackTurn5},
        {200, 1, crTrackTurn1},  {300, 0, crTrackTurn},
    };
    const double directions[] = {37.3, 101.0, 188.6, 301.7};
    for (const Case& c : cases) {
        for (const double dir : directions) {
            SCOPED_TRACE(testing::Message() << "radius " << c.Radius << " direction " << dir);
            T.Angle = 0;
            T.DragCursor = crTrackNone;
            Drag(9, {});
            const double a = dir * kPi / 180;
            const int x = 230 + int(std::lround(c.Radius * std::cos(a)));
            const int y = 240 + int(std::lround(c.Radius * std::sin(a)));
            T.DragTo(Dc, x, y);
            const double seen = std::atan2(y - 240.0, x - 230.0) * 180 / kPi;
            const double wanted = c.Step > 0 ? std::round(seen / c.Step) * c.Step : seen;
            EXPECT_NEAR(std::remainder(T.Angle - wanted, 360.0), 0, 1e-3);
            if (c.Step > 0) {
                EXPECT_NEAR(std::remainder(T.Angle, c.Step), 0, 1e-3);
            }
            EXPECT_EQ(T.DragCursor, c.Cursor);
        }
    }

    // The bands meet at whole pixels: straight right of the centre.
    const std::pair<int, int> bounds[] = {
        {49, crTrackTurn15}, {50, crTrackTurn10}, {74, crTrackTurn10}, {75, crTrackTurn5},
        {149, crTrackTurn5}, {150, crTrackTurn1}, {224, crTrackTurn1}, {225, crTrackTurn},
    };
    for (const auto& [radius, cursor] : bounds) {
        SCOPED_TRACE(radius);
        T.Angle = 0;
        Drag(9, {QPoint(230 + radius, 240)});
        EXPECT_EQ(T.DragCursor, cursor);
    }
}

TEST_F(TrackerTest, AngleStaysBelowAFullTurn)
{
    struct Case {
        float Start;
        double Direction; // of the mouse on screen
        double Radius;
        float Angle;
    };
    const Case cases[] = {
        {350, 345, 300, 345}, // turned back by 5 degrees
        {10, 0, 40, 0},       // back to the start: 360 snaps to 0
        {200, 170, 40, 165},
        {-30, 90, 300, 90}, // a start value from outside the range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Start);
        T.Angle = c.Start;
        const QPoint h9 = WindowPos(9);
        ASSERT_TRUE(T.BeginDrag(Dc, h9.x(), h9.y()));
        const double a = c.Direction * kPi / 180;
        T.DragTo(Dc, 230 + int(std::lround(c.Radius * std::cos(a))),
                 240 + int(std::lround(c.Radius * std::sin(a))));
        EXPECT_GE(T.Angle, 0);
        EXPECT_LT(T.Angle, 360);
        EXPECT_NEAR(T.Angle, c.Angle, 0.3);
    }
}

TEST_F(TrackerTest, TurningStepOnTheCentreIsSkipped)
{
    T.Angle = 20;
    Drag(9, {QPoint(260, 240)});
    ASSERT_EQ(T.Angle, 0); // mouse straight right at 30 px: snapped to 0
    const int cursor = T.DragCursor;
    T.DragTo(Dc, 230, 240);
    EXPECT_EQ(T.Angle, 0);
    EXPECT_EQ(T.DragCursor, cursor);
}

TEST_F(TrackerTest, HoverCursorFollowsTheTurnedHandle)
{
    struct Case {
        float Angle;
        int Handle;
        int Cursor;
    };
    const Case cases[] = {
        {0, 4, crTrackSizeWE},    {0, 8, crTrackSizeWE},    {0, 2, crTrackSizeNS},
        {0, 6, crTrackSizeNS},    {0, 1, crTrackSizeNWSE},  {0, 5, crTrackSizeNWSE},
        {0, 3, crTrackSizeNESW},  {0, 7, crTrackSizeNESW},  {0, 9, crTrackTurn},
        {90, 4, crTrackSizeNS},   {90, 2, crTrackSizeWE},   {90, 1, crTrackSizeNESW},
        {45, 4, crTrackSizeNWSE}, {45, 1, crTrackSizeNS},   {45, 3, crTrackSizeWE},
        {170, 4, crTrackSizeWE},  {-60, 4, crTrackSizeNESW}, {400, 4, crTrackSizeNWSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "angle " << c.Angle << " handle " << c.Handle);
        T.Angle = c.Angle;
        const QPoint p = WindowPos(c.Handle);
        int cursor = -1;
        EXPECT_TRUE(T.HoverCursor(Dc, p.x(), p.y(), cursor));
        EXPECT_EQ(cursor, c.Cursor);
    }
    int cursor = -1;
    EXPECT_FALSE(T.HoverCursor(Dc, 230, 240, cursor));
    EXPECT_EQ(cursor, -1);

    // A view turned by 90 degrees turns the cursors with it; so does a
    // frame without width.
    Dc.Transformation().Rotate(90);
    T.Angle = 0;
    T.Width = 0;
    const QPoint p = WindowPos(4);
    EXPECT_TRUE(T.HoverCursor(Dc, p.x(), p.y(), cursor));
    EXPECT_EQ(cursor, crTrackSizeNS);
}

TEST_F(TrackerTest, InvalidatesAroundEveryHandle)
{
    std::vector<QRect> rects;
    T.InvalidateHandles([&](const QRect& r) { rects.push_back(r); }, Dc);
    ASSERT_EQ(rects.size(), 9u);
    for (int h = 1; h <= 9; ++h)
        EXPECT_EQ(rects[h - 1], QRect(WindowPos(h) - QPoint(6, 6), QSize(12, 12))) << h;
    T.InvalidateHandles(nullptr, Dc); // no window: nothing to do
}

TEST_F(TrackerTest, DrawsLimeSquaresAndARedTurningHandle)
{
    QImage image(400, 320, QImage::Format_RGB32);
    image.fill(Qt::white);
    TBitmapDrawContext bitmapDc(&image);
    bitmapDc.Transformation().Assign(Dc.Transformation());
    T.Draw(bitmapDc);
    bitmapDc.Canvas().End();

    for (int h = 1; h <= 9; ++h) {
        SCOPED_TRACE(h);
        const QPoint p = WindowPos(h);
        const QRgb fill = h == 9 ? qRgb(255, 0, 0) : qRgb(0, 255, 0);
        EXPECT_EQ(image.pixel(p), fill);
        if (h != 9) {
            EXPECT_EQ(image.pixel(p + QPoint(3, 0)), qRgb(0, 0, 0));
        }
        EXPECT_EQ(image.pixel(p + QPoint(6, 0)), qRgb(255, 255, 255));
    }
    EXPECT_EQ(image.pixel(230, 240), qRgb(255, 255, 255));
}

} // namespace
