#pragma once

#include <cstdint>

// Forward declarations of the graphics value types, the region, and the bitmaps with their pixel access.
namespace ZQ
{
template <class T>
struct PointT;
template <class T>
struct RectT;
class Region;
class Color;
class LBitmap;
class LBitmapData;
class LColorizer;
template <class T>
class IPixelBuffer;
} // namespace ZQ
