#pragma once

#include "platform/Url.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora::UnitFolders {

// The folders of each systemd manager's search path besides the user's own configuration
// folders and /etc/systemd/system, in systemd's order: the user's of the data folder
// `dataHome` and the runtime folder, and the system's.
std::vector<URL> otherUser(const URL& dataHome);
std::vector<URL> otherSystem();
// The user's manager's whole search path, for the current user, highest priority first.
std::vector<std::string> liveUser();
// Both managers' whole search paths, for the current user.
std::vector<std::string> live();

// The path a mount unit's name stands for, as systemd escapes paths in names:
// "srv-nas.mount" is /srv/nas, "-.mount" the root, "\x2d" a dash. None when it names no path.
std::optional<std::string> pathOfName(const std::string& unitName);
// Where the .mount and .automount units of the folders, and of their *.wants and *.requires
// folders, mount: each one's Where= and the path its name stands for.
std::vector<std::string> mountPoints(const std::vector<std::string>& folders);

} // namespace kelvora::UnitFolders
