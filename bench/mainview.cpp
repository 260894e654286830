// The spread view's repaint: a book spread with 24 decoded pictures, six
// texts with shadows and two clip-arts in a 1600 x 1000 view at zoom 1, 2
// and 8, painted whole and limited to one picture frame's rectangle (what
// dragging repaints), beside a plain QPainter doing the same visible work:
// background, page rectangles, the pictures turned and smoothly scaled,
// cached text shadows, the texts and the clip-arts.
//
// LUMARBO_BENCH_PNG=<folder> saves each zoom's view and baseline as PNG.
#include "BenchDocument.h"
#include "editor/MainViewPainter.h"
#include "editor/Tracker.h"
#include "editor/ViewMapping.h"
#include "render/BitmapDrawContext.h"
#include "render/ShadowBitmap.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <limits>

namespace {

constexpr int kClientW = 1600;
constexpr int kClientH = 1000;

struct TViewBench {
    TFBDocument Doc;
    TScrollModel Scroll;
    TViewMapping Mapping {Scroll};
    QImage Bitmap {OffscreenBitmapSize(QSize(), QSize(kClientW, kClientH)), QImage::Format_RGB32};
    TBitmapDrawContext Dc {&Bitmap};
    TMainViewPainter Painter;
    std::vector<TFBPictureElement*> Frames;
    std::vector<QImage> Pictures; // decoded, shared with the store

    TViewBench()
    {
        Doc.ScreenMode = 1;
        Doc.PageWidth = 210;
        Doc.PageHeight = 297;
        for (int i = 0; i < 4; ++i)
            Doc.Pages.Add(std::make_unique<TFBPage>(&Doc));
        // Twelve frames per page in three columns and four rows; every
        // fifth one slightly turned, as users do.
        int seed = 0;
        for (int p : {1, 2}) {
            TFBPage* page = Doc.Pages.Items(p);
            for (int row = 0; row < 4; ++row)
                for (int col = 0; col < 3; ++col) {
                    const float angle = seed % 5 == 2 ? 6.0f : 0.0f;
                    TFBPictureElement* el = BenchAddPicture(
                        Doc, page, 36 + col * 69.0f, 40 + row * 72.0f, 62, 62, angle, seed++);
                    Frames.push_back(el);
                    Pictures.push_back(Doc.Bildmanager().GetBitmap(el->RefIndex()));
                }
            for (int t = 0; t < 3; ++t)
                BenchAddShadowText(page, 105, 76 + t * 72.0f, 150, 14);
            BenchAddClipart(Doc, page, 175, 270, 30, 30);
        }
        Mapping.SetDocument(&Doc);
        Mapping.Resize(kClientW, kClientH);
        Mapping.SetViewIndex(1);
    }

    void SetZoom(float z)
    {
        Mapping.ZoomAt(kClientW / 2, kClientH / 2, z);
        // The first paint makes the text shadows; later ones reuse them.
        Paint(kNoUpdateRect);
    }

    void Paint(const TRect& update)
    {
        TMainViewPainter::TScene scene;
        scene.Mapping = &Mapping;
        Painter.Paint(Dc, scene, update);
    }

