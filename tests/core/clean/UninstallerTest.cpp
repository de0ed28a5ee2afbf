#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {

struct UninstallerTest : ::testing::Test {
    TempDir tmp;
    std::vector<RunningApp> running;
    std::set<std::string> installedIDs;
    DiskScanner scanner{URL::fileURL(tmp / "home", true), URL::fileURL(tmp / "tmp", true),
                        std::vector<URL>{URL::fileURL(tmp / "Applications", true),
                                         URL::fileURL(tmp / "home/Applications", true)}};

    void SetUp() override {
        scanner.runningApps = [this] { return running; };
        scanner.appUsage = [](const URL&) {
            return std::optional<AppUsage>(AppUsage{dateFromEpochSeconds(1'700'000'000), {}});
        };
        scanner.isInstalled = [this](const std::string& id) { return installedIDs.count(id) > 0; };
        scanner.ownBundleID = "app.kelvora.Kelvora";
    }

    URL makeBundle(const std::string& relative, const std::string& bundleID) {
        std::string path = tmp / relative;
        createDirectories(path + "/Contents/MacOS");
        writeFileAtomically(path + "/Contents/MacOS/main", std::string(5000, 'x'));
        if (!bundleID.empty())
            writePlist({{"CFBundleIdentifier", bundleID}, {"CFBundleName", "X"}},
                       path + "/Contents/Info.plist");
        return URL::fileURL(path, true);
    }
};

} // namespace

TEST_F(UninstallerTest, BuildsTheRemovalItemOfAnApplication) {
    URL editor = makeBundle("Applications/Editor.app", "com.maker.Editor");
    running = {{"Other", "com.other"}, {"Editor Helper", "COM.MAKER.EDITOR"}};
    sync();
    auto item = scanner.uninstallItem(editor);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, JunkKind::apps);
    EXPECT_EQ(item->location, editor);
    ASSERT_FALSE(item->targets.empty());
    EXPECT_EQ(item->targets.front(), editor);
    EXPECT_EQ(item->inUseBy, "Editor Helper");
    EXPECT_EQ(item->baseVerdict, Verdict::youDecide);
    ASSERT_TRUE(item->app);
    EXPECT_EQ(item->app->name, "Editor");
    EXPECT_EQ(item->app->bundleID, "com.maker.Editor");
    EXPECT_EQ(item->app->lastOpened, dateFromEpochSeconds(1'700'000'000));
    EXPECT_EQ(item->app->leftoverCount, static_cast<int>(item->targets.size()) - 1);
    FileCounter counter;
    EXPECT_EQ(item->bytes, scanner.freedSizes({item->targets}, counter).front());
    EXPECT_GT(item->bytes, 0);
    EXPECT_EQ(item->lockedReason.has_value(), !scanner.canMove(editor));
    if (item->lockedReason) {
        EXPECT_EQ(*item->lockedReason, "Installed by an administrator");
    }
    EXPECT_FALSE(item->leftover);
    EXPECT_FALSE(item->action);
}

TEST_F(UninstallerTest, RefusesWhatMayNotBeRemoved) {
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("Applications/Editor.APP", "com.maker.a")));
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("Applications/NoInfo.app", "")));
    EXPECT_FALSE(scanner.uninstallItem(URL::fileURL(tmp.mkdir("Applications/Folder"), true)));
    EXPECT_FALSE(scanner.uninstallItem(URL::fileURL(tmp / "Applications/Missing.app")));
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("elsewhere/Kelvora.app", "app.kelvora.Kelvora")));
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("Applications/Notes.app", "com.apple.Notes")));

    URL store = makeBundle("Applications/Pages.app", "com.apple.iWork.Pages");
    tmp.mkdir("Applications/Pages.app/Contents/_MASReceipt");
    EXPECT_TRUE(scanner.uninstallItem(store));
    EXPECT_TRUE(scanner.uninstallItem(makeBundle("Applications/Near.app", "com.applex.Tool")));
    EXPECT_TRUE(scanner.uninstallItem(makeBundle("Applications/Case.app", "Com.Apple.Thing")));
}

TEST_F(UninstallerTest, RemovedKeepsOrderAndComparesIdentifiersExactly) {
    InstalledApp a{"com.a", "A", "/Applications/A.app"};
    InstalledApp b{"com.b", "B", "/Applications/B.app"};
    InstalledApp movedB{"com.b", "B", "/Users/me/Applications/B.app"};
    InstalledApp upperA{"COM.A", "A", "/Applications/A.app"};
    EXPECT_TRUE(DiskScanner::removed({}, {a}).empty());
    EXPECT_EQ(DiskScanner::removed({a, b, a}, {movedB}), (std::vector<InstalledApp>{a, a}));
    EXPECT_EQ(DiskScanner::removed({a}, {upperA}), (std::vector<InstalledApp>{a}));
}

TEST_F(UninstallerTest, NoLeftoversForAnApplicationStillKnownOrWithoutFiles) {
    InstalledApp app{"com.gone.App", "Gone", "/Applications/Gone.app"};
    tmp.write("home/Library/Application Support/com.gone.App/data", "d");
    installedIDs = {"com.gone.App"};
    EXPECT_FALSE(scanner.leftovers(app));
    InstalledApp clean{"com.never.left", "Never", "/Applications/Never.app"};
    installedIDs.clear();
    EXPECT_FALSE(scanner.leftovers(clean));
}

TEST(InstalledAppJson, ReadsExactlyTheThreeTextKeys) {
    InstalledApp app{"com.maker.Editor", "Editor", "/Applications/Editor.app"};
    EXPECT_EQ(InstalledApp::fromJson(app.json()), app);
    auto extra = app.json();
    extra["more"] = 1;
    EXPECT_EQ(InstalledApp::fromJson(extra), app);
    auto missing = app.json();
    missing.erase("path");
    EXPECT_FALSE(InstalledApp::fromJson(missing));
    auto number = app.json();
    number["name"] = 3;
    EXPECT_FALSE(InstalledApp::fromJson(number));
    EXPECT_NE(std::hash<InstalledApp>()(app),
              std::hash<InstalledApp>()(InstalledApp{"com.maker.editor", "Editor", app.path}));
}
