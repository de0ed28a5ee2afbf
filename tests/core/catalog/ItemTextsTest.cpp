#include "core/catalog/CatalogFixture.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

using K = JunkKind;
using AI = ScanItem::AIInfo;
using Dev = ScanItem::DeveloperInfo;
using Mail = ScanItem::MailInfo;
using Reason = ScanItem::DownloadInfo::Reason;

const std::string kOnnx = "/tmp/onnxruntime-0123abcd-0123-4567-89ab-0123456789ab-4242-x";

struct Row {
    ScanItem item;
    std::string name;
    std::string detail;
};

} // namespace

TEST(ItemTexts, NamesAndDetailLines) {
    CatalogFixture f;
    const Date may2023 = Calendar::fromLocal({2023, 5, 15, 12, 0, 0});
    auto threeTargets = [](ScanItem& i) { i.targets.assign(3, i.location); };
    const std::vector<Row> rows = {
        // Caches: the known tools first, then the installed application, then the folder.
        {changed(makeItem(K::caches, "Caches/pip"), threeTargets), "Python packages (pip)",
         "3 items inside"},
        {makeItem(K::caches, "Caches/com.example.sketchpad"), "Sketchpad", "1 item inside"},
        {makeItem(K::caches, "Caches/com.gone.tool"), "com.gone.tool",
         "From an app that’s no longer installed"},
        {makeItem(K::caches, "Caches/org.python.python"), "Python",
         "From an app that’s no longer installed"},
        {changed(makeItem(K::logs, "Logs/DiagnosticReports"), [](ScanItem& i) { i.targets = {}; }),
         "Crash reports", "0 log files older than a week"},
        {makeItem(K::logs, "Logs/Zoom"), "Zoom logs", "1 log file older than a week"},
        {makeItem(K::tempFiles, kOnnx), "Leftover AI model",
         "Made by process 4242, which has ended"},
        {changed(makeItem(K::tempFiles, kOnnx),
                 [](ScanItem& i) {
                     i.targets.assign(3, i.location);
                     i.inUseBy = "python3";
                 }),
         "Leftover AI models", "Process 4242 is still running · 3 files"},
        {makeItem(K::tempFiles, "/tmp/scratch"), "Leftover AI model",
         "Made by process ?, which has ended"},
        {makeItem(K::downloads, "/home/ann/Downloads/a.pkg",
                  ScanItem::DownloadInfo{{}, Reason::opened(f.daysAgo(21))}),
         "a.pkg", "Opened 3 weeks ago"},
        {makeItem(K::mail, "Messages/2024", Mail{Mail::Kind::messages, "2024", {}, 2, 0, 2}),
         "Messages attachments from 2024", "2 photos over 5 MB"},
        {makeItem(K::mail, "Messages/2023", Mail{Mail::Kind::messages, "2023", {}, 4, 1, 0}),
         "Messages attachments from 2023", "1 video, 3 other files over 5 MB"},
        {makeItem(K::duplicates, "/home/ann/Desktop/a.pdf",
                  ScanItem::DuplicateInfo{URL::fileURL("/home/ann/Documents/a.pdf"), 2}),
         "a.pdf", "Same as ~/Documents/a.pdf"},
        {makeItem(K::duplicates, "/home/ann/Desktop/b.pdf",
                  ScanItem::DuplicateInfo{URL::fileURL("/private/var/db/b.pdf"), 4}),
         "b.pdf", "Same as /var/db/b.pdf · 3 extra copies"},
        // A folder whose name holds placeholders is shown as it is written.
        {makeItem(K::largeFiles, "/home/ann/%1 %lld %@/film.mov",
                  ScanItem::LargeFileInfo{{}, f.daysAgo(1), may2023}),
         "film.mov", "Opened yesterday · in ~/%1 %lld %@"},
        {makeItem(K::largeFiles, "/home/ann/Movies/old.mov",
                  ScanItem::LargeFileInfo{{}, std::nullopt, may2023}),
         "old.mov", "Not opened since May 2023 · in ~/Movies"},
        {makeItem(K::developer, "/home/ann/code/shop/node_modules",
                  Dev{Dev::Kind::nodeModules, "shop", f.daysAgo(21)}),
         "node_modules in shop", "Node packages · project last changed 3 weeks ago"},
        {makeItem(K::developer, "Developer/Xcode/DerivedData/Shop-a",
                  Dev{Dev::Kind::derivedData, "Shop"}),
         "Xcode build data for Shop", "Xcode DerivedData · the project is gone"},
        {changed(makeItem(K::developer, "/docker/images", Dev{Dev::Kind::dockerImages, ""}),
                 [](ScanItem& i) {
                     i.action = {"/usr/bin/docker", {"image", "prune", "-a"}};
                 }),
         "Unused Docker images", "docker image prune -a"},
        {makeItem(K::ai, ".claude/projects/shop",
                  AI{AI::Kind::sessions, "Claude Code", "~/code/shop", 12, f.daysAgo(35)}),
         "Claude Code chats in ~/code/shop",
         "12 sessions untouched for 30 days · last used last month"},
        {makeItem(K::ai, "Cursor/workspaceStorage",
                  AI{AI::Kind::sessions, "Cursor", "project chats", 1}),
         "Cursor project chats", "1 project untouched for 30 days"},
        {makeItem(K::ai, "Claude/tasks", AI{AI::Kind::sessions, "Claude", "task folders", 2}),
         "Claude task folders", "2 folders untouched for 30 days"},
        {makeItem(K::systemData, "MobileSync/Backup/1",
                  ScanItem::SystemInfo{ScanItem::SystemInfo::Kind::deviceBackup, "Ann’s iPhone",
                                       "iOS 17.4", f.daysAgo(3), 1}),
         "Backup of Ann’s iPhone", "iOS 17.4 · made 3 days ago · newest backup of this device"},
        {makeItem(K::leftovers, "Application Support/Sketchbook",
                  ScanItem::LeftoverInfo{ScanItem::LeftoverInfo::Kind::appFiles,
                                         "com.sk",
                                         "Sketchbook",
                                         {"Application Support", "Caches"},
                                         may2023}),
         "Sketchbook",
         "App not installed · in Application Support, Caches · untouched since May 2023"},
        {changed(makeItem(K::trash, "/home/ann/.Trash/copy.mov"), [](ScanItem& i) { i.bytes = 0; }),
         "copy.mov", "In the Trash · shares its space with a copy, so removing it frees nothing"},
    };
    Catalog catalog = f.catalog();
    for (const Row& row : rows) {
        EXPECT_EQ(catalog.name(row.item), row.name) << row.item.location.path();
        EXPECT_EQ(catalog.detail(row.item), row.detail) << row.item.location.path();
    }
}

