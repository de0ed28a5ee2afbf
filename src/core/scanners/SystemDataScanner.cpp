#include "engine/DiskScanner.h"

// Filled in by its own change; until then this step finds nothing.
namespace kelvora {

std::vector<ScanItem> DiskScanner::purgeableItem() const {
    return {};
}
std::vector<ScanItem> DiskScanner::macOSInstallers(FileCounter&) const {
    return {};
}
std::vector<ScanItem> DiskScanner::deviceBackups(FileCounter&) const {
    return {};
}
std::vector<ScanItem> DiskScanner::deviceUpdates(FileCounter&) const {
    return {};
}
std::vector<ScanItem> DiskScanner::dockerDiskItem(const std::optional<DockerUsage>&) const {
    return {};
}
int64_t DiskScanner::livePurgeable(const URL&) {
    return 0;
}
std::vector<Date> DiskScanner::liveSnapshots() {
    return {};
}

} // namespace kelvora
