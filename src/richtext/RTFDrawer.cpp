#include "richtext/RTFDrawer.h"

#include "app/Arith.h"
#include "render/DrawContext.h"
#include "richtext/FontCache.h"

#include <algorithm>
#include <cmath>

TFont TokenDrawingFont(const TRTFFont& font)
{
    TFont result;
    result.Name = font.Name == QLatin1String("Default") ? QStringLiteral("Arial") : font.Name;
    result.Size = DrawingFontSize(font.Size);
    result.Style = TFontStyles::fromInt(font.Style.toInt());
    result.Color = font.Color;
    result.Charset = font.Charset;
    return result;
}

// ---------------------------------------------------------------------------
// TRTFBasicDrawer

void TRTFBasicDrawer::SetText(const QByteArray& rtf)
{
    try {
        TRTFTokenReader::SetText(rtf);
    } catch (...) {
        // What was read is shown, so it must be measured like a whole text.
        Measure(int(kMeasureDpi));
        if (OnChange)
            OnChange();
        throw;
    }
    Measure(int(kMeasureDpi));
    if (OnChange)
        OnChange();
}

void TRTFBasicDrawer::Measure(int dpi)
{
    if (dpi <= 0)
        dpi = int(kMeasureDpi);
    for (TRTFToken& token : FTokens) {
        token.Width = 0;
        token.LineHeight = 0;
        token.Ascent = 0;
        // Alignment tokens carry no font and take no room.
        if (token.Kind == TRTFTokenKind::Alignment)
            continue;
        const TFont font = TokenDrawingFont(token.Font);
        const TFontInfo& info = FontCache().Lookup(font);
        // The font height of a device with this resolution, in whole pixels.
        const double fontHeight = std::abs(double(MulDiv(font.Size, dpi, 72)));
        const double toMM = fontHeight / info.EmSquare() / dpi * 25.4;
        const TTextMetrics& m = info.Metrics();
        token.LineHeight = float((m.Height + m.ExternalLeading) * toMM);
        token.Ascent = float(m.Ascent * toMM);
        if (token.Kind == TRTFTokenKind::ParagraphEnd)
            continue;
        for (char32_t code : CodePoints(token.Text))
            token.Width += float(info.Advance(code) * toMM);
    }
}

// ---------------------------------------------------------------------------
// TRTFDrawer

void TRTFDrawer::SetText(const QByteArray& rtf)
{
    // Before reading, so that a draw fired by OnChange keeps its layout.
    FLayoutWidth = -1;
    TRTFBasicDrawer::SetText(rtf);
}

void TRTFDrawer::Clear()
{
    TRTFBasicDrawer::Clear();
    FLines.clear();
    FTotalHeight = 0;
}

void TRTFDrawer::MakeLine(int first, int last, TRTFAlignment alignment)
{
    if (first > last)
        return;
    bool content = false;
    for (int i = first; i <= last && !content; ++i)
        content = FTokens[std::size_t(i)].Kind != TRTFTokenKind::Alignment;
    if (!content)
        return;
    TRTFLine line;
    line.First = first;
    line.Last = last;
    line.Alignment = alignment;
    FLines.push_back(line);
}

