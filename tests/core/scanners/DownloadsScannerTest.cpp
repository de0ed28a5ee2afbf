#include "engine/DiskScanner.h"
#include "platform/Plist.h"
#include "support/DesktopFiles.h"
#include "support/FixtureScanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;
using kelvora::testing::TempDir;
using Info = ScanItem::DownloadInfo;

namespace {

DesktopEntries::Application desktopApp(std::string id, std::string name, std::string program = {}) {
    DesktopEntries::Application app;
    app.id = std::move(id);
    app.name = std::move(name);
    app.program = std::move(program);
    return app;
}

struct Fixture {
    TempDir dir;
    Date now = dateFromEpochSeconds(1'800'000'000);
    std::map<std::string, AppUsage> usage; // by file name

    std::string download(const std::string& name, const std::string& contents = "data") const {
        return dir.write("home/Downloads/" + name, contents);
    }
    void added(const std::string& name, double daysAgo) {
        usage[name].added = addSeconds(now, -daysAgo * kDay);
    }
    void opened(const std::string& name, double daysAgo) {
        usage[name].lastOpened = addSeconds(now, -daysAgo * kDay);
    }
    void installed(const std::string& name) const { dir.mkdir("Applications/" + name + ".app"); }
    std::vector<DesktopEntries::Application> desktop; // what the desktop lists
    std::vector<std::string> running;                 // the executables of running processes

    DiskScanner scanner() const {
        auto known = usage;
        auto fixedNow = now;
        DiskScanner scanner(
            URL::fileURL(dir / "home", true), dir.url(),
            std::vector<URL>{URL::fileURL(dir / "Applications", true)},
            [] { return std::vector<RunningApp>{}; },
            [known](const URL& url) -> std::optional<AppUsage> {
                auto it = known.find(url.lastPathComponent());
                if (it == known.end()) return std::nullopt;
                return it->second;
            },
            [fixedNow] { return fixedNow; });
        scanner.desktopApplications = [listed = desktop] { return listed; };
        scanner.desktopEntryFolders = [] { return std::vector<std::string>{}; };
        scanner.processPaths = [paths = running] { return paths; };
        scanner.sandboxRoots = SandboxRoots::under(URL::fileURL(dir / "system", true),
                                                   URL::fileURL(dir / "home/.local/share", true));
        scanner.programSearchPath = dir / "home/.local/bin";
        return scanner;
    }

    std::map<std::string, Info> scan(FolderAccess expected = FolderAccess::ok) const {
        FileCounter counter;
        auto [items, access] = scanner().scanDownloads(counter);
        EXPECT_EQ(access, expected);
        std::map<std::string, Info> found;
        for (const auto& item : items) {
            EXPECT_EQ(item.kind, JunkKind::downloads);
            EXPECT_EQ(item.targets, std::vector<URL>{item.location});
            EXPECT_EQ(item.baseVerdict, Verdict::youDecide);
            found[item.location.lastPathComponent()] = *item.download();
        }
        return found;
    }
};

} // namespace

// Real package and entry names: a package belongs to the application of its whole name,
// up to its version and architecture, never to one whose name merely begins like it.
TEST(MatchingApp, APackageMatchesAnInstalledAppByItsWholeName) {
    Fixture f;
    f.desktop = {
        desktopApp("google-chrome", "Google Chrome", "/usr/bin/google-chrome-stable"),
        desktopApp("code", "Visual Studio Code", "/usr/share/code/code"),
        desktopApp("firefox-esr", "Firefox ESR", "/usr/lib/firefox-esr/firefox-esr"),
        desktopApp("libreoffice-writer", "LibreOffice Writer", "libreoffice"),
        desktopApp("org.gimp.GIMP", "GNU Image Manipulation Program", "/usr/bin/flatpak"),
        desktopApp("obsidian", "Obsidian", "/home/al/Applications/Obsidian-1.5.3.AppImage"),
        desktopApp("appimagekit_5c2d-Joplin", "Joplin",
                   "/home/al/Applications/Joplin-2.13.13.AppImage"),
        desktopApp("org.gnome.TwentyFortyEight", "2048", "/usr/games/gnome-2048")};
    // Installed without an entry of their own: an AppImage, a Flatpak app, a snap.
    writeAppImage(f.dir / "home/Applications/Bitwarden-2024.1.0-x86_64.AppImage");
    f.dir.mkdir("system/var/lib/flatpak/app/com.discordapp.Discord/current");
    f.dir.mkdir("system/snap/spotify/current");
    const auto installed = f.scanner().installedAppKeys();

    const std::vector<std::pair<const char*, std::optional<std::string>>> cases = {
        {"google-earth-pro-stable_7.3.6_amd64.deb", std::nullopt},
        {"codeblocks_20.03-3_amd64.deb", std::nullopt},
        {"code_1.85.1-1702462158_amd64.deb", "Visual Studio Code"},
        {"google-chrome-stable_current_amd64.deb", "Google Chrome"},
        {"google-chrome-stable-120.0.6099.109-1.x86_64.rpm", "Google Chrome"},
        // The vendors' own forms: name-version.deb, and "current" for the newest version.
        {"google-chrome-stable_current_x86_64.rpm", "Google Chrome"},
        {"discord-0.0.38.deb", "com.discordapp.Discord"},
        {"google-earth-pro-stable-7.3.6.9345-0.x86_64.rpm", std::nullopt},
        // A name may hold a piece that begins with a digit; the version and release follow it.
        {"gnome-2048_3.38.2-1_amd64.deb", "2048"},
        {"gnome-2048-3.38.2-6.fc39.x86_64.rpm", "2048"},
        {"code-1.85.1-1702462158.el7.x86_64.rpm", "Visual Studio Code"},
        {"firefox-esr_115.6.0esr-1~deb12u1_amd64.deb", "Firefox ESR"},
        {"firefox_121.0_amd64.deb", std::nullopt},
        {"libreoffice_7.6.4.1_amd64.deb", "LibreOffice Writer"},
        {"flatpak_1.14.4-1_amd64.deb", std::nullopt},
        {"Obsidian-1.5.3.AppImage", "Obsidian"},
        {"Obsidian-1.6.0-arm64.AppImage", "Obsidian"},
        {"Joplin-2.14.17.AppImage", "Joplin"},
        {"Bitwarden-2024.2.0-x86_64.AppImage", "Bitwarden"},
        {"org.gimp.GIMP.flatpakref", "GNU Image Manipulation Program"},
        {"org.gnome.Boxes.flatpakref", std::nullopt},
        {"discord-0.0.40.x86_64.rpm", "com.discordapp.Discord"},
        {"spotify_1.2.31.snap", "spotify"},
        {"signal-desktop_6.42.0_amd64.deb", std::nullopt},
    };
    for (const auto& [name, app] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(DiskScanner::matchingApp(name, installed), app);
    }
}

// An installer of an app that is installed (a bundle, or a package of an app the desktop
// lists) is offered a week after it came; any other installer or archive once it was last
// opened long ago; nothing else, and nothing without a date that says so.
TEST(ScanDownloads, InstallersOfInstalledAppsAfterAWeekOthersOnceOpenedLongAgo) {
    Fixture f;
    f.installed("Firefox");
    f.installed("Visual Studio Code");
    f.desktop = {desktopApp("code", "Visual Studio Code", "/usr/share/code/code")};
    using Kind = Info::FileKind;
    const auto firefox = Info::Reason::appInstalled("Firefox");
    const auto code = Info::Reason::appInstalled("Visual Studio Code");
    auto opened = [&](double daysAgo) {
        return Info::Reason::opened(addSeconds(f.now, -daysAgo * kDay));
    };
    struct Case {
        const char* name;
        double addedDaysAgo;    // 0: no date added
        double openedDaysAgo;   // 0: never opened
        double modifiedDaysAgo; // 0: just now
        std::optional<Info> offered;
    };
    const std::vector<Case> cases = {
        {"Firefox 121.0.dmg", 8, 0, 0, Info{Kind::installer, firefox}},
        {"VisualStudioCode.pkg", 3, 0, 0, std::nullopt}, // downloaded this week
        {"Install Firefox Beta.DMG", 0, 0, 30, Info{Kind::installer, firefox}},
        {"code_1.85.1-1702462158_amd64.deb", 8, 0, 0, Info{Kind::installer, code}},
        {"code_1.86.0-1706698139_amd64.deb", 3, 0, 0, std::nullopt},
        {"codeblocks_20.03-3_amd64.deb", 8, 0, 0, std::nullopt},
        {"Tool.pkg", 0, 10, 0, Info{Kind::installer, opened(10)}},
        {"Tool.flatpak", 0, 10, 0, Info{Kind::installer, opened(10)}},
        {"Fresh.pkg", 0, 1, 0, std::nullopt},
        {"Never.zip", 0, 0, 0, std::nullopt},
        {"Photos.zip", 0, 30, 0, Info{Kind::archive, opened(30)}},
        {"Report.pdf", 0, 400, 0, std::nullopt}, // neither installer nor archive
    };
    for (const Case& c : cases) {
        const std::string path = f.download(c.name);
        if (c.addedDaysAgo > 0) f.added(c.name, c.addedDaysAgo);
        if (c.openedDaysAgo > 0) f.opened(c.name, c.openedDaysAgo);
        if (c.modifiedDaysAgo > 0)
            setModificationDate(path, addSeconds(f.now, -c.modifiedDaysAgo * kDay));
    }
    const auto found = f.scan();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto it = found.find(c.name);
        EXPECT_EQ(it == found.end() ? std::nullopt : std::optional<Info>(it->second), c.offered);
    }
    EXPECT_EQ(found.size(), 6u) << "nothing else is offered";
}

