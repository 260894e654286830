#include "render/PrinterDrawContext.h"

#include <QPagedPaintDevice>

TPrinterDrawContext::TPrinterDrawContext(QPaintDevice* device)
    : TDrawContext(nullptr), Device(device), OwnCanvas(std::make_unique<TCanvas>(device))
{
    FCanvas = OwnCanvas.get();
    if (Device)
        FDeviceRect = {0, 0, Device->width(), Device->height()};
}

TPrinterDrawContext::~TPrinterDrawContext() = default;

QPainter* TPrinterDrawContext::GetHandle()
{
    return FCanvas->Painter();
}

bool TPrinterDrawContext::NewPage()
{
    auto* paged = dynamic_cast<QPagedPaintDevice*>(Device);
    if (!paged)
        return false;
    // A page is only started once something was painted on the first.
    if (!FCanvas->Painter())
        return false;
    return paged->newPage();
}

void TPrinterDrawContext::StretchBitmap(const QImage& bitmap, int left, int top, int right,
                                        int bottom)
{
    if (bitmap.isNull() || right <= left || bottom <= top)
        return;
    QImage opaque = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < opaque.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x)
            row[x] |= 0xFF000000u;
    }
    opaque.reinterpretAsFormat(QImage::Format_RGB32);
    FCanvas->StretchDraw(QRect(left, top, right - left, bottom - top), opaque, opaque.rect(),
                         true);
}
