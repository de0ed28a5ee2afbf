#pragma once

#include <string>

namespace kelvora::LeftoverAgentCheck {

// Moves one leftover login agent of the user onto a shelf of its own and puts it back.
// Returns the exit status.
int run(const std::string& report, const std::string& label);

} // namespace kelvora::LeftoverAgentCheck
