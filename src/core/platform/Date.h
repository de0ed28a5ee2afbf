#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ratio>
#include <type_traits>

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

// A time as a file system keeps it, in whole seconds and nanoseconds since 1970: a file can
// be dated far beyond what a Date holds, and is pinned at the nearest end as above.
inline Date dateFromTimestamp(int64_t seconds, int64_t nanoseconds) {
    static_assert(std::is_same_v<Date::period, std::nano>);
    constexpr int64_t kLastSecond = detail::kLastTick / 1'000'000'000 - 1;
    if (seconds > kLastSecond) return Date(Date::duration(detail::kLastTick));
    if (seconds < -kLastSecond) return Date(Date::duration(-detail::kLastTick));
    return Date(Date::duration(seconds * 1'000'000'000 + nanoseconds));
}

// A step beyond either end pins the date there, whatever date it started from.
inline Date addSeconds(Date date, double seconds) {
    const double ticks =
        std::chrono::duration<double, Date::period>(std::chrono::duration<double>(seconds)).count();
    const Date::rep from = date.time_since_epoch().count();
    const double sum = static_cast<double>(from) + ticks;
    if (!(sum > -double(detail::kLastTick))) return Date(Date::duration(-detail::kLastTick));
    if (sum >= double(detail::kLastTick)) return Date(Date::duration(detail::kLastTick));
    // Within reach, stepped in whole ticks, so a date's fraction of a second stays exact.
    Date::rep stepped = 0;
    if (std::abs(ticks) < double(detail::kLastTick) &&
        !__builtin_add_overflow(from, static_cast<Date::rep>(ticks), &stepped))
        return Date(Date::duration(std::clamp(stepped, -detail::kLastTick, detail::kLastTick)));
    return Date(Date::duration(static_cast<Date::rep>(sum)));
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
