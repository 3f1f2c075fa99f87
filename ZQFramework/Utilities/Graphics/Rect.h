#pragma once

#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <algorithm>
#include <concepts>
#include <cstdint>

namespace ZQ
{
// A rectangle as its top-left corner and its size, of integer (int32_t) or floating-point values; a
// plain value. Width and height may be negative until the rectangle is normalised.
template <class T>
struct RectT
{
    T x{};
    T y{};
    T width{};
    T height{};

    constexpr RectT() = default;
    constexpr RectT(T xValue, T yValue, T widthValue, T heightValue)
        : x(xValue), y(yValue), width(widthValue), height(heightValue)
    {
    }

    friend constexpr bool operator==(const RectT&, const RectT&) = default;

    // x, y, width and height each rounded half away from zero on its own (not the far edges).
    [[nodiscard]] RectT<int32_t> RoundToLong() const requires std::same_as<T, double>
    {
        return {ZQ::RoundToLong(x), ZQ::RoundToLong(y), ZQ::RoundToLong(width), ZQ::RoundToLong(height)};
    }

    [[nodiscard]] constexpr RectT<double> ToDouble() const requires std::same_as<T, int32_t>
    {
        return {static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
                static_cast<double>(height)};
    }

    // The common part of this rectangle and other; zero width or height where they do not meet.
    [[nodiscard]] RectT Intersection(const RectT& other) const requires std::same_as<T, double>
    {
        const double left = std::max(x, other.x);
        const double top = std::max(y, other.y);
        const double right = std::max(left, std::min(x + width, other.x + other.width));
        const double bottom = std::max(top, std::min(y + height, other.y + other.height));
        return {left, top, right - left, bottom - top};
    }

    // Makes width and height non-negative, then moves every edge down onto a whole number (tolerating
    // rounding noise just below one).
    void NormalizeAndFloor() requires std::same_as<T, double>
    {
        if (width < 0)
        {
            x += width;
            width = -width;
        }
        if (height < 0)
        {
            y += height;
            height = -height;
        }
        const double left = TolerantFloor(x);
        const double top = TolerantFloor(y);
        const double right = TolerantFloor(x + width);
        const double bottom = TolerantFloor(y + height);
        x = left;
        y = top;
        width = right - left;
        height = bottom - top;
    }
};
} // namespace ZQ
