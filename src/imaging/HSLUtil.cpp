#include "imaging/HSLUtil.h"

#include "app/Arith.h"
#include "app/Errors.h"
#include "imaging/HSLPixel.h"

#include <QString>

#include <algorithm>
#include <cmath>

THSL RGBToHSL(TColor colour)
{
    return RGBToHSL(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

THSL RGBToHSL(int r8, int g8, int b8)
{
    const double r = r8 / 255.0;
    const double g = g8 / 255.0;
    const double b = b8 / 255.0;
    const double mx = std::max(std::max(r, g), b);
    const double mn = std::min(std::min(r, g), b);
    THSL out;
    out.L = (mx + mn) / 2.0;
    if (mx == mn)
        return out;
    const double d = mx - mn;
    out.S = out.L >= 0.5 ? d / (2.0 - mx - mn) : d / (mx + mn);
    if (mx == r)
        out.H = (g - b) / d;
    else if (mx == g)
        out.H = (b - r) / d + 2.0;
    else
        out.H = (r - g) / d + 4.0;
    out.H = out.H / 6.0;
    if (out.H < 0)
        out.H = out.H + 1.0;
    return out;
}

TColor HSLToRGB(double h, double s, double l)
{
    double r, g, b;
    HSLPixel::HSLToRGB255(h, s, l, r, g, b);
    const auto channel = [](double v) {
        return std::clamp(RoundHalfEven(v), 0, 255);
    };
    return RGBColor(channel(r), channel(g), channel(b));
}

TColor ShiftHSL(TColor colour, float dH, float dS, float dL)
{
    if (!std::isfinite(dH) || !std::isfinite(dS) || !std::isfinite(dL))
        throw Exception(QStringLiteral("dH, dS und dL müssen endliche Zahlen sein"));
    HSLPixel::TRoundToNearest nearest;
    // TColor is 0x00BBGGRR, the pixel step works on memory-order B, G, R, A
    // read as one little-endian word (0xAARRGGBB).
    const std::uint32_t px = (std::uint32_t(RedOf(colour)) << 16) |
                             (std::uint32_t(GreenOf(colour)) << 8) | std::uint32_t(BlueOf(colour));
    const std::uint32_t out = HSLPixel::ShiftPixel(px, dH, dS, dL);
    return RGBColor(int((out >> 16) & 0xFF), int((out >> 8) & 0xFF), int(out & 0xFF));
}

TRGBHSL::TRGBHSL(TColor colour)
    : FB(std::uint8_t(BlueOf(colour))), FR(std::uint8_t(RedOf(colour))),
      FG(std::uint8_t(GreenOf(colour)))
{
    UpdateHSL();
}

TColor TRGBHSL::GetRGB() const
{
    return RGBColor(FR, FG, FB);
}

void TRGBHSL::SetRGB(TColor colour)
{
    colour &= 0xFFFFFF;
    if (colour == GetRGB())
        return;
    FR = std::uint8_t(RedOf(colour));
    FG = std::uint8_t(GreenOf(colour));
    FB = std::uint8_t(BlueOf(colour));
    UpdateHSL();
}

void TRGBHSL::SetR(std::uint8_t value)
{
    FR = value;
    UpdateHSL();
}

void TRGBHSL::SetG(std::uint8_t value)
{
    FG = value;
    UpdateHSL();
}

void TRGBHSL::SetB(std::uint8_t value)
{
    FB = value;
    UpdateHSL();
}

void TRGBHSL::SetL(double value)
{
    FL = value;
    const TColor c = HSLToRGB(FH, FS, FL);
    FR = std::uint8_t(RedOf(c));
    FG = std::uint8_t(GreenOf(c));
    FB = std::uint8_t(BlueOf(c));
}

void TRGBHSL::UpdateHSL()
{
    const THSL hsl = RGBToHSL(FR, FG, FB);
    FH = hsl.H;
    FS = hsl.S;
    FL = hsl.L;
}
