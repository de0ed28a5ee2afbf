#pragma once

#include "platform/FilePresence.h"
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
    // Where $FLATPAK_USER_DIR and $FLATPAK_SYSTEM_DIR move Flatpak's own installations. The
    // usual places still count: a session started without them uses those.
    std::vector<URL> flatpakMoved;
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

// One of Flatpak's installations, and whether the applications it holds could be read now.
// One that could not be read (on a disk not attached now, behind a folder this user may not
// read) may hold any application. A file of installations.d that could not be read, or names
// no absolute Path, stands as one that could not be read, at the file's place.
struct FlatpakInstallation {
    URL folder;
    bool readable = true;
    bool operator==(const FlatpakInstallation&) const = default;
};

namespace SandboxApps {

// Every installation Flatpak knows of that is there or may be: the user's, the system's,
// those the environment moves them to and those installations.d names, each once. One whose
// path stops at an empty folder may be there and hold any app, even in the home or /opt.
std::vector<FlatpakInstallation> knownFlatpakInstallations(const SandboxRoots& roots,
                                                           const DiskPlaces& places);
// The folders of the installations that could be read.
std::vector<URL> flatpakInstallations(const SandboxRoots& roots, const DiskPlaces& places);
std::vector<URL> readableFolders(const std::vector<FlatpakInstallation>& known);
// Every application of the installations that could be read, in their order.
std::vector<SandboxApp> flatpakApps(const SandboxRoots& roots, const DiskPlaces& places);
std::vector<SandboxApp> flatpakApps(const std::vector<URL>& installations);
// Every application of every installation; none when Flatpak has no installation here or any
// of them could not be read, so that nothing says which of its apps are gone.
std::optional<std::vector<SandboxApp>> everyFlatpakApp(const SandboxRoots& roots,
                                                       const DiskPlaces& places);
std::optional<std::vector<SandboxApp>>
everyFlatpakApp(const std::vector<FlatpakInstallation>& known);
// The folders of the desktop entries an installation exports for its applications, and of
// those snapd writes for the snaps ("<snap>_<app>.desktop").
URL flatpakEntries(const URL& installation);
URL snapEntries(const SandboxRoots& roots);
// Whether snapd is on this computer, so that it can say which snaps are gone.
bool hasSnapd(const SandboxRoots& roots);
// Every installed snap, once, mounted or only downloaded.
std::vector<SandboxApp> snaps(const SandboxRoots& roots);
// The folders whose entries are the installed applications, to be watched for removals.
std::vector<URL> appFolders(const SandboxRoots& roots, const DiskPlaces& places);

} // namespace SandboxApps
} // namespace kelvora
