#include "HomeFixture.h"
#include "platform/Calendar.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace kelvora;
using namespace kelvora::testing;
using Kind = ScanItem::SystemInfo::Kind;

namespace {

const std::string kBackups = "Library/Application Support/MobileSync/Backup/";

void backup(HomeFixture& f, const std::string& folder, const Json& info) {
    f.file(kBackups + folder + "/Manifest.db", 3, 20000);
    ASSERT_TRUE(writePlist(info, f.home / (kBackups + folder + "/Info.plist")));
}

void installer(HomeFixture& f, const std::string& name, const std::string& bundleID) {
    std::string bundle = "Applications/" + name + ".app";
    f.file(bundle + "/Contents/SharedSupport/SharedSupport.dmg", 40, 30000);
    ASSERT_TRUE(
        writePlist({{"CFBundleIdentifier", bundleID}}, f.home / (bundle + "/Contents/Info.plist")));
}

} // namespace

TEST(SystemDataPurgeable, OfferedFromHalfAGigabyteOrWithAnySnapshot) {
    HomeFixture f;
    int64_t purgeable = 499'999'999;
    std::vector<Date> snapshots;
    f.scanner.purgeableSpace = [&](const URL& url) {
        EXPECT_EQ(url, f.scanner.home);
        return purgeable;
    };
    f.scanner.localSnapshots = [&] { return snapshots; };
    EXPECT_TRUE(f.scanner.purgeableItem().empty());

    purgeable = 500'000'000;
    auto items = f.scanner.purgeableItem();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].location.absoluteString(), "kelvora-system:purgeable");
    EXPECT_EQ(items[0].bytes, 500'000'000);
    EXPECT_EQ(items[0].system()->detail, "");
    EXPECT_EQ(items[0].system()->count, 0);
    EXPECT_EQ(items[0].lockedReason, std::optional<std::string>("macOS frees this by itself"));
    EXPECT_EQ(items[0].baseVerdict, Verdict::safe);

    purgeable = -3;
    snapshots = {f.daysAgo(2), f.daysAgo(1)};
    items = f.scanner.purgeableItem();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].bytes, 0);
    EXPECT_EQ(items[0].system()->detail, "2");
    EXPECT_EQ(items[0].system()->count, 2);
    EXPECT_EQ(items[0].system()->date, f.daysAgo(1));
    EXPECT_EQ(items[0].system()->name, "Space macOS frees by itself");

    EXPECT_EQ(DiskScanner::livePurgeable(f.home.url()), 0);
    EXPECT_EQ(DiskScanner::livePurgeable(URL::fileURL("/no/such/volume")), 0);
}

TEST(SystemDataPurgeable, SnapshotNamesGiveLocalDates) {
    std::string output = "Snapshots for disk /:\n"
                         "com.apple.TimeMachine.2026-03-01-101500.local\n"
                         "com.apple.TimeMachine.2026-13-01-101500.local\n"
                         "com.apple.TimeMachine.2026-02-30-000000.local\n"
                         "com.apple.TimeMachine.2026-03-02-235959.local\n"
                         "com.apple.os.update-ABC\n";
    auto dates = DiskScanner::parseSnapshots(output);
    ASSERT_EQ(dates.size(), 2u);
    EXPECT_EQ(dates[0], Calendar::fromLocal({2026, 3, 1, 10, 15, 0}));
    EXPECT_EQ(dates[1], Calendar::fromLocal({2026, 3, 2, 23, 59, 59}));
    EXPECT_TRUE(DiskScanner::parseSnapshots("").empty());
}

TEST(SystemDataInstallers, JudgedAgainstTheRunningMajorVersion) {
    HomeFixture f;
    f.scanner.applicationFolders = {f.url("Applications", true)};
    installer(f, "Install macOS Sonoma", "com.apple.InstallAssistant.macOSSonoma");
    installer(f, "Install macOS Fancy", "com.apple.InstallAssistant.Seed");
    installer(f, "Install Something", "com.example.installer");
    installer(f, "Installer Helper", "com.apple.InstallAssistant.helper");

    FileCounter counter;
    f.scanner.macOSMajorVersion = 15;
    auto items = f.scanner.macOSInstallers(counter);
    ASSERT_EQ(items.size(), 2u);
    const ScanItem& fancy = items[0];
    EXPECT_EQ(fancy.system()->name, "Fancy");
    EXPECT_EQ(fancy.system()->detail, "upgrade") << "an unknown release counts as an upgrade";
    const ScanItem& sonoma = items[1];
    EXPECT_EQ(sonoma.location.path(), f.home / "Applications/Install macOS Sonoma.app");
    EXPECT_EQ(sonoma.targets, std::vector<URL>{sonoma.location});
    EXPECT_EQ(sonoma.system()->kind, Kind::macOSInstaller);
    EXPECT_EQ(sonoma.system()->name, "Sonoma");
    EXPECT_EQ(sonoma.system()->detail, "installed");
    EXPECT_EQ(sonoma.baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(sonoma.lockedReason.has_value(), !f.scanner.canMove(sonoma.location));
    EXPECT_GT(sonoma.bytes, 30000);

    f.scanner.macOSMajorVersion = 13;
    items = f.scanner.macOSInstallers(counter);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].system()->detail, "upgrade");
    EXPECT_EQ(items[1].baseVerdict, Verdict::youDecide);
}

