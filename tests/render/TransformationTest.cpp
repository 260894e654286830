#include "render/Transformation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {

constexpr float kEps = 1e-4f;

void ExpectPoint(TPointF actual, TPointF expected, float eps = kEps)
{
    EXPECT_NEAR(actual.X, expected.X, eps);
    EXPECT_NEAR(actual.Y, expected.Y, eps);
}

// ---------------------------------------------------------------------------
// Mapping

struct TPointCase {
    const char* Name;
    std::function<void(TTransformation&)> Setup;
    TPointF In;
    TPointF Out;
};

class TransformPointTest : public ::testing::TestWithParam<TPointCase> {};

TEST_P(TransformPointTest, ForwardAndBack)
{
    const TPointCase& c = GetParam();
    TTransformation t;
    c.Setup(t);
    ExpectPoint(t.TransformPoint(c.In), c.Out);
    ExpectPoint(t.InverseTransformPoint(c.Out), c.In, 1e-3f);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransformPointTest,
    ::testing::Values(
        TPointCase {"one step right becomes one step down",
                    [](TTransformation& t) { t.RotateAt(30, 40, 90); }, {31, 40}, {30, 41}},
        TPointCase {"rotate 0 keeps the translation",
                    [](TTransformation& t) { t.Translate(5, 7); t.Rotate(0); }, {1, 2}, {6, 9}},
        TPointCase {"outside in: surface scale, page origin, element turn",
                    [](TTransformation& t) {
                        t.ScaleUniform(2);
                        t.Translate(10, 20);
                        t.RotateAt(5, 5, 180);
                    },
                    {6, 5}, {28, 50}},
        TPointCase {"strong reduction still inverts",
                    [](TTransformation& t) { t.ScaleUniform(0.001f); }, {1000, 2000}, {1, 2}},
        TPointCase {"shear and translation",
                    [](TTransformation& t) {
                        t.SetMatrix({1, 0.5f, 3, 0.25f, 2, -4, 0, 0, 1});
                    },
                    {2, 4}, {7, 4.5f}}),
    [](const auto& info) {
        std::string n = info.param.Name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

TEST(TransformationTest, MultiplyOrder)
{
    TTransformation move, scale;
    move.Translate(10, 0);
    scale.ScaleUniform(2);

    TTransformation right;
    right.Assign(move);
    right.Multiply(scale); // move after scaling: 2x + 10
    TTransformation left;
    left.Assign(move);
    left.PreMultiply(scale); // scale after moving: 2(x + 10)
    EXPECT_EQ(right.TransformPoint({1, 0}).X, 12);
    EXPECT_EQ(left.TransformPoint({1, 0}).X, 22);
}

TEST(TransformationTest, VectorsIgnoreTheTranslation)
{
    TTransformation t;
    t.Translate(100, 200);
    t.Scale(2, 4);
    ExpectPoint(t.TransformVector({1, 1}), {2, 4});
    ExpectPoint(t.InverseTransformVector({2, 4}), {1, 1});
}

TEST(TransformationTest, SingularAndNonFiniteMatricesInvertToIdentity)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const TTransformation::TMatrix cases[] = {
        {0, 0, 5, 0, 0, 5, 0, 0, 1},  // scale 0
        {1, 2, 0, 2, 4, 0, 0, 0, 1},  // rows dependent
        {inf, 0, 0, 0, 1, 0, 0, 0, 1},
        {nan, 0, 0, 0, 1, 0, 0, 0, 1},
        {1e-39f, 0, 0, 0, 1e-39f, 0, 0, 0, 1}, // inverse beyond float
    };
    for (const auto& m : cases) {
        TTransformation t;
        t.SetMatrix(m);
        ExpectPoint(t.InverseTransformPoint({3, 4}), {3, 4});
        int sx, sy;
        t.InverseTransformPixel(3, 4, sx, sy);
        EXPECT_EQ(sx, 3);
        EXPECT_EQ(sy, 4);
    }
}

TEST(TransformationTest, SaveStack)
{
    TTransformation t;
    t.Translate(1, 1);
    t.Pop(); // nothing pushed: the matrix stays
    ExpectPoint(t.TransformPoint({0, 0}), {1, 1});

    t.Push();
    t.ScaleUniform(3);
    t.Push();
    t.Rotate(45);
    t.Pop();
    ExpectPoint(t.TransformPoint({1, 0}), {4, 1});
    t.Push();
    t.Translate(50, 50);
    EXPECT_EQ(t.StackDepth(), 2);
    t.PopAll();
    EXPECT_EQ(t.StackDepth(), 0);
    ExpectPoint(t.TransformPoint({1, 0}), {2, 1});
    EXPECT_TRUE(t.Valid()); // Pop prepares
}

TEST(TransformationTest, ChangesInvalidateTheDerivedData)
{
    TTransformation t;
    t.Prepare();
    EXPECT_TRUE(t.Valid());
    const std::function<void(TTransformation&)> changes[] = {
        [](TTransformation& x) { x.Translate(1, 0); },
        [](TTransformation& x) { x.Scale(2, 2); },
        [](TTransformation& x) { x.Rotate(10); },
        [](TTransformation& x) { x.Identity(); },
        [](TTransformation& x) { x.Multiply(TTransformation()); },
        [](TTransformation& x) { x.PreMultiply(TTransformation()); },
    };
    for (const auto& change : changes) {
        t.Prepare();
        change(t);
        EXPECT_FALSE(t.Valid());
    }
}

// ---------------------------------------------------------------------------
// Fixed point

TEST(TransformationTest, InverseTransformPixel)
{
    struct Case {
        float Scale;
        float Dx;
        int X, Y;
        int Sx, Sy;
    };
    const Case cases[] = {
        {1, 0, 17, -5, 17, -5},   // identity
        {2, 0, 3, 3, 1, 1},       // 3 * 2048 + 2047 = 8191 >> 12 = 1
        {2, 0, 4, 5, 2, 2},
        {2, 0, -3, -1, -2, -1},   // the shift keeps the sign: -4097 >> 12 = -2
        {0.5f, 10, 30, 7, 40, 14}, // inverse: 2x - 20 ... of device x = 0.5 s + 10
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.X);
        TTransformation t;
        t.Translate(c.Dx, 0);
        t.ScaleUniform(c.Scale);
        int sx, sy;
        t.InverseTransformPixel(c.X, c.Y, sx, sy);
        EXPECT_EQ(sx, c.Sx);
        EXPECT_EQ(sy, c.Sy);
    }

    // Far outside the picture the 32-bit sums wrap as the pixel loops
    // expect, without undefined behaviour.
    TTransformation big;
    big.ScaleUniform(1e-5f);
    int sx, sy;
    big.InverseTransformPixel(std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), sx, sy);
    SUCCEED();
}

