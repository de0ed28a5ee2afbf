#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"
#include "support/DesktopFiles.h"
#include "support/FixtureScanner.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;
using kelvora::testing::TempDir;

namespace {

struct AppFixture {
    TempDir dir;
    Date now = dateFromEpochSeconds(1'800'000'000);
    std::map<std::string, AppUsage> usage; // by bundle path

    std::string apps() const { return dir / "Applications"; }
    URL home() const { return URL::fileURL(dir / "home", true); }

    std::string bundle(const std::string& relative, const std::string& bundleID,
                       PlistFormat format = PlistFormat::xml) const {
        std::string path = joinPath(apps(), relative);
        createDirectories(joinPath(path, "Contents/MacOS"));
        writePlist({{"CFBundleIdentifier", bundleID}, {"CFBundleExecutable", "main"}},
                   joinPath(path, "Contents/Info.plist"), format);
        dir.write("Applications/" + relative + "/Contents/MacOS/main", std::string(3000, 'x'));
        return path;
    }

    void lastOpened(const std::string& path, double daysAgo) {
        usage[path] = AppUsage{addSeconds(now, -daysAgo * kDay), std::nullopt};
    }

    DiskScanner scanner() const {
        auto known = usage;
        DiskScanner scanner(
            home(), dir.url(), std::vector<URL>{URL::fileURL(apps(), true)},
            [] { return std::vector<RunningApp>{}; },
            [known](const URL& url) -> std::optional<AppUsage> {
                auto it = known.find(url.path());
                if (it == known.end()) return std::nullopt;
                return it->second;
            },
            [this] { return now; });
        scanner.desktopEntryFolders = [] { return std::vector<std::string>{}; };
        return scanner;
    }
};

std::vector<std::string> paths(const std::vector<URL>& urls) {
    std::vector<std::string> out;
    for (const auto& url : urls)
        out.push_back(url.path());
    return out;
}

} // namespace

TEST(AppBundles, ListsBundlesAndOneLevelOfSubfolders) {
    AppFixture f;
    auto editor = f.bundle("Editor.app", "com.example.editor");
    auto suiteApp = f.bundle("Foo Suite/Foo.app", "com.example.foo");
    auto main = f.bundle("Foo/Foo.app", "com.example.foo2");
    f.bundle("Foo/Foo Uninstaller.app", "com.example.foo2.uninstall");
    auto alpha = f.bundle("Tools/Alpha.app", "com.example.alpha");
    auto beta = f.bundle("Tools/Beta.app", "com.example.beta");
    f.bundle("Tools/Beta Updater.app", "com.example.beta.updater");
    f.bundle("Tools/Deep/Gamma.app", "com.example.gamma");
    f.bundle("Utilities/Console.app", "com.example.console");

    auto bundles = f.scanner().appBundles();
    using Entry = DiskScanner::AppBundleEntry;
    std::vector<Entry> expected = {
        {URL::fileURL(editor), std::nullopt},
        {URL::fileURL(main), std::nullopt},
        {URL::fileURL(suiteApp), URL::fileURL(f.apps() + "/Foo Suite")},
        {URL::fileURL(alpha), std::nullopt},
        {URL::fileURL(beta), std::nullopt},
    };
    EXPECT_EQ(bundles, expected);
    EXPECT_TRUE(DiskScanner::appBundles(URL::fileURL(f.dir / "missing")).empty());
}

TEST(AppBundles, ApplicationLookupByIdentifier) {
    AppFixture f;
    auto writer = f.bundle("Suite/Writer.app", "com.example.Writer", PlistFormat::binary);
    std::vector<URL> folders{URL::fileURL(f.apps())};
    EXPECT_EQ(DiskScanner::applicationURL("com.example.writer", folders), URL::fileURL(writer));
    EXPECT_FALSE(DiskScanner::applicationURL("com.example.reader", folders));
    EXPECT_TRUE(f.scanner().isInstalled("com.example.Writer"));
}

TEST(LeftoverFiles, FindsExistingSupportFilesSortedAndOnce) {
    AppFixture f;
    std::string lib = f.dir / "home/Library";
    f.dir.mkdir("home/Library/Application Support/com.example.tool");
    f.dir.write("home/Library/Preferences/com.example.tool.plist");
    f.dir.write("home/Library/Cookies/com.example.tool.binarycookies");
    f.dir.mkdir("home/Library/Application Support/Tool Pro");
    f.dir.write("home/Library/LaunchAgents/com.example.tool.plist");
    f.dir.write("home/Library/LaunchAgents/com.example.tool.helper.plist");
    f.dir.write("home/Library/LaunchAgents/com.example.toolbox.plist");
    f.dir.write("home/Library/LaunchAgents/com.example.tool.helper.txt");

    auto files = f.scanner().leftoverFiles("com.example.tool", "Tool Pro");
    EXPECT_EQ(paths(files), (std::vector<std::string>{
                                lib + "/Application Support/Tool Pro",
                                lib + "/Application Support/com.example.tool",
                                lib + "/Cookies/com.example.tool.binarycookies",
                                lib + "/LaunchAgents/com.example.tool.helper.plist",
                                lib + "/LaunchAgents/com.example.tool.plist",
                                lib + "/Preferences/com.example.tool.plist",
                            }));
    // A short name adds no folder; a name equal to the identifier is listed once.
    f.dir.mkdir("home/Library/Application Support/Abc");
    EXPECT_EQ(f.scanner().leftoverFiles("com.example.tool", "Abc").size(), 5u);
    EXPECT_EQ(f.scanner().leftoverFiles("com.example.tool", "com.example.tool").size(), 5u);
    EXPECT_TRUE(f.scanner().leftoverFiles("com.example.none", "None").empty());
}

TEST(LeftoverFiles, IdentifiersThatAreNoFileNamesReachNothing) {
    AppFixture f;
    f.dir.mkdir("home/Documents");
    f.dir.mkdir("home/Library/Application Support");
    f.dir.write("home/Library/LaunchAgents/.hidden.plist");
    for (const std::string id : {"../../Documents", "", "..", "."})
        EXPECT_TRUE(f.scanner().leftoverFiles(id, "../../Documents").empty()) << id;
}

TEST(CanMove, NeedsTheItemAndItsFolderWritable) {
    TempDir dir;
    std::string open = dir.mkdir("open");
    std::string item = dir.write("open/App.app/x");
    std::string locked = dir.mkdir("locked");
    std::string lockedItem = dir.write("locked/App.app/x");
    chmod(dir.path().c_str(), 0755);
    chmod(open.c_str(), 0777);
    chmod(parentPath(item).c_str(), 0777);
    chmod(locked.c_str(), 0755);
    chmod(parentPath(lockedItem).c_str(), 0777);
    EXPECT_TRUE(DiskScanner::canMove(URL::fileURL(parentPath(item))));
    EXPECT_TRUE(asNobody([&] { return DiskScanner::canMove(URL::fileURL(parentPath(item))); }));
    EXPECT_FALSE(
        asNobody([&] { return DiskScanner::canMove(URL::fileURL(parentPath(lockedItem))); }));
    EXPECT_FALSE(DiskScanner::canMove(URL::fileURL(dir / "missing")));
}

TEST(ScanApps, ListsApplicationsNotOpenedSinceTheCutOff) {
    AppFixture f;
    auto old = f.bundle("Old.app", "com.example.old");
    f.lastOpened(old, 200);
    auto recent = f.bundle("Recent.app", "com.example.recent");
    f.lastOpened(recent, 10);
    auto addedOnly = f.bundle("Added.app", "com.example.added");
    f.usage[addedOnly] = AppUsage{std::nullopt, addSeconds(f.now, -300 * kDay)};
    auto edge = f.bundle("Edge.app", "com.example.edge");
    f.lastOpened(edge, 180);
    f.bundle("Unknown.app", "com.example.unknown");
    auto noDates = f.bundle("NoDates.app", "com.example.nodates");
    f.usage[noDates] = AppUsage{};
    f.dir.write("home/Library/Preferences/com.example.old.plist", std::string(5000, 'p'));
    sync(); // allocated sizes settle late

    FileCounter counter;
    auto items = f.scanner().scanApps({}, counter);
    ASSERT_EQ(items.size(), 2u);
    const auto& first = items[0];
    EXPECT_EQ(first.kind, JunkKind::apps);
    EXPECT_EQ(first.location, URL::fileURL(addedOnly));
    EXPECT_FALSE(first.app()->lastOpened);
    const auto& second = items[1];
    EXPECT_EQ(second.location, URL::fileURL(old));
    EXPECT_EQ(second.app()->name, "Old");
    EXPECT_EQ(second.app()->bundleID, "com.example.old");
    EXPECT_EQ(second.app()->leftoverCount, 1);
    EXPECT_EQ(second.targets.size(), 2u);
    EXPECT_EQ(second.baseVerdict, Verdict::youDecide);
    EXPECT_GT(second.bytes, 5000);
    EXPECT_FALSE(second.lockedReason);
}

TEST(ScanApps, SkipsItselfAndSystemApplications) {
    AppFixture f;
    for (auto [name, id] : {std::pair{"Kelvora.app", kBundleID},
                            {"Installer.app", "com.apple.InstallAssistant.Sonoma"},
                            {"Notes.app", "com.apple.Notes"},
                            {"Pages.app", "com.apple.iWork.Pages"}}) {
        auto path = f.bundle(name, id);
        f.lastOpened(path, 400);
    }
    f.dir.write("Applications/Pages.app/Contents/_MASReceipt/receipt");
    FileCounter counter;
    auto items = f.scanner().scanApps({}, counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].app()->name, "Pages");
}

