#include "engine/DiskScanner.h"

// Filled in by its own change; until then this step finds nothing.
namespace kelvora {

std::optional<std::string> DiskScanner::findOllama() {
    return std::nullopt;
}

} // namespace kelvora
