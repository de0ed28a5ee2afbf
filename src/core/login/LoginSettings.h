#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Where the login items' settings button and "Settings…" lead: the current desktop's own settings
// of what starts at login where they are installed (KDE's Autostart module, GNOME's
// gnome-session-properties or Tweaks), else the user's autostart folder in the file manager.
struct LoginSettings {
    // What opens: KDE's Autostart module, GNOME's Startup Applications, or the folder.
    enum class Place { kdeAutostart, gnomeStartup, folder };

    std::vector<std::string> command; // the program's path and its arguments; empty: the folder
    std::string folder;               // the user's autostart folder
    Place place = Place::folder;
    bool operator==(const LoginSettings&) const = default;

    using FindProgram = std::function<std::optional<std::string>(const std::string& name)>;
    static LoginSettings find(const std::vector<std::string>& desktops,
                              const FindProgram& findProgram, const std::string& autostartFolder);
};

} // namespace kelvora
