#pragma once

#include <cmath>
#include <cstdint>

// The scalar rules by which coordinates cross between doubles and 32-bit integers. Each rule decides
// which pixel an edge falls on, so each is exact; the point and rectangle types and the region apply them.
namespace ZQ
{
// Halves away from zero; below the 32-bit range (and NaN) gives INT32_MIN, above it INT32_MAX.
[[nodiscard]] inline int32_t RoundToLong(double value)
{
    if (!(value >= -2147483648.0))
        return INT32_MIN;
    if (value > 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(value < 0 ? value - 0.5 : value + 0.5);
}

// Cuts toward zero; outside the 32-bit range the result saturates, and NaN gives 0.
[[nodiscard]] inline int32_t TruncateToLong(double value)
{
    if (!(value == value))
        return 0;
    if (value <= -2147483648.0)
        return INT32_MIN;
    if (value >= 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(value);
}

// Adds one half and cuts toward zero, negative values included (-2.5 gives -2); used where the
// framework rounds sizes and region edges. Outside the 32-bit range the result saturates.
[[nodiscard]] inline int32_t AddHalfAndTruncate(double value)
{
    const double sum = std::trunc(value + 0.5);
    if (!(sum >= -2147483648.0))
        return INT32_MIN;
    if (sum > 2147483647.0)
        return INT32_MAX;
    return static_cast<int32_t>(sum);
}

// The floor of value, except that a value lying within rounding noise (one unit in the last place)
// below a whole number counts as that number.
[[nodiscard]] inline double TolerantFloor(double value)
{
    constexpr double epsilon = 2.220446049250313e-16; // 2^-52
    // A whole number is its own floor: near 2^52 and beyond, where doubles lie a whole unit apart, the
    // nudge below would carry it on to the next one. NaN and the infinities stay as they are.
    if (!std::isfinite(value) || std::trunc(value) == value)
        return value + 0.0; // -0 becomes 0
    const double nudged = value >= 0 ? value + value * epsilon : value - (value * epsilon + 1);
    return std::trunc(nudged);
}
} // namespace ZQ
