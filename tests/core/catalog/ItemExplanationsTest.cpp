#include "core/catalog/CatalogFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

using K = JunkKind;
using AI = ScanItem::AIInfo;
using Dev = ScanItem::DeveloperInfo;
using Sys = ScanItem::SystemInfo;
using Mail = ScanItem::MailInfo;
using Reason = ScanItem::DownloadInfo::Reason;

struct Row {
    ScanItem item;
    std::string explanation;
    std::string comesBack;
};

ScanItem item(K kind, Verdict verdict, const std::function<void(ScanItem&)>& change = {}) {
    ScanItem made = makeItem(kind, "/home/ann/Files/thing", 1000, verdict);
    if (change) change(made);
    return made;
}

const std::string kLocked =
    "An administrator installed this, so macOS needs a password to remove it. Use Remove with "
    "password: macOS asks in its own window, Kelvora never sees the password, and the app still "
    "goes onto the Undo Shelf.";

} // namespace

// Held for 14 days, chats listed after 90: both settings must reach the paragraphs.
TEST(ItemExplanations, TheFirstRuleThatHoldsExplainsTheItem) {
    CatalogFixture f;
    f.settings = {14, 3, 90};
    const auto youDecide = Verdict::youDecide;
    const std::vector<Row> rows = {
        {item(K::duplicates, Verdict::safe,
              [](ScanItem& i) {
                  i.duplicate = {URL::fileURL("/home/ann/Documents/a.pdf"), 2};
              }),
         "An identical copy stays at ~/Documents/a.pdf, so removing this one loses nothing. It "
         "waits on the Undo Shelf for 14 days, so you can put it back.",
         "You keep the other copy"},
        // Not safe: the copy rule is skipped and the base verdict explains it.
        {item(K::duplicates, youDecide,
              [](ScanItem& i) {
                  i.duplicate = {URL::fileURL("/home/ann/a.pdf"), 2};
              }),
         "This doesn’t come back on its own. It waits on the Undo Shelf for 14 days, then it’s "
         "removed for good.",
         "You keep the other copy"},
        {item(K::largeFiles, youDecide,
              [&](ScanItem& i) {
                  i.location = URL::fileURL("/home/ann/Movies/film.mov");
                  i.largeFile = {{}, f.daysAgo(21), f.now};
              }),
         "Opened 3 weeks ago · in ~/Movies. Only you know if you still need it. If you remove it, "
         "it waits on the Undo Shelf for 14 days first.",
         "Only from the Undo Shelf"},
        {item(K::downloads, youDecide,
              [](ScanItem& i) {
                  i.download = {{}, Reason::unpacked("%@ copy %lld")};
              }),
         "Its contents are already unpacked next to it, in “%@ copy %lld”. It waits on the Undo "
         "Shelf for 14 days, so you can put it back.",
         "Only from the Undo Shelf"},
        {item(K::downloads, youDecide,
              [&](ScanItem& i) {
                  i.download = {{}, Reason::opened(f.daysAgo(1))};
              }),
         "You opened this yesterday and haven’t needed it since. It waits on the Undo Shelf for 14 "
         "days, so you can put it back.",
         "Only from the Undo Shelf"},
        {item(K::downloads, youDecide,
              [](ScanItem& i) {
                  i.download = {{}, Reason::appInstalled("Sketchpad")};
              }),
         "Sketchpad is already installed, so this installer has done its job. It waits on the Undo "
         "Shelf for 14 days, so you can put it back.",
         "Only from the Undo Shelf"},
        {item(K::developer, Verdict::rebuilds,
              [](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::webBuild, "shop"};
              }),
         "Packages and build files for shop. Running npm install (or yarn, pnpm, bun) in the "
         "project brings them back.",
         "Yes, when you install again"},
        {item(K::developer, Verdict::rebuilds,
              [](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::dockerContainers, ""};
              }),
         "Containers that have stopped. Anything written inside them, outside a volume, goes with "
         "them. Volumes are never touched.",
         "No"},
        {item(K::ai, youDecide,
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Cursor", "project chats", 4};
              }),
         "Cursor’s AI chats and editor state (open tabs, layout) for projects you haven’t opened "
         "in over 90 days. The projects’ own files aren’t touched. It waits on the Undo Shelf for "
         "14 days first.",
         "Only from the Undo Shelf"},
        {item(K::ai, youDecide,
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::model, "LM Studio", "qwen"};
              }),
         "A model you downloaded with LM Studio. It’s removed straight away, not kept on the Undo "
         "Shelf, since it’s often several GB. To get it back, download it again.",
         "Download it again"},
        // Explained whatever its state, and never removed.
        {item(K::ai, Verdict::safe,
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::appleIntelligence, "Apple"};
                  i.lockedReason = "Managed by macOS";
              }),
         "Apple’s on-device models for Writing Tools, summaries and Image Playground. macOS "
         "downloads and removes them itself, so Kelvora never touches them. To stop using the "
         "space, turn off Apple Intelligence in System Settings › Apple Intelligence & Siri; macOS "
         "may keep some models for a while after.",
         "Not removed"},
        {item(K::screenshots, youDecide),
         "Screenshots and recordings you took over a month ago and left where they landed. Only "
         "you know if you still need them; they wait on the Undo Shelf for 14 days first.",
         "Only from the Undo Shelf"},
        {item(K::photos, youDecide,
              [](ScanItem& i) {
                  i.photo = ScanItem::PhotoInfo{"IMG_1.jpg", 3, 0,
                                                URL::fileURL("/home/ann/Pictures/IMG_1.jpg")};
              }),
         "Shots that look the same as IMG_1.jpg, which has the most detail and stays. They wait "
         "on the Undo Shelf for 14 days first.",
         "Only from the Undo Shelf"},
        {item(K::mail, youDecide,
              [](ScanItem& i) {
                  i.mail = Mail{{}, "On My Mac", Mail::Copy::onlyHere, 3};
              }),
         "Attachments from mailboxes stored On My Mac. This computer may hold the only copy, so "
         "only remove them if you’re sure. They wait on the Undo Shelf for 14 days first.",
         "Only from the Undo Shelf"},
        {item(K::mail, youDecide,
              [](ScanItem& i) {
                  i.mail = Mail{{}, "Home", Mail::Copy::onlyHere, 3};
              }),
         "Attachments from Home, a POP account. This computer may hold the only copy, so only "
         "remove them if you’re sure. They wait on the Undo Shelf for 14 days first.",
         "Only from the Undo Shelf"},
        {item(
             K::leftovers, youDecide,
             [](ScanItem& i) {
                 i.leftover = {ScanItem::LeftoverInfo::Kind::appFiles, "com.sk.book", "Sketchbook"};
             }),
         "Sketchbook (com.sk.book) isn’t installed, and nothing from its maker is. These are its "
         "settings and data from when it was. If you install it again, you’d start fresh. They "
         "wait on the Undo Shelf for 14 days first, so you can put them back.",
         "Only from the Undo Shelf"},
        // An installer that may not be removed is explained by its lock; space macOS frees by
        // itself is explained though it frees nothing here.
        {item(K::systemData, Verdict::rebuilds,
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::macOSInstaller, "Ventura", "old"};
                  i.lockedReason = "Installed by an administrator";
              }),
         kLocked, "Not removed"},
        {item(K::systemData, Verdict::safe,
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::purgeable, "Space macOS frees by itself"};
                  i.lockedReason = "macOS frees this by itself";
                  i.bytes = 0;
              }),
         "macOS counts this as used, but frees it by itself the moment an app needs room: local "
         "Time Machine snapshots (kept about a day), iCloud files it can download again, and "
         "caches it manages. You never need to clear it, so Kelvora leaves it to macOS.",
         "Not removed"},
        {item(K::systemData, youDecide,
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::deviceBackup, "Ann’s iPhone", "", {}, 1};
              }),
         "The newest backup of Ann’s iPhone. If the device is lost or reset, this is what restores "
         "it, unless it also backs up to iCloud. If you remove it, it waits on the Undo Shelf for "
         "14 days first.",
         "Only from the Undo Shelf"},
        {item(K::systemData, Verdict::youDecide,
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::macOSInstaller, "Sequoia", "upgrade"};
              }),
         "An installer for macOS Sequoia, newer than the macOS on this computer. Keep it if you "
         "plan to upgrade soon; otherwise you can download it again from the App Store. It’s "
         "removed straight away, not kept on the Undo Shelf.",
         "Download it again"},
        {item(K::apps, youDecide,
              [](ScanItem& i) {
                  i.app = ScanItem::AppInfo{"Tile", "", std::nullopt, 0};
              }),
         "You’ve never opened Tile. It waits on the Undo Shelf for 14 days, so you can put it back "
         "exactly as it was.",
         "Only from the Undo Shelf"},
        {item(K::apps, youDecide,
              [&](ScanItem& i) {
                  i.app = ScanItem::AppInfo{"Sketchpad", "", f.daysAgo(400), 1};
              }),
         "You last opened Sketchpad last year. Removing it also clears the 1 file it keeps in your "
         "Library. It waits on the Undo Shelf for 14 days, so you can put it back exactly as it "
         "was.",
         "Only from the Undo Shelf"},
        // Without a record the item's state speaks.
        {item(K::caches, Verdict::safe, [](ScanItem& i) { i.inUseBy = "Zoom"; }),
         "Zoom is using this right now, so Kelvora leaves it alone. Quit it and check again to "
         "include it.",
         "Not removed"},
        {item(K::caches, Verdict::inUse),
         "An app is using this right now, so Kelvora leaves it alone. Quit it and check again to "
         "include it.",
         "Not removed"},
        {item(K::apps, Verdict::locked), kLocked, "Not removed"},
        {item(K::caches, Verdict::safe),
         "Removing this loses nothing. If the app needs it again, it makes a fresh copy.",
         "Yes, on its own"},
        {item(K::caches, Verdict::rebuilds, [](ScanItem& i) { i.bytes = 0; }),
         "Safe to remove, but it downloads again the next time the tool needs it.",
         "Yes, downloads again"},
        {item(K::trash, youDecide, [](ScanItem& i) { i.bytes = 0; }),
         "This doesn’t come back on its own. It waits on the Undo Shelf for 14 days, then it’s "
         "removed for good.",
         "Only from the Undo Shelf"},
    };
    Catalog catalog = f.catalog();
    for (const Row& row : rows) {
        std::string story = Catalog::title(row.item.kind) + " " + catalog.name(row.item);
        EXPECT_EQ(catalog.explanation(row.item), row.explanation) << story;
        EXPECT_EQ(Catalog::comesBack(row.item), row.comesBack) << story;
    }
}

