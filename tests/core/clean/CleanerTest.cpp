#include "clean/Cleaner.h"

#include "CleanFixtures.h"
#include "platform/FileSystem.h"
#include "support/FixtureScanner.h"
#include "support/MountNamespace.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const Date t0 = dateFromEpochSeconds(1'800'000'000);

struct CleanerTest : ::testing::Test {
    TempDir tmp;
    UndoShelf shelf{URL::fileURL(tmp / "Shelf", true)};
    std::vector<RunningApp> apps;
    std::vector<std::string> paths{"/usr/bin/something"};
    std::vector<ScanItem::Action> toolRuns;
    std::optional<int32_t> toolStatus = 0;
    std::vector<RunningProcess> holders;
    int appCalls = 0;
    int pathCalls = 0;
    int holderCalls = 0;

    Cleaner cleaner() {
        return Cleaner(
            [this] {
                ++appCalls;
                return apps;
            },
            [this] {
                ++pathCalls;
                return paths;
            },
            [this](const ScanItem::Action& action) {
                toolRuns.push_back(action);
                return toolStatus;
            },
            [this] {
                ++holderCalls;
                return holders;
            });
    }
};

} // namespace

TEST_F(CleanerTest, EmptyListReadsRunningAppsOnceAndNothingElse) {
    auto report = cleaner().clean({}, shelf, t0);
    EXPECT_EQ(report.freed, 0);
    EXPECT_EQ(report.shelved, 0);
    EXPECT_FALSE(report.sweep);
    EXPECT_EQ(report.skippedInUse, 0);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_TRUE(report.byKind.empty());
    EXPECT_EQ(appCalls, 1);
    EXPECT_EQ(pathCalls, 0);
    EXPECT_EQ(holderCalls, 0);
    EXPECT_FALSE(fileExists(shelf.root.path()));
}

TEST_F(CleanerTest, LeavesAloneOnlyWhatTheScanMarked) {
    auto inUse = itemOf(JunkKind::logs, {tmp.write("in-use.log")});
    inUse.inUseBy = "Editor";
    auto locked = itemOf(JunkKind::downloads, {tmp.write("locked.dmg")});
    locked.lockedReason = "Installed by an administrator";
    auto empty = itemOf(JunkKind::logs, {tmp.write("empty.log")}, 0);
    auto trash = itemOf(JunkKind::trash, {tmp.write("Trash/old.txt")}, 0);

    auto report = cleaner().clean({inUse, locked, empty, trash}, std::nullopt, t0);
    EXPECT_EQ(report.skippedInUse, 0);
    EXPECT_TRUE(fileExists(tmp / "in-use.log"));
    EXPECT_TRUE(fileExists(tmp / "locked.dmg"));
    // Measuring nothing is no reason to keep what the user chose to clean.
    EXPECT_FALSE(fileExists(tmp / "empty.log"));
    EXPECT_FALSE(fileExists(tmp / "Trash/old.txt"));
    EXPECT_TRUE(report.failures.empty());
}

TEST_F(CleanerTest, DeletesOrShelvesByCategory) {
    auto cache = itemOf(JunkKind::caches, {tmp.mkdir("Caches/com.example.tool")}, 300);
    auto download = itemOf(JunkKind::downloads, {tmp.write("Downloads/setup.dmg", "dmg")}, 500);

    auto withShelf = cleaner().clean({cache, download}, shelf, t0);
    EXPECT_EQ(withShelf.freed, 300);
    EXPECT_EQ(withShelf.shelved, 500);
    ASSERT_TRUE(withShelf.sweep);
    EXPECT_EQ(withShelf.sweep->entries.at(0).label, "setup.dmg");
    EXPECT_EQ((std::map<JunkKind, int64_t>{{JunkKind::caches, 300}, {JunkKind::downloads, 500}}),
              withShelf.byKind);
    EXPECT_FALSE(fileExists(tmp / "Caches/com.example.tool"));
    EXPECT_EQ(shelf.sweeps().size(), 1u);

    auto again = itemOf(JunkKind::downloads, {tmp.write("Downloads/other.zip")}, 70);
    auto noShelf = cleaner().clean({again}, std::nullopt, t0);
    EXPECT_EQ(noShelf.freed, 70);
    EXPECT_EQ(noShelf.shelved, 0);
    EXPECT_FALSE(fileExists(tmp / "Downloads/other.zip"));
    EXPECT_EQ(shelf.sweeps().size(), 1u);

    auto labelled = itemOf(JunkKind::screenshots, {tmp.write("Desktop/shot.png")}, 5);
    auto report = cleaner().clean(
        {labelled}, shelf, [](const ScanItem&) { return std::string("Screenshots"); }, t0);
    ASSERT_TRUE(report.sweep);
    EXPECT_EQ(report.sweep->entries.at(0).label, "Screenshots");
}

