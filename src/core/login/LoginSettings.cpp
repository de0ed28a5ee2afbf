#include "login/LoginSettings.h"

#include "platform/Text.h"

#include <algorithm>

namespace kelvora {

namespace {

struct Candidate {
    const char* desktop;
    const char* program;
    std::vector<std::string> arguments;
};

// In the order a user of each desktop would be sent there: straight to the list of what
// starts at login where a tool opens on it.
const std::vector<Candidate>& candidates() {
    static const std::vector<Candidate> rows = {
        {"KDE", "kcmshell6", {"kcm_autostart"}},      {"KDE", "kcmshell5", {"autostart"}},
        {"KDE", "systemsettings", {"kcm_autostart"}}, {"KDE", "systemsettings5", {"autostart"}},
        {"GNOME", "gnome-session-properties", {}},    {"GNOME", "gnome-tweaks", {}},
    };
    return rows;
}

} // namespace

LoginSettings LoginSettings::find(const std::vector<std::string>& desktops,
                                  const FindProgram& findProgram,
                                  const std::string& autostartFolder) {
    LoginSettings settings{{}, autostartFolder, Place::folder};
    for (const Candidate& candidate : candidates()) {
        bool ours = std::any_of(desktops.begin(), desktops.end(), [&](const std::string& name) {
            return equalsIgnoringCase(name, candidate.desktop);
        });
        if (!ours) continue;
        if (auto path = findProgram(candidate.program)) {
            settings.command = {*path};
            settings.command.insert(settings.command.end(), candidate.arguments.begin(),
                                    candidate.arguments.end());
            settings.place = std::string_view(candidate.desktop) == "KDE" ? Place::kdeAutostart
                                                                          : Place::gnomeStartup;
            return settings;
        }
    }
    return settings;
}

} // namespace kelvora
