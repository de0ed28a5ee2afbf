#include "platform/DesktopEntry.h"
#include "platform/DesktopEntries.h"
#include "platform/Text.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kelvora;

TEST(DesktopEntry, KeysOfTheMainGroupInTheUsersLanguage) {
    auto entry = DesktopEntry::parse("# comment\n[Desktop Entry]\nName = Text\\sEditor\n"
                                     "Name[fr]=Éditeur\nName[fr_CH]=Éditeur suisse\n"
                                     "Comment[de]=Schreiben\nHidden=true\nOnlyShowIn=GNOME;;KDE;\n"
                                     "[Desktop Action new]\nName=New Window\nExec=other\n");
    EXPECT_EQ(entry.value("Name"), "Text Editor");
    EXPECT_EQ(entry.value("Exec"), std::nullopt) << "an action's keys are not the entry's";
    for (const auto& [locale, name] :
         std::vector<std::pair<std::string, std::string>>{{"fr_CH.UTF-8@euro", "Éditeur suisse"},
                                                          {"fr_BE.UTF-8", "Éditeur"},
                                                          {"de_DE.UTF-8", "Text Editor"},
                                                          {"C", "Text Editor"}})
        EXPECT_EQ(entry.localized("Name", locale), name) << locale;
    EXPECT_EQ(entry.localized("Comment", "de_AT"), "Schreiben");
    EXPECT_TRUE(entry.flag("Hidden"));
    EXPECT_EQ(entry.list("OnlyShowIn"), (std::vector<std::string>{"GNOME", "KDE"}));
    EXPECT_TRUE(entry.showsIn({"ubuntu", "GNOME"}));
    EXPECT_FALSE(entry.showsIn({"XFCE"}));
    EXPECT_FALSE(entry.showsIn({}));
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nNotShowIn=kde\n").showsIn({"KDE"}));
}

TEST(DesktopEntry, ExecNamesItsProgramThroughQuotesFieldCodesAndEnv) {
    struct Case {
        std::string exec;
        std::vector<std::string> words;
        std::optional<std::string> program;
    };
    const std::vector<Case> cases = {
        {"code --unity-launch %F", {"code", "--unity-launch"}, "code"},
        {R"("/home/ann/My Apps/Obsidian.AppImage" --no-sandbox %U)",
         {"/home/ann/My Apps/Obsidian.AppImage", "--no-sandbox"},
         "/home/ann/My Apps/Obsidian.AppImage"},
        {R"(env GDK_BACKEND=x11 LANG=C /opt/app/run "a \"quoted\" word" 100%%)",
         {"env", "GDK_BACKEND=x11", "LANG=C", "/opt/app/run", "a \"quoted\" word", "100%"},
         "/opt/app/run"},
        {"/usr/bin/flatpak run --branch=stable org.gimp.GIMP @@u %U @@",
         {"/usr/bin/flatpak", "run", "--branch=stable", "org.gimp.GIMP", "@@u", "@@"},
         "/usr/bin/flatpak"},
        {"env", {"env"}, std::nullopt},
        {"", {}, std::nullopt},
        // env's options and their arguments, short, bundled, long and split.
        {"env -u DISPLAY -C /tmp /opt/app/run",
         {"env", "-u", "DISPLAY", "-C", "/tmp", "/opt/app/run"},
         "/opt/app/run"},
        {"env -iuDISPLAY --chdir=/tmp --unset TERM -- A=1 /opt/app/run", {}, "/opt/app/run"},
        {R"(env -S "LANG=C /opt/app/run --flag" %U)", {}, "/opt/app/run"},
        {"env --split-string=-i /opt/app/run", {}, "/opt/app/run"},
        {"env A=1 env -v /opt/app/run", {}, "/opt/app/run"},
        // What env would read otherwise than Kelvora can: env itself stands as the program.
        {"env --frobnicate /opt/app/run", {}, "env"},
        {"/usr/bin/env -S \"/opt/app/run 'a b'\"", {}, "/usr/bin/env"},
        {"env -u", {}, "env"},
        {"env A=1 -u X /opt/app/run", {}, "env"},
    };
    for (const Case& c : cases) {
        auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + c.exec + "\n");
        if (!c.words.empty() || c.exec.empty()) {
            EXPECT_EQ(entry.execWords(), c.words) << c.exec;
        }
        EXPECT_EQ(entry.program(), c.program) << c.exec;
    }
}

// Each Exec as written in the file, beside the words GLib's launcher runs: the key file's
// escapes first, then the field codes, then the shell's quoting. Where GLib cannot read the
// quoting, nothing is known of the program.
TEST(DesktopEntry, ExecIsReadAsGLibReadsIt) {
    using Words = std::optional<std::vector<std::string>>;
    const std::vector<std::pair<std::string, Words>> cases = {
        // What the desktop's own dialog writes for "My\ Apps".
        {R"(/home/u/My\\ Apps/tool)", Words{{"/home/u/My Apps/tool"}}},
        {R"(/home/u/My\ Apps/tool --x)", Words{{"/home/u/My Apps/tool", "--x"}}},
        {R"(/opt/run\s--flag)", Words{{"/opt/run", "--flag"}}},
        {R"('/opt/My Apps/run' "a b"c)", Words{{"/opt/My Apps/run", "a bc"}}},
        {R"('/opt/it'\\''s/run')", Words{{"/opt/it's/run"}}},
        {R"('/opt/$HOME\\x/run')", Words{{R"(/opt/$HOME\x/run)"}}},
        {R"("/opt/a \\"b\\"/run" %U)", Words{{R"(/opt/a "b"/run)"}}},
        {R"("C:\\\\Program Files\\\\app.exe" "\\$x \\y")",
         Words{{R"(C:\Program Files\app.exe)", R"($x \y)"}}},
        {"/opt/run --title=100%% --file=%f %i \"%c\"",
         Words{{"/opt/run", "--title=100%", "--file=", ""}}},
        {"/opt/run # a comment", Words{{"/opt/run"}}},
        {"/opt/run a#b\t#c", Words{{"/opt/run", "a#b", "#c"}}},
        {R"(sh -c 'echo "hi"; exec /opt/run')", Words{{"sh", "-c", R"(echo "hi"; exec /opt/run)"}}},
        {"", Words{std::vector<std::string>()}},
        // Quoting GLib cannot read.
        {R"("/opt/My Apps/run)", std::nullopt},
        {R"('/opt/run)", std::nullopt},
        {R"("/opt/run\\")", std::nullopt},
        {R"(/opt/run\\)", std::nullopt},
        {R"(/opt/run\)", std::nullopt},
    };
    for (const auto& [exec, words] : cases) {
        auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n");
        EXPECT_EQ(entry.execWords(), words) << exec;
        if (!words) EXPECT_EQ(entry.program(), std::nullopt) << exec;
    }
}

