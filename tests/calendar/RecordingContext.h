#pragma once

#include "render/DrawContext.h"

#include <memory>
#include <vector>

struct TRecordedFill {
    TRectF Rect; // document millimetres (bounding box)
    TColor Color;
    bool Outlined;
};

struct TRecordedText {
    QString Text;
    float X, Y, Width, Height;
    TFont Font;
    float CenterX() const { return X + Width / 2; }
    float CenterY() const { return Y + Height / 2; }
};

// Owns the recording device and canvas; a base of its own so that both exist
// before the draw context is given the canvas.
class TRecordingSurface {
protected:
    TRecordingSurface();
    ~TRecordingSurface();
    class TDevice;
    std::unique_ptr<TDevice> Device;
    std::unique_ptr<TCanvas> SurfaceCanvas;

public:
    std::vector<TRecordedFill> Fills;
};

// A draw context that keeps what was drawn instead of pixels: every filled
// polygon (its bounding box in document millimetres, the brush colour and
// whether an outline was on) and every text output (position, measured size
// and font). Text is measured by a fixed rule, so positions do not depend on
// the installed fonts.
class TRecordingContext : public TRecordingSurface, public TDrawContext {
public:
    // Device pixels per millimetre: rounding to pixels stays below 0.01 mm.
    static constexpr float Scale = 100;

    TRecordingContext();
    ~TRecordingContext() override;

    void TextOut(const QString& text, int mode, float x, float y) override;

    std::vector<TRecordedText> Texts;

    std::vector<TRecordedFill> FillsOf(TColor color) const;
    const TRecordedText* FindText(const QString& text) const;

    // The fixed metrics: a character is half an em wide, a line 1.2 em high.
    static float CharWidthMM(int points) { return float(points) * 25.4f / 72 / 2; }
    static float LineHeightMM(int points) { return float(points) * 25.4f / 72 * 1.2f; }

private:
    std::unique_ptr<ITextMeasurer> FixedMeasurer;
};