    // The window rectangle of the frame nearest to the window's middle.
    TRect OneElementRect()
    {
        Mapping.SetupTransformation();
        TRect best;
        double bestDistance = std::numeric_limits<double>::max();
        for (const TFBPictureElement* f : Frames) {
            const TRect r = Mapping.ElementWindowRect(f);
            const double dx = (r.Left + r.Right) / 2.0 - kClientW / 2.0;
            const double dy = (r.Top + r.Bottom) / 2.0 - kClientH / 2.0;
            if (dx * dx + dy * dy < bestDistance) {
                bestDistance = dx * dx + dy * dy;
                best = r;
            }
        }
        return best;
    }
};

TViewBench& Bench()
{
    static TViewBench bench;
    return bench;
}

// The same visible content through one QPainter, with nothing cached but
// the decoded pictures and the text shadows.
void BaselinePaint(TViewBench& b, QImage& img, const QRect& clip)
{
    QPainter p(&img);
    p.setClipRect(clip);
    QLinearGradient g(0, 0, img.width(), img.height());
    g.setColorAt(0, QColor(252, 252, 254));
    g.setColorAt(1, QColor(244, 243, 238));
    p.fillRect(clip, g);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    b.Mapping.SetupTransformation();
    const auto toQt = [](const TTransformation& t) {
        const auto& m = t.Matrix();
        return QTransform(m[0], m[3], m[1], m[4], m[2], m[5]);
    };
    float dw = 0, dh = 0;
    b.Mapping.DisplaySize(dw, dh);
    p.setTransform(toQt(b.Mapping.Transformation()));
    p.fillRect(QRectF(2, 2, dw, dh), QColor(160, 160, 160));
    p.fillRect(QRectF(0, 0, dw, dh), QColor(240, 240, 240));
    std::size_t picture = 0;
    for (TFBPage* page : b.Mapping.Pages()) {
        TTransformation pt;
        b.Mapping.PageTransformation(page, pt);
        const QTransform pageT = toQt(pt);
        p.setTransform(pageT);
        p.setClipRect(clip, Qt::ReplaceClip);
        p.fillRect(QRectF(0, 0, b.Doc.PageWidth, b.Doc.PageHeight), Qt::white);
        p.setClipRect(QRectF(0, 0, b.Doc.PageWidth, b.Doc.PageHeight), Qt::IntersectClip);
        for (int i = 0; i < page->Piclist.Count(); ++i) {
            const auto* el = static_cast<const TFBPictureElement*>(page->Piclist.Items(i));
            const TRect src = el->SourceRect(0);
            p.setTransform(pageT);
            p.translate(el->CenterX, el->CenterY);
            p.rotate(el->Angle);
            p.drawImage(QRectF(-el->Width / 2, -el->Height / 2, el->Width, el->Height),
                        b.Pictures[picture++],
                        QRectF(src.Left, src.Top, src.Width(), src.Height()));
        }
        for (int i = 0; i < page->Elementlist.Count(); ++i) {
            TFBElement* el = page->Elementlist.Items(i);
            p.setTransform(pageT);
            p.translate(el->CenterX, el->CenterY);
            p.rotate(el->Angle);
            if (auto* text = dynamic_cast<TFBTextElement*>(el)) {
                if (TShadowBitmap* shadow = text->ShadowBitmap())
                    p.drawImage(QRectF(-text->ShadowBitmapWidth / 2 + 0.5,
                                       -text->ShadowBitmapHeight / 2 + 0.5,
                                       text->ShadowBitmapWidth, text->ShadowBitmapHeight),
                                shadow->Image());
                // 24 points drawn as a 100-unit font scaled to millimetres.
                constexpr double emMm = 24 * 25.4 / 72;
                constexpr double k = 100 / emMm;
                QFont font(QStringLiteral("Arial"));
                font.setPixelSize(100);
                p.scale(1 / k, 1 / k);
                p.setFont(font);
                p.setPen(Qt::black);
                p.drawText(QRectF(-el->Width / 2 * k, -el->Height / 2 * k, el->Width * k,
                                  el->Height * k),
                           Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Ein Sommer am See"));
            } else if (auto* art = dynamic_cast<TFBClipartElement*>(el)) {
                p.drawImage(QRectF(-el->Width / 2, -el->Height / 2, el->Width, el->Height),
                            b.Doc.Bildmanager().GetBitmap(art->RefIndex()));
            }
        }
    }
}

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

float ZoomOf(const benchmark::State& state)
{
    return float(state.range(0));
}

void SaveIfAsked(const QImage& img, const char* what, float zoom)
{
    const QString dir = qEnvironmentVariable("LUMARBO_BENCH_PNG");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    const QString name = QStringLiteral("%1-zoom%2.png").arg(QLatin1String(what)).arg(zoom);
    img.copy(0, 0, kClientW, kClientH).save(QDir(dir).filePath(name));
}

void BM_MainView_Full(benchmark::State& state)
{
    TViewBench& b = Bench();
    b.SetZoom(ZoomOf(state));
    SaveIfAsked(b.Bitmap, "view", ZoomOf(state));
    for (auto _ : state) {
        b.Paint(kNoUpdateRect);
        benchmark::DoNotOptimize(b.Bitmap.constBits());
    }
}

void BM_MainView_OneElement(benchmark::State& state)
{
    TViewBench& b = Bench();
    b.SetZoom(ZoomOf(state));
    const TRect r = b.OneElementRect();
    state.counters["pixels"] = double(r.Width()) * r.Height();
    for (auto _ : state) {
        b.Paint(r);
        benchmark::DoNotOptimize(b.Bitmap.constBits());
    }
}

void BM_QPainter_Full(benchmark::State& state)
{
    TViewBench& b = Bench();
    b.SetZoom(ZoomOf(state));
    QImage img(b.Bitmap.size(), QImage::Format_RGB32);
    BaselinePaint(b, img, img.rect());
    SaveIfAsked(img, "baseline", ZoomOf(state));
    for (auto _ : state) {
        BaselinePaint(b, img, img.rect());
        benchmark::DoNotOptimize(img.constBits());
    }
}

void BM_QPainter_OneElement(benchmark::State& state)
{
    TViewBench& b = Bench();
    b.SetZoom(ZoomOf(state));
    const QRect r = ToQRect(b.OneElementRect());
    QImage img(b.Bitmap.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        BaselinePaint(b, img, r);
        benchmark::DoNotOptimize(img.constBits());
    }
}

} // namespace

#define LUMARBO_VIEW_BENCH(fn)                                                                   \
    BENCHMARK(fn)->ArgName("zoom")->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond)       \
        ->UseRealTime()
// Real time: the bitmap context and QPainter both hand work to other threads.
LUMARBO_VIEW_BENCH(BM_MainView_Full);
LUMARBO_VIEW_BENCH(BM_QPainter_Full);
LUMARBO_VIEW_BENCH(BM_MainView_OneElement);
LUMARBO_VIEW_BENCH(BM_QPainter_OneElement);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
