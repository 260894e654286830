// The tracker's mouse cursors: Qt's double arrows, and the turning arrows we
// draw ourselves at the screen's pixel density.

#include "editor/Tracker.h"
#include "editor/ui/TrackerCursors.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TEST(TrackerCursors, DoubleArrowsAreQtSizeCursors)
{
    const struct {
        int Id;
        Qt::CursorShape Shape;
    } cases[] = {
        {crTrackSizeNS, Qt::SizeVerCursor},   {crTrackSizeNWSE, Qt::SizeFDiagCursor},
        {crTrackSizeWE, Qt::SizeHorCursor},   {crTrackSizeNESW, Qt::SizeBDiagCursor},
        {crTrackNone, Qt::ArrowCursor},       {199, Qt::ArrowCursor},
        {205, Qt::ArrowCursor},               {210, Qt::ArrowCursor},
        {215, Qt::ArrowCursor},               {-1, Qt::ArrowCursor},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Id);
        EXPECT_EQ(TrackerCursor(c.Id).shape(), c.Shape);
        EXPECT_TRUE(TrackerCursorPixmap(c.Id).isNull());
    }
}

struct TInk {
    int Black = 0;
    int White = 0;
    int Clear = 0;
};

TInk Count(const QImage& image, const QRect& area)
{
    TInk ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0)
                ++ink.Clear;
            else if (qAlpha(p) == 255 && qGray(p) < 40)
                ++ink.Black;
            else if (qAlpha(p) == 255 && qGray(p) > 215)
                ++ink.White;
        }
    return ink;
}

TEST(TrackerCursors, TurningArrowsAreDrawnAtThePixelRatio)
{
    const int ids[] = {crTrackTurn, crTrackTurn15, crTrackTurn10, crTrackTurn5, crTrackTurn1};
    for (const qreal ratio : {1.0, 1.5, 2.0, 3.0}) {
        const int side = int(std::ceil(kTrackerCursorSize * ratio));
        for (const int id : ids) {
            SCOPED_TRACE(testing::Message() << "id " << id << " ratio " << ratio);
            const QPixmap pixmap = TrackerCursorPixmap(id, ratio);
            ASSERT_FALSE(pixmap.isNull());
            EXPECT_EQ(pixmap.size(), QSize(side, side));
            EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
            const QImage image = pixmap.toImage();
            const TInk ink = Count(image, image.rect());
            // A black shape on a white rim, the rest see-through.
            EXPECT_GT(ink.Black, 40 * ratio * ratio);
            EXPECT_GT(ink.White, 40 * ratio * ratio);
            EXPECT_GT(ink.Clear, image.width() * image.height() / 3);
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
            // The hot spot is marked.
            EXPECT_EQ(Count(image, QRect(side / 2 - 1, side / 2 - 1, 2, 2)).Black, 4);

            const QCursor cursor = TrackerCursor(id, ratio);
            EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
            EXPECT_EQ(cursor.hotSpot(), QPoint(kTrackerCursorSize / 2, kTrackerCursorSize / 2));
            EXPECT_EQ(cursor.pixmap().devicePixelRatio(), ratio);
        }
    }
}

// The step marks sit in the lower right corner, which the plain turning
// arrow leaves empty, and each looks different.
TEST(TrackerCursors, StepMarksTellTheCursorsApart)
{
    const int marked[] = {crTrackTurn15, crTrackTurn10, crTrackTurn5, crTrackTurn1};
    const QRect corner(20, 22, 12, 10);
    const QImage plain = TrackerCursorPixmap(crTrackTurn).toImage();
    EXPECT_EQ(Count(plain, corner).Black, 0);
    std::vector<QImage> corners;
    for (const int id : marked) {
        SCOPED_TRACE(id);
        const QImage image = TrackerCursorPixmap(id).toImage();
        EXPECT_GT(Count(image, corner).Black, 6);
        // Outside the mark the arrow is the same.
        EXPECT_EQ(image.copy(0, 0, 32, 14), plain.copy(0, 0, 32, 14));
        corners.push_back(image.copy(QRect(12, 20, 20, 12)));
    }
    for (std::size_t i = 0; i < corners.size(); ++i)
        for (std::size_t j = i + 1; j < corners.size(); ++j)
            EXPECT_NE(corners[i], corners[j]) << marked[i] << " " << marked[j];
}

TEST(TrackerCursors, ImplausibleRatiosAreBounded)
{
    const struct {
        qreal Given;
        qreal Used;
    } cases[] = {
        {0, 1},
        {-2, 1},
        {0.5, 1},
        {std::numeric_limits<qreal>::quiet_NaN(), 1},
        {std::numeric_limits<qreal>::infinity(), 1},
        {100, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Given);
        const QPixmap pixmap = TrackerCursorPixmap(crTrackTurn5, c.Given);
        EXPECT_EQ(pixmap.devicePixelRatio(), c.Used);
        EXPECT_EQ(pixmap.width(), int(kTrackerCursorSize * c.Used));
    }
}

} // namespace
