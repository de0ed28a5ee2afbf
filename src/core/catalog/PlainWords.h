#pragma once

#include "platform/Date.h"

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kelvora::PlainWords {

// A value put into a fixed text: a text for "%@", a number (plain decimal digits) for "%lld".
class Value {
public:
    Value(std::string text) : text_(std::move(text)) {}
    Value(const char* text) : text_(text) {}
    template <std::integral Number>
    requires(!std::same_as<Number, bool> && !std::same_as<Number, char>) Value(Number number)
        : text_(std::to_string(number)) {}

    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// The fixed text with its "%@" and "%lld" placeholders replaced by the values, in order and
// in one pass: an inserted value is never searched for placeholders, so a file name holding
// "%@" or "%1" shows as it is. "%%" is a percent sign; a placeholder without a value stays.
std::string fill(std::string_view format, std::initializer_list<Value> values);

// The noun with "s" appended unless the count is exactly 1 (so 0 takes the plural).
std::string plural(std::string_view noun, int64_t count);
// The count with the locale's grouping, a blank and the noun in its number: "1,204 files".
std::string counted(int64_t count, std::string_view noun);

// A path as the user reads it: "/private/var/" shown as "/var/", and the home folder (and
// only a whole home folder, not a longer name that starts like it) shown as "~".
std::string homeRelativePath(const std::string& path, const std::string& home);

// The month and year of a date in local time: "Mar 2024" and "March 2024".
std::string shortMonthDate(Date date);
std::string longMonthDate(Date date);

} // namespace kelvora::PlainWords
