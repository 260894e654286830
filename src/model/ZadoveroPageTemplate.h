#pragma once

#include "model/ZadoveroDocument.h"

#include <QRect>
#include <QString>

#include <cstdint>

class QIODevice;
class QImage;

// An arrangement of picture frames for one page, or for both pages of a
// spread (Doppelseite). The frames carry geometry only and have no page.
class TFBPageTemplate {
public:
    TFBPageTemplate() = default;
    TFBPageTemplate(const TFBPageTemplate&) = delete;
    TFBPageTemplate& operator=(const TFBPageTemplate&) = delete;

    TFBElementList Frames;     // the page, or the right page of a spread
    TFBElementList LeftFrames; // empty: the left page uses Frames
    TFBLayoutTypen Layouttypen = 0;
    float PageWidth = 0;
    float PageHeight = 0;
    QString Name;
    std::uint8_t LayoutStil = 0;
    bool Doppelseite = false;
    QString Key; // not part of the record

    void AddFrameRect(float left, float top, float width, float height);
    void AddLeftFrameRect(float left, float top, float width, float height);
    void AddFrame(float cx, float cy, float width, float height, float angle);
    void AddLeftFrame(float cx, float cy, float width, float height, float angle);

    // Re-lays the page's frames (or both pages of its spread for a double
    // template) keeping the pictures in the first frames.
    void ApplyTo(TFBPage* page) const;

    void SaveToStream(QIODevice& stream) const;
    // The record comes from a drop and is untrusted: anything malformed
    // (negative or oversized lengths and counts, a page size that is not a
    // positive finite number, non-finite frame values, a record cut short)
    // leaves the template unchanged and returns false.
    bool LoadFromStream(QIODevice& stream);

    void DrawPreview(QImage& bitmap, const QRect& r) const;
    TColor StyleColor() const { return LayoutStilColor(LayoutStil); }

private:
    void LayOut(TFBPage* page, const TFBElementList& list) const;
};
