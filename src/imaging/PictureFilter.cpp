#include "imaging/PictureFilter.h"

#include "app/Arith.h"
#include "app/Errors.h"
#include "imaging/FilterRows.h"
#include "imaging/HSLPixel.h"
#include "imaging/HSLUtil.h"

#include <QString>

#include <cmath>

namespace {

const QString Only32Bit = QStringLiteral("nur 32bit Bilder werden unterstützt");

// NaN fails every comparison and so every range.
bool InRange(float v, float lo, float hi)
{
    return v >= lo && v <= hi;
}

void Require32Bit(const QImage& bitmap)
{
    // A null picture cannot be locked and is left alone further on.
    if (!bitmap.isNull() && !Is32BitPicture(bitmap))
        throw Exception(Only32Bit);
}

} // namespace

bool Is32BitPicture(const QImage& bitmap)
{
    switch (bitmap.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

std::array<std::uint8_t, 256> HKIGTable(float prozHelligkeit, float prozKontrast,
                                        float prozIntensitaet, float gamma)
{
    if (!InRange(prozHelligkeit, -1, 1))
        throw Exception(QStringLiteral("prozHelligkeit außerhalb von -1..1"));
    if (!InRange(prozKontrast, -1, 1))
        throw Exception(QStringLiteral("prozKontrast außerhalb von -1..1"));
    if (!InRange(prozIntensitaet, -1, 1))
        throw Exception(QStringLiteral("prozIntensitaet außerhalb von -1..1"));
    if (!InRange(gamma, 0.0001f, 100))
        throw Exception(QStringLiteral("gamma außerhalb von 0,0001..100"));

    const double k = prozKontrast >= 0 ? 128.0 / (128.0 - 127.0 * double(prozKontrast))
                                       : (127.0 * double(prozKontrast) + 128.0) / 128.0;
    const int brightness = RoundHalfEven(double(prozHelligkeit) * 255.0);
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        int t = RoundHalfEven(255.0 * std::pow(i / 255.0, 1.0 / double(gamma)));
        t += brightness;
        t = RoundHalfEven(k * (t - 128) + 128.0);
        t = RoundHalfEven((double(prozIntensitaet) + 1.0) * t);
        table[std::size_t(i)] = std::uint8_t(std::clamp(t, 0, 255));
    }
    return table;
}

std::array<TColor, 256> SWColTable(float H, float S)
{
    std::array<TColor, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = HSLToRGB(H, S, i / 255.0);
    return table;
}

void FilterHKIG(QImage& bitmap, const TFilterProgress& progress, float prozHelligkeit,
                float prozKontrast, float prozIntensitaet, float gamma)
{
    Require32Bit(bitmap);
    const FilterKernels::TByteTable table(
        HKIGTable(prozHelligkeit, prozKontrast, prozIntensitaet, gamma));
    TPixelLock lock(bitmap);
    if (!lock.Locked())
        return;
    const TFilterEngine engine = FilterEngine();
    RunRows(
        lock.Height(), lock.Width(), engine.Threads,
        [&](int first, int last) {
            for (int y = first; y < last; ++y)
                FilterKernels::MapChannels(lock.Row(y), lock.Width(), table, engine.Path);
        },
        progress);
}

void FilterHSL(QImage& bitmap, const TFilterProgress& progress, float dH, float dS, float dL)
{
    if (!std::isfinite(dH) || !std::isfinite(dS) || !std::isfinite(dL))
        throw Exception(QStringLiteral("dH, dS und dL müssen endliche Zahlen sein"));
    TPixelLock lock(bitmap);
    if (!lock.Locked())
        return;
    const TFilterEngine engine = FilterEngine();
    RunRows(
        lock.Height(), lock.Width(), engine.Threads,
        [&](int first, int last) {
            // Per thread: the rounding to bytes relies on it.
            HSLPixel::TRoundToNearest nearest;
            for (int y = first; y < last; ++y)
                FilterKernels::ShiftRow(lock.Row(y), lock.Width(), dH, dS, dL, engine.Path);
        },
        progress);
}

void FilterSWCol(QImage& bitmap, const TFilterProgress& progress, float H, float S)
{
    Require32Bit(bitmap);
    if (!std::isfinite(H) || !std::isfinite(S))
        throw Exception(QStringLiteral("H und S müssen endliche Zahlen sein"));
    std::array<std::uint32_t, 256> colours{};
    const std::array<TColor, 256> table = SWColTable(H, S);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const TColor c = table[i];
        colours[i] = (std::uint32_t(RedOf(c)) << 16) | (std::uint32_t(GreenOf(c)) << 8) |
                     std::uint32_t(BlueOf(c));
    }
    const FilterKernels::TGreyTable greyTable(colours);
    TPixelLock lock(bitmap);
    if (!lock.Locked())
        return;
    const TFilterEngine engine = FilterEngine();
    RunRows(
        lock.Height(), lock.Width(), engine.Threads,
        [&](int first, int last) {
            for (int y = first; y < last; ++y)
                FilterKernels::MapGrey(lock.Row(y), lock.Width(), greyTable, engine.Path);
        },
        progress);
}