// An AppImage the menu runs (through a link on PATH here) or that runs now is the installed
// application, kept in Downloads: it is never its own installer, whatever its dates say.
TEST(ScanDownloads, AnAppImageThatIsTheInstalledAppIsNeverOfferedAsAnInstaller) {
    Fixture f;
    const std::string launched = writeAppImage(f.dir / "home/Downloads/Obsidian.AppImage");
    createDirectories(f.dir / "home/.local/bin");
    symlink(launched.c_str(), (f.dir / "home/.local/bin/obsidian").c_str());
    writeDesktopEntry(f.dir / "home/.local/share/applications/obsidian.desktop", "Obsidian",
                      "obsidian %U");
    f.desktop = {desktopApp("obsidian", "Obsidian", "obsidian")};
    const std::string running = writeAppImage(f.dir / "home/Downloads/Logseq-0.10.9.AppImage");
    // The process knows the file by another of its names.
    link(running.c_str(), (f.dir / "run-logseq").c_str());
    f.running = {f.dir / "run-logseq"};
    writeAppImage(f.dir / "home/Downloads/Obsidian-1.4.16.AppImage");
    for (const char* name :
         {"Obsidian.AppImage", "Logseq-0.10.9.AppImage", "Obsidian-1.4.16.AppImage"}) {
        f.added(name, 30);
        f.opened(name, 30);
    }

    auto found = f.scan();
    EXPECT_FALSE(found.count("Obsidian.AppImage")) << "the menu runs it";
    EXPECT_FALSE(found.count("Logseq-0.10.9.AppImage")) << "it is running";
    ASSERT_TRUE(found.count("Obsidian-1.4.16.AppImage")) << "an older copy nothing runs";
    EXPECT_EQ(found.at("Obsidian-1.4.16.AppImage").reason, Info::Reason::appInstalled("Obsidian"));
}

