// Page drawing: pages and elements are rendered into bitmaps and sampled
// away from edges.
#include "calendar/Kalender.h"
#include "model/BildManager.h"
#include "model/ZadoveroDocument.h"
#include "render/BitmapDrawContext.h"
#include "render/DocDrawer.h"
#include "render/ShadowBitmap.h"
#include "support/TestSupport.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <stdexcept>

namespace {

constexpr float kPageW = 100;
constexpr float kPageH = 80;

QImage Solid(int w, int h, QColor color, QImage::Format format = QImage::Format_RGB32)
{
    QImage img(w, h, format);
    img.fill(color);
    return img;
}

class DocDrawerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterKalenderTexts(Svc.Services().Localizer());
        Doc.ScreenMode = 0;
        Doc.PageWidth = kPageW;
        Doc.PageHeight = kPageH;
        Doc.PicturesHaveShadows = false;
    }

    TFBPage* AddPage() { return Doc.Pages.Add(std::make_unique<TFBPage>(&Doc)); }

    template <class T>
    T* Add(TFBPage* page, float cx, float cy, float w, float h, float angle = 0)
    {
        auto el = std::make_unique<T>(page);
        el->CenterX = cx;
        el->CenterY = cy;
        el->Width = w;
        el->Height = h;
        el->Angle = angle;
        T* raw = el.get();
        if constexpr (std::is_base_of_v<TFBPictureElement, T>)
            page->Piclist.Add(std::move(el));
        else if constexpr (std::is_base_of_v<TFBKalenderElement, T>)
            page->Kalenderlist.Add(std::move(el));
        else
            page->Elementlist.Add(std::move(el));
        return raw;
    }

    TFBPictureElement* Picture(TFBPage* page, float cx, float cy, float w, float h, QColor color,
                               float angle = 0)
    {
        TFBPictureElement* f = Add<TFBPictureElement>(page, cx, cy, w, h, angle);
        f->SetRefIndex(Doc.Bildmanager().AddBitmap(Solid(40, 30, color)));
        return f;
    }

    // The page (or spread) at Scale pixels per millimetre, shifted by the
    // margin so that shadows beyond the page edge can be seen.
    QImage Render(const std::function<void(TDrawContext&)>& draw, float w = kPageW,
                  float h = kPageH, float margin = 0)
    {
        QImage img(int((w + 2 * margin) * Scale), int((h + 2 * margin) * Scale),
                   QImage::Format_RGB32);
        img.fill(Qt::white);
        TBitmapDrawContext ctx(&img);
        ctx.Transformation().ScaleUniform(Scale);
        ctx.Transformation().Translate(margin, margin);
        draw(ctx);
        EXPECT_EQ(ctx.ClipDepth(), 0);
        EXPECT_EQ(ctx.Transformation().StackDepth(), 0);
        return img;
    }

    QImage RenderPage(TFBPage* page, bool printing, int quality)
    {
        return Render([&](TDrawContext& ctx) {
            GetDocumentDrawer().DrawPage(*page, ctx, printing, quality);
        }, Doc.PageWidth, Doc.PageHeight);
    }

    QColor At(const QImage& img, float x, float y, float margin = 0) const
    {
        return img.pixelColor(int((x + margin) * Scale), int((y + margin) * Scale));
    }

    float Scale = 4;
    TTestServices Svc;
    TFBDocument Doc;
};

TEST_F(DocDrawerTest, PageColourIsPaintedOnlyWhenNotPrinting)
{
    TFBPage* page = AddPage();
    page->Seitenfarbe = RGBColor(10, 200, 30);
    EXPECT_EQ(At(RenderPage(page, false, 0), 50, 40), QColor(10, 200, 30));
    EXPECT_EQ(At(RenderPage(page, true, 0), 50, 40), QColor(Qt::white));
}

