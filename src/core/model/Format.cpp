#include "model/Format.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <locale.h>

namespace kelvora::Format {

namespace {

// printf in the C locale, so a German locale cannot turn "12.6 GB" into "12,6 GB".
std::string formatC(const char* format, double value) {
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    locale_t previous = uselocale(cLocale);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    uselocale(previous);
    return buffer;
}

long long roundHalfAway(double value) {
    return static_cast<long long>(std::llround(value));
}

std::function<std::string(int64_t)>& countStyle() {
    static std::function<std::string(int64_t)> style;
    return style;
}

// The digits grouped as the C library's locale of the process says.
std::string countInCLocale(int64_t n) {
    const struct lconv* conv = localeconv();
    std::string separator = conv && conv->thousands_sep ? conv->thousands_sep : "";
    std::string grouping = conv && conv->grouping ? conv->grouping : "";
    bool negative = n < 0;
    // The magnitude in unsigned arithmetic, which also holds that of the most negative value.
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    std::string digits = std::to_string(magnitude);
    int group = grouping.empty() || grouping[0] <= 0 ? 0 : grouping[0];
    std::string out;
    if (group > 0 && !separator.empty()) {
        int placed = 0;
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            if (placed > 0 && placed % group == 0) out.insert(0, separator);
            out.insert(out.begin(), *it);
            ++placed;
        }
    } else {
        out = digits;
    }
    return negative ? "-" + out : out;
}

} // namespace

std::string count(int64_t n) {
    const auto& style = countStyle();
    return style ? style(n) : countInCLocale(n);
}

void useCountStyle(std::function<std::string(int64_t)> style) {
    countStyle() = std::move(style);
}

std::string size(int64_t bytes) {
    double value = static_cast<double>(bytes);
    if (bytes < 1'000'000) return formatC("%.0f KB", value / 1000.0);
    if (bytes < 1'000'000'000) return formatC("%.0f MB", value / 1'000'000.0);
    return formatC("%.1f GB", value / 1'000'000'000.0);
}

SizeParts sizeParts(int64_t bytes) {
    std::string text = size(bytes);
    auto blank = text.find(' ');
    return {text.substr(0, blank), text.substr(blank + 1)};
}

int64_t photos(int64_t bytes) {
    long long n = roundHalfAway(static_cast<double>(bytes) / 4'000'000.0);
    if (n >= 1000) n = n / 100 * 100;
    return n;
}

std::string photoEquivalent(int64_t bytes) {
    return count(photos(bytes));
}

std::string timeLeft(double days) {
    if (!(days >= 1.5)) return "about a day";
    if (days < 14) return "about " + std::to_string(roundHalfAway(days)) + " days";
    if (days < 60) return "about " + std::to_string(roundHalfAway(days / 7)) + " weeks";
    if (days > 1e15) days = 1e15;
    return "about " + std::to_string(roundHalfAway(days / 30)) + " months";
}

} // namespace kelvora::Format
