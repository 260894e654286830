#pragma once

#include "render/Font.h"
#include "richtext/RTFParser.h"

#include <functional>
#include <vector>

class TDrawContext;

// Draws the rich text of a text element. Tokens are measured once per text
// in millimetres from the fonts' design units (as on a 720 dpi device) and
// broken into lines once per box width; a draw only sets device fonts and
// writes the tokens. Because nothing in measuring or breaking depends on the
// output device, lines break at the same words and words sit at the same
// places in the editing view, in the shadow bitmap and on paper.

// The font a token is measured and drawn with: the size limited to what a
// device font can take, "Default" drawn as Arial.
TFont TokenDrawingFont(const TRTFFont& font);

// Keeps a text's tokens measured.
class TRTFBasicDrawer : public TRTFTokenReader {
public:
    // Fired after every SetText, also when it fails part-way.
    std::function<void()> OnChange;

    // Reads the text and measures its tokens. On a parse error the tokens
    // read so far are measured too, OnChange fires and the error propagates.
    void SetText(const QByteArray& rtf) override;
    // Fills width, line height and ascent of every token; the result does
    // not depend on dpi beyond the rounding of the font height to whole
    // pixels, which is exact at 720.
    virtual void Measure(int dpi);
};

// A run of tokens drawn as one line.
struct TRTFLine {
    float Height = 0;     // largest line height of its tokens
    float Ascent = 0;     // largest ascent of its drawn tokens (last draw)
    int DeviceAscent = 0; // likewise in device pixels
    float Width = 0;      // sum of its tokens' widths
    int SpaceCount = 0;   // spaces and break opportunities
    int Reserved = 0;
    int First = 0; // token indices, both inclusive
    int Last = 0;
    TRTFAlignment Alignment = TRTFAlignment::Left; // as recorded in the RTF
    bool ParagraphEnd = false; // ends a paragraph or the text

    bool operator==(const TRTFLine&) const = default;
};

// Element alignments as stored ("HorzAlign", "VertAlign").
enum : int { kTextAlignLeft = 0, kTextAlignCenter = 1, kTextAlignRight = 2, kTextAlignJustify = 3 };
enum : int { kTextAlignTop = 0, kTextAlignMiddle = 1, kTextAlignBottom = 2 };

class TRTFDrawer : public TRTFBasicDrawer {
public:
    void SetText(const QByteArray& rtf) override;
    void Clear() override;

    // Breaks the tokens into lines for a box width in millimetres. A
    // negative width (or no tokens) leaves no lines and no remembered width.
    void Layout(double width);

    // Draws into the w x h box centred at (cx, cy) of the context's current
    // mapping. horzAlign applies to every line (the RTF's own paragraph
    // alignment is not used); kTextAlignJustify stretches every line that
    // does not end a paragraph to the box width. Lines that do not fit are
    // left out, but the first line is always drawn, starting at the top.
    void DrawRTF(TDrawContext& context, int horzAlign, int vertAlign, float w, float h, float cx,
                 float cy);

    const std::vector<TRTFLine>& Lines() const { return FLines; }
    // -1 while no layout is made.
    double LayoutWidth() const { return FLayoutWidth; }
    // Millimetres, all lines.
    float TotalHeight() const { return FTotalHeight; }

private:
    void MakeLine(int first, int last, TRTFAlignment alignment);
    void UpdateDeviceMetrics(TDrawContext& context, float h);

    std::vector<TRTFLine> FLines;
    double FLayoutWidth = -1;
    float FTotalHeight = 0;
};
