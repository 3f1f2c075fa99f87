#pragma once

#include "ZQFramework/Utilities/Graphics/GeometryConversions.h"

#include <concepts>
#include <cstdint>

namespace ZQ
{
// A point of integer (int32_t) or floating-point coordinates; a plain value.
template <class T>
struct PointT
{
    T x{};
    T y{};

    constexpr PointT() = default;
    constexpr PointT(T xValue, T yValue) : x(xValue), y(yValue) {}

    friend constexpr bool operator==(const PointT&, const PointT&) = default;

    // The coordinate on one axis: 0 is x, any other y.
    [[nodiscard]] constexpr T OnAxis(int32_t axis) const { return axis == 0 ? x : y; }
    [[nodiscard]] constexpr T& OnAxis(int32_t axis) { return axis == 0 ? x : y; }

    // Each coordinate rounded half away from zero and saturated to the 32-bit range.
    [[nodiscard]] PointT<int32_t> RoundToLong() const requires std::floating_point<T>
    {
        return {ZQ::RoundToLong(static_cast<double>(x)), ZQ::RoundToLong(static_cast<double>(y))};
    }

    [[nodiscard]] constexpr PointT<double> ToDouble() const requires std::same_as<T, int32_t>
    {
        return {static_cast<double>(x), static_cast<double>(y)};
    }

    // This point plus the other one rounded half away from zero. A sum outside the 32-bit range wraps.
    [[nodiscard]] PointT<int32_t>
    operator+(const PointT<double>& offset) const requires std::same_as<T, int32_t>
    {
        const PointT<int32_t> rounded = offset.RoundToLong();
        return {static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(rounded.x)),
                static_cast<int32_t>(static_cast<uint32_t>(y) + static_cast<uint32_t>(rounded.y))};
    }
};
} // namespace ZQ
