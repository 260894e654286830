#pragma once

#include "app/Colors.h"

#include <QImage>

#include <array>
#include <cstdint>
#include <functional>

// Whole-picture retouch filters. They change the picture in place, touch
// blue, green and red only (alpha is never changed; a premultiplied picture
// is converted for the time of the filter and back) and report their
// progress after each row, from the top, with percent = 100 * row /
// (height - 1), on the calling thread. A null picture is left alone.
using TFilterProgress = std::function<void(int percent)>;

// Brightness, contrast, intensity (each in [-1, 1]) and gamma (in
// [0.0001, 100]) through one table for the three channels. Throws Exception
// for a picture that is not 32 bits per pixel and for a parameter out of
// range (checked in that order, before any pixel changes).
void FilterHKIG(QImage& bitmap, const TFilterProgress& progress, float prozHelligkeit,
                float prozKontrast, float prozIntensitaet, float gamma);

// Shifts each pixel's hue, saturation and lightness (see ShiftHSL). Any
// picture format is accepted (converted for the time of the filter). Throws
// Exception for shifts that are not finite.
void FilterHSL(QImage& bitmap, const TFilterProgress& progress, float dH, float dS, float dL);

// A monochrome picture tinted with hue H and saturation S (S = 0: black and
// white). Throws Exception for a picture that is not 32 bits per pixel or
// parameters that are not finite.
void FilterSWCol(QImage& bitmap, const TFilterProgress& progress, float H, float S);

// The tables behind FilterHKIG and FilterSWCol (the latter as TColor values).
// HKIGTable throws for parameters out of range.
std::array<std::uint8_t, 256> HKIGTable(float prozHelligkeit, float prozKontrast,
                                        float prozIntensitaet, float gamma);
std::array<TColor, 256> SWColTable(float H, float S);

// Formats the two table filters accept: 32 bits without alpha, with alpha,
// with premultiplied alpha.
bool Is32BitPicture(const QImage& bitmap);
