#include "controller/Prefs.h"

#include "app/support/IsolatedHome.h"
#include "clean/UndoShelf.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvora;
using nlohmann::json;

namespace {

class PrefsTest : public ::testing::Test {
protected:
    kelvora::testing::IsolatedHome env;

    void store(const std::string& key, const json& value) { Prefs::store().set(key, value); }
    json document() { return json::parse(*fileText(env.settingsFile())); }
    DiskScanner scanner() {
        return DiskScanner(URL::fileURL(env.home(), true), URL::fileURL(env.tmp(), true));
    }
};

TEST_F(PrefsTest, EmptyStoreGivesEveryDefault) {
    EXPECT_EQ(Prefs::appMonths(), 6);
    EXPECT_EQ(Prefs::projectMonths(), 3);
    EXPECT_EQ(Prefs::aiSessionDays(), 30);
    EXPECT_EQ(Prefs::downloadsDays(), 7);
    EXPECT_EQ(Prefs::shelfDays(), 7);
    EXPECT_EQ(Prefs::scheduleDays(), 7);
    EXPECT_TRUE(Prefs::showMenuBar());
    EXPECT_EQ(Prefs::picks(), PickList{});
    EXPECT_EQ(Prefs::lastScheduledClean(), std::nullopt);
    EXPECT_EQ(Prefs::lastScheduledFreed(), 0);
    EXPECT_EQ(Prefs::appearance(), Prefs::Appearance::system);
    for (const char* key :
         {Prefs::Key::includeDocker, Prefs::Key::downloadsAsked, Prefs::Key::scheduledClean,
          Prefs::Key::welcomeDone, Prefs::Key::shelfHelperDecided, Prefs::Key::openAtLoginChecked})
        EXPECT_FALSE(Prefs::boolean(key)) << key;
    EXPECT_TRUE(Prefs::stringList(Prefs::Key::neverTouch).empty());
    EXPECT_FALSE(fileExists(env.settingsFile())) << "reading never writes";

    DiskScanner configured = Prefs::configured(scanner());
    EXPECT_DOUBLE_EQ(configured.staleAfter, 15'552'000);
    EXPECT_DOUBLE_EQ(configured.downloadsAge, 604'800);
    EXPECT_DOUBLE_EQ(configured.projectStaleAfter, 7'776'000);
    EXPECT_DOUBLE_EQ(configured.aiSessionAge, 2'592'000);
    EXPECT_TRUE(configured.neverTouch.empty());
    EXPECT_FALSE(configured.includeDocker);
}

TEST_F(PrefsTest, ValueOfAnotherTypeReadsAsDefault) {
    store("appMonths", "12");
    store("projectMonths", 2.5);
    store("shelfDays", true);
    store("showMenuBar", "false");
    store("appearance", "sepia");
    store("neverTouch", json::array({"/a", 3}));
    store("lastScheduledClean", "2026-03-14T08:05:33Z");
    store("lastScheduledFreed", "1000");
    store("picks", "{\"excluded\":[],\"included\":[]}");
    store("includeDocker", 1);
    EXPECT_EQ(Prefs::appMonths(), 6);
    EXPECT_EQ(Prefs::projectMonths(), 3);
    EXPECT_EQ(Prefs::shelfDays(), 7);
    EXPECT_TRUE(Prefs::showMenuBar());
    EXPECT_EQ(Prefs::appearance(), Prefs::Appearance::system);
    EXPECT_TRUE(Prefs::stringList("neverTouch").empty());
    EXPECT_EQ(Prefs::lastScheduledClean(), std::nullopt) << "a text is not a date";
    EXPECT_EQ(Prefs::lastScheduledFreed(), 0);
    EXPECT_EQ(Prefs::picks(), PickList{});
    EXPECT_FALSE(Prefs::boolean("includeDocker"));
}

TEST_F(PrefsTest, StoredValuesOfTheRightTypeAreUsed) {
    store("appMonths", 12);
    store("showMenuBar", false);
    store("appearance", "dark");
    store("lastScheduledFreed", 1'500'000'000'000LL);
    Prefs::setStringList("neverTouch", {"/srv/keep", "/home/x/Projects"});
    Prefs::setBoolean("includeDocker", true);
    EXPECT_EQ(Prefs::appMonths(), 12);
    EXPECT_FALSE(Prefs::showMenuBar());
    EXPECT_EQ(Prefs::appearance(), Prefs::Appearance::dark);
    EXPECT_EQ(Prefs::lastScheduledFreed(), 1'500'000'000'000LL);

    DiskScanner configured = Prefs::configured(scanner());
    EXPECT_DOUBLE_EQ(configured.staleAfter, 31'104'000);
    EXPECT_EQ(configured.neverTouch, (std::vector<std::string>{"/srv/keep", "/home/x/Projects"}));
    EXPECT_TRUE(configured.includeDocker);
    EXPECT_EQ(configured.home, scanner().home) << "fields outside the settings are kept";
}

TEST_F(PrefsTest, HoldsAgesAndIntervalsBelowOneFallBackToTheirDefaults) {
    // A hold of 0 days would expire and purge every clean-up at once.
    store("shelfDays", 0);
    store("scheduleDays", -3);
    store("appMonths", -1);
    store("projectMonths", 0);
    store("aiSessionDays", -30);
    store("downloadsDays", 0);
    EXPECT_EQ(Prefs::shelfDays(), 7);
    EXPECT_EQ(Prefs::scheduleDays(), 7);
    EXPECT_EQ(Prefs::appMonths(), 6);
    EXPECT_EQ(Prefs::projectMonths(), 3);
    EXPECT_EQ(Prefs::aiSessionDays(), 30);
    DiskScanner configured = Prefs::configured(scanner());
    EXPECT_DOUBLE_EQ(configured.downloadsAge, 604'800);
    store("shelfDays", 1);
    EXPECT_EQ(Prefs::shelfDays(), 1);
    store("shelfDays", 1LL << 40);
    EXPECT_EQ(Prefs::shelfDays(), 7) << "beyond any sensible hold";
}

TEST_F(PrefsTest, HoldsAndAgesTooLongToBeDatedFallBackToTheirDefaults) {
    // 100,000 days from now lie past the last date there is: such an expiry would wrap
    // round into the past, and the next purge would remove the clean-up at once.
    store("shelfDays", 100'000);
    store("appMonths", 5'000);
    store("aiSessionDays", 2'147'483'647);
    EXPECT_EQ(Prefs::shelfDays(), 7);
    EXPECT_EQ(Prefs::appMonths(), 6);
    EXPECT_EQ(Prefs::aiSessionDays(), 30);

    std::string file = env.dir().write("home/Downloads/report.pdf", "keep me");
    ScanItem item;
    item.kind = JunkKind::downloads;
    item.location = URL::fileURL(file);
    item.targets = {item.location};
    item.bytes = 7;
    UndoShelf shelf(URL::fileURL(env.data() + "/shelf", true), Prefs::shelfDays());
    ASSERT_TRUE(shelf.shelve({{item, "report.pdf"}}, currentDate()).sweep);
    EXPECT_EQ(shelf.purgeExpired(currentDate()), 0);
    EXPECT_EQ(shelf.sweeps().size(), 1u);

    store("shelfDays", 36'500);
    EXPECT_EQ(Prefs::shelfDays(), 36'500) << "a hundred years is still a hold";
}

TEST_F(PrefsTest, PicksRoundTripAndUnreadablePicksAreEmpty) {
    PickList picks;
    picks.excluded.insert(URL::fileURL("/home/u/Library/Caches/a", true));
    picks.included.insert(URL::fileURL("/home/u/Downloads/b.zip"));
    Prefs::setPicks(picks);
    EXPECT_EQ(Prefs::picks(), picks);
    store("picks", json{{"excluded", 5}});
    EXPECT_EQ(Prefs::picks(), PickList{});
}

TEST_F(PrefsTest, LastScheduledCleanIsStoredAsADateAndRemovedByNothing) {
    Date when = *parseIso8601("2026-03-14T08:05:33Z");
    Prefs::setLastScheduledClean(when);
    EXPECT_EQ(Prefs::lastScheduledClean(), when);
    EXPECT_EQ(document()["lastScheduledClean"], (json{{"date", "2026-03-14T08:05:33Z"}}));
    Prefs::setLastScheduledClean(std::nullopt);
    EXPECT_EQ(Prefs::lastScheduledClean(), std::nullopt);
    EXPECT_FALSE(document().contains("lastScheduledClean"));
}

TEST_F(PrefsTest, PrivateFoldersNeedTheTrashListedOrPermissionAsked) {
    EXPECT_TRUE(Prefs::configured(scanner()).privateFoldersAllowed)
        << "no Trash yet: nothing blocks reading";
    env.dir().write("home/.Trash", "not a folder");
    EXPECT_FALSE(Prefs::configured(scanner()).privateFoldersAllowed);
    Prefs::setBoolean("downloadsAsked", true);
    EXPECT_TRUE(Prefs::configured(scanner()).privateFoldersAllowed);
    removeItem(env.home() + "/.Trash");
    env.dir().mkdir("home/.Trash");
    Prefs::setBoolean("downloadsAsked", false);
    EXPECT_TRUE(Prefs::configured(scanner()).privateFoldersAllowed);
}

TEST_F(PrefsTest, TwoProcessesWritingAtOnceLoseNoKey) {
    constexpr int kKeys = 60;
    std::vector<pid_t> children;
    for (const char* prefix : {"first", "second"}) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0; i < kKeys; ++i)
                Prefs::setInteger(prefix + std::to_string(i), i);
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    json doc = document();
    for (const char* prefix : {"first", "second"})
        for (int i = 0; i < kKeys; ++i)
            EXPECT_EQ(doc.value(prefix + std::to_string(i), -1), i) << prefix << i;
}

TEST_F(PrefsTest, DamagedDocumentReadsAsDefaultsAndIsKeptAsideOnWrite) {
    env.dir().write("config/Kelvora/settings.json", "{\"shelfDays\": 14,");
    EXPECT_EQ(Prefs::shelfDays(), 7);
    Prefs::setBoolean("welcomeDone", true);
    EXPECT_TRUE(Prefs::boolean("welcomeDone"));
    EXPECT_EQ(fileText(env.settingsFile() + ".damaged"), "{\"shelfDays\": 14,");
}

} // namespace

namespace {

TEST_F(PrefsTest, TurnedOffLoginAppsSkipIncompleteEntriesAndRejectMalformedLists) {
    using App = LoginItemScanner::OpenAtLoginApp;
    Prefs::setTurnedOffLoginApps({App{"Editor", "/Applications/Editor.app"}});
    EXPECT_EQ(document()["turnedOffLoginApps"],
              json::parse(R"([{"name": "Editor", "path": "/Applications/Editor.app"}])"));
    EXPECT_EQ(Prefs::turnedOffLoginApps(),
              (std::vector<App>{{"Editor", "/Applications/Editor.app"}}));

    store("turnedOffLoginApps", json::parse(R"([{"name": "A", "path": "/a"}, {"name": "B"},
                                                {"path": "/c", "name": "C"}])"));
    EXPECT_EQ(Prefs::turnedOffLoginApps(), (std::vector<App>{{"A", "/a"}, {"C", "/c"}}));
    store("turnedOffLoginApps", json::parse(R"([{"name": "A", "path": "/a"}, 5])"));
    EXPECT_TRUE(Prefs::turnedOffLoginApps().empty());
    Prefs::setTurnedOffLoginApps({});
    EXPECT_EQ(document()["turnedOffLoginApps"], json::array());
}

} // namespace
