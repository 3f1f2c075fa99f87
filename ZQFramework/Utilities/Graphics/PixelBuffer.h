#pragma once

#include <cstdint>

namespace ZQ
{
// Pixels in memory that a renderer reads or writes directly: a width and height in pixels, the distance in
// bytes from one row to the next, and the address of any pixel. T is the integer type of coordinates.
template <class T>
class IPixelBuffer
{
public:
    virtual ~IPixelBuffer() = default;

    [[nodiscard]] virtual T GetWidth() const = 0;
    [[nodiscard]] virtual T GetHeight() const = 0;
    [[nodiscard]] virtual T GetStride() const = 0;
    [[nodiscard]] virtual const uint8_t* GetPixelAddress(T x, T y) const = 0;
    [[nodiscard]] virtual uint8_t* GetPixelAddress(T x, T y) = 0;
};
} // namespace ZQ