TEST(ItemTexts, DockerDiskDetailNeedsAWholePositiveNumber) {
    CatalogFixture fixture;
    Catalog catalog = fixture.catalog();
    using Sys = ScanItem::SystemInfo;
    auto detail = [&](const char* text) {
        return catalog.detail(makeItem(K::systemData, "/docker/disk",
                                       Sys{Sys::Kind::dockerDisk, "Docker disk", text}));
    };
    EXPECT_EQ(detail("+2500000000"), "2.5 GB of it is unused");
    for (const char* text : {"abc", "0", "-5", "+-5", "12 GB", "", "99999999999999999999"})
        EXPECT_EQ(detail(text), "Images, containers and volumes") << text;
}

// A cache folder is named after its application whatever its name (this system's caches are
// mostly named like desktop entries); only an identifier-like name that finds none is
// "no longer installed", so the detail asks for those alone.
TEST(ItemTexts, CacheNamesTheTableLacksAreLookedUpAndDetailsAskOnlyForIdentifiers) {
    std::vector<std::string> asked;
    CatalogFixture fixture;
    Catalog catalog = fixture.catalog();
    catalog.applicationName = [&](const std::string& id) -> std::optional<std::string> {
        asked.push_back(id);
        return std::nullopt;
    };
    for (const char* folder : {"Homebrew", "company.tool", "..a..b.", "org.python.python"}) {
        catalog.name(makeItem(K::caches, std::string("Caches/") + folder));
        catalog.detail(makeItem(K::caches, std::string("Caches/") + folder));
    }
    EXPECT_EQ(asked, (std::vector<std::string>{"company.tool", "..a..b.", "org.python.python"}));
}
