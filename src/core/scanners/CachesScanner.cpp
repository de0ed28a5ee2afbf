#include "engine/DiskScanner.h"

// Filled in by its own change; until then this step finds nothing.
namespace kelvora {

std::vector<ScanItem> DiskScanner::scanCaches(const std::vector<RunningApp>&, FileCounter&) const {
    return {};
}
std::optional<RunningApp> DiskScanner::appUsing(const std::string&,
                                                const std::vector<RunningApp>&) {
    return std::nullopt;
}

} // namespace kelvora
