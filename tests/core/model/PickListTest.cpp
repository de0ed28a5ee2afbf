#include "model/PickList.h"

#include <gtest/gtest.h>

using namespace kelvora;

namespace {

ScanItem item(JunkKind kind, const std::string& path, int64_t bytes = 10) {
    ScanItem i;
    i.kind = kind;
    i.location = URL::fileURL(path);
    i.bytes = bytes;
    return i;
}

} // namespace

TEST(PickListRules, DefaultsFollowTheCategory) {
    PickList picks;
    EXPECT_TRUE(picks.isPicked(item(JunkKind::caches, "/c")));
    EXPECT_TRUE(picks.isPicked(item(JunkKind::downloads, "/d")));
    EXPECT_TRUE(picks.isPicked(item(JunkKind::trash, "/t", 0)));
    EXPECT_FALSE(picks.isPicked(item(JunkKind::caches, "/zero", 0)));
    EXPECT_FALSE(picks.isPicked(item(JunkKind::duplicates, "/dup")));
    EXPECT_FALSE(picks.isPicked(item(JunkKind::systemData, "/s")));
}

TEST(PickListRules, ToggleFlipsRemovableItemsAndLeavesOthersAlone) {
    PickList picks;
    ScanItem cache = item(JunkKind::caches, "/c"), dup = item(JunkKind::duplicates, "/dup");
    picks.toggle(cache);
    EXPECT_FALSE(picks.isPicked(cache));
    EXPECT_EQ(picks.excluded.size(), 1u);
    picks.toggle(cache);
    EXPECT_TRUE(picks.excluded.empty());
    picks.toggle(dup);
    EXPECT_TRUE(picks.isPicked(dup));
    picks.toggle(dup);
    EXPECT_TRUE(picks.included.empty());

    ScanItem busy = item(JunkKind::duplicates, "/busy");
    busy.inUseBy = "Player";
    ScanItem zero = item(JunkKind::caches, "/zero", 0);
    PickList before = picks;
    picks.toggle(busy);
    picks.toggle(zero);
    EXPECT_EQ(picks, before);
    EXPECT_FALSE(picks.isPicked(busy));
}

TEST(PickListRules, PickAllAndTotalsPerCategory) {
    ScanResult result;
    result.items = {item(JunkKind::downloads, "/d1", 5), item(JunkKind::downloads, "/d2", 7),
                    item(JunkKind::largeFiles, "/big", 100), item(JunkKind::caches, "/c", 1)};
    PickList picks;
    picks.pickAll(JunkKind::downloads, result, false);
    EXPECT_EQ(picks.excluded.size(), 2u);
    EXPECT_EQ(picks.pickedBytes(result), 1);
    picks.pickAll(JunkKind::largeFiles, result, true);
    EXPECT_EQ(picks.pickedBytes(result), 101);
    EXPECT_EQ(picks.pickedBytes(result, JunkKind::largeFiles), 100);

    // A download found by a later scan starts picked.
    result.items.push_back(item(JunkKind::downloads, "/d3", 2));
    EXPECT_EQ(picks.pickedBytes(result, JunkKind::downloads), 2);

    // An excluded location has no effect on a category that uses the included set.
    picks.excluded.insert(URL::fileURL("/x"));
    EXPECT_FALSE(picks.isPicked(item(JunkKind::apps, "/x")));
}

TEST(PickListStoredForm, RoundTripsAndRejectsBadDocuments) {
    PickList picks;
    picks.excluded.insert(URL::fileURL("/Users/me/Library/Caches/a b"));
    picks.included.insert(URL::fileURL("/Users/me/Movies/big%file.mov"));
    picks.included.insert(*URL::parse("docker:images"));
    auto back = PickList::fromJson(picks.toJson());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, picks);

    auto empty = PickList::fromJson(R"({"excluded": [], "included": []})");
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, PickList());
    auto collapsed =
        PickList::fromJson(R"({"excluded": ["file:///a", "file:///a"], "included": []})");
    ASSERT_TRUE(collapsed);
    EXPECT_EQ(collapsed->excluded.size(), 1u);

    EXPECT_FALSE(PickList::fromJson(R"({"excluded": []})"));
    EXPECT_FALSE(PickList::fromJson(R"({"excluded": [1], "included": []})"));
    EXPECT_FALSE(PickList::fromJson(R"({"excluded": ["not a url"], "included": []})"));
    EXPECT_FALSE(PickList::fromJson(R"({"excluded": "file:///a", "included": []})"));
    EXPECT_FALSE(PickList::fromJson("not json"));
}
