#include "clean/UndoShelf.h"

#include "CleanFixtures.h"
#include "clean/Cleaner.h"
#include "clean/ShelfManifest.h"
#include "engine/DiskScanner.h"
#include "model/Format.h"
#include "platform/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "support/DiskUsage.h"
#include "support/TempDir.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <regex>
#include <sys/file.h>
#include <sys/resource.h>
#include <thread>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const Date t0 = dateFromEpochSeconds(1'800'000'000.25);

// Files written past the limit fail as on a full disk; the hard limit stays open so the
// limit can be lifted again.
void limitFileSize(rlim_t bytes) {
    struct rlimit limit = {bytes, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
}
constexpr double day = 86400;

struct ShelfTest : ::testing::Test {
    TempDir tmp;
    UndoShelf shelf{URL::fileURL(tmp / "Shelf", true)};

    std::string itemsPath(const UndoShelf::Sweep& sweep, const std::string& stored) const {
        return joinPath(joinPath(joinPath(shelf.root.path(), sweep.id), "items"), stored);
    }
    UndoShelf::Sweep shelveOne(const std::vector<std::string>& paths, int64_t bytes = 100) {
        auto result = shelf.shelve({{itemOf(JunkKind::downloads, paths, bytes), "Label"}}, t0);
        EXPECT_TRUE(result.failures.empty());
        return result.sweep.value_or(UndoShelf::Sweep{});
    }
};

} // namespace

