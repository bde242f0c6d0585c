// Module data can hold any number: fight sums are made wide and clamped to
// the int range, never wrapped.
#pragma once

#include <cstdint>
#include <limits>

inline std::int32_t ClampToInt(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : value > hi ? hi : value);
}

inline std::int32_t WideSum(std::int64_t a, std::int64_t b, std::int64_t c = 0) { return ClampToInt(a + b + c); }
