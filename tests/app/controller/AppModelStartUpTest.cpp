#include "app/controller/ControllerFixture.h"

#include "clean/ShelfFolder.h"
#include "engine/DiskHistory.h"
#include "platform/FolderHandle.h"

#include <unistd.h>

namespace kelvora::testing {
namespace {

using StartUpTest = ControllerTest;

// The user changed nothing yet: nothing is written, so a folder that cannot be written is no
// news at the start.
TEST_F(StartUpTest, FirstLaunchShowsWelcomeAndWritesNothing) {
    auto model = makeModel();
    EXPECT_EQ(model->mode(), AppModel::ViewMode::simple);
    EXPECT_TRUE(model->showingWelcome());
    EXPECT_FALSE(model->checkedOpenAtLogin());
    EXPECT_FALSE(model->forecastDays());
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning));
    EXPECT_EQ(model->picks(), PickList());
    EXPECT_FALSE(fileExists(env.settingsFile()));
    EXPECT_EQ(model->settingsError(), std::nullopt);
    EXPECT_TRUE(model->sweeps().empty());
    EXPECT_EQ(model->diskNow(), model->initialDisk());
}

TEST_F(StartUpTest, ReadsStoredSettingsHistoryAndShelf) {
    Prefs::setString(Prefs::Key::viewMode, "detailed");
    Prefs::setBoolean(Prefs::Key::welcomeDone, true);
    Prefs::setBoolean(Prefs::Key::openAtLoginChecked, true);
    PickList picks;
    picks.excluded.insert(URL::fileURL("/tmp/cache"));
    Prefs::setPicks(picks);
    DiskHistory history;
    Date now = currentDate();
    for (int day = 10; day >= 0; day -= 2)
        history.samples.push_back(
            {addSeconds(now, -day * 86400.0 - 60), 10'000'000'000 + day * 1'000'000'000LL, 0});
    history.save(DiskHistory::defaultFile());
    UndoShelf(URL::fileURL(shelfRoot(), true))
        .shelve({{download("Downloads/old.zip", "zip"), "old.zip"}}, currentDate());

    // The shelf is read off the window's thread and shows once read.
    auto model = std::make_unique<AppModel>(scanner(), cleaner(),
                                            UndoShelf(URL::fileURL(shelfRoot(), true), 7), tools());
    EXPECT_FALSE(model->shelfRead());
    EXPECT_TRUE(model->sweeps().empty());
    ASSERT_TRUE(waitUntil([&] { return model->shelfRead(); }));
    EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
    EXPECT_FALSE(model->showingWelcome());
    EXPECT_TRUE(model->checkedOpenAtLogin());
    EXPECT_EQ(model->picks(), picks);
    ASSERT_TRUE(model->forecastDays());
    EXPECT_GT(*model->forecastDays(), 0);
    ASSERT_EQ(model->sweeps().size(), 1u);
    EXPECT_EQ(model->shelfBytes(), 3);
}

// Whether this process holds a folder open, as the start-up read does while it reads the shelf.
bool holdsOpen(const std::string& folder) {
    for (const auto& fd : listFolder(URL::fileURL("/proc/self/fd", true)).entries) {
        char target[4096];
        ssize_t length = readlink(fd.url.path().c_str(), target, sizeof target);
        if (length > 0 && std::string(target, static_cast<size_t>(length)) == folder) return true;
    }
    return false;
}

