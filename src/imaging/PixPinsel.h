#pragma once

#include <cstdint>
#include <vector>

// The brush mask of the red-eye retouch: width x height bytes, 0 outside
// the brush and anything else inside. A new size takes effect lazily: the
// next read or write reallocates the mask (cleared) at that size.
class TPixPinsel {
public:
    TPixPinsel(int width, int height);

    // Marks the mask dirty; sizes below 1 become 1 when it is reallocated.
    void SetSize(int width, int height);
    // Fills the mask with an ellipse touching its edges (255 inside).
    void MakeCircle();
    // Positions outside the mask read as 0 and ignore writes.
    std::uint8_t Value(int x, int y);
    void SetValue(int x, int y, std::uint8_t value);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Dirty() const { return FDirty; }

private:
    void Reallocate();

    std::vector<std::uint8_t> Mask; // [x][y], column by column
    int FHeight = 0;
    int FWidth = 0;
    bool FDirty = true;
};
