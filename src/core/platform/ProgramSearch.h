#pragma once

#include "platform/FilePresence.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The first executable file of this name in the folders of $PATH, as a shell would find it.
std::optional<std::string> findOnPath(const std::string& name);

// A program (a path or a name) that only starts another one: a shell, env, flatpak, an
// interpreter ("python3.11" is python). Whether it runs, and its name, say nothing of what it
// was asked to start.
bool startsAnotherProgram(const std::string& program);
// Those, and the small tools a script is built of (`true`, `nohup`…): a name that tells one
// thing that starts at login from another no better than "program" would.
bool isGenericTool(const std::string& program);

// Where a bare program name is found in these folders: the first executable file of that
// name. Failing that, the first file of that name that is not surely gone (one on a disk that
// is away now, or behind a folder this user may not search), so that judging it says it may
// be there; none only when the name is surely in none of them. A relative folder stands for
// an unknown working folder, so the name may lie there.
std::optional<std::string> findInFolders(const std::string& name,
                                         const std::vector<std::string>& folders,
                                         const DiskPlaces& places);

} // namespace kelvora
