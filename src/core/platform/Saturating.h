#pragma once

#include <cstdint>
#include <limits>

namespace kelvora {

// Byte counts come from manifests and history files anyone can edit, and from measuring
// huge or sparse files: a sum pins at the largest or smallest figure instead of wrapping
// round to a negative size.
inline int64_t saturatingAdd(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (!__builtin_add_overflow(a, b, &sum)) return sum;
    return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

inline int64_t saturatingSubtract(int64_t a, int64_t b) {
    int64_t difference = 0;
    if (!__builtin_sub_overflow(a, b, &difference)) return difference;
    return b < 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

// Adds b into a, pinned as saturatingAdd pins.
inline void addSaturating(int64_t& a, int64_t b) {
    a = saturatingAdd(a, b);
}

} // namespace kelvora
