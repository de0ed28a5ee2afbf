#include "HomeFixture.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;
using Kind = ScanItem::DeveloperInfo::Kind;

namespace {

const std::string kDerived = "Library/Developer/Xcode/DerivedData/";

void writeInfo(HomeFixture& f, const std::string& entry, const Json& info) {
    f.home.mkdir(kDerived + entry);
    ASSERT_TRUE(writePlist(info, f.home / (kDerived + entry + "/info.plist")));
}

} // namespace

TEST(XcodeDerivedData, GoneWorkspacesAndStaleCachesAreOffered) {
    HomeFixture f;
    f.file("code/Live.xcodeproj/project.pbxproj", 1);
    // The project is gone: offered although used yesterday.
    writeInfo(f, "Gone-abc",
              {{"WorkspacePath", f.home / "code/Gone.xcodeproj"},
               {"LastAccessedDate", formatIso8601(f.daysAgo(1))}});
    f.file(kDerived + "Gone-abc/Build/out.o", 1);
    // The project is there and untouched for 100 days.
    writeInfo(f, "Live-def",
              {{"WorkspacePath", f.home / "code/Live.xcodeproj"},
               {"LastAccessedDate", formatIso8601(f.daysAgo(100))}});
    f.file(kDerived + "Live-def/Build/out.o", 1);
    // The project is there and was used lately.
    writeInfo(f, "Busy-ghi",
              {{"WorkspacePath", f.home / "code/Live.xcodeproj"},
               {"LastAccessedDate", formatIso8601(f.daysAgo(5))}});
    f.file(kDerived + "Busy-ghi/Build/out.o", 1);
    // No information: the folder's own date and its name tell.
    f.file(kDerived + "My-App-xyz/Index/data", 100);
    f.age(kDerived + "My-App-xyz", 100);
    f.file(kDerived + "nohash/Index/data", 100);
    f.age(kDerived + "nohash", 100);
    f.file(kDerived + "ModuleCache.noindex/m.pcm", 400);
    f.age(kDerived + "ModuleCache.noindex", 400);

    FileCounter counter;
    auto items = f.scanner.scanDerivedData(counter);
    ASSERT_EQ(items.size(), 4u);

    const ScanItem* gone = itemAt(items, f.home / (kDerived + "Gone-abc"));
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->developer()->kind, Kind::derivedData);
    EXPECT_EQ(gone->developer()->owner, "Gone");
    EXPECT_FALSE(gone->developer()->lastActivity);
    EXPECT_EQ(gone->baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(gone->targets, std::vector<URL>{gone->location});

    const ScanItem* stale = itemAt(items, f.home / (kDerived + "Live-def"));
    ASSERT_TRUE(stale);
    EXPECT_EQ(stale->developer()->owner, "Live");
    EXPECT_EQ(stale->developer()->lastActivity, f.daysAgo(100));

    const ScanItem* named = itemAt(items, f.home / (kDerived + "My-App-xyz"));
    ASSERT_TRUE(named);
    EXPECT_EQ(named->developer()->owner, "My-App");
    const ScanItem* unnamed = itemAt(items, f.home / (kDerived + "nohash"));
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->developer()->owner, "");
}

TEST(XcodeDeviceSupport, KeepsTheNewestEntryOfEachPlatform) {
    HomeFixture f;
    const std::string ios = "Library/Developer/Xcode/iOS DeviceSupport/";
    for (auto [entry, days] :
         {std::pair{"17.0 (21A1)", 300}, {"17.4 (21E1)", 200}, {"16.2 (20C1)", 400}}) {
        f.file(ios + entry + "/Symbols/a", days);
        f.age(ios + entry, days);
    }
    f.file(ios + ".DS_Store", 1);
    f.file("Library/Developer/Xcode/watchOS DeviceSupport/10.0/Symbols/a", 500);
    f.file("Library/Developer/Xcode/watchOS DeviceSupport/9.0/Symbols/a", 600);
    f.age("Library/Developer/Xcode/watchOS DeviceSupport/10.0", 500);
    f.age("Library/Developer/Xcode/watchOS DeviceSupport/9.0", 600);
    f.file("Library/Developer/Xcode/tvOS DeviceSupport/17.0/Symbols/a", 900);
    f.age("Library/Developer/Xcode/tvOS DeviceSupport/17.0", 900);

    FileCounter counter;
    auto items = f.scanner.scanDeviceSupport(counter);
    std::vector<std::string> owners;
    for (const auto& item : items)
        owners.push_back(item.developer()->owner);
    std::sort(owners.begin(), owners.end());
    EXPECT_EQ(owners,
              (std::vector<std::string>{"iOS 16.2 (20C1)", "iOS 17.0 (21A1)", "watchOS 9.0"}));
    const ScanItem* old = itemAt(items, f.home / (ios + "16.2 (20C1)"));
    ASSERT_TRUE(old);
    EXPECT_EQ(old->developer()->kind, Kind::deviceSupport);
    EXPECT_EQ(old->developer()->lastActivity, f.daysAgo(400));

    // Entries used within the 90 days stay even when they are not the newest.
    f.age(ios + "16.2 (20C1)", 30);
    f.age(ios + "17.4 (21E1)", 10);
    EXPECT_EQ(f.scanner.scanDeviceSupport(counter).size(), 2u);
}

