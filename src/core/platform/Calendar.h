#pragma once

#include "platform/Date.h"

#include <optional>
#include <string>

namespace kelvora {

// A date broken down into calendar fields, in the process's local time zone
// (or UTC where the function says so). Months and days count from 1.
struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0; // 0 = Sunday; ignored when converting back
    bool operator==(const CivilTime&) const = default;
};

namespace Calendar {

CivilTime local(Date date);
CivilTime utc(Date date);
// Out-of-range fields are normalised (month 13 is January of the next year).
Date fromLocal(const CivilTime& time);
Date fromUTC(const CivilTime& time);
// The same, but nothing for a time outside what a Date can hold (about the years 1678 to
// 2261), where the unchecked forms would wrap round.
std::optional<Date> checkedFromLocal(const CivilTime& time);
std::optional<Date> checkedFromUTC(const CivilTime& time);

int daysInMonth(int year, int month);
// Month arithmetic that clamps the day: 31 March minus one month is 28 or 29 February.
Date addingMonths(Date date, int months);
Date addingDays(Date date, int days);
Date startOfDay(Date date);

// strftime-style formatting in the C locale and local time ("%Y-%m-%dT%H-%M-%S").
std::string formatLocal(Date date, const char* format);
std::string formatUTC(Date date, const char* format);

} // namespace Calendar
} // namespace kelvora
