#include "spacemap/Treemap.h"

#include <cmath>
#include <gtest/gtest.h>

namespace kelvora {
namespace {

using Treemap::Rect;

void expectNear(const Rect& actual, const Rect& expected, const std::string& label) {
    EXPECT_NEAR(actual.x, expected.x, 0.001) << label;
    EXPECT_NEAR(actual.y, expected.y, 0.001) << label;
    EXPECT_NEAR(actual.width, expected.width, 0.001) << label;
    EXPECT_NEAR(actual.height, expected.height, 0.001) << label;
}

bool overlap(const Rect& a, const Rect& b) {
    const double e = 1e-9;
    return a.x + a.width > b.x + e && b.x + b.width > a.x + e && a.y + a.height > b.y + e &&
           b.y + b.height > a.y + e;
}

TEST(Treemap, ClassicSquarifiedLayout) {
    std::vector<Rect> rects = Treemap::layout({6, 6, 4, 3, 2, 2, 1}, {0, 0, 6, 4});
    std::vector<Rect> expected = {
        {0, 0, 3, 2}, // the two sixes: a column of width 3 at the left
        {0, 2, 3, 2},
        {3, 0, 12.0 / 7, 7.0 / 3}, // 4 and 3: a strip along the top of the rest
        {3 + 12.0 / 7, 0, 9.0 / 7, 7.0 / 3},
        {3, 7.0 / 3, 1.2, 5.0 / 3}, // the twos: one column each
        {4.2, 7.0 / 3, 1.2, 5.0 / 3},
        {5.4, 7.0 / 3, 0.6, 5.0 / 3}, // the one fills what is left
    };
    ASSERT_EQ(rects.size(), expected.size());
    for (size_t i = 0; i < rects.size(); ++i)
        expectNear(rects[i], expected[i], std::to_string(i));
}

TEST(Treemap, TilesWithoutOverlapAndKeepsTheSizesOrder) {
    std::vector<double> sizes = {50, 1, 30, 7, 7, 3, 0.5, 12, 2};
    Rect area{10, 20, 300, 170};
    std::vector<Rect> rects = Treemap::layout(sizes, area);
    ASSERT_EQ(rects.size(), sizes.size());
    double total = 0, covered = 0;
    for (double s : sizes)
        total += s;
    for (size_t i = 0; i < rects.size(); ++i) {
        covered += rects[i].area();
        EXPECT_NEAR(rects[i].area(), area.area() * sizes[i] / total, 1e-6) << i;
        EXPECT_GE(rects[i].x, area.x - 1e-9);
        EXPECT_GE(rects[i].y, area.y - 1e-9);
        EXPECT_LE(rects[i].x + rects[i].width, area.x + area.width + 1e-9);
        EXPECT_LE(rects[i].y + rects[i].height, area.y + area.height + 1e-9);
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(overlap(rects[i], rects[j])) << i << "," << j;
    }
    EXPECT_NEAR(covered, area.area(), 1e-6);
}

TEST(Treemap, OneSizeFillsAndSquaresStartWithALeftColumn) {
    std::vector<Rect> one = Treemap::layout({42}, {5, 6, 7, 8});
    ASSERT_EQ(one.size(), 1u);
    expectNear(one[0], {5, 6, 7, 8}, "one");

    // In a square the first row is a column at the left edge.
    std::vector<Rect> square = Treemap::layout({1, 1, 2}, {0, 0, 2, 2});
    expectNear(square[0], {0, 0, 1, 1}, "first");
    expectNear(square[1], {0, 1, 1, 1}, "second");
    expectNear(square[2], {1, 0, 1, 2}, "third");

    // Both halves of the first row have a worst ratio of exactly 2: the tie joins them.
    std::vector<Rect> tie = Treemap::layout({0.5, 0.5, 1}, {0, 0, 2, 1});
    expectNear(tie[0], {0, 0, 1, 0.5}, "tie first");
    expectNear(tie[1], {0, 0.5, 1, 0.5}, "tie second");
    expectNear(tie[2], {1, 0, 1, 1}, "tie third");
}

TEST(Treemap, DegenerateInputsGiveZeroRectangles) {
    EXPECT_TRUE(Treemap::layout({}, {0, 0, 10, 10}).empty());
    for (const auto& [sizes, rect] :
         std::vector<std::pair<std::vector<double>, Rect>>{{{1, 2}, {0, 0, 0, 10}},
                                                           {{1, 2}, {0, 0, 10, 0}},
                                                           {{0, 0}, {0, 0, 10, 10}},
                                                           {{-3, 1}, {0, 0, 10, 10}}}) {
        std::vector<Rect> rects = Treemap::layout(sizes, rect);
        ASSERT_EQ(rects.size(), sizes.size());
        for (const Rect& r : rects)
            EXPECT_EQ(r, Rect{});
    }
    // A zero among positive sizes gets an empty rectangle, never NaN.
    for (const Rect& r : Treemap::layout({5, 0, 3, 0}, {0, 0, 8, 4})) {
        EXPECT_FALSE(std::isnan(r.width) || std::isnan(r.height) || std::isnan(r.x));
    }
}

} // namespace
} // namespace kelvora
