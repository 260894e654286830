#pragma once

#include "render/DrawContext.h"

#include <QImage>

#include <memory>
#include <vector>

class TShadowBitmap;

// A draw context on a 32-bit bitmap. Vector drawing and text go through
// the canvas; pictures are composited by integer pixel loops straight into
// the bitmap's memory: nearest-neighbour with alpha for pictures, bilinear
// with alpha for shadows and other locked data, and the soft rectangle
// shadow of picture frames. Work is limited to the bitmap, the update
// rectangle and the clip region.
//
// The bitmap is kept as ARGB32 or RGB32 (others are converted in place on
// construction). With RGB32 the alpha byte of every written pixel is set to
// 255, which is what a bitmap shown on screen wants; ARGB32 keeps the alpha
// byte the blend formulas give.
class TBitmapDrawContext : public TDrawContext {
public:
    // Draws on the bitmap (not owned) through a canvas of its own.
    explicit TBitmapDrawContext(QImage* bitmap);
    // Draws through the shadow bitmap's canvas, so that its colour forcing
    // applies.
    explicit TBitmapDrawContext(TShadowBitmap& bitmap);
    ~TBitmapDrawContext() override;

    QImage& Bitmap() { return *FBitmap; }

    void DrawImage(const QImage& image, int sx, int sy, int sw, int sh, float cx, float cy,
                   float w, float h, float angle) override;
    void DrawBitmapData(const TLockedBits& data, int sx, int sy, int sw, int sh, float x, float y,
                        float w, float h) override;
    void DrawImageAlpha(const TLockedBits& data, int sx, int sy, int sw, int sh, float x, float y,
                        float w, float h) override;
    void DrawShadowRect(float cxDest, float cyDest, float wDest, float hDest, float angle,
                        float blurWidth) override;

    // Boxes of at least this many pixels are split between two threads.
    // The result does not depend on it; 0 switches threading off.
    static int ThreadingThreshold;

private:
    TBitmapDrawContext(QImage* bitmap, TCanvas* canvas, std::unique_ptr<TCanvas> own);
    void RefreshDeviceRect();
    // The device box cut to the bitmap and the update rectangle.
    TRect CutBox(const TRect& box) const;
    // The rectangles to scan: the box, or its intersection with the clip
    // region. False when nothing is left.
    bool ScanRects(const TRect& box, bool useClip, std::vector<TRect>& rects) const;

    QImage* FBitmap;
    std::unique_ptr<TCanvas> OwnCanvas;
};
