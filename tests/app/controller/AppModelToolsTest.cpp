#include "app/controller/ControllerFixture.h"

#include "engine/DiskHistory.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsText.h"

#include <atomic>

namespace kelvora::testing {
namespace {

using ToolsTest = ControllerTest;

LoginItem loginItem(LoginItem::Source source, const std::string& label, const std::string& name,
                    LoginItem::State state = LoginItem::State::waiting()) {
    LoginItem item;
    item.source = source;
    item.label = label;
    item.name = name;
    item.state = state;
    return item;
}

TEST_F(ToolsTest, MeasuringSkipsProtectedAndPrivateFoldersAndReportsProgress) {
    auto gate = std::make_shared<Gate>();
    std::set<std::string> skipped;
    URL measured;
    int walks = 0;
    AppModel::Tools fake = tools();
    fake.hasFullDiskAccess = [] { return false; };
    fake.measure = [&, gate](const URL& root, const std::set<std::string>& skip,
                             const SpaceMap::Progress& progress, const StopToken&) {
        ++walks;
        measured = root;
        skipped = skip;
        progress(5000);
        gate->wait();
        return SpaceMap::measure(root, skip);
    };
    auto model = makeModel(fake);
    model->show(std::nullopt, false, true, false, false, false);
    EXPECT_TRUE(model->showingSpaceMap());
    EXPECT_TRUE(model->measuring());
    ASSERT_TRUE(waitUntil([&] { return model->measuredFiles() == 5000; }));
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !model->measuring(); }));

    EXPECT_EQ(measured, home());
    for (const char* name : {"Desktop", "Documents", "Downloads"})
        EXPECT_TRUE(skipped.count(env.home() + "/" + name)) << name;
    EXPECT_TRUE(skipped.count(env.home() + "/Library/Mail"));
    ASSERT_TRUE(model->spaceMap());
    EXPECT_EQ(model->mapFolder(), model->spaceMap()->root());
    EXPECT_FALSE(model->mapSelection());

    model->show(std::nullopt, false, true, false, false, false); // a map exists: no new walk
    EXPECT_FALSE(model->measuring());
    EXPECT_EQ(walks, 1);
}

TEST_F(ToolsTest, ANewerMapRequestStopsTheRunningOneAndOnlyItsFolderIsShown) {
    write("Movies/trip.mov", "movie");
    write("Music/a.mp3", "a");
    write("Music/b.mp3", "b");
    const URL first = home().appending("Movies", true);
    const URL second = home().appending("Music", true);
    std::atomic<bool> firstStarted{false};
    std::atomic<bool> firstStopped{false};
    std::atomic<bool> landLate{false};
    AppModel::Tools fake = tools();
    fake.measure = [&](const URL& root, const std::set<std::string>& skip,
                       const SpaceMap::Progress& progress, const StopToken& stop) {
        if (root != first) return SpaceMap::measure(root, skip, progress, stop);
        // Walks until stopped, then reports and lands only once the newer map is shown.
        firstStarted = true;
        firstStopped = holdUntil([&] { return stop.stopped(); });
        progress(777);
        holdUntil([&] { return landLate.load(); });
        return SpaceMap::measure(root, skip);
    };
    auto model = makeModel(fake);
    model->measureSpace(first);
    ASSERT_TRUE(waitUntil([&] { return firstStarted.load(); }));
    model->measureSpace(second);
    ASSERT_TRUE(waitUntil([&] { return !model->measuring(); }));
    EXPECT_TRUE(firstStopped);
    ASSERT_TRUE(model->spaceMap());
    EXPECT_EQ(model->mapFolder(), second.resolvingSymlinks());

    landLate = true;
    QThreadPool::globalInstance()->waitForDone();
    settle();
    EXPECT_EQ(model->spaceMap()->root(), second.resolvingSymlinks());
    EXPECT_EQ(model->mapFolder(), second.resolvingSymlinks());
    EXPECT_EQ(model->measuredFiles(), 2) << "the stopped walk's count is not shown";
    EXPECT_FALSE(model->measuring());
}

