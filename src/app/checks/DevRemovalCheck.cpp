#include "checks/DevRemovalCheck.h"

#include "checks/CheckReport.h"
#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"

namespace kelvora::DevRemovalCheck {

namespace {

std::vector<ScanItem> developerFilesInside(const std::string& fixture) {
    DiskScanner scanner(URL::fileURL(AppPaths::home(), true),
                        URL::fileURL(AppPaths::temporaryDirectory(), true), std::nullopt,
                        DiskScanner::liveRunningApps, DiskScanner::spotlightUsage,
                        [] { return currentDate(); });
    std::string prefix = resolvedPrefix(fixture);
    std::vector<ScanItem> found;
    for (const ScanItem& item : scanner.scan().items)
        if (item.kind == JunkKind::developer && !item.action && isInside(item.location, prefix))
            found.push_back(item);
    return found;
}

} // namespace

int run(const std::string& reportPath) {
    std::string fixture = joinPath(AppPaths::home(), "Kelvora Check Projects");
    CheckReport report(reportPath);

    std::vector<ScanItem> found = developerFilesInside(fixture);
    if (found.empty()) {
        report.add("No developer files found in " + fixture);
        return report.finish(false);
    }
    bool removable = true;
    std::string inUse;
    for (const ScanItem& item : found) {
        report.add("Found: " + item.location.path() + " · " + effectiveVerdictText(item) + " · " +
                   std::to_string(item.bytes) + " bytes · " +
                   (item.developer() ? rawValue(item.developer()->kind) : std::string("?")));
        removable = removable && item.isRemovable();
        if (item.inUseBy) inUse += (inUse.empty() ? "" : ", ") + *item.inUseBy;
    }
    if (!removable) {
        report.add("Not removable: " + inUse);
        return report.finish(false);
    }

    CleanReport clean = liveCleaner().clean(found, std::nullopt, currentDate());
    report.add("Remove: freed " + std::to_string(clean.freed) + " bytes · shelved " +
               std::to_string(clean.shelved) + " · skipped " + std::to_string(clean.skippedInUse) +
               " · failures " + std::to_string(clean.failures.size()));
    report.addFailures(clean);
    std::vector<URL> locations;
    for (const ScanItem& item : found)
        locations.push_back(item.location);
    bool allRemoved = noneExists(locations);
    report.add("All removed: " + reportText(allRemoved));
    return report.finish(allRemoved && clean.failures.empty() && clean.shelved == 0);
}

} // namespace kelvora::DevRemovalCheck
