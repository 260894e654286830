#include "editor/ViewMapping.h"

#include "app/Arith.h"
#include "model/ZadoveroDocument.h"

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcView, "lumarbo.view", QtWarningMsg)

// ---------------------------------------------------------------------------
// TScrollModel

void TScrollModel::SetClientSize(int width, int height)
{
    FClientWidth = std::max(0, width);
    FClientHeight = std::max(0, height);
}

void TScrollModel::SetContentSize(int width, int height)
{
    FContentWidth = std::max(0, width);
    FContentHeight = std::max(0, height);
    UpdateScrollBars();
}

bool TScrollModel::ContentFits(TScrollAxis axis) const
{
    return axis == TScrollAxis::Horizontal ? FContentWidth < FClientWidth
                                           : FContentHeight < FClientHeight;
}

void TScrollModel::UpdateScrollBars()
{
    for (TScrollAxis axis : {TScrollAxis::Horizontal, TScrollAxis::Vertical}) {
        const bool horz = axis == TScrollAxis::Horizontal;
        const int content = horz ? FContentWidth : FContentHeight;
        const int client = horz ? FClientWidth : FClientHeight;
        TScrollBarState& bar = BarRef(axis);
        if (content >= client)
            bar = TScrollBarState {0, content, client, (content - client) / 2};
        else
            bar = TScrollBarState {};
    }
}

const TScrollBarState& TScrollModel::Bar(TScrollAxis axis) const
{
    return axis == TScrollAxis::Horizontal ? FHorz : FVert;
}

int TScrollModel::ScrollMax(TScrollAxis axis) const
{
    return ContentFits(axis) ? 0 : Bar(axis).Max;
}

void TScrollModel::SetScrollPos(TScrollAxis axis, int pos)
{
    TScrollBarState& bar = BarRef(axis);
    if (ContentFits(axis)) {
        bar.Pos = 0;
        return;
    }
    bar.Pos = std::clamp(pos, bar.Min, std::max(bar.Min, bar.Max - bar.Page));
}

void TScrollModel::Scroll(TScrollAxis axis, TScrollAction action, int trackPos)
{
    const TScrollBarState& bar = Bar(axis);
    int pos = bar.Pos;
    switch (action) {
    case TScrollAction::LineUp:
        pos -= LineStep;
        break;
    case TScrollAction::LineDown:
        pos += LineStep;
        break;
    case TScrollAction::PageUp:
        pos -= PageStep;
        break;
    case TScrollAction::PageDown:
        pos += PageStep;
        break;
    case TScrollAction::Track:
        pos = trackPos;
        break;
    case TScrollAction::Top:
        pos = bar.Min;
        break;
    case TScrollAction::Bottom:
        pos = bar.Max;
        break;
    }
    SetScrollPos(axis, pos);
}

// ---------------------------------------------------------------------------
// TViewMapping

TViewMapping::TViewMapping(TScrollModel& scroll) : FScroll(scroll) {}

void TViewMapping::SetDocument(TFBDocument* document)
{
    FDocument = document;
    FViewIndex = 0;
}

void TViewMapping::SetViewIndex(int index)
{
    const int count = FDocument ? FDocument->SpreadCount() : 0;
    FViewIndex = std::clamp(index, 0, std::max(0, count - 1));
}

bool TViewMapping::ClampViewIndex()
{
    const int old = FViewIndex;
    SetViewIndex(FViewIndex);
    return old != FViewIndex;
}

TFBPage* TViewMapping::LeftPage() const
{
    return FDocument ? FDocument->LeftPage(FViewIndex) : nullptr;
}

TFBPage* TViewMapping::RightPage() const
{
    return FDocument ? FDocument->RightPage(FViewIndex) : nullptr;
}

std::vector<TFBPage*> TViewMapping::Pages() const
{
    std::vector<TFBPage*> pages;
    if (!FDocument)
        return pages;
    if (TFBPage* left = LeftPage())
        pages.push_back(left);
    if (FDocument->ScreenMode != 0)
        if (TFBPage* right = RightPage(); right && (pages.empty() || pages[0] != right))
            pages.push_back(right);
    return pages;
}

bool TViewMapping::IsTurned() const
{
    return FDocument && FDocument->GetSpreadOrientation(FViewIndex) != 0;
}

