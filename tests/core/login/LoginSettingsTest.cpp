#include "login/LoginSettings.h"

#include <gtest/gtest.h>

#include <set>

using namespace kelvora;

TEST(LoginSettings, TheDesktopsOwnSettingsWhereInstalledElseTheAutostartFolder) {
    using Place = LoginSettings::Place;
    struct Case {
        std::vector<std::string> desktops;
        std::set<std::string> installed;
        std::vector<std::string> command;
        Place place; // what the settings button says it opens
    };
    const std::vector<Case> cases = {
        {{"KDE"},
         {"kcmshell5", "kcmshell6", "gnome-tweaks"},
         {"/bin/kcmshell6", "kcm_autostart"},
         Place::kdeAutostart},
        {{"KDE"}, {"kcmshell5"}, {"/bin/kcmshell5", "autostart"}, Place::kdeAutostart},
        {{"kde"},
         {"systemsettings"},
         {"/bin/systemsettings", "kcm_autostart"},
         Place::kdeAutostart},
        {{"ubuntu", "GNOME"},
         {"gnome-tweaks", "gnome-session-properties"},
         {"/bin/gnome-session-properties"},
         Place::gnomeStartup},
        {{"GNOME"}, {"gnome-tweaks", "kcmshell6"}, {"/bin/gnome-tweaks"}, Place::gnomeStartup},
        {{"GNOME"}, {"kcmshell6"}, {}, Place::folder},
        {{"XFCE"}, {"gnome-tweaks"}, {}, Place::folder},
        {{}, {"kcmshell6", "gnome-tweaks"}, {}, Place::folder},
    };
    for (const Case& c : cases) {
        auto find = [&](const std::string& name) -> std::optional<std::string> {
            if (!c.installed.count(name)) return std::nullopt;
            return "/bin/" + name;
        };
        LoginSettings settings =
            LoginSettings::find(c.desktops, find, "/home/me/.config/autostart");
        EXPECT_EQ(settings.command, c.command) << (c.desktops.empty() ? "" : c.desktops.back());
        EXPECT_EQ(settings.folder, "/home/me/.config/autostart");
        EXPECT_EQ(settings.place, c.place);
    }
}
