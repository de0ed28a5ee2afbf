#include "checks/AppRemovalCheck.h"

#include "checks/CheckReport.h"
#include "clean/UndoShelf.h"
#include "engine/DiskScanner.h"
#include "platform/AppBundle.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"

#include <random>

namespace kelvora::AppRemovalCheck {

namespace {

constexpr const char* kNamePrefix = "Kelvora Check - ";
constexpr double kFourHundredDays = 34'560'000;

std::string newUUID() {
    std::random_device device;
    std::mt19937_64 random(device() ^ (uint64_t(device()) << 32));
    const char* hex = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) text += '-';
        text += hex[random() % 16];
    }
    return text;
}

std::string userApplications() {
    return joinPath(AppPaths::home(), "Applications");
}

// The scan form: the one test application a scan of ~/Applications reports, seen from
// 400 days on so that it counts as unused.
std::optional<ScanItem> scannedTestApp(CheckReport& report) {
    URL home = URL::fileURL(AppPaths::home(), true);
    URL apps = URL::fileURL(userApplications(), true);
    Date later = addSeconds(currentDate(), kFourHundredDays);
    DiskScanner scanner(home, URL::fileURL(AppPaths::temporaryDirectory(), true),
                        std::vector<URL>{apps}, DiskScanner::liveRunningApps,
                        DiskScanner::spotlightUsage, [later] { return later; });
    std::vector<ScanItem> found;
    for (const ScanItem& item : scanner.scan().items)
        if (item.kind == JunkKind::apps && item.app() && item.app()->bundleID == checkAppBundleID())
            found.push_back(item);
    if (found.size() == 1 && found.front().location.path().starts_with(apps.path() + "/"))
        return found.front();
    report.add("Test app not found in ~/Applications (found " + std::to_string(found.size()) + ")");
    return std::nullopt;
}

int64_t bundleBytes(const URL& bundle) {
    int64_t total = 0;
    std::vector<URL> pending = {bundle};
    while (!pending.empty()) {
        URL folder = pending.back();
        pending.pop_back();
        for (const FileInfo& entry : listFolder(folder).entries) {
            total += entry.allocatedSize;
            if (entry.isDirectory()) pending.push_back(entry.url);
        }
    }
    return std::max<int64_t>(total, 1);
}

// The path form: only a test bundle lying directly in one of the two application folders.
std::optional<ScanItem> namedTestApp(CheckReport& report, const std::string& given) {
    URL bundle = URL::fileURL(AppPaths::absolutePath(given)).standardized();
    std::string parent = bundle.deletingLastPathComponent().path();
    std::optional<std::string> bundleID;
    bool accepted = (parent == userApplications() || parent == "/Applications") &&
                    bundle.lastPathComponent().starts_with(kNamePrefix) &&
                    bundle.pathExtension() == "app";
    if (accepted) bundleID = bundleIdentifier(bundle);
    if (!bundleID) {
        report.add("Refusing " + given + ": it must be an app named \"" + kNamePrefix +
                   "…\" directly in ~/Applications or /Applications");
        return std::nullopt;
    }
    ScanItem item;
    item.kind = JunkKind::apps;
    item.location = bundle;
    item.targets = {bundle};
    item.bytes = bundleBytes(bundle);
    item.baseVerdict = Verdict::youDecide;
    item.record = ScanItem::AppInfo{bundle.deletingPathExtension().lastPathComponent(), *bundleID,
                                    std::nullopt, 0};
    report.add("Copy: " + bundle.path() + " · bundle ID " + *bundleID +
               " · bundle only, no leftovers");
    return item;
}

std::optional<std::string> notRemovableReason(const ScanItem& item) {
    if (item.isRemovable()) return std::nullopt;
    return item.lockedReason ? *item.lockedReason : item.inUseBy.value_or("?");
}

} // namespace

int run(const std::string& reportPath, const std::optional<std::string>& appPath) {
    std::string shelfFolder =
        joinPath(AppPaths::temporaryDirectory(), "kelvora-app-removal-check-" + newUUID());
    CheckReport report(reportPath);
    auto fail = [&] {
        report.tidyShelf(shelfFolder);
        return report.finish(false);
    };

    auto item = appPath ? namedTestApp(report, *appPath) : scannedTestApp(report);
    if (!item) return fail();
    report.add("Found: " + item->location.path() + " · " + effectiveVerdictText(*item) + " · " +
               std::to_string(item->targets.size()) + " targets");
    if (auto reason = notRemovableReason(*item)) {
        report.add("Not removable: " + *reason);
        return fail();
    }

    UndoShelf shelf(URL::fileURL(shelfFolder, true), 7);
    std::string label = item->app() ? item->app()->name : std::string();
    CleanReport clean = liveCleaner().clean(
        {*item}, shelf, [&](const ScanItem&) { return label; }, currentDate());
    report.add("Remove: shelved " + std::to_string(clean.shelved) + " bytes · skipped " +
               std::to_string(clean.skippedInUse) + " · failures " +
               std::to_string(clean.failures.size()));
    report.addFailures(clean);
    bool movedOff = noneExists(item->targets);
    report.add("All targets moved off: " + reportText(movedOff));

    if (!report.putBack(shelf, "Put back failed: UndoShelf.Error 1: ")) return fail();
    bool back = allExist(item->targets);
    report.add("All targets back: " + reportText(back) +
               " · restored bundle ID: " + bundleIdentifier(item->location).value_or("none"));

    report.tidyShelf(shelfFolder);
    return report.finish(movedOff && back && clean.failures.empty());
}

} // namespace kelvora::AppRemovalCheck
