#include "model/ZadoveroPageTemplate.h"

#include "app/Arith.h"
#include "app/Codec1252.h"
#include "render/BitmapDrawContext.h"

#include <QIODevice>
#include <QImage>
#include <QtEndian>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr TColor kPreviewOutline = 0x808080;

struct TFrameGeometry {
    float CenterX, CenterY, Width, Height, Angle;
};

void Append(TFBElementList& list, float cx, float cy, float w, float h, float angle)
{
    auto frame = std::make_unique<TFBPictureElement>(nullptr);
    frame->CenterX = cx;
    frame->CenterY = cy;
    frame->Width = w;
    frame->Height = h;
    frame->Angle = angle;
    list.Add(std::move(frame));
}

void WriteInt32(QIODevice& s, std::int32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    s.write(b, 4);
}

void WriteFloat(QIODevice& s, float v)
{
    char b[4];
    qToLittleEndian(v, b);
    s.write(b, 4);
}

void WriteString(QIODevice& s, const QString& text)
{
    const QByteArray bytes = EncodeStoredText(text);
    WriteInt32(s, std::int32_t(bytes.size()));
    s.write(bytes);
}

// Reads from a record held in memory; every read checks what is left.
class TRecordReader {
public:
    explicit TRecordReader(QIODevice& s) : S(s) {}
    bool Int32(std::int32_t& v)
    {
        char b[4];
        if (S.read(b, 4) != 4)
            return false;
        v = qFromLittleEndian<std::int32_t>(b);
        return true;
    }
    bool Float(float& v)
    {
        char b[4];
        if (S.read(b, 4) != 4)
            return false;
        v = qFromLittleEndian<float>(b);
        return std::isfinite(v);
    }
    bool Byte(std::uint8_t& v)
    {
        char c;
        if (!S.getChar(&c))
            return false;
        v = std::uint8_t(c);
        return true;
    }
    bool String(QString& text)
    {
        std::int32_t n = 0;
        if (!Int32(n) || n < 0 || n > S.bytesAvailable())
            return false;
        const QByteArray bytes = S.read(n);
        if (bytes.size() != n)
            return false;
        text = DecodeStoredText(bytes);
        return true;
    }
    bool Frames(std::vector<TFrameGeometry>& frames)
    {
        std::int32_t n = 0;
        if (!Int32(n) || n < 0 || qint64(n) * 20 > S.bytesAvailable())
            return false;
        frames.resize(std::size_t(n));
        for (TFrameGeometry& f : frames)
            if (!Float(f.CenterX) || !Float(f.CenterY) || !Float(f.Width) || !Float(f.Height) ||
                !Float(f.Angle))
                return false;
        return true;
    }

private:
    QIODevice& S;
};

void WriteFrames(QIODevice& s, const TFBElementList& list)
{
    WriteInt32(s, list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TFBElement* f = list.Items(i);
        WriteFloat(s, f->CenterX);
        WriteFloat(s, f->CenterY);
        WriteFloat(s, f->Width);
        WriteFloat(s, f->Height);
        WriteFloat(s, f->Angle);
    }
}

} // namespace

void TFBPageTemplate::AddFrameRect(float left, float top, float width, float height)
{
    Append(Frames, left + width / 2, top + height / 2, width, height, 0);
}

void TFBPageTemplate::AddLeftFrameRect(float left, float top, float width, float height)
{
    Append(LeftFrames, left + width / 2, top + height / 2, width, height, 0);
}

void TFBPageTemplate::AddFrame(float cx, float cy, float width, float height, float angle)
{
    Append(Frames, cx, cy, width, height, angle);
}

void TFBPageTemplate::AddLeftFrame(float cx, float cy, float width, float height, float angle)
{
    Append(LeftFrames, cx, cy, width, height, angle);
}

void TFBPageTemplate::ApplyTo(TFBPage* page) const
{
    // A template without a usable page size has nothing to scale from.
    if (!page || !page->Document || !(PageWidth > 0) || !(PageHeight > 0))
        return;
    TFBDocument* doc = page->Document;
    if (Doppelseite) {
        const int spread = page->SpreadIndex();
        TFBPage* left = doc->LeftPage(spread);
        TFBPage* right = doc->RightPage(spread);
        if (left && right && left != right) {
            LayOut(left, LeftFrames.Count() > 0 ? LeftFrames : Frames);
            LayOut(right, Frames);
            // Both halves must exist, or the picture would have nowhere to
            // run across the gutter.
            if (left->Piclist.Count() > 0 && right->Piclist.Count() > 0) {
                auto* l = static_cast<TFBPictureElement*>(left->Piclist.Items(0));
                auto* r = static_cast<TFBPictureElement*>(right->Piclist.Items(0));
                TFBPictureLink* link = doc->AddPictureLink();
                link->Add(l);
                link->Add(r);
                link->Sync(l);
            }
            return;
        }
    }
    LayOut(page, Frames);
}

