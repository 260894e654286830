#include "editor/MainViewPainter.h"

#include "app/Colors.h"
#include "app/Errors.h"
#include "app/Services.h"
#include "editor/Tracker.h"
#include "editor/ViewMapping.h"
#include "i18n/Localizer.h"
#include "model/ZadoveroDocument.h"
#include "render/BitmapDrawContext.h"
#include "render/DocDrawer.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

const char* const kSection = "TFBMainView";
const char* const kCover = "Cover";

// Display areas at least this wide or high get the wider shadow.
constexpr float kLargeDisplay = 175;

// The product whose pages have three keyhole notches in their top edge.
constexpr int kNotchedPrintSetting = 4;

struct TMarkerRect {
    int PrintSetting;
    TRectF Rect;
};
// Where the first page of some products carries its printed label.
constexpr TMarkerRect kFirstPageMarkers[] = {
    {1, {20.5f, 31, 60, 70.5f}},  {2, {48.5f, 70, 117, 134.5f}}, {5, {47, 70, 117, 125}},
    {6, {47, 70, 117, 125}},      {12, {19, 45, 73, 107}},       {15, {49, 25, 117, 90}},
};

QString CoverText()
{
    if (!TServices::Exists())
        return QString::fromLatin1(kCover);
    TLocalizer& localizer = Localizer();
    // Registered once per translator; a translator without it still falls
    // back to the German text below.
    static const TLocalizer* registered = nullptr;
    if (registered != &localizer) {
        RegisterMainViewTexts(localizer);
        registered = &localizer;
    }
    return localizer.Lookup(QString::fromLatin1(kSection), QString::fromLatin1(kCover),
                            QString::fromLatin1(kCover));
}

// Puts the clip back to the depth it had, also when a step throws.
class TClipLevel {
public:
    explicit TClipLevel(TDrawContext& dc) : Dc(dc), Depth(dc.ClipDepth()) {}
    ~TClipLevel()
    {
        while (Dc.ClipDepth() > Depth)
            Dc.RestoreClip();
    }
    TClipLevel(const TClipLevel&) = delete;
    TClipLevel& operator=(const TClipLevel&) = delete;

private:
    TDrawContext& Dc;
    int Depth;
};

// Sets a page's mapping on the context and puts the view mapping back.
class TPageMapping {
public:
    TPageMapping(TDrawContext& dc, TViewMapping& mapping, const TFBPage* page)
        : T(dc.Transformation())
    {
        T.Push();
        TTransformation pageMapping;
        mapping.PageTransformation(page, pageMapping);
        T.SetMatrix(pageMapping.Matrix());
    }
    ~TPageMapping() { T.Pop(); }
    TPageMapping(const TPageMapping&) = delete;
    TPageMapping& operator=(const TPageMapping&) = delete;

private:
    TTransformation& T;
};

// How far beyond its rectangle an element may draw: frame shadows reach
// 3 mm, text shadows 1.5 mm, borders half their width.
constexpr float kDrawReachMm = 4;

// Whether the element's drawing can reach into the update rectangle; the
// context's mapping is the element's page mapping. Skipping the others
// spares the picture look-ups, text layouts and clip regions of everything
// a small repaint does not touch.
bool MeetsUpdateRect(TDrawContext& dc, const TFBElement& element)
{
    float reach = kDrawReachMm;
    if (const auto* frame = dynamic_cast<const TFBPictureElement*>(&element)) {
        // The heart has a fixed size of its own, whatever the frame's.
        if (frame->RegionTyp == 2)
            return true;
        reach += std::max(0.0f, frame->BorderWidth());
    }
    const float w = std::fabs(element.Width) / 2 + reach;
    const float h = std::fabs(element.Height) / 2 + reach;
    if (!std::isfinite(w) || !std::isfinite(h))
        return true;
    TTransformation& t = dc.Transformation();
    t.Push();
    t.Translate(element.CenterX, element.CenterY);
    t.Rotate(element.Angle);
    const TRect box = t.BoundingRect(-w, -h, w, h);
    t.Pop();
    const TRect u = dc.UpdateRect();
    return box.Left - 2 < u.Right && u.Left < box.Right + 2 && box.Top - 2 < u.Bottom
           && u.Top < box.Bottom + 2;
}

bool InView(const std::vector<TFBPage*>& pages, const TFBPage* page)
{
    return page && std::find(pages.begin(), pages.end(), page) != pages.end();
}