TEST(ItemExplanations, ComesBackFollowsTheRecordOnlyWhileRemovable) {
    struct Case {
        std::function<void(ScanItem&)> record;
        const char* removable;
    };
    const std::vector<Case> cases = {
        {[](ScanItem& i) {
             i.developer = Dev{Dev::Kind::derivedData, "Shop"};
         },
         "Yes, when you build again"},
        {[](ScanItem& i) {
             i.developer = Dev{Dev::Kind::deviceSupport, "17.2"};
         },
         "Yes, when you plug it in"},
        {[](ScanItem& i) {
             i.developer = Dev{Dev::Kind::simulator, "iPhone"};
         },
         "Add it again in Xcode"},
        {[](ScanItem& i) {
             i.developer = Dev{Dev::Kind::dockerImages, ""};
         },
         "Yes, pulled again"},
        {[](ScanItem& i) {
             i.ai = AI{AI::Kind::oldVersion, "Claude Code"};
         },
         "Not needed; the newest stays"},
        {[](ScanItem& i) {
             i.ai = AI{AI::Kind::updateLeftover, "ChatGPT"};
         },
         "Yes, on its own"},
        {[](ScanItem& i) {
             i.system = Sys{Sys::Kind::deviceUpdate, "x.ipsw"};
         },
         "Yes, downloads again"},
        {[](ScanItem& i) {
             i.system = Sys{Sys::Kind::dockerDisk, "Docker"};
         },
         "Not removed"},
    };
    for (const Case& c : cases) {
        ScanItem free = item(K::developer, Verdict::youDecide, c.record);
        EXPECT_EQ(Catalog::comesBack(free), c.removable);
        ScanItem held = free;
        held.inUseBy = "Docker";
        EXPECT_EQ(Catalog::comesBack(held), "Not removed");
    }
}