TEST(ScanApps, InUseByARunningApplicationAnyLetterCase) {
    AppFixture f;
    auto path = f.bundle("Tool.app", "com.example.Tool");
    f.lastOpened(path, 400);
    FileCounter counter;
    auto items = f.scanner().scanApps(
        {{"Other", "com.example.other"}, {"Tool", "COM.EXAMPLE.TOOL"}}, counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].inUseBy, "Tool");
    EXPECT_GT(counter.count, 0);
}

TEST(ScanApps, SuiteFolderIsRemovedWholeAndLockedWhenNotWritable) {
    AppFixture f;
    auto app = f.bundle("Foo Suite/Foo.app", "com.example.foo");
    f.dir.write("Applications/Foo Suite/readme.txt", std::string(8000, 'r'));
    sync(); // allocated sizes settle late
    f.lastOpened(app, 400);
    FileCounter counter;
    auto items = f.scanner().scanApps({}, counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].targets.front(), URL::fileURL(f.apps() + "/Foo Suite"));
    EXPECT_GT(items[0].bytes, 8000);

    chmod(f.dir.path().c_str(), 0755);
    chmod(f.apps().c_str(), 0755);
    EXPECT_TRUE(asNobody([&] {
        FileCounter c;
        auto found = f.scanner().scanApps({}, c);
        return found.size() == 1 && found[0].lockedReason == "Installed by an administrator";
    }));
}

