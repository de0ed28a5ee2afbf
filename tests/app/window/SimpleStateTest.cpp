#include "app/window/SimpleFixtures.h"

#include "model/Format.h"
#include "window/SimpleState.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

using Kind = AppModel::Phase::Kind;
using Element = SimpleState::Element;

// What the controller would hold, as plain values.
struct Scene {
    AppModel::Phase phase;
    PickList picks;
    std::optional<AppModel::ScanStep> step;
    DiskSpace initialDisk{494'380'000'000, 61'200'000'000};
    DiskSpace diskNow{494'380'000'000, 73'800'000'000};
    int64_t shelfBytes = 0;
    bool receipt = false;
    int shelfDays = 7;

    SimpleState state() const {
        return SimpleState::make({phase, picks, step, initialDisk, diskNow, shelfBytes, receipt,
                                  std::nullopt, shelfDays});
    }
};

std::string plain(const std::vector<Copy::Run>& runs) {
    std::string text;
    for (const auto& run : runs)
        text += run.text;
    return text;
}

std::string accented(const std::vector<Copy::Run>& runs) {
    std::string text;
    for (const auto& run : runs)
        if (run.accent) text += run.text;
    return text;
}

// Unpicks everything the default picks would take.
PickList nothingPicked(const ScanResult& result) {
    PickList picks;
    for (const auto& item : PickList().picked(result))
        picks.toggle(item);
    return picks;
}

ScanResult resultOf(std::vector<ScanItem> items) {
    ScanResult result;
    result.items = std::move(items);
    return result;
}

