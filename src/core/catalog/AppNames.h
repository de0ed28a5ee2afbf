#pragma once

#include "platform/Url.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora::AppNames {

// An identifier to the name of the installed application it belongs to, or nothing.
using Lookup = std::function<std::optional<std::string>(const std::string& identifier)>;

// The folders of the desktop's application entries, in the order the desktop reads them:
// $XDG_DATA_HOME/applications (~/.local/share without it), then each folder of
// $XDG_DATA_DIRS (/usr/local/share and /usr/share without it), then the exports of the
// user's and the system's Flatpak installations where those are not listed already.
std::vector<std::string> desktopEntryFolders();

// The Name of the first "<identifier>.desktop" entry in the folders (the identifier when
// it has none); an entry marked Hidden has been deleted by the user and names nothing.
std::optional<std::string> desktopEntryName(const std::string& identifier,
                                            const std::vector<std::string>& folders);

// The name of the application bundle with this identifier in the folders: its file name
// without ".app".
std::optional<std::string> bundleName(const std::string& identifier,
                                      const std::vector<URL>& applicationFolders);

// Bundles of the given application folders first, then the desktop's entries, both looked
// up afresh at each call, so an application installed or removed meanwhile is seen.
Lookup live(std::vector<URL> applicationFolders);

} // namespace kelvora::AppNames
