#include "search/PlainQuery.h"

#include <charconv>
#include <cmath>

namespace kelvora {

namespace {

using Kind = PlainQuery::Kind;

std::string chipOf(Kind kind) {
    switch (kind) {
    case Kind::videos:
        return "Videos";
    case Kind::photos:
        return "Photos";
    case Kind::screenshots:
        return "Screenshots";
    case Kind::pdfs:
        return "PDFs";
    case Kind::archives:
        return "Archives";
    case Kind::diskImages:
        return "Disk images";
    case Kind::audio:
        return "Audio";
    case Kind::apps:
        return "Apps";
    case Kind::documents:
        return "Documents";
    }
    return {};
}

// At most `digits` decimals, trailing zeros dropped: 1.50 becomes 1.5, 1.00 becomes 1.
std::string decimal(double value, int digits) {
    char buffer[64];
    auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits).ptr;
    std::string text(buffer, end);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

// Decimal units, as a byte-count text reads: "500 KB", "100 MB", "1.5 GB".
std::string byteCountText(int64_t bytes) {
    double magnitude = std::fabs(static_cast<double>(bytes));
    if (magnitude < 1e3) return std::to_string(bytes) + (magnitude == 1 ? " byte" : " bytes");
    struct Unit {
        double factor;
        const char* name;
        int digits;
    };
    static const Unit units[] = {{1e3, "KB", 0},  {1e6, "MB", 1},  {1e9, "GB", 2},
                                 {1e12, "TB", 2}, {1e15, "PB", 2}, {1e18, "EB", 2}};
    size_t unit = 0;
    for (size_t i = 0; i < std::size(units); ++i)
        if (magnitude >= units[i].factor) unit = i;
    std::string number =
        decimal(static_cast<double>(bytes) / units[unit].factor, units[unit].digits);
    // A value that rounds up to 1,000 of its unit reads as 1 of the next: 999,999 bytes is
    // "1 MB", not "1000 KB".
    double shown = 0;
    std::from_chars(number.data(), number.data() + number.size(), shown);
    if (std::fabs(shown) >= 1000 && unit + 1 < std::size(units)) {
        ++unit;
        number = decimal(static_cast<double>(bytes) / units[unit].factor, units[unit].digits);
    }
    return number + " " + units[unit].name;
}

// Bounds of exactly one calendar year from January 1 read as that year.
std::optional<int> wholeYear(Date after, Date before, const QueryCalendar& calendar) {
    CivilTime start = calendar.civil(after);
    if (start.month != 1 || start.day != 1) return std::nullopt;
    std::optional<Date> yearLater = calendar.addingMonths(after, 12);
    if (!yearLater || *yearLater != before) return std::nullopt;
    return start.year;
}

} // namespace

std::vector<std::string>
PlainQuery::chips(const QueryCalendar& calendar,
                  const std::map<std::string, std::string>& folderNames) const {
    std::vector<std::string> chips;
    for (Kind kind : kinds)
        chips.push_back(chipOf(kind));
    if (minBytes) chips.push_back("Over " + byteCountText(*minBytes));
    if (maxBytes) chips.push_back("Under " + byteCountText(*maxBytes));

    std::optional<int> year;
    if (changedAfter && changedBefore) year = wholeYear(*changedAfter, *changedBefore, calendar);
    if (year) {
        chips.push_back("Changed in " + std::to_string(*year));
    } else {
        if (changedAfter) chips.push_back("Changed since " + calendar.shortDate(*changedAfter));
        if (changedBefore) chips.push_back("Changed before " + calendar.shortDate(*changedBefore));
    }
    if (notOpenedSince) chips.push_back("Not opened since " + calendar.shortDate(*notOpenedSince));
    for (const auto& folder : folders) {
        auto named = folderNames.find(folder);
        chips.push_back("In " + (named == folderNames.end() ? folder : named->second));
    }
    if (nameContains) chips.push_back("Name has \u201C" + *nameContains + "\u201D");
    return chips;
}

} // namespace kelvora
