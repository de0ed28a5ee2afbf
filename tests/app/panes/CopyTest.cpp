#include "panes/Copy.h"

#include <gtest/gtest.h>

namespace kelvora {
namespace {

ScanItem item(JunkKind kind, const std::string& name, int64_t bytes) {
    ScanItem it;
    it.kind = kind;
    it.location = URL::fileURL("/home/u/" + name);
    it.targets = {it.location};
    it.bytes = bytes;
    return it;
}

ScanItem aiItem(const std::string& name, int64_t bytes, ScanItem::AIInfo::Kind kind) {
    ScanItem it = item(JunkKind::ai, name, bytes);
    it.record = ScanItem::AIInfo{};
    it.ai()->kind = kind;
    return it;
}

// Picks every item given: the default-picked kinds pick themselves, the rest are included.
PickList pickAll(const ScanResult& result) {
    PickList picks;
    for (const auto& it : result.items)
        if (!picks.isPicked(it)) picks.toggle(it);
    return picks;
}

TEST(Copy, ConfirmMessageSaysWhatIsDeletedRemovedAndShelved) {
    using AI = ScanItem::AIInfo::Kind;
    struct Case {
        std::vector<ScanItem> items;
        std::string message;
    };
    const std::vector<Case> cases{
        {{}, ""},
        {{item(JunkKind::caches, "c", 2'000'000)},
         "2 MB of caches, logs and temp files is deleted now. Apps rebuild these on their own."},
        {{aiItem("chat", 3'000'000, AI::sessions)},
         "3 MB from 1 set of old AI chats moves to the Undo Shelf, where you can put anything "
         "back for 7 days."},
        {{aiItem("cache", 3'000'000, AI::cache)},
         "3 MB of developer, AI and System Data files is removed now: caches rebuild, and "
         "builds, models and installers come back when you next build or download them."},
        {{item(JunkKind::duplicates, "d1", 1000), item(JunkKind::duplicates, "d2", 1000),
          item(JunkKind::duplicates, "d3", 1000), item(JunkKind::downloads, "o1", 1000),
          item(JunkKind::downloads, "o2", 1000), item(JunkKind::trash, "t", 1000)},
         "6 KB from 2 old downloads, 3 duplicate copies and the Trash moves to the Undo Shelf, "
         "where you can put anything back for 7 days."},
        {{item(JunkKind::screenshots, "s", 5000)},
         "5 KB from 1 old screenshot moves to the Undo Shelf, where you can put anything back "
         "for 7 days."},
    };
    for (const auto& c : cases) {
        ScanResult result;
        result.items = c.items;
        EXPECT_EQ(Copy::confirmMessage(&result, pickAll(result), 7), c.message);
    }
    EXPECT_EQ(Copy::confirmMessage(nullptr, {}, 7), "");
}

TEST(Copy, ShelfPartsNameEachKindInOrderWithItsPlural) {
    ScanResult result;
    result.items = {item(JunkKind::apps, "a1", 10),      item(JunkKind::apps, "a2", 10),
                    item(JunkKind::mail, "m", 10),       item(JunkKind::leftovers, "l", 10),
                    item(JunkKind::duplicates, "d", 10), item(JunkKind::trash, "empty", 0)};
    EXPECT_EQ(Copy::shelfParts(result, pickAll(result)),
              "1 duplicate copy, 2 apps with their leftover files, 1 set of attachments and 1 "
              "removed app’s leftovers");

    // The login items a removed app left are counted as what they are.
    using Left = ScanItem::LeftoverInfo::Kind;
    for (auto [name, kind] :
         {std::pair{"agent", Left::launchAgent}, std::pair{"entry", Left::autostartEntry},
          std::pair{"unit", Left::userUnit}}) {
        result.items.push_back(item(JunkKind::leftovers, name, 10));
        result.items.back().record = ScanItem::LeftoverInfo{kind, name};
    }
    EXPECT_EQ(Copy::shelfParts(result, pickAll(result)),
              "1 duplicate copy, 2 apps with their leftover files, 1 set of attachments, 1 "
              "removed app’s leftovers and 3 leftover login items");
}

TEST(Copy, ARefusedMoveNamesTheReasonTheSystemGaveForTheFirst) {
    using Failure = CleanReport::Failure;
    struct Case {
        std::vector<Failure> failures;
        std::string text;
    };
    const URL a = URL::fileURL("/home/u/a"), b = URL::fileURL("/media/u/b");
    const std::vector<Case> cases = {
        {{}, ""},
        {{{a, "Could not move /home/u/a: permission was refused"}},
         "1 item couldn’t be moved. Could not move /home/u/a: permission was refused."},
        {{{b, "it is on another disk, and Kelvora moves files only within one disk"},
          {a, "Could not move /home/u/a: the disk is read-only"}},
         "2 items couldn’t be moved. It is on another disk, and Kelvora moves files only within "
         "one disk."},
        {{{a, "“a” stays: a folder on the way to it is a link."}},
         "1 item couldn’t be moved. “a” stays: a folder on the way to it is a link."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Copy::notMoved(c.failures), c.text);
}

TEST(Copy, DoneTextsTellWhatCameBackWhatWasLeftAloneAndWhatFailed) {
    CleanReport report;
    report.freed = 1'500'000;
    report.shelved = 500'000;
    EXPECT_EQ(Copy::doneHeadline(report),
              (std::vector<Copy::Run>{{"Cleared ", false}, {"2 MB", true}, {".", false}}));
    DiskSpace disk{100'000'000'000, 40'000'000'000};
    EXPECT_EQ(Copy::done(report, disk, std::nullopt), "Your computer now has 40.0 GB free.");

    CleanReport failed;
    failed.skippedInUse = 1;
    failed.failures = {{URL::fileURL("/home/u/x"), "Could not move /home/u/x: permission was "
                                                   "refused"}};
    EXPECT_EQ(Copy::doneHeadline(failed),
              (std::vector<Copy::Run>{{"Nothing was cleared.", false}}));
    EXPECT_EQ(Copy::done(failed, disk, std::nullopt),
              "Your computer now has 40.0 GB free. 1 item was opened by an app during "
              "cleaning, so Kelvora left it alone. 1 item couldn’t be moved. Could not move "
              "/home/u/x: permission was refused.");

    UndoShelf::Sweep sweep;
    sweep.entries.resize(1);
    sweep.entries[0].bytes = 3'000'000;
    const std::string text = Copy::done(report, disk, sweep);
    EXPECT_NE(text.find(" 3 MB is on the Undo Shelf until " + Copy::releaseDate(sweep) +
                        ", so you can still put it back."),
              std::string::npos);
}

} // namespace
} // namespace kelvora
