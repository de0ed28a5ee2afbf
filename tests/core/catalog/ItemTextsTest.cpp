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

const std::string kOnnx = "onnxruntime-0123abcd-0123-4567-89ab-0123456789ab-4242-x";

struct Row {
    ScanItem item;
    std::string name;
    std::string detail;
};

// An item named by the last component of `path` (under the home folder unless absolute).
ScanItem item(K kind, const std::string& path, const std::function<void(ScanItem&)>& change = {}) {
    ScanItem made = makeItem(kind, path.starts_with("/") ? path : "/home/ann/Library/" + path);
    if (change) change(made);
    return made;
}

auto targets(size_t n) {
    return [n](ScanItem& i) { i.targets.assign(n, i.location); };
}

} // namespace

TEST(ItemTexts, NamesAndDetailLinesOfEveryCategory) {
    CatalogFixture f;
    const Date threeWeeks = f.daysAgo(21), yesterday = f.daysAgo(1);
    const Date may2023 = Calendar::fromLocal({2023, 5, 15, 12, 0, 0});
    const std::vector<Row> rows = {
        // Caches: the known tools, then the installed application, then the folder.
        {item(K::caches, "Caches/pip", targets(3)), "Python packages (pip)", "3 items inside"},
        {item(K::caches, "Caches/com.example.sketchpad"), "Sketchpad", "1 item inside"},
        {item(K::caches, "Caches/com.gone.tool", targets(0)), "com.gone.tool",
         "From an app that’s no longer installed"},
        {item(K::caches, "Caches/org.python.python"), "Python",
         "From an app that’s no longer installed"},
        {item(K::logs, "Logs/DiagnosticReports", targets(0)), "Crash reports",
         "0 log files older than a week"},
        {item(K::logs, "Logs/Zoom"), "Zoom logs", "1 log file older than a week"},
        {item(K::tempFiles, "/tmp/" + kOnnx), "Leftover AI model",
         "Made by process 4242, which has ended"},
        {item(K::tempFiles, "/tmp/" + kOnnx,
              [](ScanItem& i) {
                  i.targets.assign(3, i.location);
                  i.inUseBy = "python3";
              }),
         "Leftover AI models", "Process 4242 is still running · 3 files"},
        {item(K::tempFiles, "/tmp/scratch", targets(2)), "Leftover AI models",
         "Made by process ?, which has ended · 2 files"},
        // Downloads name the file and say why it can go.
        {item(K::downloads, "/home/ann/Downloads/Sketchpad 2.dmg",
              [](ScanItem& i) {
                  i.download = {{}, Reason::appInstalled("Sketchpad")};
              }),
         "Sketchpad 2.dmg", "Sketchpad is installed"},
        {item(K::downloads, "/home/ann/Downloads/fonts.zip",
              [](ScanItem& i) {
                  i.download = {{}, Reason::unpacked("fonts")};
              }),
         "fonts.zip", "Already unpacked to “fonts”"},
        {item(K::downloads, "/home/ann/Downloads/a.pkg",
              [&](ScanItem& i) {
                  i.download = {{}, Reason::opened(threeWeeks)};
              }),
         "a.pkg", "Opened 3 weeks ago"},
        {item(K::downloads, "/home/ann/Downloads/b.zip"), "b.zip", "In Downloads"},
        // Mail and Messages.
        {item(K::mail, "Mail/V10/ABC",
              [](ScanItem& i) {
                  i.mail = Mail{{}, "Work", Mail::Copy::onServer, 1};
              }),
         "Mail attachments: Work", "1 attachment · kept on the mail server"},
        {item(K::mail, "Mail/V10/DEF",
              [](ScanItem& i) {
                  i.mail = Mail{{}, "Home", Mail::Copy::onlyHere, 3};
              }),
         "Mail attachments: Home", "3 attachments · only on this computer"},
        {item(K::mail, "Containers/com.apple.mail/Mail Downloads",
              [](ScanItem& i) {
                  i.mail = Mail{Mail::Kind::mailDownloads, "", {}, 2};
              }),
         "Attachments you opened from Mail", "2 files · copies; the originals stay in the emails"},
        {item(K::mail, "Messages/2024",
              [](ScanItem& i) { i.mail = Mail{Mail::Kind::messages, "2024", {}, 2, 0, 2}; }),
         "Messages attachments from 2024", "2 photos over 5 MB"},
        {item(K::mail, "Messages/2023",
              [](ScanItem& i) { i.mail = Mail{Mail::Kind::messages, "2023", {}, 4, 1, 0}; }),
         "Messages attachments from 2023", "1 video, 3 other files over 5 MB"},
        {item(K::mail, "Messages/2022",
              [](ScanItem& i) { i.mail = Mail{Mail::Kind::messages, "2022", {}, 0, 0, 0}; }),
         "Messages attachments from 2022", " over 5 MB"},
        // Screenshots and photos.
        {item(K::screenshots, "/home/ann/Desktop",
              [](ScanItem& i) {
                  i.photo = ScanItem::PhotoInfo{"March 2024", 5, 1};
              }),
         "Screenshots from March 2024", "4 screenshots, 1 screen recording"},
        {item(K::screenshots, "/home/ann/Desktop"), "Screenshots from a month ago",
         "Old screenshots"},
        {item(K::photos, "/home/ann/Pictures/IMG_2.jpg",
              [](ScanItem& i) {
                  i.photo = ScanItem::PhotoInfo{"IMG_1.jpg", 3};
              }),
         "Extras of IMG_1.jpg", "3 near-identical shots · the best one stays"},
        {item(K::photos, "/home/ann/Pictures/IMG_9.jpg"), "Extras of IMG_9.jpg",
         "1 near-identical shot · the best one stays"},
        // Duplicates point at the copy that stays.
        {item(K::duplicates, "/home/ann/Downloads/a.pdf",
              [](ScanItem& i) {
                  i.duplicate = {URL::fileURL("/home/ann/Documents/a.pdf"), 2};
              }),
         "a.pdf", "Same as ~/Documents/a.pdf"},
        {item(K::duplicates, "/home/ann/Desktop/a.pdf",
              [](ScanItem& i) {
                  i.duplicate = {URL::fileURL("/private/var/db/a.pdf"), 4};
              }),
         "a.pdf", "Same as /var/db/a.pdf · 3 extra copies"},
        {item(K::duplicates, "/home/ann/c.txt"), "c.txt", "A copy of another file"},
        // Large files say where they are; a folder name with placeholders stays as written.
        {item(K::largeFiles, "/home/ann/%lld %@/film.mov",
              [&](ScanItem& i) {
                  i.largeFile = {{}, threeWeeks, may2023};
              }),
         "film.mov", "Opened 3 weeks ago · in ~/%lld %@"},
        {item(K::largeFiles, "/home/ann/Movies/old.mov",
              [&](ScanItem& i) {
                  i.largeFile = {{}, std::nullopt, may2023};
              }),
         "old.mov", "Not opened since May 2023 · in ~/Movies"},
        // Developer files.
        {item(K::developer, "/home/ann/code/shop/node_modules",
              [&](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::nodeModules, "shop", threeWeeks};
              }),
         "node_modules in shop", "Node packages · project last changed 3 weeks ago"},
        {item(K::developer, "/home/ann/code/api/.venv",
              [](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::pythonEnv, "api"};
              }),
         ".venv in api", "Python environment"},
        {item(K::developer, "Developer/Xcode/DerivedData/Shop-abc",
              [](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::derivedData, "Shop"};
              }),
         "Xcode build data for Shop", "Xcode DerivedData · the project is gone"},
        {item(K::developer, "Developer/Xcode/iOS DeviceSupport/17.2",
              [&](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::deviceSupport, "17.2", yesterday};
              }),
         "Device symbols for 17.2", "Copied from a device you plugged in · last used yesterday"},
        {item(K::developer, "Developer/CoreSimulator/Devices/X",
              [&](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::simulator, "iPhone 12", yesterday};
                  i.baseVerdict = Verdict::safe;
              }),
         "Simulator: iPhone 12", "Xcode simulator · its iOS version isn’t installed"},
        {item(K::developer, "/docker/images",
              [](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::dockerImages, ""};
                  i.action = ScanItem::Action{"/usr/bin/docker", {"image", "prune", "-a", "-f"}};
              }),
         "Unused Docker images", "docker image prune -a -f"},
        {item(K::developer, "/docker/containers",
              [](ScanItem& i) {
                  i.developer = Dev{Dev::Kind::dockerContainers, ""};
              }),
         "Stopped Docker containers", "Docker"},
        // AI files.
        {item(K::ai, ".claude/projects/shop",
              [&](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Claude Code", "~/code/shop", 12, f.daysAgo(35)};
              }),
         "Claude Code chats in ~/code/shop",
         "12 sessions untouched for 30 days · last used last month"},
        {item(K::ai, "Claude/tasks",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Claude", "task scratch folders", 2};
              }),
         "Claude task scratch folders", "2 folders untouched for 30 days"},
        {item(K::ai, "Cursor/workspaceStorage",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Cursor", "project chats", 1};
              }),
         "Cursor project chats", "1 project untouched for 30 days"},
        {item(K::ai, ".codex/sessions",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Codex", "sessions", 1};
              }),
         "Codex sessions", "1 session untouched for 30 days"},
        {item(K::ai, "Antigravity/a",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Antigravity", "project chats"};
              }),
         "Antigravity project chats", "0 projects untouched for 30 days"},
        {item(K::ai, "Antigravity/b",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Antigravity", "agent"};
              }),
         "Antigravity agent chats", "0 sessions untouched for 30 days"},
        {item(K::ai, ".gemini/tmp",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::sessions, "Gemini CLI", "project chats"};
              }),
         "Gemini CLI chats", "0 projects untouched for 30 days"},
        {item(K::ai, "Cursor/Cache",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::cache, "Cursor"};
                  i.inUseBy = "Cursor";
              }),
         "Cursor caches", "Cursor is open"},
        {item(K::ai, "Zed/cache",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::cache, "Zed"};
              }),
         "Zed caches", "Rebuilt as Zed needs it"},
        {item(K::ai, "claude/versions",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::oldVersion, "Claude Code", "1.0.1, 1.0.2", 2};
              }),
         "Old Claude Code versions", "Version 1.0.1, 1.0.2 · the newest stays"},
        {item(K::ai, "ChatGPT/update",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::updateLeftover, "ChatGPT"};
                  i.targets.assign(2, i.location);
              }),
         "ChatGPT update download", "Already installed · 2 files"},
        {item(K::ai, ".ollama/models/llama3",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::model, "Ollama", "llama3:8b"};
              }),
         "Ollama model: llama3:8b", "Downloaded model"},
        {item(K::ai, "/System/Library/AssetsV2/x",
              [](ScanItem& i) {
                  i.ai = AI{AI::Kind::appleIntelligence, "Apple"};
              }),
         "Apple Intelligence models", "Managed by macOS · explained, never removed"},
        // System Data.
        {item(K::systemData, "/purgeable",
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::purgeable, "Space macOS frees"};
              }),
         "Space macOS frees", "iCloud files, caches and the like"},
        {item(K::systemData, "/purgeable2",
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::purgeable, "Purgeable", "", {}, 2};
              }),
         "Purgeable", "Includes 2 local Time Machine snapshots"},
        {item(K::systemData, "/Applications/Install macOS Sonoma.app",
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::macOSInstaller, "Sonoma", "upgrade"};
              }),
         "macOS Sonoma installer", "An upgrade you haven’t installed"},
        {item(K::systemData, "/Applications/Install macOS Ventura.app",
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::macOSInstaller, "Ventura", "old"};
              }),
         "macOS Ventura installer", "For macOS you already have"},
        {item(K::systemData, "MobileSync/Backup",
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::deviceBackup, "iPhone backups", "private"};
              }),
         "iPhone backups", "macOS keeps these private until Kelvora has Full Disk Access"},
        {item(K::systemData, "MobileSync/Backup/1",
              [&](ScanItem& i) {
                  i.system =
                      Sys{Sys::Kind::deviceBackup, "Ann’s iPhone", "iOS 17.4", f.daysAgo(3), 1};
              }),
         "Backup of Ann’s iPhone", "iOS 17.4 · made 3 days ago · newest backup of this device"},
        {item(K::systemData, "MobileSync/Backup/2",
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::deviceBackup, "iPad", "", {}, 2};
              }),
         "Backup of iPad", "older backup"},
        {item(K::systemData, "iTunes/iPhone Software Updates/x.ipsw",
              [&](ScanItem& i) {
                  i.system =
                      Sys{Sys::Kind::deviceUpdate, "x.ipsw", "iPhone Software Updates", yesterday};
              }),
         "Update file: x.ipsw", "In iPhone Software Updates · downloaded yesterday"},
        {item(K::systemData, "/docker/disk",
              [](ScanItem& i) {
                  i.system = Sys{Sys::Kind::dockerDisk, "Docker disk", "+2500000000"};
              }),
         "Docker disk", "2.5 GB of it is unused"},
        // Apps and the leftovers of removed ones.
        {item(K::apps, "/Applications/Sketchpad.app",
              [&](ScanItem& i) {
                  i.app = ScanItem::AppInfo{"Sketchpad", "", f.daysAgo(400), 3};
              }),
         "Sketchpad", "Last opened last year · plus 3 leftover items"},
        {item(K::apps, "/Applications/Tile.app",
              [](ScanItem& i) {
                  i.app = ScanItem::AppInfo{"Tile", "", std::nullopt, 1};
              }),
         "Tile", "Never opened · plus 1 leftover item"},
        {item(K::leftovers, "LaunchAgents/com.gone.helper.plist",
              [](ScanItem& i) {
                  i.leftover = {ScanItem::LeftoverInfo::Kind::launchAgent, "com.gone.helper",
                                "Gone Helper"};
              }),
         "Login item: Gone Helper", "Starts a program that’s gone · in LaunchAgents"},
        {item(K::leftovers, "Application Support/Sketchbook",
              [&](ScanItem& i) {
                  i.leftover = {ScanItem::LeftoverInfo::Kind::appFiles,
                                "com.sk.book",
                                "Sketchbook",
                                {"Application Support", "Caches"},
                                may2023};
              }),
         "Sketchbook",
         "App not installed · in Application Support, Caches · untouched since May 2023"},
        {item(K::leftovers, "Preferences/x.plist"), "x.plist", "Left by a removed app"},
        // The Trash.
        {item(K::trash, "/home/ann/.Trash/copy.mov", [](ScanItem& i) { i.bytes = 0; }), "copy.mov",
         "In the Trash · shares its space with a copy, so removing it frees nothing"},
        {item(K::trash, "/home/ann/.Trash/%1 notes.txt"), "%1 notes.txt", "In the Trash"},
    };
    Catalog catalog = f.catalog();
    for (const Row& row : rows) {
        EXPECT_EQ(catalog.name(row.item), row.name) << row.item.location.path();
        EXPECT_EQ(catalog.detail(row.item), row.detail) << row.item.location.path();
    }
}

