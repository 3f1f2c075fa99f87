#pragma once

#include "Platform/Gdiplus/Types.h"

#include <span>
#include <vector>

// A path of straight figures, filled with the alternate (even-odd) rule. A copy is an independent clone.
namespace Platform::Gdiplus
{
class Matrix;

class Path
{
public:
    struct Figure
    {
        std::vector<PointF> points;
        bool closed = false;
    };

    // Adds a line to the current figure; it joins the figure's last point when the figure is open.
    Status AddLine(PointF from, PointF to);
    // Adds connected lines through the points (at least 2) to the current figure.
    Status AddLines(std::span<const PointF> points);
    // Adds a closed figure of its own through the points (at least 3).
    Status AddPolygon(std::span<const PointF> points);
    // The next line starts a new figure.
    void StartFigure();
    // Moves every point through the matrix.
    void Transform(const Matrix& matrix);

    [[nodiscard]] const std::vector<Figure>& Figures() const { return mFigures; }

private:
    Figure& OpenFigure();
    void Append(PointF point);

    std::vector<Figure> mFigures;
    bool mStartNew = true;
};
} // namespace Platform::Gdiplus
