#include "controller/Prefs.h"

#include "controller/Permissions.h"
#include "platform/Iso8601.h"

#include <climits>

namespace kelvora::Prefs {

namespace {

using nlohmann::json;

std::optional<json> stored(const json& settings, const std::string& key) {
    auto it = settings.find(key);
    if (it == settings.end()) return std::nullopt;
    return *it;
}

// Dates reach only some 290 years either side of 1970: a longer hold or age would wrap
// round into the past, just as one below one day lies there already.
constexpr int kMaxDays = 36'500;
constexpr int kMaxMonths = kMaxDays / 30;

// A hold, age or interval outside 1...most would expire or list everything at once; such
// a stored value is as good as none.
int positiveInteger(const json& settings, const std::string& key, int fallback, int most) {
    auto value = stored(settings, key);
    if (!value || !value->is_number_integer()) return fallback;
    if (value->is_number_unsigned()) {
        uint64_t n = value->get<uint64_t>();
        return n >= 1 && n <= static_cast<uint64_t>(most) ? static_cast<int>(n) : fallback;
    }
    int64_t n = value->get<int64_t>();
    return n >= 1 && n <= most ? static_cast<int>(n) : fallback;
}

// Dates have no JSON form of their own; a tagged object keeps them apart from text.
json dateValue(Date date) {
    return json{{"date", formatIso8601(date)}};
}

std::optional<Date> dateFrom(const json& value) {
    if (!value.is_object() || value.size() != 1) return std::nullopt;
    auto it = value.find("date");
    if (it == value.end() || !it->is_string()) return std::nullopt;
    return parseIso8601(it->get<std::string>());
}

constexpr double kDay = 86400.0;

} // namespace

std::string rawValue(Appearance appearance) {
    switch (appearance) {
    case Appearance::light:
        return "light";
    case Appearance::dark:
        return "dark";
    case Appearance::system:
        break;
    }
    return "system";
}

std::optional<Appearance> appearanceFromRawValue(const std::string& text) {
    for (Appearance appearance : allAppearances())
        if (rawValue(appearance) == text) return appearance;
    return std::nullopt;
}

const std::vector<Appearance>& allAppearances() {
    static const std::vector<Appearance> all = {Appearance::system, Appearance::light,
                                                Appearance::dark};
    return all;
}

SettingsStore store() {
    return SettingsStore::standard();
}

int appMonths() {
    return appMonths(store().document());
}
int appMonths(const Settings& settings) {
    return positiveInteger(settings, Key::appMonths, 6, kMaxMonths);
}
int projectMonths() {
    return projectMonths(store().document());
}
int projectMonths(const Settings& settings) {
    return positiveInteger(settings, Key::projectMonths, 3, kMaxMonths);
}
int aiSessionDays() {
    return aiSessionDays(store().document());
}
int aiSessionDays(const Settings& settings) {
    return positiveInteger(settings, Key::aiSessionDays, 30, kMaxDays);
}
int downloadsDays() {
    return downloadsDays(store().document());
}
int downloadsDays(const Settings& settings) {
    return positiveInteger(settings, Key::downloadsDays, 7, kMaxDays);
}
int shelfDays() {
    return shelfDays(store().document());
}
int shelfDays(const Settings& settings) {
    return positiveInteger(settings, Key::shelfDays, 7, kMaxDays);
}
int scheduleDays() {
    return scheduleDays(store().document());
}
int scheduleDays(const Settings& settings) {
    return positiveInteger(settings, Key::scheduleDays, 7, kMaxDays);
}

Catalog::Settings catalogSettings(const Settings& settings) {
    return {shelfDays(settings), projectMonths(settings), aiSessionDays(settings)};
}

bool showMenuBar() {
    return showMenuBar(store().document());
}
bool showMenuBar(const Settings& settings) {
    auto value = stored(settings, Key::showMenuBar);
    return value && value->is_boolean() ? value->get<bool>() : true;
}

Appearance appearance() {
    auto text = string(Key::appearance);
    return text ? appearanceFromRawValue(*text).value_or(Appearance::system) : Appearance::system;
}

PickList picks() {
    return picks(store().document());
}
PickList picks(const Settings& settings) {
    auto value = stored(settings, Key::picks);
    if (!value || !value->is_object()) return {};
    return PickList::fromJson(value->dump()).value_or(PickList{});
}

SettingsStore::Write setPicks(const PickList& picks) {
    auto encoded = json::parse(picks.toJson(), nullptr, false);
    if (encoded.is_discarded()) return store().remove(Key::picks);
    return store().set(Key::picks, encoded);
}

std::vector<LoginItemScanner::OpenAtLoginApp> turnedOffLoginApps() {
    auto value = stored(store().document(), Key::turnedOffLoginApps);
    if (!value || !value->is_array()) return {};
    for (const json& element : *value) {
        if (!element.is_object()) return {};
        for (const auto& [key, field] : element.items())
            if (!field.is_string()) return {};
    }
    std::vector<LoginItemScanner::OpenAtLoginApp> apps;
    for (const json& element : *value) {
        if (!element.contains("name") || !element.contains("path")) continue;
        LoginItemScanner::OpenAtLoginApp app;
        app.name = element["name"].get<std::string>();
        app.path = element["path"].get<std::string>();
        apps.push_back(std::move(app));
    }
    return apps;
}

SettingsStore::Write
setTurnedOffLoginApps(const std::vector<LoginItemScanner::OpenAtLoginApp>& apps) {
    json list = json::array();
    for (const auto& app : apps)
        list.push_back({{"name", app.name}, {"path", app.path}});
    return store().set(Key::turnedOffLoginApps, list);
}

std::optional<Date> lastScheduledClean() {
    return lastScheduledClean(store().document());
}
std::optional<Date> lastScheduledClean(const Settings& settings) {
    auto value = stored(settings, Key::lastScheduledClean);
    return value ? dateFrom(*value) : std::nullopt;
}

SettingsStore::Write setLastScheduledClean(std::optional<Date> date) {
    if (date) return store().set(Key::lastScheduledClean, dateValue(*date));
    return store().remove(Key::lastScheduledClean);
}

int64_t lastScheduledFreed() {
    return lastScheduledFreed(store().document());
}
int64_t lastScheduledFreed(const Settings& settings) {
    auto value = stored(settings, Key::lastScheduledFreed);
    if (!value || !value->is_number()) return 0;
    if (value->is_number_float()) {
        double number = value->get<double>();
        return number >= -9.2e18 && number <= 9.2e18 ? static_cast<int64_t>(number) : 0;
    }
    if (value->is_number_unsigned()) {
        uint64_t number = value->get<uint64_t>();
        return number <= static_cast<uint64_t>(INT64_MAX) ? static_cast<int64_t>(number) : 0;
    }
    return value->get<int64_t>();
}

SettingsStore::Write setLastScheduledFreed(int64_t bytes) {
    return store().set(Key::lastScheduledFreed, bytes);
}

bool boolean(const std::string& key) {
    return boolean(store().document(), key);
}
bool boolean(const Settings& settings, const std::string& key) {
    auto value = stored(settings, key);
    return value && value->is_boolean() && value->get<bool>();
}

SettingsStore::Write setBoolean(const std::string& key, bool value) {
    return store().set(key, value);
}
SettingsStore::Write setInteger(const std::string& key, int64_t value) {
    return store().set(key, value);
}

std::optional<std::string> string(const std::string& key) {
    return string(store().document(), key);
}
std::optional<std::string> string(const Settings& settings, const std::string& key) {
    auto value = stored(settings, key);
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

SettingsStore::Write setString(const std::string& key, const std::string& value) {
    return store().set(key, value);
}

std::vector<std::string> stringList(const std::string& key) {
    return stringList(store().document(), key);
}
std::vector<std::string> stringList(const Settings& settings, const std::string& key) {
    auto value = stored(settings, key);
    if (!value || !value->is_array()) return {};
    std::vector<std::string> list;
    for (const json& element : *value) {
        if (!element.is_string()) return {};
        list.push_back(element.get<std::string>());
    }
    return list;
}

SettingsStore::Write setStringList(const std::string& key, const std::vector<std::string>& value) {
    return store().set(key, json(value));
}

SettingsStore::Write remove(const std::string& key) {
    return store().remove(key);
}

DiskScanner configured(DiskScanner scanner) {
    json settings = store().document();
    scanner.staleAfter = appMonths(settings) * 30.0 * kDay;
    scanner.downloadsAge = downloadsDays(settings) * kDay;
    scanner.neverTouch = stringList(settings, Key::neverTouch);
    scanner.projectStaleAfter = projectMonths(settings) * 30.0 * kDay;
    scanner.includeDocker = boolean(settings, Key::includeDocker);
    scanner.aiSessionAge = aiSessionDays(settings) * kDay;
    scanner.privateFoldersAllowed =
        Permissions::hasFullDiskAccess() || boolean(settings, Key::downloadsAsked);
    return scanner;
}

} // namespace kelvora::Prefs
