#pragma once

#include "platform/Date.h"

#include <string>

namespace kelvora::PlainWords {

// A date said relative to now in English, by the largest whole calendar unit between them
// in local time: "now", "5 minutes ago", "3 hours ago", "yesterday", "6 days ago",
// "last week", "3 weeks ago", "last month", "5 months ago", "last year", "2 years ago", and
// "in 3 days", "tomorrow", "next week"... for dates to come. A unit of exactly one day,
// week, month or year goes by its name.
std::string relativeDate(Date date, Date now);

} // namespace kelvora::PlainWords