TEST(TransformationTest, FixedPointFunctions)
{
    EXPECT_EQ(IntToFixed(3), 3 * 65536);
    EXPECT_EQ(IntToFixed(-1), -65536);
    EXPECT_EQ(FixedToInt(-1), -1); // towards minus infinity
    EXPECT_EQ(FixedToInt(3 * 65536 + 65535), 3);
    EXPECT_EQ(FixedMul(IntToFixed(3) / 2, IntToFixed(2)), IntToFixed(3));
    EXPECT_EQ(FixedMul(IntToFixed(-3), IntToFixed(1) / 2), -3 * 32768);
    EXPECT_EQ(FixedMul(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()),
              0); // bits 16..47 of 2^62
    EXPECT_EQ(IntToFixed(0x10000), 0); // wraps
}

TEST(TransformationTest, InverseTransformFixedUsesThePreparedInverse)
{
    TTransformation t;
    t.Translate(8, 4);
    t.ScaleUniform(4);
    t.Prepare();
    std::int32_t sx, sy;
    t.InverseTransformFixed(IntToFixed(16), IntToFixed(12), sx, sy);
    EXPECT_EQ(sx, IntToFixed(2));
    EXPECT_EQ(sy, IntToFixed(2));

    // Assign carries the prepared copies along.
    TTransformation copy;
    copy.Assign(t);
    copy.InverseTransformFixed(IntToFixed(16), IntToFixed(12), sx, sy);
    EXPECT_EQ(sx, IntToFixed(2));
    EXPECT_EQ(copy.InverseFixed16(), t.InverseFixed16());
    EXPECT_EQ(copy.Fixed12(), t.Fixed12());
}

TEST(TransformationTest, BoundingRect)
{
    TTransformation t;
    t.RotateAt(0, 0, 90);
    // (0,0)-(10,4) turned by 90 degrees: x' = -y, y' = x.
    EXPECT_EQ(t.BoundingRect(0, 0, 10, 4), (TRect {-4, 0, 0, 10}));
    TTransformation s;
    s.ScaleUniform(0.5f);
    // 0.5 -> 0 and 2.5 -> 2 (ties to even), 1.5 -> 2.
    EXPECT_EQ(s.BoundingRect(1, 3, 5, 5), (TRect {0, 2, 2, 2}));
}

// ---------------------------------------------------------------------------
// Helpers

TEST(GeometryHelpersTest, VectorAngle)
{
    struct Case {
        double A, B, Degrees;
    };
    const Case cases[] = {
        {0, 0, 270}, {1, 0, 0}, {0, 5, 90}, {-1, 0, 180}, {0, -2, 270}, {1, -1, 315}, {-1, -1, 225},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.A << "," << c.B);
        EXPECT_NEAR(VectorAngle(c.A, c.B), c.Degrees, 1e-9);
    }
}

