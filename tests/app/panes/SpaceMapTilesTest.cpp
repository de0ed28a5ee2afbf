#include "panes/SpaceMapTiles.h"

#include "model/Format.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kelvora::testing {
namespace {

SpaceMap::Entry child(const std::string& name, std::optional<int64_t> bytes, bool folder = false) {
    return {URL::fileURL("/data/" + name, folder), name, bytes, folder};
}

// Children named c0, c1, … with the given sizes, in the order given.
std::vector<SpaceMap::Entry> children(const std::vector<int64_t>& sizes) {
    std::vector<SpaceMap::Entry> list;
    for (size_t i = 0; i < sizes.size(); ++i)
        list.push_back(child("c" + std::to_string(i), sizes[i]));
    return list;
}

std::vector<std::string> names(const std::vector<SpaceMapTile>& tiles) {
    std::vector<std::string> result;
    for (const auto& tile : tiles)
        result.push_back(tile.name);
    return result;
}

TEST(SpaceMapTilesTest, ChildrenPastTheLimitFoldIntoOneTilePlacedBySize) {
    // Up to the limit every child keeps its own tile, in the order given, unsorted.
    auto own = SpaceMapTiles::tiles(children({5, 9, 7}), 28);
    EXPECT_EQ(names(own), (std::vector<std::string>{"c0", "c1", "c2"}));
    EXPECT_EQ(own[1].id, "/data/c1");
    EXPECT_EQ(own[1].count, 1);
    ASSERT_TRUE(own[1].entry);

    // 29 children: 28 tiles and "1 more item" holding the last child's bytes.
    std::vector<int64_t> sizes(29);
    for (int i = 0; i < 29; ++i)
        sizes[i] = 1000 - i;
    auto folded = SpaceMapTiles::tiles(children(sizes), 28);
    ASSERT_EQ(folded.size(), 29u);
    EXPECT_EQ(folded.back().name, "1 more item");
    EXPECT_EQ(folded.back().id, "rest");
    EXPECT_EQ(folded.back().count, 1);
    EXPECT_EQ(folded.back().bytes, 972);
    EXPECT_FALSE(folded.back().entry);

    // A folded tile larger than some goes before them; one as large as a child goes after
    // it; a child without a size counts as 0.
    auto larger = SpaceMapTiles::tiles(
        {child("a", 100), child("b", 50), child("c", 40), child("d", 20), child("e", std::nullopt)},
        2);
    EXPECT_EQ(names(larger), (std::vector<std::string>{"a", "3 more items", "b"}));
    EXPECT_EQ(larger[1].bytes, 60);
    EXPECT_EQ(larger[1].count, 3);
    auto equal = SpaceMapTiles::tiles(children({100, 50, 30, 20}), 2);
    EXPECT_EQ(names(equal), (std::vector<std::string>{"c0", "c1", "2 more items"}));
}

TEST(SpaceMapTilesTest, EveryTileWeighsAtLeastFourThousandthsOfTheTotal) {
    auto tiles = SpaceMapTiles::tiles(children({999, 1}), 28);
    auto weights = SpaceMapTiles::weights(tiles);
    EXPECT_DOUBLE_EQ(weights[0], 999);
    EXPECT_DOUBLE_EQ(weights[1], 4); // 0.1 % of the bytes weighs 0.4 %

    auto rects = SpaceMapTiles::rectangles(tiles, {500, 200});
    ASSERT_EQ(rects.size(), 2u);
    double area = rects[0].width() * rects[0].height() + rects[1].width() * rects[1].height();
    EXPECT_NEAR(area, 500 * 200, 1e-6);
    EXPECT_NEAR(rects[1].width() * rects[1].height() / area, 4.0 / 1003, 1e-9);
    for (const auto& rect : rects)
        EXPECT_TRUE(QRectF(0, 0, 500, 200).contains(rect.adjusted(0.001, 0.001, -0.001, -0.001)));
    EXPECT_TRUE(SpaceMapTiles::rectangles({}, {500, 200}).empty());
}

TEST(SpaceMapTilesTest, DrawnPartsShadesAndLabelsFollowTheRectangleAndRank) {
    EXPECT_EQ(SpaceMapTiles::drawn({10, 20, 100, 50}), QRectF(10, 20, 97, 47));
    EXPECT_EQ(SpaceMapTiles::drawn({10, 20, 2, 3}), QRectF(10, 20, 0, 0));

    struct Case {
        QSizeF size;
        bool label;
    };
    for (const Case& c : {Case{{91, 45}, true}, Case{{90, 200}, false}, Case{{300, 44}, false},
                          Case{{90.5, 44.5}, true}})
        EXPECT_EQ(SpaceMapTiles::showsLabel(c.size), c.label)
            << c.size.width() << "x" << c.size.height();

    EXPECT_EQ(SpaceMapTiles::shade(0).fill, QColor(0x1A, 0x1A, 0x18));
    EXPECT_EQ(SpaceMapTiles::shade(0).text, QColor(0xF6, 0xF5, 0xF1));
    EXPECT_EQ(SpaceMapTiles::shade(4).text, QColor(Qt::white));
    EXPECT_EQ(SpaceMapTiles::shade(5).text, QColor(0x1A, 0x1A, 0x18));
    for (size_t rank : {8, 9, 28}) {
        EXPECT_EQ(SpaceMapTiles::shade(rank).fill, QColor(0xD9, 0xD6, 0xCE));
        EXPECT_EQ(SpaceMapTiles::shade(rank).text, QColor(0x1A, 0x1A, 0x18));
    }
    for (size_t rank = 1; rank < 9; ++rank)
        EXPECT_GT(SpaceMapTiles::shade(rank).fill.lightness(),
                  SpaceMapTiles::shade(rank - 1).fill.lightness());
}

TEST(SpaceMapTilesTest, HelpAndSpokenLabelNameTheTileAndItsSize) {
    std::vector<int64_t> sizes(30, 1'000'000);
    auto tiles = SpaceMapTiles::tiles(children(sizes), 28);
    const SpaceMapTile& rest = tiles.front(); // two folded children outweigh one
    ASSERT_EQ(rest.name, "2 more items");
    EXPECT_EQ(SpaceMapTiles::helpText(rest), "2 more items · " + Format::size(2'000'000));
    EXPECT_EQ(SpaceMapTiles::accessibleLabel(rest), "2 more items, " + Format::size(2'000'000));
}

} // namespace
} // namespace kelvora::testing
