#include "checks/LeftoverAgentCheck.h"

#include "catalog/Catalog.h"
#include "checks/CheckReport.h"
#include "checks/LoginStateText.h"
#include "clean/UndoShelf.h"
#include "login/LoginItemScanner.h"
#include "login/LoginLeftover.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"

namespace kelvora::LeftoverAgentCheck {

namespace {

std::string launchdText(const std::string& label) {
    bool loaded =
        LoginItemScanner::liveLaunchctl({"print", currentUserDomain() + "/" + label}).has_value();
    return loaded ? "launchd: loaded" : "launchd: not loaded";
}

} // namespace

int run(const std::string& reportPath, const std::string& label) {
    std::string shelfFolder = joinPath(AppPaths::home(), "Kelvora Check Shelf");
    CheckReport report(reportPath);
    auto fail = [&] {
        report.tidyShelf(shelfFolder);
        return report.finish(false);
    };

    auto agent = findLoginItem(label);
    if (!agent || !agent->isLeftover() || !agent->file) {
        report.add(label + " isn't a leftover login item of yours, so nothing was touched");
        return fail();
    }
    report.add("Found: " + agent->name + " · " + loginStateText(agent->state) +
               " · program missing: " + reportText(agent->programMissing) + " · " +
               launchdText(label));
    std::string file = agent->file->path();
    report.add("File: " + file);

    UndoShelf shelf(URL::fileURL(shelfFolder, true), 7);
    Catalog catalog;
    auto name = [&catalog](const ScanItem& item) { return catalog.name(item); };
    CleanReport clean = liveCleaner().clean({leftoverItem(*agent)}, shelf, name, currentDate());
    bool fileGone = !fileExists(file);
    bool stillListed = findLoginItem(label).has_value();
    report.add("Remove: shelved " + std::to_string(clean.shelved) + " bytes · failures " +
               std::to_string(clean.failures.size()) + " · file gone: " + reportText(fileGone) +
               " · still listed: " + reportText(stillListed) + " · " + launchdText(label));

    if (!report.putBack(shelf)) return fail();
    bool fileBack = fileExists(file);
    auto again = findLoginItem(label);
    std::string listing =
        again ? loginStateText(again->state) + ", leftover " + reportText(again->isLeftover())
              : "no";
    report.add("File back: " + reportText(fileBack) + " · listed again: " + listing + " · " +
               launchdText(label));

    report.tidyShelf(shelfFolder);
    return report.finish(fileGone && !stillListed && fileBack && again && again->isLeftover() &&
                         clean.failures.empty());
}

} // namespace kelvora::LeftoverAgentCheck
