#include "render/DocDrawer.h"

#include "app/Arith.h"
#include "app/Codec1252.h"
#include "app/Colors.h"
#include "app/Errors.h"
#include "model/BildManager.h"
#include "model/FrameOutline.h"
#include "model/ZadoveroDocument.h"
#include "render/BitmapDrawContext.h"
#include "render/DrawContext.h"
#include "render/ShadowBitmap.h"
#include "richtext/RTFDrawer.h"

#include <QImage>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// Text shadows are made at 150 dpi whatever the target.
constexpr double kShadowPixelsPerMm = 5.905512;
// Larger shadow bitmaps are not made: the size would come from a broken
// element, not from a page.
constexpr int kMaxShadowPixels = 8000;

// Every temporary change of the mapping and the clip is undone on the way
// out, also when an element throws, so the next element starts clean.
class TPushGuard {
public:
    explicit TPushGuard(TDrawContext& context) : Context(context)
    {
        Context.Transformation().Push();
    }
    ~TPushGuard() { Context.Transformation().Pop(); }
    TPushGuard(const TPushGuard&) = delete;
    TPushGuard& operator=(const TPushGuard&) = delete;

private:
    TDrawContext& Context;
};

class TClipGuard {
public:
    explicit TClipGuard(TDrawContext& context) : Context(context) {}
    ~TClipGuard() { Context.RestoreClip(); }
    TClipGuard(const TClipGuard&) = delete;
    TClipGuard& operator=(const TClipGuard&) = delete;

private:
    TDrawContext& Context;
};

bool BoxesMeet(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// The text's drawer, laid out for the box width. A text that stops parsing
// part-way is drawn as far as it was read: the rest of the page must still
// appear.
void PrepareText(TRTFDrawer& drawer, const TFBTextElement& element)
{
    try {
        drawer.SetText(ToCp1252(element.RTF()));
    } catch (const Exception&) {
    }
    drawer.Layout(element.Width);
}

// Draws the text into a fresh 150-dpi grey mask and blurs it into the
// shadow picture.
void RebuildTextShadow(TFBTextElement& element, TRTFDrawer& drawer)
{
    TShadowBitmap* shadow = element.ShadowBitmap();
    const float w = element.Width;
    const float h = element.Height;
    element.ShadowDirty = false;
    element.ShadowWidth = w;
    element.ShadowHeight = h;
    element.ShadowBitmapWidth = w + 2;
    element.ShadowBitmapHeight = h + 2;
    const double pw = (double(w) + 2) * kShadowPixelsPerMm;
    const double ph = (double(h) + 2) * kShadowPixelsPerMm;
    if (!std::isfinite(pw) || !std::isfinite(ph) || pw > kMaxShadowPixels
        || ph > kMaxShadowPixels) {
        shadow->SetSize(0, 0);
        return;
    }
    shadow->SetSize(std::max(10, RoundHalfEven(pw)), std::max(10, RoundHalfEven(ph)));
    TBitmapDrawContext context(*shadow);
    context.Transformation().ScaleUniform(float(kShadowPixelsPerMm));
    shadow->ClearMask();
    shadow->SetOpacity(50);
    {
        context.ClipRect(TRegionMode::And, 1, 1, w + 1, h + 1);
        TClipGuard clip(context);
        drawer.DrawRTF(context, element.HorzAlign(), element.VertAlign(), w, h, (w + 2) / 2,
                       (h + 2) / 2);
    }
    shadow->MakeShadow(clBlack, 1.5);
}

void AppendOutline(TDrawContext& context, const QPainterPath& path)
{
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            context.MoveTo(float(e.x), float(e.y));
            break;
        case QPainterPath::LineToElement:
            context.LineTo(float(e.x), float(e.y));
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < path.elementCount()) {
                const QPainterPath::Element c2 = path.elementAt(i + 1);
                const QPainterPath::Element end = path.elementAt(i + 2);
                context.PolyBezierTo(TPointF {float(e.x), float(e.y)},
                                     TPointF {float(c2.x), float(c2.y)},
                                     TPointF {float(end.x), float(end.y)});
                i += 2;
            }
            break;
        default:
            break;
        }
    }
}

