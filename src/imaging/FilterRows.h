#pragma once

// What the filters share: direct pixel access and the row loop that spreads
// the rows over threads while reporting progress in order.

#include "imaging/FilterKernels.h"
#include "imaging/PictureFilter.h"

#include <QImage>

#include <cstdint>
#include <functional>

// Pixels as 32-bit words 0xAARRGGBB with straight alpha. Pictures in other
// formats are converted into a copy while the lock lives and written back,
// in their own format, when it ends.
class TPixelLock {
public:
    explicit TPixelLock(QImage& image);
    ~TPixelLock();
    TPixelLock(const TPixelLock&) = delete;
    TPixelLock& operator=(const TPixelLock&) = delete;

    bool Locked() const { return Bits != nullptr; }
    int Width() const { return W; }
    int Height() const { return H; }
    std::uint32_t* Row(int y) const
    {
        return reinterpret_cast<std::uint32_t*>(Bits + static_cast<std::ptrdiff_t>(y) * Stride);
    }

private:
    QImage& Target;
    QImage Work;
    bool Converted = false;
    QImage::Format Original = QImage::Format_Invalid;
    uchar* Bits = nullptr;
    qsizetype Stride = 0;
    int W = 0;
    int H = 0;
};

// How the filters run: the vector path and the number of threads. Tests and
// benchmarks change it to compare the loops; the program keeps the default
// (best path, two threads).
struct TFilterEngine {
    FilterKernels::TPath Path = FilterKernels::BestPath();
    int Threads = 2;
};
TFilterEngine& FilterEngine();

// Calls rows(first, last) until every row of the picture was processed,
// spread over up to `threads` threads for pictures large enough to gain
// from it. Progress is reported once per row, in row order, on the calling
// thread. An exception from the progress callback stops the other threads
// before it is passed on.
void RunRows(int height, int width, int threads, const std::function<void(int, int)>& rows,
             const TFilterProgress& progress);
