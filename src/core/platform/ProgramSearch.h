#pragma once

#include "platform/FilePresence.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The first executable file of this name in the folders of $PATH, as a shell would find it.
std::optional<std::string> findOnPath(const std::string& name);

// Where a bare program name is found in these folders: the first executable file of that
// name. Failing that, the first file of that name that is not surely gone (one on a disk that
// is away now, or behind a folder this user may not search), so that judging it says it may
// be there; none only when the name is surely in none of them. A relative folder stands for
// an unknown working folder, so the name may lie there.
std::optional<std::string> findInFolders(const std::string& name,
                                         const std::vector<std::string>& folders,
                                         const DiskPlaces& places);

} // namespace kelvora
