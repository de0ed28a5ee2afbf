#include "clean/CleanSchedule.h"

#include <algorithm>

namespace kelvora::CleanSchedule {

bool isDue(bool enabled, int everyDays, std::optional<Date> lastRun, Date now) {
    if (!enabled) return false;
    if (!lastRun) return true;
    double elapsed = secondsBetween(*lastRun, now);
    if (elapsed < 0) return true;
    double threshold = std::max(everyDays, 1) * 86400.0 - 3600.0;
    return elapsed >= threshold;
}

} // namespace kelvora::CleanSchedule
