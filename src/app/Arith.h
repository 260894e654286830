#pragma once

#include <cstdint>

// Integer arithmetic shared by geometry, drawing and layout. Every place that
// turns a float into a device or stored integer goes through RoundHalfEven so
// that screen, paper and files agree to the pixel.

// Nearest integer, ties to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Values
// outside the int range saturate; NaN gives 0.
int RoundHalfEven(double v);
std::int64_t RoundHalfEven64(double v);

// a * b / c with a 64-bit intermediate product and the quotient rounded to
// the nearest integer, ties away from zero; -1 when c is 0 or the result does
// not fit an int.
int MulDiv(int a, int b, int c);