// AppImages are found where users keep them and wherever a menu entry runs one. One is
// unused only when its dates say it last ran long ago; without a sign that it ever ran, it
// is never offered.
TEST(ScanApps, AppImagesLastRunLongAgoGoWithTheirEntriesLinksIconsAndData) {
    AppFixture f;
    const std::string home = f.home().path();
    auto daysAgo = [&](double days) { return addSeconds(f.now, -days * kDay); };
    auto appImage = [&](const std::string& relative, double readDaysAgo, double writtenDaysAgo) {
        std::string path = writeAppImage(joinPath(home, relative));
        setTimes(path, daysAgo(readDaysAgo), daysAgo(writtenDaysAgo));
        return path;
    };
    const std::string old = appImage("Applications/Old-2.0.AppImage", 200, 300);
    const std::string menu =
        writeDesktopEntry(home + "/.local/share/applications/appimagekit_1c-Old.desktop",
                          "Old Tool", old + " %U", "appimagekit_1c_old");
    const std::string login = writeDesktopEntry(home + "/.config/autostart/old-tray.desktop",
                                                "Old Tool tray", "\"" + old + "\" --tray");
    const std::string png =
        writeAt(home + "/.local/share/icons/hicolor/256x256/apps/appimagekit_1c_old.png");
    const std::string svg =
        writeAt(home + "/.local/share/icons/hicolor/scalable/apps/appimagekit_1c_old.svg");
    createDirectories(home + "/.local/bin");
    const std::string link = home + "/.local/bin/old";
    symlink("../../Applications/Old-2.0.AppImage", link.c_str());
    const std::string data = f.dir.mkdir("home/Applications/Old-2.0.AppImage.config");

    appImage("Applications/Fresh.AppImage", 2, 300);
    appImage("Apps/NeverRun.AppImage", 400, 400);
    const std::string recorded = appImage("AppImages/Recorded.AppImage", 400, 400);
    f.lastOpened(recorded, 250);
    const std::string plain = appImage("AppImages/Plain.AppImage", 200, 300);
    chmod(plain.c_str(), 0644);
    // Outside the usual folders, run from the menu; its icon is one the desktop's own
    // terminal entry names too, so it stays.
    const std::string tool = appImage("Downloads/Tool.AppImage", 190, 300);
    writeDesktopEntry(home + "/.local/share/applications/tool.desktop", "Tool", tool,
                      "utilities-terminal");
    const std::string shared =
        writeAt(home + "/.local/share/icons/hicolor/48x48/apps/utilities-terminal.png");
    sync(); // allocated sizes settle late

    DiskScanner scanner = f.scanner();
    DesktopEntries::Application terminal;
    terminal.id = "org.gnome.Terminal";
    terminal.path = "/usr/share/applications/org.gnome.Terminal.desktop";
    terminal.icon = "utilities-terminal";
    scanner.desktopApplications = [terminal] { return std::vector{terminal}; };
    FileCounter counter;
    std::map<std::string, ScanItem> found;
    for (auto& item : scanner.scanApps({{"Tool.AppImage", "Tool.AppImage"}}, counter))
        found[item.location.path()] = item;

    ASSERT_EQ(found.size(), 3u);
    const ScanItem& item = found.at(old);
    EXPECT_EQ(paths(item.targets),
              (std::vector<std::string>{old, menu, login, link, png, svg, data}));
    EXPECT_EQ(*item.app(), (ScanItem::AppInfo{"Old Tool", "Old-2.0.AppImage", daysAgo(200), 6,
                                              "appimagekit_1c_old"}));
    EXPECT_FALSE(item.inUseBy);
    EXPECT_GT(item.bytes, 8192);
    EXPECT_EQ(found.at(recorded).app()->lastOpened, daysAgo(250)) << "the later date";
    EXPECT_EQ(found.at(recorded).app()->name, "Recorded");
    const ScanItem& running = found.at(tool);
    EXPECT_EQ(paths(running.targets),
              (std::vector<std::string>{tool, home + "/.local/share/applications/tool.desktop"}));
    EXPECT_EQ(running.inUseBy, "Tool");
    EXPECT_TRUE(fileExists(shared));
}

