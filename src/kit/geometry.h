#pragma once

// Every width, height, left and top written through the kit passes these limits.

namespace kit {

inline constexpr int MaxExtent = 32627;

constexpr int limitExtent(int v) { return v < 0 ? 0 : (v > MaxExtent ? MaxExtent : v); }
constexpr int limitPosition(int v) { return v < -MaxExtent ? -MaxExtent : (v > MaxExtent ? MaxExtent : v); }

// Sizes are computed in double precision and truncated toward zero before they are written.
constexpr int truncate(double v)
{
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(v);
}

} // namespace kit
