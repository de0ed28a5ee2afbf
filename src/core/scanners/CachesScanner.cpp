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

struct CacheCandidate {
    URL folder;
    std::string name;
    std::vector<URL> targets;
};

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
    std::vector<CacheCandidate> candidates;
    for (const auto& entry : caches.entries) {
        // A linked cache folder would hand us targets outside the scanned place.
        if (entry.isSymlink() || neverOffered(entry.name, ownBundleID)) continue;
        const Listing contents = listFolder(entry.url);
        if (!contents.ok() || contents.entries.empty()) continue;
        CacheCandidate candidate{entry.url, entry.name, {}};
        for (const auto& inner : contents.entries)
            candidate.targets.push_back(inner.url);
        candidates.push_back(std::move(candidate));
    }
    std::vector<std::vector<URL>> groups;
    groups.reserve(candidates.size());
    for (const auto& candidate : candidates)
        groups.push_back(candidate.targets);
    const auto sizes = freedSizes(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < candidates.size(); ++i) {
        ScanItem item;
        item.kind = JunkKind::caches;
        item.location = candidates[i].folder;
        item.targets = candidates[i].targets;
        item.bytes = sizes[i];
        if (auto app = appUsing(candidates[i].name, apps)) item.inUseBy = app->name;
        item.baseVerdict =
            downloadCaches().count(candidates[i].name) ? Verdict::rebuilds : Verdict::safe;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
