#include "engine/DiskScanner.h"
#include "platform/AppBundle.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <set>
#include <unordered_set>

namespace kelvora {

namespace {

const char* const kLockedReason = "Installed by an administrator";

// Only a real folder is a bundle: a link or a file with the extension is not one.
std::optional<std::string> folderBundleIdentifier(const URL& bundle) {
    auto info = fileInfo(bundle);
    if (!info || !info->isDirectory()) return std::nullopt;
    return bundleIdentifier(bundle);
}

// Applications that came with the system may not be removed; one from the App Store may.
bool isSystemApp(const URL& bundle, const std::string& bundleID) {
    if (!startsWith(bundleID, "com.apple.")) return false;
    return !fileExists(bundle.appending("Contents").appending("_MASReceipt").path());
}

std::vector<std::string> placesOf(const std::vector<URL>& files) {
    std::set<std::string> places;
    for (const auto& file : files)
        places.insert(file.deletingLastPathComponent().lastPathComponent());
    return {places.begin(), places.end()};
}

} // namespace

std::vector<InstalledApp> DiskScanner::installedApps() const {
    std::vector<InstalledApp> apps;
    for (const auto& entry : appBundles())
        if (auto identifier = folderBundleIdentifier(entry.app))
            apps.push_back({*identifier, entry.app.deletingPathExtension().lastPathComponent(),
                            entry.app.path()});
    return apps;
}

ScanItem DiskScanner::noted(ScanItem item) const {
    std::vector<ScanItem> one{std::move(item)};
    noteScanFolders(one);
    return std::move(one.front());
}

std::optional<DiskScanner::AppRefusal> DiskScanner::appRefusal(const URL& bundle) const {
    if (bundle.pathExtension() != "app") return AppRefusal::notAnApp;
    auto identifier = folderBundleIdentifier(bundle);
    if (!identifier) return AppRefusal::notAnApp;
    if (ownBundleID && *ownBundleID == *identifier) return AppRefusal::kelvora;
    if (isSystemApp(bundle, *identifier)) return AppRefusal::system;
    return std::nullopt;
}

std::optional<ScanItem> DiskScanner::uninstallItem(const URL& bundle) const {
    if (appRefusal(bundle)) return std::nullopt;
    auto identifier = folderBundleIdentifier(bundle);
    if (!identifier) return std::nullopt;

    std::string name = bundle.deletingPathExtension().lastPathComponent();
    std::vector<URL> leftovers = leftoverFiles(*identifier, name);
    ScanItem item;
    item.kind = JunkKind::apps;
    item.location = bundle;
    item.targets.push_back(bundle);
    item.targets.insert(item.targets.end(), leftovers.begin(), leftovers.end());
    for (const auto& running : runningApps())
        if (equalsIgnoringCase(running.bundleID, *identifier)) {
            item.inUseBy = running.name;
            break;
        }
    FileCounter counter;
    item.bytes = freedSizes({item.targets}, counter).front();
    item.baseVerdict = Verdict::youDecide;
    if (!canMove(bundle)) item.lockedReason = kLockedReason;
    std::optional<Date> lastOpened;
    if (auto usage = appUsage(bundle)) lastOpened = usage->lastOpened;
    item.record =
        ScanItem::AppInfo{name, *identifier, lastOpened, static_cast<int>(leftovers.size())};
    return noted(std::move(item));
}

std::vector<InstalledApp> DiskScanner::removed(const std::vector<InstalledApp>& older,
                                               const std::vector<InstalledApp>& newer) {
    std::unordered_set<std::string> still;
    for (const auto& app : newer)
        still.insert(app.bundleID);
    std::vector<InstalledApp> gone;
    for (const auto& app : older)
        if (!still.count(app.bundleID)) gone.push_back(app);
    return gone;
}

std::optional<ScanItem> DiskScanner::leftovers(const InstalledApp& removedApp) const {
    if (isInstalled(removedApp.bundleID)) return std::nullopt;
    std::vector<URL> files = leftoverFiles(removedApp.bundleID, removedApp.name);
    if (files.empty()) return std::nullopt;

    FileCounter counter;
    std::optional<Date> lastChanged;
    for (const auto& file : files)
        if (auto changed = modificationDate(file);
            changed && (!lastChanged || *changed > *lastChanged))
            lastChanged = changed;
    ScanItem item;
    item.kind = JunkKind::leftovers;
    item.location = files.front();
    item.targets = files;
    item.bytes = std::max<int64_t>(freedSizes({files}, counter).front(), 1);
    item.baseVerdict = Verdict::youDecide;
    item.record =
        ScanItem::LeftoverInfo{ScanItem::LeftoverInfo::Kind::appFiles, removedApp.bundleID,
                               removedApp.name, placesOf(files), lastChanged};
    return noted(std::move(item));
}

} // namespace kelvora
