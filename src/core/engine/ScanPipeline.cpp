#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "engine/ScanFolderLog.h"

#include <algorithm>
#include <unordered_set>

namespace kelvora {
namespace {

void append(std::vector<ScanItem>& items, std::vector<ScanItem> more) {
    items.insert(items.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
}

std::unordered_set<std::string> reportedPaths(const std::vector<ScanItem>& items) {
    std::unordered_set<std::string> paths;
    for (const auto& item : items) {
        paths.insert(item.location.path());
        for (const auto& target : item.targets)
            paths.insert(target.path());
    }
    return paths;
}

// What the duplicate items offer, and the copies they keep.
std::unordered_set<std::string> duplicatePaths(const std::vector<ScanItem>& duplicates) {
    auto paths = reportedPaths(duplicates);
    for (const auto& item : duplicates)
        if (item.duplicate()) paths.insert(item.duplicate()->keptCopy.path());
    return paths;
}

void progressTo(const ProgressFunction& progress, int index) {
    if (progress) progress(DiskScanner::scanSteps()[index], index);
}

} // namespace

const std::vector<std::string>& DiskScanner::scanSteps() {
    static const std::vector<std::string> steps = {
        "app caches",        "logs and temp files", "apps",       "Downloads and the Trash",
        "Mail and Messages", "developer files",     "AI files",   "System Data",
        "your files",        "duplicates",          "large files"};
    return steps;
}

ScanResult DiskScanner::scan(const ProgressFunction& progress) const {
    const Date start = currentDate();
    ScanFolderLog listed(scanFolders());
    FileCounter counter;
    const auto apps = runningApps();
    ScanResult result;
    std::vector<ScanItem> items;
    // Reports a step about to begin; false once the scan is stopped.
    auto begin = [&](int index) {
        if (stop.stopped()) return false;
        progressTo(progress, index);
        return true;
    };

    if (!begin(0)) return {};
    append(items, scanCaches(apps, counter));

    if (!begin(1)) return {};
    append(items, scanLogs(counter));
    append(items, scanTempLeftovers(counter));

    if (!begin(2)) return {};
    append(items, scanApps(apps, counter));
    append(items, scanLeftovers(apps, counter));

    if (!begin(3)) return {};
    auto [downloads, downloadsAccess] = scanDownloads(counter);
    append(items, std::move(downloads));
    result.downloadsAccess = downloadsAccess;
    auto [trash, trashAccess] = scanTrash(counter);
    append(items, std::move(trash));
    result.trashAccess = trashAccess;
    append(items, scanScreenshots(counter));

    if (!begin(4)) return {};
    auto [mail, mailAccess] = scanMail(apps, counter);
    append(items, std::move(mail));
    result.mailAccess = mailAccess;

    if (!begin(5)) return {};
    append(items, scanProjects(processPaths(), counter));
    append(items, scanDerivedData(counter));
    append(items, scanDeviceSupport(counter));
    append(items, scanSimulators(counter));
    const auto dockerUsage = docker();
    append(items, scanDocker(dockerUsage));

    if (!begin(6)) return {};
    auto ai = scanAI(apps, counter);
    removeCachesCoveredBy(ai, items);
    append(items, std::move(ai));

    if (!begin(7)) return {};
    append(items, purgeableItem());
    append(items, macOSInstallers(counter));
    append(items, deviceBackups(counter));
    append(items, deviceUpdates(counter));
    append(items, dockerDiskItem(dockerUsage));

    const auto reported = reportedPaths(items);
    if (!begin(8)) return {};
    auto candidates = userFiles(reported, counter);

    if (!begin(9)) return {};
    auto duplicates = scanDuplicates(candidates);
    const auto offeredOrKept = duplicatePaths(duplicates);
    append(items, std::move(duplicates));

    if (!begin(10)) return {};
    std::erase_if(candidates, [&](const Candidate& candidate) {
        return offeredOrKept.count(candidate.url.path()) > 0;
    });
    append(items, scanLargeAndOld(candidates, addSeconds(now(), -oldAge)));
    if (stop.stopped()) return {};
    markHeldOpen(items, openFiles);

    const NeverTouch protectedPaths(neverTouch);
    if (!protectedPaths.empty()) {
        std::erase_if(items,
                      [&](const ScanItem& item) { return protectedPaths.covers(item, true); });
    }
    noteScanFolders(items, &listed);
    dropMountedItems(items);
    std::stable_sort(items.begin(), items.end(),
                     [](const ScanItem& a, const ScanItem& b) { return a.bytes > b.bytes; });

    result.items = std::move(items);
    result.disk = diskSpace(home);
    result.filesLookedAt = counter.count;
    result.macPlaces = macPlaces();
    result.duration = secondsBetween(start, currentDate());
    return result;
}

std::vector<ScanItem> DiskScanner::scanCachesOnly() const {
    const NeverTouch protectedPaths(neverTouch);
    const auto apps = runningApps();
    ScanFolderLog listed(scanFolders());
    FileCounter counter;
    auto items = scanCaches(apps, counter);
    markHeldOpen(items, openFiles);
    if (!protectedPaths.empty()) {
        std::erase_if(items,
                      [&](const ScanItem& item) { return protectedPaths.covers(item, false); });
    }
    noteScanFolders(items, &listed);
    dropMountedItems(items);
    return items;
}

} // namespace kelvora
