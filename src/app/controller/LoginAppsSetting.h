#pragma once

#include "login/LoginItemScanner.h"

#include <vector>

namespace kelvora::Prefs {

// The open-at-login applications the user switched off here, stored under
// "turnedOffLoginApps" as {"name", "path"} objects. A stored list with any element that is
// not such an object of texts reads as empty; an object lacking a key is skipped.
std::vector<LoginItemScanner::OpenAtLoginApp> turnedOffLoginApps();
void setTurnedOffLoginApps(const std::vector<LoginItemScanner::OpenAtLoginApp>& apps);

} // namespace kelvora::Prefs