void DrawShadows(TBitmapDrawContext& dc, TViewMapping& mapping)
{
    float w = 0, h = 0;
    mapping.DisplaySize(w, h);
    const float s = (w >= kLargeDisplay || h >= kLargeDisplay) ? 2 : 1;
    {
        // On screen a turned view is the display area with its sides
        // exchanged; the shadow is drawn unturned so that it falls to the
        // lower right there.
        float sw = w, sh = h;
        if (mapping.IsTurned())
            std::swap(sw, sh);
        TTransformation& t = dc.Transformation();
        t.Push();
        TTransformation unturned;
        mapping.UnturnedTransformation(unturned);
        t.SetMatrix(unturned.Matrix());
        try {
            TClipLevel clip(dc);
            dc.ClipRect(TRegionMode::Diff, -sw / 2, -sh / 2, sw / 2, sh / 2);
            dc.DrawShadowRect(s, s, sw, sh, 0, s);
        } catch (...) {
            t.Pop();
            throw;
        }
        t.Pop();
    }
    const TFBDocument* doc = mapping.Document();
    if (!doc || doc->ScreenMode != 1)
        return;
    dc.SetPenStyle(TPenStyle::Solid);
    dc.SetPenColor(clGray);
    dc.SetBrushStyle(TBrushStyle::Solid);
    dc.SetBrushColor(kCoverColor);
    dc.Rectangle(0, 0, w, h);
    TFont font;
    font.Name = QStringLiteral("Arial");
    font.Style = TFontStyle::Bold;
    font.Size = int(std::trunc(h / 5));
    font.Color = kMarkColor;
    dc.SetFont(font);
    dc.SetBrushStyle(TBrushStyle::Clear);
    const QString text = CoverText();
    dc.DrawText(text, kDtCenter | kDtVCenter, 0, 0, w / 2, h);
    dc.DrawText(text, kDtCenter | kDtVCenter, w / 2, 0, w, h);
    dc.SetBrushStyle(TBrushStyle::Solid);
}

void NotchedOutline(TDrawContext& dc, float pw, float ph)
{
    dc.BeginPath();
    dc.MoveTo(0, 0);
    for (const float x : {13.0f, pw / 2, pw - 13}) {
        dc.LineTo(x - 0.7f, 0);
        dc.LineTo(x - 0.7f, 4.25f);
        dc.LineTo(x - 3.1f, 4.55f);
        dc.PolyBezierTo(PointF(x - 3.3f, 4.6f), PointF(x - 3.5f, 4.8f), PointF(x - 3.5f, 5.25f));
        dc.PolyBezierTo(PointF(x - 3.5f, 5.8f), PointF(x - 1.8f, 7), PointF(x, 7));
        dc.PolyBezierTo(PointF(x + 1.8f, 7), PointF(x + 3.5f, 5.8f), PointF(x + 3.5f, 5.25f));
        dc.PolyBezierTo(PointF(x + 3.5f, 4.8f), PointF(x + 3.3f, 4.6f), PointF(x + 3.1f, 4.55f));
        dc.LineTo(x + 0.7f, 4.25f);
        dc.LineTo(x + 0.7f, 0);
    }
    dc.LineTo(pw, 0);
    dc.LineTo(pw, ph);
    dc.LineTo(0, ph);
    dc.LineTo(0, 0);
    dc.EndPath();
    dc.StrokeAndFillPath();
}

void DrawPageBackgrounds(TBitmapDrawContext& dc, TViewMapping& mapping)
{
    const TFBDocument& doc = *mapping.Document();
    for (TFBPage* page : mapping.Pages()) {
        TPageMapping pm(dc, mapping, page);
        dc.SetPenColor(kMarkColor);
        dc.SetPenStyle(doc.ScreenMode == 1 ? TPenStyle::Clear : TPenStyle::Solid);
        dc.SetBrushStyle(TBrushStyle::Solid);
        dc.SetBrushColor(page->Seitenfarbe);
        if (doc.PrintSetting == kNotchedPrintSetting)
            NotchedOutline(dc, doc.PageWidth, doc.PageHeight);
        else
            dc.Rectangle(0, 0, doc.PageWidth, doc.PageHeight);
        dc.SetPenStyle(TPenStyle::Solid);
    }
}

void SelectionPen(TDrawContext& dc)
{
    dc.SetPenStyle(TPenStyle::Solid);
    dc.SetPenColor(kSelectionColor);
    dc.SetPenWidthPixels(kSelectionPenPixels);
    dc.SetBrushStyle(TBrushStyle::Clear);
}

void RestorePen(TDrawContext& dc)
{
    dc.SetPenWidth(0);
    dc.SetPenStyle(TPenStyle::Solid);
    dc.SetBrushStyle(TBrushStyle::Solid);
}

