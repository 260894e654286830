#include "app/Errors.h"
#include "imaging/FilterRows.h"
#include "imaging/HSLUtil.h"
#include "imaging/PictureFilter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cfenv>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// Restores the filter engine after a test picked a path or thread count.
struct TEngineGuard {
    TFilterEngine Saved = FilterEngine();
    ~TEngineGuard() { FilterEngine() = Saved; }
};

// Random pixels with random alpha; the first 766 pixels run through every
// sum of blue + green + red, the grey values the table filters divide.
QImage RandomPicture(int w, int h, unsigned seed, QImage::Format format = QImage::Format_ARGB32)
{
    QImage img(w, h, QImage::Format_ARGB32);
    std::mt19937 rng(seed);
    int i = 0;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x, ++i) {
            QRgb px = rng();
            if (i <= 765) {
                const int b = std::min(i, 255);
                const int g = std::min(i - b, 255);
                const int r = i - b - g;
                px = qRgba(r, g, b, int(px >> 24));
            }
            row[x] = px;
        }
    }
    return format == QImage::Format_ARGB32 ? img : img.convertToFormat(format);
}

QImage Solid(int w, int h, QRgb px, QImage::Format format = QImage::Format_ARGB32)
{
    QImage img(w, h, format);
    img.fill(px);
    return img;
}

TColor ColourOf(QRgb px)
{
    return RGBColor(qRed(px), qGreen(px), qBlue(px));
}

QRgb WithColour(QRgb px, TColor c)
{
    return qRgba(RedOf(c), GreenOf(c), BlueOf(c), qAlpha(px));
}

// The plain per-pixel formulas the fast loops have to reproduce.
QImage ReferenceHSL(const QImage& in, float dH, float dS, float dL)
{
    QImage out = in.copy();
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = out.pixel(x, y);
            out.setPixel(x, y, WithColour(px, ShiftHSL(ColourOf(px), dH, dS, dL)));
        }
    return out;
}

QImage ReferenceHKIG(const QImage& in, float b, float c, float i, float g)
{
    const auto t = HKIGTable(b, c, i, g);
    QImage out = in.copy();
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = out.pixel(x, y);
            out.setPixel(x, y, qRgba(t[qRed(px)], t[qGreen(px)], t[qBlue(px)], qAlpha(px)));
        }
    return out;
}

QImage ReferenceSWCol(const QImage& in, float h, float s)
{
    const auto k = SWColTable(h, s);
    QImage out = in.copy();
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = out.pixel(x, y);
            out.setPixel(x, y, WithColour(px, k[(qRed(px) + qGreen(px) + qBlue(px)) / 3]));
        }
    return out;
}

// First differing pixel, for a readable failure.
::testing::AssertionResult SamePixels(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return ::testing::AssertionFailure() << "size or format differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << "): " << std::hex << a.pixel(x, y)
                       << " != " << b.pixel(x, y);
    return ::testing::AssertionSuccess();
}

std::vector<FilterKernels::TPath> AvailablePaths()
{
    std::vector<FilterKernels::TPath> paths;
    for (auto p : {FilterKernels::TPath::Scalar, FilterKernels::TPath::Avx2,
                   FilterKernels::TPath::Avx512})
        if (FilterKernels::Supported(p))
            paths.push_back(p);
    return paths;
}

// ---- HKIG table -------------------------------------------------------

