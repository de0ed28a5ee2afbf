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

std::optional<std::string> findInFolders(const std::string& name,
                                         const std::vector<std::string>& folders,
                                         const DiskPlaces& places) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    std::optional<std::string> unsure;
    for (const std::string& folder : folders) {
        const std::string candidate = joinPath(folder, name);
        if (folder.front() != '/') {
            if (!unsure) unsure = candidate;
            continue;
        }
        if (isExecutableFile(candidate)) return candidate;
        if (!unsure && presenceOf(candidate, places) != Presence::gone) unsure = candidate;
    }
    return unsure;
}

} // namespace kelvora
