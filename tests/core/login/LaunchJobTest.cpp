#include "login/LaunchJob.h"
#include "login/LoginItem.h"
#include "platform/Plist.h"
#include "support/FixtureScanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {

URL plistFile(const TempDir& dir, const std::string& name, const Json& value,
              PlistFormat format = PlistFormat::xml) {
    std::string path = dir / ("LaunchAgents/" + name);
    createDirectories(parentPath(path));
    writePlist(value, path, format);
    return URL::fileURL(path);
}

} // namespace

TEST(LaunchJob, ReadsLabelProgramAndBundleIDsFromXmlAndBinary) {
    TempDir dir;
    Json dict = {{"Label", "com.example.sync"},
                 {"ProgramArguments", {"/opt/example/sync", "--daemon"}},
                 {"AssociatedBundleIdentifiers", {"com.example.app", "com.example.other"}},
                 {"RunAtLoad", true}};
    for (auto format : {PlistFormat::xml, PlistFormat::binary}) {
        LaunchJob job(
            plistFile(dir, format == PlistFormat::xml ? "a.plist" : "b.plist", dict, format));
        EXPECT_EQ(job.label, "com.example.sync");
        ASSERT_TRUE(job.program);
        EXPECT_EQ(job.program->path(), "/opt/example/sync");
        EXPECT_EQ(job.associatedBundleIDs,
                  (std::vector<std::string>{"com.example.app", "com.example.other"}));
        EXPECT_TRUE(job.startsAtLogin);
        EXPECT_FALSE(job.isEmpty);
    }
}

TEST(LaunchJob, ProgramWinsOverArgumentsAndTildeMeansHome) {
    TempDir dir;
    LaunchJob job(
        plistFile(dir, "t.plist", {{"Program", "~/bin/tool"}, {"ProgramArguments", {"/other"}}}),
        "/home/someone");
    EXPECT_EQ(job.program->path(), "/home/someone/bin/tool");
    EXPECT_EQ(job.label, "t");

    LaunchJob nonText(plistFile(dir, "n.plist", {{"Program", 5}, {"ProgramArguments", {"/x"}}}));
    EXPECT_EQ(nonText.program->path(), "/x");
    LaunchJob emptyList(plistFile(dir, "e.plist", {{"ProgramArguments", Json::array()}}));
    EXPECT_FALSE(emptyList.program);
    LaunchJob mixedList(plistFile(dir, "m.plist", {{"ProgramArguments", {"/x", 3}}}));
    EXPECT_FALSE(mixedList.program);
}

TEST(LaunchJob, EmptyOrUnreadableFilesGiveEmptyJobs) {
    TempDir dir;
    LaunchJob empty(plistFile(dir, "daily-backup.plist", Json::object()));
    std::string junk = dir.write("LaunchAgents/junk.plist", "not a property list");
    LaunchJob unreadable(URL::fileURL(junk));
    LaunchJob missing(URL::fileURL(dir / "gone.plist"));
    for (const auto* job : {&empty, &unreadable, &missing}) {
        EXPECT_TRUE(job->isEmpty);
        EXPECT_FALSE(job->program);
        EXPECT_TRUE(job->associatedBundleIDs.empty());
        EXPECT_FALSE(job->startsAtLogin);
    }
    EXPECT_EQ(empty.label, "daily-backup");
    EXPECT_EQ(unreadable.label, "junk");
}

TEST(LaunchJob, PipesAndDevicesReadAsEmptyJobs) {
    TempDir dir;
    std::string pipe = dir / "LaunchAgents/com.example.pipe.plist";
    createDirectories(parentPath(pipe));
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    std::string device = dir / "LaunchAgents/com.example.zero.plist";
    ASSERT_EQ(symlink("/dev/zero", device.c_str()), 0);
    // In a child, so that a read that never returns fails the test instead of hanging it.
    pid_t child = fork();
    if (child == 0) {
        alarm(20);
        LaunchJob fromPipe{URL::fileURL(pipe)};
        LaunchJob fromDevice{URL::fileURL(device)};
        bool ok = fromPipe.isEmpty && fromPipe.label == "com.example.pipe" && fromDevice.isEmpty &&
                  !fromDevice.program;
        _exit(ok ? 0 : 1);
    }
    EXPECT_EQ(kelvora::testing::waitForChild(child, "the reads of a pipe and a device"), 0);
}

