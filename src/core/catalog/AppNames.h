#pragma once

#include "platform/Url.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::AppNames {

// An identifier or a folder's name to the name of the installed application it belongs to,
// or nothing.
using Lookup = std::function<std::optional<std::string>(const std::string& identifier)>;

// The folders of the desktop's application entries of the current user's session: those of
// $XDG_DATA_HOME (~/.local/share without it) and $XDG_DATA_DIRS, and Flatpak's exports.
std::vector<std::string> desktopEntryFolders();

// The name of the application bundle with this identifier in the folders: its file name
// without ".app".
std::optional<std::string> bundleName(const std::string& identifier,
                                      const std::vector<URL>& applicationFolders);

// Bundles of the given application folders first, then the desktop's entries named like the
// identifier in any letter case, both looked up afresh at each call, so an application
// installed or removed meanwhile is seen.
Lookup live(std::vector<URL> applicationFolders);

} // namespace kelvora::AppNames
