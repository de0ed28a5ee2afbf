#include "controller/ScheduledClean.h"

#include "app/support/IsolatedHome.h"
#include "controller/Prefs.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

ScanItem cache(const std::string& name, int64_t bytes) {
    ScanItem item;
    item.kind = JunkKind::caches;
    item.location = URL::fileURL("/home/u/Library/Caches/" + name, true);
    item.targets = {item.location};
    item.bytes = bytes;
    return item;
}

class ScheduledCleanTest : public ::testing::Test {
protected:
    kelvora::testing::IsolatedHome env;
    std::vector<ScanItem> caches;
    std::vector<std::vector<ScanItem>> cleaned;
    int scans = 0;
    // Stored dates keep whole seconds.
    Date now = std::chrono::floor<std::chrono::seconds>(currentDate());

    ScheduledClean::Environment environment() {
        ScheduledClean::Environment e;
        e.scanCaches = [this] {
            ++scans;
            return caches;
        };
        e.clean = [this](const std::vector<ScanItem>& items, Date) {
            cleaned.push_back(items);
            CleanReport report;
            for (const auto& item : items)
                report.freed += item.bytes;
            report.freed -= 5; // one small file stayed behind
            return report;
        };
        return e;
    }
    int64_t run() { return ScheduledClean::runIfDue(now, environment()); }
};

TEST_F(ScheduledCleanTest, OffOrNotYetDueDoesNothingAndWritesNothing) {
    caches = {cache("a", 2'000'000'000)};
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(scans, 0);
    EXPECT_EQ(Prefs::lastScheduledClean(), std::nullopt);

    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    Date twoDaysAgo = addSeconds(now, -2 * 86400);
    Prefs::setLastScheduledClean(twoDaysAgo);
    Prefs::setLastScheduledFreed(42);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(scans, 0);
    EXPECT_EQ(Prefs::lastScheduledClean(), twoDaysAgo);
    EXPECT_EQ(Prefs::lastScheduledFreed(), 42);
}

TEST_F(ScheduledCleanTest, DueCleanRemovesEveryRemovableCacheAndRecordsWhatWasFreed) {
    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    ScanItem inUse = cache("busy", 900'000'000);
    inUse.inUseBy = "Editor";
    ScanItem locked = cache("locked", 900'000'000);
    locked.lockedReason = "Installed by an administrator";
    caches = {cache("a", 700'000'000), inUse, cache("empty", 0), locked, cache("b", 500'000'000)};
    EXPECT_EQ(run(), 1'199'999'995);
    ASSERT_EQ(cleaned.size(), 1u);
    ASSERT_EQ(cleaned[0].size(), 2u);
    EXPECT_EQ(cleaned[0][0].location.lastPathComponent(), "a");
    EXPECT_EQ(cleaned[0][1].location.lastPathComponent(), "b");
    EXPECT_EQ(Prefs::lastScheduledClean(), now);
    EXPECT_EQ(Prefs::lastScheduledFreed(), 1'199'999'995);
}

TEST_F(ScheduledCleanTest, BelowOneGigabyteNothingIsCleanedButTheRunCounts) {
    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    Prefs::setLastScheduledFreed(77);
    caches = {cache("a", 999'999'999)};
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(cleaned.empty());
    EXPECT_EQ(Prefs::lastScheduledClean(), now);
    EXPECT_EQ(Prefs::lastScheduledFreed(), 0);

    Prefs::setLastScheduledClean(std::nullopt);
    caches = {cache("a", 1'000'000'000)};
    EXPECT_EQ(run(), 999'999'995) << "exactly one gigabyte is enough";
}

TEST_F(ScheduledCleanTest, EveryCacheInUseStillMovesTheScheduleOn) {
    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    ScanItem busy = cache("busy", 5'000'000'000);
    busy.inUseBy = "Editor";
    caches = {busy};
    EXPECT_EQ(run(), 0);
    EXPECT_TRUE(cleaned.empty());
    EXPECT_EQ(Prefs::lastScheduledClean(), now);
    EXPECT_EQ(Prefs::lastScheduledFreed(), 0);
}

TEST_F(ScheduledCleanTest, AStoredIntervalBelowOneDayUsesTheWeeklyDefault) {
    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    Prefs::setInteger(Prefs::Key::scheduleDays, 0);
    Prefs::setLastScheduledClean(addSeconds(now, -2 * 86400));
    caches = {cache("a", 2'000'000'000)};
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(scans, 0);
}

// With XDG_CACHE_HOME at ~/.local/state, the scheduled clean emptied it unattended; a cache
// folder elsewhere may hold more than caches too. Neither is ever cleaned unattended.
TEST_F(ScheduledCleanTest, AnOddCacheFolderIsNeverCleanedUnattended) {
    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    const ScheduledClean::Environment live = ScheduledClean::Environment::live();
    for (const std::string& folder : {env.home() + "/.local/state", env.dir() / "elsewhere"}) {
        SCOPED_TRACE(folder);
        Prefs::setLastScheduledClean(std::nullopt);
        const std::string kept = env.dir().write(
            folder.substr(env.dir().path().size() + 1) + "/tool/history.db", "user data");
        setenv("XDG_CACHE_HOME", folder.c_str(), 1);
        ScheduledClean::Environment scheduled = environment();
        scheduled.scanCaches = [&] {
            auto items = live.scanCaches();
            for (auto& item : items)
                item.bytes = 2'000'000'000;
            return items;
        };
        EXPECT_EQ(ScheduledClean::runIfDue(now, scheduled), 0);
        EXPECT_TRUE(cleaned.empty());
        EXPECT_TRUE(fileExists(kept));
    }
}

} // namespace
