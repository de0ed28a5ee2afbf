#include "platform/ProgramSearch.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cstdlib>

namespace kelvora {

std::optional<std::string> findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (!path || name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    for (const std::string& folder : splitNonEmpty(path, ':')) {
        std::string candidate = joinPath(folder, name);
        if (isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

} // namespace kelvora
