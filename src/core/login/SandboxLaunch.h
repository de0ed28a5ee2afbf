#pragma once

#include "platform/DesktopEntry.h"
#include "platform/SandboxApps.h"

#include <optional>
#include <string>

namespace kelvora {

// The Flatpak or Snap application an autostart entry starts, as that application's own
// exported desktop entry shows it. The entry itself often says only "flatpak", or the
// application's id, which is how the desktop's background portal writes it.
struct SandboxLaunch {
    SandboxApp::Kind kind = SandboxApp::Kind::flatpak;
    std::string id;                  // the Flatpak application's id, or the snap's name
    std::optional<std::string> name; // its entry's Name in the user's language
    std::optional<std::string> icon; // its entry's Icon, as an image file where one is found
    bool installedNowhere = false;   // surely: every installation was read
    bool operator==(const SandboxLaunch&) const = default;

    // The Flatpak application an entry starts: its X-Flatpak, else the id that follows
    // `flatpak run` and its options in Exec.
    static std::optional<std::string> flatpakID(const DesktopEntry& entry);
    // The snap, and its application ("signal-desktop", "code.url-handler"), an entry starts:
    // its X-SnapInstanceName, else what Exec runs from /snap/bin or with `snap run`.
    static std::optional<std::string> snapCommand(const DesktopEntry& entry);
};

// Finds what the entries of one autostart list start, reading the installations once, at the
// first entry that needs them.
class SandboxLaunches {
public:
    SandboxLaunches(SandboxRoots roots, DiskPlaces places)
        : roots_(std::move(roots)), places_(std::move(places)) {}

    std::optional<SandboxLaunch> of(const DesktopEntry& entry, const std::string& locale) const;

private:
    SandboxLaunch flatpak(const std::string& id, const std::string& locale) const;
    SandboxLaunch snap(const std::string& command, const std::string& locale) const;

    // Flatpak's installations and their applications; every application is known only while
    // every installation could be read.
    struct Flatpaks {
        std::vector<URL> installations;
        std::optional<std::vector<SandboxApp>> apps;
    };
    const Flatpaks& flatpaks() const;

    SandboxRoots roots_;
    DiskPlaces places_;
    mutable std::optional<Flatpaks> flatpaks_;
};

} // namespace kelvora