// Opening the map, by the sidebar or by its pane appearing, only asks for a map when none
// is shown nor being made: it never stops the folder the user chose.
TEST_F(ToolsTest, OpeningTheMapWhileAFolderIsMeasuredLeavesThatMeasurementRunning) {
    write("Music/a.mp3", "a");
    const URL chosen = home().appending("Music", true);
    auto gate = std::make_shared<Gate>();
    std::vector<URL> walked;
    AppModel::Tools fake = tools();
    fake.measure = [&, gate](const URL& root, const std::set<std::string>& skip,
                             const SpaceMap::Progress&, const StopToken&) {
        walked.push_back(root);
        gate->wait();
        return SpaceMap::measure(root, skip);
    };
    auto model = makeModel(fake);
    model->measureSpace(chosen);
    ASSERT_TRUE(waitUntil([&] { return gate->waiting() == 1; }));
    model->show(std::nullopt, false, true, false, false, false);
    model->measureHomeUnlessMapped();
    gate->open();
    QThreadPool::globalInstance()->waitForDone();
    settle();
    EXPECT_EQ(walked, std::vector<URL>{chosen});
    ASSERT_TRUE(model->spaceMap());
    EXPECT_EQ(model->mapFolder(), chosen.resolvingSymlinks());
    EXPECT_FALSE(model->measuring());
}

// Quitting stops each search and measurement where it is; what one returns after that is
// never shown.
TEST_F(ToolsTest, StoppingWorkStopsEverySearchAndMeasurementAndShowsNothingTheyReturn) {
    using Hold = std::function<void(const StopToken&)>;
    struct Kind {
        const char* name;
        std::function<void(AppModel::Tools&, Hold)> install;
        std::function<void(AppModel&)> start;
        std::function<bool(const AppModel&)> showsAResult;
    };
    const URL photo = URL::fileURL("/tmp/a.jpg");
    const Kind kinds[] = {
        {"plain-words search",
         [&](AppModel::Tools& fake, Hold hold) {
             fake.search = [=](const PlainQuery&, const URL&, int, const StopToken& stop) {
                 hold(stop);
                 return std::vector<PlainQuery::Hit>{{photo, 1, {}}};
             };
         },
         [](AppModel& model) { model.search("videos"); },
         [](const AppModel& model) { return model.searchHits().has_value(); }},
        {"similar photos",
         [&](AppModel::Tools& fake, Hold hold) {
             fake.findPhotos = [=](const std::vector<URL>&, const std::function<void(double)>&,
                                   const StopToken& stop) {
                 hold(stop);
                 return std::vector<SimilarPhotos::Group>{{photo, {photo}, 1}};
             };
         },
         [](AppModel& model) { model.findSimilarPhotos(); },
         [](const AppModel& model) { return model.photoGroups().has_value(); }},
        {"space map",
         [](AppModel::Tools& fake, Hold hold) {
             fake.measure = [=](const URL& root, const std::set<std::string>& skip,
                                const SpaceMap::Progress&, const StopToken& stop) {
                 hold(stop);
                 return SpaceMap::measure(root, skip);
             };
         },
         [this](AppModel& model) { model.measureSpace(home()); },
         [](const AppModel& model) { return model.spaceMap() != nullptr; }},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        // Shared, as a run never stopped is let go only once the test has ended.
        auto started = std::make_shared<std::atomic<bool>>(false);
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        AppModel::Tools fake = tools();
        kind.install(fake, [this, started, stopped](const StopToken& stop) {
            *started = true;
            *stopped = holdUntil([&] { return stop.stopped(); });
        });
        auto model = makeModel(fake);
        kind.start(*model);
        ASSERT_TRUE(waitUntil([&] { return started->load(); }));
        model->stopWork();
        ASSERT_TRUE(waitUntil([&] { return stopped->load(); }));
        QThreadPool::globalInstance()->waitForDone();
        settle();
        EXPECT_FALSE(kind.showsAResult(*model));
    }
}

