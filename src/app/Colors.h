#pragma once

#include <QColor>

#include <cstdint>

// Colours are kept as 0x00BBGGRR values, the form in which they are stored
// in project files, templates and settings. ToQColor/FromQColor are the only
// bridge to Qt's colour type.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
// Calendar records use this value for "no colour".
constexpr TColor clNoColor = 2147483647u;

constexpr TColor RGBColor(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int RedOf(TColor c) { return int(c & 0xFF); }
constexpr int GreenOf(TColor c) { return int((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor c) { return int((c >> 16) & 0xFF); }

// Only the low 24 bits count; the high byte is dropped.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
