// Saving and opening a 36-page project that holds 100 different 2272 x 1704
// JPEG photographs, side by side with what the work cannot go below:
// reading the same file's bytes, and decoding the 100 pictures once. The
// closing note gives the ratios. Opening should stay near the cost of the
// bytes plus the previews, far below decoding every picture.
//
//   bench_projectfile [benchmark flags]
//
// The photographs and the project are made in a temporary folder first.

#include "imaging/PictureCodec.h"
#include "model/BildManager.h"
#include "model/MemoryProbe.h"
#include "model/ZadoveroDocument.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace {

class TAmpleMemory : public IMemoryProbe {
public:
    std::uint64_t TotalPhysical() override { return std::uint64_t(8) << 30; }
    std::uint64_t AvailablePhysical() override { return std::uint64_t(4) << 30; }
    void Pause(int) override {}
};

constexpr int kPictures = 100;
constexpr int kPages = 36;

// Photograph-like: a gradient, shapes and noise, different for each seed,
// so JPEG has real detail to code.
QByteArray MakeJpeg(int seed)
{
    QImage img(2272, 1704, QImage::Format_RGB32);
    std::mt19937 random{unsigned(seed)};
    std::uniform_int_distribution<int> c(0, 255), x(0, 2272), y(0, 1704), r(20, 300);
    {
        QPainter p(&img);
        QLinearGradient g(0, 0, 0, 1704);
        g.setColorAt(0, QColor(c(random), c(random), c(random)));
        g.setColorAt(1, QColor(c(random), c(random), c(random)));
        p.fillRect(img.rect(), g);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 60; ++i) {
            p.setBrush(QColor(c(random), c(random), c(random)));
            p.setPen(Qt::NoPen);
            const int radius = r(random);
            p.drawEllipse(QPoint(x(random), y(random)), radius, radius);
        }
    }
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int row = 0; row < img.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(row));
        for (int col = 0; col < img.width(); ++col) {
            const int n = noise(random);
            const QRgb v = line[col];
            line[col] = qRgb(qBound(0, qRed(v) + n, 255), qBound(0, qGreen(v) + n, 255), qBound(0, qBlue(v) + n, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.write(img);
    return bytes;
}

struct TFixture {
    QTemporaryDir Dir;
    std::vector<QByteArray> Jpegs;
    std::shared_ptr<TAmpleMemory> Memory = std::make_shared<TAmpleMemory>();
    std::unique_ptr<TBildmanager> Store;
    std::unique_ptr<TFBDocument> Doc;
    QString Project;

    TFixture()
    {
        Store = std::make_unique<TBildmanager>(Memory);
        Doc = std::make_unique<TFBDocument>(Store.get());
        Doc->ScreenMode = 1;
        Doc->PageWidth = 148.5f;
        Doc->PageHeight = 210;
        for (int i = 0; i < kPictures; ++i) {
            Jpegs.push_back(MakeJpeg(i));
            QFile f(Dir.filePath(QStringLiteral("photo%1.jpg").arg(i)));
            f.open(QIODevice::WriteOnly);
            f.write(Jpegs.back());
        }
        int next = 0;
        for (int p = 0; p < kPages; ++p) {
            TFBPage* page = Doc->Pages.Add(std::make_unique<TFBPage>(Doc.get()));
            const int frames = p < 28 ? 3 : 2; // 28 * 3 + 8 * 2 = 100
            for (int j = 0; j < frames; ++j) {
                auto frame = std::make_unique<TFBPictureElement>(page);
                frame->CenterX = 74.25f;
                frame->CenterY = 35 + 70 * j;
                frame->Width = 130;
                frame->Height = 65;
                auto* raw = static_cast<TFBPictureElement*>(page->Piclist.Add(std::move(frame)));
                raw->LoadPicture(Dir.filePath(QStringLiteral("photo%1.jpg").arg(next++ % kPictures)));
            }
        }
        Project = Dir.filePath(QStringLiteral("projekt.tpb"));
        Doc->SaveToFile(Project);
    }
};

TFixture& Fixture()
{
    static TFixture fixture;
    return fixture;
}

void BM_SaveProject(benchmark::State& state)
{
    TFixture& f = Fixture();
    const QString target = f.Dir.filePath(QStringLiteral("kopie.tpb"));
    for (auto _ : state)
        f.Doc->SaveToFile(target);
    state.SetBytesProcessed(state.iterations() * QFile(f.Project).size());
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenProject(benchmark::State& state)
{
    TFixture& f = Fixture();
    TBildmanager store(f.Memory);
    TFBDocument doc(&store);
    for (auto _ : state) {
        doc.LoadFromFile(f.Project);
        benchmark::DoNotOptimize(doc.Pages.Count());
    }
    state.SetBytesProcessed(state.iterations() * QFile(f.Project).size());
}
BENCHMARK(BM_OpenProject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadFileBytes(benchmark::State& state)
{
    TFixture& f = Fixture();
    for (auto _ : state) {
        QFile file(f.Project);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.size());
    }
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeAllPictures(benchmark::State& state)
{
    TFixture& f = Fixture();
    for (auto _ : state)
        for (const QByteArray& jpeg : f.Jpegs) {
            const TDecodedPicture picture = DecodePicture(jpeg);
            benchmark::DoNotOptimize(picture.Image.width());
        }
}
BENCHMARK(BM_DecodeAllPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each benchmark's time per iteration for the closing note.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Millis;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                Millis[run.benchmark_name()] = run.GetAdjustedRealTime()
                                               * benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond)
                                               / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ms = [&](const char* name) {
        const auto it = reporter.Millis.find(std::string(name) + "/real_time");
        return it == reporter.Millis.end() ? 0.0 : it->second;
    };
    const double save = ms("BM_SaveProject"), open = ms("BM_OpenProject");
    const double bytes = ms("BM_ReadFileBytes"), decode = ms("BM_DecodeAllPictures");
    if (save > 0 && open > 0 && bytes > 0 && decode > 0) {
        std::printf("\nProject of %d pages with %d pictures (%.1f MB):\n", kPages, kPictures,
                    double(QFile(Fixture().Project).size()) / 1e6);
        std::printf("  save / read bytes     %8.1f\n", save / bytes);
        std::printf("  open / read bytes     %8.1f\n", open / bytes);
        std::printf("  open / decode all     %8.2f\n", open / decode);
        std::printf("  save / decode all     %8.2f\n", save / decode);
    }
    benchmark::Shutdown();
    return 0;
}
