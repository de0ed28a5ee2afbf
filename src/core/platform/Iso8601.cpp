#include "platform/Iso8601.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>

namespace kelvora {

std::string formatIso8601(Date date) {
    double seconds = std::floor(epochSeconds(date));
    time_t t = static_cast<time_t>(seconds);
    struct tm parts {};
    gmtime_r(&t, &parts);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return buffer;
}

std::optional<Date> parseIso8601(const std::string& text) {
    int year, month, day, hour, minute, second, consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute,
                    &second, &consumed) != 6 ||
        consumed != 19)
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    size_t pos = 19;
    double fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        size_t start = ++pos;
        // Digit by digit: strtod would stop at the point under a locale with a decimal comma.
        double scale = 0.1;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
            fraction += (text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
        if (pos == start) return std::nullopt;
    }
    long offset = 0;
    if (pos < text.size() && text[pos] == 'Z') {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        int sign = text[pos] == '-' ? -1 : 1;
        int oh = 0, om = 0, used = 0;
        std::string rest = text.substr(pos + 1);
        if (std::sscanf(rest.c_str(), "%2d:%2d%n", &oh, &om, &used) == 2 && used == 5) {
        } else if (std::sscanf(rest.c_str(), "%2d%2d%n", &oh, &om, &used) == 2 && used == 4) {
        } else {
            return std::nullopt;
        }
        pos += 1 + used;
        offset = sign * (oh * 3600L + om * 60L);
    } else {
        return std::nullopt;
    }
    if (pos != text.size()) return std::nullopt;
    struct tm parts {};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    time_t t = timegm(&parts);
    return dateFromEpochSeconds(static_cast<double>(t - offset) + fraction);
}

} // namespace kelvora