// The shelf is read in the background at the start. A shelf change that lands first (here
// "Free now" after the shelf was replaced as another window would) shows the newer listing,
// and the start-up read, older and slower, never replaces it.
TEST_F(StartUpTest, TheShelfReadAtStartUpNeverReplacesANewerListing) {
    // A clean-up of 40,000 entries takes a while to read.
    UndoShelf::Sweep large{UndoShelf::sweepID(currentDate()),
                           currentDate(),
                           addSeconds(currentDate(), 7 * 86400.0),
                           {}};
    for (int i = 0; i < 40'000; ++i) {
        const std::string name = "Screenshot " + std::to_string(i) + ".png";
        const std::string path = env.home() + "/Pictures/" + name;
        large.entries.push_back(
            {std::to_string(i), name, "screenshots", path, 4096, {{path, "0-0-" + name, {}}}, {}});
    }
    createDirectories(shelfRoot() + "/" + large.id + "/items");
    env.dir().write("data/Kelvora/Undo Shelf/" + large.id + "/items/0-0-Screenshot 0.png");
    ASSERT_TRUE(writeManifest(FolderHandle::open(shelfRoot() + "/" + large.id), large));
    large = {};

    auto model = std::make_unique<AppModel>(scanner(), cleaner(),
                                            UndoShelf(URL::fileURL(shelfRoot(), true), 7), tools());
    ASSERT_TRUE(waitUntil([&] { return holdsOpen(shelfRoot()) || model->shelfRead(); }));
    ASSERT_TRUE(moveItem(shelfRoot(), shelfRoot() + " before"));
    auto newer = UndoShelf(URL::fileURL(shelfRoot(), true))
                     .shelve({{download("Downloads/new.zip", "zip"), "new.zip"}}, currentDate());
    ASSERT_TRUE(newer.sweep);

    model->emptyShelf(); // with nothing listed yet it empties nothing, then reads the shelf
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy(); }));
    ASSERT_FALSE(model->shelfRead()) << "the start-up read ended too soon to show anything";
    ASSERT_EQ(model->sweeps().size(), 1u);
    ASSERT_TRUE(waitUntil([&] { return model->shelfRead(); }));
    ASSERT_EQ(model->sweeps().size(), 1u);
    EXPECT_EQ(model->sweeps()[0].id, newer.sweep->id);
}

TEST_F(StartUpTest, ViewModeIsExactAndEveryAssignmentIsStored) {
    Prefs::setString(Prefs::Key::viewMode, "Detailed");
    auto model = makeModel();
    EXPECT_EQ(model->mode(), AppModel::ViewMode::simple);
    Prefs::remove(Prefs::Key::viewMode);
    model->setMode(AppModel::ViewMode::simple);
    EXPECT_EQ(Prefs::string(Prefs::Key::viewMode), std::optional<std::string>("simple"));
    model->setMode(AppModel::ViewMode::detailed);
    EXPECT_EQ(Prefs::string(Prefs::Key::viewMode), std::optional<std::string>("detailed"));
}

TEST_F(StartUpTest, FinishingTheWelcomeRegistersTheHelperOnceAndScans) {
    auto model = makeModel();
    model->finishWelcome();
    EXPECT_FALSE(model->showingWelcome());
    EXPECT_TRUE(Prefs::boolean(Prefs::Key::welcomeDone));
    EXPECT_TRUE(Prefs::boolean(Prefs::Key::shelfHelperDecided));
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    model->finishWelcome();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    EXPECT_EQ(sweeperRegistrations, 1);
}

TEST_F(StartUpTest, RevealingAMissingItemShowsTheNearestFolderThatExists) {
    auto model = makeModel();
    std::string folder = env.dir().mkdir("home/Projects");
    ScanItem item;
    item.location = URL::fileURL(folder + "/gone/deeper/file.txt");
    model->showInFinder(item);
    item.location = URL::fileURL("/no-such-folder-anywhere/file");
    model->showInFinder(item);
    ASSERT_EQ(revealed.size(), 2u);
    EXPECT_EQ(revealed[0].path(), folder);
    EXPECT_EQ(revealed[1].path(), "/");
}

TEST_F(StartUpTest, ALateResultIsDroppedOnceTheControllerIsGone) {
    auto gate = std::make_shared<Gate>();
    AppModel::Tools slow = tools();
    slow.search = [gate](const PlainQuery&, const URL&, int, const StopToken&) {
        gate->wait();
        return std::vector<PlainQuery::Hit>{{URL::fileURL("/tmp/a"), 1, {}}};
    };
    auto model = makeModel(slow);
    bool changedAfterDeath = false;
    model->search("videos");
    ASSERT_TRUE(waitUntil([&] { return gate->waiting() == 1; }));
    QObject::connect(model.get(), &AppModel::searchChanged, [&] { changedAfterDeath = true; });
    model.reset();
    gate->open();
    settle();
    EXPECT_FALSE(changedAfterDeath);
}

} // namespace
} // namespace kelvora::testing
