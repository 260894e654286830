#pragma once

#include "app/Colors.h"

#include <cstdint>

// Hue, saturation and lightness, each in [0, 1]; the hue is a fraction of a
// full turn (0 red, 1/3 green, 2/3 blue).
struct THSL {
    double H = 0;
    double S = 0;
    double L = 0;
};

// Conversions in double precision, for single colours (panels, the red-eye
// brush, the wizard's tinting). The pixel filters use the single-precision
// variant behind ShiftHSL for the way in.
THSL RGBToHSL(TColor colour);
THSL RGBToHSL(int r, int g, int b);
// Channels are rounded half to even and kept within 0 ... 255.
TColor HSLToRGB(double h, double s, double l);

// The per-pixel step of FilterHSL applied to one colour: the hue is turned
// by dH (wrapped into (0, 1]), saturation and lightness are moved by dS and
// dL and clamped to [0, 1]. Throws Exception for shifts that are not finite.
TColor ShiftHSL(TColor colour, float dH, float dS, float dL);

// A colour held both as RGB channels and as HSL; every setter recomputes the
// other form, so both always describe the same colour.
class TRGBHSL {
public:
    explicit TRGBHSL(TColor colour = clBlack);

    TColor GetRGB() const;
    // Nothing happens when the colour equals the current one, so a hue kept
    // for a grey does not get lost.
    void SetRGB(TColor colour);
    void SetR(std::uint8_t value);
    void SetG(std::uint8_t value);
    void SetB(std::uint8_t value);
    // Keeps hue and saturation and recomputes the channels.
    void SetL(double value);

    std::uint8_t B() const { return FB; }
    std::uint8_t R() const { return FR; }
    std::uint8_t G() const { return FG; }
    double L() const { return FL; }
    double H() const { return FH; }
    double S() const { return FS; }

private:
    void UpdateHSL();

    std::uint8_t FB = 0;
    std::uint8_t FR = 0;
    std::uint8_t FG = 0;
    double FL = 0;
    double FH = 0;
    double FS = 0;
};
