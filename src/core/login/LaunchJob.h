#pragma once

#include "platform/FilePresence.h"
#include "platform/Url.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// What one launchd property list says: read once when made, never fails.
struct LaunchJob {
    URL plist;
    std::string label;
    std::optional<URL> program;
    std::vector<std::string> associatedBundleIDs;
    bool startsAtLogin = false;
    bool isEmpty = true;

    LaunchJob() = default;
    // `home` expands a leading tilde in the program's path.
    explicit LaunchJob(const URL& plist, const std::string& home = "");

    bool operator==(const LaunchJob&) const = default;
};

// The folders a bare program name is looked up in, as launchd would run it.
const std::vector<std::string>& standardProgramPath();

// No program, or none at its path. A program on a disk that is away now, or behind a folder
// this user may not search, cannot be judged (presenceOf), so it does not count as missing.
bool isProgramMissing(const std::optional<URL>& program, const DiskPlaces& disks);

} // namespace kelvora
