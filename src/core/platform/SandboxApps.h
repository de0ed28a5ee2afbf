#pragma once

#include "platform/Url.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Where Flatpak and Snap keep the applications they installed. The system's places can be
// pointed elsewhere, so a test reads a made-up system instead of this computer's.
struct SandboxRoots {
    URL flatpakUser;   // the user's installation: $XDG_DATA_HOME/flatpak
    URL flatpakSystem; // /var/lib/flatpak
    URL flatpakConfig; // /etc/flatpak, whose installations.d names further installations
    URL snapMounts;    // /snap, one folder per installed snap
    URL snapd;         // /var/lib/snapd, with snaps/<name>_<revision>.snap
    bool operator==(const SandboxRoots&) const = default;

    static SandboxRoots live(const URL& dataHome);
    // The system's places below `root` instead of "/", as a made-up system keeps them.
    static SandboxRoots under(const URL& root, const URL& dataHome);
};

// One application that Flatpak or Snap installed.
struct SandboxApp {
    enum class Kind { flatpak, snap };
    Kind kind = Kind::flatpak;
    std::string id; // the Flatpak application's id, or the snap's name
    URL folder;     // where its installation keeps it
    bool operator==(const SandboxApp&) const = default;
};

namespace SandboxApps {

// The folders of Flatpak's installations that exist: the user's, the system's and those its
// installations.d names.
std::vector<URL> flatpakInstallations(const SandboxRoots& roots);
// Every application of every Flatpak installation, in the order of the installations.
std::vector<SandboxApp> flatpakApps(const SandboxRoots& roots);
std::vector<SandboxApp> flatpakApps(const std::vector<URL>& installations);
// Every Flatpak application, and whether every installation could be read to find them: only
// then is an application found in none surely not installed.
struct FlatpakApps {
    std::vector<URL> installations;
    std::vector<SandboxApp> apps;
    bool complete = true;
};
FlatpakApps readFlatpakApps(const SandboxRoots& roots);
// The folders of the desktop entries an installation exports for its applications, and of
// those snapd writes for the snaps ("<snap>_<app>.desktop").
URL flatpakEntries(const URL& installation);
URL snapEntries(const SandboxRoots& roots);
// Whether snapd is on this computer, so that it can say which snaps are gone.
bool hasSnapd(const SandboxRoots& roots);
// Every installed snap, once, mounted or only downloaded.
std::vector<SandboxApp> snaps(const SandboxRoots& roots);
// The folders whose entries are the installed applications, to be watched for removals.
std::vector<URL> appFolders(const SandboxRoots& roots);

} // namespace SandboxApps
} // namespace kelvora
