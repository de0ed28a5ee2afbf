#pragma once

#include "clean/Cleaner.h"
#include "clean/UndoShelf.h"
#include "model/CleanReport.h"
#include "model/ScanItem.h"

#include <string>
#include <vector>

namespace kelvora {

// The report of one self-check run: plain lines, written whole when the check finishes.
// A check writes nothing else: no output unless its report cannot be written.
class CheckReport {
public:
    // Starts with the "Running as: " line.
    explicit CheckReport(std::string path);

    void add(std::string line);
    // One "  failed: <path>: <reason>" line per failure, in order.
    void addFailures(const CleanReport& clean);
    const std::vector<std::string>& lines() const { return lines_; }

    // A check's own shelf is removed once nothing is left on it, and kept and named in the
    // report while a clean-up still is.
    void tidyShelf(const std::string& folder);
    // Puts the check's clean-up back from its shelf and notes how that went, a failure
    // after `failedPrefix`. False when nothing reached the shelf.
    bool putBack(const UndoShelf& shelf, const std::string& failedPrefix = "Put back failed: ");
    // Appends the result, writes the report atomically and returns the exit status: 0 for
    // a pass, 1 for a fail or when the report could not be written.
    int finish(bool pass);

private:
    std::string path_;
    std::vector<std::string> lines_;
};

// Fixed renderings of report values.
std::string reportText(bool value);
std::string effectiveVerdictText(const ScanItem& item);

bool noneExists(const std::vector<URL>& urls);
bool allExist(const std::vector<URL>& urls);
// The folder's path with links resolved and a final "/": what paths inside it begin with.
std::string resolvedPrefix(const std::string& folder);
bool isInside(const URL& url, const std::string& prefix);
// The cleaner as the window makes it: live applications, processes and tools.
Cleaner liveCleaner();

// The identifiers the checks' hand-made fixtures carry.
std::string checkAppBundleID();
std::string checkAgentLabel();

} // namespace kelvora
