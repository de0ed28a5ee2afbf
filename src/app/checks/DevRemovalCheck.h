#pragma once

#include <string>

namespace kelvora::DevRemovalCheck {

// Scans the home folder and deletes the developer files found inside ~/Kelvora Check
// Projects. Returns the exit status.
int run(const std::string& report);

} // namespace kelvora::DevRemovalCheck
