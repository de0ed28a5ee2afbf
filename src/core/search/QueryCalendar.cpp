#include "search/QueryCalendar.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace kelvora {

namespace {

// Years this far out are beyond what the calendar produces.
constexpr int64_t kYearLimit = 200000;

// The instant of a civil time, or none when it lies outside what a Date can hold:
// "before 2300" must not wrap round to a date in the distant past.
std::optional<Date> checkedDate(const CivilTime& time, QueryCalendar::Zone zone) {
    return zone == QueryCalendar::Zone::utc ? Calendar::checkedFromUTC(time)
                                            : Calendar::checkedFromLocal(time);
}

double fractionOfSecond(Date date) {
    double seconds = epochSeconds(date);
    return seconds - std::floor(seconds);
}

} // namespace

CivilTime QueryCalendar::civil(Date date) const {
    return zone == Zone::utc ? Calendar::utc(date) : Calendar::local(date);
}

Date QueryCalendar::date(const CivilTime& time) const {
    return zone == Zone::utc ? Calendar::fromUTC(time) : Calendar::fromLocal(time);
}

std::optional<Date> QueryCalendar::januaryFirst(int64_t year) const {
    if (year < -kYearLimit || year > kYearLimit) return std::nullopt;
    return checkedDate({static_cast<int>(year), 1, 1, 0, 0, 0, 0}, zone);
}

std::optional<Date> QueryCalendar::addingDays(Date from, int64_t days) const {
    if (days < -kYearLimit * 366 || days > kYearLimit * 366) return std::nullopt;
    CivilTime time = civil(from);
    time.day += static_cast<int>(days);
    std::optional<Date> result = checkedDate(time, zone);
    if (!result) return std::nullopt;
    return addSeconds(*result, fractionOfSecond(from));
}

std::optional<Date> QueryCalendar::addingMonths(Date from, int64_t months) const {
    if (months < -kYearLimit * 12 || months > kYearLimit * 12) return std::nullopt;
    CivilTime time = civil(from);
    int64_t index = int64_t{time.year} * 12 + (time.month - 1) + months;
    int64_t year = index >= 0 ? index / 12 : -((-index + 11) / 12);
    time.year = static_cast<int>(year);
    time.month = static_cast<int>(index - year * 12) + 1;
    time.day = std::min(time.day, Calendar::daysInMonth(time.year, time.month));
    std::optional<Date> result = checkedDate(time, zone);
    if (!result) return std::nullopt;
    return addSeconds(*result, fractionOfSecond(from));
}

Date QueryCalendar::startOfMonth(Date from) const {
    CivilTime time = civil(from);
    return date({time.year, time.month, 1, 0, 0, 0, 0});
}

Date QueryCalendar::startOfWeek(Date from) const {
    CivilTime time = civil(from);
    int back = ((time.weekday - firstWeekday) % 7 + 7) % 7;
    return date({time.year, time.month, time.day - back, 0, 0, 0, 0});
}

std::string QueryCalendar::shortDate(Date from) const {
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    CivilTime time = civil(from);
    return std::string(months[(time.month - 1) % 12]) + " " + std::to_string(time.day) + ", " +
           std::to_string(time.year);
}

} // namespace kelvora
