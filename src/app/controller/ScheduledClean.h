#pragma once

#include "model/CleanReport.h"
#include "model/ScanItem.h"
#include "platform/Date.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kelvora {

// The scheduled clean of app caches, run by the helper when the user switched it on.
namespace ScheduledClean {

// Below this many bytes of caches a due run cleans nothing and waits for the next interval.
inline constexpr int64_t kThreshold = 1'000'000'000;

// Where the caches come from and how they are removed; the live one scans the user's home
// with the settings applied and deletes without a shelf.
struct Environment {
    std::function<std::vector<ScanItem>()> scanCaches;
    std::function<CleanReport(const std::vector<ScanItem>& items, Date now)> clean;

    static Environment live();
};

// The bytes this call freed; 0 when it was not due or cleaned nothing.
int64_t runIfDue(Date now);
int64_t runIfDue(Date now, const Environment& environment);

} // namespace ScheduledClean
} // namespace kelvora