TEST_F(ShelfTest, ShelvingWritesOneFolderWithItsManifestAndItems) {
    std::string file = tmp.write("home/Downloads/a.txt", "alpha");
    tmp.write("home/Downloads/Project/inner/b.txt", "beta");
    std::string folder = tmp / "home/Downloads/Project";
    shelf.holdDays = 3;

    auto result = shelf.shelve({{itemOf(JunkKind::downloads, {file}, 10), "First"},
                                {itemOf(JunkKind::largeFiles, {folder}, 20), "Second"}},
                               t0);
    ASSERT_TRUE(result.sweep);
    EXPECT_TRUE(result.failures.empty());
    const auto& sweep = *result.sweep;
    EXPECT_TRUE(
        std::regex_match(sweep.id, std::regex(R"(\d{4}-\d\d-\d\dT\d\d-\d\d-\d\d-[0-9A-F]{6})")));
    EXPECT_EQ(sweep.id.substr(0, 19), Calendar::formatLocal(t0, "%Y-%m-%dT%H-%M-%S"));
    EXPECT_EQ(secondsBetween(sweep.date, sweep.expires), 3 * day);
    EXPECT_EQ(sweep.bytes(), 30);
    EXPECT_EQ(sweep.daysLeft(t0), 3);

    EXPECT_EQ(contentsOf(itemsPath(sweep, "0-0-a.txt")), "alpha");
    EXPECT_EQ(contentsOf(itemsPath(sweep, "1-0-Project") + "/inner/b.txt"), "beta");
    EXPECT_FALSE(fileExists(file));
    EXPECT_FALSE(fileExists(folder));

    std::string text = contentsOf(joinPath(joinPath(shelf.root.path(), sweep.id), "manifest.json"));
    auto json = nlohmann::json::parse(text);
    EXPECT_EQ(json["date"], "2027-01-15T08:00:00Z");
    EXPECT_EQ(json["expires"], "2027-01-18T08:00:00Z");
    EXPECT_EQ(json["id"], sweep.id);
    EXPECT_EQ(json["entries"][1]["files"][0]["original"], folder);
    EXPECT_EQ(json["entries"][1]["files"][0]["stored"], "1-0-Project");
    EXPECT_EQ(json["entries"][1]["kind"], "largeFiles");
    EXPECT_EQ(json["entries"][0]["label"], "First");
    EXPECT_EQ(json["entries"][0]["id"], "0");
    // Pretty-printed, keys sorted.
    EXPECT_LT(text.find("\"date\""), text.find("\"entries\""));
    EXPECT_LT(text.find("\"bytes\""), text.find("\"files\""));
    EXPECT_LT(text.find("\"files\""), text.find("\"label\""));
    EXPECT_NE(text.find("\n  \"date\""), std::string::npos);

    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].entries, sweep.entries);
    EXPECT_EQ(listed[0].date, dateFromEpochSeconds(1'800'000'000));
    EXPECT_EQ(shelf.bytes(), 30);
}

TEST_F(ShelfTest, NothingMovedLeavesNoSweepFolder) {
    auto none = shelf.shelve({}, t0);
    EXPECT_FALSE(none.sweep);
    auto missing = shelf.shelve({{itemOf(JunkKind::downloads, {tmp / "gone.txt"}), "Gone"}}, t0);
    EXPECT_FALSE(missing.sweep);
    ASSERT_EQ(missing.failures.size(), 1u);
    EXPECT_EQ(missing.failures[0].url.path(), tmp / "gone.txt");
    EXPECT_TRUE(listFolder(shelf.root).entries.empty());
}

TEST_F(ShelfTest, PutBackRestoresEveryFileByteForByteWithItsDateAndFolders) {
    std::string file = tmp.write("home/Docs/Deep/report.pdf", std::string("%PDF\0\x01\xff", 7));
    Date modified = dateFromEpochSeconds(1'700'000'000);
    ASSERT_TRUE(setModificationDate(file, modified));
    std::string bundle = tmp / "home/Apps/Notes.app";
    tmp.write("home/Apps/Notes.app/Contents/Info.plist", "plist");
    auto sweep = shelveOne({file, bundle});

    removeItem(tmp / "home/Docs");
    auto left = shelf.putBack(sweep.entries[0], sweep);
    EXPECT_FALSE(left);
    EXPECT_EQ(contentsOf(file), std::string("%PDF\0\x01\xff", 7));
    EXPECT_EQ(fileInfo(file)->modified, modified);
    EXPECT_EQ(contentsOf(bundle + "/Contents/Info.plist"), "plist");
    EXPECT_TRUE(shelf.sweeps().empty());
    EXPECT_FALSE(fileExists(joinPath(shelf.root.path(), sweep.id)));
}

TEST_F(ShelfTest, PutBackNeverReplacesWhatTookThePlace) {
    std::string file = tmp.write("report.pdf", "first");
    auto first = shelveOne({file});
    tmp.write("report.pdf", "second");
    auto second = shelveOne({file});
    tmp.write("report.pdf", "new");

    shelf.putBack(first.entries[0], first);
    shelf.putBack(second.entries[0], second);
    EXPECT_EQ(contentsOf(file), "new");
    EXPECT_EQ(contentsOf(tmp / "report (restored).pdf"), "first");
    EXPECT_EQ(contentsOf(tmp / "report (restored 2).pdf"), "second");

    // The mark goes before an archive's whole extension, never inside it.
    tmp.write("node.tar.xz");
    tmp.write("node (restored).tar.xz");
    tmp.write("Projects/x");
    EXPECT_EQ(UndoShelf::freeName(URL::fileURL(tmp / "node.tar.xz")).path(),
              tmp / "node (restored 2).tar.xz");
    tmp.write("notes.v2.txt");
    EXPECT_EQ(UndoShelf::freeName(URL::fileURL(tmp / "notes.v2.txt")).path(),
              tmp / "notes.v2 (restored).txt");
    EXPECT_EQ(UndoShelf::freeName(URL::fileURL(tmp / "Projects")).path(),
              tmp / "Projects (restored)");
    EXPECT_EQ(UndoShelf::freeName(URL::fileURL(tmp / "free.txt")).path(), tmp / "free.txt");
}

// A Trash item comes back beside what took its name with its record renamed to match
// ("info/<new name>.trashinfo"), so a file manager can still restore it; the two take the
// first name free for both.
TEST_F(ShelfTest, ATrashItemPutBackUnderANewNameTakesItsRecordAlong) {
    const std::string trash = ".local/share/Trash/";
    struct Case {
        std::string name;
        std::vector<std::string> taken; // what took names since, relative to the Trash
        std::string back;               // the name the item and its record come back under
    } cases[] = {
        {"report.pdf", {"files/report.pdf"}, "report (restored).pdf"},
        {"node.tar.xz", {"files/node.tar.xz"}, "node (restored).tar.xz"},
        {"photo.jpg",
         {"files/photo.jpg", "info/photo (restored).jpg.trashinfo"},
         "photo (restored 2).jpg"},
        {"notes", {"info/notes.trashinfo"}, "notes (restored)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string item = tmp.write(trash + "files/" + c.name, "thrown " + c.name);
        std::string record = tmp.write(trash + "info/" + c.name + ".trashinfo",
                                       "[Trash Info]\nPath=/home/al/" + c.name + "\n");
        auto sweep = shelf.shelve({{itemOf(JunkKind::trash, {item, record}), c.name}}, t0);
        ASSERT_TRUE(sweep.sweep);
        for (const auto& taken : c.taken)
            tmp.write(trash + taken, "taken");

        shelf.putBackAll(*sweep.sweep);
        EXPECT_EQ(contentsOf(tmp / (trash + "files/" + c.back)), "thrown " + c.name);
        EXPECT_EQ(contentsOf(tmp / (trash + "info/" + c.back + ".trashinfo")),
                  "[Trash Info]\nPath=/home/al/" + c.name + "\n");
        for (const auto& taken : c.taken)
            EXPECT_EQ(contentsOf(tmp / (trash + taken)), "taken");
        removeItem(tmp / ".local");
    }
}

// The shelf never takes the folder it lives in (or one holding it) onto itself, by any
// path that names it, and says so in plain words rather than with the system's error.
TEST_F(ShelfTest, ShelvingTheFolderThatHoldsTheShelfIsRefusedInPlainWords) {
    std::string data = tmp.mkdir("Data/Kelvora/Undo Shelf");
    ASSERT_EQ(symlink((tmp / "Data").c_str(), (tmp / "LinkedData").c_str()), 0);
    const UndoShelf inside(URL::fileURL(tmp / "Data/Kelvora/Undo Shelf", true));
    const UndoShelf throughLink(URL::fileURL(tmp / "LinkedData/Kelvora/Undo Shelf", true));
    struct Case {
        const char* name;
        const UndoShelf& shelf;
        std::string target;
    } cases[] = {
        {"its parent", inside, tmp / "Data/Kelvora"},
        {"a folder above it", inside, tmp / "Data"},
        {"the shelf itself", inside, data},
        {"its real parent, the shelf named through a link", throughLink, tmp / "Data/Kelvora"},
    };
    for (const auto& c : cases) {
        auto result = c.shelf.shelve({{itemOf(JunkKind::largeFiles, {c.target}), "Data"}}, t0);
        EXPECT_FALSE(result.sweep) << c.name;
        ASSERT_EQ(result.failures.size(), 1u) << c.name;
        EXPECT_NE(result.failures[0].reason.find("it holds or lies inside the Undo Shelf"),
                  std::string::npos)
            << c.name << ": " << result.failures[0].reason;
        EXPECT_EQ(result.failures[0].reason.find("Invalid argument"), std::string::npos);
        EXPECT_TRUE(fileExists(c.target)) << c.name;
    }
}

TEST_F(ShelfTest, PutBackOfOneEntryKeepsTheRestListed) {
    std::string a = tmp.write("a.txt", "a");
    std::string b = tmp.write("b.txt", "b");
    auto result = shelf.shelve(
        {{itemOf(JunkKind::downloads, {a}, 5), "A"}, {itemOf(JunkKind::downloads, {b}, 7), "B"}},
        t0);
    ASSERT_TRUE(result.sweep);
    auto left = shelf.putBack(result.sweep->entries[0], *result.sweep);
    ASSERT_TRUE(left);
    ASSERT_EQ(left->entries.size(), 1u);
    EXPECT_EQ(left->entries[0].label, "B");
    EXPECT_EQ(shelf.sweeps().at(0).bytes(), 7);
    EXPECT_EQ(contentsOf(a), "a");

    // A second window still holding the old value cannot put the same entry back twice.
    EXPECT_THROW(shelf.putBack(result.sweep->entries[0], *result.sweep), UndoShelf::Error);

    shelf.putBackAll(*left);
    EXPECT_EQ(contentsOf(b), "b");
    EXPECT_TRUE(shelf.sweeps().empty());
}

TEST_F(ShelfTest, PurgeRemovesAtTheExactSecondOfExpiry) {
    shelf.holdDays = 7;
    auto sweep = shelveOne({tmp.write("a.txt")}, 42);
    Date expires = shelf.sweeps().at(0).expires;
    EXPECT_EQ(secondsBetween(dateFromEpochSeconds(1'800'000'000), expires), 7 * day);
    EXPECT_EQ(shelf.purgeExpired(addSeconds(expires, -1)), 0);
    EXPECT_EQ(shelf.sweeps().size(), 1u);
    EXPECT_EQ(shelf.purgeExpired(expires), 42);
    EXPECT_TRUE(shelf.sweeps().empty());
    EXPECT_FALSE(fileExists(joinPath(shelf.root.path(), sweep.id)));

    shelf.holdDays = 0;
    shelveOne({tmp.write("b.txt")}, 5);
    EXPECT_EQ(shelf.purgeExpired(t0), 5);
}

TEST_F(ShelfTest, EmptyingRemovesTheSweepAndReturnsItsBytes) {
    auto sweep = shelveOne({tmp.write("a.txt")}, 9);
    EXPECT_EQ(shelf.empty(sweep), 9);
    EXPECT_TRUE(shelf.sweeps().empty());
    EXPECT_THROW(shelf.empty(sweep), UndoShelf::Error);
}

TEST_F(ShelfTest, ReaderSkipsWhatIsNotAReadableManifest) {
    UndoShelf nowhere(URL::fileURL(tmp / "no-such-shelf", true));
    EXPECT_TRUE(nowhere.sweeps().empty());
    EXPECT_EQ(nowhere.bytes(), 0);

    auto good = shelveOne({tmp.write("a.txt")}, 3);
    std::string root = shelf.root.path();
    std::string valid = contentsOf(joinPath(joinPath(root, good.id), "manifest.json"));
    auto withManifest = [&](const std::string& name, const std::string& text) {
        tmp.write("Shelf/" + name + "/manifest.json", text);
    };
    tmp.write("Shelf/.DS_Store", "junk");
    tmp.mkdir("Shelf/no-manifest/items");
    withManifest("half", valid.substr(0, valid.size() / 2));
    withManifest("empty", "");
    withManifest("not-an-object", "[1, 2]");
    auto json = nlohmann::json::parse(valid);
    // Each damaged record names its own folder, so that only its damage can make it unreadable.
    auto damaged = [&](const std::string& name,
                       const std::function<void(nlohmann::json&)>& change) {
        auto copy = json;
        copy["id"] = name;
        change(copy);
        withManifest(name, copy.dump());
    };
    damaged("no-expires", [](auto& j) { j.erase("expires"); });
    damaged("bytes-real", [](auto& j) { j["entries"][0]["bytes"] = 1.5; });
    damaged("bytes-text", [](auto& j) { j["entries"][0]["bytes"] = "3"; });
    damaged("bad-date", [](auto& j) { j["date"] = "yesterday"; });
    damaged("date-fraction", [](auto& j) { j["date"] = "2027-01-15T08:00:00.5Z"; });
    damaged("date-offset", [](auto& j) { j["expires"] = "2027-01-18T09:00:00+01:00"; });
    damaged("date-no-day", [](auto& j) { j["date"] = "2027-02-31T08:00:00Z"; });
    damaged("climbs-out", [](auto& j) { j["id"] = "../.."; });
    damaged("stored-climbs", [](auto& j) { j["entries"][0]["files"][0]["stored"] = "../../x"; });
    damaged("extra-key", [](auto& j) {
        j["note"] = "kept";
        j["date"] = "2030-01-01T00:00:00Z";
    });
    tmp.write("Shelf/extra-key/items/0-0-a.txt");

    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, "extra-key"); // newest first
    EXPECT_EQ(listed[1].id, good.id);
    // Purging never touches what it cannot read.
    shelf.purgeExpired(dateFromEpochSeconds(4'000'000'000));
    EXPECT_TRUE(fileExists(tmp / "Shelf/climbs-out/manifest.json"));
    EXPECT_TRUE(fileExists(tmp / "Shelf/no-manifest/items"));
}

TEST_F(ShelfTest, ShelfWithoutAFolderTouchesNothing) {
    std::string file = tmp.write("a.txt");
    UndoShelf unset;
    auto result = unset.shelve({{itemOf(JunkKind::downloads, {file}), "A"}}, t0);
    EXPECT_FALSE(result.sweep);
    EXPECT_EQ(result.failures.size(), 1u);
    EXPECT_TRUE(fileExists(file));
    EXPECT_TRUE(unset.sweeps().empty());
    EXPECT_EQ(unset.purgeExpired(t0), 0);
    EXPECT_THROW(unset.empty(UndoShelf::Sweep{"x", t0, t0, {}}), UndoShelf::Error);
}

TEST_F(ShelfTest, ShelfFolderThatIsALinkStillListsPutsBackAndPurges) {
    std::string real = tmp.mkdir("Elsewhere/Shelf");
    ASSERT_EQ(symlink(real.c_str(), (tmp / "Linked").c_str()), 0);
    UndoShelf linked(URL::fileURL(tmp / "Linked", true));
    std::string a = tmp.write("a.txt", "a");
    auto made = linked.shelve({{itemOf(JunkKind::downloads, {a}, 4), "A"}}, t0);
    ASSERT_TRUE(made.sweep);
    std::string b = tmp.write("b.txt", "b");
    linked.shelve({{itemOf(JunkKind::downloads, {b}, 6), "B"}}, t0);

    auto listed = linked.sweeps();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(linked.bytes(), 10);
    auto first = std::find_if(listed.begin(), listed.end(),
                              [&](const UndoShelf::Sweep& s) { return s.id == made.sweep->id; });
    ASSERT_NE(first, listed.end());
    linked.putBackAll(*first);
    EXPECT_EQ(contentsOf(a), "a");
    EXPECT_EQ(linked.purgeExpired(dateFromEpochSeconds(4'000'000'000)), 6);
    EXPECT_TRUE(listFolder(URL::fileURL(real, true)).entries.empty());
}

TEST_F(ShelfTest, SweepsOfTheSameSecondGetDifferentIdentifiers) {
    auto a = shelveOne({tmp.write("a.txt")});
    auto b = shelveOne({tmp.write("b.txt")});
    EXPECT_NE(a.id, b.id);
    EXPECT_EQ(shelf.sweeps().size(), 2u);
    EXPECT_EQ(a.id.substr(0, 19), b.id.substr(0, 19));
}

TEST_F(ShelfTest, DaysLeftRoundsUpAndNeverDropsBelowOne) {
    UndoShelf::Sweep sweep{"x", t0, addSeconds(t0, 7 * day), {}};
    EXPECT_EQ(sweep.daysLeft(t0), 7);
    EXPECT_EQ(sweep.daysLeft(addSeconds(sweep.expires, -3 * day)), 3);
    EXPECT_EQ(sweep.daysLeft(addSeconds(sweep.expires, -3 * day - 1)), 4);
    EXPECT_EQ(sweep.daysLeft(sweep.expires), 1);
    EXPECT_EQ(sweep.daysLeft(addSeconds(sweep.expires, 5 * day)), 1);
}

// ---- Mended faults ----

TEST_F(ShelfTest, ManifestThatCannotBeSavedPutsEveryFileBack) {
    std::string a = tmp.write("a.txt", "a");
    std::string b = tmp.write("Folder/b.txt", "b");
    std::string c = tmp.write("c.txt", "c");
    int status = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        limitFileSize(16);
        auto result = shelf.shelve({{itemOf(JunkKind::downloads, {a, tmp / "Folder"}), "A"},
                                    {itemOf(JunkKind::downloads, {c}), "C"}},
                                   t0);
        if (result.sweep || result.failures.size() != 3) return 1;
        for (const auto& failure : result.failures)
            if (failure.reason.rfind("Couldn’t save the Undo Shelf: ", 0) != 0) return 2;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(contentsOf(a), "a");
    EXPECT_EQ(contentsOf(b), "b");
    EXPECT_EQ(contentsOf(c), "c");
    EXPECT_TRUE(listFolder(shelf.root).entries.empty());
}

TEST_F(ShelfTest, NameThatIsNotValidTextStaysWhileTheRestIsShelved) {
    std::string a = tmp.write("a.txt", "a");
    // A name from an old archive, in a legacy encoding: the manifest cannot record it.
    std::string odd = tmp.write("bad\xff.txt", "odd");
    std::string inside = tmp.write("Odd\xfe/c.txt", "c");
    auto result = shelf.shelve({{itemOf(JunkKind::downloads, {a}, 5), "A"},
                                {itemOf(JunkKind::downloads, {odd}, 7), "Odd"},
                                {itemOf(JunkKind::downloads, {inside}, 9), "C"}},
                               t0);
    ASSERT_TRUE(result.sweep);
    ASSERT_EQ(result.sweep->entries.size(), 1u);
    EXPECT_EQ(result.sweep->entries[0].label, "A");
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].url.path(), odd);
    EXPECT_EQ(result.failures[1].url.path(), inside);
    EXPECT_NE(result.failures[0].reason.find("not valid text"), std::string::npos);
    EXPECT_EQ(contentsOf(odd), "odd");
    EXPECT_EQ(contentsOf(inside), "c");
    EXPECT_FALSE(fileExists(a));
    EXPECT_EQ(shelf.sweeps().size(), 1u);
}

TEST_F(ShelfTest, ManifestWriteCutShortByTheDiskPutsEveryFileBack) {
    std::string a = tmp.write("a.txt", "a");
    int status = inChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        limitFileSize(16);
        auto result = shelf.shelve({{itemOf(JunkKind::downloads, {a}), "A"}}, t0);
        if (result.sweep || result.failures.size() != 1) return 1;
        return result.failures[0].reason.rfind("Couldn’t save the Undo Shelf: ", 0) == 0 ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(contentsOf(a), "a");
    EXPECT_TRUE(listFolder(shelf.root).entries.empty());
}

namespace {
// Set up for the signal handler below: when the manifest write hits the file-size limit, the
// original folder is swapped for a file, so the rollback cannot put the item back.
const char* blockedFolder = nullptr;
const char* blockedFolderMoved = nullptr;
void blockRollback(int) {
    limitFileSize(RLIM_INFINITY);
    rename(blockedFolder, blockedFolderMoved);
    close(open(blockedFolder, O_CREAT | O_WRONLY, 0644));
}
} // namespace

TEST_F(ShelfTest, FileThatCannotGoBackAfterAFailedSaveStaysListedAndNamed) {
    std::string kept = tmp.write("Place/kept.txt", "kept");
    // A second file of the same entry goes back; the entry then holds only the first.
    std::string back = tmp.write("Other/back.txt", std::string(20000, 'b'));
    std::string folder = tmp / "Place";
    std::string moved = tmp / "Place-moved";
    // The plan, written compactly before anything moves, fits; the readable manifest that
    // follows the moves does not.
    UndoShelf::Sweep planned{
        std::string(26, 'X'),
        t0,
        addSeconds(t0, 7 * day),
        {{"0", "Kept", "downloads", kept, 100, {{kept, "0-0-kept.txt"}, {back, "0-1-back.txt"}}}}};
    auto scanFolder =
        DiskScanner::scanFolderOf(URL::fileURL(kept), DiskScanner::live().scanFolders());
    ASSERT_TRUE(scanFolder);
    auto identity = folderIdentityAt(scanFolder->path()).value();
    planned.entries[0].scannedIn = {{scanFolder->path(), {{identity.device, identity.inode}}}};
    size_t planSize = encodeManifest(planned, false).text->size();
    size_t manifestSize = encodeManifest(planned).text->size();
    ASSERT_LT(planSize + 8, manifestSize);
    ScanItem entryItem = itemOf(JunkKind::downloads, {kept, back});
    entryItem.bytes = duBytes({kept, back});
    int status = inChild([&] {
        blockedFolder = folder.c_str();
        blockedFolderMoved = moved.c_str();
        signal(SIGXFSZ, blockRollback);
        limitFileSize((planSize + manifestSize) / 2);
        auto result = shelf.shelve({{entryItem, "Kept"}}, t0);
        if (result.sweep || result.failures.size() != 2) return 1;
        if (result.failures[1].reason.find("kept at") != std::string::npos) return 4;
        const std::string& reason = result.failures[0].reason;
        if (reason.rfind("Couldn’t save the Undo Shelf: ", 0) != 0) return 2;
        return reason.find("kept at " + shelf.root.path()) != std::string::npos ? 0 : 3;
    });
    ASSERT_EQ(status, 0);
    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    ASSERT_EQ(listed[0].entries.size(), 1u);
    EXPECT_EQ(listed[0].entries[0].files[0].original, kept);
    EXPECT_EQ(contentsOf(itemsPath(listed[0], listed[0].entries[0].files[0].stored)), "kept");
    EXPECT_EQ(listed[0].entries[0].files.size(), 1u);
    EXPECT_EQ(listed[0].entries[0].bytes,
              duBytes(itemsPath(listed[0], listed[0].entries[0].files[0].stored)));
    EXPECT_EQ(contentsOf(back).size(), 20000u);

    // Once the place is free again, the file can be put back like any other.
    removeItem(folder);
    moveItem(moved, folder);
    shelf.putBackAll(listed[0]);
    EXPECT_EQ(contentsOf(kept), "kept");
    EXPECT_TRUE(shelf.sweeps().empty());
}

TEST_F(ShelfTest, AnInterruptedRemovalIsStillListedAndFinishedByTheNextPurge) {
    auto sweep = shelveOne({tmp.write("a.txt"), tmp.write("b.txt")}, 8);
    std::string folder = joinPath(shelf.root.path(), sweep.id);
    // Something the unprivileged user cannot delete stops the removal part-way.
    std::string stuck = tmp.write("Shelf/" + sweep.id + "/items/zz-stuck/file");
    chown(tmp.path().c_str(), 65534, 65534);
    for (const auto& path :
         {shelf.root.path(), folder, folder + "/items", folder + "/manifest.json",
          itemsPath(sweep, "0-0-a.txt"), itemsPath(sweep, "0-1-b.txt")})
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    int status = inChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0) return 3;
        try {
            shelf.empty(sweep);
            return 1;
        } catch (const UndoShelf::Error&) {
        }
        // Still there, and the purge says why.
        auto purge = shelf.purge(dateFromEpochSeconds(4'000'000'000));
        if (purge.bytes != 0 || purge.stillHeld.size() != 1) return 2;
        return purge.stillHeld[0].find("permission was refused") != std::string::npos ? 0 : 4;
    });
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(fileExists(folder + "/manifest.json"));
    EXPECT_FALSE(fileExists(itemsPath(sweep, "0-0-a.txt")));
    ASSERT_EQ(shelf.sweeps().size(), 1u);
    // The user asked for it to go: the next purge finishes it even though its hold has not
    // ended.
    EXPECT_EQ(shelf.purgeExpired(addSeconds(t0, 1)), 8);
    EXPECT_FALSE(fileExists(folder));
}

TEST_F(ShelfTest, ChangesWaitForTheLockOnTheRoot) {
    shelf.holdDays = 0;
    shelveOne({tmp.write("a.txt")}, 4);
    int fd = open(shelf.root.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    std::atomic<int64_t> purged{-1};
    std::thread purger([&] { purged = shelf.purgeExpired(addSeconds(t0, 1)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(purged.load(), -1);
    EXPECT_EQ(shelf.sweeps().size(), 1u);
    flock(fd, LOCK_UN);
    close(fd);
    purger.join();
    EXPECT_EQ(purged.load(), 4);
}

TEST_F(ShelfTest, MissingStoredItemIsReportedNotCountedAsRestored) {
    std::string a = tmp.write("a.txt", "a");
    std::string b = tmp.write("b.txt", "b");
    auto sweep = shelveOne({a, b});
    removeItem(itemsPath(sweep, "0-1-b.txt"));
    try {
        shelf.putBack(sweep.entries[0], sweep);
        FAIL() << "a missing item was counted as put back";
    } catch (const UndoShelf::Error& error) {
        EXPECT_NE(std::string(error.what()).find("“b.txt” is no longer on the Undo Shelf"),
                  std::string::npos);
    }
    EXPECT_EQ(contentsOf(a), "a");
    EXPECT_FALSE(fileExists(b));
    // What was there came back; nothing is left to put back, so the clean-up is gone.
    EXPECT_TRUE(shelf.sweeps().empty());

    auto purged = shelveOne({tmp.write("c.txt")});
    shelf.empty(purged);
    EXPECT_THROW(shelf.putBackAll(purged), UndoShelf::Error);
}

TEST_F(ShelfTest, LongNamesAreShortenedOnTheShelfAndComeBackWhole) {
    std::string name = std::string(200, 'n') + std::string("é", 2) + std::string(49, 'x') + ".txt";
    ASSERT_EQ(name.size(), 255u);
    // Written directly: an atomic write's temporary name would itself be too long.
    auto writeDirect = [](const std::string& path, const std::string& text) {
        FILE* out = fopen(path.c_str(), "w");
        ASSERT_TRUE(out);
        fputs(text.c_str(), out);
        fclose(out);
    };
    std::string file = tmp / name;
    writeDirect(file, "long");
    auto sweep = shelveOne({file});
    ASSERT_EQ(sweep.entries.size(), 1u);
    const std::string& stored = sweep.entries[0].files[0].stored;
    EXPECT_LE(stored.size(), 255u);
    EXPECT_EQ(stored.rfind("0-0-nnn", 0), 0u);
    EXPECT_EQ(stored.substr(stored.size() - 4), ".txt");

    writeDirect(file, "taken");
    shelf.putBack(sweep.entries[0], sweep);
    EXPECT_EQ(contentsOf(file), "taken");
    auto back = listFolder(tmp.url());
    bool found = false;
    for (const auto& entry : back.entries)
        if (entry.name.find("(restored).txt") != std::string::npos) {
            found = true;
            EXPECT_LE(entry.name.size(), 255u);
            EXPECT_EQ(contentsOf(entry.url.path()), "long");
        }
    EXPECT_TRUE(found);
}

// A target that cannot be moved part-way through a clean-up: every file ends up either where
// it was, or on the shelf and listed by its manifest.
TEST_F(ShelfTest, UnmovableTargetHalfWayLosesNothing) {
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i)
        paths.push_back(tmp.write("f" + std::to_string(i) + ".bin", "data" + std::to_string(i)));
    std::string pinned = paths[3];
    if (system(("chattr +i '" + pinned + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "this file system cannot make a file immutable";
    auto result = shelf.shelve({{itemOf(JunkKind::downloads, {paths[0], paths[1]}, 60), "A"},
                                {itemOf(JunkKind::downloads, {paths[2], paths[3]}, 60), "B"},
                                {itemOf(JunkKind::downloads, {paths[4], paths[5]}, 60), "C"}},
                               t0);
    system(("chattr -i '" + pinned + "'").c_str());
    ASSERT_TRUE(result.sweep);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].url.path(), pinned);

    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    for (int i = 0; i < 6; ++i) {
        bool inPlace = contentsOf(paths[i]) == "data" + std::to_string(i);
        bool onShelf = false;
        for (const auto& entry : listed[0].entries)
            for (const auto& file : entry.files)
                if (file.original == paths[i])
                    onShelf =
                        contentsOf(itemsPath(listed[0], file.stored)) == "data" + std::to_string(i);
        EXPECT_NE(inPlace, onShelf) << paths[i];
    }
    EXPECT_TRUE(fileExists(pinned));
    EXPECT_EQ(listed[0].entries.size(), 3u);
}

TEST_F(ShelfTest, ItemOnAnotherDiskStaysWhereItIsWithAReason) {
    std::string other = "/dev/shm/kelvora-shelf-XXXXXX";
    int fd = mkstemp(other.data());
    if (fd < 0) GTEST_SKIP() << "no second file system to move from";
    close(fd);
    auto result = shelf.shelve({{itemOf(JunkKind::downloads, {other}), "Other"}}, t0);
    bool stillThere = fileExists(other);
    removeItem(other);
    EXPECT_TRUE(stillThere);
    EXPECT_FALSE(result.sweep);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_NE(result.failures[0].reason.find("another disk"), std::string::npos);
}

// ---- What the shelf acts on, and what it puts back ----

namespace {

// Bytes this process has handed to write calls so far.
long long bytesWritten() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "wchar:") return value;
    return 0;
}

} // namespace

// Purging reads each clean-up from its own folder and never through a link: a manifest
// copied under another name, or a link among the clean-ups, makes nothing else go.
TEST_F(ShelfTest, PurgeActsOnlyOnTheFolderEachManifestWasReadFrom) {
    auto held = shelveOne({tmp.write("held.txt", "held")}, 5);
    auto manifest = nlohmann::json::parse(
        contentsOf(joinPath(joinPath(shelf.root.path(), held.id), "manifest.json")));
    manifest["date"] = manifest["expires"] = "2000-01-01T00:00:00Z";
    tmp.write("Shelf/2000-01-01T00-00-00-AAAAAA/manifest.json", manifest.dump());
    tmp.write("Shelf/2000-01-01T00-00-00-AAAAAA/items/0-0-held.txt", "copy");
    manifest["id"] = "linked";
    tmp.write("outside/manifest.json", manifest.dump());
    std::string outside = tmp.write("outside/items/0-0-held.txt", "outside");
    ASSERT_EQ(symlink((tmp / "outside").c_str(), (tmp / "Shelf/linked").c_str()), 0);

    EXPECT_EQ(shelf.purgeExpired(addSeconds(t0, day)), 0);
    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].id, held.id);
    EXPECT_EQ(contentsOf(itemsPath(held, "0-0-held.txt")), "held");
    EXPECT_EQ(contentsOf(outside), "outside");
}

TEST_F(ShelfTest, ACleanUpHoldingATreeDeeperThanAnyPathIsPurged) {
    shelf.holdDays = 0;
    auto sweep = shelveOne({tmp.deepChain("Projects/generated", 400)}, 10);
    auto purge = shelf.purge(t0);
    EXPECT_EQ(purge.bytes, 10);
    EXPECT_TRUE(purge.stillHeld.empty());
    EXPECT_FALSE(fileExists(joinPath(shelf.root.path(), sweep.id)));
}

// A manifest edited by hand, or damaged, cannot send a file anywhere but to a plain place.
TEST_F(ShelfTest, PutBackRefusesAPlaceThatIsNotAPlainFullPath) {
    std::vector<UndoShelf::LabelledItem> items;
    for (const char* name : {"plain.txt", "up.txt", "here.txt", "twice.txt", "relative.txt"})
        items.push_back({itemOf(JunkKind::downloads, {tmp.write(name, name)}), name});
    auto sweep = shelf.shelve(items, t0).sweep.value();
    sweep.entries[1].files[0].original = tmp / "home/../escaped/up.txt";
    sweep.entries[2].files[0].original = tmp / "home/./here.txt";
    sweep.entries[3].files[0].original = tmp.path() + "//twice.txt";
    sweep.entries[4].files[0].original = "Downloads/relative.txt";
    writeFileAtomically(joinPath(joinPath(shelf.root.path(), sweep.id), "manifest.json"),
                        *encodeManifest(sweep).text);

    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    try {
        shelf.putBackAll(listed[0]);
        FAIL() << "a place with a way round it was accepted";
    } catch (const UndoShelf::Error& error) {
        std::string text = error.what();
        EXPECT_NE(text.find("“up.txt” can’t be put back: the place it came from, “" + tmp.path() +
                            "/home/../escaped/up.txt”, is not a plain full path"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("(and 3 more stayed on the Undo Shelf)"), std::string::npos) << text;
    }
    EXPECT_EQ(contentsOf(tmp / "plain.txt"), "plain.txt");
    EXPECT_FALSE(fileExists(tmp / "escaped"));
    EXPECT_FALSE(fileExists(tmp / "home"));
    ASSERT_EQ(shelf.sweeps().size(), 1u);
    EXPECT_EQ(shelf.sweeps()[0].entries.size(), 4u);
    EXPECT_EQ(contentsOf(itemsPath(sweep, sweep.entries[4].files[0].stored)), "relative.txt");
}

TEST_F(ShelfTest, PutAllBackPutsBackWhatItCanAndNamesTheRestInOneMessage) {
    std::vector<UndoShelf::LabelledItem> items;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "Blocked/e.txt"})
        items.push_back({itemOf(JunkKind::downloads, {tmp.write(name, name)}), name});
    auto sweep = shelf.shelve(items, t0).sweep.value();
    removeItem(itemsPath(sweep, "1-0-b.txt"));
    removeItem(itemsPath(sweep, "3-0-d.txt"));
    removeItem(tmp / "Blocked");
    tmp.write("Blocked", "a file where the folder was");

    try {
        shelf.putBackAll(sweep);
        FAIL() << "what could not go back went unreported";
    } catch (const UndoShelf::Error& error) {
        std::string text = error.what();
        EXPECT_NE(text.find("Could not create " + tmp / "Blocked"), std::string::npos) << text;
        EXPECT_NE(text.find("; “b.txt” and “d.txt” are no longer on the Undo Shelf, so they "
                            "can’t be put back"),
                  std::string::npos)
            << text;
    }
    EXPECT_EQ(contentsOf(tmp / "a.txt"), "a.txt");
    EXPECT_EQ(contentsOf(tmp / "c.txt"), "c.txt");
    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    ASSERT_EQ(listed[0].entries.size(), 1u);
    EXPECT_EQ(listed[0].entries[0].label, "Blocked/e.txt");
    EXPECT_EQ(contentsOf(itemsPath(sweep, "4-0-e.txt")), "Blocked/e.txt");
}

TEST_F(ShelfTest, PutBackWhoseMoveFailsKeepsTheItemListed) {
    std::string elsewhere = tmp.mkdir("Elsewhere");
    struct Case {
        const char* name;
        std::function<void(const std::string& folder)> block;
        const char* reason;
    } cases[] = {
        {"its folder became a file",
         [&](const std::string& folder) { tmp.write(lastComponent(folder), "file"); },
         "something else is there"},
        // Put back never goes through a link, wherever it leads.
        {"its folder became a link",
         [&](const std::string& folder) { symlink(elsewhere.c_str(), folder.c_str()); },
         "is a link, and nothing is put back through one"},
    };
    for (const auto& c : cases) {
        std::string file = tmp.write(std::string("Place/") + c.name, "kept");
        auto sweep = shelveOne({file});
        removeItem(tmp / "Place");
        c.block(tmp / "Place");
        try {
            shelf.putBack(sweep.entries[0], sweep);
            ADD_FAILURE() << c.name << ": the failed move went unreported";
        } catch (const UndoShelf::Error& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                << c.name << ": " << error.what();
        }
        ASSERT_EQ(shelf.sweeps().size(), 1u) << c.name;
        EXPECT_EQ(contentsOf(itemsPath(sweep, sweep.entries[0].files[0].stored)), "kept");
        removeItem(tmp / "Place");
        shelf.putBack(sweep.entries[0], sweep);
        EXPECT_EQ(contentsOf(file), "kept") << c.name;
        removeItem(tmp / "Place");
    }
    EXPECT_TRUE(listFolder(URL::fileURL(elsewhere, true)).entries.empty());
}

// Each entry put back costs the same however many there are: the manifest is rewritten a
// few times in all, not once per entry.
TEST_F(ShelfTest, PuttingBackManyEntriesRewritesTheManifestAFewTimesInAll) {
    std::vector<UndoShelf::LabelledItem> items;
    for (int i = 0; i < 2500; ++i) {
        std::string name = "f" + std::to_string(i) + ".txt";
        std::string file = writeUnsynced(tmp / ("many/" + name), name);
        items.push_back({itemOf(JunkKind::downloads, {file}), name});
    }
    auto sweep = shelf.shelve(items, t0).sweep.value();
    auto manifest = fileInfo(joinPath(joinPath(shelf.root.path(), sweep.id), "manifest.json"));
    ASSERT_TRUE(manifest);

    long long before = bytesWritten();
    shelf.putBackAll(sweep);
    EXPECT_LT(bytesWritten() - before, 3 * manifest->logicalSize);
    EXPECT_TRUE(shelf.sweeps().empty());
    EXPECT_EQ(contentsOf(tmp / "many/f2499.txt"), "f2499.txt");
}

// Figures anyone can write into a manifest add up to the largest size, never to a negative
// one that would print as "-0 KB" and be subtracted from the disk's history.
TEST_F(ShelfTest, SizesPinAtTheLargestFigureInsteadOfWrapping) {
    constexpr int64_t most = std::numeric_limits<int64_t>::max();
    auto sweep = shelf
                     .shelve({{itemOf(JunkKind::downloads, {tmp.write("a.txt")}, most), "A"},
                              {itemOf(JunkKind::downloads, {tmp.write("b.txt")}, most), "B"}},
                             t0)
                     .sweep.value();
    shelveOne({tmp.write("c.txt")}, most);
    EXPECT_EQ(sweep.bytes(), most);
    EXPECT_EQ(shelf.bytes(), most);
    EXPECT_NE(Format::size(shelf.bytes()).front(), '-');
    EXPECT_EQ(shelf.purgeExpired(dateFromEpochSeconds(4'000'000'000)), most);

    Cleaner cleaner([] { return std::vector<RunningApp>{}; });
    auto report = cleaner.clean({itemOf(JunkKind::logs, {tmp.write("x.log")}, most),
                                 itemOf(JunkKind::logs, {tmp.write("y.log")}, most)},
                                std::nullopt, t0);
    EXPECT_EQ(report.freed, most);
    EXPECT_EQ(report.byKind.at(JunkKind::logs), most);
}
