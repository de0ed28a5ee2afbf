#pragma once

#include "platform/ProcessTable.h"
#include "platform/Url.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The program an autostart entry's Exec or a unit's ExecStart names, as the session finds
// it: a bare name in the folders of $PATH, then in the standard ones; a name found nowhere
// stays as it is (and counts as missing).
URL resolvedProgram(const std::string& word);

// The process of this user that runs the program, by the identity of its executable or of
// the script its interpreter was started on. A program that only starts others (a shell,
// env, flatpak, an interpreter) runs for many reasons, so its running tells nothing.
std::optional<int32_t> runningPid(const URL& program, const std::vector<ProgramRun>& runs);

} // namespace kelvora
