#pragma once

#include "ZQFramework/Utilities/Graphics/Point.h"
#include "ZQFramework/Utilities/Graphics/Rect.h"

#include <ostream>

// Points and rectangles as readable numbers in test output; GoogleTest finds these PrintTo overloads.
namespace ZQ
{
template <class T>
void PrintTo(const PointT<T>& point, std::ostream* os)
{
    *os << "(" << point.x << ", " << point.y << ")";
}

template <class T>
void PrintTo(const RectT<T>& rect, std::ostream* os)
{
    *os << "(" << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height << ")";
}
} // namespace ZQ
