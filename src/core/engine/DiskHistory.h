#pragma once

#include "platform/Date.h"
#include "platform/Url.h"

#include <cstddef>
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
        int64_t freedByCleaning = 0; // the history's total when the reading was taken
        bool operator==(const Sample&) const = default;
    };

    std::vector<Sample> samples;
    // The bytes this application's own clean-ups freed since the history began, taken out
    // of the trend so that cleaning does not look like the disk filling more slowly. Stored
    // under the key "freedByKelv".
    int64_t freedByCleaning = 0;

    // A month of hourly readings takes some 60 KB; a larger file counts as damaged.
    static constexpr std::size_t kMaxFileBytes = 16 << 20;

    static URL defaultFile();
    // Never fails: a missing or damaged file reads as an empty history.
    static DiskHistory load(const URL& file);
    // Never fails outward; written atomically under an advisory lock.
    void save(const URL& file) const;
    void record(int64_t available, Date at);
    // Adds to freedByCleaning; a negative amount counts as 0.
    void recordFreed(int64_t bytes);
    std::optional<double> daysUntilFull(Date now) const;
    static void recordNow(const URL& volume, const URL& file);
    // Loads, changes and saves the file under one lock, so the window, the helper and the
    // menu bar recording at the same moment lose none of each other's readings.
    static DiskHistory update(const URL& file, const std::function<void(DiskHistory&)>& change);

    bool operator==(const DiskHistory&) const = default;
};

} // namespace kelvora