TEST(LaunchJob, SingleBundleIdentifierBecomesAList) {
    TempDir dir;
    LaunchJob job(plistFile(dir, "s.plist", {{"AssociatedBundleIdentifiers", "com.example.one"}}));
    EXPECT_EQ(job.associatedBundleIDs, std::vector<std::string>{"com.example.one"});
}

TEST(LaunchJob, StartsAtLoginFromRunAtLoadOrKeepAlive) {
    TempDir dir;
    auto starts = [&](const Json& dict) {
        return LaunchJob(plistFile(dir, "k.plist", dict)).startsAtLogin;
    };
    EXPECT_TRUE(starts({{"RunAtLoad", true}}));
    EXPECT_FALSE(starts({{"RunAtLoad", false}}));
    EXPECT_TRUE(starts({{"KeepAlive", true}}));
    EXPECT_TRUE(starts({{"KeepAlive", {{"SuccessfulExit", false}}}}));
    EXPECT_FALSE(starts({{"Label", "x"}}));
    // KeepAlive false only says "do not restart"; it never starts the job.
    EXPECT_FALSE(starts({{"RunAtLoad", false}, {"KeepAlive", false}}));
    EXPECT_FALSE(starts({{"KeepAlive", false}}));
}

TEST(LaunchJob, BareProgramNamesAreLookedUpOnThePath) {
    TempDir dir;
    const DiskPlaces disks = DiskPlaces::live();
    LaunchJob shell(plistFile(dir, "sh.plist", {{"ProgramArguments", {"sh", "-c", "true"}}}));
    ASSERT_TRUE(shell.program);
    EXPECT_EQ(shell.program->path().front(), '/');
    EXPECT_EQ(shell.program->lastPathComponent(), "sh");
    EXPECT_FALSE(isProgramMissing(shell.program, disks));

    std::string node = dir.write("tools/node", "#!/bin/sh\n");
    chmod(node.c_str(), 0755);
    LaunchJob own(
        plistFile(dir, "node.plist",
                  {{"Program", "node"}, {"EnvironmentVariables", {{"PATH", dir / "tools"}}}}));
    EXPECT_EQ(own.program->path(), node);
    EXPECT_FALSE(isProgramMissing(own.program, disks));

    LaunchJob unknown(plistFile(dir, "u.plist", {{"Program", "kelvora-no-such-tool"}}));
    EXPECT_TRUE(isProgramMissing(unknown.program, disks));
}