bool IsValidPageIndex(const TFBDocument& document, int index)
{
    return index >= 0 && index < document.Pages.Count();
}

} // namespace

TDocumentDrawer& GetDocumentDrawer()
{
    static TDocumentDrawer drawer;
    return drawer;
}

void TDocumentDrawer::DrawSpread(TFBDocument& document, TDrawContext& context, int quality,
                                 int spreadIndex)
{
    const int left = document.LeftPageIndex(spreadIndex);
    const int right = document.RightPageIndex(spreadIndex);
    const float w = document.PageWidth;
    switch (document.ScreenMode) {
    case 1: {
        float sw = 0, sh = 0;
        document.GetDisplaySize(sw, sh);
        const float m = document.Umschlagbreite;
        context.SetPenColor(clSilver);
        context.SetPenStyle(TPenStyle::Clear);
        context.SetBrushStyle(TBrushStyle::Solid);
        context.SetBrushColor(clSilver);
        context.Rectangle(3, 3, sw + 3, sh + 3);
        context.SetBrushColor(RGBColor(240, 240, 240));
        context.Rectangle(0, 0, sw, sh);
        context.SetPenStyle(TPenStyle::Solid);
        if (IsValidPageIndex(document, left)) {
            TPushGuard push(context);
            context.Transformation().Translate(m, m);
            DrawPage(*document.Pages.Items(left), context, false, quality);
        }
        if (IsValidPageIndex(document, right)) {
            TPushGuard push(context);
            context.Transformation().Translate(m + w + document.Stegbreite, m);
            DrawPage(*document.Pages.Items(right), context, false, quality);
        }
        break;
    }
    case 2:
        if (IsValidPageIndex(document, left))
            DrawPage(*document.Pages.Items(left), context, false, quality);
        if (IsValidPageIndex(document, right)) {
            TPushGuard push(context);
            context.Transformation().Translate(w, 0);
            DrawPage(*document.Pages.Items(right), context, false, quality);
        }
        break;
    case 0:
        if (IsValidPageIndex(document, spreadIndex))
            DrawPage(*document.Pages.Items(spreadIndex), context, false, quality);
        break;
    default:
        break;
    }
}

void TDocumentDrawer::DrawPage(TFBPage& page, TDrawContext& context, bool printing, int quality)
{
    const TFBDocument* document = page.Document;
    if (!document)
        return;
    const float w = document->PageWidth;
    const float h = document->PageHeight;
    if (!printing) {
        context.SetPenColor(RGBColor(208, 208, 208));
        context.SetPenStyle(TPenStyle::Solid);
        context.SetBrushStyle(TBrushStyle::Solid);
        context.SetBrushColor(page.Seitenfarbe);
        context.Rectangle(0, 0, w, h);
    }
    context.ClipRect(TRegionMode::Copy, 0, 0, w, h);
    TClipGuard clip(context);
    for (int i = 0; i < page.Piclist.Count(); ++i)
        DrawPictureElement(*static_cast<TFBPictureElement*>(page.Piclist.Items(i)), context,
                           printing, quality);
    for (int i = 0; i < page.Kalenderlist.Count(); ++i)
        page.Kalenderlist.Items(i)->Draw(context, quality != 0);
    for (int i = 0; i < page.Elementlist.Count(); ++i)
        page.Elementlist.Items(i)->Draw(context, quality != 0);
}

void TDocumentDrawer::DrawPictureElement(TFBPictureElement& element, TDrawContext& context,
                                         bool printing, int quality)
{
    if (element.HasPicture()) {
        DrawPicture(element, context, quality);
        return;
    }
    if (printing)
        return;
    context.SetPenColor(clSilver);
    context.SetPenStyle(TPenStyle::Solid);
    context.SetBrushStyle(TBrushStyle::Clear);
    FramePath(element, context);
    context.StrokePath();
    context.SetBrushStyle(TBrushStyle::Solid);
}

