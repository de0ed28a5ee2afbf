#include "clean/Cleaner.h"

#include "clean/TargetAccess.h"
#include "engine/DiskScanner.h"
#include "model/JunkKind.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/Saturating.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <set>
#include <unistd.h>

namespace kelvora {

namespace {

constexpr double kToolTimeout = 600;

// What the re-checks compare against, read once per clean.
struct LiveState {
    std::vector<RunningApp> apps;
    std::vector<std::string> processPaths;
    HeldFiles held{{}};
};

bool processAlive(int32_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

bool cacheInUse(const ScanItem& item, const LiveState& live) {
    return DiskScanner::appUsing(item.location.lastPathComponent(), live.apps).has_value();
}

bool tempFolderInUse(const ScanItem& item) {
    auto pid = DiskScanner::onnxOwnerPID(item.location.lastPathComponent());
    return pid && processAlive(*pid);
}

bool appRunning(const ScanItem::AppInfo& app, const LiveState& live) {
    return std::any_of(live.apps.begin(), live.apps.end(), [&](const RunningApp& running) {
        return equalsIgnoringCase(running.bundleID, app.bundleID);
    });
}

// Without a process list nothing can be verified, so the folder is left alone.
bool developerFolderInUse(const ScanItem& item, const LiveState& live) {
    if (live.processPaths.empty()) return true;
    std::string inside = item.location.resolvingSymlinks().path() + "/";
    return std::any_of(live.processPaths.begin(), live.processPaths.end(),
                       [&](const std::string& path) { return startsWith(path, inside); });
}

bool aiOwnerRunning(const ScanItem::AIInfo& ai, const LiveState& live) {
    for (const auto& running : live.apps)
        for (const auto& owner : ai.owners)
            if (equalsIgnoringCase(owner, running.bundleID) ||
                equalsIgnoringCase(owner, running.name))
                return true;
    return false;
}

// Whether a re-check at clean time finds the item in use now.
bool foundInUse(const ScanItem& item, const LiveState& live) {
    if (item.kind == JunkKind::caches && cacheInUse(item, live)) return true;
    if (item.kind == JunkKind::tempFiles && tempFolderInUse(item)) return true;
    if (item.app() && appRunning(*item.app(), live)) return true;
    if (item.kind == JunkKind::developer && !item.action && developerFolderInUse(item, live))
        return true;
    if (item.ai() && !live.apps.empty() && aiOwnerRunning(*item.ai(), live)) return true;
    if (item.duplicate() && !Cleaner::stillMatches(item.duplicate()->keptCopy, item.location))
        return true;
    return isCheckedForUse(item) && live.held.holderOf(item);
}

// The size rule that keeps an item out of the picks is not applied here: an item handed
// over to be cleaned is cleaned, even one that measured nothing.
bool leftAloneByScan(const ScanItem& item) {
    return item.inUseBy || item.lockedReason;
}

void bootOutLaunchAgents(const std::vector<ScanItem>& items, const Cleaner::ToolFunction& run) {
    std::string domain = "gui/" + std::to_string(getuid()) + "/";
    for (const auto& item : items)
        if (item.leftover() && item.leftover()->kind == ScanItem::LeftoverInfo::Kind::launchAgent)
            run(ScanItem::Action{"/bin/launchctl", {"bootout", domain + item.leftover()->id}});
}

std::string keptOffShelfReason(const ScanItem& item) {
    return "Left " + item.location.path() +
           " where it is: it lies in a cache folder other than the usual one, so it may "
           "hold more than caches and goes only onto the Undo Shelf";
}

bool anyTargetFailed(const ScanItem& item, const std::set<std::string>& failedPaths) {
    return std::any_of(item.targets.begin(), item.targets.end(),
                       [&](const URL& target) { return failedPaths.count(target.path()) > 0; });
}

void runToolAction(const ScanItem& item, const Cleaner::ToolFunction& run, CleanReport& report) {
    std::optional<int32_t> status = run(*item.action);
    if (status && *status == 0) {
        addSaturating(report.freed, item.bytes);
        addSaturating(report.byKind[item.kind], item.bytes);
        return;
    }
    report.failures.push_back({item.location, item.action->commandLine() + " didn't finish"});
}

FileResult removeTarget(const ScanItem& item, const URL& target, const TargetAccess& access,
                        int64_t& freed) {
    TargetAccess::Result place = access.reach(item, target);
    if (!place.reached)
        return FileResult::failure("Could not remove " +
                                   (target.isFileURL() ? target.path() : target.absoluteString()) +
                                   ": " + place.reason);
    return place.reached->folder.removeItem(place.reached->name,
                                            FolderHandle::ReadOnlyFolders::stop, {}, &freed);
}

// An item removed whole frees what the scan measured. One that was not (a target gone
// before, hidden under a mount since, or refused) frees only what this removal took away,
// as it counted it, never more than the scan measured.
void deleteTargets(const ScanItem& item, const TargetAccess& access, CleanReport& report) {
    int64_t removed = 0;
    bool whole = true;
    for (const auto& target : item.targets) {
        FileResult result = removeTarget(item, target, access, removed);
        if (result) continue;
        whole = false;
        report.failures.push_back({target, result.reason});
    }
    const int64_t freed = whole ? item.bytes : std::max<int64_t>(std::min(removed, item.bytes), 0);
    addSaturating(report.freed, freed);
    addSaturating(report.byKind[item.kind], freed);
}

std::optional<int64_t> sizeOf(const URL& url) {
    auto info = fileInfo(url);
    if (!info) return std::nullopt;
    return info->logicalSize;
}

// Reads until the buffer is full or the file ends; -1 on a read error.
ssize_t readFully(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool sameContents(const std::string& a, const std::string& b) {
    int fa = open(a.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    int fb = open(b.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    bool same = fa >= 0 && fb >= 0;
    constexpr size_t kChunk = 1 << 16;
    std::vector<char> bufferA(kChunk), bufferB(kChunk);
    while (same) {
        ssize_t na = readFully(fa, bufferA.data(), kChunk);
        ssize_t nb = readFully(fb, bufferB.data(), kChunk);
        if (na < 0 || na != nb)
            same = false;
        else if (na == 0)
            break;
        else
            same = std::equal(bufferA.begin(), bufferA.begin() + na, bufferB.begin());
    }
    if (fa >= 0) close(fa);
    if (fb >= 0) close(fb);
    return same;
}

} // namespace

Cleaner::Cleaner(RunningAppsFunction apps, ProcessPathsFunction paths, ToolFunction tool,
                 OpenFilesFunction held)
    : runningApps(apps ? std::move(apps) : RunningAppsFunction(DiskScanner::liveRunningApps)),
      processPaths(paths ? std::move(paths)
                         : ProcessPathsFunction(DiskScanner::runningProcessPaths)),
      runTool(tool ? std::move(tool) : ToolFunction(liveRunTool)),
      openFiles(held ? std::move(held) : OpenFilesFunction(ProcessTable::holdingFiles)) {}

std::optional<int32_t> Cleaner::liveRunTool(const ScanItem::Action& action) {
    auto output = DiskScanner::runTool(action.tool, action.arguments, kToolTimeout);
    if (!output) return std::nullopt;
    return output->status;
}

int64_t Cleaner::freedSize(const URL& url) {
    auto sizes = freedSizes({{url}});
    return sizes.empty() ? 0 : sizes.front();
}

std::vector<int64_t> Cleaner::freedSizes(const std::vector<std::vector<URL>>& groups) {
    DiskScanner measuring(
        URL::fileURL(AppPaths::home(), true), URL::fileURL(AppPaths::temporaryDirectory(), true),
        std::nullopt, [] { return std::vector<RunningApp>{}; },
        [](const URL&) { return std::optional<AppUsage>{}; });
    FileCounter counter;
    return measuring.freedSizes(groups, counter);
}

bool Cleaner::stillMatches(const URL& keptCopy, const URL& copy) {
    auto keptSize = sizeOf(keptCopy);
    auto copySize = sizeOf(copy);
    if (!keptSize || !copySize || *keptSize != *copySize) return false;
    // Equal sizes are not enough: a copy edited since the scan must not go to the shelf as
    // a duplicate.
    return sameContents(keptCopy.path(), copy.path());
}

CleanReport Cleaner::clean(const std::vector<ScanItem>& items,
                           const std::optional<UndoShelf>& shelf, Date now) const {
    return clean(items, shelf, {}, now);
}

CleanReport Cleaner::clean(const std::vector<ScanItem>& items,
                           const std::optional<UndoShelf>& shelf, const LabelFunction& label,
                           Date now, const StopToken& stop) const {
    CleanReport report;
    LiveState live;
    live.apps = runningApps();
    bool anyDeveloper = std::any_of(items.begin(), items.end(), [](const ScanItem& item) {
        return item.kind == JunkKind::developer;
    });
    if (anyDeveloper) live.processPaths = processPaths();
    if (std::any_of(items.begin(), items.end(), [](const ScanItem& item) {
            return !leftAloneByScan(item) && isCheckedForUse(item) && !item.targets.empty();
        }))
        live.held = HeldFiles(openFiles());

    std::vector<ScanItem> toClean;
    for (const auto& item : items) {
        if (leftAloneByScan(item)) continue;
        if (foundInUse(item, live)) {
            ++report.skippedInUse;
            continue;
        }
        toClean.push_back(item);
    }

    bootOutLaunchAgents(toClean, runTool);

    std::vector<UndoShelf::LabelledItem> shelvable;
    std::vector<const ScanItem*> direct;
    std::vector<CleanReport::Failure> keptOffShelf;
    for (const auto& item : toClean) {
        if (shelf && item.goesOnShelf())
            shelvable.push_back({item, label ? label(item) : item.location.lastPathComponent()});
        else if (item.shelfOnly)
            keptOffShelf.push_back({item.location, keptOffShelfReason(item)});
        else
            direct.push_back(&item);
    }

    if (!shelvable.empty()) {
        UndoShelf::ShelveResult shelved = shelf->shelve(shelvable, now, stop);
        report.sweep = shelved.sweep;
        report.failures = shelved.failures;
        std::set<std::string> failedPaths;
        for (const auto& failure : shelved.failures)
            failedPaths.insert(failure.url.path());
        // A stopped clean-up leaves the items it did not reach: only those on the shelf count.
        std::set<std::string> shelvedPlaces;
        if (shelved.sweep)
            for (const auto& entry : shelved.sweep->entries)
                shelvedPlaces.insert(entry.location);
        for (const auto& labelled : shelvable)
            if (shelvedPlaces.count(labelled.item.location.path()) &&
                !anyTargetFailed(labelled.item, failedPaths))
                addSaturating(report.byKind[labelled.item.kind], labelled.item.bytes);
    }

    report.failures.insert(report.failures.end(), keptOffShelf.begin(), keptOffShelf.end());
    const TargetAccess access = TargetAccess::live();
    for (const ScanItem* item : direct) {
        if (stop.stopped()) break;
        if (item->action)
            runToolAction(*item, runTool, report);
        else
            deleteTargets(*item, access, report);
    }

    report.shelved = report.sweep ? report.sweep->bytes() : 0;
    std::erase_if(report.byKind, [](const auto& pair) { return pair.second <= 0; });
    return report;
}

} // namespace kelvora