TEST_F(CleanerTest, ToolItemsFreeOnlyWhenTheToolSucceeds) {
    auto item = itemOf(JunkKind::developer, {}, 900);
    item.location = URL::parse("docker:images").value();
    item.action = ScanItem::Action{"/usr/local/bin/docker", {"image", "prune", "-a", "-f"}};

    auto done = cleaner().clean({item}, shelf, t0);
    EXPECT_EQ(done.freed, 900);
    EXPECT_EQ(done.byKind.at(JunkKind::developer), 900);

    for (std::optional<int32_t> status : {std::optional<int32_t>(1), std::optional<int32_t>()}) {
        toolStatus = status;
        auto failed = cleaner().clean({item}, shelf, t0);
        EXPECT_EQ(failed.freed, 0);
        EXPECT_TRUE(failed.byKind.empty());
        ASSERT_EQ(failed.failures.size(), 1u);
        EXPECT_EQ(failed.failures[0].url, item.location);
        EXPECT_EQ(failed.failures[0].reason, "docker image prune -a -f didn't finish");
    }

    // The live runner reports a tool that cannot start as no status.
    EXPECT_FALSE(Cleaner::liveRunTool({"/no/such/tool", {}}));
    EXPECT_EQ(Cleaner::liveRunTool({"/bin/sh", {"-c", "exit 3"}}), 3);
}

TEST_F(CleanerTest, FailedDeletionCountsOnlyWhatWasRemoved) {
    std::string first = tmp.write("Logs/a.log", std::string(10000, 'a'));
    std::string second = tmp.write("Logs/b.log", std::string(10000, 'b'));
    if (system(("chattr +i '" + second + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "this file system cannot make a file immutable";
    sync();
    int64_t removed = Cleaner::freedSize(URL::fileURL(first));
    auto item = itemOf(JunkKind::logs, {first, second}, 30000);
    auto report = cleaner().clean({item}, std::nullopt, t0);
    system(("chattr -i '" + second + "'").c_str());

    EXPECT_GT(removed, 0);
    EXPECT_EQ(report.freed, removed);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].url.path(), second);
    EXPECT_FALSE(fileExists(first));

    auto small = itemOf(JunkKind::logs, {tmp.write("Logs/c.log", std::string(10000, 'c'))}, 1);
    system(("chattr +i '" + tmp / "Logs/c.log" + "'").c_str());
    auto never = cleaner().clean({small}, std::nullopt, t0);
    system(("chattr -i '" + tmp / "Logs/c.log" + "'").c_str());
    EXPECT_EQ(never.freed, 0);
    EXPECT_TRUE(never.byKind.empty());
}

// Removed by someone else, or hidden under a mount since the scan: this clean-up freed none
// of it.
TEST_F(CleanerTest, TargetAlreadyGoneIsReportedAndCountsNothing) {
    auto item = itemOf(JunkKind::tempFiles, {tmp / "vanished"}, 40);
    auto report = cleaner().clean({item}, std::nullopt, t0);
    EXPECT_EQ(report.freed, 0);
    EXPECT_TRUE(report.byKind.empty());
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_NE(report.failures[0].reason.find("no longer exists"), std::string::npos);

    auto odd = itemOf(JunkKind::logs, {}, 5);
    odd.targets = {URL::parse("kelvora-system:purgeable").value()};
    auto refused = cleaner().clean({odd}, std::nullopt, t0);
    ASSERT_EQ(refused.failures.size(), 1u);

    // Hidden under a mount made since the scan: the clean-up takes nothing.
    TempDir home;
    home.write(".cache/tool/blob", std::string(20000, 'b'));
    DiskScanner scanner = fixtureScanner(home);
    std::vector<ScanItem> items = scanner.scanCachesOnly();
    ASSERT_EQ(items.size(), 1u);
    const int status = inMountNamespace([&]() -> std::string {
        if (!mountAt(home / ".cache/tool")) return "no mount\n";
        const CleanReport hidden = cleaner().clean(items, std::nullopt, t0);
        std::string problems;
        if (hidden.freed != 0) problems += "counted " + std::to_string(hidden.freed) + "\n";
        if (hidden.failures.size() != 1) problems += "said nothing of the target\n";
        return problems;
    });
    if (status == kNoMountNamespace) GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fileExists(home / ".cache/tool/blob"));
}

