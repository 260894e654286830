#include "app/Errors.h"
#include "imaging/HSLUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>

namespace {

struct THSLCase {
    const char* Name;
    TColor Colour;
    double H, S, L;
};

const THSLCase HSLCases[] = {
    {"red", RGBColor(255, 0, 0), 0.0, 1.0, 0.5},
    {"green", RGBColor(0, 255, 0), 1.0 / 3.0, 1.0, 0.5},
    {"blue", RGBColor(0, 0, 255), 2.0 / 3.0, 1.0, 0.5},
    {"grey", RGBColor(100, 100, 100), 0.0, 0.0, 100.0 / 255.0},
    {"black", RGBColor(0, 0, 0), 0.0, 0.0, 0.0},
    {"white", RGBColor(255, 255, 255), 0.0, 0.0, 1.0},
    // red is the largest channel and blue beats green: a negative hue that
    // wraps to just below a full turn
    {"red over magenta", RGBColor(200, 40, 60), 1.0 - 20.0 / 160.0 / 6.0, 160.0 / 240.0,
     240.0 / 510.0},
    // light colours use the other saturation divisor
    {"light orange", RGBColor(230, 200, 150), (200.0 - 150.0) / 80.0 / 6.0, 80.0 / 130.0,
     380.0 / 510.0},
};

TEST(HSLUtil, RGBToHSLMatchesKnownColours)
{
    for (const THSLCase& c : HSLCases) {
        SCOPED_TRACE(c.Name);
        const THSL hsl = RGBToHSL(c.Colour);
        EXPECT_NEAR(hsl.H, c.H, 1e-12);
        EXPECT_NEAR(hsl.S, c.S, 1e-12);
        EXPECT_NEAR(hsl.L, c.L, 1e-12);
        EXPECT_EQ(HSLToRGB(hsl.H, hsl.S, hsl.L), c.Colour);
    }
}

TEST(HSLUtil, RoundTripKeepsEveryColourOfAGrid)
{
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 3)
            for (int b = 0; b < 256; b += 7) {
                const THSL hsl = RGBToHSL(r, g, b);
                ASSERT_EQ(HSLToRGB(hsl.H, hsl.S, hsl.L), RGBColor(r, g, b)) << r << "," << g
                                                                            << "," << b;
            }
}

TEST(HSLUtil, HSLToRGBRoundsHalfToEvenAndStaysInRange)
{
    // L * 255 = 0.5 and 1.5 exactly: ties go to the even neighbour.
    EXPECT_EQ(HSLToRGB(0, 0, 0.5 / 255.0), RGBColor(0, 0, 0));
    EXPECT_EQ(HSLToRGB(0, 0, 1.5 / 255.0), RGBColor(2, 2, 2));
    // Out-of-range input must not wrap around a byte.
    EXPECT_EQ(HSLToRGB(0, 0, 1.5), RGBColor(255, 255, 255));
    EXPECT_EQ(HSLToRGB(0, 0, -0.5), RGBColor(0, 0, 0));
    // Saturation 2: green at q = 1.5, blue at p = -0.5.
    EXPECT_EQ(HSLToRGB(0.25, 2.0, 0.5), RGBColor(128, 255, 0));
}

TEST(HSLUtil, ShiftHSLExamples)
{
    struct TCase {
        const char* Name;
        TColor In;
        float DH, DS, DL;
        TColor Out;
    } const cases[] = {
        {"half turn: red to cyan", RGBColor(255, 0, 0), 0.5f, 0, 0, RGBColor(0, 255, 255)},
        {"no shift keeps red (hue 0 becomes 1)", RGBColor(255, 0, 0), 0, 0, 0, RGBColor(255, 0, 0)},
        {"blue turned exactly onto 0", RGBColor(0, 0, 255), -2.0f / 3.0f, 0, 0,
         RGBColor(255, 0, 0)},
        {"blue turned exactly onto 1", RGBColor(0, 0, 255), 1.0f / 3.0f, 0, 0, RGBColor(255, 0, 0)},
        {"whole turns change nothing", RGBColor(30, 200, 90), 3.0f, 0, 0, RGBColor(30, 200, 90)},
        {"negative turns wrap too", RGBColor(255, 0, 0), -3.5f, 0, 0, RGBColor(0, 255, 255)},
        {"no saturation: grey of the lightness", RGBColor(200, 40, 60), 0, -1, 0,
         RGBColor(120, 120, 120)},
        {"lightness clamps to white", RGBColor(10, 20, 30), 0, 0, 5, RGBColor(255, 255, 255)},
        {"lightness clamps to black", RGBColor(10, 20, 30), 0, 0, -5, RGBColor(0, 0, 0)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(ShiftHSL(c.In, c.DH, c.DS, c.DL), c.Out);
    }
}

TEST(HSLUtil, ShiftHSLWrapsHugeHueShiftsAtOnceAndRejectsNonFinite)
{
    // A wrap that steps one turn at a time would never finish here.
    const auto start = std::chrono::steady_clock::now();
    (void)ShiftHSL(RGBColor(10, 200, 30), 1e30f, 0, 0);
    (void)ShiftHSL(RGBColor(10, 200, 30), -1e30f, 0, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float v : bad) {
        EXPECT_THROW(ShiftHSL(clRed, v, 0, 0), Exception);
        EXPECT_THROW(ShiftHSL(clRed, 0, v, 0), Exception);
        EXPECT_THROW(ShiftHSL(clRed, 0, 0, v), Exception);
    }
}

TEST(RGBHSL, SettersKeepBothFormsInStep)
{
    TRGBHSL c(RGBColor(200, 40, 60));
    EXPECT_EQ(c.R(), 200);
    EXPECT_EQ(c.G(), 40);
    EXPECT_EQ(c.B(), 60);
    EXPECT_NEAR(c.H(), RGBToHSL(RGBColor(200, 40, 60)).H, 1e-15);

    c.SetG(200);
    c.SetR(40);
    EXPECT_EQ(c.GetRGB(), RGBColor(40, 200, 60));
    EXPECT_NEAR(c.H(), RGBToHSL(RGBColor(40, 200, 60)).H, 1e-15);
    c.SetB(250);
    EXPECT_NEAR(c.S(), RGBToHSL(RGBColor(40, 200, 250)).S, 1e-15);

    // SetL keeps hue and saturation and recomputes the channels.
    const double h = c.H();
    const double s = c.S();
    c.SetL(0.5);
    EXPECT_EQ(c.H(), h);
    EXPECT_EQ(c.S(), s);
    EXPECT_EQ(c.GetRGB(), HSLToRGB(h, s, 0.5));
}

TEST(RGBHSL, SetRGBOfTheSameColourKeepsTheHue)
{
    // Lightness 0 makes the colour black while hue and saturation remain;
    // setting black again must not throw the hue away.
    TRGBHSL c(RGBColor(0, 0, 255));
    c.SetL(0);
    ASSERT_EQ(c.GetRGB(), clBlack);
    c.SetRGB(clBlack);
    EXPECT_NEAR(c.H(), 2.0 / 3.0, 1e-12);
    c.SetRGB(RGBColor(255, 0, 0));
    EXPECT_EQ(c.H(), 0.0);
    EXPECT_EQ(c.L(), 0.5);
}

} // namespace
