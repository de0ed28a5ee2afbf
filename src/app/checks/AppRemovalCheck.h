#pragma once

#include <optional>
#include <string>

namespace kelvora::AppRemovalCheck {

// Moves the test application onto a shelf of its own and puts it back: found by a scan of
// ~/Applications, or the bundle named by `appPath`. Returns the exit status.
int run(const std::string& report, const std::optional<std::string>& appPath);

} // namespace kelvora::AppRemovalCheck