TEST_F(ToolsTest, LoginItemsKeepASelectionThatIsStillListed) {
    std::vector<LoginItem> listed = {
        loginItem(LoginItem::Source::systemDaemon, "org.example.daemon", "Daemon"),
        loginItem(LoginItem::Source::userAgent, "com.example.zed", "Zed"),
        loginItem(LoginItem::Source::userAgent, "com.example.able", "able"),
    };
    bool readOpenAtLogin = false;
    AppModel::Tools fake = tools();
    fake.hasSystemEvents = [] { return true; };
    fake.readLoginItems = [&](bool openAtLogin,
                              const std::vector<LoginItemScanner::OpenAtLoginApp>&) {
        readOpenAtLogin = openAtLogin;
        EXPECT_EQ(Prefs::boolean(Prefs::Key::openAtLoginChecked), openAtLogin);
        return listed;
    };
    auto model = makeModel(fake);
    model->show(std::nullopt, false, false, true, false, false);
    ASSERT_TRUE(waitUntil([&] { return model->loginItems().has_value(); }));
    EXPECT_EQ(model->loginSelection(), std::optional<std::string>("userAgent:com.example.able"));
    EXPECT_TRUE(model->asksForOpenAtLogin());

    model->setLoginSelection("systemDaemon:org.example.daemon");
    model->checkOpenAtLogin();
    EXPECT_TRUE(model->checkedOpenAtLogin());
    ASSERT_TRUE(waitUntil([&] { return readOpenAtLogin; }));
    settle();
    EXPECT_EQ(model->loginSelection(),
              std::optional<std::string>("systemDaemon:org.example.daemon"));

    listed.clear();
    model->loadLoginItems();
    ASSERT_TRUE(waitUntil([&] { return model->loginItems()->empty(); }));
    EXPECT_FALSE(model->loginSelection());
}

// Without System Events the user's autostart entries are the apps that open at login: the
// apps section lists them, or says there are none, and asks nothing. Nothing asks System
// Events for its list, even where an earlier run stored that the user let Kelvora do so.
TEST_F(ToolsTest, WithoutSystemEventsTheAppsSectionListsTheAutostartEntriesWithoutAsking) {
    Prefs::setBoolean(Prefs::Key::openAtLoginChecked, true);
    LoginItem notes = loginItem(LoginItem::Source::openAtLogin, "notes", "Notes");
    notes.mechanism = LoginItem::Mechanism::autostart;
    std::vector<LoginItem> listed = {notes};
    std::atomic<int> reads = 0;
    std::atomic<int> systemEventsReads = 0;
    AppModel::Tools fake = tools();
    fake.readLoginItems = [&](bool openAtLogin,
                              const std::vector<LoginItemScanner::OpenAtLoginApp>&) {
        systemEventsReads += openAtLogin;
        ++reads;
        return listed;
    };
    auto model = makeModel(fake);
    EXPECT_TRUE(model->checkedOpenAtLogin()) << "the stored setting is still read";
    model->show(std::nullopt, false, false, true, false, false);
    ASSERT_TRUE(waitUntil([&] { return model->loginItems().has_value(); }));
    EXPECT_FALSE(model->asksForOpenAtLogin());

    LoginItemsList list(*model);
    list.resize(700, 400);
    const LoginListLayout::Section& apps = list.layout().sections.at(0);
    EXPECT_EQ(apps.kind, LoginItemsOrder::Section::apps);
    EXPECT_FALSE(apps.ask);
    EXPECT_FALSE(apps.empty);
    ASSERT_EQ(list.layout().rows.size(), 1u);
    EXPECT_EQ(list.layout().rows[0].item.name, "Notes");
    EXPECT_FALSE(list.layout().rows[0].hairline);

    model->checkOpenAtLogin();
    listed.clear();
    model->loadLoginItems();
    ASSERT_TRUE(waitUntil([&] { return model->loginItems()->empty(); }));
    list.refresh();
    ASSERT_EQ(list.layout().sections.size(), 1u);
    EXPECT_FALSE(list.layout().sections[0].ask);
    EXPECT_TRUE(list.layout().sections[0].empty);
    EXPECT_EQ(LoginItemsText::kNoApps, "No apps open at login.");
    EXPECT_GE(reads, 2);
    EXPECT_EQ(systemEventsReads, 0);
}

TEST_F(ToolsTest, SwitchingOpenAtLoginAppsIsRememberedOncePerPath) {
    std::optional<std::string> failure;
    AppModel::Tools fake = tools();
    fake.switchLoginItem = [&failure](const LoginItem&, bool) { return failure; };
    auto model = makeModel(fake);
    LoginItem app = loginItem(LoginItem::Source::openAtLogin, "Notes", "Notes");
    app.file = URL::fileURL("/Applications/Notes.app");
    LoginItem agent = loginItem(LoginItem::Source::userAgent, "com.example.agent", "Agent");
    agent.file = URL::fileURL(env.home() + "/Library/LaunchAgents/com.example.agent.plist");

    auto settled = [&] {
        QThreadPool::globalInstance()->waitForDone();
        settle();
    };
    model->setLoginItem(app, false);
    settled();
    model->setLoginItem(app, false);
    settled();
    ASSERT_EQ(Prefs::turnedOffLoginApps().size(), 1u);
    EXPECT_EQ(Prefs::turnedOffLoginApps()[0].path, "/Applications/Notes.app");
    EXPECT_EQ(Prefs::turnedOffLoginApps()[0].name, "Notes");
    model->setLoginItem(agent, false);
    settled();
    EXPECT_EQ(Prefs::turnedOffLoginApps().size(), 1u);

    failure = "Kelvora couldn’t switch it on.";
    model->setLoginItem(app, true);
    settled();
    EXPECT_EQ(model->loginError(), failure);
    EXPECT_EQ(Prefs::turnedOffLoginApps().size(), 1u);
    failure.reset();
    model->setLoginItem(app, true);
    settled();
    EXPECT_FALSE(model->loginError());
    EXPECT_TRUE(Prefs::turnedOffLoginApps().empty());
}

