#include "app/menubar/MenuBarFixture.h"

#include "engine/DiskHistory.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace kelvora::testing {
namespace {

using Kind = MenuBarModel::State::Kind;
using State = MenuBarModel::State;

// The live model on a home with two app caches of a megabyte each, from the first check to
// the quick clean and the check after it.
TEST_F(MenuBarTest, QuickCleanDeletesTheCheckedCachesWithoutTheShelfAndNotesWhatItFreed) {
    std::string megabyte(1'000'000, 'c');
    std::string inkwell = env.dir().write("home/Library/Caches/Inkwell/blob", megabyte);
    std::string sketchpad = env.dir().write("home/Library/Caches/Sketchpad/blob", megabyte);
    auto isFixture = [](const ScanItem& item) {
        return item.location.path().find("/Library/Caches/") != std::string::npos;
    };

    MenuBarModel menu; // the live environment, on the isolated home
    EXPECT_EQ(menu.state(), State::checking());
    EXPECT_TRUE(menu.caches().empty());
    menu.refresh();
    EXPECT_EQ(menu.state(), State::checking());
    ASSERT_TRUE(settledIn(menu, Kind::ready));

    std::vector<std::string> found;
    int64_t total = 0;
    for (const ScanItem& item : menu.caches()) {
        total += item.bytes;
        if (isFixture(item)) found.push_back(item.location.lastPathComponent());
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"Inkwell", "Sketchpad"}));
    EXPECT_EQ(menu.state(), State::ready(total)) << "ready with what the caches hold";
    EXPECT_GE(total, 2'000'000);

    menu.quickClean();
    EXPECT_EQ(menu.state(), State::cleaning());
    ASSERT_TRUE(settledIn(menu, Kind::cleaned));
    EXPECT_EQ(menu.state(), State::cleaned(total));
    // What the caches held is gone; the folders stay for their applications to fill again.
    EXPECT_FALSE(fileExists(inkwell));
    EXPECT_FALSE(fileExists(sketchpad));
    EXPECT_TRUE(listFolder(URL::fileURL(env.data() + "/Kelvora/Undo Shelf", true)).entries.empty())
        << "caches rebuild by themselves: nothing goes on the shelf";

    DiskHistory history = DiskHistory::load(DiskHistory::defaultFile());
    ASSERT_EQ(history.samples.size(), 1u);
    EXPECT_EQ(history.freedByCleaning, total);
    EXPECT_EQ(history.samples.back().freedByCleaning, total);
    EXPECT_EQ(history.samples.back().available, menu.disk().available);

    menu.refresh();
    EXPECT_EQ(menu.state(), State::checking());
    ASSERT_TRUE(settledIn(menu, Kind::ready));
    EXPECT_TRUE(std::none_of(menu.caches().begin(), menu.caches().end(), isFixture));
}

// Only an offer of at least a byte can be cleared; every other state refuses and cleans
// nothing.
TEST_F(MenuBarTest, QuickCleanIsRefusedInEveryStateButAnOffer) {
    auto cleaning = gate();
    world.cleanGate = cleaning;
    world.onCheck(0, {cacheItem("InUse", 5'000'000, true), cacheItem("Empty", 0)});
    world.onCheck(1, {cacheItem("Inkwell", 3'000'000)});
    auto menu = makeMenu();

    auto refused = [&](const char* state) {
        SCOPED_TRACE(state);
        State before = menu->state();
        menu->quickClean();
        EXPECT_EQ(menu->state(), before);
        EXPECT_EQ(world.cleans.load(), state == std::string("cleaned") ? 1 : 0);
    };
    refused("checking");
    menu->refresh();
    ASSERT_TRUE(settledIn(*menu, Kind::ready));
    EXPECT_EQ(menu->state(), State::ready(0)) << "in use or empty: nothing to offer";
    EXPECT_TRUE(menu->caches().empty());
    refused("ready(0)");

    menu->refresh();
    ASSERT_TRUE(settledIn(*menu, Kind::ready));
    menu->quickClean();
    EXPECT_EQ(menu->state(), State::cleaning());
    ASSERT_TRUE(waitUntil([&] { return cleaning->waiting() == 1; }));
    menu->quickClean();
    EXPECT_EQ(menu->state(), State::cleaning());
    EXPECT_EQ(world.cleans.load(), 1) << "cleaning";
    cleaning->open();
    ASSERT_TRUE(settledIn(*menu, Kind::cleaned));
    EXPECT_EQ(menu->state(), State::cleaned(3'000'000));
    refused("cleaned");
}

// A check that a clean or a later check overtook measured caches that may be gone: it
// changes nothing, so "Clear" cannot come back for the same items.
TEST_F(MenuBarTest, AnOvertakenCheckNeverReplacesWhatCameAfterIt) {
    auto first = gate(), second = gate(), third = gate(), fourth = gate(), cleaning = gate();
    world.onCheck(0, {cacheItem("Inkwell", 2'000'000)}, first);
    world.onCheck(1, {cacheItem("Inkwell", 2'000'000)}, second);
    world.onCheck(2, {cacheItem("Old", 7'000'000)}, third);
    world.onCheck(3, {cacheItem("New", 4'000'000)}, fourth);
    world.cleanGate = cleaning;
    auto menu = makeMenu();

    // The popup opened twice before its first check ended.
    menu->refresh();
    ASSERT_TRUE(waitUntil([&] { return first->waiting() == 1; }));
    menu->refresh();
    ASSERT_TRUE(waitUntil([&] { return second->waiting() == 1; }));
    first->open();
    ASSERT_TRUE(settledIn(*menu, Kind::ready));
    menu->quickClean();
    ASSERT_EQ(menu->state(), State::cleaning());

    second->open();
    settle();
    EXPECT_EQ(menu->state(), State::cleaning()) << "the second check ended during the clean";
    world.disk.available = 300'000'000'000;
    menu->refresh();
    EXPECT_EQ(menu->state(), State::cleaning());
    EXPECT_EQ(menu->disk().available, 300'000'000'000) << "the disk is read even so";
    EXPECT_EQ(world.checks.load(), 2) << "no check starts during a clean";
    cleaning->open();
    ASSERT_TRUE(settledIn(*menu, Kind::cleaned));
    EXPECT_EQ(menu->state(), State::cleaned(2'000'000));
    EXPECT_EQ(world.cleans.load(), 1);

    // Of two overlapping checks, the older one ending last is dropped.
    menu->refresh();
    ASSERT_TRUE(waitUntil([&] { return third->waiting() == 1; }));
    menu->refresh();
    ASSERT_TRUE(waitUntil([&] { return fourth->waiting() == 1; }));
    fourth->open();
    ASSERT_TRUE(settledIn(*menu, Kind::ready));
    third->open();
    settle();
    EXPECT_EQ(menu->state(), State::ready(4'000'000));
    ASSERT_EQ(menu->caches().size(), 1u);
    EXPECT_EQ(menu->caches()[0].location.lastPathComponent(), "New");
}

} // namespace
} // namespace kelvora::testing
