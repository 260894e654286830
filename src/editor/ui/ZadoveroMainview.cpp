#include "editor/ui/ZadoveroMainview.h"

#include "editor/Multicaster.h"
#include "model/ZadoveroDocument.h"
#include "render/BitmapDrawContext.h"

#include "editor/ui/TrackerCursors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {

// Ctrl + one wheel notch changes the zoom by this much.
constexpr float kWheelZoomStep = 0.5f;

bool HasTracker(const TFBElement* element)
{
    return dynamic_cast<const TFBSizeableElement*>(element) != nullptr;
}

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

} // namespace

TFBMainView::TFBMainView(TFBDocument* document, TMulticaster* multicaster, QWidget* parent)
    : TPaintWindow(parent), FMapping(ScrollModel()), FMulticaster(multicaster)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    FBitmap = QImage(OffscreenBitmapSize(QSize(0, 0), viewport()->size()), QImage::Format_RGB32);
    FContext = std::make_unique<TBitmapDrawContext>(&FBitmap);
    FMapping.SetDocument(document);
    FMapping.Resize(viewport()->width(), viewport()->height());
    SyncScrollBars();
}

TFBMainView::~TFBMainView() = default;

void TFBMainView::SetDocument(TFBDocument* document)
{
    FTracker.Visible = false;
    const bool hadSelection = FSelection != nullptr;
    FSelection = nullptr;
    FMapping.SetDocument(document);
    FMapping.SetupTransformation();
    viewport()->update();
    if (hadSelection)
        emit SelectionChanged();
}

void TFBMainView::ShowView(int index)
{
    const TFBDocument* doc = Document();
    const int count = doc ? doc->SpreadCount() : 0;
    index = std::clamp(index, 0, std::max(0, count - 1));
    if (index == FMapping.ViewIndex())
        return;
    Select(nullptr);
    FMapping.SetViewIndex(index);
    FMapping.SetupTransformation();
    viewport()->update();
}

void TFBMainView::NextView()
{
    const TFBDocument* doc = Document();
    if (!doc || ViewIndex() + 1 >= doc->SpreadCount())
        return;
    ShowView(ViewIndex() + 1);
    viewport()->update();
    if (FMulticaster)
        FMulticaster->ViewChanged(this, ViewIndex());
}

void TFBMainView::PreviousView()
{
    if (!Document() || ViewIndex() <= 0)
        return;
    ShowView(ViewIndex() - 1);
    viewport()->update();
    if (FMulticaster)
        FMulticaster->ViewChanged(this, ViewIndex());
}

void TFBMainView::SetZoom(float zoom)
{
    ZoomAt(ScrollModel().ClientWidth() / 2, ScrollModel().ClientHeight() / 2, zoom);
}

void TFBMainView::ZoomAt(int x, int y, float zoom)
{
    // One paint for the whole change: the scroll positions pass through 0
    // on the way.
    const bool updates = viewport()->updatesEnabled();
    viewport()->setUpdatesEnabled(false);
    const bool changed = FMapping.ZoomAt(x, y, zoom);
    SyncScrollBars();
    viewport()->setUpdatesEnabled(updates);
    viewport()->update();
    if (changed)
        emit ZoomChanged();
}

void TFBMainView::ShowTrackerFor(const TFBElement* element)
{
    FTracker.Visible = false;
    if (!HasTracker(element))
        return;
    FTracker.X = element->CenterX;
    FTracker.Y = element->CenterY;
    FTracker.Width = element->Width;
    FTracker.Height = element->Height;
    FTracker.Angle = element->Angle;
    FTracker.Visible = true;
}

void TFBMainView::Select(TFBElement* element)
{
    if (element == FSelection) {
        if (FTracker.Visible)
            InvalidateHandles();
        ShowTrackerFor(element);
        if (FTracker.Visible)
            InvalidateHandles();
        return;
    }
    if (FTracker.Visible)
        InvalidateHandles();
    FTracker.Visible = false;
    InvalidateElement(FSelection);
    FSelection = element;
    ShowTrackerFor(element);
    InvalidateElement(element);
    emit SelectionChanged();
}

void TFBMainView::ClearSelectionForStructureChange()
{
    FTracker.Visible = false;
    FTracker.Handle = 0;
    const bool hadSelection = FSelection != nullptr;
    FSelection = nullptr;
    viewport()->update();
    if (hadSelection)
        emit SelectionChanged();
}

void TFBMainView::AfterStructureChange()
{
    FMapping.ClampViewIndex();
    FMapping.SetupTransformation();
    viewport()->update();
}