TEST(FilterHKIG, TableExamples)
{
    struct TCase {
        const char* Name;
        float B, C, I, G;
        int In, Out;
    } const cases[] = {
        {"neutral 0", 0, 0, 0, 1, 0, 0},
        {"neutral 77", 0, 0, 0, 1, 77, 77},
        {"neutral 255", 0, 0, 0, 1, 255, 255},
        {"gamma 2: 64 -> 128", 0, 0, 0, 2, 64, 128},
        {"brightness 1: 0 -> 255", 1, 0, 0, 1, 0, 255},
        {"brightness 1: 200 -> 255", 1, 0, 0, 1, 200, 255},
        {"brightness -1: 255 -> 0", -1, 0, 0, 1, 255, 0},
        {"brightness 0.1 adds round(25.5) = 26", 0.1f, 0, 0, 1, 100, 126},
        {"contrast 1: 127 -> 0", 0, 1, 0, 1, 127, 0},
        {"contrast 1: 128 stays", 0, 1, 0, 1, 128, 128},
        {"contrast 1: 129 -> 255", 0, 1, 0, 1, 129, 255},
        {"contrast -1 squeezes 0 to 127", 0, -1, 0, 1, 0, 127},
        {"contrast -1 squeezes 255 to 129", 0, -1, 0, 1, 255, 129},
        {"intensity 1 doubles", 0, 0, 1, 1, 100, 200},
        {"intensity -1 gives black", 0, 0, -1, 1, 200, 0},
        // Clamping only at the end: brightness pushes 0 to -255 first, and
        // contrast -1 maps that to round(-383 / 128 + 128) = 125 (127 if
        // the brightness step had been clamped).
        {"intermediate values are not clamped", -1, -1, 0, 1, 0, 125},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(HKIGTable(c.B, c.C, c.I, c.G)[std::size_t(c.In)], c.Out);
    }
    const auto identity = HKIGTable(0, 0, 0, 1);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(identity[std::size_t(i)], i);
}

TEST(FilterHKIG, RangeChecksInOrderWithInclusiveBounds)
{
    struct TCase {
        float B, C, I, G;
        const char* Message; // nullptr: accepted
    } const cases[] = {
        {0, 0, 0, 0, "gamma außerhalb von 0,0001..100"},
        {0, 1.5f, 0, 0, "prozKontrast außerhalb von -1..1"},
        {2, 1.5f, 2, 0, "prozHelligkeit außerhalb von -1..1"},
        {0, 0, -1.01f, 1, "prozIntensitaet außerhalb von -1..1"},
        {0, 0, 0, 100.5f, "gamma außerhalb von 0,0001..100"},
        {NaN, 0, 0, 1, "prozHelligkeit außerhalb von -1..1"},
        {0, NaN, 0, 1, "prozKontrast außerhalb von -1..1"},
        {0, 0, NaN, 1, "prozIntensitaet außerhalb von -1..1"},
        {0, 0, 0, NaN, "gamma außerhalb von 0,0001..100"},
        {-1, 1, -1, 0.0001f, nullptr},
        {1, -1, 1, 100, nullptr},
    };
    for (const TCase& c : cases) {
        QImage img = RandomPicture(5, 4, 1);
        const QImage before = img.copy();
        try {
            FilterHKIG(img, {}, c.B, c.C, c.I, c.G);
            EXPECT_EQ(c.Message, nullptr) << "accepted, expected " << c.Message;
        } catch (const Exception& e) {
            ASSERT_NE(c.Message, nullptr) << e.message().toStdString();
            EXPECT_EQ(e.message(), QString::fromUtf8(c.Message));
            EXPECT_EQ(img, before);
        }
    }
}

// ---- Formats and alpha --------------------------------------------------

TEST(PictureFilter, TableFiltersRefuseOtherFormatsBeforeCheckingParameters)
{
    for (auto format : {QImage::Format_RGB888, QImage::Format_Indexed8, QImage::Format_RGB16,
                        QImage::Format_Grayscale8, QImage::Format_A2RGB30_Premultiplied}) {
        QImage img = RandomPicture(6, 5, 2).convertToFormat(format);
        const QImage before = img.copy();
        try {
            FilterHKIG(img, {}, 0, 5, 0, 1); // contrast out of range as well
            ADD_FAILURE() << "format " << format << " accepted by FilterHKIG";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8("nur 32bit Bilder werden unterstützt"));
        }
        try {
            FilterSWCol(img, {}, 0.1f, 0.5f);
            ADD_FAILURE() << "format " << format << " accepted by FilterSWCol";
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8("nur 32bit Bilder werden unterstützt"));
        }
        EXPECT_EQ(img, before);
    }
}