TEST(GeometryHelpersTest, SnapToGrid)
{
    struct Case {
        float Grid, V, Snapped;
    };
    const Case cases[] = {
        {0, 12.3f, 12.3f},
        {1e-7f, 12.3f, 12.3f}, // zero by IsZero
        {5, 12.4f, 10},
        {5, 12.5f, 10},        // 2.5 -> 2
        {5, 17.5f, 20},        // 3.5 -> 4
        {5, -12.6f, -15},
        {2.5f, 3e30f, 3e30f},  // far beyond any integer step
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Grid << " " << c.V);
        EXPECT_FLOAT_EQ(SnapToGrid(c.Grid, c.V), c.Snapped);
    }
}

TEST(GeometryHelpersTest, FitSize)
{
    struct Case {
        QSize Size, Target, Fitted;
    };
    const Case cases[] = {
        {{400, 300}, {200, 200}, {200, 150}},
        {{400, 300}, {200, 100}, {133, 100}},
        {{300, 400}, {200, 200}, {150, 200}},
        {{1, 100000}, {100000, 50}, {0, 50}}, // the first height does not fit an int
        {{0, 300}, {200, 200}, {0, 0}},
        {{400, -1}, {200, 200}, {0, 0}},
        {{400, 300}, {0, 200}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Size.width() << "x" << c.Size.height() << " into "
                                        << c.Target.width() << "x" << c.Target.height());
        EXPECT_EQ(FitSize(c.Size, c.Target), c.Fitted);
    }

    struct CaseF {
        QSizeF Size, Target, Fitted;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CaseF casesF[] = {
        {{400, 300}, {200, 100}, {400.0 / 3, 100}},
        {{4, 3}, {8, 8}, {8, 6}},
        {{0, 3}, {8, 8}, {0, 0}},
        {{nan, 3}, {8, 8}, {0, 0}},
    };
    for (const CaseF& c : casesF) {
        const QSizeF r = FitSizeF(c.Size, c.Target);
        EXPECT_DOUBLE_EQ(r.width(), c.Fitted.width());
        EXPECT_DOUBLE_EQ(r.height(), c.Fitted.height());
    }
}

TEST(GeometryHelpersTest, UnionAndCenterRects)
{
    EXPECT_EQ(UnionRectF(RectF(5, 1, 6, 9), RectF(0, 2, 3, 4)), RectF(0, 1, 6, 9));
    EXPECT_EQ(OffsetRectF(CenterRectF(10, 20, 4, 6), 1, -1), RectF(9, 16, 13, 22));
}

// ---------------------------------------------------------------------------
// RotateImage90

TEST(RotateImage90Test, TurnsPixelForPixel)
{
    // 3 x 2 with a distinct value per pixel: p(x, y) = 0xFF000000 | (y << 8) | x.
    QImage src(3, 2, QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            src.setPixel(x, y, 0xFF000000u | unsigned(y << 8) | unsigned(x));
    auto p = [](int x, int y) { return 0xFF000000u | unsigned(y << 8) | unsigned(x); };

    struct Case {
        int Angle;
        QSize Size;
        // Where the source's top-left and top-right pixels end up.
        QPoint TopLeft, TopRight;
    };
    const Case cases[] = {
        {0, {3, 2}, {0, 0}, {2, 0}},   {90, {2, 3}, {1, 0}, {1, 2}},  {180, {3, 2}, {2, 1}, {0, 1}},
        {270, {2, 3}, {0, 2}, {0, 0}}, {-90, {2, 3}, {0, 2}, {0, 0}}, {450, {2, 3}, {1, 0}, {1, 2}},
        {45, {3, 2}, {0, 0}, {2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Angle);
        const QImage r = RotateImage90(src, c.Angle);
        ASSERT_EQ(r.size(), c.Size);
        EXPECT_EQ(r.pixel(c.TopLeft), p(0, 0));
        EXPECT_EQ(r.pixel(c.TopRight), p(2, 0));
        // Every pixel is there exactly once.
        std::vector<QRgb> all;
        for (int y = 0; y < r.height(); ++y)
            for (int x = 0; x < r.width(); ++x)
                all.push_back(r.pixel(x, y));
        std::sort(all.begin(), all.end());
        EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    }

    // A palette picture comes back as 32 bits with the same colours.
    QImage indexed(3, 2, QImage::Format_Indexed8);
    indexed.setColorTable({p(0, 0), p(1, 0), p(2, 0), p(0, 1), p(1, 1), p(2, 1)});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            indexed.setPixel(x, y, uint(y * 3 + x));
    const QImage r = RotateImage90(indexed, 90);
    EXPECT_EQ(r.depth(), 32);
    EXPECT_EQ(r.pixel(1, 2), p(2, 0));

    EXPECT_TRUE(RotateImage90(QImage(), 90).isNull());
}

} // namespace
