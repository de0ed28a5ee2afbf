#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/Log.h"
#include "platform/Text.h"

#include <algorithm>
#include <set>

namespace kelvora {

const std::set<std::string>& DiskScanner::downloadCaches() {
    static const std::set<std::string> names = {
        "Homebrew", "pip",       "pipenv",          "pypoetry",
        "uv",       "node-gyp",  "typescript",      "Yarn",
        "pnpm",     "bun",       "CocoaPods",       "org.swift.swiftpm",
        "go-build", "JetBrains", "ms-playwright",   "ms-playwright-go",
        "Cypress",  "electron",  "electron-builder"};
    return names;
}

// The same tool names its cache "Yarn" on one system and "yarn" on another.
bool DiskScanner::isDownloadCache(const std::string& folderName) {
    return std::any_of(
        downloadCaches().begin(), downloadCaches().end(),
        [&](const std::string& name) { return equalsIgnoringCase(name, folderName); });
}

bool DiskScanner::isBuiltHere(const std::string& folderName) {
    return equalsIgnoringCase(folderName, "go-build") ||
           equalsIgnoringCase(folderName, "JetBrains");
}

std::optional<RunningApp> DiskScanner::appUsing(const std::string& cacheFolder,
                                                const std::vector<RunningApp>& apps) {
    const std::string folder = lowercased(cacheFolder);
    for (const auto& app : apps) {
        const std::string bundle = lowercased(app.bundleID);
        const std::string name = lowercased(app.name);
        // The first part only says where the maker is ("com", "org", "io"): on its own it
        // names no application, so only the later parts are matched one by one.
        auto laterParts = splitNonEmpty(bundle, '.');
        const bool makerOnly = laterParts.size() > 1 && folder == laterParts.front();
        if (!laterParts.empty()) laterParts.erase(laterParts.begin());
        if (folder == bundle || folder == name ||
            (!makerOnly && startsWith(bundle, folder + ".")) || startsWith(folder, bundle + ".") ||
            std::find(laterParts.begin(), laterParts.end(), folder) != laterParts.end()) {
            return app;
        }
    }
    return std::nullopt;
}

namespace {

// A cache folder and the entries inside it that removing it would take.
struct CacheFolder {
    URL url;
    std::string name;
    std::vector<URL> targets;
};

// Folders inside a cache folder that the local-model scan offers on their own, with what
// they hold; a cache clean must not sweep them away with the rest.
bool offeredAsModels(const std::string& cacheName, const std::string& entryName) {
    return (cacheName == "huggingface" && entryName == "hub") ||
           (cacheName == "lm-studio" && entryName == "models");
}

// Folders of the system's cache folder that hold what nothing makes again.
const std::set<std::string>& keptLinuxCaches() {
    static const std::set<std::string> names = {
        "doc",   // the document portal mounts the files it shares with sandboxed apps here
        "ibus",  // the input method's learned words and phrases (libpinyin's user_bigram.db)
        "obexd", // files received over Bluetooth are saved here
    };
    return names;
}

bool neverOffered(const std::string& name, const std::optional<std::string>& ownBundleID) {
    return startsWith(name, "com.apple.") || name == "CloudKit" || name == "FamilyCircle" ||
           name == "GeoServices" || name == kAppName || (ownBundleID && name == *ownBundleID) ||
           keptLinuxCaches().count(name);
}

void collectCacheFolders(const URL& root, const std::optional<std::string>& ownBundleID,
                         std::vector<CacheFolder>& folders) {
    const Listing caches = listFolder(root);
    for (const auto& entry : caches.entries) {
        // A linked cache folder would hand us targets outside the scanned place.
        if (entry.isSymlink() || neverOffered(entry.name, ownBundleID)) continue;
        const Listing contents = listFolder(entry.url);
        if (!contents.ok()) continue;
        CacheFolder folder{entry.url, entry.name, {}};
        for (const auto& inner : contents.entries)
            if (!offeredAsModels(entry.name, inner.name)) folder.targets.push_back(inner.url);
        if (!folder.targets.empty()) folders.push_back(std::move(folder));
    }
}

// Every entry of a cache folder is offered as rebuilding itself, so a folder that holds the
// user's own files, the settings of every program or what they keep (the Undo Shelf among
// it) must never be one.
std::optional<std::string> whyNotCaches(const URL& home, const URL& root,
                                        const HomeFolders& places) {
    // Through a link the scan would offer, and a clean delete, what lies elsewhere.
    if (reachedThroughLink(home, root)) return "a link leads to it";
    struct Kept {
        URL folder;
        std::string what;
    };
    std::vector<Kept> kept = {{home, "the home folder"},
                              {places.config(), "the config folder"},
                              {places.data(), "the data folder"}};
    for (const URL& folder : places.userFolders())
        kept.push_back({folder, "the user folder"});
    for (const auto& [folder, what] : kept) {
        for (const auto& rootForm : bothForms(root)) {
            for (const auto& keptForm : bothForms(folder)) {
                const std::string named = what + " " + folder.path();
                if (rootForm == keptForm) return "it is " + named;
                if (isSameOrInside(keptForm, rootForm)) return "it holds " + named;
                // The home holds every usual cache folder.
                if (folder != home && isSameOrInside(rootForm, keptForm))
                    return "it lies inside " + named;
            }
        }
    }
    return std::nullopt;
}

} // namespace

bool DiskScanner::isKeptCache(const std::string& folderName) {
    return keptLinuxCaches().count(folderName) > 0;
}

std::vector<URL> DiskScanner::cacheRoots() const {
    const HomeFolders places(home);
    std::vector<URL> roots;
    for (const URL& root : {home.appending("Library/Caches", true), places.cache()}) {
        const std::string real = root.resolvingSymlinks().path();
        if (std::any_of(roots.begin(), roots.end(),
                        [&](const URL& other) { return other.resolvingSymlinks().path() == real; }))
            continue;
        if (auto reason = whyNotCaches(home, root, places)) {
            logOnce("The cache folder " + root.path() + " is ignored: " + *reason + ".");
            continue;
        }
        roots.push_back(root);
    }
    return roots;
}

std::vector<ScanItem> DiskScanner::scanCaches(const std::vector<RunningApp>& apps,
                                              FileCounter& counter) const {
    std::vector<CacheFolder> folders;
    for (const auto& root : cacheRoots())
        collectCacheFolders(root, ownBundleID, folders);
    std::vector<std::vector<URL>> groups;
    for (const auto& folder : folders)
        groups.push_back(folder.targets);
    const auto sizes = freedSizes(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < folders.size(); ++i) {
        CacheFolder& folder = folders[i];
        ScanItem item;
        item.kind = JunkKind::caches;
        item.location = folder.url;
        item.targets = std::move(folder.targets);
        item.bytes = sizes[i];
        if (auto app = appUsing(folder.name, apps)) item.inUseBy = app->name;
        item.baseVerdict = isDownloadCache(folder.name) ? Verdict::rebuilds : Verdict::safe;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
