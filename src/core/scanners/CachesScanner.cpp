#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <set>

namespace kelvora {
namespace {

bool neverOffered(const std::string& name, const std::optional<std::string>& ownBundleID) {
    return startsWith(name, "com.apple.") || name == "CloudKit" || name == "FamilyCircle" ||
           name == "GeoServices" || (ownBundleID && name == *ownBundleID);
}

} // namespace

const std::set<std::string>& DiskScanner::downloadCaches() {
    static const std::set<std::string> names = {
        "Homebrew", "pip",       "pipenv",          "pypoetry",
        "uv",       "node-gyp",  "typescript",      "Yarn",
        "pnpm",     "bun",       "CocoaPods",       "org.swift.swiftpm",
        "go-build", "JetBrains", "ms-playwright",   "ms-playwright-go",
        "Cypress",  "electron",  "electron-builder"};
    return names;
}

std::optional<RunningApp> DiskScanner::appUsing(const std::string& cacheFolder,
                                                const std::vector<RunningApp>& apps) {
    const std::string folder = lowercased(cacheFolder);
    for (const auto& app : apps) {
        const std::string bundle = lowercased(app.bundleID);
        const std::string name = lowercased(app.name);
        const auto pieces = splitNonEmpty(bundle, '.');
        if (folder == bundle || folder == name || startsWith(bundle, folder + ".") ||
            startsWith(folder, bundle + ".") ||
            std::find(pieces.begin(), pieces.end(), folder) != pieces.end()) {
            return app;
        }
    }
    return std::nullopt;
}

std::vector<ScanItem> DiskScanner::scanCaches(const std::vector<RunningApp>& apps,
                                              FileCounter& counter) const {
    const Listing caches = listFolder(home.appending("Library").appending("Caches"));
    if (!caches.ok()) return {};
    // Each offered cache folder and, at the same index, the entries inside it.
    std::vector<const FileInfo*> folders;
    std::vector<std::vector<URL>> groups;
    for (const auto& entry : caches.entries) {
        // A linked cache folder would hand us targets outside the scanned place.
        if (entry.isSymlink() || neverOffered(entry.name, ownBundleID)) continue;
        const Listing contents = listFolder(entry.url);
        if (!contents.ok() || contents.entries.empty()) continue;
        folders.push_back(&entry);
        auto& targets = groups.emplace_back();
        for (const auto& inner : contents.entries)
            targets.push_back(inner.url);
    }
    const auto sizes = freedSizes(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < folders.size(); ++i) {
        const FileInfo& folder = *folders[i];
        ScanItem item;
        item.kind = JunkKind::caches;
        item.location = folder.url;
        item.targets = std::move(groups[i]);
        item.bytes = sizes[i];
        if (auto app = appUsing(folder.name, apps)) item.inUseBy = app->name;
        item.baseVerdict = downloadCaches().count(folder.name) ? Verdict::rebuilds : Verdict::safe;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