void TViewMapping::DisplaySize(float& width, float& height) const
{
    width = 10;
    height = 10;
    if (FDocument)
        FDocument->GetDisplaySize(width, height);
    // A broken page size must not make the mapping singular or infinite.
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) {
        qCDebug(lcView, "TFBMainView.SetupTransformation: FDoc.GetDisplaySize ist (0,0)");
        if (!(width > 0) || !std::isfinite(width))
            width = 1;
        if (!(height > 0) || !std::isfinite(height))
            height = 1;
    }
}

float TViewMapping::FitScale() const
{
    float w = 0, h = 0;
    DisplaySize(w, h);
    if (IsTurned())
        std::swap(w, h);
    const float cw = float(FScroll.ClientWidth() - FitMargin);
    const float ch = float(FScroll.ClientHeight() - FitMargin);
    return std::min(std::max(MinFitScale, cw / w), std::max(MinFitScale, ch / h));
}

void TViewMapping::SetupTransformation()
{
    float w = 0, h = 0;
    DisplaySize(w, h);
    const float s = FitScale() * FZoom;
    // Operations multiply on the right, so they are listed from the window
    // side inwards: scroll, centre of the content, turn, scale, centre of
    // the display area.
    ScrolledContentCentre(FMapping);
    if (IsTurned())
        FMapping.Rotate(FDocument->ScreenQuerformatWinkel);
    FMapping.ScaleUniform(s);
    FMapping.Translate(-w / 2, -h / 2);
    FMapping.Prepare();
}

void TViewMapping::PageTransformation(const TFBPage* page, TTransformation& out)
{
    out.PopAll();
    out.Assign(FMapping);
    if (FDocument && page)
        FDocument->PageOrigin(out, page);
}

void TViewMapping::UnturnedTransformation(TTransformation& out) const
{
    ScrolledContentCentre(out);
    out.ScaleUniform(FitScale() * FZoom);
}

void TViewMapping::ScrolledContentCentre(TTransformation& out) const
{
    out.PopAll();
    out.Identity();
    out.Translate(-float(FScroll.ScrollPos(TScrollAxis::Horizontal)),
                  -float(FScroll.ScrollPos(TScrollAxis::Vertical)));
    out.Translate(float(FScroll.ContentWidth()) / 2, float(FScroll.ContentHeight()) / 2);
}

void TViewMapping::UpdateContentSize()
{
    FScroll.SetContentSize(RoundHalfEven(double(FScroll.ClientWidth()) * FZoom - 1),
                           RoundHalfEven(double(FScroll.ClientHeight()) * FZoom - 1));
}

void TViewMapping::Resize(int clientWidth, int clientHeight)
{
    const int oldPos[2] = {FScroll.ScrollPos(TScrollAxis::Horizontal),
                           FScroll.ScrollPos(TScrollAxis::Vertical)};
    const int oldMax[2] = {FScroll.ScrollMax(TScrollAxis::Horizontal),
                           FScroll.ScrollMax(TScrollAxis::Vertical)};
    FScroll.SetClientSize(clientWidth, clientHeight);
    UpdateContentSize();
    SetupTransformation();
    const TScrollAxis axes[2] = {TScrollAxis::Horizontal, TScrollAxis::Vertical};
    for (int i = 0; i < 2; ++i) {
        if (oldMax[i] > 0)
            FScroll.SetScrollPos(axes[i], RoundHalfEven(double(FScroll.ScrollMax(axes[i]))
                                                        * oldPos[i] / oldMax[i]));
    }
    SetupTransformation();
}

bool TViewMapping::ZoomAt(int x, int y, float z)
{
    if (!std::isfinite(z))
        return false;
    z = std::clamp(z, MinZoom, MaxZoom);
    SetupTransformation();
    const TPointF p = FMapping.InverseTransformPoint(PointF(float(x), float(y)));
    const float old = FZoom;

    FZoom = z;
    UpdateContentSize();
    FScroll.SetScrollPos(TScrollAxis::Horizontal, 0);
    FScroll.SetScrollPos(TScrollAxis::Vertical, 0);
    SetupTransformation();

    const TPointF q = FMapping.TransformPoint(p);
    FScroll.SetScrollPos(TScrollAxis::Horizontal, RoundHalfEven(double(q.X) - x));
    FScroll.SetScrollPos(TScrollAxis::Vertical, RoundHalfEven(double(q.Y) - y));
    SetupTransformation();
    return FZoom != old;
}

