// The pixel filters on a picture of the largest size the picture store keeps
// (2272 x 1704), side by side with ImageMagick doing the same kind of work on
// the same picture, and a plain copy of the picture as the floor.
//
// ImageMagick runs as a process on an MPC file (its own memory-mapped cache
// format) in a temporary folder; "IM/baseline" is the same command without
// an operation (read and write only) and is subtracted in the summary, so
// that only the filter work is compared. Our loops run with each path and
// thread count to show what the vector code and the second thread buy.
//
//   nice bench_filters                      (summary at the end)
//   nice bench_filters --benchmark_filter=Lumarbo

#include "imaging/FilterRows.h"
#include "imaging/PictureFilter.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int PicW = 2272;
constexpr int PicH = 1704;
const char* const Convert = "/usr/bin/convert";

// A photograph-like picture: smooth colour gradients, a few soft blobs and
// sensor noise, so that colours vary as in real photographs.
const QImage& Picture()
{
    static const QImage pic = [] {
        QImage img(PicW, PicH, QImage::Format_RGB32);
        std::mt19937 rng(42);
        std::normal_distribution<float> noise(0, 6);
        for (int y = 0; y < PicH; ++y) {
            auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < PicW; ++x) {
                const float u = float(x) / PicW;
                const float v = float(y) / PicH;
                const float blob = std::exp(-((u - 0.3f) * (u - 0.3f) + (v - 0.6f) * (v - 0.6f)) * 12);
                const float r = 60 + 150 * u + 40 * blob + noise(rng);
                const float g = 90 + 100 * v * (1 - u) + 30 * std::sin(u * 9) + noise(rng);
                const float b = 140 - 100 * v + 90 * blob + noise(rng);
                const auto c = [](float f) { return int(std::clamp(f, 0.0f, 255.0f)); };
                row[x] = qRgb(c(r), c(g), c(b));
            }
        }
        return img;
    }();
    return pic;
}

// Seconds per iteration of each benchmark, for the summary.
std::map<std::string, double>& Results()
{
    static std::map<std::string, double> r;
    return r;
}

// "Lumarbo/HSL/path:1/threads:2", "IM/HSL", "Floor/memcpy".
std::string Key(const benchmark::BenchmarkName& name)
{
    return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
}

class TCollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.iterations > 0 && !run.error_occurred && run.run_type == Run::RT_Iteration)
                Results()[Key(run.run_name)] = run.real_accumulated_time / double(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
};

template <typename F>
double Seconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- The floor -------------------------------------------------------------

void Memcpy(benchmark::State& state)
{
    const QImage& pic = Picture();
    std::vector<uchar> dst(std::size_t(pic.sizeInBytes()));
    std::memset(dst.data(), 1, dst.size());
    for (auto _ : state) {
        state.SetIterationTime(Seconds([&] {
            std::memcpy(dst.data(), pic.constBits(), dst.size());
            benchmark::ClobberMemory();
        }));
    }
    state.SetBytesProcessed(state.iterations() * pic.sizeInBytes());
}
BENCHMARK(Memcpy)->Name("Floor/memcpy")->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

// ---- Our filters -------------------------------------------------------------

enum TFilter { HKIG, HSL, SWCol };

void RunFilter(TFilter filter, QImage& img)
{
    switch (filter) {
    case HKIG:
        FilterHKIG(img, {}, 0.1f, 0.2f, 0.05f, 1.3f);
        break;
    case HSL:
        FilterHSL(img, {}, 0.05f, 0.2f, 0.05f);
        break;
    case SWCol:
        FilterSWCol(img, {}, 0.1f, 0.5f);
        break;
    }
}

// Arguments: path (0 scalar, 1 AVX2, 2 AVX-512), threads.
void Lumarbo(benchmark::State& state, TFilter filter)
{
    const auto path = FilterKernels::TPath(state.range(0));
    if (!FilterKernels::Supported(path)) {
        state.SkipWithError("path not supported by this processor");
        return;
    }
    const TFilterEngine saved = FilterEngine();
    FilterEngine().Path = path;
    FilterEngine().Threads = int(state.range(1));
    const QImage& pic = Picture();
    QImage work = pic.copy();
    for (auto _ : state) {
        // Every run starts from the same pixels; the copy is not timed.
        std::memcpy(work.bits(), pic.constBits(), std::size_t(pic.sizeInBytes()));
        state.SetIterationTime(Seconds([&] { RunFilter(filter, work); }));
    }
    FilterEngine() = saved;
    state.SetBytesProcessed(state.iterations() * pic.sizeInBytes());
}