TEST(ScanDownloads, ArchivesUnpackedBesideThemselves) {
    Fixture f;
    f.download("Foo.zip");
    f.dir.mkdir("home/Downloads/Foo");
    f.download("Bar.TAR.GZ");
    f.dir.mkdir("home/Downloads/Bar 2");
    f.download("Baz.tgz");
    f.dir.mkdir("home/Downloads/Folder.zip");
    f.dir.mkdir("home/Downloads/Folder");

    auto found = f.scan();
    EXPECT_EQ(found.at("Foo.zip"), (Info{Info::FileKind::archive, Info::Reason::unpacked("Foo")}));
    EXPECT_EQ(found.at("Bar.TAR.GZ").reason, Info::Reason::unpacked("Bar 2"));
    EXPECT_EQ(found.at("Folder.zip").reason, Info::Reason::unpacked("Folder"));
    EXPECT_FALSE(found.count("Baz.tgz"));
}

TEST(ScanDownloads, BlockedOrMissingDownloads) {
    Fixture f;
    f.download("Foo.zip");
    f.dir.mkdir("home/Downloads/Foo");
    auto scanner = f.scanner();
    scanner.privateFoldersAllowed = false;
    FileCounter counter;
    EXPECT_EQ(scanner.scanDownloads(counter).second, FolderAccess::blocked);
    EXPECT_TRUE(scanner.scanDownloads(counter).first.empty());

    scanner.privateFoldersAllowed = true;
    scanner.downloadsFolder = URL::fileURL(f.dir / "nowhere");
    EXPECT_EQ(scanner.scanDownloads(counter).second, FolderAccess::ok);

    // A folder we may not list is blocked, not empty.
    chmod((f.dir / "home/Downloads").c_str(), 0700);
    chmod(f.dir.path().c_str(), 0755);
    chmod((f.dir / "home").c_str(), 0755);
    EXPECT_TRUE(asNobody([&] {
        FileCounter c;
        auto [items, access] = f.scanner().scanDownloads(c);
        return access == FolderAccess::blocked && items.empty();
    }));
}

TEST(MatchingApp, WordsOfTheInstallerNameAgainstInstalledKeys) {
    std::vector<DiskScanner::InstalledAppKey> installed = {{"googlechrome", "Google Chrome"},
                                                           {"spotify", "Spotify"},
                                                           {"vlc", "VLC"},
                                                           {"zoomus", "zoom.us"}};
    auto match = [&](const std::string& name) { return DiskScanner::matchingApp(name, installed); };
    EXPECT_EQ(match("GoogleChrome.dmg"), "Google Chrome");
    EXPECT_EQ(match("Install Spotify.dmg"), "Spotify");
    EXPECT_EQ(match("Setup-2.4.pkg"), std::nullopt);
    EXPECT_EQ(match("vlc-3.0.20-universal.dmg"), "VLC");
    EXPECT_EQ(match("vlcplayer.dmg"), std::nullopt) << "short keys only match as a prefix";
    EXPECT_EQ(match("Zoom.pkg"), "zoom.us");
    EXPECT_EQ(match("Install Setup Tool Spotify.pkg"), std::nullopt) << "only two words tried";
}
