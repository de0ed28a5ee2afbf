#include "clean/Cleaner.h"

#include "CleanFixtures.h"
#include "engine/PathRules.h"
#include "support/FixtureScanner.h"
#include "support/MountNamespace.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const Cleaner cleaner([] { return std::vector<RunningApp>{}; },
                      [] { return std::vector<std::string>{"/usr/bin/true"}; });

} // namespace

// A file system mounted inside a folder the scan looks in (the document portal in the cache
// folder, a disk in the Trash, Downloads or a project), be it another disk or a bind mount of
// the home's own, is neither offered nor emptied by cleaning what an earlier scan offered.
TEST(MountGuard, AMountPointInAScannedFolderIsNeverOfferedNorEmptied) {
    struct Row {
        JunkKind kind;
        std::string mountedAt, offered; // the target an earlier scan offered there
    } rows[] = {{JunkKind::caches, ".cache/doc", ".cache/doc/by-app"},
                {JunkKind::trash, ".local/share/Trash/files/a", ".local/share/Trash/files/a"},
                {JunkKind::downloads, "Downloads/Setup.dmg", "Downloads/Setup.dmg"},
                {JunkKind::developer, "code/app/node_modules", "code/app/node_modules"}};
    for (const auto& row : rows) {
        for (bool bind : {false, true}) {
            TempDir home;
            setModificationDate(home.write("code/app/package.json"), daysAgo(400));
            const std::string mount = home.mkdir(row.mountedAt), bound = home.mkdir("bound");
            auto report = inMountNamespace([&]() -> std::string {
                if (!mountAt(mount, bind ? bound : "")) return "could not mount\n";
                home.write(row.mountedAt + "/by-app/user.data", "user data");
                DiskScanner scanner = fixtureScanner(home);
                scanner.appUsage = [](const URL&) {
                    return std::optional(AppUsage{daysAgo(400), daysAgo(400)});
                };
                std::string problems;
                for (const auto& item : scanner.scan().items)
                    if (NeverTouch({mount}).covers(item, true))
                        problems += "offered " + item.location.path() + "\n";
                std::vector<ScanItem> earlier = {itemOf(row.kind, {home / row.offered})};
                scanner.noteScanFolders(earlier);
                auto cleaned = cleaner.clean(earlier, std::nullopt, kFixtureNow);
                if (contentsOf(mount + "/by-app/user.data") != "user data") problems += "emptied\n";
                if (cleaned.failures.empty() ||
                    cleaned.failures[0].reason.find("mounted") == std::string::npos)
                    problems += "said nothing of the mount\n";
                return problems;
            });
            if (report == kNoMountNamespace) GTEST_SKIP() << "no mount namespace here";
            EXPECT_EQ(report, 0) << row.mountedAt << (bind ? " (bind mount)" : "");
        }
    }
}

// A disk (or a folder of the home mounted again) below a folder the scan looks in is not part
// of what removing that folder frees: nothing on it is offered, and none of it is counted in
// the sizes of what is.
TEST(MountGuard, FilesOnAFileSystemMountedBelowAScanFolderAreNeitherOfferedNorCounted) {
    for (bool bind : {false, true}) {
        SCOPED_TRACE(bind ? "a bind mount" : "a disk of its own");
        TempDir home;
        home.write(".cache/tool/own/blob", std::string(20000, 'o'));
        const std::string cacheMount = home.mkdir(".cache/tool/data/disk");
        const std::string documentsMount = home.mkdir("Documents/disk");
        home.write("Documents/notes.txt", std::string(3'000'000, 'n'));
        const std::string bound = home.mkdir("elsewhere");
        auto report = inMountNamespace([&]() -> std::string {
            for (const std::string& at : {cacheMount, documentsMount})
                if (!mountAt(at, bind ? bound : "")) return "could not mount\n";
            // The same large file twice on the mount, and once more beside it.
            home.write("Documents/disk/film.mov", std::string(3'000'000, 'n'));
            home.write("Documents/disk/copy.mov", std::string(3'000'000, 'n'));
            home.write(".cache/tool/data/disk/blob", std::string(900'000, 'd'));
            sync();
            DiskScanner scanner = fixtureScanner(home);
            scanner.largeSize = 1'000'000;
            scanner.duplicateMinSize = 1'000;
            std::string problems;
            for (const auto& item : scanner.scan().items) {
                for (const auto& target : item.targets)
                    for (const std::string& mount : {cacheMount, documentsMount})
                        if (isSameOrInside(target.path(), mount))
                            problems += "offered " + target.path() + "\n";
                // Its own files take some 30 KB; the file on the mount 900 KB.
                if (item.location.lastPathComponent() == "tool" && item.bytes >= 900'000)
                    problems += "counted the mount in the cache\n";
            }
            return problems;
        });
        if (report == kNoMountNamespace) GTEST_SKIP() << "no mount namespace here";
        EXPECT_EQ(report, 0);
    }
}

// A bind mount keeps the device number of what it shows: a Trash item with one inside stays
// in the Trash rather than carry it onto the Undo Shelf, and a clean-up on the shelf that
// holds one is purged around it.
TEST(MountGuard, TheUndoShelfNeitherTakesNorPurgesABindMount) {
    TempDir home;
    const std::string files = home.mkdir(".local/share/Trash/files");
    const std::string photos = home.write("Pictures/shared/photo.jpg", "user data");
    home.mkdir(".local/share/Trash/files/album/shared");
    home.mkdir(".local/share/Trash/files/box/shared");
    auto report = inMountNamespace([&]() -> std::string {
        UndoShelf shelf(URL::fileURL(home / "Shelf", true), 0);
        std::vector<ScanItem> items = {itemOf(JunkKind::trash, {files + "/album"}),
                                       itemOf(JunkKind::trash, {files + "/box"})};
        fixtureScanner(home).noteScanFolders(items);
        if (!mountAt(files + "/album/shared", home / "Pictures/shared")) return "no mount\n";
        std::string problems;
        auto kept = cleaner.clean({items[0]}, shelf, kFixtureNow);
        if (kept.sweep || !fileExists(files + "/album")) problems += "shelved the mount\n";
        auto shelved = cleaner.clean({items[1]}, shelf, kFixtureNow);
        if (!shelved.sweep) return problems + "shelved nothing\n";
        const std::string stored = home / ("Shelf/" + shelved.sweep->id + "/items/" +
                                           shelved.sweep->entries[0].files[0].stored);
        if (!mountAt(stored + "/shared", home / "Pictures/shared")) return "no second mount\n";
        shelf.purgeExpired(addSeconds(kFixtureNow, 1));
        if (contentsOf(photos) != "user data") problems += "the purge emptied the mount\n";
        return problems;
    });
    if (report == kNoMountNamespace) GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(report, 0);
}
