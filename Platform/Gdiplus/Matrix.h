#pragma once

#include "Platform/Gdiplus/Types.h"

// An affine transform as GDI+ writes it: a point (x, y) becomes (m11 x + m21 y + dx, m12 x + m22 y + dy).
// Prepending an operation applies it before the existing transform, appending applies it after.
namespace Platform::Gdiplus
{
class Matrix
{
public:
    Matrix() = default;
    Matrix(float m11, float m12, float m21, float m22, float dx, float dy);

    void Translate(float dx, float dy, MatrixOrder order = MatrixOrder::Prepend);
    void Scale(float sx, float sy, MatrixOrder order = MatrixOrder::Prepend);
    void Multiply(const Matrix& other, MatrixOrder order = MatrixOrder::Prepend);

    [[nodiscard]] PointF Apply(PointF point) const;
    [[nodiscard]] bool IsInvertible() const;
    [[nodiscard]] bool IsIdentity() const;

    float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};
} // namespace Platform::Gdiplus
