#include "catalog/PlainWords.h"
#include "catalog/RelativeDate.h"
#include "model/Format.h"
#include "platform/Calendar.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>

using namespace kelvora;
using namespace kelvora::PlainWords;

namespace {

Date localTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0) {
    return Calendar::fromLocal({year, month, day, hour, minute, second});
}

} // namespace

TEST(PlainWordsFill, InsertsEachValueOnceAndNeverExpandsWhatItInserted) {
    EXPECT_EQ(fill("%@ waits %lld days.", {"Report %1 %@ %lld.pdf", 14}),
              "Report %1 %@ %lld.pdf waits 14 days.");
    EXPECT_EQ(fill("100%% of %@", {"%%"}), "100% of %%");
    EXPECT_EQ(fill("%@ and %@", {"one"}), "one and %@") << "a missing value leaves its mark";
    EXPECT_EQ(fill("50% off %d", {"x"}), "50% off %d") << "other percent signs stay";
    EXPECT_EQ(fill("%lld%@", {-3, "!"}), "-3!");
}

TEST(PlainWordsCounts, PluralUnlessExactlyOneAndGroupedByTheLocale) {
    EXPECT_EQ(counted(0, "item"), "0 items");
    EXPECT_EQ(counted(1, "item"), "1 item");
    EXPECT_EQ(counted(2, "log file"), "2 log files");
    EXPECT_EQ(plural("version", -1), "versions");
    EXPECT_EQ(Format::count(INT64_MIN), "-9223372036854775808");
    std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale here";
    std::string grouped = counted(1204, "file");
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(grouped, "1.204 files");
}

TEST(PlainWordsPaths, HomeBecomesATildeOnlyAsAWholeFolder) {
    struct Case {
        const char* path;
        const char* home;
        const char* shown;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"/home/al/Documents/a.pdf", "/home/al", "~/Documents/a.pdf"},
             {"/home/al", "/home/al/", "~"},
             {"/home/alice/notes.txt", "/home/al", "/home/alice/notes.txt"},
             {"/private/var/folders/x/private/var/y", "/home/al", "/var/folders/x/var/y"},
             {"/var/tmp/a", "/", "/var/tmp/a"},
         })
        EXPECT_EQ(homeRelativePath(c.path, c.home), c.shown) << c.path;
}

TEST(PlainWordsDates, MonthAndYearInEnglish) {
    EXPECT_EQ(shortMonthDate(localTime(2023, 9, 1)), "Sep 2023");
    EXPECT_EQ(longMonthDate(localTime(2023, 9, 30)), "September 2023");
}

TEST(RelativeDates, NameTheLargestWholeUnitAtEachBoundary) {
    const Date now = localTime(2024, 3, 31, 12, 0, 0);
    auto ago = [&](double seconds) { return relativeDate(addSeconds(now, -seconds), now); };
    auto daysAgo = [&](int days) { return relativeDate(Calendar::addingDays(now, -days), now); };
    auto monthsAgo = [&](int months) {
        return relativeDate(Calendar::addingMonths(now, -months), now);
    };
    EXPECT_EQ(ago(0.4), "now");
    EXPECT_EQ(ago(59), "59 seconds ago");
    EXPECT_EQ(ago(60), "1 minute ago");
    EXPECT_EQ(ago(3599), "59 minutes ago");
    EXPECT_EQ(ago(3600), "1 hour ago");
    EXPECT_EQ(relativeDate(localTime(2024, 3, 30, 12, 0, 1), now), "23 hours ago");
    EXPECT_EQ(daysAgo(1), "yesterday");
    EXPECT_EQ(relativeDate(localTime(2024, 3, 29, 12, 0, 1), now), "yesterday");
    EXPECT_EQ(daysAgo(2), "2 days ago");
    EXPECT_EQ(daysAgo(6), "6 days ago");
    EXPECT_EQ(daysAgo(7), "last week");
    EXPECT_EQ(daysAgo(13), "last week");
    EXPECT_EQ(daysAgo(14), "2 weeks ago");
    EXPECT_EQ(daysAgo(30), "4 weeks ago") << "1 March is not yet a whole month before 31 March";
    EXPECT_EQ(monthsAgo(1), "last month") << "29 February stands for 31 February";
    EXPECT_EQ(monthsAgo(11), "11 months ago");
    EXPECT_EQ(monthsAgo(12), "last year");
    EXPECT_EQ(relativeDate(localTime(2022, 4, 1), now), "last year");
    EXPECT_EQ(monthsAgo(24), "2 years ago");
    EXPECT_EQ(relativeDate(distantPast(), now), "324 years ago");

    EXPECT_EQ(relativeDate(Calendar::addingDays(now, 1), now), "tomorrow");
    EXPECT_EQ(relativeDate(addSeconds(now, 3 * 3600 + 5), now), "in 3 hours");
    EXPECT_EQ(relativeDate(Calendar::addingDays(now, 21), now), "in 3 weeks");
    EXPECT_EQ(relativeDate(Calendar::addingMonths(now, 1), now), "next month");

    // A clock that reads between whole seconds: a day back is still exactly a day.
    const Date midJune = localTime(2024, 6, 15, 12, 0, 0);
    for (int step = 1; step < 1000; ++step) {
        const Date ticking = midJune + std::chrono::nanoseconds(step * 999'983);
        ASSERT_EQ(relativeDate(ticking - std::chrono::hours(24), ticking), "yesterday") << step;
    }
}