// Folders a tool keeps read-only are made writable only inside the shelf, whose clean-ups
// are Kelvora's own: deleting directly leaves such a folder, and the folder around a target,
// as they were, and counts only what it could take. Run as an ordinary user, whom the
// permissions stop (the tests run as root).
TEST_F(CleanerTest, DeletingDirectlyNeverMakesAReadOnlyFolderWritable) {
    const std::string cache = tmp.mkdir("home/.cache");
    const std::string locked =
        tmp.write("home/.cache/go/mod/pkg@v1/file.go", std::string(9000, 'g'));
    const std::string loose = tmp.write("home/.cache/go/loose.txt", std::string(9000, 'l'));
    tmp.write("home/.cache/sealed/inside/blob", "b");
    for (const std::string& path : {tmp.path(), tmp / "home", cache})
        chmod(path.c_str(), 0755);
    ASSERT_EQ(system(("chown -R 65534:65534 '" + tmp / "home" + "'").c_str()), 0);
    chmod((tmp / "home/.cache/go/mod/pkg@v1").c_str(), 0555);
    chmod((tmp / "home/.cache/sealed").c_str(), 0555);
    const std::vector<ScanItem> items = {
        itemOf(JunkKind::caches, {tmp / "home/.cache/go/mod", loose}, 1'000'000),
        itemOf(JunkKind::caches, {tmp / "home/.cache/sealed/inside"}, 1'000'000)};
    sync();
    const int64_t looseBytes = Cleaner::freedSize(URL::fileURL(loose));
    EXPECT_TRUE(asNobody([&] {
        const CleanReport report = cleaner().clean(items, std::nullopt, t0);
        return report.failures.size() == 2 && report.freed > looseBytes &&
               report.freed < 2 * looseBytes + 5 * 4096;
    }));
    EXPECT_EQ(fileInfo(tmp / "home/.cache/go/mod/pkg@v1")->mode & 07777, 0555u);
    EXPECT_EQ(fileInfo(tmp / "home/.cache/sealed")->mode & 07777, 0555u);
    EXPECT_TRUE(fileExists(locked));
    EXPECT_TRUE(fileExists(tmp / "home/.cache/sealed/inside"));
    EXPECT_FALSE(fileExists(tmp / "home/.cache/sealed/inside/blob"));
    EXPECT_FALSE(fileExists(loose));
}

// What a cache folder other than the usual one offers may be more than caches: it goes onto
// the Undo Shelf, from where it can be put back, and a clean-up without the shelf leaves it.
TEST_F(CleanerTest, WhatOnlyTheShelfMayTakeIsShelvedOrLeftNeverDeleted) {
    ScanItem odd = itemOf(JunkKind::caches, {tmp.write("elsewhere/tool/blob", "b")}, 10);
    odd.shelfOnly = true;
    const CleanReport unshelved = cleaner().clean({odd}, std::nullopt, t0);
    EXPECT_TRUE(fileExists(tmp / "elsewhere/tool/blob"));
    EXPECT_EQ(unshelved.freed, 0);
    ASSERT_EQ(unshelved.failures.size(), 1u);
    EXPECT_NE(unshelved.failures[0].reason.find("goes only onto the Undo Shelf"),
              std::string::npos);

    const CleanReport shelved = cleaner().clean({odd}, shelf, t0);
    EXPECT_FALSE(fileExists(tmp / "elsewhere/tool/blob"));
    EXPECT_EQ(shelved.freed, 0);
    EXPECT_EQ(shelved.shelved, 10);
    EXPECT_TRUE(shelved.failures.empty());
}