// GLib and KDE read the last line of a key given twice, in a group given twice as well.
TEST(DesktopEntry, TheLastLineOfAKeyCounts) {
    auto entry = DesktopEntry::parse("[Desktop Entry]\nExec=/gone/first\nName=First\n"
                                     "Name[fr]=Premier\nExec=/opt/second --x\n"
                                     "[Desktop Action x]\nExec=/other\n"
                                     "[Desktop Entry]\nName[fr]=Dernier\n");
    EXPECT_EQ(entry.program(), "/opt/second");
    EXPECT_EQ(entry.value("Exec"), "/opt/second --x");
    EXPECT_EQ(entry.localized("Name", "fr_FR.UTF-8"), "Dernier");
    EXPECT_EQ(entry.withValue("Exec", "/opt/third"),
              replacingAll(entry.text(), "/opt/second --x", "/opt/third"));
}

TEST(DesktopEntry, SettingAKeyKeepsEveryOtherLine) {
    const std::string text = "# keep me\n[Desktop Entry]\nName=Sync\nExec=sync --daemon\n\n"
                             "[Desktop Action quit]\nHidden=false\n";
    auto entry = DesktopEntry::parse(text);
    EXPECT_EQ(entry.withValue("Hidden", "true"),
              "# keep me\n[Desktop Entry]\nName=Sync\nExec=sync --daemon\nHidden=true\n\n"
              "[Desktop Action quit]\nHidden=false\n");
    auto hidden = DesktopEntry::parse(entry.withValue("Hidden", "true"));
    EXPECT_EQ(hidden.withValue("Hidden", "false"),
              "# keep me\n[Desktop Entry]\nName=Sync\nExec=sync --daemon\nHidden=false\n\n"
              "[Desktop Action quit]\nHidden=false\n");
    EXPECT_EQ(DesktopEntry::parse("[Desktop Entry]").withValue("Hidden", "true"),
              "[Desktop Entry]\nHidden=true");
    EXPECT_EQ(DesktopEntry::parse("# nothing").withValue("Hidden", "true"),
              "# nothing\n[Desktop Entry]\nHidden=true\n");
}

TEST(DesktopEntry, AUnitFileReadsOneGroupAtATime) {
    const std::string text = "[Unit]\nDescription=Sync\n\n[Service]\nExecStart=/bin/first\n"
                             "ExecStart=-/usr/bin/env LANG=C /opt/sync/bin/syncd --quiet\n"
                             "Restart=always\n\n[Install]\nWantedBy=default.target\n";
    auto service = DesktopEntry::parse(text, "[Service]");
    EXPECT_EQ(service.keys(), (std::vector<std::string>{"ExecStart", "Restart"}));
    EXPECT_EQ(service.program("ExecStart", "-@:+!"), "/opt/sync/bin/syncd");
    EXPECT_EQ(DesktopEntry::parse(text, "[Unit]").value("Description"), "Sync");
    EXPECT_EQ(DesktopEntry::parse(text, "[Unit]").value("Restart"), std::nullopt);
    EXPECT_EQ(DesktopEntry::parse(text, "[Install]").withValue("WantedBy", "timers.target"),
              replacingAll(text, "WantedBy=default.target", "WantedBy=timers.target"));
    EXPECT_EQ(DesktopEntry::parse("[Unit]\n", "[Service]").withValue("ExecStart", "/bin/x"),
              "[Unit]\n[Service]\nExecStart=/bin/x\n");
}

// Wine and older desktops keep entries in subfolders; their identifiers join the path with
// '-', and a user's entry of the same identifier hides the system's.
TEST(DesktopEntries, EntriesInSubfoldersAreKnownByTheirPathJoinedWithDashes) {
    kelvora::testing::TempDir dir;
    dir.write("user/wine/Programs/Notepad++/Notepad++.desktop",
              "[Desktop Entry]\nName=Notepad++\nExec=env WINEPREFIX=/p wine notepad++.exe\n");
    dir.write("user/kde4-old.desktop", "[Desktop Entry]\nHidden=true\n");
    dir.write("system/kde4/old.desktop", "[Desktop Entry]\nName=Old\n");
    dir.write("system/kde4/kept.desktop", "[Desktop Entry]\nName=Kept\n");
    dir.mkdir("system/loop");
    ASSERT_EQ(symlink((dir / "system").c_str(), (dir / "system/loop/back").c_str()), 0);
    std::vector<std::string> ids;
    for (const auto& app : DesktopEntries::applications({dir / "user", dir / "system"}))
        ids.push_back(app.id + " " + app.name);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::string>{"kde4-kept Kept",
                                             "wine-Programs-Notepad++-Notepad++ Notepad++"}));
}
