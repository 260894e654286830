#include "editor/ui/ZadoveroMainview.h"

#include "editor/Multicaster.h"
#include "model/DocumentTestUtil.h"
#include "model/ZadoveroDocument.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class MainViewTest : public testing::Test {
protected:
    MainViewTest()
    {
        Doc.ScreenMode = 1;
        for (int i = 0; i < 5; ++i)
            AddPage(Doc);
        View = std::make_unique<TFBMainView>(&Doc, &Caster);
        View->resize(880, 680);
        View->show();
        QObject::connect(View.get(), &TFBMainView::SelectionChanged,
                         [this] { ++SelectionChanges; });
        QObject::connect(View.get(), &TFBMainView::ZoomChanged, [this] { ++ZoomChanges; });
    }

    TTestServices Svc;
    TFBDocument Doc;
    TMulticaster Caster;
    std::unique_ptr<TFBMainView> View;
    int SelectionChanges = 0;
    int ZoomChanges = 0;
};

TEST_F(MainViewTest, SelectingTheCurrentSelectionOnlyRefreshesTheTracker)
{
    View->ShowView(1);
    TFBPage* page = Doc.Pages.Items(1);
    TFBTextElement* text = AddElement<TFBTextElement>(page, 60, 70, 40, 20);
    TFBPictureElement* frame = AddElement<TFBPictureElement>(page, 100, 150, 80, 60);

    View->Select(text);
    EXPECT_EQ(SelectionChanges, 1);
    EXPECT_TRUE(View->Tracker().Visible);
    // The element moved meanwhile: selecting it again takes the new place
    // without a report.
    text->CenterX = 65;
    text->Angle = 30;
    View->Select(text);
    EXPECT_EQ(SelectionChanges, 1);
    EXPECT_TRUE(View->Tracker().Visible);
    EXPECT_EQ(View->Tracker().X, 65);
    EXPECT_EQ(View->Tracker().Angle, 30);

    // Frames get no tracker.
    View->Select(frame);
    EXPECT_EQ(SelectionChanges, 2);
    EXPECT_FALSE(View->Tracker().Visible);
    View->Select(frame);
    EXPECT_EQ(SelectionChanges, 2);
    View->Select(nullptr);
    EXPECT_EQ(SelectionChanges, 3);
    EXPECT_EQ(View->Selection(), nullptr);
}

TEST_F(MainViewTest, ChangingTheViewDeselectsAndClampsTheIndex)
{
    View->ShowView(1);
    TFBTextElement* text = AddElement<TFBTextElement>(Doc.Pages.Items(1), 60, 70, 40, 20);
    View->Select(text);
    View->ShowView(1);
    EXPECT_EQ(View->Selection(), text);
    View->ShowView(99);
    EXPECT_EQ(View->ViewIndex(), 2);
    EXPECT_EQ(View->Selection(), nullptr);
    EXPECT_FALSE(View->Tracker().Visible);
    EXPECT_EQ(SelectionChanges, 2);
}

TEST_F(MainViewTest, StructureChangeDropsTheSelectionBeforePagesGo)
{
    View->ShowView(2);
    TFBTextElement* text = AddElement<TFBTextElement>(Doc.Pages.Items(4), 60, 70, 40, 20);
    View->Select(text);
    ASSERT_EQ(SelectionChanges, 1);

    View->ClearSelectionForStructureChange();
    EXPECT_EQ(View->Selection(), nullptr);
    EXPECT_FALSE(View->Tracker().Visible);
    EXPECT_EQ(SelectionChanges, 2);
    Doc.DeleteSpread(2);
    Doc.Pages.Delete(Doc.Pages.Count() - 1);
    View->AfterStructureChange();
    EXPECT_EQ(View->ViewIndex(), Doc.SpreadCount() - 1);
    // Nothing selected: no second report.
    View->ClearSelectionForStructureChange();
    EXPECT_EQ(SelectionChanges, 2);
    // Painting the clamped view works on live pages only.
    View->RenderToBitmap(kNoUpdateRect);
}