TEST_F(CleanerTest, RecheckFindsRunningAppsAndTheirData) {
    apps = {{"Editor", "com.Maker.Editor"}, {"chat", "chat"}};
    auto app = itemOf(JunkKind::apps, {tmp.mkdir("Applications/Editor.app")}, 10);
    app.record = ScanItem::AppInfo{"Editor", "com.maker.editor", std::nullopt, 0};
    auto ai = itemOf(JunkKind::ai, {tmp.mkdir("ai/cache")}, 10);
    ai.record =
        ScanItem::AIInfo{ScanItem::AIInfo::Kind::cache, "Chat", "", 0, std::nullopt, {"CHAT"}};
    auto otherAI = itemOf(JunkKind::ai, {tmp.mkdir("ai/other")}, 10);
    otherAI.record = ScanItem::AIInfo{};
    otherAI.ai()->owners = {"com.other.tool"};

    auto report = cleaner().clean({app, ai, otherAI}, shelf, t0);
    EXPECT_EQ(report.skippedInUse, 2);
    EXPECT_TRUE(fileExists(tmp / "Applications/Editor.app"));
    EXPECT_TRUE(fileExists(tmp / "ai/cache"));
    EXPECT_FALSE(fileExists(tmp / "ai/other"));
}

TEST_F(CleanerTest, CacheAndTempFoldersOfLiveProgramsAreLeftAlone) {
    apps = {{"Editor Agent", "com.maker.Editor.agent"}, {"Viewer", "com.maker.Viewer"}};
    auto cache = [&](const std::string& name) {
        return itemOf(JunkKind::caches, {tmp.mkdir("Caches/" + name)}, 10);
    };
    std::string uuid = "0123abcd-0123-4567-89ab-0123456789ab";
    std::string live = "onnxruntime-" + uuid + "-" + std::to_string(getpid()) + "-x";
    std::string dead = "onnxruntime-" + uuid + "-2147483646-x";
    auto temp = [&](const std::string& name) {
        return itemOf(JunkKind::tempFiles, {tmp.mkdir("T/" + name)}, 10);
    };

    // A folder named after the maker is held; one named after the identifier's first part
    // ("com") belongs to no application in particular.
    auto report = cleaner().clean({cache("com.maker.editor"), cache("viewer"), cache("maker"),
                                   cache("com"), cache("com.other"), temp(live), temp(dead)},
                                  shelf, t0);
    EXPECT_EQ(report.skippedInUse, 4);
    EXPECT_TRUE(fileExists(tmp / "Caches/com.maker.editor"));
    EXPECT_TRUE(fileExists(tmp / "Caches/viewer"));
    EXPECT_TRUE(fileExists(tmp / "Caches/maker"));
    EXPECT_FALSE(fileExists(tmp / "Caches/com"));
    EXPECT_FALSE(fileExists(tmp / "Caches/com.other"));
    EXPECT_TRUE(fileExists(tmp / ("T/" + live)));
    EXPECT_FALSE(fileExists(tmp / ("T/" + dead)));
}

