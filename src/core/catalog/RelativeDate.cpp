#include "catalog/RelativeDate.h"

#include "catalog/PlainWords.h"
#include "platform/Calendar.h"

#include <cmath>
#include <functional>

namespace kelvora::PlainWords {

namespace {

// Whether `step` steps away from `now` towards `date` still lie on this side of it.
using Reaches = std::function<bool(long long step)>;

// The most whole steps from now that do not pass the date, starting from an estimate that
// is at most a step or two off.
long long wholeSteps(long long estimate, const Reaches& reaches) {
    long long n = estimate < 0 ? 0 : estimate;
    while (n > 0 && !reaches(n))
        --n;
    while (reaches(n + 1))
        ++n;
    return n;
}

struct Span {
    const char* unit;
    long long count;
};

Span largestUnit(Date date, Date now) {
    const bool past = date < now;
    const int sign = past ? -1 : 1;
    auto notBeyond = [&](Date stepped) { return past ? stepped >= date : stepped <= date; };

    CivilTime from = Calendar::local(now), to = Calendar::local(date);
    long long monthGuess = std::llabs((to.year - from.year) * 12LL + (to.month - from.month));
    long long months = wholeSteps(monthGuess, [&](long long n) {
        return notBeyond(Calendar::addingMonths(now, static_cast<int>(sign * n)));
    });
    if (months >= 12) return {"year", months / 12};
    if (months >= 1) return {"month", months};

    double seconds = std::fabs(secondsBetween(now, date));
    long long days = wholeSteps(static_cast<long long>(seconds / 86400), [&](long long n) {
        return notBeyond(Calendar::addingDays(now, static_cast<int>(sign * n)));
    });
    if (days >= 7) return {"week", days / 7};
    if (days >= 1) return {"day", days};

    auto whole = static_cast<long long>(seconds);
    if (whole >= 3600) return {"hour", whole / 3600};
    if (whole >= 60) return {"minute", whole / 60};
    return {"second", whole};
}

} // namespace

std::string relativeDate(Date date, Date now) {
    const bool past = date < now;
    Span span = largestUnit(date, now);
    if (span.count == 0) return "now";
    if (span.count == 1) {
        std::string unit = span.unit;
        if (unit == "day") return past ? "yesterday" : "tomorrow";
        if (unit != "hour" && unit != "minute" && unit != "second")
            return (past ? "last " : "next ") + unit;
    }
    std::string amount = counted(span.count, span.unit);
    return past ? amount + " ago" : "in " + amount;
}

} // namespace kelvora::PlainWords