TEST_F(MainViewTest, ZoomReportsChangesAndShowsScrollBarsOnlyWhenZoomedIn)
{
    EXPECT_FALSE(View->ScrollModel().Bar(TScrollAxis::Horizontal).Shown());
    EXPECT_EQ(View->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    View->SetZoom(2);
    EXPECT_EQ(ZoomChanges, 1);
    EXPECT_EQ(View->Zoom(), 2);
    EXPECT_EQ(View->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(View->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // The widget's bars and the model agree after the client shrank.
    EXPECT_EQ(View->ScrollModel().ClientWidth(), View->viewport()->width());
    EXPECT_EQ(View->horizontalScrollBar()->value(),
              View->ScrollModel().ScrollPos(TScrollAxis::Horizontal));
    View->SetZoom(2);
    EXPECT_EQ(ZoomChanges, 1);
    View->SetZoom(1);
    EXPECT_EQ(ZoomChanges, 2);
    EXPECT_EQ(View->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(View->ScrollModel().ClientWidth(), View->viewport()->width());
}

TEST_F(MainViewTest, PageStepsScrollFiftyPixels)
{
    View->SetZoom(3);
    QScrollBar* bar = View->horizontalScrollBar();
    const int start = View->ScrollModel().ScrollPos(TScrollAxis::Horizontal);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(View->ScrollModel().ScrollPos(TScrollAxis::Horizontal), start + 50);
    EXPECT_EQ(bar->value(), start + 50);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(View->ScrollModel().ScrollPos(TScrollAxis::Horizontal), start + 40);
}

TEST_F(MainViewTest, NextAndPreviousViewTellTheOthersButNotTheView)
{
    std::vector<std::pair<const void*, int>> heard;
    int other = 0;
    TMulticaster::TReceiver r;
    r.ViewChanged = [&](const void* sender, int view) { heard.emplace_back(sender, view); };
    Caster.Connect(&other, r);
    View->NextView();
    View->NextView();
    View->NextView(); // already the last view
    View->PreviousView();
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0], (std::pair<const void*, int>(View.get(), 1)));
    EXPECT_EQ(heard[1].second, 2);
    EXPECT_EQ(heard[2].second, 1);
    EXPECT_EQ(View->ViewIndex(), 1);
}

TEST_F(MainViewTest, ClicksSelectAndHandlesChangeTheCursor)
{
    View->ShowView(1);
    TFBPage* page = Doc.Pages.Items(1);
    TFBTextElement* text = AddElement<TFBTextElement>(page, 60, 70, 40, 20);
    TTransformation t;
    View->Mapping().PageTransformation(page, t);
    const auto window = [&](float x, float y) {
        const TPointF p = t.TransformPoint(PointF(x, y));
        return QPointF(p.X, p.Y);
    };
    const auto send = [&](QEvent::Type type, QPointF at) {
        QMouseEvent e(type, at, View->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(View->viewport(), &e);
    };

    send(QEvent::MouseButtonPress, window(60, 70));
    send(QEvent::MouseButtonRelease, window(60, 70));
    EXPECT_EQ(View->Selection(), text);
    EXPECT_TRUE(View->Tracker().Visible);

    const QPointF rightEdge = window(80, 70);
    struct Case {
        QPointF At;
        int Cursor;
    };
    const Case cases[] = {
        {rightEdge, crTrackSizeWE},
        {window(60, 60), crTrackSizeNS},
        {rightEdge + QPointF(12, 0), crTrackTurn},
        {window(60, 70), crTrackNone},
    };
    for (const Case& c : cases) {
        send(QEvent::MouseMove, c.At);
        EXPECT_EQ(View->CursorId(), c.Cursor) << c.At.x() << "," << c.At.y();
    }
    send(QEvent::MouseMove, rightEdge);
    EXPECT_EQ(View->viewport()->cursor().shape(), Qt::SizeHorCursor);
    send(QEvent::MouseMove, rightEdge + QPointF(12, 0));
    EXPECT_EQ(View->viewport()->cursor().shape(), Qt::BitmapCursor);

    // Pressing on a handle keeps the selection; an empty spot clears it.
    send(QEvent::MouseButtonPress, rightEdge);
    EXPECT_EQ(View->Selection(), text);
    send(QEvent::MouseButtonPress, window(120, 180));
    EXPECT_EQ(View->Selection(), nullptr);
    EXPECT_FALSE(View->Tracker().Visible);
}

TEST_F(MainViewTest, PaintingCopiesTheOffscreenBitmapToTheWindow)
{
    View->ShowView(1);
    Doc.Pages.Items(2)->Seitenfarbe = RGBColor(10, 200, 30);
    const QImage shot = View->viewport()->grab().toImage();
    EXPECT_EQ(View->UpdateRect(), kNoUpdateRect);
    const QImage& bitmap = View->Bitmap();
    TTransformation t;
    View->Mapping().PageTransformation(Doc.Pages.Items(2), t);
    const TPointF mid = t.TransformPoint(PointF(Doc.PageWidth / 2, Doc.PageHeight / 2));
    EXPECT_EQ(bitmap.pixelColor(int(mid.X), int(mid.Y)), QColor(10, 200, 30));
    for (const QPoint p : {QPoint(int(mid.X), int(mid.Y)), QPoint(3, 3), QPoint(200, 300)})
        EXPECT_EQ(shot.pixelColor(p), bitmap.pixelColor(p)) << p.x() << "," << p.y();
}

TEST_F(MainViewTest, CtrlWheelZoomsAboutTheMouse)
{
    const QPointF at(300, 200);
    QWheelEvent wheel(at, View->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(View->viewport(), &wheel);
    EXPECT_EQ(View->Zoom(), 1.5f);
    EXPECT_EQ(ZoomChanges, 1);
}

} // namespace
