#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"

#include "controller/AppModel.h"
#include "snapshot/Marketing.h"
#include "snapshot/Summary.h"
#include "window/RootTexts.h"
#include "window/SidebarContent.h"
#include "window/SimpleState.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

std::vector<std::string> names(const ScanResult& result) {
    std::vector<std::string> out;
    for (const auto& item : result.items)
        out.push_back(item.location.lastPathComponent());
    return out;
}

TEST(Marketing, ResultIsTheFixedImaginaryComputerLargestFirst) {
    const ScanResult result = Marketing::result();
    EXPECT_EQ(names(result),
              (std::vector<std::string>{
                  "Wedding raw footage.mov", "Xcode_16.xip", "com.spotify.client", "Google",
                  "onnxruntime-0B6F2E1A-7C3D-4E5F-8A9B-112233445566-4242-"
                  "0001.mlmodelc",
                  "Old exports", "Homebrew", "Blender.app", "com.tinyspeck.slackmacgap",
                  "node_modules", "pip", "org.mozilla.firefox", "com.figma.Desktop",
                  "-Users-you-Code-portfolio-site", "Figma-124.3.dmg", "DiagnosticReports"}));
    int64_t total = 0, caches = 0;
    for (const auto& item : result.items) {
        total += item.bytes;
        if (item.kind != JunkKind::caches) continue;
        caches += item.bytes;
        ASSERT_GE(item.targets.size(), 40u);
        ASSERT_LE(item.targets.size(), 400u);
        EXPECT_EQ(item.targets.back(),
                  item.location.appending(std::to_string(item.targets.size() - 1)));
    }
    EXPECT_EQ(total, 22'734'000'000);
    EXPECT_EQ(caches, 7'530'000'000);
    EXPECT_EQ(result.disk, (DiskSpace{494'380'000'000, 61'200'000'000}));
    EXPECT_EQ(result.items[3].verdict(), Verdict::inUse) << "the browser's cache is held open";
}

TEST(Marketing, ReportCleansTheDefaultPicks) {
    const CleanReport report = Marketing::report(Marketing::result());
    EXPECT_EQ(report.freed, 7'610'000'000);
    EXPECT_EQ(report.shelved, 5'014'000'000);
    EXPECT_EQ(report.byKind, (std::map<JunkKind, int64_t>{{JunkKind::caches, 5'700'000'000},
                                                          {JunkKind::logs, 120'000'000},
                                                          {JunkKind::tempFiles, 1'790'000'000},
                                                          {JunkKind::downloads, 3'634'000'000},
                                                          {JunkKind::trash, 1'380'000'000}}));
    EXPECT_FALSE(report.sweep);

    ScanResult nothingPickable = Marketing::result();
    std::erase_if(nothingPickable.items, [](const ScanItem& item) {
        return JunkKinds::pickedByDefault(item.kind) && !item.inUseBy;
    });
    const CleanReport empty = Marketing::report(nothingPickable);
    EXPECT_EQ(empty.freed + empty.shelved, 0);
    EXPECT_TRUE(empty.byKind.empty());
}

TEST(Marketing, ConfirmationReadsAsTheWindowAsksForIt) {
    IsolatedHome env;
    eventLoop();
    AppModel model(Marketing::result(), AppModel::ViewMode::simple,
                   UndoShelf(URL::fileURL(env.data() + "/shelf", true), 7), std::nullopt);
    const RootTexts::Confirmation freeUp = RootTexts::freeUp(model);
    EXPECT_EQ(freeUp.title, "Clean up 12.6 GB");
    EXPECT_EQ(freeUp.confirm, "Clean up 12.6 GB");
    EXPECT_EQ(freeUp.message,
              "7.6 GB of caches, logs and temp files is deleted now. Apps rebuild these on their "
              "own. 5.0 GB from 2 old downloads and the Trash moves to the Undo Shelf, where you "
              "can put anything back for 7 days.");

    AppModel scanning(Marketing::result(), AppModel::ViewMode::simple,
                      UndoShelf(URL::fileURL(env.data() + "/shelf", true), 7),
                      AppModel::Phase::scanning());
    EXPECT_EQ(RootTexts::freeUp(scanning), (RootTexts::Confirmation{"Clean up", "", "Clean up"}))
        << "without a result there is no size to name";
}

// A picture of a finished clean-up shows the disk it left behind: on the dial, under it,
// in the words beside it and at the foot of the sidebar.
TEST(Marketing, ADoneCleanUpShowsTheDiskAfterItEverywhere) {
    IsolatedHome env;
    eventLoop();
    const ScanResult result = Marketing::result();
    CleanReport report = Marketing::report(result);
    DiskSpace after = result.disk;
    after.available += report.freed;
    AppModel model(result, AppModel::ViewMode::simple,
                   UndoShelf(URL::fileURL(env.data() + "/shelf", true), 7),
                   AppModel::Phase::done(result, report, after));
    EXPECT_EQ(model.diskNow(), after);
    EXPECT_EQ(model.initialDisk(), result.disk) << "what the scan found stays as it was";

    const SimpleState state = SimpleState::make(SimpleInputs::of(model));
    EXPECT_EQ(state.freeSpace, "68.8 GB");
    EXPECT_EQ(state.body, "Your computer now has 68.8 GB free.");
    EXPECT_DOUBLE_EQ(state.usedFraction,
                     double(after.total - after.available) / double(after.total));
    EXPECT_EQ(Sidebar::diskFooter(model, "Home disk").freeText, "68.8 GB free");

    AppModel ready(result, AppModel::ViewMode::simple,
                   UndoShelf(URL::fileURL(env.data() + "/shelf", true), 7), std::nullopt);
    EXPECT_EQ(ready.diskNow(), result.disk) << "before a clean-up the disk is the scan's";
}

TEST(Marketing, SummaryOfOddResults) {
    ScanResult result;
    result.trashAccess = FolderAccess::blocked;
    result.mailAccess = FolderAccess::blocked;
    ScanItem mail;
    mail.kind = JunkKind::mail;
    mail.location = URL::fileURL("/h/Mail");
    mail.lockedReason = "private";
    ScanItem chats = mail;
    chats.kind = JunkKind::ai;
    chats.location = URL::fileURL("/h/chats");
    chats.bytes = 1'234'567'890'123'456;
    chats.inUseBy = "Editor";
    result.items = {chats, mail};
    const std::string text = Snapshot::summary(result, Catalog(), {false, false});
    for (const char* line :
         {"Fonts: Doto missing, Geist missing\n", "  trash access: closed to Kelvora\n",
          "Mail & Messages: closed to Kelvora\n  —         Mail · ",
          "  1234567.9 /h/chats  [in use: Editor]\n", " [in use]\n",
          "In use, left alone (1): chats (Editor)\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
    EXPECT_EQ(Snapshot::sizeColumn("—"), "—        ");
}

} // namespace
} // namespace kelvora::testing