TEST_F(CleanerTest, DeveloperFoldersAreLeftAloneUnlessTheProcessListClearsThem) {
    std::string project = tmp.mkdir("code/app/node_modules");
    std::string other = tmp.mkdir("code/old/node_modules");
    auto busy = itemOf(JunkKind::developer, {project}, 10);
    auto idle = itemOf(JunkKind::developer, {other}, 10);
    paths = {project + "/.bin/server", "/usr/bin/bash"};

    auto report = cleaner().clean({busy, idle}, shelf, t0);
    EXPECT_EQ(pathCalls, 1);
    EXPECT_EQ(report.skippedInUse, 1);
    EXPECT_TRUE(fileExists(project));
    EXPECT_FALSE(fileExists(other));

    // No process list means nothing can be verified: skip rather than delete.
    std::string third = tmp.mkdir("code/new/node_modules");
    paths.clear();
    auto unverified = cleaner().clean({itemOf(JunkKind::developer, {third}, 10)}, shelf, t0);
    EXPECT_EQ(unverified.skippedInUse, 1);
    EXPECT_TRUE(fileExists(third));
}

TEST_F(CleanerTest, ItemsWhoseUseIsCheckedStayWhileAProcessHoldsAFileInThem) {
    auto cache = itemOf(JunkKind::caches, {tmp.mkdir("Caches/browser/Cache")}, 10);
    auto idle = itemOf(JunkKind::caches, {tmp.mkdir("Caches/idle/Cache")}, 10);
    auto developer = itemOf(JunkKind::developer, {tmp.mkdir("code/app/node_modules")}, 10);
    auto ai = itemOf(JunkKind::ai, {tmp.mkdir("ai/cache")}, 10);
    ai.record = ScanItem::AIInfo{};
    // A download is no program's to use: held open or not, it moves to the shelf.
    auto download = itemOf(JunkKind::downloads, {tmp.write("Downloads/film.mkv")}, 10);
    holders = {{7,
                "/usr/bin/browser",
                "Browser",
                {tmp / "Caches/browser/Cache/data_1", tmp / "Downloads/film.mkv",
                 tmp / "ai/cache/index.db", tmp / "code/app/node_modules/.vite/deps.json"}}};
    paths = {"/usr/bin/bash"};

    auto report = cleaner().clean({cache, idle, developer, ai, download}, shelf, t0);
    EXPECT_EQ(holderCalls, 1);
    EXPECT_EQ(report.skippedInUse, 3);
    EXPECT_TRUE(fileExists(tmp / "Caches/browser/Cache"));
    EXPECT_FALSE(fileExists(tmp / "Caches/idle/Cache"));
    EXPECT_TRUE(fileExists(tmp / "code/app/node_modules"));
    EXPECT_TRUE(fileExists(tmp / "ai/cache"));
    EXPECT_FALSE(fileExists(tmp / "Downloads/film.mkv"));
}

TEST_F(CleanerTest, DuplicatesMustStillMatchTheKeptCopyByContents) {
    std::string kept = tmp.write("Docs/photo.jpg", "same-bytes");
    auto duplicate = [&](const std::string& name, const std::string& contents) {
        auto item = itemOf(JunkKind::duplicates, {tmp.write("Docs/" + name, contents)}, 10);
        item.record = ScanItem::DuplicateInfo{URL::fileURL(kept), 2};
        return item;
    };
    auto same = duplicate("copy.jpg", "same-bytes");
    auto edited = duplicate("edited.jpg", "SAME-BYTES");
    auto longer = duplicate("longer.jpg", "same-bytes+");

    auto report = cleaner().clean({same, edited, longer}, shelf, t0);
    EXPECT_EQ(report.skippedInUse, 2);
    EXPECT_FALSE(fileExists(tmp / "Docs/copy.jpg"));
    EXPECT_EQ(contentsOf(tmp / "Docs/edited.jpg"), "SAME-BYTES");
    EXPECT_EQ(contentsOf(tmp / "Docs/longer.jpg"), "same-bytes+");

    removeItem(kept);
    auto orphan = duplicate("orphan.jpg", "same-bytes");
    EXPECT_EQ(cleaner().clean({orphan}, shelf, t0).skippedInUse, 1);
    EXPECT_FALSE(Cleaner::stillMatches(URL::fileURL(kept), URL::fileURL(tmp / "Docs/orphan.jpg")));
}