TRect TViewMapping::DisplayWindowRect()
{
    float w = 0, h = 0;
    DisplaySize(w, h);
    return FMapping.BoundingRect(0, 0, w, h);
}

TFBPage* TViewMapping::PageAt(int x, int y)
{
    if (!FDocument)
        return nullptr;
    const TRect r = DisplayWindowRect();
    if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom)
        return nullptr;
    const TPointF p = FMapping.InverseTransformPoint(PointF(float(x), float(y)));
    const TFBDocument& d = *FDocument;
    const float pw = d.PageWidth;
    const float ph = d.PageHeight;
    const auto inside = [&](float px, float py) {
        return 0 <= px && px < pw && 0 <= py && py < ph;
    };
    TFBPage* left = LeftPage();
    TFBPage* right = RightPage();
    switch (d.ScreenMode) {
    case 0:
        return left;
    case 1: {
        const float u = d.Umschlagbreite;
        if (left && inside(p.X - u, p.Y - u))
            return left;
        if (right && inside(p.X - u - pw - d.Stegbreite, p.Y - u))
            return right;
        return nullptr;
    }
    case 2:
        if (left && inside(p.X, p.Y))
            return left;
        if (right && inside(p.X - pw, p.Y))
            return right;
        return nullptr;
    default:
        return nullptr;
    }
}

TFBElement* TViewMapping::SearchPage(TFBPage* page, float x, float y, unsigned lists) const
{
    // The page's own search runs in the same order: texts and clip-arts,
    // calendars, frames, each from the top of its list.
    return page ? page->ElementAt(x, y, lists & ekAll) : nullptr;
}

TFBElement* TViewMapping::ElementAt(int x, int y, unsigned lists)
{
    if (!FDocument)
        return nullptr;
    const TRect r = DisplayWindowRect();
    if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom)
        return nullptr;
    const TPointF p = FMapping.InverseTransformPoint(PointF(float(x), float(y)));
    const TFBDocument& d = *FDocument;
    const float pw = d.PageWidth;
    TFBPage* left = LeftPage();
    TFBPage* right = RightPage();
    switch (d.ScreenMode) {
    case 0:
        return SearchPage(left, p.X, p.Y, lists);
    case 1: {
        const float u = d.Umschlagbreite;
        const float s = d.Stegbreite;
        TFBElement* found = nullptr;
        // Near the spine the right page wins, so an element reaching over
        // the spine from the right can still be grabbed there.
        if (left && p.X - u < pw - s / 2)
            found = SearchPage(left, p.X - u, p.Y - u, lists);
        if (!found && right)
            found = SearchPage(right, p.X - u - pw - s, p.Y - u, lists);
        return found;
    }
    case 2: {
        TFBElement* found = left ? SearchPage(left, p.X, p.Y, lists) : nullptr;
        if (!found && right)
            found = SearchPage(right, p.X - pw, p.Y, lists);
        return found;
    }
    default:
        return nullptr;
    }
}

TRect TViewMapping::ElementWindowRect(const TFBElement* element)
{
    TTransformation t;
    PageTransformation(element->Page, t);
    t.Translate(element->CenterX, element->CenterY);
    t.Rotate(element->Angle);
    const float w = element->Width / 2 + 1;
    const float h = element->Height / 2 + 1;
    const TRect box = t.BoundingRect(-w, -h, w, h);
    return TRect {box.Left - 10, box.Top - 10, box.Right + 10, box.Bottom + 10};
}

TViewInvalidation TViewMapping::ElementInvalidation(const TFBElement* element)
{
    TViewInvalidation result;
    if (!element)
        return result;
    if (dynamic_cast<const TFBKalenderElement*>(element)) {
        result.Whole = true;
        return result;
    }
    const auto* frame = dynamic_cast<const TFBPictureElement*>(element);
    if (frame && frame->Link) {
        for (const TFBPictureElement* member : frame->Link->List)
            if (member)
                result.Rects.push_back(ElementWindowRect(member));
        if (std::find(frame->Link->List.begin(), frame->Link->List.end(), frame)
            == frame->Link->List.end())
            result.Rects.push_back(ElementWindowRect(frame));
    } else {
        result.Rects.push_back(ElementWindowRect(element));
    }
    return result;
}
