#pragma once

#include "platform/DesktopEntries.h"
#include "platform/Url.h"

#include <functional>
#include <memory>
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

// The applications of those folders, read again only once one of the folders has changed, so
// a name asked for many times costs one read of each folder's status.
std::shared_ptr<const std::vector<DesktopEntries::Application>> installedEntries();

// The entry a cache folder or a running program named `name` belongs to, tried in this order
// over all entries: its id as written; its id, the id's last part ("org.gnome.Evolution" for
// "evolution"), the program its Exec runs and its StartupWMClass, each in any letter case.
// A folder named after no program ("mozilla") stands for the first installed application of
// a small table. Nothing when none matches.
const DesktopEntries::Application* entryFor(const std::string& name,
                                            const std::vector<DesktopEntries::Application>& apps);

// The name of the application bundle with this identifier in the folders: its file name
// without ".app".
std::optional<std::string> bundleName(const std::string& identifier,
                                      const std::vector<URL>& applicationFolders);

// Bundles of the given application folders first, then the desktop's entries (entryFor),
// both looked up afresh, so an application installed or removed meanwhile is seen.
Lookup live(std::vector<URL> applicationFolders);

} // namespace kelvora::AppNames
