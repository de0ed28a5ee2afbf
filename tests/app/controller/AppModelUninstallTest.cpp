#include "app/controller/ControllerFixture.h"

#include "model/Format.h"
#include "support/DesktopFiles.h"

namespace kelvora::testing {
namespace {

class UninstallTest : public ControllerTest {
protected:
    std::string writeLeftovers(const std::string& bundleID) {
        return write("Library/Application Support/" + bundleID + "/state.db",
                     std::string(10'000, 's'));
    }
};

TEST_F(UninstallTest, RefusesWhatIsNoApplicationBundle) {
    auto model = makeModel();
    std::string notes = write("Documents/Notes.txt");
    model->prepareUninstall(URL::fileURL(notes));
    ASSERT_TRUE(waitUntil([&] { return model->shelfError().has_value(); }));
    EXPECT_EQ(*model->shelfError(),
              "Notes isn’t an app Kelvora can read, so Kelvora won’t remove it.");
    EXPECT_FALSE(model->uninstallTarget());
}

TEST_F(UninstallTest, MovesTheAppAndItsLeftoversOntoTheShelfOnce) {
    std::string bundle = writeApp("Sketchpad", "com.example.sketchpad");
    std::string leftover = writeLeftovers("com.example.sketchpad");
    auto model = makeModel();
    model->prepareUninstall(URL::fileURL(bundle));
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    EXPECT_EQ(model->uninstallTarget()->targets.size(), 2u);

    cleanGate = std::make_shared<Gate>();
    model->confirmUninstall();
    model->confirmUninstall(); // a second click while the first runs
    cleanGate->open();
    ASSERT_TRUE(waitUntil([&] { return model->uninstallReport().has_value(); }));
    settle();
    EXPECT_TRUE(model->uninstallTarget()) << "the sheet stays open on its report";
    EXPECT_TRUE(model->uninstallReport()->failures.empty());
    EXPECT_FALSE(fileExists(bundle));
    EXPECT_FALSE(fileExists(leftover));
    ASSERT_EQ(model->sweeps().size(), 1u);
    EXPECT_EQ(model->sweeps().front().entries.front().label, "Sketchpad");

    model->closeUninstall();
    EXPECT_FALSE(model->uninstallTarget());
    EXPECT_FALSE(model->uninstallReport());
}

TEST_F(UninstallTest, AReportArrivingAfterTheSheetMovedOnStaysOffTheOtherApp) {
    std::string first = writeApp("Sketchpad", "com.example.sketchpad");
    std::string second = writeApp("Inkwell", "com.example.inkwell");
    auto model = makeModel();
    model->prepareUninstall(URL::fileURL(first));
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    cleanGate = std::make_shared<Gate>();
    model->confirmUninstall();
    ASSERT_TRUE(waitUntil([&] { return cleanGate->waiting() == 1; }));

    model->closeUninstall();
    model->prepareUninstall(URL::fileURL(second));
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    cleanGate->open();
    ASSERT_TRUE(waitUntil([&] { return !model->isChangingFiles(); }));
    settle();
    EXPECT_FALSE(fileExists(first));
    EXPECT_EQ(model->uninstallTarget()->location, URL::fileURL(second));
    EXPECT_FALSE(model->uninstallReport()) << "Inkwell's sheet still asks for confirmation";
    EXPECT_TRUE(fileExists(second));
}

TEST_F(UninstallTest, PasswordRouteOnlyForLockedApplications) {
    auto model = makeModel();
    ScanItem item;
    item.kind = JunkKind::apps;
    item.location = URL::fileURL(writeApp("Free", "com.example.free"));
    item.targets = {item.location};
    model->removeWithPassword(item);
    EXPECT_EQ(model->shelfError(),
              std::optional<std::string>("Kelvora can only do this for apps in the Applications "
                                         "folder."));
    model->setShelfError(std::nullopt);
    item.lockedReason = "Installed by an administrator";
    model->removeWithPassword(item); // not in /Applications
    EXPECT_EQ(model->shelfError(),
              std::optional<std::string>("Kelvora can only do this for apps in the Applications "
                                         "folder."));
    EXPECT_FALSE(model->uninstallTarget());
}

// The password route only acts in /Applications, so this one test puts a bundle there for
// its run.
TEST_F(UninstallTest, PasswordRouteShowsHowTheReleaseEnded) {
    const std::string folder = "/Applications";
    bool madeFolder = !fileExists(folder);
    if (madeFolder && !createDirectories(folder)) GTEST_SKIP() << "cannot create " << folder;
    const std::string bundle = folder + "/KelvoraReleaseTest" + std::to_string(getpid()) + ".app";
    createDirectories(bundle + "/Contents");
    if (!writePlist({{"CFBundleIdentifier", "com.example.locked"}},
                    bundle + "/Contents/Info.plist")) {
        removeItem(bundle);
        if (madeFolder) removeItem(folder);
        GTEST_SKIP() << "cannot write into " << folder;
    }

    AppModel::AdminOutcome outcome;
    AppModel::Tools scripted = tools();
    scripted.releaseAsAdmin = [&outcome](const std::string& command, const std::string& name) {
        EXPECT_NE(command.find("chown"), std::string::npos);
        EXPECT_EQ(name, "Locked");
        return outcome;
    };
    auto model = makeModel(scripted);
    ScanItem item;
    item.kind = JunkKind::apps;
    item.location = URL::fileURL(bundle);
    item.targets = {item.location};
    item.lockedReason = "Installed by an administrator";
    item.record = ScanItem::AppInfo{"Locked", "com.example.locked", {}, 0};

    outcome = {AppModel::AdminOutcome::Kind::cancelled, {}};
    model->removeWithPassword(item);
    EXPECT_FALSE(model->shelfError());
    EXPECT_FALSE(model->uninstallTarget());
    outcome = {AppModel::AdminOutcome::Kind::failed, "not allowed"};
    model->removeWithPassword(item);
    EXPECT_EQ(model->shelfError(),
              std::optional<std::string>("The system didn’t hand the app over: not allowed"));
    outcome = {AppModel::AdminOutcome::Kind::failed, ""};
    model->removeWithPassword(item);
    EXPECT_EQ(model->shelfError(),
              std::optional<std::string>("The system didn’t hand the app over: unknown error"));
    outcome = {};
    model->removeWithPassword(item);
    ASSERT_TRUE(model->uninstallTarget());
    EXPECT_FALSE(model->uninstallTarget()->lockedReason);
    EXPECT_EQ(model->uninstallTarget()->location, URL::fileURL(bundle));

    removeItem(bundle);
    if (madeFolder) removeItem(folder);
}

TEST_F(UninstallTest, WatcherAnnouncesARemovedAppWithLeftoversAndReviewOpensThem) {
    std::string kept = writeApp("Keeper", "com.example.keeper");
    std::string gone = writeApp("Painter", "com.example.painter");
    writeLeftovers("com.example.painter");
    auto model = makeModel();
    model->setWatchDelay(50);
    ASSERT_EQ(model->installed().size(), 2u);

    removeApp(gone, "com.example.painter");
    ASSERT_TRUE(waitUntil([&] { return model->removedAppNotice().has_value(); }));
    EXPECT_EQ(model->removedAppNotice()->title, "Painter was removed");
    ASSERT_TRUE(model->removedAppLeftovers());
    EXPECT_EQ(model->removedAppNotice()->detail,
              "It left " + Format::size(model->removedAppLeftovers()->bytes) +
                  " of settings and data behind. Kelvora can move them onto the Undo Shelf.");
    EXPECT_EQ(model->installed().size(), 1u);

    model->reviewRemovedAppLeftovers();
    ASSERT_TRUE(model->uninstallTarget());
    EXPECT_EQ(model->uninstallTarget()->kind, JunkKind::leftovers);
    model->confirmUninstall();
    ASSERT_TRUE(waitUntil([&] { return model->uninstallReport().has_value(); }));
    EXPECT_FALSE(model->removedAppNotice());
    EXPECT_FALSE(model->removedAppLeftovers());
    EXPECT_TRUE(fileExists(kept));
}

// Deleted in the file manager or uninstalled with flatpak: the watcher sees the AppImage's
// and Flatpak's folders too, and offers the menu entry left of the one, the data of the other.
TEST_F(UninstallTest, WatcherAnnouncesAnAppImageOrAFlatpakAppRemovedElsewhere) {
    const std::string painter = writeAppImage(env.home() + "/.local/bin/Painter.AppImage");
    // A folder left empty may be the place of a disk away now: this one keeps a program.
    writeAt(env.home() + "/.local/bin/painter-cli");
    writeDesktopEntry(env.data() + "/applications/painter.desktop", "Painter", painter, "painter");
    const std::string icon = writeAt(env.data() + "/icons/hicolor/64x64/apps/painter.png");
    const std::string krita = env.dir() / "system/var/lib/flatpak/app/org.kde.krita";
    createDirectories(krita + "/current");
    const std::string data = write(".var/app/org.kde.krita/config/kritarc", "[General]");
    auto model = makeModel();
    model->setWatchDelay(50);
    ASSERT_EQ(model->installed().size(), 2u);

    removeItem(painter);
    ASSERT_TRUE(waitUntil([&] { return model->removedAppNotice().has_value(); }));
    EXPECT_EQ(model->removedAppNotice()->title, "Painter was removed");
    EXPECT_EQ(model->removedAppNotice()->detail,
              "Its menu entry and icon stayed behind (" +
                  Format::size(model->removedAppLeftovers()->bytes) +
                  "). Kelvora can move them onto the Undo Shelf.");
    EXPECT_EQ(model->removedAppLeftovers()->targets,
              (std::vector<URL>{URL::fileURL(env.data() + "/applications/painter.desktop"),
                                URL::fileURL(icon)}));

    removeItem(krita);
    ASSERT_TRUE(waitUntil([&] {
        return model->removedAppNotice() &&
               model->removedAppNotice()->title != "Painter was removed";
    }));
    EXPECT_EQ(model->removedAppNotice()->title, "org.kde.krita was removed");
    EXPECT_EQ(model->removedAppLeftovers()->targets,
              std::vector<URL>{URL::fileURL(parentPath(parentPath(data)))});
    EXPECT_TRUE(model->installed().empty());
}

TEST_F(UninstallTest, ARemovalNoticedWhileLeftoversAreMovedKeepsItsNotice) {
    std::string first = writeApp("Alpha", "com.example.alpha");
    std::string second = writeApp("Beta", "com.example.beta");
    writeLeftovers("com.example.alpha");
    writeLeftovers("com.example.beta");
    auto model = makeModel();
    model->setWatchDelay(50);
    removeApp(first, "com.example.alpha");
    ASSERT_TRUE(waitUntil([&] { return model->removedAppNotice().has_value(); }));
    model->reviewRemovedAppLeftovers();
    cleanGate = std::make_shared<Gate>();
    model->confirmUninstall();
    ASSERT_TRUE(waitUntil([&] { return cleanGate->waiting() == 1; }));

    removeApp(second, "com.example.beta");
    ASSERT_TRUE(waitUntil([&] { return model->removedAppNotice()->title == "Beta was removed"; }));
    cleanGate->open();
    ASSERT_TRUE(waitUntil([&] { return model->uninstallReport().has_value(); }));
    ASSERT_TRUE(model->removedAppNotice());
    EXPECT_EQ(model->removedAppNotice()->title, "Beta was removed");
    ASSERT_TRUE(model->removedAppLeftovers());
    EXPECT_EQ(model->removedAppLeftovers()->leftover()->name, "Beta");
}

TEST_F(UninstallTest, AFolderEventDuringAReReadLeadsToOneMoreReRead) {
    std::string first = writeApp("Alpha", "com.example.alpha");
    std::string second = writeApp("Beta", "com.example.beta");
    writeLeftovers("com.example.alpha");
    writeLeftovers("com.example.beta");
    auto model = makeModel();
    model->setWatchDelay(50);
    installedGate = std::make_shared<Gate>();

    removeApp(first, "com.example.alpha");
    // The re-read has listed the applications and is looking at Alpha's leftovers.
    ASSERT_TRUE(waitUntil([&] { return installedGate->waiting() > 0; }));
    removeApp(second, "com.example.beta");
    settle(std::chrono::milliseconds(200));
    installedGate->open();

    ASSERT_TRUE(waitUntil([&] {
        return model->removedAppNotice() && model->removedAppNotice()->title == "Beta was removed";
    }));
    EXPECT_TRUE(model->installed().empty());
}

TEST_F(UninstallTest, AnAppThatLeftNothingChangesOnlyTheList) {
    std::string bare = writeApp("Bare", "com.example.bare");
    auto model = makeModel();
    model->setWatchDelay(50);
    removeApp(bare, "com.example.bare");
    ASSERT_TRUE(waitUntil([&] { return model->installed().empty(); }));
    settle();
    EXPECT_FALSE(model->removedAppNotice());
}

} // namespace
} // namespace kelvora::testing