void TDocumentDrawer::DrawPicture(TFBPictureElement& element, TDrawContext& context, int quality)
{
    if (!element.HasPicture())
        return;
    TFBDocument* document = element.Document();
    if (!document)
        return;
    const float cx = element.CenterX;
    const float cy = element.CenterY;
    const float w = element.Width;
    const float h = element.Height;
    const float angle = element.Angle;

    const bool coversPage = cx == document->PageWidth / 2 && cy == document->PageHeight / 2
                            && w == document->PageWidth && h == document->PageHeight;
    if (document->PicturesHaveShadows && !coversPage) {
        context.ClipRotatedRect(TRegionMode::Diff, angle, w, h, cx, cy);
        TClipGuard clip(context);
        context.DrawShadowRect(cx + 1.5f, cy + 1.5f, w, h, angle, 1.5f);
    }

    if (quality == 0 || quality == 1) {
        TBildmanager& store = document->Bildmanager();
        const QImage bitmap = quality == 0 ? store.GetBitmap(element.RefIndex())
                                           : store.GetThumbnail(element.RefIndex());
        const TRect source = SourceRect(element, quality);
        if (!bitmap.isNull() && source.Width() > 0 && source.Height() > 0) {
            if (bitmap.hasAlphaChannel()) {
                // Transparent parts show white, not the page colour.
                context.SetPenStyle(TPenStyle::Clear);
                context.SetBrushStyle(TBrushStyle::Solid);
                context.SetBrushColor(clWhite);
                context.RotatedRectangle(angle, w, h, cx, cy);
                context.SetPenStyle(TPenStyle::Solid);
            }
            bool clipped = false;
            if (element.RegionTyp == 1) {
                context.ClipEllipse(TRegionMode::And, angle, w, h, cx, cy);
                clipped = true;
            } else if (element.RegionTyp == 2) {
                FramePath(element, context);
                context.ClipToPath(TRegionMode::And);
                clipped = true;
            }
            if (clipped) {
                TClipGuard clip(context);
                context.DrawImage(bitmap, source.Left, source.Top, source.Width(), source.Height(),
                                  cx, cy, w, h, angle);
            } else {
                context.DrawImage(bitmap, source.Left, source.Top, source.Width(), source.Height(),
                                  cx, cy, w, h, angle);
            }
        }
    }
    DrawBorder(element, context);
}

void TDocumentDrawer::DrawBorder(const TFBPictureElement& element, TDrawContext& context)
{
    const float bw = element.BorderWidth();
    if (!(bw > 0))
        return;
    const float cx = element.CenterX;
    const float cy = element.CenterY;
    const float w = element.Width;
    const float h = element.Height;
    const float angle = element.Angle;

    bool openLeft = false;
    bool openRight = false;
    const TFBDocument* document = element.Document();
    if (element.Link && document && ((angle > -45 && angle < 45) || angle > 315)) {
        float left = element.Left();
        float right = element.Right();
        if (angle != 0 && angle != 180) {
            float rw = 0, rh = 0;
            element.GetRotatedSize(rw, rh);
            left = cx - rw / 2;
            right = cx + rw / 2;
        }
        if (element.Page && element.Page->IsLeftPage())
            openRight = right >= document->PageWidth - 1;
        else
            openLeft = left <= 1;
    }

    context.SetPenWidth(bw);
    context.SetPenColor(element.BorderColor());
    context.SetPenStyle(TPenStyle::Solid);
    context.SetBrushStyle(TBrushStyle::Clear);
    {
        TPushGuard push(context);
        context.Transformation().Translate(cx, cy);
        context.Transformation().Rotate(angle);
        context.BeginPath();
        if (openRight) {
            context.MoveTo(w / 2, h / 2);
            context.LineTo(-w / 2, h / 2);
            context.LineTo(-w / 2, -h / 2);
            context.LineTo(w / 2, -h / 2);
        } else if (openLeft) {
            context.MoveTo(-w / 2, -h / 2);
            context.LineTo(w / 2, -h / 2);
            context.LineTo(w / 2, h / 2);
            context.LineTo(-w / 2, h / 2);
        } else {
            context.MoveTo(-w / 2, -h / 2);
            context.LineTo(w / 2, -h / 2);
            context.LineTo(w / 2, h / 2);
            context.LineTo(-w / 2, h / 2);
            context.CloseFigure();
        }
        context.EndPath();
        context.StrokePath();
    }
    context.SetBrushStyle(TBrushStyle::Solid);
    context.SetPenWidth(0);
}

