#include "catalog/AppNames.h"
#include "catalog/Catalog.h"
#include "engine/DiskScanner.h"
#include "platform/Plist.h"
#include "support/Environment.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

TEST(AppNames, DesktopEntriesAreReadFromTheDataFoldersAndFlatpakExportsInOrder) {
    Environment env;
    env.set("HOME", "/home/ann");
    env.set("XDG_DATA_HOME", nullptr);
    env.set("XDG_DATA_DIRS", nullptr);
    EXPECT_EQ(AppNames::desktopEntryFolders(),
              (std::vector<std::string>{"/home/ann/.local/share/applications",
                                        "/usr/local/share/applications", "/usr/share/applications",
                                        "/home/ann/.local/share/flatpak/exports/share/applications",
                                        "/var/lib/flatpak/exports/share/applications"}));

    env.set("XDG_DATA_HOME", "/data");
    env.set("XDG_DATA_DIRS", "/var/lib/flatpak/exports/share:/opt/share/::/opt/share");
    EXPECT_EQ(AppNames::desktopEntryFolders(),
              (std::vector<std::string>{
                  "/data/applications", "/var/lib/flatpak/exports/share/applications",
                  "/opt/share/applications", "/data/flatpak/exports/share/applications"}));
}

TEST(AppNames, AnInstalledBundleOrDesktopApplicationKeepsItsCacheFromLookingOrphaned) {
    TempDir dir;
    Environment env;
    env.set("XDG_DATA_HOME", (dir / "user").c_str());
    env.set("XDG_DATA_DIRS", (dir / "system").c_str());
    createDirectories(dir / "Applications/Sketchpad.app/Contents");
    writePlist({{"CFBundleIdentifier", "com.example.Sketchpad"}},
               dir / "Applications/Sketchpad.app/Contents/Info.plist");
    dir.write(
        "user/applications/org.example.Editor.desktop",
        "# An editor\n[Desktop Entry]\nType=Application\nName[de]=Editor\nName = Text\\sEditor\n"
        "[Desktop Action new]\nName=New Window\n");
    dir.write("system/applications/org.example.Editor.desktop", "[Desktop Entry]\nName=Old\n");
    // A user deletes a system-wide entry with a hidden one of the same name.
    dir.write("system/applications/org.example.Gone.desktop", "[Desktop Entry]\nName=Gone\n");
    dir.write("user/applications/org.example.Gone.desktop", "[Desktop Entry]\nHidden=true\n");
    dir.write("system/applications/org.example.Nameless.desktop", "[Desktop Entry]\n");
    // Flatpak exports its entries as links into the installation.
    std::string firefox =
        dir.write("user/flatpak/app/firefox.desktop", "[Desktop Entry]\nName=Firefox\n");
    createDirectories(dir / "user/flatpak/exports/share/applications");
    ASSERT_EQ(
        symlink(
            firefox.c_str(),
            (dir / "user/flatpak/exports/share/applications/org.mozilla.firefox.desktop").c_str()),
        0);

    auto lookup = AppNames::live({URL::fileURL(dir / "Applications", true)});
    EXPECT_EQ(lookup("com.example.sketchpad"), "Sketchpad");
    EXPECT_EQ(lookup("org.example.Editor"), "Text Editor");
    EXPECT_EQ(lookup("org.example.Gone"), std::nullopt);
    EXPECT_EQ(lookup("org.example.Nameless"), "org.example.Nameless");
    EXPECT_EQ(lookup("org.mozilla.firefox"), "Firefox");
    EXPECT_EQ(lookup("../applications/org.example.Editor"), std::nullopt);

    Catalog catalog({}, lookup, {}, "/home/ann");
    ScanItem cache;
    cache.kind = JunkKind::caches;
    cache.targets = {URL::fileURL("/x"), URL::fileURL("/y")};
    cache.location = URL::fileURL("/home/ann/Library/Caches/org.mozilla.firefox");
    EXPECT_EQ(catalog.name(cache), "Firefox");
    EXPECT_EQ(catalog.detail(cache), "2 items inside");
    cache.location = URL::fileURL("/home/ann/Library/Caches/org.example.Gone");
    EXPECT_EQ(catalog.name(cache), "org.example.Gone");
    EXPECT_EQ(catalog.detail(cache), "From an app that’s no longer installed");
}

