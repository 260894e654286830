#include "imaging/FilterRows.h"

#include "app/Arith.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

TPixelLock::TPixelLock(QImage& image) : Target(image)
{
    if (image.isNull())
        return;
    const QImage::Format format = image.format();
    if (format == QImage::Format_ARGB32 || format == QImage::Format_RGB32) {
        Bits = image.bits(); // detaches a shared picture
        Stride = image.bytesPerLine();
    } else {
        Original = format;
        Work = image.convertToFormat(QImage::Format_ARGB32);
        if (Work.isNull())
            return;
        Converted = true;
        Bits = Work.bits();
        Stride = Work.bytesPerLine();
    }
    if (!Bits)
        return;
    W = image.width();
    H = image.height();
}

TPixelLock::~TPixelLock()
{
    if (Converted)
        Target = Work.convertToFormat(Original);
}

TFilterEngine& FilterEngine()
{
    static TFilterEngine engine;
    return engine;
}

namespace {

// A band of rows is worth handing to a thread from about this many pixels
// on; smaller pictures (previews) stay on the calling thread.
constexpr std::int64_t BandPixels = 64 * 1024;
constexpr std::int64_t MinParallelPixels = 4 * BandPixels;

} // namespace

void RunRows(int height, int width, int threads, const std::function<void(int, int)>& rows,
             const TFilterProgress& progress)
{
    if (height <= 0 || width <= 0)
        return;
    // A picture of one row has no divisor; its only row completes the work.
    const auto report = [&](int y) {
        if (progress)
            progress(height > 1 ? MulDiv(100, y, height - 1) : 100);
    };
    const std::int64_t pixels = std::int64_t(height) * width;
    const int bandRows = int(std::clamp<std::int64_t>(BandPixels / width, 1, height));
    const int bands = (height + bandRows - 1) / bandRows;
    const unsigned hw = std::max(1u, std::thread::hardware_concurrency());
    const int workers = std::min({threads, int(hw), bands});
    if (workers < 2 || pixels < MinParallelPixels) {
        for (int y = 0; y < height; ++y) {
            rows(y, y + 1);
            report(y);
        }
        return;
    }

    std::atomic<int> next{0};
    std::atomic<bool> stop{false};
    const auto done = std::make_unique<std::atomic<bool>[]>(std::size_t(bands));
    const auto runBand = [&](int band) {
        const int first = band * bandRows;
        rows(first, std::min(height, first + bandRows));
        done[std::size_t(band)].store(true, std::memory_order_release);
    };
    const auto helperLoop = [&] {
        while (!stop.load(std::memory_order_relaxed)) {
            const int band = next.fetch_add(1);
            if (band >= bands)
                return;
            runBand(band);
        }
    };

    std::vector<std::thread> helpers;
    for (int i = 1; i < workers; ++i) {
        try {
            helpers.emplace_back(helperLoop);
        } catch (const std::system_error&) {
            break; // no thread to be had: the calling thread does the rest
        }
    }
    const auto joinAll = [&] {
        for (std::thread& t : helpers)
            t.join();
    };

    int reported = 0;
    int nextBand = 0;
    const auto flush = [&] {
        while (nextBand < bands && done[std::size_t(nextBand)].load(std::memory_order_acquire)) {
            const int end = std::min(height, (nextBand + 1) * bandRows);
            for (; reported < end; ++reported)
                report(reported);
            ++nextBand;
        }
    };
    try {
        for (;;) {
            const int band = next.fetch_add(1);
            if (band >= bands)
                break;
            runBand(band);
            flush();
        }
    } catch (...) {
        stop.store(true);
        joinAll();
        throw;
    }
    joinAll();
    flush();
}