TEST_F(CleanerTest, LaunchAgentsAreBootedOutBeforeTheirFilesMove) {
    std::string plist = tmp.write("LaunchAgents/com.gone.helper.plist", "plist");
    auto agent = itemOf(JunkKind::leftovers, {plist}, 10);
    agent.record = ScanItem::LeftoverInfo{
        ScanItem::LeftoverInfo::Kind::launchAgent, "com.gone.helper", "Helper", {}, std::nullopt};
    bool presentAtBootout = false;
    Cleaner watching([] { return std::vector<RunningApp>{}; }, {},
                     [&](const ScanItem::Action& action) {
                         toolRuns.push_back(action);
                         presentAtBootout = fileExists(plist);
                         return std::optional<int32_t>(5);
                     });
    auto report = watching.clean({agent}, shelf, t0);
    ASSERT_EQ(toolRuns.size(), 1u);
    EXPECT_EQ(toolRuns[0].tool, "/bin/launchctl");
    EXPECT_EQ(toolRuns[0].arguments,
              (std::vector<std::string>{"bootout",
                                        "gui/" + std::to_string(getuid()) + "/com.gone.helper"}));
    EXPECT_TRUE(presentAtBootout);
    EXPECT_TRUE(report.failures.empty()); // a failed bootout is not reported
    EXPECT_EQ(report.shelved, 10);
}

TEST_F(CleanerTest, PartlyShelvedItemsCountOnlyWhatMoved) {
    std::string moved = tmp.write("Downloads/a.bin", std::string(5000, 'a'));
    auto item = itemOf(JunkKind::downloads, {moved, tmp / "Downloads/missing.bin"}, 9000);
    auto whole = itemOf(JunkKind::largeFiles, {tmp.write("big.iso")}, 100);
    auto report = cleaner().clean({item, whole}, shelf, t0);
    ASSERT_TRUE(report.sweep);
    ASSERT_EQ(report.failures.size(), 1u);
    EXPECT_EQ(report.failures[0].url.path(), tmp / "Downloads/missing.bin");
    EXPECT_EQ(report.shelved, 9100);
    EXPECT_EQ((std::map<JunkKind, int64_t>{{JunkKind::largeFiles, 100}}), report.byKind);
    EXPECT_EQ(report.freed, 0);
}

// ---- Links that appear between the scan and the clean ----

namespace {

struct ScannedHome {
    TempDir home;
    DiskScanner scanner = fixtureScanner(home);

    void replaceWithLink(const std::string& relative, const std::string& to) {
        ASSERT_EQ(rename((home / relative).c_str(), (home / (relative + "-moved")).c_str()), 0);
        const std::string target = to[0] == '/' ? to : home / to;
        ASSERT_EQ(symlink(target.c_str(), (home / relative).c_str()), 0);
    }
    ScanItem scanned(JunkKind kind) {
        for (const auto& item : scanner.scan().items)
            if (item.kind == kind) return item;
        ADD_FAILURE() << "the scan found nothing of kind " << JunkKinds::rawValue(kind);
        return {};
    }
};

} // namespace

// Whatever turns into a link after the scan (the item's own folder, the Trash, the Library
// above them), the clean-up reaches only what the scan saw: the files a link points at stay.
TEST_F(CleanerTest, ALinkMadeAfterTheScanRedirectsNothing) {
    struct Case {
        const char* name;
        JunkKind kind;
        const char* replaced;
        const char* decoy; // where the link leads: files of the same names
    } cases[] = {
        {"cache folder", JunkKind::caches, "Library/Caches/com.tool", "Documents/decoy"},
        {"Library", JunkKind::caches, "Library", "Documents/decoy-library"},
        {"Trash", JunkKind::trash, ".Trash", "Documents/decoy-trash"},
    };
    for (const auto& c : cases) {
        ScannedHome fixture;
        fixture.home.write("Library/Caches/com.tool/data.bin", "cache");
        fixture.home.write(".Trash/old/notes.txt", "trash");
        fixture.home.write("Documents/decoy/data.bin", "keep");
        fixture.home.write("Documents/decoy-library/Caches/com.tool/data.bin", "keep");
        fixture.home.write("Documents/decoy-trash/old/notes.txt", "keep");
        ScanItem item = fixture.scanned(c.kind);
        fixture.replaceWithLink(c.replaced, c.decoy);

        auto report = cleaner().clean({item}, std::nullopt, t0);
        ASSERT_EQ(report.failures.size(), 1u) << c.name;
        EXPECT_NE(report.failures[0].reason.find("is a link"), std::string::npos)
            << c.name << ": " << report.failures[0].reason;
        EXPECT_EQ(report.freed, 0) << c.name;
        for (const char* kept :
             {"Documents/decoy/data.bin", "Documents/decoy-library/Caches/com.tool/data.bin",
              "Documents/decoy-trash/old/notes.txt"})
            EXPECT_EQ(contentsOf(fixture.home / kept), "keep") << c.name << ": " << kept;
    }
}

