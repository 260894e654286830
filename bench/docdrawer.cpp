// One book spread drawn by the page drawer into a view bitmap and at print
// resolution, beside a plain QPainter drawing the same pictures with the
// same transforms (smooth).
#include "BenchDocument.h"
#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"
#include "render/BitmapDrawContext.h"
#include "render/DocDrawer.h"

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

struct TSpread {
    TFBDocument Doc;
    std::vector<QImage> Pictures; // decoded, for the baseline
    float SpreadW = 0, SpreadH = 0;

    TSpread()
    {
        Doc.ScreenMode = 1;
        Doc.PageWidth = 148;
        Doc.PageHeight = 210;
        for (int i = 0; i < 3; ++i)
            Doc.Pages.Add(std::make_unique<TFBPage>(&Doc));
        Doc.GetDisplaySize(SpreadW, SpreadH);
        // Four frames per page, two of them turned.
        struct Frame {
            int Page;
            float Cx, Cy, W, H, Angle;
        } frames[] = {
            {1, 40, 50, 64, 48, 0},  {1, 108, 50, 64, 48, 0},  {1, 40, 130, 64, 48, 90},
            {1, 108, 130, 64, 48, 0}, {2, 40, 50, 64, 48, 0},  {2, 108, 50, 64, 48, 10},
            {2, 40, 130, 64, 48, 0},  {2, 108, 130, 64, 48, 0},
        };
        int seed = 0;
        for (const Frame& f : frames) {
            TFBPage* page = Doc.Pages.Items(f.Page);
            auto* el = static_cast<TFBPictureElement*>(
                page->Piclist.Add(std::make_unique<TFBPictureElement>(page)));
            el->CenterX = f.Cx;
            el->CenterY = f.Cy;
            el->Width = f.W;
            el->Height = f.H;
            el->Angle = f.Angle;
            el->SetRefIndex(Doc.Bildmanager().AddBitmap(BenchPhoto(seed++)));
            Pictures.push_back(Doc.Bildmanager().GetBitmap(el->RefIndex()));
        }
        for (int p : {1, 2}) {
            TFBPage* page = Doc.Pages.Items(p);
            auto* text = static_cast<TFBTextElement*>(
                page->Elementlist.Add(std::make_unique<TFBTextElement>(page)));
            text->CenterX = 74;
            text->CenterY = 185;
            text->Width = 120;
            text->Height = 20;
            text->SetRTF(QStringLiteral(
                "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs48 Ein Sommer am See}"));
            text->SetHasShadow(true);
        }
        TFBPage* page = Doc.Pages.Items(2);
        auto* art = static_cast<TFBClipartElement*>(
            page->Elementlist.Add(std::make_unique<TFBClipartElement>(page)));
        art->CenterX = 120;
        art->CenterY = 180;
        art->Width = 30;
        art->Height = 30;
        art->SetRefIndex(Doc.Bildmanager().AddBitmap(BenchClipart()));
    }
};

TSpread& Spread()
{
    static TSpread spread;
    return spread;
}

// Pixels per millimetre: the view fits the spread into 1600 x 1000, print
// is 300 dpi.
float ScaleFor(int which, const TSpread& s)
{
    return which == 0 ? std::min(1600 / s.SpreadW, 1000 / s.SpreadH) : float(300 / 25.4);
}

QSize SizeFor(int which, const TSpread& s)
{
    if (which == 0)
        return QSize(1600, 1000);
    const float k = ScaleFor(1, s);
    return QSize(int(s.SpreadW * k), int(s.SpreadH * k));
}

void BM_DocumentDrawer_Spread(benchmark::State& state)
{
    TSpread& s = Spread();
    const int which = int(state.range(0));
    QImage img(SizeFor(which, s), QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        TBitmapDrawContext ctx(&img);
        ctx.Transformation().ScaleUniform(ScaleFor(which, s));
        GetDocumentDrawer().DrawSpread(s.Doc, ctx, 0, 1);
        benchmark::DoNotOptimize(img.constBits());
    }
}

void BM_QPainter_SamePictures(benchmark::State& state)
{
    TSpread& s = Spread();
    const int which = int(state.range(0));
    QImage img(SizeFor(which, s), QImage::Format_RGB32);
    const float k = ScaleFor(which, s);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        int i = 0;
        for (int pg : {1, 2}) {
            const TFBPage* page = s.Doc.Pages.Items(pg);
            for (int e = 0; e < page->Piclist.Count(); ++e) {
                const auto* el = static_cast<const TFBPictureElement*>(page->Piclist.Items(e));
                const TRect src = el->SourceRect(0);
                QTransform t;
                t.scale(k, k);
                p.setTransform(t);
                const float ox = pg == 1 ? s.Doc.Umschlagbreite
                                         : s.Doc.Umschlagbreite + s.Doc.PageWidth + s.Doc.Stegbreite;
                p.translate(ox + el->CenterX, s.Doc.Umschlagbreite + el->CenterY);
                p.rotate(el->Angle);
                p.drawImage(QRectF(-el->Width / 2, -el->Height / 2, el->Width, el->Height),
                            s.Pictures[std::size_t(i++)],
                            QRectF(src.Left, src.Top, src.Width(), src.Height()));
            }
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
}

} // namespace

BENCHMARK(BM_DocumentDrawer_Spread)->ArgName("print300")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QPainter_SamePictures)->ArgName("print300")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
