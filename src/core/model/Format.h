#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kelvora::Format {

struct SizeParts {
    std::string number;
    std::string unit;
};

// Decimal units, never TB, a point as decimal separator whatever the locale.
std::string size(int64_t bytes);
SizeParts sizeParts(int64_t bytes);
// How many 4 MB photos the space would hold, in hundreds from a thousand on; as text, grouped
// by the user's locale.
int64_t photos(int64_t bytes);
std::string photoEquivalent(int64_t bytes);
std::string timeLeft(double days);
// An integer with the grouping of the user's locale ("1,234" in English, "1 234" in French).
std::string count(int64_t n);
// How count writes a number. Without one, the C library's locale groups the digits, and that
// locale is missing wherever its data was not installed; the application gives the one that
// also writes its dates. Set before any other thread formats a count.
void useCountStyle(std::function<std::string(int64_t)> style);

} // namespace kelvora::Format
