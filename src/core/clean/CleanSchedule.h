#pragma once

#include "platform/Date.h"

#include <optional>

namespace kelvora::CleanSchedule {

// Whether the scheduled clean of app caches should run now: an hour early is on time, so a
// daily clean does not drift later each day; a last run dated in the future (the clock was
// set back) counts as due rather than blocking the schedule.
bool isDue(bool enabled, int everyDays, std::optional<Date> lastRun, Date now);

} // namespace kelvora::CleanSchedule
