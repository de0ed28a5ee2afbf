#pragma once

#include "login/LoginItem.h"
#include "login/LoginPrograms.h"
#include "platform/DesktopEntry.h"
#include "platform/ProcessTable.h"
#include "platform/SandboxApps.h"
#include "platform/Url.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The desktop's autostart entries, as the freedesktop Autostart rules read them: the user's
// own in one folder, and the entries installed for everyone in others, where a user entry of
// the same file name stands in for the system's.
struct AutostartEntries {
    URL userFolder;                    // <config home>/autostart
    std::vector<URL> systemFolders;    // <each config dir>/autostart, the first one winning
    std::vector<std::string> desktops; // the current desktop's names
    std::string locale;                // for Name and Comment
    std::vector<ProgramRun> runs;      // this user's processes
    ProgramPlaces programs;            // where their programs are looked for and judged
    SandboxRoots sandbox;              // where Flatpak and Snap keep the apps entries start

    // The user's entries (openAtLogin), then the system's (globalAgent).
    std::vector<LoginItem> items() const;

    // Hidden=true, or X-GNOME-Autostart-enabled=false, in the key's last line.
    static bool isSwitchedOff(const DesktopEntry& entry);
    // Why the desktop leaves the entry out, in plain words; none when it starts it.
    static std::optional<std::string> desktopNote(const DesktopEntry& entry,
                                                  const std::vector<std::string>& desktops);

    static constexpr const char* kExtension = "desktop";
};

} // namespace kelvora
