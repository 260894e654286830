#include "imaging/PixPinsel.h"

#include <algorithm>

TPixPinsel::TPixPinsel(int width, int height)
{
    SetSize(width, height);
}

void TPixPinsel::SetSize(int width, int height)
{
    FWidth = width;
    FHeight = height;
    FDirty = true;
}

void TPixPinsel::Reallocate()
{
    FWidth = std::max(FWidth, 1);
    FHeight = std::max(FHeight, 1);
    Mask.assign(std::size_t(FWidth) * std::size_t(FHeight), 0);
    FDirty = false;
}

void TPixPinsel::MakeCircle()
{
    if (FDirty)
        Reallocate();
    // Single precision on purpose: the pixels on the rim of the larger
    // brushes depend on it.
    const float w = float(FWidth);
    const float h = float(FHeight);
    for (int x = 0; x < FWidth; ++x) {
        for (int y = 0; y < FHeight; ++y) {
            const float a = (float(x) - (w - 1.0f) / 2.0f) / w * 2.0f;
            const float b = (float(y) - (h - 1.0f) / 2.0f) / h * 2.0f;
            SetValue(x, y, a * a + b * b > 1.0f ? 0 : 255);
        }
    }
}

std::uint8_t TPixPinsel::Value(int x, int y)
{
    if (FDirty)
        Reallocate();
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0;
    return Mask[std::size_t(x) * std::size_t(FHeight) + std::size_t(y)];
}

void TPixPinsel::SetValue(int x, int y, std::uint8_t value)
{
    if (FDirty)
        Reallocate();
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    Mask[std::size_t(x) * std::size_t(FHeight) + std::size_t(y)] = value;
}
