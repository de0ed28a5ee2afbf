#include "onboarding/SettingsText.h"

#include "catalog/PlainWords.h"
#include "catalog/RelativeDate.h"
#include "controller/Prefs.h"
#include "design/Spoken.h"
#include "model/Format.h"
#include "platform/Url.h"

#include <algorithm>

namespace kelvora {

SettingsValues SettingsValues::from(const nlohmann::json& settings) {
    SettingsValues values;
    values.shelfDays = Prefs::shelfDays(settings);
    values.appMonths = Prefs::appMonths(settings);
    values.downloadsDays = Prefs::downloadsDays(settings);
    values.projectMonths = Prefs::projectMonths(settings);
    values.includeDocker = Prefs::boolean(settings, Prefs::Key::includeDocker);
    values.aiSessionDays = Prefs::aiSessionDays(settings);
    values.showMenuBar = Prefs::showMenuBar(settings);
    values.scheduledClean = Prefs::boolean(settings, Prefs::Key::scheduledClean);
    values.scheduleDays = Prefs::scheduleDays(settings);
    values.appearance = Prefs::string(settings, Prefs::Key::appearance).value_or("system");
    values.lastScheduledClean = Prefs::lastScheduledClean(settings);
    values.lastScheduledFreed = Prefs::lastScheduledFreed(settings);
    return values;
}

namespace SettingsText {

QString title(Choice choice) {
    switch (choice) {
    case Choice::shelfDays:
        return "Hold old downloads, apps and the Trash for";
    case Choice::appMonths:
        return "An app nobody has opened for";
    case Choice::downloadsDays:
        return "A used installer or zip in Downloads after";
    case Choice::aiSessionDays:
        return "List AI chats untouched for";
    case Choice::projectMonths:
        return "List build folders in projects unchanged for";
    case Choice::scheduleDays:
        break;
    }
    return "At most";
}

const char* key(Choice choice) {
    switch (choice) {
    case Choice::shelfDays:
        return Prefs::Key::shelfDays;
    case Choice::appMonths:
        return Prefs::Key::appMonths;
    case Choice::downloadsDays:
        return Prefs::Key::downloadsDays;
    case Choice::aiSessionDays:
        return Prefs::Key::aiSessionDays;
    case Choice::projectMonths:
        return Prefs::Key::projectMonths;
    case Choice::scheduleDays:
        break;
    }
    return Prefs::Key::scheduleDays;
}

int value(const SettingsValues& values, Choice choice) {
    switch (choice) {
    case Choice::shelfDays:
        return values.shelfDays;
    case Choice::appMonths:
        return values.appMonths;
    case Choice::downloadsDays:
        return values.downloadsDays;
    case Choice::aiSessionDays:
        return values.aiSessionDays;
    case Choice::projectMonths:
        return values.projectMonths;
    case Choice::scheduleDays:
        break;
    }
    return values.scheduleDays;
}

const std::vector<Entry>& entries(Choice choice) {
    static const std::vector<Entry> shelf = {{7, "7 days"}, {14, "14 days"}, {30, "30 days"}};
    static const std::vector<Entry> apps = {{3, "3 months"}, {6, "6 months"}, {12, "1 year"}};
    static const std::vector<Entry> downloads = {{7, "1 week"}, {14, "2 weeks"}, {30, "1 month"}};
    static const std::vector<Entry> chats = {{7, "1 week"}, {30, "30 days"}, {90, "90 days"}};
    static const std::vector<Entry> projects = {{1, "1 month"}, {3, "3 months"}, {6, "6 months"}};
    static const std::vector<Entry> schedule = {
        {1, "Every day"}, {7, "Every week"}, {30, "Every month"}};
    switch (choice) {
    case Choice::shelfDays:
        return shelf;
    case Choice::appMonths:
        return apps;
    case Choice::downloadsDays:
        return downloads;
    case Choice::aiSessionDays:
        return chats;
    case Choice::projectMonths:
        return projects;
    case Choice::scheduleDays:
        break;
    }
    return schedule;
}

std::optional<QString> label(Choice choice, int value) {
    for (const Entry& entry : entries(choice))
        if (entry.value == value) return entry.label;
    return std::nullopt;
}

const std::vector<std::pair<std::string, QString>>& appearances() {
    static const std::vector<std::pair<std::string, QString>> all = {
        {"system", "Match my computer"}, {"light", "Light"}, {"dark", "Dark"}};
    return all;
}

HelperNote helperNote(const ShelfSweeper::Status& helper, const std::optional<std::string>& error) {
    using Case = ShelfSweeper::Status::Case;
    if (error) return {HelperNote::Kind::error, QString::fromStdString(*error)};
    if (helper.which == Case::needsApproval)
        return {HelperNote::Kind::needsApproval, "It starts with your next login."};
    if (helper.which == Case::unavailable)
        return {HelperNote::Kind::unavailable, QString::fromStdString(helper.reason)};
    return {};
}

bool helperSwitchOn(const ShelfSweeper::Status& helper) {
    using Case = ShelfSweeper::Status::Case;
    return helper.which == Case::on || helper.which == Case::needsApproval;
}

std::optional<QString> lastRan(std::optional<Date> last, int64_t freed, Date now) {
    if (!last) return std::nullopt;
    QString when = QString::fromStdString(PlainWords::relativeDate(*last, now));
    if (freed < 1) return "Last ran " + when + ", with too little to clear.";
    return "Last ran " + when + ", freeing " + QString::fromStdString(Format::size(freed)) + ".";
}

QString displayPath(const std::string& path, const std::string& home) {
    std::string shown = path.empty() ? path : URL::fileURL(path).path();
    return QString::fromStdString(PlainWords::homeRelativePath(shown, home));
}

RemoveWords removeWords(const std::string& path, const std::string& home) {
    const QString shown = displayPath(path, home);
    const QString whole = QString::fromStdString(path);
    return {"Remove " + shown,
            Spoken::join({whole == shown ? QString() : whole, "Kelvora may list it again."})};
}

std::vector<std::string> adding(std::vector<std::string> list, const QStringList& chosen) {
    for (const QString& path : chosen) {
        std::string text = path.toStdString();
        if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
    }
    return list;
}

std::vector<std::string> removing(std::vector<std::string> list, const std::string& path) {
    list.erase(std::remove(list.begin(), list.end(), path), list.end());
    return list;
}

} // namespace SettingsText
} // namespace kelvora