TEST_F(DocDrawerTest, ZOrderIsPicturesCalendarsTextsCliparts)
{
    TFBPage* page = AddPage();
    // Picture everywhere; the calendar covers its middle band; the text
    // sits on the calendar; the clip-art covers the text's right half.
    Picture(page, 50, 40, 90, 70, Qt::red);
    TFBKalenderElement* cal = Add<TFBKalenderElement>(page, 50, 40, 80, 40);
    cal->KalenderData().Color = clBlue;
    TFBTextElement* text = Add<TFBTextElement>(page, 50, 40, 60, 20);
    text->SetRTF(QStringLiteral(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
        "\\f0\\fs96\\cf1 MMMMMMMMMMMM\\par MMMMMMMMMMMM}"));
    TFBClipartElement* clip = Add<TFBClipartElement>(page, 70, 40, 20, 20);
    clip->SetRefIndex(Doc.Bildmanager().AddBitmap(Solid(10, 10, Qt::green, QImage::Format_ARGB32)));

    const QImage img = RenderPage(page, false, 0);
    EXPECT_EQ(At(img, 10, 10), QColor(Qt::red));   // picture only
    EXPECT_EQ(At(img, 15, 40), QColor(Qt::blue));  // calendar over picture
    EXPECT_EQ(At(img, 70, 40), QColor(Qt::green)); // clip-art over text
    // The text is visible on the calendar: some pixel of its left half is
    // neither calendar blue nor picture red.
    bool textSeen = false;
    for (float x = 22; x < 58 && !textSeen; x += 0.25f)
        for (float y = 32; y < 48 && !textSeen; y += 0.25f)
            textSeen = At(img, x, y) != QColor(Qt::blue) && At(img, x, y) != QColor(Qt::red);
    EXPECT_TRUE(textSeen);
}

TEST_F(DocDrawerTest, PictureShadowExceptForAFrameCoveringThePage)
{
    struct Case {
        const char* Name;
        float Cx, Cy, W, H;
        bool Shadow;
    } cases[] = {
        {"full page", kPageW / 2, kPageH / 2, kPageW, kPageH, false},
        {"smaller frame", 50, 40, 60, 40, true},
    };
    Doc.PicturesHaveShadows = true;
    TFBPage* page = AddPage();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFBPictureElement* f = Picture(page, c.Cx, c.Cy, c.W, c.H, Qt::red);
        // The element alone, without the page clip, so that a shadow beyond
        // the page edge would show.
        const float margin = 5;
        const QImage img = Render([&](TDrawContext& ctx) { f->Draw(ctx, false); }, kPageW, kPageH,
                                  margin);
        const QColor below = At(img, c.Cx + c.W / 2 + 0.75f, c.Cy + c.H / 2 + 0.75f, margin);
        EXPECT_EQ(below.lightness() < 255, c.Shadow) << below.name().toStdString();
        EXPECT_EQ(At(img, c.Cx, c.Cy, margin), QColor(Qt::red));
        page->Piclist.Remove(f);
    }
}

TEST_F(DocDrawerTest, EmptyFrameOutlinedInEditingOnly)
{
    TFBPage* page = AddPage();
    Add<TFBPictureElement>(page, 50, 40, 40, 30);
    for (bool printing : {false, true}) {
        SCOPED_TRACE(printing);
        const QImage img = RenderPage(page, printing, 1);
        // The left edge at x = 30 mm: one pixel wide, look at the columns
        // around it.
        int silver = 0;
        for (int px = int(30 * Scale) - 2; px <= int(30 * Scale) + 2; ++px)
            silver += img.pixelColor(px, int(40 * Scale)) == QColor(192, 192, 192);
        EXPECT_EQ(silver > 0, !printing);
    }
}

// The bounding box of the pixels that are not white.
QRect InkBox(const QImage& img)
{
    int l = INT_MAX, t = INT_MAX, r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != QColor(Qt::white)) {
                l = std::min(l, x);
                r = std::max(r, x);
                t = std::min(t, y);
                b = std::max(b, y);
            }
    return r < 0 ? QRect() : QRect(QPoint(l, t), QPoint(r, b));
}

TEST_F(DocDrawerTest, HeartHasFixedSizeAndTurnsAboutTheFrameCentre)
{
    struct Case {
        float W, H, Angle;
        int BoxW, BoxH;
    } cases[] = {
        {50, 50, 0, 184, 186},
        {300, 20, 0, 184, 186},
        {120, 80, 90, 186, 184},
    };
    Scale = 1;
    TFBPage* page = AddPage();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " @" << c.Angle);
        TFBPictureElement* f = Add<TFBPictureElement>(page, 150, 150, c.W, c.H, c.Angle);
        f->RegionTyp = 2;
        const QImage img = Render(
            [&](TDrawContext& ctx) {
                ctx.SetPenStyle(TPenStyle::Clear);
                ctx.SetBrushColor(clRed);
                GetDocumentDrawer().FramePath(*f, ctx);
                ctx.FillPath();
            },
            300, 300);
        const QRect box = InkBox(img);
        EXPECT_NEAR(box.width(), c.BoxW, 2);
        EXPECT_NEAR(box.height(), c.BoxH, 2);
        // The heart's widest extent is symmetric about the centre across
        // its axis of symmetry.
        if (c.Angle == 0)
            EXPECT_NEAR(box.center().x(), 150, 1.5);
        else
            EXPECT_NEAR(box.center().y(), 150, 1.5);
        page->Piclist.Remove(f);
    }
}

