#include "entry/Arguments.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kelvora;

namespace {

Arguments args(std::vector<std::string> rest) {
    rest.insert(rest.begin(), "/opt/kelvora/kelvora");
    return Arguments(rest);
}

TEST(ArgumentsTest, ValueIsTheNextArgumentOfTheFirstOccurrence) {
    auto a = args({"--app", "/a.app", "--app", "/b.app", "--label"});
    EXPECT_EQ(a.valueAfter("--app"), "/a.app");
    EXPECT_EQ(a.valueAfter("--label"), std::nullopt) << "a flag given last has no value";
    EXPECT_EQ(a.valueAfter("--missing"), std::nullopt);
    EXPECT_EQ(args({"--shelf-root", "--app"}).valueAfter("--shelf-root"), "--app");
    EXPECT_EQ(args({"--app=/a.app"}).valueAfter("--app"), std::nullopt);
    EXPECT_TRUE(a.contains("/opt/kelvora/kelvora")) << "the executable is searched too";
}

TEST(ArgumentsTest, WelcomeStepIsClampedAndOnlyDecimalIntegersCount) {
    EXPECT_EQ(welcomeStep("1"), 0);
    EXPECT_EQ(welcomeStep("2"), 1);
    EXPECT_EQ(welcomeStep("+3"), 2);
    EXPECT_EQ(welcomeStep("9"), 2);
    EXPECT_EQ(welcomeStep("0"), 0);
    EXPECT_EQ(welcomeStep("-5"), 0);
    EXPECT_EQ(welcomeStep("-9223372036854775808"), 0);
    EXPECT_EQ(welcomeStep("9223372036854775807"), 2);
    EXPECT_EQ(welcomeStep("9223372036854775808"), std::nullopt);
    for (const char* bad : {"two", "", "+", " 2", "2 ", "0x2", "2.0"})
        EXPECT_EQ(welcomeStep(bad), std::nullopt) << bad;
}

TEST(ArgumentsTest, ForecastMustBeAWholeCLocaleNumber) {
    EXPECT_EQ(forecastDays("12.5"), 12.5);
    EXPECT_EQ(forecastDays("-3e2"), -300.0);
    for (const char* bad : {"12days", "", " 12", "12,5"})
        EXPECT_EQ(forecastDays(bad), std::nullopt) << bad;
}

TEST(ArgumentsTest, WindowSizeIsTwoNumbersAndNeverBelowTheSmallestWindow) {
    EXPECT_EQ(windowSize("1100x720"), (WindowSize{1100, 720}));
    EXPECT_EQ(windowSize("1600x1000"), (WindowSize{1600, 1000}));
    EXPECT_EQ(windowSize("800x600"), (WindowSize{1100, 720}));
    for (const char* bad : {"", "1100", "1100x", "x720", "1100×720", "+1100x720", "1100x720px",
                            "999999x720", "1100 x 720"})
        EXPECT_EQ(windowSize(bad), std::nullopt) << bad;
}

TEST(ArgumentsTest, SnapshotOptionsFollowTheirRules) {
    EXPECT_EQ(SnapshotOptions::from(args({"--snapshot"})), std::nullopt);

    auto caches = SnapshotOptions::from(args({"--snapshot", "out.png", "--category", "caches"}));
    ASSERT_TRUE(caches);
    EXPECT_EQ(caches->output, "out.png");
    EXPECT_EQ(caches->category, JunkKind::caches);
    EXPECT_EQ(caches->mode, SnapshotOptions::Mode::detailed) << "a category means detailed";

    auto nonsense = SnapshotOptions::from(
        args({"--snapshot", "o.png", "--category", "nonsense", "--detailed", "--dark"}));
    EXPECT_EQ(nonsense->category, std::nullopt);
    EXPECT_EQ(nonsense->mode, SnapshotOptions::Mode::detailed);
    EXPECT_TRUE(nonsense->dark);

    auto plain = SnapshotOptions::from(args({"--snapshot", "o.png", "--category"}));
    EXPECT_EQ(plain->mode, SnapshotOptions::Mode::simple);
    EXPECT_EQ(plain->demo, SnapshotOptions::Demo::none);

    EXPECT_EQ(SnapshotOptions::from(args({"--snapshot", "o", "--demo-done", "--demo-shelf"}))->demo,
              SnapshotOptions::Demo::shelf)
        << "the order of the test decides, not of the arguments";
    EXPECT_EQ(
        SnapshotOptions::from(args({"--snapshot", "o", "--demo-downloads", "--demo-done"}))->demo,
        SnapshotOptions::Demo::done);

    auto rest = SnapshotOptions::from(
        args({"--snapshot", "o", "--welcome", "3", "--forecast", "12days", "--space-map", "/srv",
              "--search", "big videos", "--receipt", "--login-items", "--marketing"}));
    EXPECT_EQ(rest->welcomeStep, 2);
    EXPECT_EQ(rest->forecastDays, std::nullopt);
    EXPECT_EQ(rest->spaceMap, "/srv");
    EXPECT_EQ(rest->search, "big videos");
    EXPECT_TRUE(rest->receipt && rest->loginItems && rest->marketing);
    EXPECT_EQ(rest->size, (WindowSize{1280, 820}));
    EXPECT_EQ(SnapshotOptions::from(args({"--snapshot", "o", "--size", "1100x720"}))->size,
              (WindowSize{1100, 720}));
    EXPECT_EQ(SnapshotOptions::from(args({"--snapshot", "o", "--size", "small"}))->size,
              (WindowSize{1280, 820}));
}

} // namespace
