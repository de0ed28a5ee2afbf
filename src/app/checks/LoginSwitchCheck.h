#pragma once

#include <string>

namespace kelvora::LoginSwitchCheck {

// Switches the test launch agent off and on again, checking what the login-item reader
// and launchd report after each switch. Returns the exit status.
int run(const std::string& report);

} // namespace kelvora::LoginSwitchCheck
