#pragma once

#include "platform/Calendar.h"
#include "platform/Date.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// The Gregorian calendar a search phrase's dates are reckoned in: the system's time zone
// or UTC, with weeks starting on `firstWeekday` (0 = Sunday).
struct QueryCalendar {
    enum class Zone { local, utc };
    Zone zone = Zone::local;
    int firstWeekday = 0;

    static QueryCalendar gregorian() { return {}; }
    static QueryCalendar utc() { return {Zone::utc, 0}; }

    CivilTime civil(Date date) const;
    // Out-of-range fields are carried over (month 13 is January of the next year).
    Date date(const CivilTime& time) const;
    std::optional<Date> januaryFirst(int64_t year) const;
    std::optional<Date> addingDays(Date date, int64_t days) const;
    // Clamps the day: 31 March minus a month is the last day of February.
    std::optional<Date> addingMonths(Date date, int64_t months) const;
    Date startOfMonth(Date date) const;
    Date startOfWeek(Date date) const;
    // "Jan 1, 2025".
    std::string shortDate(Date date) const;

    bool operator==(const QueryCalendar&) const = default;
};

} // namespace kelvora
