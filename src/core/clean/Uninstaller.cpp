#include "engine/DiskScanner.h"
#include "platform/AppBundle.h"
#include "platform/AppImages.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
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

// An entry is judged by what it leads to: Flatpak's entries in the menu are links into the
// app's installation.
std::optional<DesktopEntry> desktopEntryAt(const URL& url) {
    if (url.pathExtension() != "desktop") return std::nullopt;
    auto entry = realPath(url.path());
    auto info = entry ? fileInfo(*entry) : std::nullopt;
    if (!info || !info->isRegularFile()) return std::nullopt;
    return DesktopEntry::read(*entry);
}

// Flatpak's exported entries run "flatpak run <id>" and name the id; snapd's run the
// snap's command in /snap/bin.
std::optional<DiskScanner::AppRefusal> toolOwning(const DesktopEntry& entry) {
    const std::string program = entry.program().value_or("");
    if (entry.value("X-Flatpak") || lastComponent(program) == "flatpak")
        return DiskScanner::AppRefusal::flatpak;
    if (entry.value("X-SnapInstanceName") || startsWith(program, "/snap/"))
        return DiskScanner::AppRefusal::snap;
    return std::nullopt;
}

} // namespace

std::vector<InstalledApp> DiskScanner::installedApps() const {
    std::vector<InstalledApp> apps;
    for (const auto& entry : appBundles())
        if (auto identifier = folderBundleIdentifier(entry.app))
            apps.push_back({*identifier, entry.app.deletingPathExtension().lastPathComponent(),
                            entry.app.path()});
    // An AppImage is known by its file's name, as its running process is.
    for (const auto& appImage : appImages())
        apps.push_back({appImage.file.lastPathComponent(), appImage.name, appImage.file.path()});
    for (const auto& app : SandboxApps::flatpakApps(sandboxRoots, diskPlaces()))
        apps.push_back({app.id, app.id, app.folder.path()});
    for (const auto& app : SandboxApps::snaps(sandboxRoots))
        apps.push_back({app.id, app.id, app.folder.path()});
    return apps;
}

std::vector<URL> DiskScanner::installedAppFolders() const {
    std::vector<URL> folders;
    for (const auto& list : {applicationFolders, AppImages::folders(home),
                             SandboxApps::appFolders(sandboxRoots, diskPlaces())})
        for (const URL& folder : list)
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(folder);
    return folders;
}

std::string DiskScanner::appDisplayName(const URL& app) {
    if (auto entry = desktopEntryAt(app))
        if (auto name = entry->localized("Name", messagesLocale()); name && !name->empty())
            return *name;
    return app.deletingPathExtension().lastPathComponent();
}

ScanItem DiskScanner::noted(ScanItem item) const {
    std::vector<ScanItem> one{std::move(item)};
    noteScanFolders(one);
    return std::move(one.front());
}

std::optional<URL> DiskScanner::appImageBehind(const URL& app) const {
    if (AppImages::isAppImage(app.path())) return app;
    auto entry = desktopEntryAt(app);
    auto program = entry ? AppImages::programFile(entry->program().value_or(""), programSearchPath)
                         : std::nullopt;
    if (program && AppImages::isAppImage(*program)) return URL::fileURL(*program);
    return std::nullopt;
}

std::optional<DiskScanner::AppRefusal> DiskScanner::appRefusal(const URL& bundle) const {
    if (auto appImage = appImageBehind(bundle)) {
        if (AppImages::isOwnAppImage(appImage->path())) return AppRefusal::kelvora;
        return std::nullopt;
    }
    if (auto entry = desktopEntryAt(bundle)) {
        if (auto tool = toolOwning(*entry)) return tool;
        // What else the menu lists runs a program of the system's, which came with a package
        // of its package manager; one in the home is the user's own script or tool.
        auto program = AppImages::programFile(entry->program().value_or(""), programSearchPath);
        if (!program) return AppRefusal::notAnApp;
        const bool inHome = isSameOrInside(*program, home.resolvingSymlinks().path()) ||
                            isSameOrInside(*program, home.path());
        if (!inHome || !canMove(URL::fileURL(*program))) return AppRefusal::packageManager;
        return AppRefusal::notAnApp;
    }
    if (bundle.pathExtension() != "app") return AppRefusal::notAnApp;
    auto identifier = folderBundleIdentifier(bundle);
    if (!identifier) return AppRefusal::notAnApp;
    if (ownBundleID && *ownBundleID == *identifier) return AppRefusal::kelvora;
    if (isSystemApp(bundle, *identifier)) return AppRefusal::system;
    return std::nullopt;
}

std::optional<ScanItem> DiskScanner::uninstallItem(const URL& bundle) const {
    if (appRefusal(bundle)) return std::nullopt;
    if (auto file = appImageBehind(bundle)) {
        auto app = appImage(*file);
        if (!app) return std::nullopt;
        ScanItem item = appImageItem(*app, appImageUsage(app->file), runningApps());
        FileCounter counter;
        item.bytes = freedSizes({item.targets}, counter).front();
        return noted(std::move(item));
    }
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

ScanItem DiskScanner::removedAppItem(ScanItem::LeftoverInfo::Kind kind, const std::string& id,
                                     const std::string& name, const std::vector<URL>& files) const {
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
    const auto measured = measure({files}, counter).front();
    item.bytes = std::max<int64_t>(measured.bytes, 1);
    item.baseVerdict = Verdict::youDecide;
    item.record =
        ScanItem::LeftoverInfo{kind, id, name, placesOf(files), lastChanged, measured.files};
    return noted(std::move(item));
}

std::optional<ScanItem> DiskScanner::leftovers(const InstalledApp& removedApp) const {
    if (AppImages::hasAppImageName(removedApp.path)) return appImageLeftovers(removedApp);
    if (auto sandboxed = sandboxAppAt(removedApp)) return sandboxLeftover(*sandboxed);
    if (isInstalled(removedApp.bundleID)) return std::nullopt;
    std::vector<URL> files = leftoverFiles(removedApp.bundleID, removedApp.name);
    if (files.empty()) return std::nullopt;
    return removedAppItem(ScanItem::LeftoverInfo::Kind::appFiles, removedApp.bundleID,
                          removedApp.name, files);
}

std::optional<ScanItem> DiskScanner::appImageLeftovers(const InstalledApp& removedApp) const {
    auto gone = goneAppImage(removedApp);
    if (!gone) return std::nullopt;
    return removedAppItem(ScanItem::LeftoverInfo::Kind::appImage, removedApp.bundleID, gone->name,
                          gone->companions());
}

} // namespace kelvora
