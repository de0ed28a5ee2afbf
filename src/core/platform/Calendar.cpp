#include "platform/Calendar.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <locale.h>

namespace kelvora::Calendar {

namespace {

time_t toTimeT(Date date) {
    return static_cast<time_t>(std::floor(epochSeconds(date)));
}

// The part of a second past the whole second, kept in the clock's own ticks: a round trip
// through floating seconds would move the date by a fraction of a microsecond, enough for
// "exactly a day ago" to read as not quite a day.
Date::duration fractionOf(Date date) {
    return date - std::chrono::floor<std::chrono::seconds>(date);
}

CivilTime fromTm(const struct tm& t) {
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday};
}

struct tm toTm(const CivilTime& c) {
    struct tm t {};
    t.tm_year = c.year - 1900;
    t.tm_mon = c.month - 1;
    t.tm_mday = c.day;
    t.tm_hour = c.hour;
    t.tm_min = c.minute;
    t.tm_sec = c.second;
    t.tm_isdst = -1;
    return t;
}

std::string formatWith(const struct tm& parts, const char* format) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    char buffer[256];
    size_t n = strftime_l(buffer, sizeof buffer, format, &parts, cLocale);
    return std::string(buffer, n);
}

} // namespace

CivilTime local(Date date) {
    time_t t = toTimeT(date);
    struct tm parts {};
    localtime_r(&t, &parts);
    return fromTm(parts);
}

CivilTime utc(Date date) {
    time_t t = toTimeT(date);
    struct tm parts {};
    gmtime_r(&t, &parts);
    return fromTm(parts);
}

Date fromLocal(const CivilTime& time) {
    struct tm parts = toTm(time);
    return dateFromEpochSeconds(static_cast<double>(mktime(&parts)));
}

Date fromUTC(const CivilTime& time) {
    struct tm parts = toTm(time);
    return dateFromEpochSeconds(static_cast<double>(timegm(&parts)));
}

namespace {
std::optional<Date> withinRange(double seconds) {
    double limit = std::chrono::duration<double>(Date::duration::max()).count() - 1;
    if (!(seconds > -limit && seconds < limit)) return std::nullopt;
    return dateFromEpochSeconds(seconds);
}
} // namespace

std::optional<Date> checkedFromLocal(const CivilTime& time) {
    struct tm parts = toTm(time);
    return withinRange(static_cast<double>(mktime(&parts)));
}

std::optional<Date> checkedFromUTC(const CivilTime& time) {
    struct tm parts = toTm(time);
    return withinRange(static_cast<double>(timegm(&parts)));
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[(month - 1) % 12];
}

Date addingMonths(Date date, int months) {
    CivilTime c = local(date);
    int index = c.year * 12 + (c.month - 1) + months;
    c.year = index / 12;
    c.month = index % 12 + 1;
    if (c.month <= 0) {
        c.month += 12;
        c.year -= 1;
    }
    c.day = std::min(c.day, daysInMonth(c.year, c.month));
    return fromLocal(c) + fractionOf(date);
}

Date addingDays(Date date, int days) {
    CivilTime c = local(date);
    c.day += days;
    return fromLocal(c) + fractionOf(date);
}

Date startOfDay(Date date) {
    CivilTime c = local(date);
    c.hour = c.minute = c.second = 0;
    return fromLocal(c);
}

std::string formatLocal(Date date, const char* format) {
    time_t t = toTimeT(date);
    struct tm parts {};
    localtime_r(&t, &parts);
    return formatWith(parts, format);
}

std::string formatUTC(Date date, const char* format) {
    time_t t = toTimeT(date);
    struct tm parts {};
    gmtime_r(&t, &parts);
    return formatWith(parts, format);
}

} // namespace kelvora::Calendar