void Paths(benchmark::internal::Benchmark* b, int iterations, bool avx512)
{
    b->ArgNames({"path", "threads"});
    for (int path : {0, 1, 2})
        if (path < 2 || avx512)
            for (int threads : {1, 2})
                b->Args({path, threads});
    b->UseManualTime()->Iterations(iterations)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(Lumarbo, HKIG, HKIG)->Apply([](auto* b) { Paths(b, 30, true); });
BENCHMARK_CAPTURE(Lumarbo, HSL, HSL)->Apply([](auto* b) { Paths(b, 8, false); });
BENCHMARK_CAPTURE(Lumarbo, SWCol, SWCol)->Apply([](auto* b) { Paths(b, 30, true); });

// ---- ImageMagick ---------------------------------------------------------------

// The picture as an MPC file in a temporary folder in memory when there is
// one, so that the disk does not take part.
struct TMagickFiles {
    std::unique_ptr<QTemporaryDir> Dir;
    std::string In, Out;
    bool Ok = false;
};

const TMagickFiles& MagickFiles()
{
    static const TMagickFiles files = [] {
        TMagickFiles f;
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                       : QDir::tempPath();
        f.Dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/lumarbo-bench-XXXXXX"));
        if (!f.Dir->isValid() || !QFile::exists(QString::fromLatin1(Convert)))
            return f;
        const QString ppm = f.Dir->filePath(QStringLiteral("in.ppm"));
        if (!Picture().convertToFormat(QImage::Format_RGB888).save(ppm, "PPM"))
            return f;
        f.In = f.Dir->filePath(QStringLiteral("in.mpc")).toStdString();
        f.Out = f.Dir->filePath(QStringLiteral("out.mpc")).toStdString();
        const std::string cmd = std::string(Convert) + " '" + ppm.toStdString() + "' '" + f.In + "'";
        f.Ok = std::system(cmd.c_str()) == 0;
        return f;
    }();
    return files;
}

void Magick(benchmark::State& state, const char* operation)
{
    const TMagickFiles& files = MagickFiles();
    if (!files.Ok) {
        state.SkipWithError("ImageMagick's convert is not available");
        return;
    }
    const std::string cmd = std::string(Convert) + " '" + files.In + "' " + operation + " '" +
                            files.Out + "'";
    for (auto _ : state) {
        int rc = 0;
        state.SetIterationTime(Seconds([&] { rc = std::system(cmd.c_str()); }));
        if (rc != 0) {
            state.SkipWithError("convert failed");
            break;
        }
    }
}

BENCHMARK_CAPTURE(Magick, baseline, "")
    ->Name("IM/baseline")->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Magick, HKIG, "-brightness-contrast 10x20 -gamma 1.3")
    ->Name("IM/HKIG")->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Magick, HSL, "-modulate 105,120,109")
    ->Name("IM/HSL")->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Magick, SWCol, "-colorspace gray -fill 'hsl(36,50%,50%)' -tint 100")
    ->Name("IM/SWCol")->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);

// ---- Summary ---------------------------------------------------------------------

double Find(const std::string& name)
{
    const auto it = Results().find(name);
    return it == Results().end() ? -1 : it->second;
}

// The fastest of our runs of a filter and its arguments.
std::pair<double, std::string> Best(const std::string& filter)
{
    std::pair<double, std::string> best{-1, ""};
    for (const auto& [name, secs] : Results())
        if (name.rfind("Lumarbo/" + filter + "/", 0) == 0 && (best.first < 0 || secs < best.first))
            best = {secs, name};
    return best;
}

void PrintSummary()
{
    const double floor = Find("Floor/memcpy");
    const double base = Find("IM/baseline");
    std::printf("\nSummary (ms per picture of %d x %d; IM filter = IM run - IM baseline %.1f ms)\n",
                PicW, PicH, base * 1e3);
    std::printf("%-6s %9s %9s %9s %10s %10s %12s   %s\n", "filter", "ours", "scalar1T",
                "IM run", "IM filter", "IM / ours", "ours/memcpy", "our fastest run");
    for (const char* f : {"HKIG", "HSL", "SWCol"}) {
        const auto [ours, name] = Best(f);
        const double scalar = Find(std::string("Lumarbo/") + f + "/path:0/threads:1");
        const double im = Find(std::string("IM/") + f);
        if (ours <= 0)
            continue;
        const double imWork = im > 0 && base > 0 ? im - base : -1;
        std::printf("%-6s %9.2f %9.2f %9.1f %10.1f %10.1f %12.2f   %s\n", f, ours * 1e3,
                    scalar * 1e3, im * 1e3, imWork * 1e3, imWork > 0 ? imWork / ours : -1.0,
                    floor > 0 ? ours / floor : -1.0, name.c_str());
    }
    std::printf("memcpy of the picture: %.2f ms\n", floor * 1e3);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TCollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
