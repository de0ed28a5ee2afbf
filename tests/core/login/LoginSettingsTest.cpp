#include "login/LoginSettings.h"

#include <gtest/gtest.h>

#include <set>

using namespace kelvora;

TEST(LoginSettings, TheDesktopsOwnSettingsWhereInstalledElseTheAutostartFolder) {
    struct Case {
        std::vector<std::string> desktops;
        std::set<std::string> installed;
        std::vector<std::string> command;
    };
    const std::vector<Case> cases = {
        {{"KDE"}, {"kcmshell5", "kcmshell6", "gnome-tweaks"}, {"/bin/kcmshell6", "kcm_autostart"}},
        {{"KDE"}, {"kcmshell5"}, {"/bin/kcmshell5", "autostart"}},
        {{"kde"}, {"systemsettings"}, {"/bin/systemsettings", "kcm_autostart"}},
        {{"ubuntu", "GNOME"},
         {"gnome-tweaks", "gnome-session-properties"},
         {"/bin/gnome-session-properties"}},
        {{"GNOME"}, {"gnome-tweaks", "kcmshell6"}, {"/bin/gnome-tweaks"}},
        {{"GNOME"}, {"kcmshell6"}, {}},
        {{"XFCE"}, {"gnome-tweaks"}, {}},
        {{}, {"kcmshell6", "gnome-tweaks"}, {}},
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
    }
}
