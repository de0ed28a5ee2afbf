#pragma once

#include "platform/Plist.h"
#include "platform/Url.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// An application bundle is a ".app" folder described by its Contents/Info.plist.
std::optional<Json> bundleInfo(const URL& bundle);
std::optional<std::string> bundleIdentifier(const URL& bundle);

} // namespace kelvora
