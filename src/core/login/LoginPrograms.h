#pragma once

#include "platform/FilePresence.h"
#include "platform/ProcessTable.h"
#include "platform/Url.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Where the programs of login items are looked for and judged: the home ("~/"), the folders
// a bare program name is looked up in, in order, and the disks that may be away.
struct ProgramPlaces {
    std::string home;
    std::vector<std::string> folders;
    DiskPlaces disks;
};

// The places a session finds a login item's program in: the folders of $PATH, then those of
// `managerPath` (the PATH the user's service manager gives what it starts), the standard
// program folders, and the user's own that a session started from the menu often has while
// Kelvora lacks them: ~/.local/bin, ~/bin, and the programs Flatpak and Snap export.
ProgramPlaces sessionProgramPlaces(const std::string& home,
                                   const std::vector<std::string>& managerPath, DiskPlaces disks);

// The program a word of an entry's Exec or a unit's ExecStart names, as the session finds
// it: a bare name in the places' folders; a name found nowhere stays as it is.
URL resolvedProgram(const std::string& word, const ProgramPlaces& places);

// Whether what a word names is there to start: a path is judged by presenceOf, and a bare
// name is gone only when it is surely in none of the folders. A program that only starts
// another (a shell, env, flatpak, an interpreter) says nothing of what it starts, and neither
// does a word whose place this process cannot know (a variable, a specifier, a tilde, a
// relative path): both are unknown.
Presence programPresence(const std::optional<std::string>& written, const ProgramPlaces& places);

// The script a command (its words, env read through) starts a shell or an interpreter on:
// the word after it, when that is a path ("python3 /home/u/bin/agent.py", "sh ~/x.sh").
std::optional<URL> scriptOf(const std::vector<std::string>& command, const ProgramPlaces& places);

// The process of this user that runs the program, by the identity of its executable or of
// the script its interpreter was started on, or that runs `script`. A program that only
// starts others (a shell, env, flatpak, an interpreter) runs for many reasons, so its running
// tells nothing without its script.
std::optional<int32_t> runningPid(const URL& program, const std::optional<URL>& script,
                                  const std::vector<ProgramRun>& runs);

} // namespace kelvora