TEST(AppImageLastOpened, TheLaterDateOnceSomethingSaysItRan) {
    const Date written = dateFromEpochSeconds(1'700'000'000);
    const Date read = addSeconds(written, 3600);
    const Date recorded = addSeconds(written, 7200);
    EXPECT_EQ(DiskScanner::appImageLastOpened(std::nullopt, read, written), read);
    EXPECT_EQ(DiskScanner::appImageLastOpened(std::nullopt, written, written), std::nullopt)
        << "never read since it was written";
    EXPECT_EQ(DiskScanner::appImageLastOpened(std::nullopt, written, read), std::nullopt);
    EXPECT_EQ(DiskScanner::appImageLastOpened(recorded, read, written), recorded);
    EXPECT_EQ(DiskScanner::appImageLastOpened(written, written, written), written);
    EXPECT_EQ(DiskScanner::appImageLastOpened(written, recorded, written), recorded);
}

TEST(SpotlightUsage, DatesComeFromTheRecordedAttributesOnly) {
    TempDir dir;
    std::string file = dir.write("Downloads/setup.dmg", "data");
    EXPECT_FALSE(DiskScanner::spotlightUsage(URL::fileURL(file)));

    std::string added = "2025-02-03T04:05:06Z";
    ASSERT_EQ(setxattr(file.c_str(), "user.kMDItemDateAdded", added.data(), added.size(), 0), 0);
    auto onlyAdded = DiskScanner::spotlightUsage(URL::fileURL(file));
    ASSERT_TRUE(onlyAdded);
    EXPECT_EQ(onlyAdded->added, parseIso8601(added));
    EXPECT_FALSE(onlyAdded->lastOpened);

    std::string used = "2026-01-02T03:04:05Z";
    ASSERT_EQ(setxattr(file.c_str(), "user.kMDItemLastUsedDate", used.data(), used.size(), 0), 0);
    EXPECT_EQ(DiskScanner::spotlightUsage(URL::fileURL(file))->lastOpened, parseIso8601(used));

    std::string terminated = used + '\0';
    setxattr(file.c_str(), "user.kMDItemLastUsedDate", terminated.data(), terminated.size(), 0);
    EXPECT_EQ(DiskScanner::spotlightUsage(URL::fileURL(file))->lastOpened, parseIso8601(used));

    std::string garbage = "last Tuesday";
    setxattr(file.c_str(), "user.kMDItemLastUsedDate", garbage.data(), garbage.size(), 0);
    EXPECT_FALSE(DiskScanner::spotlightUsage(URL::fileURL(file))->lastOpened);
    EXPECT_FALSE(DiskScanner::spotlightUsage(URL::fileURL(dir / "missing")));
}
