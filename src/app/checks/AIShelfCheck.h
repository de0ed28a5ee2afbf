#pragma once

#include <string>

namespace kelvora::AIShelfCheck {

// Scans the fixture home in ~/Kelvora Check AI, moves its one set of old AI chats onto the
// check's shelf and puts it back. Returns the exit status.
int run(const std::string& report);

} // namespace kelvora::AIShelfCheck
