#pragma once

#include "platform/Date.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

namespace kelvora::LocaleDates {

// Dates as the user's locale writes them: its own long date pattern with the fields a line
// does not show taken out, so the order, the punctuation ("Montag, 7. Dezember") and the
// names stay the locale's.

enum class Names { full, abbreviated };

// The moment in the local time zone.
QDateTime local(Date date);

// Weekday, day and month, without the year: "Monday, December 7", "lun. 14 déc.".
QString weekdayDayMonth(QDate date, const QLocale& locale, Names names);
// Day, abbreviated month and year, without the weekday: "Dec 7, 2026", "7. Dez. 2026".
QString dayMonthYear(QDate date, const QLocale& locale);
// Hour and minute, with the am/pm marker where the locale's clock has one.
QString hourMinute(QTime time, const QLocale& locale);
// A date and a time on one line: "<date>, <time>".
QString withTime(const QString& date, QTime time, const QLocale& locale);

} // namespace kelvora::LocaleDates
