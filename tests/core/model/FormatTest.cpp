#include "model/Format.h"

#include <clocale>
#include <gtest/gtest.h>
#include <string>

using namespace kelvora;

namespace {

// Runs the checks under a German locale (decimal comma, point grouping) when the
// machine has one, so a locale-sensitive format cannot slip through.
class FormatUnderGermanLocale : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::setlocale(LC_ALL, nullptr);
        german_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    void TearDown() override { std::setlocale(LC_ALL, previous_.c_str()); }
    std::string previous_;
    bool german_ = false;
};

} // namespace

TEST_F(FormatUnderGermanLocale, SizesUseDecimalUnitsAndAPoint) {
    EXPECT_EQ(Format::size(0), "0 KB");
    EXPECT_EQ(Format::size(500), "0 KB");
    EXPECT_EQ(Format::size(1500), "2 KB");
    EXPECT_EQ(Format::size(2500), "2 KB");
    EXPECT_EQ(Format::size(999'499), "999 KB");
    EXPECT_EQ(Format::size(999'500), "1000 KB");
    EXPECT_EQ(Format::size(999'999), "1000 KB");
    EXPECT_EQ(Format::size(1'000'000), "1 MB");
    EXPECT_EQ(Format::size(999'999'999), "1000 MB");
    EXPECT_EQ(Format::size(1'000'000'000), "1.0 GB");
    EXPECT_EQ(Format::size(1'449'999'999), "1.4 GB");
    EXPECT_EQ(Format::size(12'600'000'000), "12.6 GB");
    EXPECT_EQ(Format::size(1'000'000'000'000), "1000.0 GB");
    EXPECT_EQ(Format::size(-1500), "-2 KB");
    auto parts = Format::sizeParts(1'500'000'000);
    EXPECT_EQ(parts.number, "1.5");
    EXPECT_EQ(parts.unit, "GB");
}

TEST_F(FormatUnderGermanLocale, PhotoEquivalentsRoundToHundredsFromAThousand) {
    EXPECT_EQ(Format::photoEquivalent(1'999'999), "0");
    EXPECT_EQ(Format::photoEquivalent(2'000'000), "1");
    EXPECT_EQ(Format::photoEquivalent(3'996'000'000), "999");
    EXPECT_EQ(Format::photoEquivalent(-8'000'000), "-2");
    if (!german_) GTEST_SKIP() << "no de_DE.UTF-8 locale here to check the grouping";
    EXPECT_EQ(Format::photoEquivalent(4'000'000'000), "1.000");
    EXPECT_EQ(Format::photoEquivalent(4'398'000'000), "1.100");
    EXPECT_EQ(Format::photoEquivalent(4'397'999'999), "1.000");
}

TEST(FormatTimeLeft, SwitchesUnitsAtTheirBoundaries) {
    EXPECT_EQ(Format::timeLeft(-3), "about a day");
    EXPECT_EQ(Format::timeLeft(1.49), "about a day");
    EXPECT_EQ(Format::timeLeft(1.5), "about 2 days");
    EXPECT_EQ(Format::timeLeft(13.4), "about 13 days");
    EXPECT_EQ(Format::timeLeft(13.5), "about 14 days");
    EXPECT_EQ(Format::timeLeft(14), "about 2 weeks");
    EXPECT_EQ(Format::timeLeft(59.9), "about 9 weeks");
    EXPECT_EQ(Format::timeLeft(60), "about 2 months");
    EXPECT_EQ(Format::timeLeft(75), "about 3 months");
    EXPECT_EQ(Format::timeLeft(365), "about 12 months");
}
