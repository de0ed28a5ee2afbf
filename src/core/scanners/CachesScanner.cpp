#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/HomeFolders.h"
#include "platform/Log.h"
#include "platform/Mounts.h"
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
    bool shelfOnly = false;
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
        "doc",     // the document portal mounts the files it shares with sandboxed apps here
        "ibus",    // the input method's learned words and phrases (libpinyin's user_bigram.db)
        "obexd",   // files received over Bluetooth are saved here
        "kioexec", // KDE's working copies of remote files being edited, saved back from here
        "vim",     // swap files, the only copy of unsaved edits after a crash, beside backups
                   // and undo history
    };
    return names;
}

// JetBrains IDEs keep, among each product's caches, its history of every edit
// (LocalHistory): each product folder is offered by its other entries, never that one.
bool keptInsideProduct(const std::string& cacheName, const std::string& entryName) {
    return equalsIgnoringCase(cacheName, "JetBrains") &&
           equalsIgnoringCase(entryName, "LocalHistory");
}

bool neverOffered(const std::string& name, const std::optional<std::string>& ownBundleID) {
    return startsWith(name, "com.apple.") || name == "CloudKit" || name == "FamilyCircle" ||
           name == "GeoServices" || name == kAppName || (ownBundleID && name == *ownBundleID) ||
           keptLinuxCaches().count(name);
}

// What removing the cache takes: its entries, and of each folder among them that holds what
// must stay, that folder's other entries.
std::vector<URL> cacheTargets(const std::string& cacheName, const Listing& contents) {
    std::vector<URL> targets;
    for (const auto& inner : contents.entries) {
        if (offeredAsModels(cacheName, inner.name)) continue;
        if (!equalsIgnoringCase(cacheName, "JetBrains") || !inner.isDirectory()) {
            targets.push_back(inner.url);
            continue;
        }
        const Listing product = listFolder(inner.url);
        // Unread, it may hold the history: none of it goes.
        if (!product.ok()) continue;
        for (const auto& entry : product.entries)
            if (!keptInsideProduct(cacheName, entry.name)) targets.push_back(entry.url);
    }
    return targets;
}

void collectCacheFolders(const DiskScanner::CacheRoot& root,
                         const std::optional<std::string>& ownBundleID,
                         std::vector<CacheFolder>& folders) {
    const Listing caches = listFolder(root.folder);
    for (const auto& entry : caches.entries) {
        // A linked cache folder would hand us targets outside the scanned place.
        if (entry.isSymlink() || neverOffered(entry.name, ownBundleID)) continue;
        const Listing contents = listFolder(entry.url);
        if (!contents.ok()) continue;
        CacheFolder folder{entry.url, entry.name, cacheTargets(entry.name, contents),
                           root.shelfOnly};
        if (!folder.targets.empty()) folders.push_back(std::move(folder));
    }
}

// A folder as a cache folder is compared with it: by its path, written and resolved, by
// its identity, and by where it lies in its file system, so that neither a link nor a bind
// mount makes one folder pass for another.
struct ComparedFolder {
    std::vector<std::string> forms;
    std::optional<FileIdentity> identity;
    std::optional<FileSystemPath> inFileSystem;
};

ComparedFolder compared(const URL& folder, const std::string& mountInfo) {
    ComparedFolder out{bothForms(folder), identityOf(folder.path()), std::nullopt};
    if (out.identity)
        out.inFileSystem = fileSystemPathOf(folder.resolvingSymlinks().path(), mountInfo);
    return out;
}

enum class Relation { none, same, holds, inside };

// Where a stands to b; "same" before "holds" before "inside".
Relation relation(const ComparedFolder& a, const ComparedFolder& b) {
    const bool sameFileSystem =
        a.inFileSystem && b.inFileSystem && a.inFileSystem->device == b.inFileSystem->device;
    const auto within = [&](const ComparedFolder& inner, const ComparedFolder& outer) {
        for (const auto& innerForm : inner.forms)
            for (const auto& outerForm : outer.forms)
                if (isSameOrInside(innerForm, outerForm)) return true;
        return sameFileSystem && isSameOrInside(inner.inFileSystem->path, outer.inFileSystem->path);
    };
    for (const auto& form : a.forms)
        if (std::find(b.forms.begin(), b.forms.end(), form) != b.forms.end()) return Relation::same;
    if ((a.identity && a.identity == b.identity) ||
        (sameFileSystem && a.inFileSystem->path == b.inFileSystem->path))
        return Relation::same;
    if (within(b, a)) return Relation::holds;
    if (within(a, b)) return Relation::inside;
    return Relation::none;
}

