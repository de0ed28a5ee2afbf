#include "engine/DiskScanner.h"

// Filled in by its own change; until then this step finds nothing.
namespace kelvora {

std::vector<ScanItem> DiskScanner::scanTempLeftovers(FileCounter&) const {
    return {};
}
std::optional<int32_t> DiskScanner::onnxOwnerPID(const std::string&) {
    return std::nullopt;
}

} // namespace kelvora