void TDocumentDrawer::FramePath(const TFBPictureElement& element, TDrawContext& context)
{
    TPushGuard push(context);
    context.Transformation().Translate(element.CenterX, element.CenterY);
    if (element.Angle != 0)
        context.Transformation().Rotate(element.Angle);
    context.BeginPath();
    AppendOutline(context, FrameOutline(element.RegionTyp, element.Width, element.Height));
    context.CloseFigure();
    context.EndPath();
}

TRect TDocumentDrawer::SourceRect(const TFBPictureElement& element, int quality)
{
    return element.SourceRect(quality == 0 ? 0 : 1);
}

void TFBPictureElement::Draw(TDrawContext& context, bool quality)
{
    GetDocumentDrawer().DrawPicture(*this, context, quality ? 1 : 0);
}

void TFBTextElement::Draw(TDrawContext& context, bool)
{
    const float cx = CenterX;
    const float cy = CenterY;
    const float w = Width;
    const float h = Height;
    TTransformation& t = context.Transformation();

    TRTFDrawer drawer;
    bool prepared = false;
    if (HasShadow() && ShadowBitmap()) {
        if (w != ShadowWidth || h != ShadowHeight)
            ShadowDirty = true;
        // One rebuild per draw: the flag is cleared before the text is
        // drawn, so a change it causes cannot start another round.
        if (ShadowDirty) {
            PrepareText(drawer, *this);
            prepared = true;
            RebuildTextShadow(*this, drawer);
        }
        TShadowBitmap* shadow = ShadowBitmap();
        if (shadow->Width() > 0 && shadow->Height() > 0) {
            TImageLock lock(shadow->Image());
            if (lock.Ok()) {
                TPushGuard push(context);
                t.Translate(cx + 0.5f, cy + 0.5f);
                t.Rotate(Angle);
                context.DrawImageAlpha(lock.Data(), 0, 0, shadow->Width(), shadow->Height(),
                                       -ShadowBitmapWidth / 2, -ShadowBitmapHeight / 2,
                                       ShadowBitmapWidth, ShadowBitmapHeight);
            }
        }
    }

    context.SetBrushStyle(TBrushStyle::Clear);
    {
        TPushGuard push(context);
        t.Translate(cx, cy);
        t.Rotate(Angle);
        if (BoxesMeet(t.BoundingRect(-w / 2, -h / 2, w / 2, h / 2), context.UpdateRect())) {
            if (!prepared)
                PrepareText(drawer, *this);
            context.ClipRect(TRegionMode::And, -w / 2, -h / 2, w / 2, h / 2);
            TClipGuard clip(context);
            drawer.DrawRTF(context, HorzAlign(), VertAlign(), w, h, 0, 0);
        }
    }
    context.SetBrushStyle(TBrushStyle::Solid);
}

void TFBClipartElement::Draw(TDrawContext& context, bool)
{
    TFBDocument* document = Document();
    if (!document || FRefIndex == -1)
        return;
    const QImage bitmap = document->Bildmanager().GetBitmap(FRefIndex);
    if (bitmap.isNull())
        return;
    context.DrawImage(bitmap, 0, 0, bitmap.width(), bitmap.height(), CenterX, CenterY, Width, Height,
                      Angle);
}