// Whether a cache folder is the home's own folder of that name (usual), where it lies in
// the file system too, or a file system of its own mounted there: not another folder of
// the home shown there again.
bool isUsualPlace(const ComparedFolder& root, const URL& usual, const URL& home,
                  const std::string& mountInfo) {
    const ComparedFolder place = compared(usual, mountInfo);
    auto expected = fileSystemPathOf(home.resolvingSymlinks().path(), mountInfo);
    if (expected)
        expected->path = joinPath(expected->path, usual.path().substr(home.path().size() + 1));
    if (root.inFileSystem && expected && *root.inFileSystem == *expected) return true;
    const bool named = std::any_of(root.forms.begin(), root.forms.end(), [&](const auto& form) {
        return std::find(place.forms.begin(), place.forms.end(), form) != place.forms.end();
    });
    return named &&
           (!root.inFileSystem || !expected || root.inFileSystem->device != expected->device);
}

// Every entry of a cache folder is offered as rebuilding itself, so a folder that holds the
// user's own files, the settings of every program or what they keep (the Undo Shelf among
// it) must never be one. Anywhere but its usual place in the home, it must lie outside the
// home as well, and what it offers goes only onto the Undo Shelf.
std::optional<std::string> whyNotCaches(const URL& home, const URL& root, const URL& usual,
                                        const HomeFolders& places, const std::string& mountInfo,
                                        bool& isUsual) {
    // Through a link the scan would offer, and a clean delete, what lies elsewhere.
    if (reachedThroughLink(home, root)) return "a link leads to it";
    const ComparedFolder cache = compared(root, mountInfo);
    isUsual = isUsualPlace(cache, usual, home, mountInfo);
    struct Kept {
        URL folder;
        std::string what;
    };
    std::vector<Kept> kept = {
        {places.config(), "the config folder"},
        {places.data(), "the data folder"},
        {places.ownData(), "Kelvora's own folder, which holds the Undo Shelf"},
        {places.state(), "the state folder"},
        {home.appending(".local", true), "the folder"}};
    for (const URL& folder : places.userFolders())
        kept.push_back({folder, "the user folder"});
    // Last, so that a folder of the home is named by what it is.
    kept.push_back({home, "the home folder"});
    for (const auto& [folder, what] : kept) {
        const std::string named = what + " " + folder.path();
        switch (relation(cache, compared(folder, mountInfo))) {
        case Relation::same:
            return "it is " + named;
        case Relation::holds:
            return "it holds " + named;
        case Relation::inside:
            if (folder == home && isUsual) break;
            if (folder == home)
                return "it lies inside the home folder " + home.path() + ", where only " +
                       usual.path() + " is taken for a cache folder";
            return "it lies inside " + named;
        case Relation::none:
            break;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<DiskScanner::CacheRoot> DiskScanner::cacheRoots() const {
    const HomeFolders places(home);
    std::vector<CacheRoot> roots;
    const URL library = home.appending("Library/Caches", true);
    const std::pair<URL, URL> candidates[] = {{library, library},
                                              {places.cache(), places.usualCache()}};
    const std::string mountInfo = liveMountInfo();
    for (const auto& [root, usual] : candidates) {
        const std::string real = root.resolvingSymlinks().path();
        if (std::any_of(roots.begin(), roots.end(), [&](const CacheRoot& other) {
                return other.folder.resolvingSymlinks().path() == real;
            }))
            continue;
        bool isUsual = true;
        if (auto reason = whyNotCaches(home, root, usual, places, mountInfo, isUsual)) {
            logOnce("The cache folder " + root.path() + " is ignored: " + *reason + ".");
            continue;
        }
        roots.push_back({root, !isUsual});
    }
    return roots;
}

std::vector<URL> DiskScanner::cacheRootFolders() const {
    std::vector<URL> folders;
    for (auto& root : cacheRoots())
        folders.push_back(std::move(root.folder));
    return folders;
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
        item.shelfOnly = folder.shelfOnly;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
