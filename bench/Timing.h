#pragma once

#include <chrono>

namespace kelvora::bench {

// Wall-clock seconds one run of the work takes.
double secondsOf(const auto& work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace kelvora::bench