void DrawPictureElements(TBitmapDrawContext& dc, TViewMapping& mapping, const TFBElement* selection)
{
    const TFBDocument& doc = *mapping.Document();
    TDocumentDrawer& drawer = GetDocumentDrawer();
    const std::vector<TFBPage*> pages = mapping.Pages();
    for (TFBPage* page : pages) {
        TPageMapping pm(dc, mapping, page);
        TClipLevel clip(dc);
        dc.ClipRect(TRegionMode::And, 0, 0, doc.PageWidth, doc.PageHeight);
        for (int i = 0; i < page->Piclist.Count(); ++i) {
            auto* frame = static_cast<TFBPictureElement*>(page->Piclist.Items(i));
            if (MeetsUpdateRect(dc, *frame))
                drawer.DrawPictureElement(*frame, dc, false, 0);
        }
    }
    const auto* frame = dynamic_cast<const TFBPictureElement*>(selection);
    if (!frame)
        return;
    std::vector<const TFBPictureElement*> outlined {frame};
    if (frame->Link)
        for (const TFBPictureElement* member : frame->Link->List)
            if (member && member != frame)
                outlined.push_back(member);
    for (const TFBPictureElement* f : outlined) {
        if (!InView(pages, f->Page))
            continue;
        TPageMapping pm(dc, mapping, f->Page);
        TClipLevel clip(dc);
        dc.ClipRect(TRegionMode::And, 0, 0, doc.PageWidth, doc.PageHeight);
        SelectionPen(dc);
        drawer.FramePath(*f, dc);
        dc.StrokePath();
        RestorePen(dc);
    }
}

void DrawCalendars(TBitmapDrawContext& dc, TViewMapping& mapping, const TFBElement* selection)
{
    const std::vector<TFBPage*> pages = mapping.Pages();
    for (TFBPage* page : pages) {
        TPageMapping pm(dc, mapping, page);
        for (int i = 0; i < page->Kalenderlist.Count(); ++i)
            page->Kalenderlist.Items(i)->Draw(dc, false);
    }
    const auto* calendar = dynamic_cast<const TFBKalenderElement*>(selection);
    if (!calendar || !InView(pages, calendar->Page))
        return;
    TPageMapping pm(dc, mapping, calendar->Page);
    SelectionPen(dc);
    dc.RotatedRectangle(calendar->Angle, calendar->Width, calendar->Height, calendar->CenterX,
                        calendar->CenterY);
    RestorePen(dc);
}

// The frame of a text in its own turned coordinates: dotted when selected,
// otherwise only 2 mm marks at the corners.
void DrawTextFrame(TDrawContext& dc, const TFBTextElement& text, bool selected)
{
    TTransformation& t = dc.Transformation();
    t.Push();
    t.Translate(text.CenterX, text.CenterY);
    t.Rotate(text.Angle);
    dc.SetPenColor(kMarkColor);
    dc.SetPenWidth(0);
    dc.SetBrushStyle(TBrushStyle::Clear);
    const float w = text.Width / 2;
    const float h = text.Height / 2;
    if (selected) {
        dc.SetPenStyle(TPenStyle::Dot);
        dc.Rectangle(-w, -h, w, h);
    } else {
        dc.SetPenStyle(TPenStyle::Solid);
        for (const float sx : {-1.0f, 1.0f})
            for (const float sy : {-1.0f, 1.0f})
                dc.Polyline({PointF(sx * w, sy * h - sy * 2), PointF(sx * w, sy * h),
                             PointF(sx * w - sx * 2, sy * h)});
    }
    dc.SetPenStyle(TPenStyle::Solid);
    dc.SetBrushStyle(TBrushStyle::Solid);
    t.Pop();
}

void DrawElements(TBitmapDrawContext& dc, TViewMapping& mapping, const TFBElement* selection)
{
    const TFBDocument& doc = *mapping.Document();
    for (TFBPage* page : mapping.Pages()) {
        TPageMapping pm(dc, mapping, page);
        TClipLevel clip(dc);
        dc.ClipRect(TRegionMode::And, 0, 0, doc.PageWidth, doc.PageHeight);
        for (int i = 0; i < page->Elementlist.Count(); ++i) {
            TFBElement* element = page->Elementlist.Items(i);
            if (!MeetsUpdateRect(dc, *element))
                continue;
            element->Draw(dc, false);
            if (const auto* text = dynamic_cast<const TFBTextElement*>(element))
                DrawTextFrame(dc, *text, text == selection);
        }
    }
}

