#pragma once

#include <QLocale>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace kelvora::testing {

// The local time zone as the one named while it lives, so a date reads the same on every
// machine.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone) {
        if (const char* value = std::getenv("TZ")) saved_ = value;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope() {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    std::optional<std::string> saved_;
};

// The user's locale, as views read it through QLocale(), while it lives.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) { QLocale::setDefault(QLocale(name)); }
    ~LocaleScope() { QLocale::setDefault(saved_); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale saved_;
};

} // namespace kelvora::testing
