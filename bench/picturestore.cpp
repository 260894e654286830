// The picture store's costly paths on a 24-megapixel photograph: adding it
// (decode, reduce to the store's limit, encode again) and making the
// 192-pixel preview, from the decoded bitmap and straight from the bytes.
//
//   bench_picturestore --make-picture=FILE   writes the test photograph
//   PICTURESTORE_FILE=FILE bench_picturestore [benchmark flags]
//
// Without PICTURESTORE_FILE the photograph is made in a temporary folder.
// bench/picturestore-compare.sh runs outside tools on the same file.

#include "imaging/PictureCodec.h"
#include "model/BildManager.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QRadialGradient>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

namespace {

// Plenty of memory and no pauses: the window logic is not what is timed.
class TAmpleMemory : public IMemoryProbe {
public:
    std::uint64_t TotalPhysical() override { return std::uint64_t(8) << 30; }
    std::uint64_t AvailablePhysical() override { return std::uint64_t(4) << 30; }
    void Pause(int) override {}
};

// A photograph-like 6000 x 4000 picture: soft gradients and shapes under
// sensor-like noise, so that JPEG has real detail to code (flat areas
// would decode unrealistically fast).
QImage MakePhotograph()
{
    QImage img(6000, 4000, QImage::Format_RGB32);
    {
        QPainter p(&img);
        QLinearGradient sky(0, 0, 0, 4000);
        sky.setColorAt(0, QColor(70, 120, 200));
        sky.setColorAt(0.55, QColor(200, 210, 220));
        sky.setColorAt(0.56, QColor(60, 110, 40));
        sky.setColorAt(1, QColor(30, 60, 20));
        p.fillRect(img.rect(), sky);
        std::mt19937 random(42);
        std::uniform_int_distribution<int> x(0, 6000), y(0, 4000), r(20, 400), c(0, 255);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < 400; ++i) {
            const QPoint centre(x(random), y(random));
            const int radius = r(random);
            QRadialGradient g(centre, radius);
            g.setColorAt(0, QColor(c(random), c(random), c(random)));
            g.setColorAt(1, QColor(c(random), c(random), c(random), 0));
            p.setBrush(g);
            p.setPen(Qt::NoPen);
            p.drawEllipse(centre, radius, radius);
        }
    }
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    for (int row = 0; row < img.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(row));
        for (int col = 0; col < img.width(); ++col) {
            const int n = int(noise(random));
            const QRgb px = line[col];
            line[col] = qRgb(qBound(0, qRed(px) + n, 255), qBound(0, qGreen(px) + n, 255),
                             qBound(0, qBlue(px) + n, 255));
        }
    }
    return img;
}

bool WritePhotograph(const QString& path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(92);
    return writer.write(MakePhotograph());
}

QString PicturePath()
{
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty()) {
        const QByteArray given = qgetenv("PICTURESTORE_FILE");
        if (!given.isEmpty()) {
            path = QString::fromLocal8Bit(given);
        } else {
            path = dir.filePath(QStringLiteral("photo24mp.jpg"));
            WritePhotograph(path);
        }
    }
    return path;
}

// The store's bytes of the added photograph: the reduced JPEG.
const QByteArray& StoredBytes()
{
    static QByteArray bytes = [] {
        TBildmanager store(std::make_shared<TAmpleMemory>());
        const int r = store.AddFile(PicturePath());
        return store.Find(r)->File;
    }();
    return bytes;
}

void BM_AddFile24MP(benchmark::State& state)
{
    const QString path = PicturePath();
    TBildmanager store(std::make_shared<TAmpleMemory>());
    for (auto _ : state) {
        const int r = store.AddFile(path);
        benchmark::DoNotOptimize(r);
        state.PauseTiming();
        if (store.Find(r)->PicWidth * qint64(store.Find(r)->PicHeight) > TBildmanager::ReduceThreshold)
            state.SkipWithError("not reduced");
        store.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AddFile24MP)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DecodeStored(benchmark::State& state)
{
    const QByteArray& bytes = StoredBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodePicture(bytes).Image);
}
BENCHMARK(BM_DecodeStored)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void BM_Preview192FromBitmap(benchmark::State& state)
{
    const QImage bitmap = DecodePicture(StoredBytes()).Image;
    const QSize size = TBildmanager::ThumbnailSize(bitmap.size(), TBildmanager::ThumbnailLimit);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScalePicture(bitmap, size));
}
BENCHMARK(BM_Preview192FromBitmap)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void BM_Preview192FromBytes(benchmark::State& state)
{
    const QByteArray& bytes = StoredBytes();
    TDecodeOptions options;
    options.ScaledSize = TBildmanager::ThumbnailSize(ReadPictureHeader(bytes).Size, TBildmanager::ThumbnailLimit);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodePicture(bytes, options).Image);
}
BENCHMARK(BM_Preview192FromBytes)->Unit(benchmark::kMillisecond)->MinTime(0.5);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char* prefix = "--make-picture=";
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) {
            const QString path = QString::fromLocal8Bit(argv[i] + std::strlen(prefix));
            if (!WritePhotograph(path)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
            return 0;
        }
    }
    // The stored copy of the test photograph, for the script's preview
    // comparison.
    if (const QByteArray out = qgetenv("PICTURESTORE_STORED_OUT"); !out.isEmpty()) {
        QFile f(QString::fromLocal8Bit(out));
        if (f.open(QIODevice::WriteOnly))
            f.write(StoredBytes());
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
