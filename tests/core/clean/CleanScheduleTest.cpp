#include "clean/CleanSchedule.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {
const Date now = dateFromEpochSeconds(1'800'000'000);
Date ago(double seconds) {
    return addSeconds(now, -seconds);
}
} // namespace

TEST(CleanSchedule, FollowsTheSwitchAndTheFirstRun) {
    EXPECT_FALSE(CleanSchedule::isDue(false, 1, std::nullopt, now));
    EXPECT_FALSE(CleanSchedule::isDue(false, 1, ago(30 * 86400), now));
    EXPECT_TRUE(CleanSchedule::isDue(true, 1, std::nullopt, now));
}

TEST(CleanSchedule, IsDueAnHourBeforeTheInterval) {
    EXPECT_TRUE(CleanSchedule::isDue(true, 1, ago(82800), now));
    EXPECT_FALSE(CleanSchedule::isDue(true, 1, ago(82800 - 60), now));
    EXPECT_TRUE(CleanSchedule::isDue(true, 7, ago(601200), now));
    EXPECT_FALSE(CleanSchedule::isDue(true, 7, ago(601199), now));
    for (int days : {0, -3}) {
        EXPECT_TRUE(CleanSchedule::isDue(true, days, ago(82800), now));
        EXPECT_FALSE(CleanSchedule::isDue(true, days, ago(82799), now));
    }
}

TEST(CleanSchedule, LastRunInTheFutureCountsAsDue) {
    EXPECT_TRUE(CleanSchedule::isDue(true, 7, addSeconds(now, 1), now));
    EXPECT_TRUE(CleanSchedule::isDue(true, 1, addSeconds(now, 5 * 86400), now));
    EXPECT_FALSE(CleanSchedule::isDue(true, 1, now, now));
}