TEST_F(DocDrawerTest, HeartClipsThePicture)
{
    TFBPage* page = AddPage();
    Scale = 1;
    Doc.PageWidth = 300;
    Doc.PageHeight = 300;
    TFBPictureElement* f = Picture(page, 150, 150, 200, 200, Qt::red);
    f->RegionTyp = 2;
    const QImage img = RenderPage(page, true, 0);
    EXPECT_EQ(At(img, 150, 150), QColor(Qt::red));
    EXPECT_EQ(At(img, 150 - 95, 150 + 95), QColor(Qt::white)); // frame corner, outside the heart
    EXPECT_EQ(At(img, 150, 150 + 80), QColor(Qt::red));        // near the tip
}

TEST_F(DocDrawerTest, EllipseClipsThePicture)
{
    TFBPage* page = AddPage();
    TFBPictureElement* f = Picture(page, 50, 40, 60, 40, Qt::red);
    f->RegionTyp = 1;
    const QImage img = RenderPage(page, true, 0);
    EXPECT_EQ(At(img, 50, 40), QColor(Qt::red));
    EXPECT_EQ(At(img, 22, 22), QColor(Qt::white));
}

TEST_F(DocDrawerTest, TransparentPictureHasWhiteUnderlay)
{
    TFBPage* page = AddPage();
    page->Seitenfarbe = clBlue;
    Add<TFBPictureElement>(page, 50, 40, 40, 30)
        ->SetRefIndex(
            Doc.Bildmanager().AddBitmap(Solid(20, 20, QColor(0, 0, 0, 0), QImage::Format_ARGB32)));
    const QImage img = RenderPage(page, false, 0);
    EXPECT_EQ(At(img, 50, 40), QColor(Qt::white));
    EXPECT_EQ(At(img, 10, 10), QColor(Qt::blue));
}

TEST_F(DocDrawerTest, LinkedPictureAcrossTheSpineHasNoBorderThere)
{
    Doc.ScreenMode = 2; // page pairs: page 0 left, page 1 right
    TFBPage* left = AddPage();
    TFBPage* right = AddPage();
    TFBPictureElement* a = Picture(left, kPageW - 20, 40, 40, 40, Qt::red);
    TFBPictureElement* b = Picture(right, 20, 40, 40, 40, Qt::red);
    TFBPictureLink* link = Doc.AddPictureLink();
    link->Add(a);
    link->Add(b);
    for (TFBPictureElement* f : {a, b}) {
        f->SetBorderWidth(2);
        f->SetBorderColor(clBlack);
    }
    const QImage img = Render(
        [&](TDrawContext& ctx) { GetDocumentDrawer().DrawSpread(Doc, ctx, 0, 0); }, 2 * kPageW,
        kPageH);
    const QColor black(Qt::black);
    EXPECT_EQ(At(img, kPageW - 40, 40), black);      // outer side of the left frame
    EXPECT_EQ(At(img, kPageW + 40, 40), black);      // outer side of the right frame
    EXPECT_EQ(At(img, kPageW - 20, 20), black);      // top of the left frame
    EXPECT_EQ(At(img, kPageW + 20, 60), black);      // bottom of the right frame
    EXPECT_NE(At(img, kPageW - 0.5f, 40), black);    // spine, left page
    EXPECT_NE(At(img, kPageW + 0.5f, 40), black);    // spine, right page
}

TEST_F(DocDrawerTest, TurnedCalendarIsDrawnUnturned)
{
    TFBPage* page = AddPage();
    TFBKalenderElement* cal = Add<TFBKalenderElement>(page, 50, 40, 60, 20, 90);
    cal->KalenderData().Color = clBlue;
    const QImage img = RenderPage(page, true, 0);
    EXPECT_EQ(At(img, 50 + 27, 40), QColor(Qt::blue));
    EXPECT_EQ(At(img, 50, 40 + 25), QColor(Qt::white));
}

