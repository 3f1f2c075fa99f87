#pragma once

#include <cstdint>

// Forward declarations of the graphics value types and the region.
namespace ZQ
{
template <class T>
struct PointT;
template <class T>
struct RectT;
class Region;
class Color;
} // namespace ZQ
