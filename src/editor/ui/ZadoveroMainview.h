#pragma once

#include "editor/MainViewPainter.h"
#include "editor/Tracker.h"
#include "editor/ViewMapping.h"
#include "editor/ui/PaintWindow.h"

#include <QImage>

#include <memory>

class TBitmapDrawContext;
class TFBDocument;
class TFBElement;
class TFBPage;
class TMulticaster;

// The spread view: one view (page or spread) of the open document, fitted
// into the window, zoomable up to eight times, painted through an
// off-screen bitmap; it keeps the selection and its tracker.
//
// The main window owns the document and the multicaster and passes both
// in. The view sends ViewChanged itself when it moves to another view;
// notices from others reach it through the main window, which calls
// PageChanged, ShowView and AfterStructureChange unless the view was the
// sender.
class TFBMainView : public TPaintWindow {
    Q_OBJECT
public:
    TFBMainView(TFBDocument* document, TMulticaster* multicaster, QWidget* parent = nullptr);
    ~TFBMainView() override;

    TFBDocument* Document() const { return FMapping.Document(); }
    // A new or refilled document: deselects and shows view 0.
    void SetDocument(TFBDocument* document);

    int ViewIndex() const { return FMapping.ViewIndex(); }
    // Deselects and shows the view when it differs from the current one;
    // an index beyond the views is clamped to the last one.
    void ShowView(int index);
    // The next or previous view when there is one; tells the others.
    void NextView();
    void PreviousView();

    float Zoom() const { return FMapping.Zoom(); }
    // Zooms about the middle of the window (the track bar gives
    // position / 100).
    void SetZoom(float zoom);
    // Zooms keeping the document point under the window point in place.
    void ZoomAt(int x, int y, float zoom);

    TFBElement* Selection() const { return FSelection; }
    // Selecting the current selection again only refreshes the tracker and
    // reports nothing.
    void Select(TFBElement* element);
    // To be called before anything frees pages or elements: drops the
    // selection and hides the tracker so that nothing points at freed
    // objects. Reports SelectionChanged when something was selected.
    void ClearSelectionForStructureChange();
    // After pages were inserted or deleted: the view index is brought back
    // into range and the window repainted.
    void AfterStructureChange();

    TFBPage* PageAt(int x, int y);
    TFBElement* ElementAt(int x, int y, unsigned lists);
    void InvalidateElement(const TFBElement* element);
    // Another control changed the page (and the element, when given).
    void PageChanged(TFBPage* page, TFBElement* element);

    // The cursor the view shows, as a tracker cursor number (0: the normal
    // arrow); follows the tracker's handles under the mouse.
    int CursorId() const { return FCursorId; }
    void SetCursorId(int id);

    TViewMapping& Mapping() { return FMapping; }
    TTracker& Tracker() { return FTracker; }
    // The off-screen bitmap, as last painted.
    const QImage& Bitmap() const { return FBitmap; }
    // Paints the given window rectangle into the bitmap (what a paint event
    // does before copying it to the screen).
    void RenderToBitmap(const TRect& updateRect);

signals:
    void SelectionChanged();
    void ZoomChanged();

protected:
    void PaintContent(QPainter& painter) override;
    void ClientResized(int width, int height) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void EnsureBitmapSize();
    // The tracker takes the selected text or clip-art element's geometry.
    void ShowTrackerFor(const TFBElement* element);
    void InvalidateRect(const TRect& r);
    void InvalidateHandles();
    // Runs work with the draw context in the selected element's page
    // mapping (the tracker's coordinates).
    template <class F>
    void WithTrackerContext(F&& work);
    // The tracker cursor for the mouse at (x, y); 0 off the handles.
    int HoverCursorAt(int x, int y);

    TViewMapping FMapping;
    TMulticaster* FMulticaster = nullptr;
    QImage FBitmap;
    std::unique_ptr<TBitmapDrawContext> FContext;
    TMainViewPainter FPainter;
    TTracker FTracker;
    TFBElement* FSelection = nullptr;
    int FCursorId = 0;
};
