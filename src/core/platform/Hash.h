#pragma once

#include "platform/Date.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace kelvora {

template <typename T> void hashCombine(std::size_t& seed, const T& value);

inline void hashCombine(std::size_t& seed, const Date& date) {
    hashCombine(seed, date.time_since_epoch().count());
}

template <typename T> void hashCombine(std::size_t& seed, const std::vector<T>& values);
template <typename T> void hashCombine(std::size_t& seed, const std::optional<T>& value);

template <typename T> void hashCombine(std::size_t& seed, const T& value) {
    seed ^= std::hash<T>()(value) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

template <typename T> void hashCombine(std::size_t& seed, const std::vector<T>& values) {
    hashCombine(seed, values.size());
    for (const auto& value : values)
        hashCombine(seed, value);
}

template <typename T> void hashCombine(std::size_t& seed, const std::optional<T>& value) {
    hashCombine(seed, value.has_value());
    if (value) hashCombine(seed, *value);
}

template <typename... T> std::size_t hashAll(const T&... values) {
    std::size_t seed = 0;
    (hashCombine(seed, values), ...);
    return seed;
}

} // namespace kelvora
