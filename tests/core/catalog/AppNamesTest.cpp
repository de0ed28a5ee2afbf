#include "catalog/AppNames.h"
#include "catalog/Catalog.h"
#include "engine/DiskScanner.h"
#include "platform/Plist.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// Sets environment variables for one test and puts the previous values back.
class Environment {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? setenv(it->first.c_str(), it->second->c_str(), 1)
                       : unsetenv(it->first.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace

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

TEST(AppNames, ACacheFolderIsNamedByTheDesktopEntryOfItsNameInAnyLetterCase) {
    TempDir dir;
    Environment env;
    env.set("XDG_DATA_HOME", (dir / "user").c_str());
    env.set("XDG_DATA_DIRS", (dir / "system").c_str());
    dir.write("system/applications/spotify.desktop", "[Desktop Entry]\nName=Spotify\n");
    dir.write("system/applications/google-chrome.desktop", "[Desktop Entry]\nName=Google Chrome\n");
    dir.write("user/applications/com.Example.Notes.desktop", "[Desktop Entry]\nName=Notes\n");
    dir.write("user/applications/Gone.desktop", "[Desktop Entry]\nHidden=true\n");
    dir.write("system/applications/gone.desktop", "[Desktop Entry]\nName=Gone\n");

    Catalog catalog({}, AppNames::live({}), {}, "/home/ann");
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
        ScanItem cache;
        cache.kind = JunkKind::caches;
        cache.targets = {URL::fileURL("/x"), URL::fileURL("/y")};
        cache.location = URL::fileURL(std::string("/home/ann/.cache/") + c.folder);
        EXPECT_EQ(catalog.name(cache), c.name) << c.folder;
        EXPECT_EQ(catalog.detail(cache), c.detail) << c.folder;
    }
}

// A desktop names its entries after itself ("org.gnome.Evolution") while caches and programs
// go by the program's name ("evolution"): both are matched to the entry by its id, the id's
// last part, its Exec program and its StartupWMClass.
TEST(AppNames, CachesAndRunningProgramsAreNamedByTheEntryTheyBelongTo) {
    TempDir dir;
    Environment env;
    env.set("XDG_DATA_HOME", (dir / "user").c_str());
    env.set("XDG_DATA_DIRS", (dir / "system").c_str());
    dir.write("system/applications/firefox-esr.desktop",
              "[Desktop Entry]\nName=Firefox ESR\nExec=/usr/lib/firefox-esr/firefox-esr %u\n");
    dir.write("system/applications/org.gnome.Evolution.desktop",
              "[Desktop Entry]\nName=Evolution\nExec=evolution %U\n");
    dir.write("system/applications/org.keepassxc.KeePassXC.desktop",
              "[Desktop Entry]\nName=KeePassXC\nExec=keepassxc %f\n");
    dir.write("system/applications/org.gnome.Software.desktop",
              "[Desktop Entry]\nName=Software\nExec=gnome-software %U\n");
    dir.write("user/flatpak/exports/share/applications/com.spotify.Client.desktop",
              "[Desktop Entry]\nName=Spotify\nExec=/usr/bin/flatpak run --branch=stable "
              "--command=spotify com.spotify.Client @@u %U @@\nStartupWMClass=Spotify\n");

    Catalog catalog({}, AppNames::live({}), {}, "/home/ann");
    const std::vector<std::pair<std::string, std::string>> folders = {
        {"mozilla", "Firefox ESR"},     {"evolution", "Evolution"},   {"keepassxc", "KeePassXC"},
        {"gnome-software", "Software"}, {"spotify", "Spotify"},       {"Spotify", "Spotify"},
        {"flatpak", "flatpak"},         {"thumbnails", "thumbnails"},
    };
    for (const auto& [folder, name] : folders) {
        ScanItem cache;
        cache.kind = JunkKind::caches;
        cache.location = URL::fileURL("/home/ann/.cache/" + folder, true);
        EXPECT_EQ(catalog.name(cache), name) << folder;
    }
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
    dir.write("system/applications/net.thunderbird.Thunderbird.desktop",
              "[Desktop Entry]\nName=Thunderbird\nExec=thunderbird %u\n");
    ScanItem mozilla;
    mozilla.kind = JunkKind::caches;
    mozilla.location = URL::fileURL("/home/ann/.cache/mozilla", true);
    EXPECT_EQ(catalog.name(mozilla), "Thunderbird");
}
