// The picture loops of the bitmap draw context side by side with QPainter
// doing the same job, and the shadow blur side by side with ImageMagick.
//
//   bench_drawcontext [--benchmark_filter=...]
//
// Picture: 2272 x 1704 pixels turned by 12 degrees into 1200 x 900 device
// pixels in the middle of a 1600 x 1000 bitmap. "threads:2" lets the context
// split large boxes between two threads; QPainter always uses one.
// Blur: a 1000 x 1000 mask with text and shapes, sigma 1.5; ImageMagick is
// timed as an external command per iteration (real time, including reading
// and writing the PNG files) next to a plain read/write of the same file.

#include "render/BitmapDrawContext.h"
#include "render/ShadowBitmap.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTransform>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

namespace {

constexpr int kPictureW = 2272, kPictureH = 1704;
constexpr int kTargetW = 1600, kTargetH = 1000;
constexpr float kCx = 800, kCy = 500, kW = 1200, kH = 900, kAngle = 12;

const QImage& Picture()
{
    static const QImage picture = [] {
        QImage p(kPictureW, kPictureH, QImage::Format_ARGB32);
        std::mt19937 random(1);
        for (int y = 0; y < kPictureH; ++y) {
            auto* row = reinterpret_cast<std::uint32_t*>(p.scanLine(y));
            for (int x = 0; x < kPictureW; ++x)
                row[x] = 0xFF000000u | ((x * 255 / kPictureW) << 16) | ((y * 255 / kPictureH) << 8)
                         | (random() & 0x3F);
        }
        return p;
    }();
    return picture;
}

QImage Target()
{
    QImage target(kTargetW, kTargetH, QImage::Format_RGB32);
    target.fill(0xFFFFFFFFu);
    return target;
}

// The mapping the context builds for DrawImage, as a QTransform.
QTransform PictureTransform()
{
    QTransform t;
    t.translate(kCx, kCy);
    t.rotate(kAngle);
    t.translate(-kW / 2, -kH / 2);
    t.scale(double(kW) / kPictureW, double(kH) / kPictureH);
    return t;
}

void SetThreads(benchmark::State& state)
{
    TBitmapDrawContext::ThreadingThreshold = state.range(0) > 1 ? 200000 : 0;
}

void BM_Context_DrawImage_Nearest(benchmark::State& state)
{
    SetThreads(state);
    QImage target = Target();
    TBitmapDrawContext ctx(&target);
    for (auto _ : state) {
        ctx.DrawImage(Picture(), 0, 0, kPictureW, kPictureH, kCx, kCy, kW, kH, kAngle);
        benchmark::ClobberMemory();
    }
}

void BM_Context_DrawImageAlpha_Bilinear(benchmark::State& state)
{
    SetThreads(state);
    QImage target = Target();
    QImage picture = Picture();
    const TLockedBits bits = BitmapToLockedBits(picture);
    TBitmapDrawContext ctx(&target);
    for (auto _ : state) {
        ctx.Transformation().Push();
        ctx.Transformation().RotateAt(kCx, kCy, kAngle);
        ctx.DrawImageAlpha(bits, 0, 0, kPictureW, kPictureH, kCx - kW / 2, kCy - kH / 2, kW, kH);
        ctx.Transformation().Pop();
        benchmark::ClobberMemory();
    }
}

void BM_QPainter_DrawImage(benchmark::State& state)
{
    const bool smooth = state.range(0) != 0;
    QImage target = Target();
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.setTransform(PictureTransform());
    for (auto _ : state) {
        painter.drawImage(0, 0, Picture());
        benchmark::ClobberMemory();
    }
}

QImage Mask()
{
    TShadowBitmap mask(1000, 1000);
    mask.ClearMask();
    TBitmapDrawContext ctx(mask);
    TFont font;
    font.Size = 48;
    font.Style = TFontStyle::Bold;
    ctx.SetFont(font);
    for (int line = 0; line < 14; ++line)
        ctx.TextOut(QStringLiteral("Schatten unter Text %1").arg(line), 0, 20, 10 + line * 70.0f);
    ctx.Canvas().End();
    return mask.Image().copy();
}

void BM_Context_MakeShadow(benchmark::State& state)
{
    const QImage mask = Mask();
    TShadowBitmap shadow(1000, 1000);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(shadow.Image().bits(), mask.constBits(), std::size_t(mask.sizeInBytes()));
        state.ResumeTiming();
        shadow.MakeShadow(clBlack, 1.5);
        benchmark::ClobberMemory();
    }
}

// Runs a shell command per iteration and reports its wall time.
void RunCommand(benchmark::State& state, const QString& command)
{
    if (QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty()) {
        state.SkipWithError("ImageMagick convert not found");
        return;
    }
    const QByteArray cmd = command.toLocal8Bit();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int rc = std::system(cmd.constData());
        const auto end = std::chrono::steady_clock::now();
        if (rc != 0) {
            state.SkipWithError("convert failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

QTemporaryDir* Scratch()
{
    static QTemporaryDir dir;
    return &dir;
}

QString MaskFile()
{
    static const QString file = [] {
        const QString name = Scratch()->filePath(QStringLiteral("mask.png"));
        // The red channel carries the mask; a grey PNG is what ImageMagick
        // reads fastest, which favours it.
        Mask().convertToFormat(QImage::Format_Grayscale8).save(name);
        return name;
    }();
    return file;
}

void BM_ImageMagick_Blur(benchmark::State& state)
{
    RunCommand(state, QStringLiteral("convert '%1' -blur 0x1.5 '%2'")
                          .arg(MaskFile(), Scratch()->filePath(QStringLiteral("blur.png"))));
}

void BM_ImageMagick_ReadWriteOnly(benchmark::State& state)
{
    RunCommand(state, QStringLiteral("convert '%1' '%2'")
                          .arg(MaskFile(), Scratch()->filePath(QStringLiteral("copy.png"))));
}

} // namespace

// CPU time is that of the whole process: QPainter hands parts of a large
// transformed image to its own worker threads.
BENCHMARK(BM_Context_DrawImage_Nearest)->ArgName("threads")->Arg(1)->Arg(2)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainter_DrawImage)->ArgName("smooth")->Arg(0)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Context_DrawImageAlpha_Bilinear)->ArgName("threads")->Arg(1)->Arg(2)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainter_DrawImage)->ArgName("smooth")->Arg(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Context_MakeShadow)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagick_Blur)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImageMagick_ReadWriteOnly)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
