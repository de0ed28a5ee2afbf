#include "catalog/PlainWords.h"

#include "model/Format.h"
#include "platform/Calendar.h"
#include "platform/Text.h"

#include <cctype>

namespace kelvora::PlainWords {

namespace {

// The units a fixed text writes after a count in the plural ("%lld days"): one of them after
// a count of 1 is written in the singular, so a hold of 1 day never reads "1 days".
constexpr std::string_view kUnits[] = {" days", " weeks", " months", " hours"};

size_t singularUnitLength(std::string_view after) {
    for (std::string_view unit : kUnits)
        if (startsWith(after, unit) &&
            (after.size() == unit.size() ||
             !std::isalpha(static_cast<unsigned char>(after[unit.size()]))))
            return unit.size();
    return 0;
}

} // namespace

std::string fill(std::string_view format, std::initializer_list<Value> values) {
    static constexpr std::string_view kText = "%@", kNumber = "%lld";
    std::string out;
    auto next = values.begin();
    size_t at = 0;
    while (at < format.size()) {
        size_t mark = format.find('%', at);
        if (mark == std::string_view::npos) mark = format.size();
        out.append(format.substr(at, mark - at));
        if (mark == format.size()) break;
        std::string_view rest = format.substr(mark);
        size_t length = startsWith(rest, kText)     ? kText.size()
                        : startsWith(rest, kNumber) ? kNumber.size()
                                                    : 0;
        if (length > 0 && next != values.end()) {
            const std::string& value = (next++)->text();
            out += value;
            const size_t unit = length == kNumber.size() && value == "1"
                                    ? singularUnitLength(format.substr(mark + length))
                                    : 0;
            if (unit > 0) {
                out.append(format.substr(mark + length, unit - 1));
                length += unit;
            }
        } else if (startsWith(rest, "%%")) {
            out += '%';
            length = 2;
        } else {
            length = length > 0 ? length : 1;
            out.append(rest.substr(0, length));
        }
        at = mark + length;
    }
    return out;
}

std::string plural(std::string_view noun, int64_t count) {
    std::string word(noun);
    if (count != 1) word += 's';
    return word;
}

std::string counted(int64_t count, std::string_view noun) {
    return Format::count(count) + " " + plural(noun, count);
}

std::string homeRelativePath(const std::string& path, const std::string& home) {
    std::string shown = replacingAll(path, "/private/var/", "/var/");
    std::string base =
        home.size() > 1 && endsWith(home, "/") ? home.substr(0, home.size() - 1) : home;
    // "/home/al" must not turn "/home/alice/notes" into "~ice/notes".
    if (base.empty() || base == "/" || !startsWith(shown, base)) return shown;
    if (shown.size() == base.size() || shown[base.size()] == '/')
        return "~" + shown.substr(base.size());
    return shown;
}

std::string shortMonthDate(Date date) {
    return Calendar::formatLocal(date, "%b %Y");
}

std::string longMonthDate(Date date) {
    return Calendar::formatLocal(date, "%B %Y");
}

} // namespace kelvora::PlainWords
