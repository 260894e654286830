#include "editor/ui/PaintWindow.h"

#include "editor/MainViewPainter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

TPaintWindow::TPaintWindow(QWidget* parent)
    : QAbstractScrollArea(parent), FUpdateRect(kNoUpdateRect)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every pixel is painted by PaintContent: no background erase, no
    // flicker.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    for (TScrollAxis axis : {TScrollAxis::Horizontal, TScrollAxis::Vertical}) {
        QScrollBar* bar = BarOf(axis);
        bar->setSingleStep(TScrollModel::LineStep);
        connect(bar, &QScrollBar::actionTriggered, this,
                [this, axis](int action) { BarAction(axis, action); });
    }
    FScroll.SetClientSize(viewport()->width(), viewport()->height());
}

QScrollBar* TPaintWindow::BarOf(TScrollAxis axis) const
{
    return axis == TScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
}

void TPaintWindow::SetContentSize(int width, int height)
{
    FScroll.SetContentSize(width, height);
    SyncScrollBars();
}

void TPaintWindow::UpdateScrollBars()
{
    FScroll.UpdateScrollBars();
    SyncScrollBars();
}

void TPaintWindow::SetScrollPos(TScrollAxis axis, int pos)
{
    FScroll.SetScrollPos(axis, pos);
    SyncScrollBars();
}

void TPaintWindow::SetAlwaysShowScrollBars(bool value)
{
    FAlwaysShow = value;
    SyncScrollBars();
}

void TPaintWindow::SyncScrollBars()
{
    ++FSyncing;
    for (TScrollAxis axis : {TScrollAxis::Horizontal, TScrollAxis::Vertical}) {
        const TScrollBarState& state = FScroll.Bar(axis);
        QScrollBar* bar = BarOf(axis);
        const bool shown = state.Shown();
        bar->setRange(state.Min, std::max(state.Min, state.Max - state.Page));
        bar->setPageStep(std::max(1, state.Page));
        bar->setValue(state.Pos);
        bar->setEnabled(shown);
        const Qt::ScrollBarPolicy policy =
            shown || FAlwaysShow ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
        if (axis == TScrollAxis::Horizontal)
            setHorizontalScrollBarPolicy(policy);
        else
            setVerticalScrollBarPolicy(policy);
    }
    --FSyncing;
    // Showing or hiding a bar changes the client area.
    const QSize client(FScroll.ClientWidth(), FScroll.ClientHeight());
    if (FResizing == 0 && viewport()->size() != client)
        ApplyClientSize();
}

void TPaintWindow::BarAction(TScrollAxis axis, int action)
{
    QScrollBar* bar = BarOf(axis);
    TScrollAction step = TScrollAction::Track;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        step = TScrollAction::LineUp;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        step = TScrollAction::LineDown;
        break;
    case QAbstractSlider::SliderPageStepSub:
        step = TScrollAction::PageUp;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        step = TScrollAction::PageDown;
        break;
    case QAbstractSlider::SliderToMinimum:
        step = TScrollAction::Top;
        break;
    case QAbstractSlider::SliderToMaximum:
        step = TScrollAction::Bottom;
        break;
    case QAbstractSlider::SliderMove:
        step = TScrollAction::Track;
        break;
    default:
        return;
    }
    // Undo the slider's own step first: the model decides (the slider's page
    // step is the client size, which draws the thumb, not the 50 pixels a
    // page step scrolls).
    const int track = bar->sliderPosition();
    FScroll.Scroll(axis, step, track);
    bar->setSliderPosition(FScroll.ScrollPos(axis));
}

void TPaintWindow::scrollContentsBy(int, int)
{
    if (FSyncing > 0)
        return;
    FScroll.SetScrollPos(TScrollAxis::Horizontal, horizontalScrollBar()->value());
    FScroll.SetScrollPos(TScrollAxis::Vertical, verticalScrollBar()->value());
    viewport()->update();
    emit Scrolled();
}

void TPaintWindow::ApplyClientSize()
{
    // Showing a bar shrinks the client, which may show the other bar:
    // settle in a few rounds rather than recursing through resize events.
    ++FResizing;
    for (int round = 0; round < 3; ++round) {
        const QSize size = viewport()->size();
        if (size == QSize(FScroll.ClientWidth(), FScroll.ClientHeight()) && round > 0)
            break;
        ClientResized(size.width(), size.height());
        SyncScrollBars();
    }
    --FResizing;
    viewport()->update();
}

void TPaintWindow::resizeEvent(QResizeEvent*)
{
    if (FResizing > 0)
        return;
    ApplyClientSize();
}

void TPaintWindow::ClientResized(int width, int height)
{
    FScroll.SetClientSize(width, height);
    FScroll.UpdateScrollBars();
}

void TPaintWindow::PaintContent(QPainter& painter)
{
    painter.fillRect(viewport()->rect(), Qt::white);
}

void TPaintWindow::paintEvent(QPaintEvent* event)
{
    const QRect r = event->rect();
    FUpdateRect = TRect {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    {
        QPainter painter(viewport());
        PaintContent(painter);
    }
    FUpdateRect = kNoUpdateRect;
}
