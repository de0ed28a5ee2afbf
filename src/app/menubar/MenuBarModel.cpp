#include "menubar/MenuBarModel.h"

#include "clean/Cleaner.h"
#include "controller/BackgroundTask.h"
#include "controller/Prefs.h"
#include "engine/DiskHistory.h"
#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/Date.h"
#include "platform/Saturating.h"

namespace kelvora {

namespace {

URL homeFolder() {
    return URL::fileURL(AppPaths::home(), true);
}

} // namespace

MenuBarModel::Environment MenuBarModel::Environment::live() {
    Environment environment;
    environment.diskSpace = [] { return DiskScanner::diskSpace(homeFolder()); };
    environment.historyFile = [] { return DiskHistory::defaultFile(); };
    environment.scanCaches = [] { return Prefs::configured(DiskScanner::live()).scanCachesOnly(); };
    environment.clean = [](const std::vector<ScanItem>& items) {
        Cleaner cleaner(DiskScanner::liveRunningApps, DiskScanner::runningProcessPaths,
                        Cleaner::liveRunTool);
        return cleaner.clean(items, std::nullopt, currentDate());
    };
    return environment;
}

MenuBarModel::MenuBarModel(Environment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)), disk_(environment_.diskSpace()) {}

void MenuBarModel::readForecast() {
    forecastDays_ = DiskHistory::load(environment_.historyFile()).daysUntilFull(currentDate());
}

void MenuBarModel::refresh() {
    disk_ = environment_.diskSpace();
    readForecast();
    if (state_.kind == State::Kind::cleaning) {
        emit changed();
        return;
    }
    state_ = State::checking();
    emit changed();
    uint64_t check = ++started_;
    runInBackground(
        this, [scan = environment_.scanCaches] { return scan(); },
        [this, check](std::vector<ScanItem> items) { checked(check, std::move(items)); });
}

void MenuBarModel::checked(uint64_t check, std::vector<ScanItem> items) {
    // A check that a later check or a quick clean overtook measured caches that may be gone:
    // showing it would offer to clear them again.
    if (check <= shown_) return;
    shown_ = check;
    caches_.clear();
    int64_t total = 0;
    for (ScanItem& item : items) {
        if (!item.isRemovableWithoutShelf()) continue;
        addSaturating(total, item.bytes);
        caches_.push_back(std::move(item));
    }
    state_ = State::ready(total);
    emit changed();
}

void MenuBarModel::quickClean() {
    if (state_.kind != State::Kind::ready || state_.bytes < 1) return;
    state_ = State::cleaning();
    shown_ = ++started_;
    emit changed();
    runInBackground(
        this, [clean = environment_.clean, items = caches_] { return clean(items); },
        [this](CleanReport report) { cleaned(report); });
}

void MenuBarModel::cleaned(const CleanReport& report) {
    Date now = currentDate();
    DiskSpace disk = environment_.diskSpace();
    DiskHistory history = DiskHistory::update(environment_.historyFile(), [&](DiskHistory& h) {
        h.recordFreed(report.freed);
        h.record(disk.available, now);
    });
    disk_ = disk;
    forecastDays_ = history.daysUntilFull(now);
    state_ = State::cleaned(report.freed);
    emit changed();
}

} // namespace kelvora