// A user folder kept on another disk and linked into the home works as any other, as long
// as it still leads where it led when the home was scanned.
TEST_F(CleanerTest, AUserFolderThatIsALinkServesUntilItLeadsElsewhere) {
    ScannedHome fixture;
    TempDir dataDisk;
    dataDisk.write("Downloads/setup.dmg", "one");
    dataDisk.write("Downloads/tool.zip", "two");
    std::string victim = fixture.home.write("Documents/tool.zip", "keep");
    ASSERT_EQ(symlink((dataDisk / "Downloads").c_str(), (fixture.home / "Downloads").c_str()), 0);
    std::vector<ScanItem> items = {
        itemOf(JunkKind::downloads, {fixture.home / "Downloads/setup.dmg"}),
        itemOf(JunkKind::downloads, {fixture.home / "Downloads/tool.zip"})};
    fixture.scanner.noteScanFolders(items);

    auto moved = cleaner().clean({items[0]}, shelf, t0);
    EXPECT_TRUE(moved.failures.empty());
    EXPECT_FALSE(fileExists(dataDisk / "Downloads/setup.dmg"));
    ASSERT_TRUE(moved.sweep);

    fixture.replaceWithLink("Downloads", "Documents");
    auto refused = cleaner().clean({items[1]}, shelf, t0);
    ASSERT_EQ(refused.failures.size(), 1u);
    EXPECT_NE(refused.failures[0].reason.find("“Downloads” no longer leads"), std::string::npos)
        << refused.failures[0].reason;
    EXPECT_EQ(contentsOf(victim), "keep");
    EXPECT_EQ(contentsOf(dataDisk / "Downloads/tool.zip"), "two");
}

// The folders the scan looked in are taken as the scan listed them: one swapped for a link
// to somewhere else while the scan still runs leads the clean-up nowhere.
TEST_F(CleanerTest, AFolderSwappedForALinkDuringTheScanLeadsNowhere) {
    for (auto [folder, kind, file] : {std::tuple{".cache", JunkKind::caches, "tool/data.bin"},
                                      std::tuple{"Downloads", JunkKind::downloads, "Setup.dmg"}}) {
        ScannedHome fixture;
        TempDir outside;
        fixture.scanner.appUsage = [](const URL&) {
            return std::optional(AppUsage{daysAgo(400), daysAgo(400)});
        };
        fixture.home.write(std::string(folder) + "/" + file, "scanned");
        const std::string decoy = outside.write(file, "keep");
        auto scanned = fixture.scanner.scan([&](const std::string&, int step) {
            if (step == 4) fixture.replaceWithLink(folder, outside.path());
        });
        std::vector<ScanItem> found;
        std::copy_if(scanned.items.begin(), scanned.items.end(), std::back_inserter(found),
                     [&](const ScanItem& item) { return item.kind == kind; });

        auto report = cleaner().clean(found, std::nullopt, t0);
        EXPECT_EQ(contentsOf(decoy), "keep") << folder;
        ASSERT_EQ(report.failures.size(), 1u) << folder;
        EXPECT_NE(report.failures[0].reason.find("no longer leads to the folder the scan looked"),
                  std::string::npos)
            << report.failures[0].reason;
    }
}