TEST(PictureFilter, AlphaIsNeverChanged)
{
    const QImage original = RandomPicture(97, 31, 3);
    const auto alphaOf = [](const QImage& img) {
        std::vector<int> a;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                a.push_back(qAlpha(img.pixel(x, y)));
        return a;
    };
    // Shallow copies: filtering one must leave the picture it shares alone.
    QImage a = original;
    FilterHKIG(a, {}, 0.3f, 0.5f, 0.2f, 1.7f);
    QImage b = original;
    FilterHSL(b, {}, 0.3f, 0.2f, -0.1f);
    QImage c = original;
    FilterSWCol(c, {}, 0.1f, 0.5f);
    for (const QImage* img : {&a, &b, &c}) {
        EXPECT_NE(*img, original);
        EXPECT_EQ(alphaOf(*img), alphaOf(original));
    }
}

TEST(PictureFilter, ConvertedFormatsAreFilteredAsStraightAlphaAndKeepTheirFormat)
{
    // Premultiplied pixels are filtered as straight colours: full brightness
    // makes each channel equal to the pixel's alpha once multiplied again.
    QImage pre = RandomPicture(40, 9, 4, QImage::Format_ARGB32_Premultiplied);
    FilterHKIG(pre, {}, 1, 0, 0, 1);
    ASSERT_EQ(pre.format(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pre.height(); ++y)
        for (int x = 0; x < pre.width(); ++x) {
            const QRgb px = reinterpret_cast<const QRgb*>(pre.constScanLine(y))[x];
            ASSERT_EQ(px, qRgba(qAlpha(px), qAlpha(px), qAlpha(px), qAlpha(px)));
        }

    // FilterHSL takes any format for the time of the filter.
    QImage rgb(2, 1, QImage::Format_RGB888);
    rgb.setPixel(0, 0, qRgb(255, 0, 0));
    rgb.setPixel(1, 0, qRgb(0, 0, 255));
    FilterHSL(rgb, {}, 0.5f, 0, 0);
    EXPECT_EQ(rgb.format(), QImage::Format_RGB888);
    EXPECT_EQ(rgb.pixel(0, 0), qRgb(0, 255, 255));
    EXPECT_EQ(rgb.pixel(1, 0), qRgb(255, 255, 0));
}

TEST(PictureFilter, NullPictureIsLeftAloneButParametersAreStillChecked)
{
    QImage none;
    EXPECT_NO_THROW(FilterHKIG(none, {}, 0, 0, 0, 1));
    EXPECT_NO_THROW(FilterHSL(none, {}, 0.1f, 0, 0));
    EXPECT_NO_THROW(FilterSWCol(none, {}, 0.1f, 0.5f));
    EXPECT_TRUE(none.isNull());
    EXPECT_THROW(FilterHKIG(none, {}, 0, 0, 0, 0), Exception);
}

TEST(PictureFilter, NonFiniteParametersAreRejected)
{
    QImage img = RandomPicture(3, 3, 5);
    const QImage before = img.copy();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_THROW(FilterHSL(img, {}, NaN, 0, 0), Exception);
    EXPECT_THROW(FilterHSL(img, {}, 0, inf, 0), Exception);
    EXPECT_THROW(FilterHSL(img, {}, 0, 0, -inf), Exception);
    EXPECT_THROW(FilterSWCol(img, {}, NaN, 0.5f), Exception);
    EXPECT_THROW(FilterSWCol(img, {}, 0.1f, inf), Exception);
    EXPECT_EQ(img, before);
}

// ---- Filter examples ------------------------------------------------------

TEST(PictureFilter, PixelExamples)
{
    struct TCase {
        const char* Name;
        QRgb In;
        std::function<void(QImage&)> Filter;
        QRgb Out;
    } const cases[] = {
        {"HSL half turn: red to cyan", qRgb(255, 0, 0),
         [](QImage& i) { FilterHSL(i, {}, 0.5f, 0, 0); }, qRgb(0, 255, 255)},
        {"HSL no saturation: grey of L", qRgb(200, 40, 60),
         [](QImage& i) { FilterHSL(i, {}, 0, -1, 0); }, qRgb(120, 120, 120)},
        {"SWCol S = 0: (b, g, r) = (10, 20, 40) to grey 23", qRgb(40, 20, 10),
         [](QImage& i) { FilterSWCol(i, {}, 0.7f, 0); }, qRgb(23, 23, 23)},
        {"HKIG gamma 2 on every channel", qRgb(64, 64, 64),
         [](QImage& i) { FilterHKIG(i, {}, 0, 0, 0, 2); }, qRgb(128, 128, 128)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QImage img = Solid(3, 2, c.In, QImage::Format_RGB32);
        c.Filter(img);
        EXPECT_EQ(img.pixel(2, 1), c.Out);
        EXPECT_EQ(img.pixel(0, 0), c.Out);
    }
}

TEST(PictureFilter, SWColTintIsWarmAndKeepsBlackAndWhite)
{
    const auto k = SWColTable(0.1f, 0.5f);
    EXPECT_EQ(k[0], clBlack);
    EXPECT_EQ(k[255], clWhite);
    for (int i = 20; i < 236; ++i) {
        SCOPED_TRACE(i);
        const TColor c = k[std::size_t(i)];
        EXPECT_GT(RedOf(c), GreenOf(c));
        EXPECT_GT(GreenOf(c), BlueOf(c));
    }
}

// ---- Fast loops against the plain formulas --------------------------------

TEST(PictureFilter, EveryPathAndThreadCountGivesTheBytesOfThePlainFormulas)
{
    TEngineGuard guard;
    struct TPicture {
        int W, H;
    } const pictures[] = {{1031, 517}, {7, 3}, {1, 1}};
    for (const TPicture& pic : pictures) {
        const QImage original = RandomPicture(pic.W, pic.H, unsigned(pic.W * 31 + pic.H));
        const QImage hsl1 = ReferenceHSL(original, 0.37f, 0.21f, -0.13f);
        const QImage hsl2 = ReferenceHSL(original, -1.75f, -0.6f, 0.3f);
        const QImage hkig = ReferenceHKIG(original, 0.12f, -0.35f, 0.2f, 1.8f);
        const QImage swcol = ReferenceSWCol(original, 0.1f, 0.5f);
        for (auto path : AvailablePaths()) {
            for (int threads : {1, 2}) {
                SCOPED_TRACE(testing::Message() << pic.W << "x" << pic.H << " path "
                                                << int(path) << " threads " << threads);
                FilterEngine().Path = path;
                FilterEngine().Threads = threads;
                QImage img = original.copy();
                FilterHSL(img, {}, 0.37f, 0.21f, -0.13f);
                EXPECT_TRUE(SamePixels(img, hsl1));
                img = original.copy();
                FilterHSL(img, {}, -1.75f, -0.6f, 0.3f);
                EXPECT_TRUE(SamePixels(img, hsl2));
                img = original.copy();
                FilterHKIG(img, {}, 0.12f, -0.35f, 0.2f, 1.8f);
                EXPECT_TRUE(SamePixels(img, hkig));
                img = original.copy();
                FilterSWCol(img, {}, 0.1f, 0.5f);
                EXPECT_TRUE(SamePixels(img, swcol));
            }
        }
    }
}

TEST(PictureFilter, VectorHSLMatchesThePlainStepOnTiesAndManyColours)
{
    // Each vector path against the scalar loop on every colour where two
    // channels tie (the branches of the hue: grey, equal maxima, equal
    // minima) and on a million random colours, for shifts that exercise
    // wrapping, clamping and the grey branch.
    TEngineGuard guard;
    QImage all = RandomPicture(1024, 1024 + 192, 9, QImage::Format_RGB32);
    for (int i = 0; i < 3 * 65536; ++i) {
        const int a = i & 0xFF;
        const int b = (i >> 8) & 0xFF;
        const int pair = i >> 16;
        const QRgb px = pair == 0 ? qRgb(a, a, b) : (pair == 1 ? qRgb(a, b, b) : qRgb(a, b, a));
        all.setPixel(i % 1024, 1024 + i / 1024, px);
    }
    struct TShift {
        float DH, DS, DL;
    } const shifts[] = {{0.0f, 0.0f, 0.0f}, {-0.3f, 0.25f, 0.1f}, {0.6f, -0.3f, -0.2f}};
    for (const TShift& s : shifts) {
        FilterEngine().Path = FilterKernels::TPath::Scalar;
        QImage expected = all.copy();
        FilterHSL(expected, {}, s.DH, s.DS, s.DL);
        for (auto path : AvailablePaths()) {
            if (path == FilterKernels::TPath::Scalar)
                continue;
            SCOPED_TRACE(testing::Message() << "path " << int(path) << " dH " << s.DH);
            FilterEngine().Path = path;
            QImage img = all.copy();
            FilterHSL(img, {}, s.DH, s.DS, s.DL);
            EXPECT_TRUE(img == expected) << SamePixels(img, expected).message();
        }
    }
}

TEST(PictureFilter, HSLBytesDoNotDependOnTheCallersRoundingMode)
{
    TEngineGuard guard;
    FilterEngine().Threads = 2;
    const QImage original = RandomPicture(700, 500, 10);
    QImage expected = original.copy();
    FilterHSL(expected, {}, 0.21f, 0.1f, 0.05f);
    const TColor single = ShiftHSL(RGBColor(200, 40, 60), 0.21f, 0.1f, 0.05f);
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        QImage img = original.copy();
        FilterHSL(img, {}, 0.21f, 0.1f, 0.05f);
        const TColor again = ShiftHSL(RGBColor(200, 40, 60), 0.21f, 0.1f, 0.05f);
        const int after = std::fegetround();
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(after, mode) << "the caller's mode must come back";
        EXPECT_TRUE(SamePixels(img, expected)) << "mode " << mode;
        EXPECT_EQ(again, single);
    }
}

// ---- Progress -----------------------------------------------------------------

TEST(PictureFilter, ProgressOncePerRowInOrderEndingAt100)
{
    TEngineGuard guard;
    struct TCase {
        int W, H;
        int Threads;
    } const cases[] = {{5, 1, 1}, {5, 3, 1}, {700, 900, 2}, {700, 900, 1}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " threads " << c.Threads);
        FilterEngine().Threads = c.Threads;
        QImage img = RandomPicture(c.W, c.H, 6);
        std::vector<int> seen;
        FilterHSL(img, [&](int p) { seen.push_back(p); }, 0.1f, 0, 0);
        ASSERT_EQ(int(seen.size()), c.H);
        for (int y = 0; y < c.H; ++y)
            ASSERT_EQ(seen[std::size_t(y)], c.H > 1 ? (200 * y + (c.H - 1)) / (2 * (c.H - 1)) : 100)
                << "row " << y;
    }
}

TEST(PictureFilter, ExceptionFromProgressStopsTheFilterCleanly)
{
    TEngineGuard guard;
    FilterEngine().Threads = 2;
    QImage img = RandomPicture(800, 800, 7);
    int calls = 0;
    EXPECT_THROW(FilterHKIG(
                     img,
                     [&](int) {
                         if (++calls == 10)
                             throw std::runtime_error("abort");
                     },
                     0.1f, 0, 0, 1),
                 std::runtime_error);
    EXPECT_EQ(calls, 10);
}

} // namespace
