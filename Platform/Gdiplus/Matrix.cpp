#include "Platform/Gdiplus/Matrix.h"

#include <cmath>

namespace Platform::Gdiplus
{
namespace
{
// first, then second.
Matrix Product(const Matrix& first, const Matrix& second)
{
    return Matrix(
        first.m11 * second.m11 + first.m12 * second.m21, first.m11 * second.m12 + first.m12 * second.m22,
        first.m21 * second.m11 + first.m22 * second.m21, first.m21 * second.m12 + first.m22 * second.m22,
        first.dx * second.m11 + first.dy * second.m21 + second.dx,
        first.dx * second.m12 + first.dy * second.m22 + second.dy);
}
} // namespace

Matrix::Matrix(float m11, float m12, float m21, float m22, float dx, float dy)
    : m11(m11), m12(m12), m21(m21), m22(m22), dx(dx), dy(dy)
{
}

void Matrix::Translate(float x, float y, MatrixOrder order)
{
    Multiply(Matrix(1, 0, 0, 1, x, y), order);
}

void Matrix::Scale(float sx, float sy, MatrixOrder order)
{
    Multiply(Matrix(sx, 0, 0, sy, 0, 0), order);
}

void Matrix::Multiply(const Matrix& other, MatrixOrder order)
{
    *this = order == MatrixOrder::Prepend ? Product(other, *this) : Product(*this, other);
}

PointF Matrix::Apply(PointF point) const
{
    return {m11 * point.x + m21 * point.y + dx, m12 * point.x + m22 * point.y + dy};
}

bool Matrix::IsInvertible() const
{
    const float determinant = m11 * m22 - m12 * m21;
    return std::isfinite(determinant) && determinant != 0 && std::isfinite(dx) && std::isfinite(dy);
}

bool Matrix::IsIdentity() const
{
    return m11 == 1 && m12 == 0 && m21 == 0 && m22 == 1 && dx == 0 && dy == 0;
}
} // namespace Platform::Gdiplus
