#include "checks/CheckReport.h"

#include "clean/UndoShelf.h"
#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"

#include <cstdio>

namespace kelvora {

CheckReport::CheckReport(std::string path) : path_(std::move(path)) {
    add(std::string("Running as: ") + kBundleID + " at " + AppPaths::executableFolder());
}

void CheckReport::add(std::string line) {
    lines_.push_back(std::move(line));
}

void CheckReport::addFailures(const CleanReport& clean) {
    for (const auto& failure : clean.failures)
        add("  failed: " + failure.url.path() + ": " + failure.reason);
}

void CheckReport::tidyShelf(const std::string& folder) {
    if (!UndoShelf(URL::fileURL(folder, true), 7).sweeps().empty())
        add("Shelf kept with items still on it: " + folder);
    else
        removeItem(folder);
}

bool CheckReport::putBack(const UndoShelf& shelf, const std::string& failedPrefix) {
    auto sweeps = shelf.sweeps();
    if (sweeps.empty()) {
        add("Nothing reached the shelf");
        return false;
    }
    try {
        shelf.putBackAll(sweeps.front());
        add("Put back: ok");
    } catch (const std::exception& error) {
        add(failedPrefix + error.what());
    }
    return true;
}

int CheckReport::finish(bool pass) {
    add(pass ? "RESULT: PASS" : "RESULT: FAIL");
    std::string text;
    for (const std::string& line : lines_)
        text += line + "\n";
    if (auto written = writeFileAtomically(path_, text); !written) {
        // Without its report a pass cannot be seen, so it does not count as one.
        std::fprintf(stderr, "The self-check report could not be written: %s\n",
                     written.reason.c_str());
        return 1;
    }
    return pass ? 0 : 1;
}

std::string reportText(bool value) {
    return value ? "true" : "false";
}

std::string effectiveVerdictText(const ScanItem& item) {
    return Verdicts::rawValue(item.verdict());
}

bool noneExists(const std::vector<URL>& urls) {
    for (const URL& url : urls)
        if (fileExists(url.path())) return false;
    return true;
}

bool allExist(const std::vector<URL>& urls) {
    for (const URL& url : urls)
        if (!fileExists(url.path())) return false;
    return true;
}

std::string resolvedPrefix(const std::string& folder) {
    return URL::fileURL(folder, true).resolvingSymlinks().path() + "/";
}

bool isInside(const URL& url, const std::string& prefix) {
    return url.resolvingSymlinks().path().starts_with(prefix);
}

Cleaner liveCleaner() {
    return Cleaner(DiskScanner::liveRunningApps, DiskScanner::runningProcessPaths,
                   Cleaner::liveRunTool);
}

std::string checkAppBundleID() {
    return std::string(kBundleID) + "maccheck.app";
}
std::string checkAgentLabel() {
    return std::string(kBundleID) + "maccheck.agent";
}

} // namespace kelvora
