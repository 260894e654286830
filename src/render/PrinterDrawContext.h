#pragma once

#include "render/DrawContext.h"

#include <QImage>

#include <memory>

class QPagedPaintDevice;

// A draw context on a printer page: any paged paint device, a QPrinter or a
// QPdfWriter (or, for tests, anything else a painter can begin on). Text is
// drawn with the device's glyph outlines; pictures go through the base
// slots, sampled at no more than 360 dpi and stretched by the device.
class TPrinterDrawContext : public TDrawContext {
public:
    // The device is not owned; painting begins on first use and ends with
    // the context (which, for a PDF writer, finishes the file).
    explicit TPrinterDrawContext(QPaintDevice* device);
    ~TPrinterDrawContext() override;

    // The painter drawing on the device (begun when needed).
    QPainter* GetHandle();
    // Starts the next page of a paged device; false when it has none or
    // cannot.
    bool NewPage();
    // The whole bitmap stretched into the device rectangle (left, top) to
    // (right, bottom), copied opaque: alpha is not applied, as a print
    // bitmap's alpha byte is a by-product of compositing.
    void StretchBitmap(const QImage& bitmap, int left, int top, int right, int bottom);

private:
    QPaintDevice* Device;
    std::unique_ptr<TCanvas> OwnCanvas;
};
