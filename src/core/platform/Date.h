#pragma once

#include <algorithm>
#include <chrono>

namespace kelvora {

using Date = std::chrono::system_clock::time_point;

inline Date currentDate() {
    return std::chrono::system_clock::now();
}

inline double epochSeconds(Date date) {
    return std::chrono::duration<double>(date.time_since_epoch()).count();
}

namespace detail {
// Just inside the tick counter's range, so that a pinned date still formats and compares.
inline constexpr Date::rep kLastTick = 9'200'000'000'000'000'000;
inline Date::rep ticksOf(double seconds) {
    double ticks =
        std::chrono::duration<double, Date::period>(std::chrono::duration<double>(seconds)).count();
    if (!(ticks > -double(kLastTick))) return -kLastTick;
    if (ticks > double(kLastTick)) return kLastTick;
    return static_cast<Date::rep>(ticks);
}
} // namespace detail

// Dates come from files anyone can edit: one beyond what a Date holds (about the years 1678
// to 2262) is pinned at the nearest end instead of wrapping round.
inline Date dateFromEpochSeconds(double seconds) {
    return Date(Date::duration(detail::ticksOf(seconds)));
}

inline Date addSeconds(Date date, double seconds) {
    Date::rep step = detail::ticksOf(seconds);
    Date::rep sum = 0;
    if (__builtin_add_overflow(date.time_since_epoch().count(), step, &sum))
        sum = step > 0 ? detail::kLastTick : -detail::kLastTick;
    return Date(Date::duration(std::clamp(sum, -detail::kLastTick, detail::kLastTick)));
}

// Seconds from `from` to `to` (negative when `to` is earlier); exact to the tick unless the
// two lie further apart than the tick counter reaches.
inline double secondsBetween(Date from, Date to) {
    Date::rep ticks = 0;
    if (__builtin_sub_overflow(to.time_since_epoch().count(), from.time_since_epoch().count(),
                               &ticks))
        return epochSeconds(to) - epochSeconds(from);
    return std::chrono::duration<double>(Date::duration(ticks)).count();
}

// Stand-ins for "no date", as far out as a nanosecond clock reaches with room to spare:
// 2250-01-01 and 1700-01-01.
inline Date distantFuture() {
    return dateFromEpochSeconds(8835955200.0);
}
inline Date distantPast() {
    return dateFromEpochSeconds(-8520336000.0);
}

} // namespace kelvora
