#include "engine/DiskHistory.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <limits>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvora;

namespace {

const Date t0 = dateFromEpochSeconds(1'800'000'000);
Date at(double seconds) {
    return addSeconds(t0, seconds);
}
constexpr double day = 86400;

} // namespace

TEST(DiskHistoryRecording, ReplacesReadingsWithinAnHourAndForgetsAfterThirtyDays) {
    DiskHistory history;
    history.record(100, at(0));
    history.record(90, at(30 * 60));
    history.record(80, at(90 * 60));
    ASSERT_EQ(history.samples.size(), 2u);
    EXPECT_EQ(history.samples[0].available, 90);
    EXPECT_EQ(history.samples[1].available, 80);

    history.record(70, at(31 * day));
    ASSERT_EQ(history.samples.size(), 1u);
    EXPECT_EQ(history.samples[0].available, 70);

    history.recordFreed(-5);
    history.recordFreed(10);
    EXPECT_EQ(history.freedByCleaning, 10);
}

// A freed figure that would pass the largest size stays there, rather than wrapping round
// to a negative total that is then saved.
TEST(DiskHistoryRecording, FreedTotalsPinAtTheLargestFigure) {
    kelvora::testing::TempDir dir;
    URL file = URL::fileURL(dir / "history.json");
    constexpr int64_t most = std::numeric_limits<int64_t>::max();
    DiskHistory history;
    history.freedByCleaning = most - 10;
    history.recordFreed(100);
    history.record(5'000'000'000, dateFromEpochSeconds(1'800'000'000));
    history.save(file);
    EXPECT_EQ(DiskHistory::load(file).freedByCleaning, most);
    EXPECT_EQ(
        DiskHistory::update(file, [](DiskHistory& h) { h.recordFreed(most); }).freedByCleaning,
        most);
}

TEST(DiskHistoryForecast, NeedsFourReadingsOverTwoDaysAndAFastEnoughFall) {
    DiskHistory three;
    for (int i = 0; i < 3; ++i)
        three.record(10'000'000'000 - i * 1'000'000'000LL, at(i * 3 * day));
    EXPECT_FALSE(three.daysUntilFull(at(7 * day)));

    DiskHistory short_;
    for (int i = 0; i < 4; ++i)
        short_.record(10'000'000'000 - i * 1'000'000'000LL, at(i * 15.6 * 3600));
    EXPECT_FALSE(short_.daysUntilFull(at(2 * day)));

    DiskHistory slow;
    for (int i = 0; i < 4; ++i)
        slow.record(10'000'000'000 - i * 40'000'000LL, at(i * day));
    EXPECT_FALSE(slow.daysUntilFull(at(4 * day)));

    DiskHistory steady;
    for (int i = 0; i < 4; ++i)
        steady.record(10'000'000'000 - i * 100'000'000LL, at(i * day));
    auto days = steady.daysUntilFull(at(3 * day));
    ASSERT_TRUE(days);
    EXPECT_NEAR(*days, 97.0, 1e-9);
}

TEST(DiskHistoryForecast, LeavesOutWhatTheAppFreedItself) {
    DiskHistory history;
    history.record(10'000'000'000, at(0));
    history.record(9'900'000'000, at(day));
    history.recordFreed(1'000'000'000);
    history.record(10'800'000'000, at(2 * day));
    history.record(10'700'000'000, at(3 * day));
    auto days = history.daysUntilFull(at(3 * day));
    ASSERT_TRUE(days);
    EXPECT_NEAR(*days, 107.0, 1e-9);
}

TEST(DiskHistoryFile, RoundTripsAndReadsDamageAsEmpty) {
    kelvora::testing::TempDir dir;
    URL file = URL::fileURL(dir / "Kelvora/disk-history.json");
    DiskHistory history;
    history.recordFreed(42);
    history.record(123, dateFromEpochSeconds(1'765'016'113));
    history.save(file);
    EXPECT_EQ(DiskHistory::load(file), history);
    auto text = fileText(file.path());
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\"date\":\"2025-12-06T10:15:13Z\""), std::string::npos);
    EXPECT_NE(text->find("\"freedByKelv\":42"), std::string::npos) << "the stored key stays";

    EXPECT_EQ(DiskHistory::load(URL::fileURL(dir / "missing.json")), DiskHistory());
    writeFileAtomically(file.path(), "{\"samples\": [{\"date\": \"2025-12-06T10:15:13Z\", "
                                     "\"available\": 5}], \"freedByKelv\": 0}");
    EXPECT_EQ(DiskHistory::load(file), DiskHistory());
    writeFileAtomically(file.path(), "{not json");
    EXPECT_EQ(DiskHistory::load(file), DiskHistory());

    // The next save replaces the damaged file.
    history.save(file);
    EXPECT_EQ(DiskHistory::load(file), history);
}

TEST(DiskHistoryFile, WritersInTwoProcessesLoseNothing) {
    kelvora::testing::TempDir dir;
    URL file = URL::fileURL(dir / "Kelvora/disk-history.json");
    pid_t child = fork();
    for (int i = 0; i < 40; ++i)
        DiskHistory::update(file, [](DiskHistory& h) { h.recordFreed(1); });
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(DiskHistory::load(file).freedByCleaning, 80);
}

// Readings dated centuries back, as a hand-edited file may hold, are simply old: the date
// arithmetic pins instead of wrapping round to make them look recent.
TEST(DiskHistoryForecast, ReadingsFromCenturiesAgoAreOldNotRecent) {
    const Date longAgo = dateFromEpochSeconds(-8'800'000'000); // the year 1691
    DiskHistory history;
    for (int i = 0; i < 4; ++i)
        history.samples.push_back(
            {addSeconds(longAgo, i * day), 10'000'000'000 - i * 1'000'000'000LL, 0});
    EXPECT_FALSE(history.daysUntilFull(t0));
    history.record(5'000'000'000, t0);
    ASSERT_EQ(history.samples.size(), 1u);
    EXPECT_EQ(history.samples[0].date, t0);
}