TEST(SystemDataBackups, EveryBackupWithTheNewestOfEachDeviceMarked) {
    HomeFixture f;
    backup(f, "aaa",
           {{"Device Name", "Ann's iPhone"},
            {"Product Name", "iPhone 15"},
            {"Product Version", "17.4"},
            {"Target Identifier", "DEV1"},
            {"Last Backup Date", formatIso8601(f.daysAgo(40))}});
    backup(f, "bbb",
           {{"Device Name", "Ann's iPhone"},
            {"Product Name", "iPhone 15"},
            {"Product Version", "17.5"},
            {"Target Identifier", "DEV1"},
            {"Last Backup Date", formatIso8601(f.daysAgo(4))}});
    backup(f, "ccc",
           {{"Display Name", "Tablet"},
            {"Product Type", "iPad13,1"},
            {"Product Version", "17.1"},
            {"Unique Identifier", "DEV2"}});
    backup(f, "ddd", {{"Product Version", 17}});
    f.file(kBackups + "no-info/Manifest.db", 3, 20000);

    FileCounter counter;
    auto items = f.scanner.deviceBackups(counter);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].system()->name, "Ann's iPhone");
    EXPECT_EQ(items[0].system()->detail, "iPhone 15 \u00B7 iOS 17.4");
    EXPECT_EQ(items[0].system()->count, 0);
    EXPECT_EQ(items[0].system()->date, f.daysAgo(40));
    EXPECT_EQ(items[1].system()->count, 1);
    EXPECT_EQ(items[2].system()->name, "Tablet");
    EXPECT_EQ(items[2].system()->detail, "iPad13,1 \u00B7 iPadOS 17.1");
    EXPECT_EQ(items[2].system()->count, 1);
    EXPECT_EQ(items[3].system()->name, "A device");
    EXPECT_EQ(items[3].system()->detail, "");
    EXPECT_EQ(items[3].system()->count, 1);
    EXPECT_EQ(items[1].system()->kind, Kind::deviceBackup);
    EXPECT_EQ(items[1].baseVerdict, Verdict::youDecide);
    EXPECT_TRUE(items[1].goesOnShelf());
    EXPECT_FALSE(items[1].lockedReason);

    HomeFixture none;
    EXPECT_TRUE(none.scanner.deviceBackups(counter).empty());
}

TEST(SystemDataBackups, UnreadableFolderBecomesOneLockedNote) {
    HomeFixture f;
    backup(f, "aaa", {{"Device Name", "Phone"}});
    chmod(f.home.path().c_str(), 0755);
    for (const char* folder :
         {"Library", "Library/Application Support", "Library/Application Support/MobileSync"})
        chmod((f.home / folder).c_str(), 0755);
    chmod((f.home / kBackups).c_str(), 0700);

    // Only an ordinary user is refused; the test runs that part as one.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(pipeFds[0]);
        if (getuid() == 0 && setuid(65534) != 0) _exit(2);
        FileCounter counter;
        auto items = f.scanner.deviceBackups(counter);
        std::string report;
        for (const auto& item : items)
            report += item.system()->name + "|" + item.system()->detail + "|" +
                      item.lockedReason.value_or("") + "|" + std::to_string(item.bytes) + "|" +
                      item.location.path() + "\n";
        (void)!write(pipeFds[1], report.data(), report.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::string folder = f.home / kBackups;
    folder.pop_back();
    EXPECT_EQ(report, "iPhone and iPad backups|private|Needs Full Disk Access|0|" + folder + "\n");
}

TEST(SystemDataUpdates, DeviceSoftwareFilesInAnyCase) {
    HomeFixture f;
    f.file("Library/iTunes/iPhone Software Updates/iPhone15,2_17.4_Restore.IPSW", 9, 30000);
    f.file("Library/iTunes/iPad Software Updates/iPad_17.1_Restore.ipsw", 9, 30000);
    f.file("Library/iTunes/iPad Software Updates/notes.txt", 9, 30000);

    FileCounter counter;
    auto items = f.scanner.deviceUpdates(counter);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].system()->name, "iPhone15,2_17.4_Restore.IPSW");
    EXPECT_EQ(items[0].system()->detail, "iPhone Software Updates");
    EXPECT_EQ(items[0].system()->date, f.daysAgo(9));
    EXPECT_EQ(items[0].baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(items[0].targets, std::vector<URL>{items[0].location});
    EXPECT_FALSE(items[0].goesOnShelf());
    EXPECT_EQ(items[1].system()->detail, "iPad Software Updates");
}

TEST(SystemDataDocker, DiskImageShownWhateverIncludeDockerSays) {
    HomeFixture f;
    EXPECT_TRUE(f.scanner.dockerDiskItem(std::nullopt).empty());
    EXPECT_TRUE(f.scanner.dockerDiskItem(DockerUsage{"d", 5, 5, 5, 0}).empty());

    ASSERT_FALSE(f.scanner.includeDocker);
    auto items = f.scanner.dockerDiskItem(DockerUsage{"d", 2'000, 300, 45, 9'000'000});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].location.absoluteString(), "kelvora-system:docker");
    EXPECT_EQ(items[0].bytes, 9'000'000);
    EXPECT_EQ(items[0].system()->detail, "2345");
    EXPECT_EQ(items[0].system()->name, "Docker\u2019s disk image");
    EXPECT_EQ(items[0].lockedReason,
              std::optional<std::string>("Freed with Docker\u2019s own tools"));
    EXPECT_EQ(items[0].verdict(), Verdict::locked);
}
