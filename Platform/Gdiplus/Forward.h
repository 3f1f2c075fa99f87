#pragma once

#include <cstdint>

// Forward declarations of the GDI+ stand-in's types, for headers that only name them.
namespace Platform::Gdiplus
{
enum class Status;
enum class PixelFormat;
enum class CompositingMode;
enum class MatrixOrder;
enum class Unit;
enum class LockMode;
enum FontStyle : int32_t;
using Argb = uint32_t;
using WindowHandle = intptr_t;
struct PointF;
struct RectF;
struct RectI;
struct Pen;
struct LockedBits;
struct FontMetrics;
class Matrix;
class Bitmap;
class Graphics;
class Brush;
class Path;
class FontFamily;
class Font;
class CachedBitmap;
} // namespace Platform::Gdiplus
