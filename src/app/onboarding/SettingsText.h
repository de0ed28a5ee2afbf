#pragma once

#include "controller/ShelfSweeper.h"
#include "platform/Date.h"

#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The settings the settings window shows, as the rest of the application reads them: a
// missing key, a value of another type, or a number of days or months the store would not
// use reads as the default. Taken from the settings the controller holds.
struct SettingsValues {
    int shelfDays = 7;
    int appMonths = 6;
    int downloadsDays = 7;
    int projectMonths = 3;
    bool includeDocker = false;
    int aiSessionDays = 30;
    bool showMenuBar = true;
    bool scheduledClean = false;
    int scheduleDays = 7;
    std::string appearance = "system";
    std::optional<Date> lastScheduledClean;
    int64_t lastScheduledFreed = 0;

    static SettingsValues from(const nlohmann::json& settings);
    bool operator==(const SettingsValues&) const = default;
};

namespace SettingsText {

// The numbered settings chosen from a pop-up, in the order the window shows them.
enum class Choice {
    shelfDays,
    appMonths,
    downloadsDays,
    aiSessionDays,
    projectMonths,
    scheduleDays
};

struct Entry {
    int value;
    QString label;
    bool operator==(const Entry&) const = default;
};

QString title(Choice choice);
const char* key(Choice choice);
int value(const SettingsValues& values, Choice choice);
// The pop-up's entries, smallest number first.
const std::vector<Entry>& entries(Choice choice);
// The label of a stored number; none for a number the pop-up does not offer.
std::optional<QString> label(Choice choice, int value);

// The appearance segments: the stored value and its label, in order.
const std::vector<std::pair<std::string, QString>>& appearances();

// The note under the helper switch.
struct HelperNote {
    enum class Kind { none, error, needsApproval, unavailable };
    Kind kind = Kind::none;
    QString text;
    bool operator==(const HelperNote&) const = default;
};
HelperNote helperNote(const ShelfSweeper::Status& helper, const std::optional<std::string>& error);
// The helper switch is on while the helper is registered, approved or not.
bool helperSwitchOn(const ShelfSweeper::Status& helper);

// "Last ran yesterday, freeing 1.2 GB."; none before the first scheduled clean.
std::optional<QString> lastRan(std::optional<Date> last, int64_t freed, Date now);

// A stored never-touch path as the list shows it: "/private/var/" as "/var/", and the home
// folder as "~".
QString displayPath(const std::string& path, const std::string& home);

// The button that takes a stored path off the list, as assistive technology hears it: named
// as its row reads ("Remove ~/Videos"), and described by the whole path where the row
// shortens it and by what taking it off does.
struct RemoveWords {
    QString name;
    QString description;
};
RemoveWords removeWords(const std::string& path, const std::string& home);

// The list with the chosen paths it does not hold yet appended, in the order chosen.
std::vector<std::string> adding(std::vector<std::string> list, const QStringList& chosen);
// The list without any entry equal to `path`.
std::vector<std::string> removing(std::vector<std::string> list, const std::string& path);

} // namespace SettingsText
} // namespace kelvora