TEST_F(DocDrawerTest, BorderDrawnWithoutPictureContent)
{
    struct Case {
        const char* Name;
        bool MissingPicture;
        int Quality;
    } cases[] = {
        {"thumbnail missing", true, 1},
        {"no picture content", false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TFBPage* page = AddPage();
        TFBPictureElement* f = Add<TFBPictureElement>(page, 50, 40, 40, 30);
        if (c.MissingPicture)
            f->SetRefIndex(Doc.Bildmanager().AddFile(Svc.TempPath(QStringLiteral("gone.jpg"))));
        else
            f->SetRefIndex(Doc.Bildmanager().AddBitmap(Solid(40, 30, Qt::red)));
        ASSERT_TRUE(f->HasPicture());
        f->SetBorderWidth(2);
        f->SetBorderColor(clBlack);
        const QImage img = RenderPage(page, true, c.Quality);
        EXPECT_EQ(At(img, 30, 40), QColor(Qt::black));
        EXPECT_EQ(At(img, 50, 40), QColor(Qt::white));
    }
}

TEST_F(DocDrawerTest, SourceRectCropsZoomsAndOffsets)
{
    struct Case {
        float Zoom, OffsetX;
        int Left, Right;
    } cases[] = {
        {1, 0.5f, 50, 350},
        {2, 0, 0, 150},
    };
    TFBPage* page = AddPage();
    TFBPictureElement* f = Add<TFBPictureElement>(page, 50, 40, 30, 30);
    f->SetRefIndex(Doc.Bildmanager().AddBitmap(Solid(400, 300, Qt::red)));
    for (const Case& c : cases) {
        f->SetZoom(c.Zoom);
        f->SetOffsetX(c.OffsetX);
        const TRect r = GetDocumentDrawer().SourceRect(*f, 0);
        EXPECT_EQ(r.Left, c.Left);
        EXPECT_EQ(r.Right, c.Right);
    }
}

TEST_F(DocDrawerTest, SpreadsOutsideThePagesDrawNoPage)
{
    Doc.ScreenMode = 1;
    AddPage()->Seitenfarbe = clRed;
    Doc.Umschlagbreite = 4;
    float sw = 0, sh = 0;
    Doc.GetDisplaySize(sw, sh);
    for (int spread : {-3, 1, 7}) {
        SCOPED_TRACE(spread);
        const QImage img = Render(
            [&](TDrawContext& ctx) { GetDocumentDrawer().DrawSpread(Doc, ctx, 1, spread); }, sw + 4,
            sh + 4);
        EXPECT_EQ(At(img, sw - 4 - kPageW / 2, sh / 2), QColor(240, 240, 240));
    }
    // Spread 0 of a book holds page 0 on the right.
    const QImage img = Render(
        [&](TDrawContext& ctx) { GetDocumentDrawer().DrawSpread(Doc, ctx, 1, 0); }, sw + 4, sh + 4);
    EXPECT_EQ(At(img, sw - 4 - kPageW / 2, sh / 2), QColor(Qt::red));
    EXPECT_EQ(At(img, 4 + kPageW / 2, sh / 2), QColor(240, 240, 240));
}

// An element whose drawing fails half-way, after changing the mapping and
// the clip as a drawing would.
class TFailingElement : public TFBElement {
public:
    using TFBElement::TFBElement;
    void Draw(TDrawContext& context, bool) override
    {
        context.Transformation().Translate(5, 5);
        throw std::runtime_error("broken element");
    }
};

TEST_F(DocDrawerTest, FailingElementLeavesMappingAndClipAsTheyWere)
{
    Doc.ScreenMode = 1;
    AddPage();
    TFBPage* page = AddPage();
    Picture(page, 50, 40, 40, 30, Qt::red)->RegionTyp = 2;
    page->Elementlist.Add(std::make_unique<TFailingElement>(page));
    QImage img(400, 400, QImage::Format_RGB32);
    TBitmapDrawContext ctx(&img);
    ctx.Transformation().ScaleUniform(2);
    const auto before = ctx.Transformation().Matrix();
    EXPECT_THROW(GetDocumentDrawer().DrawSpread(Doc, ctx, 0, 1), std::runtime_error);
    EXPECT_EQ(ctx.Transformation().Matrix(), before);
    EXPECT_EQ(ctx.Transformation().StackDepth(), 0);
    EXPECT_EQ(ctx.ClipDepth(), 0);
}

TEST_F(DocDrawerTest, TextShadowBuiltOnceAt150Dpi)
{
    TFBPage* page = AddPage();
    TFBTextElement* text = Add<TFBTextElement>(page, 50, 40, 40, 20);
    text->SetRTF(QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs48 Hallo}"));
    text->SetHasShadow(true);
    RenderPage(page, false, 0);
    EXPECT_FALSE(text->ShadowDirty);
    EXPECT_EQ(text->ShadowBitmap()->Width(), 248);  // 42 mm at 150 dpi
    EXPECT_EQ(text->ShadowBitmap()->Height(), 130); // 22 mm
    EXPECT_FLOAT_EQ(text->ShadowBitmapWidth, 42);
    // A new size makes it again for that size.
    text->Width = 60;
    RenderPage(page, false, 0);
    EXPECT_FALSE(text->ShadowDirty);
    EXPECT_FLOAT_EQ(text->ShadowWidth, 60);
    EXPECT_EQ(text->ShadowBitmap()->Width(), 366);
}

} // namespace
