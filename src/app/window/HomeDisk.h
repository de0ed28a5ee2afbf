#pragma once

#include <string>

namespace kelvora::HomeDisk {

// The name the disk holding the home folder goes by: its volume label, else "Home disk".
// Read once per process; a still picture passes `forPicture` and always gets "Home disk",
// so it comes out the same on every machine.
std::string label(const std::string& home, bool forPicture);

} // namespace kelvora::HomeDisk
