#pragma once

#include "login/LoginItem.h"
#include "model/ScanItem.h"

namespace kelvora {

// A leftover login item as the cleaner takes it: its launch agent file, to be moved onto
// the shelf under the login item's name. The item must have a file.
ScanItem leftoverItem(const LoginItem& item);

} // namespace kelvora
