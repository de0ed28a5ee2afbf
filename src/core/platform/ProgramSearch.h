#pragma once

#include <optional>
#include <string>

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

} // namespace kelvora
