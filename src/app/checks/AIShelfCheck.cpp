#include "checks/AIShelfCheck.h"

#include "checks/CheckReport.h"
#include "clean/UndoShelf.h"
#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"

namespace kelvora::AIShelfCheck {

namespace {

// The fixture's scanner: its own home, temporary and model folders, and no simulators,
// containers or local model manager of the real machine.
DiskScanner fixtureScanner(const std::string& checkFolder, const URL& home) {
    DiskScanner scanner(
        home, URL::fileURL(joinPath(checkFolder, "tmp"), true),
        std::vector<URL>{home.appending("Applications", true)}, DiskScanner::liveRunningApps,
        [](const URL&) { return std::optional<AppUsage>(); }, [] { return currentDate(); });
    scanner.simulators = [] { return std::vector<SimulatorDevice>(); };
    scanner.docker = [] { return std::optional<DockerUsage>(); };
    scanner.ollamaTool = std::nullopt;
    scanner.appleModelsFolder = URL::fileURL(joinPath(checkFolder, "AssetsV2"), true);
    return scanner;
}

std::string replacingAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

int run(const std::string& reportPath) {
    std::string checkFolder = joinPath(AppPaths::home(), "Kelvora Check AI");
    URL home = URL::fileURL(joinPath(checkFolder, "home"), true);
    CheckReport report(reportPath);

    if (!fileExists(home.path())) {
        report.add("No test home at " + home.path());
        return report.finish(false);
    }
    std::string prefix = resolvedPrefix(home.path());
    std::vector<ScanItem> found;
    for (const ScanItem& item : fixtureScanner(checkFolder, home).scan().items)
        if (item.kind == JunkKind::ai && item.ai() &&
            item.ai()->kind == ScanItem::AIInfo::Kind::sessions && isInside(item.location, prefix))
            found.push_back(item);
    if (found.size() != 1) {
        report.add("Expected one set of old chats, found " + std::to_string(found.size()));
        return report.finish(false);
    }
    const ScanItem& item = found.front();
    report.add("Found: " + item.ai()->tool + " " + item.ai()->detail + " · " +
               std::to_string(item.ai()->count) + " sessions · " + std::to_string(item.bytes) +
               " bytes · " + effectiveVerdictText(item) +
               " · shelf: " + reportText(item.goesOnShelf()));
    for (const URL& target : item.targets)
        report.add("  target: " + replacingAll(target.path(), home.path(), "~test"));

    UndoShelf shelf(URL::fileURL(joinPath(checkFolder, "shelf"), true), 7);
    CleanReport clean = liveCleaner().clean(
        {item}, shelf, [](const ScanItem&) { return std::string("Codex sessions"); },
        currentDate());
    report.add("Remove: shelved " + std::to_string(clean.shelved) + " bytes · freed now " +
               std::to_string(clean.freed) + " · skipped " + std::to_string(clean.skippedInUse) +
               " · failures " + std::to_string(clean.failures.size()));
    bool movedOff = noneExists(item.targets);
    report.add("All targets moved off: " + reportText(movedOff));

    if (!report.putBack(shelf)) return report.finish(false);
    bool back = allExist(item.targets);
    report.add("All targets back: " + reportText(back) + " · shelf now holds " +
               std::to_string(shelf.sweeps().size()) + " sweeps");
    return report.finish(movedOff && back && clean.shelved >= 1 && clean.freed == 0 &&
                         clean.failures.empty());
}

} // namespace kelvora::AIShelfCheck
