#pragma once

#include "catalog/Catalog.h"
#include "controller/SettingsStore.h"
#include "engine/DiskScanner.h"
#include "login/LoginItemScanner.h"
#include "model/PickList.h"
#include "platform/Date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The application's settings: typed reads over the settings document, each with a fixed
// default that holds when the key is missing or holds a value of another type.
namespace Prefs {

namespace Key {
inline constexpr const char* appMonths = "appMonths";
inline constexpr const char* projectMonths = "projectMonths";
inline constexpr const char* aiSessionDays = "aiSessionDays";
inline constexpr const char* downloadsDays = "downloadsDays";
inline constexpr const char* shelfDays = "shelfDays";
inline constexpr const char* scheduleDays = "scheduleDays";
inline constexpr const char* showMenuBar = "showMenuBar";
inline constexpr const char* includeDocker = "includeDocker";
inline constexpr const char* downloadsAsked = "downloadsAsked";
inline constexpr const char* neverTouch = "neverTouch";
inline constexpr const char* scheduledClean = "scheduledClean";
inline constexpr const char* welcomeDone = "welcomeDone";
inline constexpr const char* shelfHelperDecided = "shelfHelperDecided";
inline constexpr const char* openAtLoginChecked = "openAtLoginChecked";
inline constexpr const char* picks = "picks";
inline constexpr const char* turnedOffLoginApps = "turnedOffLoginApps";
inline constexpr const char* lastScheduledClean = "lastScheduledClean";
inline constexpr const char* lastScheduledFreed = "lastScheduledFreed";
inline constexpr const char* appearance = "appearance";
inline constexpr const char* viewMode = "viewMode";
} // namespace Key

enum class Appearance { system, light, dark };
std::string rawValue(Appearance appearance);
std::optional<Appearance> appearanceFromRawValue(const std::string& text);
const std::vector<Appearance>& allAppearances();

// The user's settings file, looked up afresh on each use.
SettingsStore store();

// Each read comes in two forms: from the file as it is now, and from one copy of the
// document, so that a reader holding the settings (the controller) reads the file once.
using Settings = nlohmann::json;

int appMonths();
int appMonths(const Settings& settings);
int projectMonths();
int projectMonths(const Settings& settings);
int aiSessionDays();
int aiSessionDays(const Settings& settings);
int downloadsDays();
int downloadsDays(const Settings& settings);
int shelfDays();
int shelfDays(const Settings& settings);
int scheduleDays();
int scheduleDays(const Settings& settings);
// The hold and ages the catalog's texts insert.
Catalog::Settings catalogSettings(const Settings& settings);
bool showMenuBar();
bool showMenuBar(const Settings& settings);
Appearance appearance();

PickList picks();
PickList picks(const Settings& settings);
// Every write says whether it was saved, and why not.
SettingsStore::Write setPicks(const PickList& picks);
// Empty when any element is not a dictionary of texts; an entry lacking "name" or "path"
// is skipped.
std::vector<LoginItemScanner::OpenAtLoginApp> turnedOffLoginApps();
SettingsStore::Write
setTurnedOffLoginApps(const std::vector<LoginItemScanner::OpenAtLoginApp>& apps);
std::optional<Date> lastScheduledClean();
std::optional<Date> lastScheduledClean(const Settings& settings);
SettingsStore::Write setLastScheduledClean(std::optional<Date> date);
int64_t lastScheduledFreed();
int64_t lastScheduledFreed(const Settings& settings);
SettingsStore::Write setLastScheduledFreed(int64_t bytes);

// Plain reads and writes for the keys without a typed accessor. A missing key or a value
// of another type reads as false, nothing or an empty list.
bool boolean(const std::string& key);
bool boolean(const Settings& settings, const std::string& key);
SettingsStore::Write setBoolean(const std::string& key, bool value);
SettingsStore::Write setInteger(const std::string& key, int64_t value);
std::optional<std::string> string(const std::string& key);
std::optional<std::string> string(const Settings& settings, const std::string& key);
SettingsStore::Write setString(const std::string& key, const std::string& value);
std::vector<std::string> stringList(const std::string& key);
std::vector<std::string> stringList(const Settings& settings, const std::string& key);
SettingsStore::Write setStringList(const std::string& key, const std::vector<std::string>& value);
SettingsStore::Write remove(const std::string& key);

// A copy of the scanner with the user's ages, never-touch list, container switch and
// private-folder permission applied.
DiskScanner configured(DiskScanner scanner);

// Sets the running application's appearance from the setting: the design's palette for it
// and its text face (made with the design, in design/ThemePalette.cpp); needs the Qt
// application.
void applyAppearance();

} // namespace Prefs
} // namespace kelvora
