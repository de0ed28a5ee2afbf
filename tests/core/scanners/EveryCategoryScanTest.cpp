#include "HomeFixture.h"
#include "platform/Plist.h"

#include <gtest/gtest.h>
#include <map>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const std::string kUUID = "0123abcd-4567-89ef-ABCD-0123456789ab";
const std::string kMailAccount = "11111111-2222-3333-4444-555555555555";

// One thing of every category the scan fills (similar photos come only from their own tool).
void fillHome(HomeFixture& f) {
    f.file("Library/Caches/com.example.editor/blob", 2, 30000);
    f.file("Library/Logs/Tool/old.log", 30, 9000);
    f.file("tmp/onnxruntime-" + kUUID + "-999999-z/model", 1, 11000);

    f.file("Applications/Old.app/Contents/MacOS/main", 300, 60000);
    writePlist({{"CFBundleIdentifier", "com.example.old"}},
               f.home / "Applications/Old.app/Contents/Info.plist");
    f.file("Library/Application Support/org.gonesoft.tool/data.db", 40, 14000);
    f.age("Library/Application Support/org.gonesoft.tool", 40);

    f.file("Downloads/Foo.zip", 20, 7000);
    f.folder("Downloads/Foo", 20);
    f.file(".Trash/thrown.txt", 3, 5000);
    f.file("Desktop/Screenshot 2025-01-05 at 10.00.00.png", 60, 3000);
    f.file("Library/Mail/V10/" + kMailAccount + "/INBOX.mbox/1/Attachments/a.pdf", 5, 16000);

    f.file("code/site/package.json", 120);
    f.file("code/site/node_modules/lib/index.js", 120, 70000);
    f.file("Library/Developer/Xcode/DerivedData/Gone-abc/Build/out.o", 1, 50000);
    writePlist({{"WorkspacePath", f.home / "code/Gone.xcodeproj"}},
               f.home / "Library/Developer/Xcode/DerivedData/Gone-abc/info.plist");
    f.file("Library/Developer/CoreSimulator/Devices/SIM1/data", 1, 1'100'000);

    f.file(".codex/sessions/2025/rollout.jsonl", 60, 12000);
    f.file("Library/Caches/com.anthropic.claudefordesktop.ShipIt/update.zip", 2, 45000);
    f.file(".cache/huggingface/hub/models--org--tiny/blobs/b", 10, 80000);

    f.file("Library/iTunes/iPhone Software Updates/iPhone_17.4_Restore.ipsw", 9, 90000);

    f.file("Documents/copy-a.bin", 100, 6000);
    f.file("Music/copy-b.bin", 100, 6000);
    f.file("Movies/film.mov", 100, 400000);
}

void configure(HomeFixture& f) {
    DiskScanner& s = f.scanner;
    s.applicationFolders = {f.url("Applications", true)};
    std::string old = f.home / "Applications/Old.app";
    Date opened = f.daysAgo(300);
    s.appUsage = [old, opened](const URL& url) -> std::optional<AppUsage> {
        if (url.path() != old) return std::nullopt;
        return AppUsage{opened, std::nullopt};
    };
    s.isInstalled = [](const std::string& id) { return id != "org.gonesoft.tool"; };
    s.mailAccounts = [] {
        return MailAccounts{
            {kMailAccount, {"work@example.org", ScanItem::MailInfo::Copy::onServer}}};
    };
    URL simulator = f.url("Library/Developer/CoreSimulator/Devices/SIM1", true);
    s.simulators = [simulator] {
        return std::vector<SimulatorDevice>{
            {"SIM1", "iPhone 15", "iOS 17.2", false, false, std::nullopt, simulator}};
    };
    s.includeDocker = true;
    s.docker = [] { return DockerUsage{"/usr/bin/docker", 3'000'000, 0, 0, 8'000'000}; };
    s.purgeableSpace = [](const URL&) { return int64_t{600'000'000}; };
    s.duplicateMinSize = 1000;
    s.largeSize = 300'000;
    s.oldSize = 300'000;
}

} // namespace

TEST(EveryCategoryScan, FindsEveryCategoryInSizeOrderWithTheStepsUnchanged) {
    HomeFixture f;
    fillHome(f);
    configure(f);
    sync();

    std::vector<std::string> steps;
    ScanResult result = f.scanner.scan([&](const std::string& step, int index) {
        EXPECT_EQ(index, static_cast<int>(steps.size()));
        steps.push_back(step);
    });
    EXPECT_EQ(steps, DiskScanner::scanSteps());

    std::map<JunkKind, int> perKind;
    for (const auto& item : result.items)
        ++perKind[item.kind];
    for (JunkKind kind : JunkKinds::allCases()) {
        if (kind == JunkKind::photos) continue;
        EXPECT_GE(perKind[kind], 1) << JunkKinds::rawValue(kind) << " is missing";
    }

    for (size_t i = 1; i < result.items.size(); ++i)
        EXPECT_GE(result.items[i - 1].bytes, result.items[i].bytes)
            << result.items[i - 1].location.path() << " before " << result.items[i].location.path();

    // The update folder is a cache folder too; it is listed once, as what it is.
    std::string shipIt = f.home / "Library/Caches/com.anthropic.claudefordesktop.ShipIt";
    int listed = 0;
    for (const auto& item : result.items)
        if (item.location.path() == shipIt) {
            ++listed;
            EXPECT_EQ(item.kind, JunkKind::ai);
        }
    EXPECT_EQ(listed, 1);

    EXPECT_EQ(perKind[JunkKind::developer], 4) << "build folder, DerivedData, simulator, images";
    EXPECT_EQ(perKind[JunkKind::systemData], 3) << "purgeable, update, container disk";
    EXPECT_EQ(result.items.front().location.absoluteString(), "kelvora-system:purgeable");
}
