#include "support/FixtureScanner.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const ScanItem* itemAt(const std::vector<ScanItem>& items, const std::string& path) {
    for (const auto& item : items)
        if (item.location.path() == path) return &item;
    return nullptr;
}

} // namespace

TEST(CachesScanner, OffersEachNonEmptyCacheFolderWithItsEntriesAsTargets) {
    TempDir home;
    home.write("Library/Caches/org.example.editor/a.db", std::string(9000, 'a'));
    home.write("Library/Caches/org.example.editor/sub/b", std::string(3000, 'b'));
    home.write("Library/Caches/Yarn/pkg", "y");
    home.write("Library/Caches/yarn/pkg", "y");
    home.write("Library/Caches/zero/empty", "");
    home.mkdir("Library/Caches/empty");
    home.write("Library/Caches/loose-file", "f");
    home.write("Library/Caches/com.apple.Safari/x", "x");
    home.write("Library/Caches/CloudKit/x", "x");
    home.write("Library/Caches/app.kelvora.Kelvora/x", "x");
    sync();
    DiskScanner scanner = fixtureScanner(home);
    scanner.ownBundleID = "app.kelvora.Kelvora";
    FileCounter counter;
    auto items = scanner.scanCaches({}, counter);

    std::vector<std::string> names;
    for (const auto& item : items)
        names.push_back(item.location.lastPathComponent());
    EXPECT_EQ(names, (std::vector<std::string>{"Yarn", "org.example.editor", "yarn", "zero"}));

    const ScanItem* editor = itemAt(items, home / "Library/Caches/org.example.editor");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->targets.size(), 2u);
    EXPECT_GT(editor->bytes, 12000);
    EXPECT_EQ(editor->baseVerdict, Verdict::safe);
    EXPECT_EQ(itemAt(items, home / "Library/Caches/Yarn")->baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(itemAt(items, home / "Library/Caches/yarn")->baseVerdict, Verdict::safe);
    EXPECT_EQ(itemAt(items, home / "Library/Caches/zero")->bytes, 0);
    EXPECT_EQ(counter.count, 5);
}

TEST(CachesScanner, LinkedCacheFolderYieldsNoItem) {
    TempDir home;
    TempDir elsewhere;
    elsewhere.write("precious/document", std::string(5000, 'p'));
    home.mkdir("Library/Caches");
    ASSERT_EQ(symlink((elsewhere / "precious").c_str(), (home / "Library/Caches/linked").c_str()),
              0);
    FileCounter counter;
    EXPECT_TRUE(fixtureScanner(home).scanCaches({}, counter).empty());
}

TEST(CachesScanner, RunningApplicationHoldsTheFolderItMatches) {
    const std::vector<RunningApp> apps = {{"Editor", "Org.Example.Editor"}, {"Chat", "com.chat"}};
    const auto user = [&](const std::string& folder) {
        auto app = DiskScanner::appUsing(folder, apps);
        return app ? app->name : std::string("-");
    };
    EXPECT_EQ(user("org.example.editor"), "Editor");
    EXPECT_EQ(user("editor"), "Editor");
    EXPECT_EQ(user("org.example"), "Editor");
    EXPECT_EQ(user("org.example.editor.helper"), "Editor");
    EXPECT_EQ(user("example"), "Editor");
    EXPECT_EQ(user("chat"), "Chat");
    EXPECT_EQ(user("org.exam"), "-");
    EXPECT_EQ(user("com"), "Chat");
    EXPECT_EQ(user("unrelated"), "-");

    TempDir home;
    home.write("Library/Caches/com.chat/blob", "b");
    FileCounter counter;
    auto items = fixtureScanner(home).scanCaches(apps, counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].inUseBy, "Chat");
    EXPECT_EQ(items[0].verdict(), Verdict::inUse);
}
