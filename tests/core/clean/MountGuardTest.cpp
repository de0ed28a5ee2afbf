#include "clean/Cleaner.h"

#include "CleanFixtures.h"
#include "engine/PathRules.h"
#include "support/FixtureScanner.h"
#include "support/MountNamespace.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// What the machine's other processes hold, or are named, has no part in what a mount keeps.
const Cleaner cleaner([] { return std::vector<RunningApp>{}; },
                      [] { return std::vector<std::string>{"/usr/bin/true"}; }, {},
                      [] { return std::vector<RunningProcess>{}; });

} // namespace

// A file system mounted inside a folder the scan looks in (the document portal in the cache
// folder, a disk in a cache, the Trash, Downloads, Documents or a project), be it another
// disk or a bind mount of the home's own, is not part of what removing that folder frees:
// nothing on it is offered (not even large or duplicate files), none of it is counted in the
// sizes of what is, and cleaning what an earlier scan offered never empties it.
TEST(MountGuard, AMountPointInAScannedFolderIsNeverOfferedNorCountedNorEmptied) {
    struct Row {
        JunkKind kind;
        std::string mountedAt, offered; // the target an earlier scan offered there
        bool inAnOfferedFolder = false; // what lies beside the mount is offered
    } rows[] = {{JunkKind::caches, ".cache/doc", ".cache/doc/by-app"},
                {JunkKind::caches, ".cache/tool/data/disk", ".cache/tool", true},
                {JunkKind::trash, ".local/share/Trash/files/a", ".local/share/Trash/files/a"},
                {JunkKind::downloads, "Downloads/Setup.dmg", "Downloads/Setup.dmg"},
                {JunkKind::largeFiles, "Documents/disk", "Documents/disk"},
                {JunkKind::developer, "code/app/node_modules", "code/app/node_modules"}};
    for (const auto& row : rows) {
        for (bool bind : {false, true}) {
            SCOPED_TRACE(row.mountedAt + (bind ? " (bind mount)" : ""));
            TempDir home;
            setModificationDate(home.write("code/app/package.json"), daysAgo(400));
            home.write(".cache/tool/own/blob", std::string(20000, 'o'));
            home.write("Documents/notes.txt", std::string(3'000'000, 'n'));
            const std::string mount = home.mkdir(row.mountedAt), bound = home.mkdir("bound");
            auto report = inMountNamespace([&]() -> std::string {
                if (!mountAt(mount, bind ? bound : "")) return "could not mount\n";
                home.write(row.mountedAt + "/by-app/user.data", "user data");
                // The same large file twice on the mount, and once more beside it, all of them
                // large and old enough to be offered.
                home.write(row.mountedAt + "/film.mov", std::string(3'000'000, 'n'));
                home.write(row.mountedAt + "/copy.mov", std::string(3'000'000, 'n'));
                DiskScanner scanner = fixtureScanner(home);
                scanner.appUsage = [](const URL&) {
                    return std::optional(AppUsage{daysAgo(400), daysAgo(400)});
                };
                scanner.largeSize = scanner.oldSize = 1'000'000;
                scanner.duplicateMinSize = 1'000;
                std::string problems;
                for (const auto& item : scanner.scan().items) {
                    if (!row.inAnOfferedFolder && NeverTouch({mount}).covers(item, true))
                        problems += "offered " + item.location.path() + "\n";
                    for (const auto& target : item.targets)
                        if (isSameOrInside(target.path(), mount))
                            problems += "offered " + target.path() + "\n";
                    // Its own files take some 30 KB; those on the mount 6 MB.
                    if (item.location.lastPathComponent() == "tool" && item.bytes >= 1'000'000)
                        problems += "counted the mount in the cache\n";
                }
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
            EXPECT_EQ(report, 0);
        }
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
