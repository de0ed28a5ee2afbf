#include "engine/DiskScanner.h"

#include "platform/AppBundle.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"
#include "platform/Text.h"

#include <algorithm>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kelvora {

namespace {

bool hasIdentifier(const URL& app, const std::string& bundleID) {
    auto id = bundleIdentifier(app);
    return id && equalsIgnoringCase(*id, bundleID);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

bool isHelperTool(const std::string& lowerName) {
    for (const char* word : {"uninstall", "maintenancetool", "updater", "update helper"})
        if (contains(lowerName, word)) return true;
    return false;
}

std::string stem(const URL& url) {
    return lowercased(url.deletingPathExtension().lastPathComponent());
}

// A sub-folder of an application folder: one level down, and the folder goes with the
// application when exactly one bundle's name and the folder's name begin alike.
std::vector<DiskScanner::AppBundleEntry> bundlesInSubfolder(const URL& folder) {
    std::vector<URL> bundles;
    for (const auto& entry : listFolder(folder).entries)
        if (entry.url.pathExtension() == "app") bundles.push_back(entry.url);
    std::string folderName = lowercased(folder.lastPathComponent());
    std::vector<URL> matching;
    for (const auto& bundle : bundles) {
        std::string name = stem(bundle);
        if (startsWith(folderName, name) || startsWith(name, folderName))
            matching.push_back(bundle);
    }
    if (matching.size() == 1) return {{matching.front(), folder}};
    std::vector<DiskScanner::AppBundleEntry> entries;
    for (const auto& bundle : bundles)
        if (!isHelperTool(stem(bundle))) entries.push_back({bundle, std::nullopt});
    return entries;
}

bool isListable(const std::string& bundleID, const URL& bundle,
                const std::optional<std::string>& ownBundleID) {
    if (ownBundleID && bundleID == *ownBundleID) return false;
    if (startsWith(bundleID, "com.apple.InstallAssistant")) return false;
    if (startsWith(bundleID, "com.apple."))
        return fileExists(bundle.appending("Contents").appending("_MASReceipt").path());
    return true;
}

std::optional<std::string> runningName(const std::vector<RunningApp>& apps,
                                       const std::string& bundleID) {
    for (const auto& app : apps)
        if (equalsIgnoringCase(app.bundleID, bundleID)) return app.name;
    return std::nullopt;
}

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool isWritable(const std::string& path) {
    return access(path.c_str(), W_OK) == 0;
}

// The metadata index's dates, where this system keeps them: ISO-8601 text in extended
// attributes of the item itself.
std::optional<Date> recordedDate(const URL& item, const char* attribute) {
    char buffer[128];
    ssize_t length = lgetxattr(item.path().c_str(), attribute, buffer, sizeof buffer);
    if (length <= 0) return std::nullopt;
    // Tools that write C strings leave the terminating zero in the value.
    std::string text(buffer, static_cast<size_t>(length));
    while (!text.empty() && (text.back() == '\0' || text.back() == '\n'))
        text.pop_back();
    return parseIso8601(text);
}

} // namespace

std::vector<DiskScanner::AppBundleEntry> DiskScanner::appBundles(const URL& folder) {
    std::vector<AppBundleEntry> bundles;
    for (const auto& entry : listFolder(folder).entries) {
        if (entry.url.pathExtension() == "app") {
            bundles.push_back({entry.url, std::nullopt});
            continue;
        }
        if (entry.name == "Utilities" || !entry.isDirectory()) continue;
        for (auto& bundle : bundlesInSubfolder(entry.url))
            bundles.push_back(std::move(bundle));
    }
    return bundles;
}

std::vector<DiskScanner::AppBundleEntry> DiskScanner::appBundles() const {
    std::vector<AppBundleEntry> bundles;
    for (const auto& folder : applicationFolders)
        for (auto& bundle : appBundles(folder))
            bundles.push_back(std::move(bundle));
    return bundles;
}

std::vector<URL> DiskScanner::leftoverFiles(const std::string& bundleID,
                                            const std::string& name) const {
    URL library = home.appending("Library");
    std::vector<std::string> places;
    // Identifiers and names come from the bundle itself; one that is no plain file name
    // would point outside the application's own places.
    if (isPlainName(bundleID))
        places = {
            "Application Support/" + bundleID,
            "Preferences/" + bundleID + ".plist",
            "Saved Application State/" + bundleID + ".savedState",
            "HTTPStorages/" + bundleID,
            "HTTPStorages/" + bundleID + ".binarycookies",
            "WebKit/" + bundleID,
            "Cookies/" + bundleID + ".binarycookies",
        };
    if (name.size() > 3 && isPlainName(name)) places.push_back("Application Support/" + name);
    std::set<std::string> found;
    struct stat info {};
    for (const auto& place : places) {
        std::string path = joinPath(library.path(), place);
        if (stat(path.c_str(), &info) == 0) found.insert(path);
    }
    if (isPlainName(bundleID))
        for (const auto& entry : listFolder(library.appending("LaunchAgents")).entries)
            if (entry.url.pathExtension() == "plist" && startsWith(entry.name, bundleID + "."))
                found.insert(entry.url.path());
    std::vector<URL> files;
    for (const auto& path : found)
        files.push_back(URL::fileURL(path));
    return files;
}

bool DiskScanner::canMove(const URL& url) {
    return isWritable(url.path()) && isWritable(parentPath(url.path()));
}

std::optional<AppUsage> DiskScanner::spotlightUsage(const URL& url) {
    AppUsage usage{recordedDate(url, "user.kMDItemLastUsedDate"),
                   recordedDate(url, "user.kMDItemDateAdded")};
    if (!usage.lastOpened && !usage.added) return std::nullopt;
    return usage;
}

std::optional<Date> DiskScanner::lastOpenedDate(std::optional<Date> recorded, Date accessed,
                                                Date modified) {
    if (recorded) return recorded;
    if (modified < accessed) return accessed;
    return std::nullopt;
}

// Letter case aside, as the system matches identifiers; one folder below as well.
std::optional<URL> DiskScanner::applicationURL(const std::string& bundleID,
                                               const std::vector<URL>& folders) {
    for (const auto& folder : folders) {
        auto entries = listFolder(folder).entries;
        for (const auto& entry : entries)
            if (entry.url.pathExtension() == "app" && hasIdentifier(entry.url, bundleID))
                return entry.url;
        for (const auto& entry : entries) {
            if (!entry.isDirectory() || entry.url.pathExtension() == "app") continue;
            for (const auto& inner : listFolder(entry.url).entries)
                if (inner.url.pathExtension() == "app" && hasIdentifier(inner.url, bundleID))
                    return inner.url;
        }
    }
    return std::nullopt;
}

std::vector<ScanItem> DiskScanner::scanApps(const std::vector<RunningApp>& apps,
                                            FileCounter& counter) const {
    Date cutoff = addSeconds(now(), -staleAfter);
    std::vector<ScanItem> items;
    for (const auto& bundle : appBundles()) {
        auto bundleID = bundleIdentifier(bundle.app);
        if (!bundleID || !isListable(*bundleID, bundle.app, ownBundleID)) continue;
        auto usage = appUsage ? appUsage(bundle.app) : std::nullopt;
        if (!usage) continue;
        auto reference = usage->lastOpened ? usage->lastOpened : usage->added;
        if (!reference || !(*reference < cutoff)) continue;

        std::string name = bundle.app.deletingPathExtension().lastPathComponent();
        auto leftovers = leftoverFiles(*bundleID, name);
        URL root = bundle.installFolder.value_or(bundle.app);
        std::vector<URL> targets{root};
        targets.insert(targets.end(), leftovers.begin(), leftovers.end());

        ScanItem item;
        item.kind = JunkKind::apps;
        item.location = bundle.app;
        item.targets = std::move(targets);
        item.inUseBy = runningName(apps, *bundleID);
        item.baseVerdict = Verdict::youDecide;
        if (!canMove(root)) item.lockedReason = "Installed by an administrator";
        item.record = ScanItem::AppInfo{name, *bundleID, usage->lastOpened,
                                        static_cast<int>(leftovers.size())};
        items.push_back(std::move(item));
    }
    // An AppImage records no use of its own: only its file's dates say when it last ran.
    for (const auto& appImage : appImages()) {
        auto lastOpened = appImageUsage(appImage.file);
        if (lastOpened && *lastOpened < cutoff)
            items.push_back(appImageItem(appImage, lastOpened, apps));
    }
    // One walk for all of them, so that the applications are measured side by side.
    std::vector<std::vector<URL>> groups;
    for (const auto& item : items)
        groups.push_back(item.targets);
    auto sizes = freedSizes(groups, counter);
    for (size_t i = 0; i < items.size(); ++i)
        items[i].bytes = sizes[i];
    return items;
}

} // namespace kelvora