// A cache folder is named by the desktop entry of its name, in any letter case. A desktop
// names its entries after itself ("org.gnome.Evolution") while caches and programs go by the
// program's name ("evolution"): both are matched to the entry by its id, the id's last part,
// its Exec program and its StartupWMClass.
TEST(AppNames, CachesAndRunningProgramsAreNamedByTheDesktopEntryTheyBelongTo) {
    TempDir dir;
    Environment env;
    env.set("XDG_DATA_HOME", (dir / "user").c_str());
    env.set("XDG_DATA_DIRS", (dir / "system").c_str());
    auto entry = [&](const std::string& path, const std::string& lines) {
        dir.write(path, "[Desktop Entry]\n" + lines + "\n");
    };
    entry("system/applications/spotify.desktop", "Name=Spotify");
    entry("system/applications/google-chrome.desktop", "Name=Google Chrome");
    entry("user/applications/com.Example.Notes.desktop", "Name=Notes");
    entry("user/applications/Gone.desktop", "Hidden=true");
    entry("system/applications/gone.desktop", "Name=Gone");
    Catalog catalog({}, AppNames::live({}), {}, "/home/ann");
    auto cacheNamed = [](const std::string& folder) {
        ScanItem cache;
        cache.kind = JunkKind::caches;
        cache.targets = {URL::fileURL("/x"), URL::fileURL("/y")};
        cache.location = URL::fileURL("/home/ann/.cache/" + folder, true);
        return cache;
    };
    struct Case {
        const char* folder;
        const char* name;
        const char* detail;
    };
    const std::vector<Case> cases = {
        {"spotify", "Spotify", "2 items inside"},
        {"Spotify", "Spotify", "2 items inside"},
        {"google-chrome", "Google Chrome", "2 items inside"},
        {"GOOGLE-CHROME", "Google Chrome", "2 items inside"},
        {"com.example.notes", "Notes", "2 items inside"},
        {"com.example.gone", "com.example.gone", "From an app that’s no longer installed"},
        {"Gone", "Gone", "2 items inside"}, // the user deleted this one
        {"gone", "Gone", "2 items inside"}, // an entry of the exact name comes first
        {"spotify-launcher", "spotify-launcher", "2 items inside"},
        {"mesa_shader_cache", "mesa_shader_cache", "2 items inside"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(catalog.name(cacheNamed(c.folder)), c.name) << c.folder;
        EXPECT_EQ(catalog.detail(cacheNamed(c.folder)), c.detail) << c.folder;
    }

    // Entries named after the desktop; Spotify only as a Flatpak app.
    ASSERT_EQ(unlink((dir / "system/applications/spotify.desktop").c_str()), 0);
    entry("system/applications/firefox-esr.desktop",
          "Name=Firefox ESR\nExec=/usr/lib/firefox-esr/firefox-esr %u");
    entry("system/applications/org.gnome.Evolution.desktop", "Name=Evolution\nExec=evolution %U");
    entry("system/applications/org.keepassxc.KeePassXC.desktop",
          "Name=KeePassXC\nExec=keepassxc %f");
    entry("system/applications/org.gnome.Software.desktop",
          "Name=Software\nExec=gnome-software %U");
    entry("user/flatpak/exports/share/applications/com.spotify.Client.desktop",
          "Name=Spotify\nExec=/usr/bin/flatpak run --branch=stable --command=spotify "
          "com.spotify.Client @@u %U @@\nStartupWMClass=Spotify");
    const std::vector<std::pair<std::string, std::string>> folders = {
        {"mozilla", "Firefox ESR"},     {"evolution", "Evolution"},   {"keepassxc", "KeePassXC"},
        {"gnome-software", "Software"}, {"spotify", "Spotify"},       {"Spotify", "Spotify"},
        {"flatpak", "flatpak"},         {"thumbnails", "thumbnails"},
    };
    for (const auto& [folder, name] : folders)
        EXPECT_EQ(catalog.name(cacheNamed(folder)), name) << folder;
    EXPECT_EQ(DiskScanner::programNames(
                  {"evolution", "spotify", "firefox-esr", "keepassxc", "Xorg", "flatpak"}),
              (std::map<std::string, std::string>{{"Xorg", "Xorg"},
                                                  {"evolution", "Evolution"},
                                                  {"firefox-esr", "Firefox ESR"},
                                                  {"flatpak", "flatpak"},
                                                  {"keepassxc", "KeePassXC"},
                                                  {"spotify", "Spotify"}}));

    // Where Firefox is not installed, the Mozilla folder is Thunderbird's.
    ASSERT_EQ(unlink((dir / "system/applications/firefox-esr.desktop").c_str()), 0);
    entry("system/applications/net.thunderbird.Thunderbird.desktop",
          "Name=Thunderbird\nExec=thunderbird %u");
    EXPECT_EQ(catalog.name(cacheNamed("mozilla")), "Thunderbird");
}
