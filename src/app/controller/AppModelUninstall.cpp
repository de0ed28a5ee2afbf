#include "controller/AppModel.h"

#include "clean/AdminUnlock.h"
#include "controller/BackgroundTask.h"
#include "controller/Prefs.h"
#include "model/Format.h"
#include "platform/FileSystem.h"

#include <QFileSystemWatcher>
#include <QStringList>
#include <QTimer>

#include <unistd.h>

namespace kelvora {

namespace {

constexpr const char* kOnlyApplications =
    "Kelvora can only do this for apps in the Applications folder.";
constexpr const char* kStillLocked =
    "The app still can’t be moved. Try moving it to the Trash in your file manager.";

std::string refusal(const std::string& name, DiskScanner::AppRefusal why) {
    switch (why) {
    case DiskScanner::AppRefusal::notAnApp:
        return name + " isn’t an app Kelvora can read, so Kelvora won’t remove it.";
    case DiskScanner::AppRefusal::kelvora:
        return name + " is Kelvora itself, so Kelvora won’t remove it.";
    case DiskScanner::AppRefusal::flatpak:
        return name + " is a Flatpak app, so Kelvora won’t remove it. Remove it in your software "
                      "manager (or with flatpak uninstall); Kelvora then offers the data it "
                      "leaves in ~/.var/app.";
    case DiskScanner::AppRefusal::snap:
        return name + " is a snap, so Kelvora won’t remove it. Remove it in your software "
                      "manager (or with snap remove); Kelvora then offers the data it leaves in "
                      "~/snap.";
    case DiskScanner::AppRefusal::packageManager:
        return name + " came with a package of the system’s package manager, so Kelvora won’t "
                      "remove it. Remove it in your software manager.";
    case DiskScanner::AppRefusal::system:
        break;
    }
    return name + " is part of macOS (or Kelvora itself), so Kelvora won’t remove it.";
}

AppModel::Notice noticeFor(const ScanItem& leftovers) {
    std::string name = leftovers.leftover() ? leftovers.leftover()->name : "";
    if (leftovers.leftover() &&
        leftovers.leftover()->kind == ScanItem::LeftoverInfo::Kind::appImage)
        return {name + " was removed", "Its menu entry and icon stayed behind (" +
                                           Format::size(leftovers.bytes) +
                                           "). Kelvora can move them onto the Undo Shelf."};
    return {name + " was removed", "It left " + Format::size(leftovers.bytes) +
                                       " of settings and data behind. Kelvora can move them "
                                       "onto the Undo Shelf."};
}

} // namespace

void AppModel::prepareUninstall(const URL& app) {
    DiskScanner configured = Prefs::configured(scanner_);
    assign(uninstallReport_, std::optional<CleanReport>(), Area::uninstall);
    using Prepared = std::pair<std::optional<ScanItem>, std::string>;
    inBackground(
        [configured, app] {
            Prepared prepared{configured.uninstallItem(app), {}};
            if (!prepared.first)
                prepared.second =
                    refusal(DiskScanner::appDisplayName(app),
                            configured.appRefusal(app).value_or(DiskScanner::AppRefusal::notAnApp));
            return prepared;
        },
        [this](Prepared prepared) {
            if (prepared.first)
                assign(uninstallTarget_, std::move(prepared.first), Area::uninstall);
            else
                setShelfError(prepared.second);
        });
}

void AppModel::reviewRemovedAppLeftovers() {
    if (!removedAppLeftovers_) return;
    Changes changes(*this);
    assign(uninstallReport_, std::optional<CleanReport>(), Area::uninstall);
    assign(uninstallTarget_, removedAppLeftovers_, Area::uninstall);
}

void AppModel::confirmUninstall() {
    // A second confirmation while the first runs would hand the same files to the
    // cleaner twice.
    if (!uninstallTarget_ || uninstallRunning_) return;
    uninstall(*uninstallTarget_);
}

void AppModel::uninstall(const ScanItem& item) {
    uninstallRunning_ = true;
    cleanInBackground({item}, itemNames(), [this, item](CleanEnd end) {
        uninstallRunning_ = false;
        CleanReport& report = end.report;
        // The sheet may have been closed and opened on another application meanwhile; this
        // report must not appear there as if that one had been removed.
        if (uninstallTarget_ && uninstallTarget_->location == item.location)
            assign(uninstallReport_, std::optional<CleanReport>(std::move(report)),
                   Area::uninstall);
        // A removal the watcher noticed while this ran keeps its notice.
        if (item.kind == JunkKind::leftovers &&
            (!removedAppLeftovers_ || removedAppLeftovers_->location == item.location)) {
            removedAppLeftovers_.reset();
            assign(removedAppNotice_, std::optional<Notice>(), Area::uninstall);
        }
        assign(sweeps_, std::move(end.sweeps), Area::shelf);
        assign(diskNow_, end.disk, Area::disk);
    });
}

void AppModel::removeWithPassword(const ScanItem& item) {
    if (!item.lockedReason || item.targets.empty()) return setShelfError(kOnlyApplications);
    const URL& app = item.targets.front();
    std::optional<std::string> command;
    if (AdminUnlock::isUnlockable(app)) command = AdminUnlock::command({app}, getuid());
    if (!command) return setShelfError(kOnlyApplications);
    std::string appName =
        item.app() ? item.app()->name : app.deletingPathExtension().lastPathComponent();

    AdminOutcome outcome = tools_.releaseAsAdmin(*command, appName);
    if (outcome.kind == AdminOutcome::Kind::cancelled) return;
    if (outcome.kind == AdminOutcome::Kind::failed)
        return setShelfError("The system didn’t hand the app over: " +
                             (outcome.message.empty() ? "unknown error" : outcome.message));

    std::optional<ScanItem> fresh = Prefs::configured(scanner_).uninstallItem(app);
    if (!fresh || fresh->lockedReason) return setShelfError(kStillLocked);
    Changes changes(*this);
    assign(uninstallReport_, std::optional<CleanReport>(), Area::uninstall);
    assign(uninstallTarget_, std::move(fresh), Area::uninstall);
}

void AppModel::closeUninstall() {
    Changes changes(*this);
    assign(uninstallTarget_, std::optional<ScanItem>(), Area::uninstall);
    assign(uninstallReport_, std::optional<CleanReport>(), Area::uninstall);
}

// ---- The watcher of the application folders ----

// The first list reads every menu entry and every app folder, so it is read in the
// background as each re-read is; a change announced meanwhile is read once it is in.
void AppModel::watchForRemovedApps() {
    if (!remembersPicks_) return;
    watcher_ = new QFileSystemWatcher(this);
    watchApplicationFolders();
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString& folder) { folderChanged(folder); });
    watchPending_ = true;
    inBackground([scanner = scanner_] { return scanner.installedApps(); },
                 [this](std::vector<InstalledApp> apps) {
                     installed_ = std::move(apps);
                     assign(appsRead_, true, Area::uninstall);
                     watchPending_ = false;
                     if (watchDirty_) {
                         watchDirty_ = false;
                         appsChanged();
                     }
                 });
}

