#include "engine/DiskScanner.h"

// Filled in by its own change; until then this step finds nothing.
namespace kelvora {

std::vector<ScanItem> DiskScanner::scanApps(const std::vector<RunningApp>&, FileCounter&) const {
    return {};
}
std::vector<URL> DiskScanner::appBundles() const {
    return {};
}
std::vector<URL> DiskScanner::leftoverFiles(const std::string&, const std::string&) const {
    return {};
}
bool DiskScanner::canMove(const URL&) const {
    return false;
}
std::optional<AppUsage> DiskScanner::spotlightUsage(const URL&) {
    return std::nullopt;
}
std::optional<URL> DiskScanner::applicationURL(const std::string&, const std::vector<URL>&) {
    return std::nullopt;
}

} // namespace kelvora
