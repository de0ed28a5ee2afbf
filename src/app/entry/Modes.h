#pragma once

#include "entry/Arguments.h"

#include <optional>
#include <string>

namespace kelvora {

// Looks for the command-line modes in their fixed order and runs the first one found.
// Returns its exit status, or nothing when no mode is given and the window should start.
// None of the modes needs a display: the renderers draw off screen.
std::optional<int> runCommandLineMode(const Arguments& arguments);

// "--debug-helper <action> [file]": registers, unregisters or only reports the helper and
// returns the report line (without its newline); writes it to the file when one follows.
std::string agentReport(const Arguments& arguments, const std::string& action);

} // namespace kelvora