TFBPage* TFBMainView::PageAt(int x, int y)
{
    FMapping.SetupTransformation();
    return FMapping.PageAt(x, y);
}

TFBElement* TFBMainView::ElementAt(int x, int y, unsigned lists)
{
    FMapping.SetupTransformation();
    return FMapping.ElementAt(x, y, lists);
}

void TFBMainView::InvalidateRect(const TRect& r)
{
    viewport()->update(ToQRect(r));
}

template <class F>
void TFBMainView::WithTrackerContext(F&& work)
{
    TTransformation& t = FContext->Transformation();
    t.Push();
    TTransformation page;
    FMapping.PageTransformation(FSelection->Page, page);
    t.SetMatrix(page.Matrix());
    t.Prepare();
    try {
        work(*FContext);
    } catch (...) {
        t.Pop();
        throw;
    }
    t.Pop();
}

void TFBMainView::InvalidateHandles()
{
    if (!FSelection || !HasTracker(FSelection))
        return;
    WithTrackerContext([this](TDrawContext& dc) {
        FTracker.InvalidateHandles([this](const QRect& r) { viewport()->update(r); }, dc);
    });
}

int TFBMainView::HoverCursorAt(int x, int y)
{
    int cursor = crTrackNone;
    if (FSelection && HasTracker(FSelection) && FTracker.Visible)
        WithTrackerContext([&](TDrawContext& dc) {
            if (!FTracker.HoverCursor(dc, x, y, cursor))
                cursor = crTrackNone;
        });
    return cursor;
}

void TFBMainView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    SetCursorId(HoverCursorAt(p.x(), p.y()));
    TPaintWindow::mouseMoveEvent(event);
}

void TFBMainView::mousePressEvent(QMouseEvent* event)
{
    // A click picks the topmost element under the mouse, or clears the
    // selection on an empty spot; the handles of the selection win over
    // what lies beneath them.
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        if (HoverCursorAt(p.x(), p.y()) == crTrackNone)
            Select(ElementAt(p.x(), p.y(), 1 | 2 | 4));
    }
    TPaintWindow::mousePressEvent(event);
}

void TFBMainView::InvalidateElement(const TFBElement* element)
{
    if (!element)
        return;
    FMapping.SetupTransformation();
    const TViewInvalidation area = FMapping.ElementInvalidation(element);
    if (area.Whole)
        viewport()->update();
    for (const TRect& r : area.Rects)
        InvalidateRect(r);
    if (FTracker.Visible)
        InvalidateHandles();
}

void TFBMainView::PageChanged(TFBPage* page, TFBElement* element)
{
    if (!page)
        return;
    const std::vector<TFBPage*> pages = FMapping.Pages();
    if (std::find(pages.begin(), pages.end(), page) == pages.end())
        return;
    if (element)
        InvalidateElement(element);
    else
        viewport()->update();
}

void TFBMainView::SetCursorId(int id)
{
    if (id == FCursorId)
        return;
    FCursorId = id;
    if (id == crTrackNone)
        viewport()->unsetCursor();
    else
        viewport()->setCursor(TrackerCursor(id, devicePixelRatioF()));
}

void TFBMainView::EnsureBitmapSize()
{
    const QSize size = OffscreenBitmapSize(FBitmap.size(), viewport()->size());
    if (size == FBitmap.size())
        return;
    FContext->Canvas().End();
    FBitmap = QImage(size, QImage::Format_RGB32);
}

void TFBMainView::ClientResized(int width, int height)
{
    FMapping.Resize(width, height);
    EnsureBitmapSize();
}

void TFBMainView::RenderToBitmap(const TRect& updateRect)
{
    EnsureBitmapSize();
    TMainViewPainter::TScene scene;
    scene.Mapping = &FMapping;
    scene.Selection = FSelection;
    scene.Tracker = &FTracker;
    FPainter.Paint(*FContext, scene, updateRect);
}

void TFBMainView::PaintContent(QPainter& painter)
{
    const TRect r = UpdateRect();
    RenderToBitmap(r);
    const QRect target = ToQRect(r).intersected(FBitmap.rect());
    painter.drawImage(target.topLeft(), FBitmap, target);
}

void TFBMainView::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        TPaintWindow::wheelEvent(event);
        return;
    }
    const int notches = event->angleDelta().y() / 120;
    if (notches != 0) {
        const QPoint at = event->position().toPoint();
        ZoomAt(at.x(), at.y(), Zoom() + kWheelZoomStep * float(notches));
    }
    event->accept();
}