void TRTFDrawer::Layout(double width)
{
    FLines.clear();
    FTotalHeight = 0;
    // A width that is no layout must not be remembered as one, or the next
    // draw would not lay out again.
    if (FTokens.empty() || !(width >= 0)) {
        FLayoutWidth = -1;
        return;
    }

    const int count = int(FTokens.size());
    TRTFAlignment alignment = TRTFAlignment::Left;
    int b = 0;   // first token of the current line
    int c = 0;   // last break position in it; b while there is none
    float sum = 0;
    int i = 0;
    while (i < count) {
        const TRTFToken& token = FTokens[std::size_t(i)];
        switch (token.Kind) {
        case TRTFTokenKind::ParagraphEnd:
            MakeLine(b, i, alignment);
            if (!FLines.empty())
                FLines.back().ParagraphEnd = true;
            b = c = i + 1;
            sum = 0;
            break;
        case TRTFTokenKind::Alignment:
            alignment = token.Alignment;
            break;
        case TRTFTokenKind::Space:
            if (sum + token.Width > width) {
                // The space the line breaks at is dropped.
                MakeLine(b, i - 1, alignment);
                b = c = i + 1;
                sum = 0;
            } else {
                c = i;
                sum += token.Width;
            }
            break;
        case TRTFTokenKind::Word:
        case TRTFTokenKind::Field:
            if (sum + token.Width > width) {
                sum = 0;
                if (b == c) {
                    // No break position: the word starts the next line
                    // (alone on it when it is wider than the box).
                    MakeLine(b, i - 1, alignment);
                    b = c = i;
                } else {
                    // Break at the last space, drop it and measure the
                    // words after it again on the new line.
                    MakeLine(b, c - 1, alignment);
                    i = b = c = c + 1;
                    continue;
                }
            }
            sum += token.Width;
            break;
        }
        ++i;
    }
    MakeLine(b, count - 1, alignment);
    if (!FLines.empty())
        FLines.back().ParagraphEnd = true;

    for (TRTFLine& line : FLines) {
        for (int k = line.First; k <= line.Last; ++k) {
            const TRTFToken& token = FTokens[std::size_t(k)];
            line.Width += token.Width;
            if (token.Kind == TRTFTokenKind::Space)
                ++line.SpaceCount;
            line.Height = std::max(line.Height, token.LineHeight);
        }
        FTotalHeight += line.Height;
    }
    FLayoutWidth = width;
}

namespace {

bool IsDrawn(TRTFTokenKind kind)
{
    return kind == TRTFTokenKind::Word || kind == TRTFTokenKind::Space
           || kind == TRTFTokenKind::Field;
}

} // namespace

void TRTFDrawer::UpdateDeviceMetrics(TDrawContext& context, float h)
{
    float heights = 0;
    for (TRTFLine& line : FLines) {
        line.Ascent = 0;
        line.DeviceAscent = 0;
        for (int k = line.First; k <= line.Last; ++k) {
            TRTFToken& token = FTokens[std::size_t(k)];
            if (!IsDrawn(token.Kind))
                continue;
            context.SetFont(TokenDrawingFont(token.Font));
            const TTextMetrics m = context.GetTextMetrics();
            token.DeviceTextHeight = m.Height;
            token.DeviceAscent = m.Ascent;
            line.DeviceAscent = std::max(line.DeviceAscent, m.Ascent);
            line.Ascent = std::max(line.Ascent, token.Ascent);
        }
        heights += line.Height;
        if (heights > h)
            break;
    }
}

void TRTFDrawer::DrawRTF(TDrawContext& context, int horzAlign, int vertAlign, float w, float h,
                         float cx, float cy)
{
    if (FLayoutWidth != double(w))
        Layout(w);
    if (FLines.empty())
        return;
    UpdateDeviceMetrics(context, h);

    context.SetBrushStyle(TBrushStyle::Clear);
    const float top = cy - h / 2;
    const float bottom = cy + h / 2;
    const float left = cx - w / 2;
    float y = top;
    if (vertAlign == kTextAlignMiddle)
        y = cy - FTotalHeight / 2;
    else if (vertAlign == kTextAlignBottom)
        y = bottom - FTotalHeight;
    y = std::max(y, top);

    for (std::size_t n = 0; n < FLines.size(); ++n) {
        const TRTFLine& line = FLines[n];
        if (n > 0 && y + line.Height - bottom > 0.05f)
            break;
        float x = left;
        if (horzAlign == kTextAlignCenter)
            x = cx - line.Width / 2;
        else if (horzAlign == kTextAlignRight)
            x = cx + w / 2 - line.Width;
        x = std::max(x, left);
        const bool stretch = horzAlign == kTextAlignJustify && !line.ParagraphEnd;
        for (int k = line.First; k <= line.Last; ++k) {
            const TRTFToken& token = FTokens[std::size_t(k)];
            if (!IsDrawn(token.Kind))
                continue;
            context.SetFont(TokenDrawingFont(token.Font));
            float vx, vy;
            context.Transformation().InverseTransformVector(0, float(token.DeviceAscent), vx, vy);
            const float ascent = std::sqrt(vx * vx + vy * vy);
            // Every token's cell top is placed so that its baseline lies at
            // the line's largest ascent.
            context.TextOut(token.Text, 0, x, y + line.Ascent - ascent);
            x += token.Width;
            if (stretch && token.Kind == TRTFTokenKind::Space)
                x += (w - line.Width) / float(line.SpaceCount);
        }
        y += line.Height;
    }
}
