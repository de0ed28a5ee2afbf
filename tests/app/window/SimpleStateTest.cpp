#include "app/window/SimpleFixtures.h"

#include "model/Format.h"
#include "window/SimpleState.h"

#include <gtest/gtest.h>

#include <cmath>

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
    bool shelfBusy = false;
    std::string accessNote;

    SimpleState state() const {
        return SimpleState::make({phase, picks, step, initialDisk, diskNow, shelfBytes, receipt,
                                  std::nullopt, shelfDays, shelfBusy, accessNote});
    }
};

// The summary as one text: the status (with "~" for the spinner), the headline with its
// accented size in brackets, the body, then the controls under it.
std::string summary(const SimpleState& state) {
    std::string text = state.status + (state.spinning ? " ~" : "") + " | ";
    for (const auto& run : state.headline)
        text += run.accent ? "[" + run.text + "]" : run.text;
    text += " | " + state.body;
    switch (state.element) {
    case Element::none:
        break;
    case Element::meter:
        text += " | meter " + std::to_string(state.meterFraction).substr(0, 3);
        break;
    case Element::readyRow:
        text += " | <" + state.cleanTitle + "> See what’s inside";
        break;
    case Element::cleaningButton:
        text += " | <" + state.cleanTitle + " ~>";
        break;
    case Element::doneRow:
        text += " |";
        if (state.freeNowTitle)
            text +=
                " <" + *state.freeNowTitle + (state.freeNowBusy ? " ~" : "") + "> Open Undo Shelf";
        if (state.shareReceipt) text += " Share your receipt";
        break;
    }
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
    const CleanReport cleaned = cleanedDefaults(demo);
    UndoShelf::Sweep sweep;
    sweep.expires = addSeconds(currentDate(), 7 * 86'400);
    sweep.entries = {UndoShelf::Entry{"1", "old.zip", "downloads", "/x", 5'014'000'000, {}}};
    CleanReport shelved = cleaned;
    shelved.sweep = sweep;
    CleanReport failed;
    failed.skippedInUse = 1;
    failed.failures = {{URL::fileURL("/a"), "protected"}, {URL::fileURL("/b"), "protected"}};
    const DiskSpace after{494'380'000'000, 73'800'000'000};
    const std::string tally = "Kelvora checked " + Format::count(214'386) + " files in 6 seconds";
    const std::string looking = " ~ | Looking for space you can free up. | This takes a few "
                                "seconds. Nothing is changed while Kelvora looks.";

    const std::pair<Scene, std::string> cases[] = {
        {{AppModel::Phase::scanning()}, "Checking your computer…" + looking},
        // A phase without the result it should carry is shown as a scan, not read through.
        {{AppModel::Phase{AppModel::Phase::Kind::done}}, "Checking your computer…" + looking},
        {{AppModel::Phase::scanning(), {}, AppModel::ScanStep{"Mail and Messages", 0.4}},
         "Checking Mail and Messages…" + looking + " | meter 0.4"},
        {{AppModel::Phase::ready(demo)},
         tally + " | Kelvora found [12.6 GB] you can free up. | That’s room for about " +
             Format::count(3100) +
             " more photos. Nothing is removed until you press the button. | <Clean up 12.6 GB> "
             "See what’s inside"},
        {{AppModel::Phase::ready(demo), nothingPicked(demo)},
         tally + " | Your computer is already tidy. | Everything Kelvora found is unpicked. Open "
                 "Detailed view to choose what goes."},
        {{AppModel::Phase::ready(ScanResult{})},
         "Kelvora checked 0 files in 1 second | Your computer is already tidy. | There’s no junk "
         "worth removing right now. Kelvora will be here when there is."},
        {{AppModel::Phase::ready(resultOf({foundItem(JunkKind::caches, "/c", 1)}))},
         "Kelvora checked 0 files in 1 second | Kelvora found [0 KB] you can free up. | That’s "
         "room for about 0 more photos. Nothing is removed until you press the button. | <Clean "
         "up 0 KB> See what’s inside"},
        {{AppModel::Phase::cleaning(demo)},
         "Cleaning up… ~ | Cleaning up [12.6 GB]. | Anything an open app is using is left alone. "
         "| <Clean up 12.6 GB ~>"},
        {{AppModel::Phase::done(demo, cleaned, after)},
         "Done | Cleared [12.6 GB]. | Your computer now has 73.8 GB free. |"},
        {{AppModel::Phase::done(demo, shelved, after), {}, {}, {}, {}, 5'014'000'000, true},
         "Done | Cleared [12.6 GB]. | Your computer now has 73.8 GB free. 5.0 GB is on the Undo "
         "Shelf until " +
             Copy::releaseDate(sweep) +
             ", so you can still put it back. That space frees up then, or now if you empty the "
             "shelf. | <Free 5.0 GB now> Open Undo Shelf Share your receipt"},
        // While the shelf works in the background its button says so.
        {{AppModel::Phase::done(demo, shelved, after),
          {},
          {},
          {},
          {},
          5'014'000'000,
          false,
          7,
          true},
         "Done | Cleared [12.6 GB]. | Your computer now has 73.8 GB free. 5.0 GB is on the Undo "
         "Shelf until " +
             Copy::releaseDate(sweep) +
             ", so you can still put it back. That space frees up then, or now if you empty the "
             "shelf. | <Free 5.0 GB now ~> Open Undo Shelf"},
        // Nothing came back: the headline must not read like a success, and the body says why.
        {{AppModel::Phase::done(demo, failed, demo.disk), {}, {}, {}, demo.disk},
         "Done | Nothing was cleared. | Your computer now has 61.2 GB free. 1 item was opened "
         "by an app during cleaning, so Kelvora left it alone. 2 items couldn’t be moved. "
         "Protected. |"},
    };
    for (const auto& [scene, expected] : cases)
        EXPECT_EQ(summary(scene.state()), expected);
}

TEST(SimpleStateTest, TallyRoundsTheSecondsHalfAwayAndNeverSaysZero) {
    const std::pair<double, std::string> cases[] = {
        {0, "1 second"},    {0.2, "1 second"},  {1.49, "1 second"}, {1.5, "2 seconds"},
        {2.5, "3 seconds"}, {6.4, "6 seconds"}, {-3, "1 second"},   {std::nan(""), "1 second"},
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
    auto dial = [](const Scene& scene) {
        SimpleState state = scene.state();
        return QString("%1 → %2, %3 %4")
            .arg(state.usedFraction)
            .arg(state.afterFraction)
            .arg(QString::fromStdString(state.freeSpace), QString::fromStdString(state.freeOf))
            .toStdString();
    };
    constexpr int64_t GB = 1'000'000'000;
    const std::pair<Scene, std::string> cases[] = {
        {{readyOn({100, 200}, 50)}, "0 → 0, 0 KB free of 0 KB"}, // more free than the total
        {{readyOn({0, 0}, 50)}, "0 → 0, 0 KB free of 0 KB"},
        {{readyOn({GB, 900'000'000}, 300'000'000)}, "0.1 → 0, 900 MB free of 1.0 GB"},
        // After a clean-up, the disk now, with what the shelf holds still pending.
        {{AppModel::Phase::done(ScanResult{}, {}, {}), {}, {}, {}, {GB, 400'000'000}, 100'000'000},
         "0.6 → 0.5, 400 MB free of 1.0 GB"},
        // While scanning, the disk read at start, with nothing pending.
        {{AppModel::Phase::scanning(), {}, {}, {GB, 250'000'000}},
         "0.75 → 0.75, 250 MB free of 1.0 GB"},
    };
    for (const auto& [scene, expected] : cases)
        EXPECT_EQ(dial(scene), expected);
}

TEST(SimpleStateTest, TilesSumThePicksSayDoneOnlyForWhatWasClearedAndNoticeRefusedFolders) {
    ScanResult demo = demoResult();
    auto sizes = [](const Scene& scene) {
        std::string out;
        for (const Tile& tile : scene.state().tiles)
            out += tile.size.value_or("-") + "; ";
        return out;
    };
    EXPECT_EQ(sizes({AppModel::Phase::ready(demo)}), "5.7 GB; 1.9 GB; 3.6 GB; 1.4 GB; ");
    EXPECT_EQ(sizes({AppModel::Phase::cleaning(demo), nothingPicked(demo)}),
              "0 KB; 0 KB; 0 KB; 0 KB; ");
    EXPECT_EQ(sizes({AppModel::Phase::scanning()}), "-; -; -; -; ");
    EXPECT_EQ(sizes({AppModel::Phase::done(demo, cleanedDefaults(demo), demo.disk)}),
              "Done; Done; Done; Done; ");
    // Only caches came back: the logs, downloads and Trash that were found but left unpicked,
    // skipped or failed are not "Done".
    CleanReport cachesOnly;
    cachesOnly.freed = 5'700'000'000;
    cachesOnly.byKind = {{JunkKind::caches, 5'700'000'000}};
    cachesOnly.failures = {{URL::fileURL("/Users/you/Downloads/Xcode_16.xip"), "protected"}};
    EXPECT_EQ(sizes({AppModel::Phase::done(demo, cachesOnly, demo.disk)}),
              "Done; 0 KB; 0 KB; 0 KB; ");

    Scene longHold{AppModel::Phase::ready(demo)};
    longHold.shelfDays = 10;
    auto tiles = longHold.state().tiles;
    EXPECT_EQ(tiles[2].caption,
              "Installers and zips you’ve already used. They wait 10 days on the Undo Shelf.");
    EXPECT_EQ(tiles[3].caption,
              "Already in the Trash. It waits 10 days on the Undo Shelf before it’s gone.");

    // A refused folder's tile says which folders are closed and what to check of them, in
    // every phase with a result, with nothing to press: there is no settings pane to open.
    EXPECT_FALSE(SimpleText::showsAccessNote(AppModel::Phase::ready(demo)));
    demo.trashAccess = FolderAccess::blocked;
    demo.downloadsAccess = FolderAccess::blocked;
    const std::string note = "Closed to Kelvora now: ~/.Trash. Make sure each belongs to you.";
    for (const AppModel::Phase& phase :
         {AppModel::Phase::ready(demo), AppModel::Phase::cleaning(demo),
          AppModel::Phase::done(demo, cleanedDefaults(demo), demo.disk)}) {
        EXPECT_TRUE(SimpleText::showsAccessNote(phase));
        Scene closed{phase};
        closed.accessNote = note;
        tiles = closed.state().tiles;
        EXPECT_EQ(tiles[2], (Tile{"arrow.down.circle", "Old downloads", std::nullopt,
                                  "Kelvora can’t read Downloads.", note}));
        EXPECT_EQ(tiles[3],
                  (Tile{"trash", "Trash", std::nullopt, "Kelvora can’t read the Trash.", note}));
    }
    EXPECT_FALSE(SimpleText::showsAccessNote(AppModel::Phase::scanning()));
}

TEST(SimpleStateTest, OptInLineListsWhatIsFoundButNotPickedAndReviewGoesThere) {
    auto duplicate = [](const std::string& name, int64_t bytes) {
        return foundItem(JunkKind::duplicates, "/d/" + name, bytes, Verdict::youDecide);
    };
    using Left = ScanItem::LeftoverInfo::Kind;
    auto leftover = [](const std::string& name, Left kind) {
        ScanItem item = foundItem(JunkKind::leftovers, "/l/" + name, 1'000'000, Verdict::youDecide);
        item.record = ScanItem::LeftoverInfo{kind, name};
        return item;
    };
    ScanItem inUse = duplicate("open", 3'000'000);
    inUse.inUseBy = "Preview";
    ScanItem locked = duplicate("locked", 3'000'000);
    locked.lockedReason = "installed by an administrator";
    const ScanResult twoDuplicates =
        resultOf({duplicate("a", 3'000'000), duplicate("b", 1'000'000)});
    PickList onePicked;
    onePicked.toggle(twoDuplicates.items[0]);

    const std::tuple<ScanResult, PickList, std::optional<OptInLine>> cases[] = {
        {resultOf({duplicate("a", 3'000'000)}),
         {},
         OptInLine{"Also found, not picked yet: 1 duplicate (3 MB).", JunkKind::duplicates}},
        {demoResult(),
         {},
         OptInLine{"Also found, not picked yet: 1 unused app (1.1 GB) · 1 large or old file (6.3 "
                   "GB) · 1 set of AI files (220 MB) · 1 developer folder (640 MB).",
                   std::nullopt}},
        {resultOf({foundItem(JunkKind::screenshots, "/s/1", 2'000'000),
                   foundItem(JunkKind::screenshots, "/s/2", 2'000'000),
                   foundItem(JunkKind::mail, "/m/1", 5'000'000)}),
         {},
         OptInLine{"Also found, not picked yet: 1 set of Mail or Messages attachments (5 MB) · 2 "
                   "months of old screenshots (4 MB).",
                   std::nullopt}},
        // Login items a removed app left are counted as login items, not as apps.
        {resultOf({leftover("a", Left::flatpakData), leftover("b", Left::launchAgent),
                   leftover("c", Left::autostartEntry), leftover("d", Left::userUnit)}),
         {},
         OptInLine{"Also found, not picked yet: 1 removed app’s leftovers and 3 leftover login "
                   "items (4 MB).",
                   JunkKind::leftovers}},
        {resultOf({leftover("b", Left::launchAgent)}),
         {},
         OptInLine{"Also found, not picked yet: 1 leftover login item (1 MB).",
                   JunkKind::leftovers}},
        // A category with something picked is left out, and so is what cannot be picked.
        {twoDuplicates, onePicked, std::nullopt},
        {resultOf({inUse, locked, duplicate("empty", 0)}), {}, std::nullopt},
    };
    for (const auto& [result, picks, line] : cases)
        EXPECT_EQ(SimpleText::optInSummary(result, picks), line);
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
