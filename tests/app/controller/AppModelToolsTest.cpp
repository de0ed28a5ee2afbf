#include "app/controller/ControllerFixture.h"

#include "engine/DiskHistory.h"

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
                             const SpaceMap::Progress& progress) {
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
    model->measureSpace(URL::fileURL("/tmp")); // ignored while measuring
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

TEST_F(ToolsTest, LoginItemsKeepASelectionThatIsStillListed) {
    std::vector<LoginItem> listed = {
        loginItem(LoginItem::Source::systemDaemon, "org.example.daemon", "Daemon"),
        loginItem(LoginItem::Source::userAgent, "com.example.zed", "Zed"),
        loginItem(LoginItem::Source::userAgent, "com.example.able", "able"),
    };
    bool readOpenAtLogin = false;
    AppModel::Tools fake = tools();
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
