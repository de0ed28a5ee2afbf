#include "controller/Prefs.h"

#include "controller/Permissions.h"
#include "platform/Iso8601.h"

#include <climits>

namespace kelvora::Prefs {

namespace {

using nlohmann::json;

// Settings read from one copy of the document, so a pass that needs several of them reads
// the file once.
std::optional<json> stored(const json& settings, const std::string& key) {
    auto it = settings.find(key);
    if (it == settings.end()) return std::nullopt;
    return *it;
}

std::optional<json> stored(const std::string& key) {
    return store().value(key);
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

int appMonthsIn(const json& settings) {
    return positiveInteger(settings, Key::appMonths, 6, kMaxMonths);
}
int projectMonthsIn(const json& settings) {
    return positiveInteger(settings, Key::projectMonths, 3, kMaxMonths);
}
int aiSessionDaysIn(const json& settings) {
    return positiveInteger(settings, Key::aiSessionDays, 30, kMaxDays);
}
int shelfDaysIn(const json& settings) {
    return positiveInteger(settings, Key::shelfDays, 7, kMaxDays);
}
int downloadsDaysIn(const json& settings) {
    return positiveInteger(settings, Key::downloadsDays, 7, kMaxDays);
}

bool booleanIn(const json& settings, const std::string& key) {
    auto value = stored(settings, key);
    return value && value->is_boolean() && value->get<bool>();
}

std::vector<std::string> stringListIn(const json& settings, const std::string& key) {
    auto value = stored(settings, key);
    if (!value || !value->is_array()) return {};
    std::vector<std::string> list;
    for (const json& element : *value) {
        if (!element.is_string()) return {};
        list.push_back(element.get<std::string>());
    }
    return list;
}

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
    return appMonthsIn(store().document());
}
int projectMonths() {
    return projectMonthsIn(store().document());
}
int aiSessionDays() {
    return aiSessionDaysIn(store().document());
}
int downloadsDays() {
    return downloadsDaysIn(store().document());
}
int shelfDays() {
    return shelfDaysIn(store().document());
}

Catalog::Settings catalogSettings() {
    json settings = store().document();
    return {shelfDaysIn(settings), projectMonthsIn(settings), aiSessionDaysIn(settings)};
}

Catalog catalog(const std::vector<URL>& applicationFolders) {
    return Catalog(catalogSettings, AppNames::live(applicationFolders));
}
int scheduleDays() {
    return positiveInteger(store().document(), Key::scheduleDays, 7, kMaxDays);
}

bool showMenuBar() {
    auto value = stored(Key::showMenuBar);
    return value && value->is_boolean() ? value->get<bool>() : true;
}

Appearance appearance() {
    auto text = string(Key::appearance);
    return text ? appearanceFromRawValue(*text).value_or(Appearance::system) : Appearance::system;
}

PickList picks() {
    auto value = stored(Key::picks);
    if (!value || !value->is_object()) return {};
    return PickList::fromJson(value->dump()).value_or(PickList{});
}

void setPicks(const PickList& picks) {
    auto encoded = json::parse(picks.toJson(), nullptr, false);
    if (encoded.is_discarded())
        store().remove(Key::picks);
    else
        store().set(Key::picks, encoded);
}

std::vector<LoginItemScanner::OpenAtLoginApp> turnedOffLoginApps() {
    auto value = stored(Key::turnedOffLoginApps);
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

void setTurnedOffLoginApps(const std::vector<LoginItemScanner::OpenAtLoginApp>& apps) {
    json list = json::array();
    for (const auto& app : apps)
        list.push_back({{"name", app.name}, {"path", app.path}});
    store().set(Key::turnedOffLoginApps, list);
}

std::optional<Date> lastScheduledClean() {
    auto value = stored(Key::lastScheduledClean);
    return value ? dateFrom(*value) : std::nullopt;
}

void setLastScheduledClean(std::optional<Date> date) {
    if (date)
        store().set(Key::lastScheduledClean, dateValue(*date));
    else
        store().remove(Key::lastScheduledClean);
}

int64_t lastScheduledFreed() {
    auto value = stored(Key::lastScheduledFreed);
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

void setLastScheduledFreed(int64_t bytes) {
    store().set(Key::lastScheduledFreed, bytes);
}

bool boolean(const std::string& key) {
    return booleanIn(store().document(), key);
}

void setBoolean(const std::string& key, bool value) {
    store().set(key, value);
}
void setInteger(const std::string& key, int64_t value) {
    store().set(key, value);
}

std::optional<std::string> string(const std::string& key) {
    auto value = stored(key);
    if (!value || !value->is_string()) return std::nullopt;
    return value->get<std::string>();
}

void setString(const std::string& key, const std::string& value) {
    store().set(key, value);
}

std::vector<std::string> stringList(const std::string& key) {
    return stringListIn(store().document(), key);
}

void setStringList(const std::string& key, const std::vector<std::string>& value) {
    store().set(key, json(value));
}

void remove(const std::string& key) {
    store().remove(key);
}

DiskScanner configured(DiskScanner scanner) {
    json settings = store().document();
    scanner.staleAfter = appMonthsIn(settings) * 30.0 * kDay;
    scanner.downloadsAge = downloadsDaysIn(settings) * kDay;
    scanner.neverTouch = stringListIn(settings, Key::neverTouch);
    scanner.projectStaleAfter = projectMonthsIn(settings) * 30.0 * kDay;
    scanner.includeDocker = booleanIn(settings, Key::includeDocker);
    scanner.aiSessionAge = aiSessionDaysIn(settings) * kDay;
    scanner.privateFoldersAllowed =
        Permissions::hasFullDiskAccess() || booleanIn(settings, Key::downloadsAsked);
    return scanner;
}

} // namespace kelvora::Prefs