TEST(ItemTexts, DockerDiskDetailNeedsAWholePositiveNumber) {
    Catalog catalog = CatalogFixture().catalog();
    for (const char* detail : {"abc", "0", "-5", "+-5", "12 GB", "", "99999999999999999999"}) {
        ScanItem disk = item(K::systemData, "/docker/disk", [&](ScanItem& i) {
            i.system = Sys{Sys::Kind::dockerDisk, "Docker disk", detail};
        });
        EXPECT_EQ(catalog.systemDetail(disk), "Images, containers and volumes") << detail;
    }
}

TEST(ItemTexts, AnInstalledApplicationIsLookedUpOnlyForIdentifierLikeNames) {
    CatalogFixture f;
    std::vector<std::string> asked;
    Catalog catalog = f.catalog();
    catalog.applicationName = [&](const std::string& id) -> std::optional<std::string> {
        asked.push_back(id);
        return std::nullopt;
    };
    catalog.name(item(K::caches, "Caches/Homebrew"));
    catalog.detail(item(K::caches, "Caches/company.tool"));
    catalog.name(item(K::caches, "Caches/..a..b."));
    EXPECT_TRUE(asked.empty());
    catalog.detail(item(K::caches, "Caches/org.python.python"));
    EXPECT_EQ(asked, std::vector<std::string>{"org.python.python"});
}
