#pragma once

#include <chrono>

namespace kelvora {

using Date = std::chrono::system_clock::time_point;

inline Date currentDate() {
    return std::chrono::system_clock::now();
}

inline Date dateFromEpochSeconds(double seconds) {
    return Date(std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds)));
}

inline double epochSeconds(Date date) {
    return std::chrono::duration<double>(date.time_since_epoch()).count();
}

inline Date addSeconds(Date date, double seconds) {
    return date +
           std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
}

// Seconds from `from` to `to` (negative when `to` is earlier).
inline double secondsBetween(Date from, Date to) {
    return std::chrono::duration<double>(to - from).count();
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