TEST(SimpleStateTest, SummaryTellsWhatTheAppDoesNowAndWhatItsButtonWillDo) {
    const ScanResult demo = demoResult();
    CleanReport cleaned = cleanedDefaults(demo);
    UndoShelf::Sweep sweep;
    sweep.expires = addSeconds(currentDate(), 7 * 86'400);
    sweep.entries = {UndoShelf::Entry{"1", "old.zip", "downloads", "/x", 5'014'000'000, {}}};
    CleanReport shelved = cleaned;
    shelved.sweep = sweep;
    CleanReport failed;
    failed.skippedInUse = 1;
    failed.failures = {{URL::fileURL("/a"), "protected"}, {URL::fileURL("/b"), "protected"}};
    const DiskSpace after{494'380'000'000, 73'800'000'000};

    struct Case {
        const char* name;
        Scene scene;
        std::string status;
        bool spinning;
        std::string headline;
        std::string accent;
        std::string body;
        Element element;
        std::string button; // the clean-up or free-now title
        bool share = false;
    };
    const Case cases[] = {
        {"scanning before its first step",
         {AppModel::Phase::scanning()},
         "Checking your computer…",
         true,
         "Looking for space you can free up.",
         "",
         "This takes a few seconds. Nothing is changed while Kelvora looks.",
         Element::none,
         ""},
        {"scanning a step",
         {AppModel::Phase::scanning(), {}, AppModel::ScanStep{"Mail and Messages", 0.4}},
         "Checking Mail and Messages…",
         true,
         "Looking for space you can free up.",
         "",
         "This takes a few seconds. Nothing is changed while Kelvora looks.",
         Element::meter,
         ""},
        {"ready with the default picks",
         {AppModel::Phase::ready(demo)},
         "Kelvora checked " + Format::count(214'386) + " files in 6 seconds",
         false,
         "Kelvora found 12.6 GB you can free up.",
         "12.6 GB",
         "That’s room for about " + Format::count(3100) +
             " more photos. Nothing is removed until you press the button.",
         Element::readyRow,
         "Clean up 12.6 GB"},
        {"ready with everything unpicked",
         {AppModel::Phase::ready(demo), nothingPicked(demo)},
         "Kelvora checked " + Format::count(214'386) + " files in 6 seconds",
         false,
         "Your computer is already tidy.",
         "",
         "Everything Kelvora found is unpicked. Open Detailed view to choose what goes.",
         Element::none,
         ""},
        {"ready with nothing found",
         {AppModel::Phase::ready({})},
         "Kelvora checked 0 files in 1 second",
         false,
         "Your computer is already tidy.",
         "",
         "There’s no junk worth removing right now. Kelvora will be here when there is.",
         Element::none,
         ""},
        {"ready with one byte picked",
         {AppModel::Phase::ready(resultOf({foundItem(JunkKind::caches, "/c", 1)}))},
         "Kelvora checked 0 files in 1 second",
         false,
         "Kelvora found 0 KB you can free up.",
         "0 KB",
         "That’s room for about 0 more photos. Nothing is removed until you press the button.",
         Element::readyRow,
         "Clean up 0 KB"},
        {"cleaning",
         {AppModel::Phase::cleaning(demo)},
         "Cleaning up…",
         true,
         "Cleaning up 12.6 GB.",
         "12.6 GB",
         "Anything an open app is using is left alone.",
         Element::cleaningButton,
         "Clean up 12.6 GB"},
        {"done, shelf empty",
         {AppModel::Phase::done(demo, cleaned, after)},
         "Done",
         false,
         "Cleared 12.6 GB.",
         "12.6 GB",
         "Your computer now has 73.8 GB free.",
         Element::doneRow,
         ""},
        {"done, shelf holding the clean-up",
         {AppModel::Phase::done(demo, shelved, after), {}, {}, {}, {}, 5'014'000'000, true},
         "Done",
         false,
         "Cleared 12.6 GB.",
         "12.6 GB",
         "Your computer now has 73.8 GB free. 5.0 GB is on the Undo Shelf until " +
             Copy::releaseDate(sweep) +
             ", so you can still put it back. That space frees up then, or now if you empty the "
             "shelf.",
         Element::doneRow,
         "Free 5.0 GB now",
         true},
        {"done, everything left alone or failed",
         {AppModel::Phase::done(demo, failed, demo.disk), {}, {}, {}, demo.disk},
         "Done",
         false,
         "Nothing was cleared.",
         "",
         "Your computer now has 61.2 GB free. 1 items were opened by an app during cleaning, so "
         "Kelvora left them alone. 2 items couldn’t be moved, usually because macOS protects them.",
         Element::doneRow,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimpleState state = c.scene.state();
        EXPECT_EQ(state.status, c.status);
        EXPECT_EQ(state.spinning, c.spinning);
        EXPECT_EQ(plain(state.headline), c.headline);
        EXPECT_EQ(accented(state.headline), c.accent);
        EXPECT_EQ(state.body, c.body);
        EXPECT_EQ(state.element, c.element);
        EXPECT_EQ(c.element == Element::doneRow ? state.freeNowTitle.value_or("")
                                                : state.cleanTitle,
                  c.button);
        EXPECT_EQ(state.shareReceipt, c.share);
    }
    EXPECT_DOUBLE_EQ(cases[1].scene.state().meterFraction, 0.4);
}

TEST(SimpleStateTest, TallyRoundsTheSecondsHalfAwayAndNeverSaysZero) {
    const std::pair<double, std::string> cases[] = {
        {0, "1 second"},    {0.2, "1 second"},  {1.49, "1 second"}, {1.5, "2 seconds"},
        {2.5, "3 seconds"}, {6.4, "6 seconds"}, {-3, "1 second"},
    };
    for (const auto& [duration, seconds] : cases) {
        ScanResult result;
        result.duration = duration;
        EXPECT_EQ(SimpleText::scanStatus(result), "Kelvora checked 0 files in " + seconds);
    }
}

TEST(SimpleStateTest, DialShowsThePicksAsPendingAndKeepsBothSharesInRange) {
    auto readyOn = [](DiskSpace disk, int64_t cacheBytes) {
        ScanResult result = resultOf({foundItem(JunkKind::caches, "/c", cacheBytes)});
        result.disk = disk;
        return AppModel::Phase::ready(result);
    };
    struct Case {
        const char* name;
        Scene scene;
        double used;
        double after;
        std::string free;
    };
    const Case cases[] = {
        {"more free than the total", {readyOn({100, 200}, 50)}, 0, 0, "0 KB free of 0 KB"},
        {"no total at all", {readyOn({0, 0}, 50)}, 0, 0, "0 KB free of 0 KB"},
        {"picks beyond what is used",
         {readyOn({1'000'000'000, 900'000'000}, 300'000'000)},
         0.1,
         0,
         "900 MB free of 1.0 GB"},
        {"after a clean-up the shelf is still pending",
         {AppModel::Phase::done({}, {}, {}), {}, {}, {}, {1'000'000'000, 400'000'000}, 100'000'000},
         0.6,
         0.5,
         "400 MB free of 1.0 GB"},
        {"while scanning, the disk read at start",
         {AppModel::Phase::scanning(), {}, {}, {1'000'000'000, 250'000'000}},
         0.75,
         0.75,
         "250 MB free of 1.0 GB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimpleState state = c.scene.state();
        EXPECT_NEAR(state.usedFraction, c.used, 1e-12);
        EXPECT_NEAR(state.afterFraction, c.after, 1e-12);
        EXPECT_EQ(state.freeSpace + " " + state.freeOf, c.free);
    }
}

TEST(SimpleStateTest, TilesSumThePicksAndSayDoneOnlyForWhatWasCleared) {
    const ScanResult demo = demoResult();
    auto sizes = [](const Scene& scene) {
        std::vector<std::string> out;
        for (const Tile& tile : scene.state().tiles)
            out.push_back(tile.size.value_or("-"));
        return out;
    };
    using Sizes = std::vector<std::string>;
    EXPECT_EQ(sizes({AppModel::Phase::ready(demo)}),
              (Sizes{"5.7 GB", "1.9 GB", "3.6 GB", "1.4 GB"}));
    EXPECT_EQ(sizes({AppModel::Phase::cleaning(demo), nothingPicked(demo)}),
              (Sizes{"0 KB", "0 KB", "0 KB", "0 KB"}));
    EXPECT_EQ(sizes({AppModel::Phase::scanning()}), (Sizes{"-", "-", "-", "-"}));

    // A clean-up that cleared only caches: the logs, downloads and Trash found but not cleared
    // (unpicked, skipped or failed) are not "Done".
    CleanReport cachesOnly;
    cachesOnly.freed = 5'700'000'000;
    cachesOnly.byKind = {{JunkKind::caches, 5'700'000'000}};
    cachesOnly.failures = {{URL::fileURL("/Users/you/Downloads/Xcode_16.xip"), "protected"}};
    EXPECT_EQ(sizes({AppModel::Phase::done(demo, cachesOnly, demo.disk)}),
              (Sizes{"Done", "0 KB", "0 KB", "0 KB"}));
    EXPECT_EQ(sizes({AppModel::Phase::done(demo, cleanedDefaults(demo), demo.disk)}),
              (Sizes{"Done", "Done", "Done", "Done"}));

    Scene longHold{AppModel::Phase::ready(demo)};
    longHold.shelfDays = 10;
    auto tiles = longHold.state().tiles;
    EXPECT_EQ(tiles[0].title, "App caches");
    EXPECT_EQ(tiles[1].title, "Logs & leftovers");
    EXPECT_EQ(tiles[2].caption,
              "Installers and zips you’ve already used. They wait 10 days on the Undo Shelf.");
    EXPECT_EQ(tiles[3].caption,
              "Already in the Trash. It waits 10 days on the Undo Shelf before it’s gone.");
    EXPECT_FALSE(tiles[2].link || tiles[3].link);
}

TEST(SimpleStateTest, RefusedFoldersTurnTheirTilesIntoPrivacyNotices) {
    ScanResult blocked = demoResult();
    blocked.trashAccess = FolderAccess::blocked;
    blocked.downloadsAccess = FolderAccess::blocked;
    for (const AppModel::Phase& phase :
         {AppModel::Phase::ready(blocked), AppModel::Phase::cleaning(blocked),
          AppModel::Phase::done(blocked, cleanedDefaults(blocked), blocked.disk)}) {
        auto tiles = Scene{phase}.state().tiles;
        EXPECT_EQ(tiles[2], (Tile{"arrow.down.circle", "Old downloads", std::nullopt,
                                  "macOS keeps Downloads private.", "Open Settings"}));
        EXPECT_EQ(tiles[3], (Tile{"trash", "Trash", std::nullopt, "macOS keeps the Trash private.",
                                  "Open Settings"}));
    }
    auto scanning = Scene{AppModel::Phase::scanning()}.state().tiles;
    EXPECT_EQ(scanning[3].caption,
              "Already in the Trash. It waits 7 days on the Undo Shelf before it’s gone.");
}

TEST(SimpleStateTest, OptInLineListsWhatIsFoundButNotPickedAndReviewGoesThere) {
    auto duplicate = [](const std::string& name, int64_t bytes) {
        return foundItem(JunkKind::duplicates, "/d/" + name, bytes, Verdict::youDecide);
    };
    ScanItem inUse = duplicate("open", 3'000'000);
    inUse.inUseBy = "Preview";
    ScanItem locked = duplicate("locked", 3'000'000);
    locked.lockedReason = "installed by an administrator";
    const ScanResult twoDuplicates =
        resultOf({duplicate("a", 3'000'000), duplicate("b", 1'000'000)});
    PickList onePicked;
    onePicked.toggle(twoDuplicates.items[0]);

    struct Case {
        const char* name;
        ScanResult result;
        PickList picks;
        std::optional<OptInLine> line;
    };
    const Case cases[] = {
        {"one unpicked duplicate",
         resultOf({duplicate("a", 3'000'000)}),
         {},
         OptInLine{"Also found, not picked yet: 1 duplicate (3 MB).", JunkKind::duplicates}},
        {"several categories, in table order",
         demoResult(),
         {},
         OptInLine{"Also found, not picked yet: 1 unused app (1.1 GB) · 1 large or old file (6.3 "
                   "GB) · 1 set of AI files (220 MB) · 1 developer folder (640 MB).",
                   std::nullopt}},
        {"plurals",
         resultOf({foundItem(JunkKind::screenshots, "/s/1", 2'000'000),
                   foundItem(JunkKind::screenshots, "/s/2", 2'000'000),
                   foundItem(JunkKind::mail, "/m/1", 5'000'000)}),
         {},
         OptInLine{"Also found, not picked yet: 1 set of Mail or Messages attachments (5 MB) · 2 "
                   "months of old screenshots (4 MB).",
                   std::nullopt}},
        {"a category with something picked is left out", twoDuplicates, onePicked, std::nullopt},
        {"in use, locked or freeing nothing does not count",
         resultOf({inUse, locked, duplicate("empty", 0)}),
         {},
         std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SimpleText::optInSummary(c.result, c.picks), c.line);
    }
}

TEST(SimpleStateTest, FootnoteNotesShowInTheirPhasesOnly) {
    ScanResult result = demoResult();
    result.mailAccess = FolderAccess::blocked;
    const std::string inUseNote = "1 item is open in apps right now, like Google Chrome. Kelvora "
                                  "leaves it alone. Quit that app and check again to include it.";

    SimpleState ready = Scene{AppModel::Phase::ready(result)}.state();
    EXPECT_TRUE(ready.optIn && ready.mailNote);
    EXPECT_EQ(ready.inUseNote, inUseNote);
    for (const AppModel::Phase& phase :
         {AppModel::Phase::cleaning(result),
          AppModel::Phase::done(result, cleanedDefaults(result), result.disk)}) {
        SimpleState later = Scene{phase}.state();
        EXPECT_FALSE(later.optIn || later.mailNote) << "the opt-in and mail notes are for picking";
        EXPECT_EQ(later.inUseNote, inUseNote) << "the result before the clean-up still speaks";
    }
    EXPECT_FALSE(Scene{AppModel::Phase::scanning()}.state().hasFootnote());

    ScanItem second = foundItem(JunkKind::logs, "/l", 10);
    second.inUseBy = "Console";
    result.items.push_back(second);
    EXPECT_EQ(SimpleText::inUseNote(result),
              "2 items are open in apps right now, like Google Chrome. Kelvora leaves them alone. "
              "Quit those apps and check again to include them.");
}

} // namespace
} // namespace kelvora::testing
