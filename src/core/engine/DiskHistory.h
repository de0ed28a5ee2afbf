#pragma once

#include "platform/Date.h"
#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace kelvora {

// A month of free-space readings and the days-until-full forecast drawn from them.
struct DiskHistory {
    struct Sample {
        Date date{};
        int64_t available = 0;
        int64_t freedByKelv = 0;
        bool operator==(const Sample&) const = default;
    };

    std::vector<Sample> samples;
    int64_t freedByKelv = 0;

    static URL defaultFile();
    // Never fails: a missing or damaged file reads as an empty history.
    static DiskHistory load(const URL& file);
    // Never fails outward; written atomically under an advisory lock.
    void save(const URL& file) const;
    void record(int64_t available, Date at);
    void kelv(int64_t freed);
    std::optional<double> daysUntilFull(Date now) const;
    static void recordNow(const URL& volume, const URL& file);
    // Loads, changes and saves the file under one lock, so the window, the helper and the
    // menu bar recording at the same moment lose none of each other's readings.
    static DiskHistory update(const URL& file, const std::function<void(DiskHistory&)>& change);

    bool operator==(const DiskHistory&) const = default;
};

} // namespace kelvora
