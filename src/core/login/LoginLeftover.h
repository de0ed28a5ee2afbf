#pragma once

#include "login/LoginItem.h"
#include "model/ScanItem.h"

namespace kelvora {

// A leftover login item as the cleaner takes it: its file (a launch agent's property list,
// an autostart entry, or a unit with the links that enable it), to be moved onto the shelf
// under the login item's name. The item must have a file.
ScanItem leftoverItem(const LoginItem& item);

} // namespace kelvora
