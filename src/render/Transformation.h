#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>

#include <array>
#include <cstdint>
#include <vector>

// Page content lives in document millimetres (32-bit floats, origin top
// left, y downwards); drawing surfaces in integer device pixels. This unit
// holds the affine mapping between the two, the fixed-point forms that the
// pixel loops use, and the small float geometry that views, painters and
// element drawing share.

struct TPointF {
    float X = 0;
    float Y = 0;
    bool operator==(const TPointF&) const = default;
};

struct TRectF {
    float Left = 0;
    float Top = 0;
    float Right = 0;
    float Bottom = 0;
    bool operator==(const TRectF&) const = default;
    float Width() const { return Right - Left; }
    float Height() const { return Bottom - Top; }
};

// Device rectangle with the right and bottom edge as the first column and
// row outside it (Width = Right - Left), unlike QRect::right().
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TRect&) const = default;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// 16.16 fixed point, signed 32 bits. Arithmetic wraps like the 32-bit
// registers it was designed for instead of overflowing.
std::int32_t IntToFixed(std::int32_t i);
// Rounds towards minus infinity.
std::int32_t FixedToInt(std::int32_t f);
// Bits 16..47 of the 64-bit product.
std::int32_t FixedMul(std::int32_t a, std::int32_t b);

// A 2-D affine mapping as a 3x3 row-major matrix acting on column vectors:
// x' = m00*x + m01*y + m02, y' = m10*x + m11*y + m12. Every operation
// multiplies on the right, so a caller composes from the outside in: the
// surface mapping first, then the page origin, then the element's rotation
// about its centre. Push/Pop bracket temporary changes.
//
// The inverse and the fixed-point copies are derived lazily: a change clears
// the valid flag and the next point query (or Prepare) rebuilds them.
// InverseTransformFixed reads the prepared copies without checking, so pixel
// loops call Prepare once after the last change.
class TTransformation {
public:
    using TMatrix = std::array<float, 9>;
    using TFixedMatrix = std::array<std::int32_t, 9>;

    TTransformation();
    ~TTransformation();

    void Identity();
    void Translate(float dx, float dy);
    void Scale(float sx, float sy);
    void ScaleUniform(float s);
    // Degrees; positive turns clockwise on screen and paper (y grows
    // downwards).
    void RotateAt(float cx, float cy, float angle);
    void Rotate(float angle);
    // M := M * other.M
    void Multiply(const TTransformation& other);
    // M := other.M * M
    void PreMultiply(const TTransformation& other);
    // Copies the matrix and everything derived from it, not the stack.
    void Assign(const TTransformation& other);

    void Push();
    // An empty stack leaves the matrix as it is.
    void Pop();
    void PopAll();
    int StackDepth() const { return int(Stack.size()); }

    // Inverse and fixed-point copies. A singular or non-finite matrix gets
    // the identity as inverse.
    void Prepare();
    bool Valid() const { return FValid; }

    void TransformPoint(float x, float y, float& ox, float& oy);
    void InverseTransformPoint(float x, float y, float& ox, float& oy);
    void TransformVector(float x, float y, float& ox, float& oy);
    void InverseTransformVector(float x, float y, float& ox, float& oy);
    TPointF TransformPoint(TPointF p);
    TPointF InverseTransformPoint(TPointF p);
    TPointF TransformVector(TPointF v);
    TPointF InverseTransformVector(TPointF v);

    // Device pixel to source pixel through the 20.12 inverse.
    void InverseTransformPixel(int x, int y, int& sx, int& sy);
    // 16.16 in and out; needs a prior Prepare.
    void InverseTransformFixed(std::int32_t x, std::int32_t y, std::int32_t& sx,
                               std::int32_t& sy) const;

    // Device bounding box of the corners, each coordinate rounded; no pixel
    // is added at the right or bottom.
    TRect BoundingRect(float x1, float y1, float x2, float y2);

    const TMatrix& Matrix() const { return M; }
    void SetMatrix(const TMatrix& m);
    // The derived copies as of the last Prepare.
    const TMatrix& InverseMatrix() const { return Inv; }
    const TFixedMatrix& Fixed12() const { return Fwd12; }
    const TFixedMatrix& InverseFixed12() const { return Inv12; }
    const TFixedMatrix& Fixed16() const { return Fwd16; }
    const TFixedMatrix& InverseFixed16() const { return Inv16; }

private:
    void EnsurePrepared()
    {
        if (!FValid)
            Prepare();
    }
    void MultiplyRight(const std::array<double, 9>& r);

    std::vector<TMatrix> Stack;
    bool FValid = false;
    TMatrix M;
    TMatrix Inv;
    TFixedMatrix Fwd12 {};
    TFixedMatrix Inv12 {};
    TFixedMatrix Fwd16 {};
    TFixedMatrix Inv16 {};
};

// |x| < 0.000001
bool IsZero(double x);
TPointF PointF(float x, float y);
TRectF RectF(float left, float top, float right, float bottom);
TRectF CenterRectF(float cx, float cy, float w, float h);
TRectF OffsetRectF(const TRectF& r, float dx, float dy);
TRectF UnionRectF(const TRectF& a, const TRectF& b);
float VectorLength(TPointF v);
// Degrees in [0, 360) of atan2(b, a); a = 0 gives 90 for b > 0, else 270.
double VectorAngle(double a, double b);
// v unchanged for a zero grid, else the nearest multiple of grid (ties to
// even).
float SnapToGrid(float grid, float v);

// The largest size of the same aspect that fits the target. Any size or
// target that is zero or negative gives an empty size.
QSize FitSize(const QSize& size, const QSize& target);
QSizeF FitSizeF(const QSizeF& size, const QSizeF& target);

// A new 32-bit picture holding the given one turned clockwise by 90, 180 or
// 270 degrees, pixel for pixel (the angle is taken modulo 360; any other
// angle gives an unturned copy). A null picture gives a null picture.
QImage RotateImage90(const QImage& image, int angle);
