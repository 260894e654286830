#pragma once

// The geometry of the spread view without any widget: the scroll bars as
// plain numbers, the mapping from document millimetres to window pixels,
// zooming about a point, resizing, and finding the page and the element
// under a window point. The view widget only forwards its events here, so
// all of this is tested without a window.

#include "render/Transformation.h"

#include <QLoggingCategory>

#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcView)

class TFBDocument;
class TFBElement;
class TFBPage;

enum class TScrollAxis { Horizontal, Vertical };
enum class TScrollAction { LineUp, LineDown, PageUp, PageDown, Track, Top, Bottom };

// One scroll bar. All four values are 0 when the bar is removed.
struct TScrollBarState {
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0;
    bool operator==(const TScrollBarState&) const = default;
    bool Shown() const { return Max != 0 || Page != 0; }
};

// The scroll semantics of a paint window: content of a given size in a
// client area of a given size, centred when the bars are set up.
class TScrollModel {
public:
    static constexpr int LineStep = 10;
    static constexpr int PageStep = 50;

    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }
    int ContentWidth() const { return FContentWidth; }
    int ContentHeight() const { return FContentHeight; }

    // Negative sizes count as 0. Neither call touches the bars; the paint
    // window calls UpdateScrollBars after a resize.
    void SetClientSize(int width, int height);
    // Sets the content size and then UpdateScrollBars.
    void SetContentSize(int width, int height);
    // Per axis: content at least the client size gives the range 0 ..
    // content with the client size as page, positioned at the middle;
    // smaller content removes the bar.
    void UpdateScrollBars();

    const TScrollBarState& Bar(TScrollAxis axis) const;
    int ScrollPos(TScrollAxis axis) const { return Bar(axis).Pos; }
    // The bar's maximum while the content is at least the client size.
    int ScrollMax(TScrollAxis axis) const;
    // 0 while the content is smaller than the client; otherwise clamped to
    // [Min, Max - Page].
    void SetScrollPos(TScrollAxis axis, int pos);
    // One scroll-bar step: lines of 10 pixels, pages of 50, the track
    // position for Track, the ends for Top and Bottom; clamped like
    // SetScrollPos.
    void Scroll(TScrollAxis axis, TScrollAction action, int trackPos = 0);

private:
    TScrollBarState& BarRef(TScrollAxis axis)
    {
        return axis == TScrollAxis::Horizontal ? FHorz : FVert;
    }
    bool ContentFits(TScrollAxis axis) const;

    int FClientWidth = 0;
    int FClientHeight = 0;
    int FContentWidth = 0;
    int FContentHeight = 0;
    TScrollBarState FHorz;
    TScrollBarState FVert;
};

// What an element change makes the view repaint: the whole window, or the
// listed rectangles (window pixels, right and bottom exclusive).
struct TViewInvalidation {
    bool Whole = false;
    std::vector<TRect> Rects;
};

// The mapping of the spread view: which view of which document, the zoom,
// and the scroll model of the window it is shown in.
class TViewMapping {
public:
    static constexpr float MinZoom = 1;
    static constexpr float MaxZoom = 8;
    // Pixels left free around the view at zoom 1 (both sides together).
    static constexpr int FitMargin = 60;
    // The smallest fit scale in pixels per millimetre.
    static constexpr float MinFitScale = 0.1f;

    explicit TViewMapping(TScrollModel& scroll);

    TScrollModel& Scroll() { return FScroll; }
    const TScrollModel& Scroll() const { return FScroll; }

    // The document is not owned; none shows nothing.
    TFBDocument* Document() const { return FDocument; }
    void SetDocument(TFBDocument* document);

    int ViewIndex() const { return FViewIndex; }
    // Clamped into the document's views (0 when it has none).
    void SetViewIndex(int index);
    // Brings the index back into range after pages were deleted; true when
    // it changed.
    bool ClampViewIndex();

    float Zoom() const { return FZoom; }

    // The pages of the current view; none where the view has no such page.
    // In single-page mode both are the same page.
    TFBPage* LeftPage() const;
    TFBPage* RightPage() const;
    // The pages to draw, left before right, each once.
    std::vector<TFBPage*> Pages() const;
    // The left page (or, without one, the right page) is landscape.
    bool IsTurned() const;
    // The display area in millimetres, a zero side replaced by 1.
    void DisplaySize(float& width, float& height) const;
    // Pixels per millimetre at zoom 1.
    float FitScale() const;

    // Rebuilds the mapping from the document, the client size, the zoom and
    // the scroll positions.
    void SetupTransformation();
    // Document (display area) millimetres to window pixels.
    TTransformation& Transformation() { return FMapping; }
    // The mapping of a page of the view: the view mapping moved to the
    // page's origin.
    void PageTransformation(const TFBPage* page, TTransformation& out);
    // The same mapping without the turn of the view, centred on the display
    // area: shadows fall to the lower right as seen on screen.
    void UnturnedTransformation(TTransformation& out) const;

    // Content = client size x zoom - 1 per axis (rounded), then the bars.
    void UpdateContentSize();
    // A new client size: content and mapping follow, and each scrolled axis
    // keeps its relative position.
    void Resize(int clientWidth, int clientHeight);
    // Zooms to z (clamped to 1 .. 8) keeping the document point under the
    // window point (x, y) in place as far as the scroll range allows.
    // True when the zoom changed.
    bool ZoomAt(int x, int y, float z);

    // The window bounding box of the display area.
    TRect DisplayWindowRect();
    TFBPage* PageAt(int x, int y);
    // The topmost element under the window point in the lists named by the
    // bits (1 picture frames, 2 texts and clip-arts, 4 calendars).
    TFBElement* ElementAt(int x, int y, unsigned lists);
    // The window area an element covers, grown by a few pixels; linked
    // frames included, the whole window for a calendar.
    TViewInvalidation ElementInvalidation(const TFBElement* element);
    // The window box of one element (turned rectangle + 1 mm, + 10 pixels).
    TRect ElementWindowRect(const TFBElement* element);

private:
    // Resets out to the window side of every mapping: the scroll position,
    // then the centre of the content.
    void ScrolledContentCentre(TTransformation& out) const;
    TFBElement* SearchPage(TFBPage* page, float x, float y, unsigned lists) const;

    TScrollModel& FScroll;
    TFBDocument* FDocument = nullptr;
    int FViewIndex = 0;
    float FZoom = 1;
    TTransformation FMapping;
};
