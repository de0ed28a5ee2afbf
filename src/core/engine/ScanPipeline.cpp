#include "engine/DiskScanner.h"

namespace kelvora {

const std::vector<std::string>& DiskScanner::scanSteps() {
    static const std::vector<std::string> steps = {
        "app caches",        "logs and temp files", "apps",       "Downloads and the Trash",
        "Mail and Messages", "developer files",     "AI files",   "System Data",
        "your files",        "duplicates",          "large files"};
    return steps;
}

ScanResult DiskScanner::scan(const ProgressFunction& progress) const {
    ScanResult result;
    for (size_t i = 0; i < scanSteps().size(); ++i)
        if (progress) progress(scanSteps()[i], static_cast<int>(i));
    result.disk = diskSpace(home);
    return result;
}

std::vector<ScanItem> DiskScanner::scanCachesOnly() const {
    FileCounter counter;
    return scanCaches(runningApps(), counter);
}

} // namespace kelvora