void TFBPageTemplate::LayOut(TFBPage* page, const TFBElementList& list) const
{
    TFBDocument* doc = page->Document;
    TFBElementList& frames = page->Piclist;

    for (int i = 0; i < frames.Count(); ++i) {
        auto* frame = static_cast<TFBPictureElement*>(frames.Items(i));
        if (frame->Link)
            doc->DeletePictureLink(frame->Link);
    }
    for (int i = frames.Count() - 1; i >= 0; --i)
        if (!static_cast<TFBPictureElement*>(frames.Items(i))->HasPicture())
            frames.Delete(i);
    while (frames.Count() > list.Count())
        frames.Delete(frames.Count() - 1);
    while (frames.Count() < list.Count())
        frames.Add(std::make_unique<TFBPictureElement>(page));

    const float sx = doc->PageWidth / PageWidth;
    const float sy = doc->PageHeight / PageHeight;
    for (int i = 0; i < list.Count(); ++i) {
        const TFBElement* t = list.Items(i);
        TFBElement* f = frames.Items(i);
        f->CenterX = t->CenterX * sx;
        f->CenterY = t->CenterY * sy;
        f->Width = t->Width * sx;
        f->Height = t->Height * sy;
        f->Angle = t->Angle;
    }

    // On a left page the margins change places: the group moves, it is not
    // mirrored.
    if (page->IsLeftPage() && &list == &Frames && frames.Count() > 0) {
        float m = doc->PageWidth;
        float r = doc->PageWidth;
        for (int i = 0; i < frames.Count(); ++i) {
            const TFBElement* f = frames.Items(i);
            m = std::min(m, f->CenterX - f->Width / 2);
            r = std::min(r, doc->PageWidth - (f->CenterX + f->Width / 2));
        }
        for (int i = 0; i < frames.Count(); ++i)
            frames.Items(i)->CenterX += r - m;
    }
}

void TFBPageTemplate::SaveToStream(QIODevice& stream) const
{
    WriteFloat(stream, PageWidth);
    WriteFloat(stream, PageHeight);
    WriteString(stream, Name);
    const char d = Doppelseite ? 1 : 0;
    stream.write(&d, 1);
    WriteString(stream, LayoutTypenToString(Layouttypen));
    WriteInt32(stream, LayoutStil);
    WriteFrames(stream, Frames);
    WriteFrames(stream, LeftFrames);
}

bool TFBPageTemplate::LoadFromStream(QIODevice& stream)
{
    TRecordReader in(stream);
    float width = 0, height = 0;
    QString name, setText;
    std::uint8_t doppel = 0;
    std::int32_t stil = 0;
    std::vector<TFrameGeometry> frames, leftFrames;
    if (!in.Float(width) || !in.Float(height) || !(width > 0) || !(height > 0) ||
        !in.String(name) || !in.Byte(doppel) || !in.String(setText) || !in.Int32(stil) ||
        stil < 0 || stil > 255 || !in.Frames(frames) || !in.Frames(leftFrames))
        return false;

    // An unknown member name keeps the members read before it.
    TFBLayoutTypen types = 0;
    if (!setText.isEmpty())
        LayoutTypenFromString(setText, types);

    PageWidth = width;
    PageHeight = height;
    Name = name;
    Doppelseite = doppel != 0;
    Layouttypen = types;
    LayoutStil = std::uint8_t(stil);
    Frames.Clear();
    LeftFrames.Clear();
    for (const TFrameGeometry& f : frames)
        AddFrame(f.CenterX, f.CenterY, f.Width, f.Height, f.Angle);
    for (const TFrameGeometry& f : leftFrames)
        AddLeftFrame(f.CenterX, f.CenterY, f.Width, f.Height, f.Angle);
    return true;
}

void TFBPageTemplate::DrawPreview(QImage& bitmap, const QRect& r) const
{
    if (!(PageWidth > 0) || !(PageHeight > 0) || r.width() <= 0 || r.height() <= 0)
        return;
    const float pageSpan = Doppelseite ? 2 * PageWidth : PageWidth;
    const int bw = RoundHalfEven(double(pageSpan) * 1000);
    const int bh = RoundHalfEven(double(PageHeight) * 1000);
    if (bw <= 0 || bh <= 0)
        return;
    int w = r.width();
    int h = MulDiv(w, bh, bw);
    if (h > r.height()) {
        h = r.height();
        w = MulDiv(h, bw, bh);
    }
    if (w <= 0 || h <= 0)
        return;

    TBitmapDrawContext dc(&bitmap);
    TTransformation& t = dc.Transformation();
    t.Translate(float(r.left() + (r.width() - w) / 2), float(r.top() + (r.height() - h) / 2));
    const float scale = Doppelseite ? std::min(float(w) / pageSpan, float(h) / PageHeight)
                                    : float(h) / PageHeight;
    t.Scale(scale, scale);
    dc.SetPenColor(kPreviewOutline);
    dc.SetPenWidthPixels(1);
    dc.SetBrushColor(clWhite);

    auto drawFrames = [&](const TFBElementList& list, bool mirror) {
        for (int i = 0; i < list.Count(); ++i) {
            const TFBElement* f = list.Items(i);
            const float cx = mirror ? PageWidth - f->CenterX : f->CenterX;
            dc.RotatedRectangle(f->Angle, f->Width, f->Height, cx, f->CenterY);
        }
    };

    dc.Rectangle(0, 0, PageWidth, PageHeight);
    if (Doppelseite) {
        if (LeftFrames.Count() > 0)
            drawFrames(LeftFrames, false);
        else
            drawFrames(Frames, true);
        t.Translate(PageWidth, 0);
        dc.Rectangle(0, 0, PageWidth, PageHeight);
    }
    drawFrames(Frames, false);
}