TEST(LaunchJob, ProgramOnAnUnmountedVolumeOrBehindAClosedFolderIsNotMissing) {
    TempDir dir;
    const DiskPlaces disks = DiskPlaces::live();
    EXPECT_TRUE(isProgramMissing(std::nullopt, disks));
    EXPECT_FALSE(isProgramMissing(URL::fileURL(dir / "gone/tool"), disks)) << "in an empty folder";
    EXPECT_FALSE(isProgramMissing(URL::fileURL(dir.write("here/tool")), disks));
    EXPECT_TRUE(isProgramMissing(URL::fileURL(dir / "gone/tool"), disks));
    EXPECT_FALSE(isProgramMissing(URL::fileURL("/Volumes/Kelvora Test Disk/bin/tool"), disks));
    EXPECT_FALSE(isProgramMissing(URL::fileURL("/media/kelvora-test-disk/bin/tool"), disks));
    // A share /etc/fstab mounts, not mounted now, and a link onto it, wherever they lie.
    DiskPlaces places;
    places.fstab = "nas:/export " + dir / "srv/nas" + " nfs4 defaults 0 0\n";
    dir.mkdir("srv/nas");
    symlink((dir / "srv/nas/bin/tool").c_str(), (dir / "tool-link").c_str());
    EXPECT_FALSE(isProgramMissing(URL::fileURL(dir / "srv/nas/bin/tool"), places));
    EXPECT_FALSE(isProgramMissing(URL::fileURL(dir / "tool-link"), places));
    EXPECT_TRUE(isProgramMissing(URL::fileURL(dir / "gone/tool"), places));

    // Behind a folder this user may not search, a program is hidden, not gone.
    chmod(dir.path().c_str(), 0755);
    std::string closed = parentPath(dir.write("closed/tool"));
    chmod(closed.c_str(), 0700);
    EXPECT_TRUE(kelvora::testing::asNobody([&] {
        return !isProgramMissing(URL::fileURL(closed + "/tool"), disks) &&
               isProgramMissing(URL::fileURL(dir / "gone/tool"), disks);
    }));
}

TEST(LaunchJob, ProgramInTheMountPointOfADetachedVolumeIsNotMissing) {
    // A mount point kept as a plain folder while its volume is away, as fstab mounts leave.
    std::string mountPoint = "/media/kelvora-test-" + std::to_string(getpid());
    if (mkdir(mountPoint.c_str(), 0755) != 0)
        GTEST_SKIP() << "cannot make a folder in /media to stand for a mount point";
    const DiskPlaces disks = DiskPlaces::live();
    EXPECT_FALSE(isProgramMissing(URL::fileURL(mountPoint + "/tool"), disks));
    EXPECT_FALSE(isProgramMissing(URL::fileURL(mountPoint + "/bin/tool"), disks));
    rmdir(mountPoint.c_str());
}

TEST(LoginItem, DerivedValues) {
    LoginItem item{LoginItem::Source::userAgent,
                   "daily-backup",
                   URL::fileURL("/tmp/daily-backup.plist"),
                   std::nullopt,
                   true,
                   std::nullopt,
                   "daily-backup",
                   "",
                   LoginItem::State::notLoaded(),
                   false,
                   false};
    EXPECT_EQ(item.id(), "userAgent:daily-backup");
    EXPECT_TRUE(item.isLeftover());
    item.isPlaceholder = true;
    EXPECT_FALSE(item.isLeftover());

    LoginItem global = item;
    global.source = LoginItem::Source::globalAgent;
    EXPECT_EQ(global.id(), "globalAgent:daily-backup");
    EXPECT_NE(global.id(), item.id());
    EXPECT_FALSE(global.isLeftover());

    LoginItem running = item;
    running.programMissing = false;
    running.startsAtLogin = true;
    running.state = LoginItem::State::running(1);
    EXPECT_TRUE(running.isRunning());
    EXPECT_TRUE(running.isActiveAtLogin());
    running.state = LoginItem::State::off();
    EXPECT_TRUE(running.isOff());
    EXPECT_FALSE(running.isActiveAtLogin());
    EXPECT_NE(LoginItem::State::running(1), LoginItem::State::running(2));
}

TEST(LoginItem, SourcesAndWhereTheyCanBeSwitched) {
    using Source = LoginItem::Source;
    for (auto [source, name, switchable] : {std::tuple{Source::userAgent, "userAgent", true},
                                            {Source::globalAgent, "globalAgent", true},
                                            {Source::systemDaemon, "systemDaemon", false},
                                            {Source::appHelper, "appHelper", false},
                                            {Source::openAtLogin, "openAtLogin", true}}) {
        EXPECT_EQ(rawValue(source), name);
        EXPECT_EQ(loginItemSource(name), source);
        LoginItem item;
        item.source = source;
        EXPECT_EQ(item.canSwitchHere(), switchable) << name;
    }
    EXPECT_FALSE(loginItemSource("UserAgent"));
}
