#include "engine/DiskScanner.h"

// Filled in by its own change; until then this step finds nothing.
namespace kelvora {

std::vector<ScanItem> DiskScanner::scanDerivedData(FileCounter&) const {
    return {};
}
std::vector<ScanItem> DiskScanner::scanDeviceSupport(FileCounter&) const {
    return {};
}
std::vector<ScanItem> DiskScanner::scanSimulators(FileCounter&) const {
    return {};
}
std::vector<SimulatorDevice> DiskScanner::liveSimulators(const URL&) {
    return {};
}

} // namespace kelvora
