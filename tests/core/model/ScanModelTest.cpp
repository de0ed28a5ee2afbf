#include "model/ScanResult.h"

#include <gtest/gtest.h>
#include <unordered_set>

using namespace kelvora;

namespace {

ScanItem item(JunkKind kind, const std::string& path, int64_t bytes) {
    ScanItem i;
    i.kind = kind;
    i.location = URL::fileURL(path);
    i.targets = {i.location};
    i.bytes = bytes;
    i.baseVerdict = Verdict::safe;
    return i;
}

} // namespace

TEST(ScanItemRules, InUseWinsOverLockedAndNeitherIsRemovable) {
    ScanItem i = item(JunkKind::caches, "/c", 10);
    EXPECT_EQ(i.verdict(), Verdict::safe);
    i.lockedReason = "Installed by an administrator";
    EXPECT_EQ(i.verdict(), Verdict::locked);
    EXPECT_FALSE(i.isRemovable());
    i.inUseBy = "Mail";
    EXPECT_EQ(i.verdict(), Verdict::inUse);
    EXPECT_FALSE(i.isRemovable());
}

TEST(ScanItemRules, OnlyTheTrashIsRemovableAtZeroBytes) {
    EXPECT_FALSE(item(JunkKind::caches, "/c", 0).isRemovable());
    EXPECT_FALSE(item(JunkKind::caches, "/c", -5).isRemovable());
    EXPECT_TRUE(item(JunkKind::trash, "/t", 0).isRemovable());
    EXPECT_TRUE(item(JunkKind::trash, "/t", -1).isRemovable());
}

TEST(ScanItemRules, RecordsOverrideTheCategoryShelfRule) {
    ScanItem chat = item(JunkKind::ai, "/a", 1);
    chat.record = ScanItem::AIInfo{ScanItem::AIInfo::Kind::sessions, "Tool", "", 3, {}, {}};
    EXPECT_TRUE(chat.goesOnShelf());
    chat.ai()->kind = ScanItem::AIInfo::Kind::cache;
    EXPECT_FALSE(chat.goesOnShelf());

    ScanItem backup = item(JunkKind::systemData, "/b", 1);
    backup.record = ScanItem::SystemInfo{ScanItem::SystemInfo::Kind::deviceBackup, "", "", {}, 1};
    EXPECT_TRUE(backup.goesOnShelf());
    backup.system()->kind = ScanItem::SystemInfo::Kind::purgeable;
    EXPECT_FALSE(backup.goesOnShelf());

    EXPECT_TRUE(item(JunkKind::trash, "/t", 1).goesOnShelf());
    EXPECT_FALSE(item(JunkKind::developer, "/d", 1).goesOnShelf());
}

TEST(ScanItemRules, CategoryTablesFollowTheirFixedOrder) {
    const auto& all = JunkKinds::allCases();
    ASSERT_EQ(all.size(), 15u);
    EXPECT_EQ(JunkKinds::rawValue(all[0]), "caches");
    EXPECT_EQ(JunkKinds::rawValue(all[14]), "trash");
    std::vector<std::string> shelved, picked;
    for (JunkKind k : all) {
        if (JunkKinds::goesOnShelf(k)) shelved.push_back(JunkKinds::rawValue(k));
        if (JunkKinds::pickedByDefault(k)) picked.push_back(JunkKinds::rawValue(k));
        EXPECT_EQ(JunkKinds::fromRawValue(JunkKinds::rawValue(k)), k);
    }
    EXPECT_EQ(shelved,
              (std::vector<std::string>{"downloads", "mail", "screenshots", "photos", "duplicates",
                                        "largeFiles", "apps", "leftovers", "trash"}));
    EXPECT_EQ(picked,
              (std::vector<std::string>{"caches", "logs", "tempFiles", "downloads", "trash"}));
    EXPECT_FALSE(JunkKinds::fromRawValue("Caches"));
    EXPECT_FALSE(JunkKinds::fromRawValue("none"));
    EXPECT_FALSE(Verdicts::fromRawValue("Safe"));
    EXPECT_EQ(Verdicts::fromRawValue("youDecide"), Verdict::youDecide);
}

TEST(ScanItemRules, ActionCommandLineShowsTheToolsLastComponent) {
    ScanItem::Action action{"/usr/bin/xcrun", {"simctl", "delete", "ABC"}};
    EXPECT_EQ(action.commandLine(), "xcrun simctl delete ABC");
    EXPECT_EQ((ScanItem::Action{"/usr/local/bin/docker", {}}).commandLine(), "docker");
    EXPECT_EQ((ScanItem::Action{"ollama", {"rm", "x"}}).commandLine(), "ollama rm x");
}

TEST(ScanItemRules, EqualityCoversEveryFieldButIdentityIsTheLocation) {
    ScanItem a = item(JunkKind::caches, "/c", 10), b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<ScanItem>()(a), std::hash<ScanItem>()(b));
    b.bytes = 11;
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    std::unordered_set<ScanItem> set{a, b};
    EXPECT_EQ(set.size(), 2u);
}

TEST(ScanResultTotals, CountOnlyRemovableItemsButListEveryItem) {
    ScanResult result;
    ScanItem busy = item(JunkKind::caches, "/busy", 100);
    busy.inUseBy = "Editor";
    result.items = {item(JunkKind::caches, "/a", 50), busy, item(JunkKind::caches, "/z", 0),
                    item(JunkKind::trash, "/t", 0), item(JunkKind::logs, "/l", 7)};
    EXPECT_EQ(result.reclaimable(JunkKind::caches), 50);
    EXPECT_EQ(result.reclaimable(JunkKind::trash), 0);
    EXPECT_EQ(result.reclaimable(), 57);
    EXPECT_EQ(result.itemsOf(JunkKind::caches).size(), 3u);
    ASSERT_EQ(result.inUseItems().size(), 1u);
    EXPECT_EQ(result.inUseItems()[0].location.path(), "/busy");

    ScanResult empty;
    EXPECT_EQ(empty.reclaimable(), 0);
    EXPECT_TRUE(empty.itemsOf(JunkKind::mail).empty());
}

TEST(ScanResultTotals, UsedSpaceNeverGoesNegative) {
    EXPECT_EQ((DiskSpace{500, 800}).used(), 0);
    EXPECT_EQ((DiskSpace{800, 500}).used(), 300);
}
