#include "controller/ScheduledClean.h"

#include "clean/CleanSchedule.h"
#include "clean/Cleaner.h"
#include "controller/Prefs.h"
#include "engine/DiskScanner.h"
#include "platform/Saturating.h"

namespace kelvora::ScheduledClean {

namespace {

std::vector<ScanItem> removableUnattended(const std::vector<ScanItem>& items) {
    std::vector<ScanItem> selected;
    for (const ScanItem& item : items)
        if (item.isRemovableWithoutShelf()) selected.push_back(item);
    return selected;
}

int64_t totalBytes(const std::vector<ScanItem>& items) {
    int64_t total = 0;
    for (const ScanItem& item : items)
        addSaturating(total, item.bytes);
    return total;
}

int64_t ranAndFreed(Date now, int64_t freed) {
    Prefs::setLastScheduledClean(now);
    Prefs::setLastScheduledFreed(freed);
    return freed;
}

} // namespace

Environment Environment::live() {
    Environment environment;
    environment.scanCaches = [] { return Prefs::configured(DiskScanner::live()).scanCachesOnly(); };
    environment.clean = [](const std::vector<ScanItem>& items, Date now) {
        Cleaner cleaner(DiskScanner::liveRunningApps, DiskScanner::runningProcessPaths,
                        Cleaner::liveRunTool);
        return cleaner.clean(items, std::nullopt, now);
    };
    return environment;
}

int64_t runIfDue(Date now) {
    return runIfDue(now, Environment::live());
}

int64_t runIfDue(Date now, const Environment& environment) {
    if (!CleanSchedule::isDue(Prefs::boolean(Prefs::Key::scheduledClean), Prefs::scheduleDays(),
                              Prefs::lastScheduledClean(), now))
        return 0;
    std::vector<ScanItem> selected = removableUnattended(environment.scanCaches());
    // Small caches count as a run too, so they are not retried on every run.
    if (selected.empty() || totalBytes(selected) < kThreshold) return ranAndFreed(now, 0);
    // Noted before the clean, so one cut short is not retried on every run either.
    Prefs::setLastScheduledClean(now);
    CleanReport report = environment.clean(selected, currentDate());
    return ranAndFreed(now, report.freed);
}

} // namespace kelvora::ScheduledClean
