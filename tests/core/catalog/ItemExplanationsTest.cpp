#include "core/catalog/CatalogFixture.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

using K = JunkKind;
using AI = ScanItem::AIInfo;
using Sys = ScanItem::SystemInfo;
using Mail = ScanItem::MailInfo;

struct Row {
    ScanItem item;
    std::string explanation;
    std::string comesBack;
};

const std::string kLocked =
    "An administrator installed this, so removing it takes an administrator’s password. Use Remove "
    "with password: your desktop asks for it in its own window, Kelvora never sees the password, "
    "and the app still goes onto the Undo Shelf.";
const std::string kInUse = " is using this right now, so Kelvora leaves it alone. Quit it and "
                           "check again to include it.";
const std::string kNoComingBack = "This doesn’t come back on its own. It waits on the Undo Shelf "
                                  "for 14 days, then it’s removed for good.";

} // namespace

// Held for 14 days and chats listed after 90: the paragraphs must insert both settings.
TEST(ItemExplanations, TheFirstRuleThatHoldsExplainsTheItem) {
    CatalogFixture f;
    f.settings = {14, 3, 90};
    const URL kept = URL::fileURL("/home/ann/Documents/a.pdf");
    const std::vector<Row> rows = {
        {makeItem(K::duplicates, "/home/ann/a.pdf", ScanItem::DuplicateInfo{kept, 2},
                  Verdict::safe),
         "An identical copy stays at ~/Documents/a.pdf, so removing this one loses nothing. It "
         "waits on the Undo Shelf for 14 days, so you can put it back.",
         "You keep the other copy"},
        // Not safe: the copy rule is skipped and the base verdict explains it.
        {makeItem(K::duplicates, "/home/ann/a.pdf", ScanItem::DuplicateInfo{kept, 2}),
         kNoComingBack, "You keep the other copy"},
        {makeItem(K::downloads, "/home/ann/Downloads/x.zip",
                  ScanItem::DownloadInfo{{}, ScanItem::DownloadInfo::Reason::unpacked("%@ %1")}),
         "Its contents are already unpacked next to it, in “%@ %1”. It waits on the Undo Shelf "
         "for 14 days, so you can put it back.",
         "Only from the Undo Shelf"},
        {makeItem(K::ai, "Cursor/workspaceStorage",
                  AI{AI::Kind::sessions, "Cursor", "project chats", 4}),
         "Cursor’s AI chats and editor state (open tabs, layout) for projects you haven’t opened "
         "in over 90 days. The projects’ own files aren’t touched. It waits on the Undo Shelf for "
         "14 days first.",
         "Only from the Undo Shelf"},
        // Explained whatever its state, and never removed.
        {changed(makeItem(K::ai, "/System/Library/AssetsV2/x",
                          AI{AI::Kind::appleIntelligence, "Apple"}),
                 [](ScanItem& i) { i.lockedReason = "Managed by macOS"; }),
         "Apple’s on-device models for Writing Tools, summaries and Image Playground. macOS "
         "downloads and removes them itself, so Kelvora never touches them. To stop using the "
         "space, turn off Apple Intelligence in System Settings › Apple Intelligence & Siri; macOS "
         "may keep some models for a while after.",
         "Not removed"},
        {makeItem(K::mail, "Mail/V10/A", Mail{{}, "On My Mac", Mail::Copy::onlyHere}),
         "Attachments from mailboxes stored On My Mac. This computer may hold the only copy, so "
         "only remove them if you’re sure. They wait on the Undo Shelf for 14 days first.",
         "Only from the Undo Shelf"},
        {makeItem(K::mail, "Mail/V10/B", Mail{{}, "Home", Mail::Copy::onlyHere}),
         "Attachments from Home, a POP account. This computer may hold the only copy, so only "
         "remove them if you’re sure. They wait on the Undo Shelf for 14 days first.",
         "Only from the Undo Shelf"},
        // An installer that may not be removed is explained by its lock; the space macOS frees
        // by itself is explained even though it frees nothing here.
        {changed(makeItem(K::systemData, "/Applications/Install macOS.app",
                          Sys{Sys::Kind::macOSInstaller, "Ventura", "old"}),
                 [](ScanItem& i) { i.lockedReason = "Installed by an administrator"; }),
         kLocked, "Not removed"},
        {changed(makeItem(K::systemData, "/purgeable",
                          Sys{Sys::Kind::purgeable, "Space macOS frees by itself"}),
                 [](ScanItem& i) {
                     i.lockedReason = "macOS frees this by itself";
                     i.bytes = 0;
                 }),
         "macOS counts this as used, but frees it by itself the moment an app needs room: local "
         "Time Machine snapshots (kept about a day), iCloud files it can download again, and "
         "caches it manages. You never need to clear it, so Kelvora leaves it to macOS.",
         "Not removed"},
        {makeItem(K::apps, "/Applications/Tile.app", ScanItem::AppInfo{"Tile"}),
         "You’ve never opened Tile. It waits on the Undo Shelf for 14 days, so you can put it back "
         "exactly as it was.",
         "Only from the Undo Shelf"},
        {makeItem(K::apps, "/Applications/Pad.app",
                  ScanItem::AppInfo{"Pad", "", f.daysAgo(400), 1}),
         "You last opened Pad last year. Removing it also clears the 1 file it keeps in your "
         "Library. It waits on the Undo Shelf for 14 days, so you can put it back exactly as it "
         "was.",
         "Only from the Undo Shelf"},
        // Without a record the item's state speaks.
        {changed(makeItem(K::caches, "Caches/us.zoom", Verdict::safe),
                 [](ScanItem& i) { i.inUseBy = "Zoom"; }),
         "Zoom" + kInUse, "Not removed"},
        {makeItem(K::caches, "Caches/x", Verdict::inUse), "An app" + kInUse, "Not removed"},
        {makeItem(K::apps, "/Applications/Big.app", Verdict::locked), kLocked, "Not removed"},
        // Whether it comes back does not depend on what removing it frees.
        {changed(makeItem(K::caches, "Caches/pip", Verdict::rebuilds),
                 [](ScanItem& i) { i.bytes = 0; }),
         "Safe to remove, but it downloads again the next time the tool needs it.",
         "Yes, downloads again"},
        {changed(makeItem(K::trash, "/home/ann/.Trash/a"), [](ScanItem& i) { i.bytes = 0; }),
         kNoComingBack, "Only from the Undo Shelf"},
    };
    Catalog catalog = f.catalog();
    for (const Row& row : rows) {
        EXPECT_EQ(catalog.explanation(row.item), row.explanation) << row.item.location.path();
        EXPECT_EQ(Catalog::comesBack(row.item), row.comesBack) << row.item.location.path();
    }
}
