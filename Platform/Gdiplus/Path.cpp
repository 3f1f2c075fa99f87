#include "Platform/Gdiplus/Path.h"

#include "Platform/Gdiplus/Matrix.h"

#include <algorithm>
#include <cmath>

namespace Platform::Gdiplus
{
namespace
{
bool Finite(PointF point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

bool AllFinite(std::span<const PointF> points)
{
    return std::all_of(points.begin(), points.end(), Finite);
}
} // namespace

Status Path::AddLine(PointF from, PointF to)
{
    const PointF points[] = {from, to};
    return AddLines(points);
}

Status Path::AddLines(std::span<const PointF> points)
{
    if (points.size() < 2 || !AllFinite(points))
        return Status::InvalidParameter;
    for (PointF point : points)
        Append(point);
    return Status::Ok;
}

Status Path::AddPolygon(std::span<const PointF> points)
{
    if (points.size() < 3 || !AllFinite(points))
        return Status::InvalidParameter;
    mFigures.push_back({{points.begin(), points.end()}, true});
    mStartNew = true;
    return Status::Ok;
}

void Path::StartFigure()
{
    mStartNew = true;
}

void Path::Transform(const Matrix& matrix)
{
    for (Figure& figure : mFigures)
        std::transform(figure.points.begin(), figure.points.end(), figure.points.begin(),
                       [&](PointF point) { return matrix.Apply(point); });
}

Path::Figure& Path::OpenFigure()
{
    if (mStartNew || mFigures.empty() || mFigures.back().closed)
    {
        mFigures.emplace_back();
        mStartNew = false;
    }
    return mFigures.back();
}

void Path::Append(PointF point)
{
    Figure& figure = OpenFigure();
    // A line that starts where the figure ends continues it without a zero-length step.
    if (!figure.points.empty() && figure.points.back().x == point.x && figure.points.back().y == point.y)
        return;
    figure.points.push_back(point);
}
} // namespace Platform::Gdiplus
