#include "engine/DiskScanner.h"
#include "engine/PathRules.h"

#include "platform/FileSystem.h"
#include "platform/Saturating.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>

namespace kelvora {

namespace {

using AIKind = ScanItem::AIInfo::Kind;

const std::vector<std::string>& cacheFolderNames() {
    static const std::vector<std::string> names = {"Cache",
                                                   "Code Cache",
                                                   "GPUCache",
                                                   "DawnGraphiteCache",
                                                   "DawnWebGPUCache",
                                                   "GraphiteDawnCache",
                                                   "GPUPersistentCache",
                                                   "CachedData",
                                                   "CachedExtensionVSIXs"};
    return names;
}

struct VersionsPlace {
    const char* folder;
    const char* label;
};

const std::vector<VersionsPlace>& versionsPlaces() {
    static const std::vector<VersionsPlace> places = {
        {"Library/Application Support/Claude/claude-code", "Claude app\u2019s Claude Code"},
        {".local/share/claude/versions", "Claude Code"}};
    return places;
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Runs of digits compare by value, so "1.0.10" sorts above "1.0.9".
int compareNumerically(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            size_t runA = i, runB = j;
            while (runA < a.size() && isDigit(a[runA]))
                ++runA;
            while (runB < b.size() && isDigit(b[runB]))
                ++runB;
            std::string numberA = a.substr(i, runA - i), numberB = b.substr(j, runB - j);
            numberA.erase(0, std::min(numberA.find_first_not_of('0'), numberA.size() - 1));
            numberB.erase(0, std::min(numberB.find_first_not_of('0'), numberB.size() - 1));
            if (numberA.size() != numberB.size()) return numberA.size() < numberB.size() ? -1 : 1;
            if (int c = numberA.compare(numberB); c != 0) return c < 0 ? -1 : 1;
            i = runA;
            j = runB;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i == a.size() && j == b.size()) return 0;
    return i == a.size() ? -1 : 1;
}

// The entries of a folder that is really there. A folder that is a symbolic link gives
// nothing: deleting "its" entries would delete whatever the link points at.
std::vector<URL> entriesOfRealFolder(const URL& folder) {
    auto info = fileInfo(folder);
    if (!info || !info->isDirectory()) return {};
    std::vector<URL> entries;
    for (const auto& entry : listFolder(folder).entries)
        entries.push_back(entry.url);
    return entries;
}

std::optional<std::string> runningOwner(const std::vector<std::string>& owners,
                                        const std::vector<RunningApp>& apps) {
    for (const auto& app : apps)
        for (const auto& owner : owners)
            if (equalsIgnoringCase(app.bundleID, owner) || equalsIgnoringCase(app.name, owner))
                return app.name;
    return std::nullopt;
}

} // namespace

const std::vector<DiskScanner::AIApp>& DiskScanner::aiApps() {
    static const std::vector<AIApp> apps = {
        {"Claude",
         {"com.anthropic.claudefordesktop", "Claude"},
         "Library/Application Support/Claude"},
        {"Cursor",
         {"com.todesktop.230313mzl4w4u92", "Cursor"},
         "Library/Application Support/Cursor"},
        {"Windsurf",
         {"com.exafunction.windsurf", "Windsurf"},
         "Library/Application Support/Windsurf"},
        {"Antigravity",
         {"com.google.antigravity", "com.google.antigravity-ide", "Antigravity"},
         "Library/Application Support/Antigravity"},
    };
    return apps;
}

std::vector<ScanItem> DiskScanner::scanAI(const std::vector<RunningApp>& apps,
                                          FileCounter& counter) const {
    std::vector<ScanItem> items;
    auto append = [&](std::vector<ScanItem> found) {
        items.insert(items.end(), std::make_move_iterator(found.begin()),
                     std::make_move_iterator(found.end()));
    };
    append(claudeCodeSessions(counter));
    append(codexSessions(counter));
    append(antigravitySessions(counter));
    append(claudeScratchWorkspaces(counter));
    append(editorWorkspaceHistory(apps, counter));
    append(geminiCLISessions(counter));
    append(aiAppCaches(apps, counter));
    append(codexCaches(apps, counter));
    append(oldAIVersions(counter));
    append(aiUpdateLeftovers(apps, counter));
    append(huggingFaceModels(counter));
    append(lmStudioModels(counter));
    append(ollamaModels());
    append(appleIntelligenceModels(counter));
    return items;
}

std::optional<ScanItem> DiskScanner::aiItem(AIKind kind, const URL& location,
                                            const std::vector<URL>& targets,
                                            const std::string& tool, const std::string& detail,
                                            int count, const std::vector<std::string>& owners,
                                            const std::vector<RunningApp>& apps,
                                            FileCounter& counter) const {
    if (targets.empty()) return std::nullopt;
    const Measured measured = measure({targets}, counter).front();
    if (measured.freesNothing()) return std::nullopt;
    const int64_t bytes = measured.bytes;
    ScanItem item;
    item.kind = JunkKind::ai;
    item.location = location;
    item.targets = targets;
    item.bytes = bytes;
    item.inUseBy = runningOwner(owners, apps);
    item.baseVerdict = Verdict::safe;
    item.record = ScanItem::AIInfo{kind, tool, detail, count, std::nullopt, owners};
    return item;
}

std::vector<ScanItem> DiskScanner::aiAppCaches(const std::vector<RunningApp>& apps,
                                               FileCounter& counter) const {
    std::vector<ScanItem> items;
    for (const auto& app : aiApps()) {
        URL support = home.appending(app.support, true);
        std::vector<URL> targets;
        for (const auto& name : cacheFolderNames()) {
            auto entries = entriesOfRealFolder(support.appending(name, true));
            targets.insert(targets.end(), entries.begin(), entries.end());
        }
        if (auto item = aiItem(AIKind::cache, support, targets, app.name, "caches", 1, app.owners,
                               apps, counter))
            items.push_back(std::move(*item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::codexCaches(const std::vector<RunningApp>& apps,
                                               FileCounter& counter) const {
    URL codex = home.appending(".codex", true);
    std::vector<URL> targets;
    for (const char* name : {"cache", "tmp", ".tmp"}) {
        auto entries = entriesOfRealFolder(codex.appending(name, true));
        targets.insert(targets.end(), entries.begin(), entries.end());
    }
    auto item = aiItem(AIKind::cache, codex.appending("cache", true), targets, "Codex", "caches", 1,
                       {"codex"}, apps, counter);
    return item ? std::vector<ScanItem>{*item} : std::vector<ScanItem>{};
}

std::vector<ScanItem> DiskScanner::aiUpdateLeftovers(const std::vector<RunningApp>& apps,
                                                     FileCounter& counter) const {
    std::vector<ScanItem> items;
    const URL caches = home.appending("Library/Caches", true);
    // Through a linked Library the update offered, and deleted, would lie elsewhere.
    if (reachedThroughLink(home, caches)) return items;
    for (const auto& app : aiApps()) {
        for (const auto& owner : app.owners) {
            if (owner.find('.') == std::string::npos) continue;
            URL folder = caches.appending(owner + ".ShipIt", true);
            if (auto item = aiItem(AIKind::updateLeftover, folder, entriesOfRealFolder(folder),
                                   app.name, "downloaded update", 1, app.owners, apps, counter))
                items.push_back(std::move(*item));
        }
    }
    return items;
}

std::vector<ScanItem> DiskScanner::oldAIVersions(FileCounter& counter) const {
    // The version the command runs stays, whatever its number.
    std::string current = home.appending(".local/bin/claude").resolvingSymlinks().path();
    std::vector<ScanItem> items;
    for (const auto& place : versionsPlaces()) {
        URL folder = home.appending(place.folder, true);
        std::vector<FileInfo> versions;
        for (const auto& entry : listFolder(folder).entries)
            if (!entry.name.empty() && isDigit(entry.name.front())) versions.push_back(entry);
        std::stable_sort(versions.begin(), versions.end(), [](const auto& a, const auto& b) {
            return compareNumerically(a.name, b.name) > 0;
        });
        if (!versions.empty()) versions.erase(versions.begin());
        std::erase_if(versions, [&](const FileInfo& entry) {
            return current.rfind(entry.url.resolvingSymlinks().path(), 0) == 0;
        });
        if (versions.empty()) continue;

        std::vector<URL> targets;
        std::vector<std::string> names;
        for (const auto& entry : versions) {
            targets.push_back(entry.url);
            names.push_back(entry.name);
        }
        if (auto item =
                aiItem(AIKind::oldVersion, folder, targets, place.label, joined(names, ", "),
                       static_cast<int>(versions.size()), {}, {}, counter))
            items.push_back(std::move(*item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::appleIntelligenceModels(FileCounter& counter) const {
    int modelFolders = 0;
    int64_t bytes = 0;
    for (const auto& entry : listFolder(appleModelsFolder).entries) {
        if (entry.name.rfind("com_apple_MobileAsset_UAF_FM", 0) != 0) continue;
        ++modelFolders;
        for (const auto& file : regularFiles(entry.url, counter))
            if (auto info = fileInfo(file)) addSaturating(bytes, info->allocatedSize);
    }
    if (modelFolders == 0 || bytes < 1) return {};
    ScanItem item;
    item.kind = JunkKind::ai;
    item.location = appleModelsFolder;
    item.bytes = bytes;
    item.baseVerdict = Verdict::youDecide;
    item.lockedReason = "macOS manages these models";
    item.record = ScanItem::AIInfo{AIKind::appleIntelligence,
                                   "Apple Intelligence",
                                   "on-device models",
                                   modelFolders,
                                   std::nullopt,
                                   {}};
    return {item};
}

} // namespace kelvora
