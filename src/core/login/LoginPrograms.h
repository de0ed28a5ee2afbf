#pragma once

#include "platform/ProcessTable.h"
#include "platform/Url.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The program an autostart entry's Exec or a unit's ExecStart names, as the session finds
// it: a bare name in the folders of $PATH, then in the standard ones and the user's own; a
// name found nowhere stays as it is (and counts as missing).
URL resolvedProgram(const std::string& word);

// Whether the program an entry's Exec, TryExec or a unit's ExecStart names, as written, is
// surely gone, so that the entry starts nothing: a path that leads nowhere (on no volume
// that is only away), or a bare name found in none of the folders a session looks in. A
// program that only starts another (a shell, env, flatpak, an interpreter) says nothing of
// what it starts, and neither does a word written any other way: neither is ever gone.
bool isProgramGone(const std::optional<std::string>& written);

// The process of this user that runs the program, by the identity of its executable or of
// the script its interpreter was started on. A program that only starts others (a shell,
// env, flatpak, an interpreter) runs for many reasons, so its running tells nothing.
std::optional<int32_t> runningPid(const URL& program, const std::vector<ProgramRun>& runs);

} // namespace kelvora