void DrawFirstPageMarker(TBitmapDrawContext& dc, TViewMapping& mapping)
{
    const TFBDocument& doc = *mapping.Document();
    if (mapping.ViewIndex() != 0 || doc.Pages.Count() == 0)
        return;
    for (const TMarkerRect& marker : kFirstPageMarkers) {
        if (marker.PrintSetting != doc.PrintSetting)
            continue;
        TPageMapping pm(dc, mapping, doc.Pages.Items(0));
        dc.SetPenColor(kMarkColor);
        dc.SetPenWidth(0);
        dc.SetPenStyle(TPenStyle::Dot);
        dc.SetBrushStyle(TBrushStyle::Clear);
        dc.RectangleF(marker.Rect);
        dc.SetPenStyle(TPenStyle::Solid);
        dc.SetBrushStyle(TBrushStyle::Solid);
    }
}

void DrawTracker(TBitmapDrawContext& dc, TViewMapping& mapping, const TFBElement* selection,
                 TTracker* tracker)
{
    if (!tracker || !tracker->Visible || !dynamic_cast<const TFBSizeableElement*>(selection))
        return;
    if (!InView(mapping.Pages(), selection->Page))
        return;
    TPageMapping pm(dc, mapping, selection->Page);
    tracker->Draw(dc);
}

TRect Cut(const TRect& a, const TRect& b)
{
    return TRect {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
}

} // namespace

void RegisterMainViewTexts(TLocalizer& localizer)
{
    localizer.RegisterSectionText(QString::fromLatin1(kSection), QString::fromLatin1(kCover));
}

QSize OffscreenBitmapSize(const QSize& current, const QSize& client)
{
    const auto axis = [](int have, int need) {
        if (have < need || have > need + kBitmapShrinkSlack)
            return need + kBitmapReserve;
        return have;
    };
    return QSize(axis(current.width(), std::max(0, client.width())),
                 axis(current.height(), std::max(0, client.height())));
}

void TMainViewPainter::FillBackground(TBitmapDrawContext& dc, const TRect& box)
{
    QImage& bitmap = dc.Bitmap();
    if (FBackground.size() != bitmap.size()) {
        FBackground = QImage(bitmap.size(), QImage::Format_RGB32);
        FBackground.fill(Qt::white);
        QPainter p(&FBackground);
        QLinearGradient gradient(0, 0, bitmap.width(), bitmap.height());
        gradient.setColorAt(0, QColor(252, 252, 254));
        gradient.setColorAt(1, QColor(244, 243, 238));
        p.fillRect(FBackground.rect(), gradient);
    }
    QPainter* p = dc.Canvas().Painter();
    if (!p)
        return;
    p->setCompositionMode(QPainter::CompositionMode_Source);
    const QRect r(box.Left, box.Top, box.Width(), box.Height());
    p->drawImage(r.topLeft(), FBackground, r);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

bool TMainViewPainter::Paint(TBitmapDrawContext& dc, const TScene& scene, const TRect& updateRect)
{
    FLastError.clear();
    QImage& bitmap = dc.Bitmap();
    const TRect box = Cut(updateRect, TRect {0, 0, bitmap.width(), bitmap.height()});
    if (box.Width() <= 0 || box.Height() <= 0 || !scene.Mapping)
        return true;
    TViewMapping& mapping = *scene.Mapping;

    while (dc.ClipDepth() > 0)
        dc.RestoreClip();
    TTransformation& t = dc.Transformation();
    t.PopAll();
    t.Identity();
    dc.SetUpdateRect(box);
    // Nothing outside the update rectangle is touched: the pixel loops cut
    // their work to it, and the clip keeps vector drawing out of it.
    dc.ClipRect(TRegionMode::Copy, float(box.Left), float(box.Top), float(box.Right),
                float(box.Bottom));
    bool ok = true;
    try {
        FillBackground(dc, box);
        mapping.SetupTransformation();
        if (mapping.Document()) {
            t.SetMatrix(mapping.Transformation().Matrix());
            DrawShadows(dc, mapping);
            DrawPageBackgrounds(dc, mapping);
            DrawPictureElements(dc, mapping, scene.Selection);
            DrawCalendars(dc, mapping, scene.Selection);
            DrawElements(dc, mapping, scene.Selection);
            DrawFirstPageMarker(dc, mapping);
            DrawTracker(dc, mapping, scene.Selection, scene.Tracker);
        }
    } catch (const std::exception& e) {
        ok = false;
        FLastError = QString::fromUtf8(e.what());
        if (const auto* ex = dynamic_cast<const Exception*>(&e))
            FLastError = ex->message();
    } catch (...) {
        ok = false;
        FLastError = QStringLiteral("unknown error");
    }
    if (!ok)
        qCWarning(lcView, "TFBMainView.Paint: %s", qUtf8Printable(FLastError));
    while (dc.ClipDepth() > 0)
        dc.RestoreClip();
    t.PopAll();
    dc.SetUpdateRect(kNoUpdateRect);
    dc.Canvas().End();
    return ok;
}
