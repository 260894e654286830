#pragma once

#include "app/Colors.h"
#include "render/Canvas.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <vector>

// Soft shadows of text: the text is drawn into a TShadowBitmap as a grey
// mask (whatever colours the drawing code picks, the canvas forces them to
// the mask level), the mask is blurred with a Gaussian kernel and becomes
// the alpha channel of a one-colour picture, which is then composited
// under the text with DrawImageAlpha.

// The integer kernel of a standard deviation in pixels: weights for the
// offsets -Radius..Radius that sum to exactly 256. The tail is cut where it
// reaches 1/256 of the weight. A deviation of zero or less (or not a
// number) gives the identity.
struct TGaussianKernel {
    double Sigma = 0;
    int Radius = 0;
    std::vector<int> Weights {256};
    int Weight(int offset) const { return Weights[std::size_t(offset + Radius)]; }
};
// The process-wide kernel, rebuilt only when another deviation is asked
// for. Main thread only.
const TGaussianKernel& GaussianKernel(double sigma);

class TShadowBitmap {
public:
    TShadowBitmap();
    TShadowBitmap(int width, int height);
    TShadowBitmap(const TShadowBitmap&) = delete;
    TShadowBitmap& operator=(const TShadowBitmap&) = delete;

    // New, uninitialised pixels (ClearMask before drawing).
    void SetSize(int width, int height);
    int Width() const { return Img.width(); }
    int Height() const { return Img.height(); }
    // Always ARGB32. Do not change its size or format directly.
    QImage& Image() { return Img; }
    const QImage& Image() const { return Img; }
    TCanvas& Canvas() { return FCanvas; }

    std::uint8_t MaskLevel() const { return Level; }
    // Each on by default: the colour is set to the mask level after every
    // change of that canvas object (the brush only unless it is clear).
    bool ForcePenColor = true;
    bool ForceBrushColor = true;
    bool ForceFontColor = true;

    // Fills the whole bitmap black, the brush forcing aside.
    void ClearMask();
    // Mask level = round((100 - percent) / 100 * 255), percent limited to
    // 0..100; the forced colours take the new level at once.
    void SetOpacity(int percent);
    // Blurs the red channel of the mask with the kernel of sigma (one
    // horizontal, one vertical pass, each from an unchanged copy, edge
    // pixels repeated) and turns the bitmap into the colour with the blurred
    // mask as alpha.
    void MakeShadow(TColor color, double sigma);

private:
    void Force(TCanvas& canvas, TCanvasPart part);
    TColor Grey() const { return RGBColor(Level, Level, Level); }

    QImage Img;
    TCanvas FCanvas;
    std::uint8_t Level = 128;
};

// Constant-opacity blend of source over dest with source's top-left at
// (x, y); only the overlap changes. alpha (0..255) is the weight dest keeps:
// 0 copies the source, 255 keeps dest (less one step). Pixels that are
// already equal stay untouched.
void BlendBitmap(QImage& dest, int x, int y, int alpha, const QImage& source);