TEST(XcodeSimulators, DevicesAreReadFromTheToolsList) {
    URL devices = URL::fileURL("/home/ann/Library/Developer/CoreSimulator/Devices", true);
    std::string json = R"({"devices": {
        "com.apple.CoreSimulator.SimRuntime.iOS-17-2": [
            {"udid": "A1", "name": "iPhone 15", "state": "Booted", "isAvailable": true,
             "lastBootedAt": "2026-11-01T10:00:00Z"},
            {"udid": "A2", "name": "iPad", "state": "Shutdown", "isAvailable": false,
             "lastBootedAt": "2026-11-01T10:00:00.123Z"},
            {"name": "no udid"},
            {"udid": "A3", "name": "iPhone SE", "isAvailable": "yes"}
        ],
        "com.apple.CoreSimulator.SimRuntime.watchOS10": []
    }})";
    auto parsed = DiskScanner::parseSimulators(json, devices);
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[0].udid, "A1");
    EXPECT_EQ(parsed[0].runtime, "iOS 17.2");
    EXPECT_TRUE(parsed[0].isBooted);
    EXPECT_TRUE(parsed[0].isAvailable);
    EXPECT_EQ(parsed[0].lastBooted, parseIso8601("2026-11-01T10:00:00Z"));
    EXPECT_EQ(parsed[0].folder.path(), devices.path() + "/A1");
    EXPECT_FALSE(parsed[1].isAvailable);
    EXPECT_FALSE(parsed[1].lastBooted) << "fractional seconds are not read";
    EXPECT_TRUE(parsed[2].isAvailable) << "a flag of another type counts as available";
    EXPECT_FALSE(parsed[2].isBooted);

    EXPECT_TRUE(DiskScanner::parseSimulators("not json", devices).empty());
    EXPECT_TRUE(DiskScanner::parseSimulators(R"({"devices": []})", devices).empty());
    EXPECT_TRUE(DiskScanner::parseSimulators(
                    R"({"devices": {"r.iOS-17-2": [{"udid": "A1", "name": "x"}, "A2"]}})", devices)
                    .empty())
        << "a list holding anything but device objects is not read";
    EXPECT_EQ(DiskScanner::runtimeName("com.apple.CoreSimulator.SimRuntime.watchOS10"),
              "watchOS10");
    EXPECT_EQ(DiskScanner::runtimeName("com.apple.CoreSimulator.SimRuntime.xrOS-1-0-1"),
              "xrOS 1.0.1");
    EXPECT_EQ(DiskScanner::runtimeName(""), "");

    // Without a devices folder the tool is not asked at all.
    TempDir home;
    EXPECT_TRUE(DiskScanner::liveSimulators(home.url()).empty());
}

TEST(XcodeSimulators, StaleOrUnavailableDevicesOfAMegabyteAreOffered) {
    HomeFixture f;
    const std::string base = "Library/Developer/CoreSimulator/Devices/";
    // 245 blocks of 4096 bytes is just over 1,000,000 bytes; 243 blocks and their folder under.
    f.file(base + "OLD/data", 1, 245 * 4096);
    f.file(base + "GONE/data", 1, 245 * 4096);
    f.file(base + "SMALL/data", 1, 243 * 4096);
    f.file(base + "RECENT/data", 1, 245 * 4096);
    f.file(base + "BOOTED/data", 1, 245 * 4096);
    f.age(base + "BOOTED", 200);
    auto device = [&](std::string udid, bool available, bool booted,
                      std::optional<Date> lastBooted) {
        return SimulatorDevice{udid,       udid + " phone",         "iOS 17.2", available, booted,
                               lastBooted, f.url(base + udid, true)};
    };
    f.scanner.simulators = [&] {
        return std::vector<SimulatorDevice>{device("OLD", true, false, f.daysAgo(120)),
                                            device("GONE", false, false, f.daysAgo(1)),
                                            device("SMALL", false, false, f.daysAgo(120)),
                                            device("RECENT", true, false, f.daysAgo(1)),
                                            device("BOOTED", true, true, std::nullopt)};
    };
    sync();

    FileCounter counter;
    auto items = f.scanner.scanSimulators(counter);
    std::vector<std::string> found;
    for (const auto& item : items)
        found.push_back(item.location.lastPathComponent());
    EXPECT_EQ(found, (std::vector<std::string>{"OLD", "GONE", "BOOTED"}));

    EXPECT_EQ(items[0].baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(items[0].developer()->owner, "OLD phone (iOS 17.2)");
    EXPECT_TRUE(items[0].targets.empty());
    EXPECT_EQ(items[0].action->commandLine(), "xcrun simctl delete OLD");
    EXPECT_EQ(items[1].baseVerdict, Verdict::safe);
    EXPECT_EQ(items[2].inUseBy, std::optional<std::string>("Simulator"));
    EXPECT_EQ(items[2].developer()->lastActivity, f.daysAgo(200))
        << "falls back to the folder's date";
}