// Folders that do not exist are left out; they are taken in once a re-read finds them.
void AppModel::watchApplicationFolders() {
    QStringList watched = watcher_->directories();
    for (const auto& folder : scanner_.installedAppFolders()) {
        QString path = QString::fromStdString(folder.path());
        auto info = fileInfo(folder);
        if (info && info->isDirectory() && !watched.contains(path)) watcher_->addPath(path);
    }
}

void AppModel::appsChanged() {
    // Events during a pending re-read are remembered, so a change they alone announce is
    // read once the current re-read ends instead of being lost.
    if (watchPending_) {
        watchDirty_ = true;
        return;
    }
    watchPending_ = true;
    QTimer::singleShot(watchDelay_, this, [this] { rereadApps(); });
}

void AppModel::rereadApps() {
    DiskScanner configured = Prefs::configured(scanner_);
    std::vector<InstalledApp> before = installed_;
    inBackground(
        [configured, before] {
            std::vector<InstalledApp> now = configured.installedApps();
            std::optional<ScanItem> found;
            for (const auto& app : DiskScanner::removed(before, now))
                if ((found = configured.leftovers(app))) break;
            return std::make_pair(std::move(now), std::move(found));
        },
        [this](std::pair<std::vector<InstalledApp>, std::optional<ScanItem>> value) {
            installed_ = std::move(value.first);
            watchPending_ = false;
            if (value.second) {
                removedAppLeftovers_ = value.second;
                assign(removedAppNotice_, std::optional<Notice>(noticeFor(*value.second)),
                       Area::uninstall);
            }
            // A folder that was removed and made again drops out of the watch; take it back.
            watchApplicationFolders();
            if (watchDirty_) {
                watchDirty_ = false;
                appsChanged();
            }
        });
}

} // namespace kelvora