TEST_F(ToolsTest, ALeftoverAgentGoesOntoTheShelfUnderItsName) {
    std::string plist = write("Library/LaunchAgents/com.gone.helper.plist", "<plist/>");
    LoginItem leftover = loginItem(LoginItem::Source::userAgent, "com.gone.helper", "Gone Helper");
    leftover.file = URL::fileURL(plist);
    leftover.programMissing = true;
    ASSERT_TRUE(leftover.isLeftover());
    auto model = makeModel();
    model->setShelfError(std::nullopt);

    LoginItem plain = loginItem(LoginItem::Source::userAgent, "com.example.ok", "Fine");
    model->removeLeftover(plain);
    settle();
    EXPECT_TRUE(model->sweeps().empty());

    model->removeLeftover(leftover);
    ASSERT_TRUE(waitUntil([&] { return !model->sweeps().empty(); }));
    EXPECT_FALSE(fileExists(plist));
    EXPECT_EQ(model->sweeps().front().entries.front().label, "Login item: Gone Helper");
    EXPECT_FALSE(model->loginError());
}

TEST_F(ToolsTest, DemoControllerShowsFixedDataAndWritesNothing) {
    ScanResult result;
    result.disk = {1000, 400};
    ScanItem item;
    item.kind = JunkKind::caches;
    item.location = URL::fileURL("/tmp/demo-cache");
    item.targets = {item.location};
    item.bytes = 10;
    result.items = {item};
    UndoShelf shelf(URL::fileURL(shelfRoot(), true));
    Prefs::setBoolean(Prefs::Key::openAtLoginChecked, true);
    Prefs::remove(Prefs::Key::picks);

    AppModel ready(result, AppModel::ViewMode::detailed, shelf, std::nullopt);
    EXPECT_FALSE(ready.checkedOpenAtLogin()) << "a snapshot reads no setting";
    EXPECT_TRUE(ready.phase().is(AppModel::Phase::Kind::ready));
    ASSERT_TRUE(ready.result());
    EXPECT_EQ(ready.diskNow(), result.disk);
    EXPECT_FALSE(ready.remembersPicks());
    ready.toggle(item);
    ready.setMode(AppModel::ViewMode::simple);
    EXPECT_FALSE(Prefs::store().value(Prefs::Key::picks));
    ready.finishWelcome();
    EXPECT_FALSE(Prefs::store().value(Prefs::Key::viewMode));
    EXPECT_FALSE(Prefs::store().value(Prefs::Key::welcomeDone));
    EXPECT_EQ(sweeperRegistrations, 0);
    EXPECT_FALSE(ready.receipt());

    Prefs::setInteger(Prefs::Key::shelfDays, 30);
    CleanReport report;
    report.freed = 0;
    report.shelved = 600;
    report.byKind = {{JunkKind::trash, 400}, {JunkKind::downloads, 200}};
    AppModel done(result, AppModel::ViewMode::simple, shelf,
                  AppModel::Phase::done(result, report, {1000, 1000}));
    auto receipt = done.receipt();
    ASSERT_TRUE(receipt);
    EXPECT_EQ(receipt->total, 600);
    ASSERT_EQ(receipt->lines.size(), 2u);
    EXPECT_EQ(receipt->lines[0].title, "Old downloads");
    EXPECT_EQ(receipt->lines[1].title, "Trash");
    EXPECT_EQ(receipt->freeBefore, 400);
    EXPECT_EQ(receipt->freeAfter, 1000);
    EXPECT_EQ(receipt->holdDays, 7) << "the given shelf's hold, not the setting";

    done.emptyShelf();
    EXPECT_FALSE(fileExists(DiskHistory::defaultFile().path()));
}

} // namespace
} // namespace kelvora::testing
