#include "engine/DiskScanner.h"

// Filled in by its own change; until then this step finds nothing.
namespace kelvora {

std::optional<DockerUsage> DiskScanner::liveDocker(const URL&) {
    return std::nullopt;
}
std::vector<ScanItem> DiskScanner::scanDocker(const std::optional<DockerUsage>&) const {
    return {};
}

} // namespace kelvora
