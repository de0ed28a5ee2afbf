// The Undo Shelf against hand-edited, damaged and half-finished clean-ups: what it reads back,
// what it puts back, and what it removes.
#include "CleanFixtures.h"
#include "clean/ShelfFolder.h"
#include "clean/ShelfManifest.h"
#include "clean/UndoShelf.h"
#include "model/Format.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/Text.h"
#include "support/DiskUsage.h"
#include "support/TempDir.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const Date t0 = dateFromEpochSeconds(1'800'000'000);
constexpr double day = 86400;

struct ShelfRecoveryTest : ShelfFixture {

    std::string folderOf(const std::string& id) const { return joinPath(shelf.root.path(), id); }
    std::string manifestOf(const std::string& id) const {
        return joinPath(folderOf(id), "manifest.json");
    }
    UndoShelf::Sweep shelveOne(const std::vector<std::string>& paths, int64_t bytes = 100) {
        auto result = shelf.shelve({{itemOf(JunkKind::downloads, paths, bytes), "Label"}}, t0);
        EXPECT_TRUE(result.failures.empty());
        return result.sweep.value_or(UndoShelf::Sweep{});
    }
    // Rewrites a clean-up's manifest as a person with an editor might.
    void editManifest(const std::string& id, const std::function<void(nlohmann::json&)>& change) {
        auto json = nlohmann::json::parse(contentsOf(manifestOf(id)));
        change(json);
        ASSERT_TRUE(writeFileAtomically(manifestOf(id), json.dump(2)));
    }
};

// A file that claims a size without taking the space.
void makeSparse(const std::string& path, off_t size) {
    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
}

// Lets the process use only a little more memory than it holds now.
void limitMemoryTo(long long extraBytes) {
    std::ifstream status("/proc/self/status");
    std::string key;
    long long kib = 0;
    while (status >> key)
        if (key == "VmSize:" && status >> kib) break;
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(kib * 1024 + extraBytes);
    setrlimit(RLIMIT_AS, &limit);
}

} // namespace

// A manifest or plan far larger than any clean-up writes (a sparse file of a gigabyte here) is
// damaged: it is refused by its size, never read into memory.
TEST_F(ShelfRecoveryTest, AManifestOrPlanLargerThanAnyCleanUpWritesIsDamagedNotRead) {
    auto kept = shelveOne({tmp.write("kept.txt")});
    auto withHugePlan = shelveOne({tmp.write("planned.txt")});
    makeSparse(joinPath(folderOf(withHugePlan.id), "journal.json"), off_t{1} << 30);
    tmp.write("Shelf/2027-01-15T09-00-00-AAAAAA/items/0-0-x.txt");
    makeSparse(tmp / "Shelf/2027-01-15T09-00-00-AAAAAA/manifest.json", off_t{1} << 30);

    int status = inChild([&] {
        limitMemoryTo(std::int64_t{400} << 20);
        auto listed = shelf.sweeps();
        shelf.purge(t0);
        return listed.size() == 2 ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    // The damaged manifest's folder is left as it is, like any other unreadable one.
    EXPECT_TRUE(fileExists(tmp / "Shelf/2027-01-15T09-00-00-AAAAAA/items/0-0-x.txt"));
}

// Figures and dates anyone can write into a manifest: a negative size reads as nothing, a
// size past the largest figure is pinned there, and an expiry centuries ago is simply over.
TEST_F(ShelfRecoveryTest, NegativeSizesReadAsNothingAndAncientExpiriesAreOver) {
    auto sweep = shelveOne({tmp.write("a.txt"), tmp.write("b.txt")});
    auto second = shelveOne({tmp.write("c.txt")});
    editManifest(sweep.id, [](nlohmann::json& json) {
        json["entries"][0]["bytes"] = std::numeric_limits<int64_t>::min() + 1;
    });
    editManifest(second.id, [](nlohmann::json& json) {
        json["entries"][0]["bytes"] = std::numeric_limits<uint64_t>::max();
        json["date"] = "1690-01-01T00:00:00Z";
        json["expires"] = "1690-01-08T00:00:00Z";
    });
    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].id, sweep.id);
    EXPECT_EQ(listed[0].bytes(), 0);
    EXPECT_EQ(Format::size(listed[0].bytes()).front(), '0');
    EXPECT_EQ(listed[1].bytes(), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(listed[1].daysLeft(t0), 1);
    EXPECT_EQ(UndoShelf::Sweep({"x", t0, dateFromEpochSeconds(-9e18), {}}).daysLeft(t0), 1);
    EXPECT_EQ(shelf.purgeExpired(t0), std::numeric_limits<int64_t>::max());
}

// A clean-up that stores more than its manifest lists (an entry an editor dropped, or an item
// whose stored name is not text, left by another program or by hand): putting back the last
// listed entry leaves the rest stored and listed, readably, under its stored name, never put
// back to a guessed place nor purged with the hold; only the user frees it. The manifest keeps
// a readable name where older readers look, and the bytes of one that is not text beside it.
TEST_F(ShelfRecoveryTest, PuttingBackTheLastListedEntryKeepsWhatTheManifestNeverListed) {
    struct Row {
        const char* story;
        std::string stored, label; // the stored name of what stays, and how it is listed
        bool dropped;              // shelved, then dropped from the manifest
    };
    const std::vector<Row> rows = {
        {"dropped by an editor", "1-0-b.txt", "1-0-b.txt", true},
        {"a name that is not text", "caf\xE9-\xFF.bin", "caf\uFFFD-\uFFFD.bin", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        const std::string a = tmp.write(std::string(row.story) + "/a.txt", "a");
        const std::string b = tmp / (std::string(row.story) + "/b.txt");
        std::vector<UndoShelf::LabelledItem> items = {{itemOf(JunkKind::downloads, {a}), "A"}};
        if (row.dropped)
            items.push_back(
                {itemOf(JunkKind::downloads, {tmp.write(std::string(row.story) + "/b.txt", "b")}),
                 "B"});
        auto sweep = shelf.shelve(items, t0).sweep.value();
        if (row.dropped)
            editManifest(sweep.id, [](nlohmann::json& json) { json["entries"].erase(1); });
        else
            tmp.write("Shelf/" + sweep.id + "/items/" + row.stored, "b");
        auto listed = shelf.sweeps().at(0);
        ASSERT_EQ(listed.entries.size(), 1u);

        auto left = shelf.putBack(listed.entries[0], listed);
        EXPECT_EQ(contentsOf(a), "a");
        ASSERT_TRUE(left) << "the clean-up went with a file it still held";
        ASSERT_EQ(left->entries.size(), 1u);
        const auto& rest = left->entries[0];
        EXPECT_EQ(rest.label, row.label);
        EXPECT_EQ(rest.files.at(0).stored, row.stored);
        EXPECT_FALSE(rest.canGoBack());
        std::string stored = shelf.storedURL(*left, rest.files[0]).path();
        EXPECT_EQ(stored, folderOf(sweep.id) + "/items/" + row.stored);
        ASSERT_EQ(shelf.sweeps().size(), 1u);
        EXPECT_EQ(shelf.sweeps()[0].entries, left->entries);
        auto written = nlohmann::json::parse(contentsOf(manifestOf(sweep.id)));
        EXPECT_EQ(written["entries"][0]["files"][0]["stored"], row.label);
        if (!row.dropped)
            EXPECT_EQ(written["entries"][0]["files"][0]["storedHex"], hexText(row.stored));

        try {
            shelf.putBackAll(*left);
            FAIL() << "a file with no known place was put back somewhere";
        } catch (const UndoShelf::Error& error) {
            EXPECT_NE(std::string(error.what()).find("where it came from is not known"),
                      std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(fileExists(b));
        EXPECT_EQ(shelf.purgeExpired(addSeconds(t0, 30 * day)), 0);
        EXPECT_EQ(contentsOf(stored), "b");
        EXPECT_EQ(shelf.empty(*left), rest.bytes);
        EXPECT_FALSE(fileExists(folderOf(sweep.id)));
    }
}

// An entry of which something cannot be read (a field missing or of the wrong type, an
// identity noted in part) keeps every field that can: it is listed with them, measured by what
// is stored, and goes back where its place can be read. It outlives its hold, as it may never have
// been listed as it was shelved. The record it was read from is never written over: before the
// first write it is kept beside as "manifest.json.damaged", a later damage as ".damaged-2",
// and a record written whole since is kept no more; all go once nothing is stored.
TEST_F(ShelfRecoveryTest, AnEntryReadInPartKeepsWhatCouldBeReadAndItsRecordIsKeptBeside) {
    struct Row {
        const char* story;
        std::function<void(nlohmann::json&)> damage; // of the entry
        bool labelRead, placeRead;
        const char* kind = "downloads";
    };
    auto missing = [](const char* key) { return [key](auto& entry) { entry.erase(key); }; };
    const std::vector<Row> rows = {
        {"an id missing", missing("id"), true, true},
        {"a label missing", missing("label"), false, true},
        {"a kind missing", missing("kind"), true, true, ""},
        {"a location missing", missing("location"), true, true},
        {"a size written as text", [](auto& entry) { entry["bytes"] = "700000"; }, true, true},
        {"a label of the wrong type",
         [](auto& entry) {
             entry["label"] = {"La", "bel"};
         },
         false, true},
        {"an identity noted in part", [](auto& entry) { entry["files"][0].erase("inode"); }, true,
         true},
        {"a place of the wrong type", [](auto& entry) { entry["files"][0]["original"] = 7; }, true,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        const std::string path = tmp.write(std::string(row.story) + "/a.txt", "a");
        const auto sweep = shelveOne({path}, 99);
        const auto& file = sweep.entries.at(0).files.at(0);
        const std::string stored = shelf.storedURL(sweep, file).path();
        editManifest(sweep.id, [&](nlohmann::json& json) { row.damage(json["entries"][0]); });
        const std::string damaged = contentsOf(manifestOf(sweep.id));

        auto listed = shelf.sweeps().at(0);
        ASSERT_EQ(listed.entries.size(), 1u);
        const auto& entry = listed.entries[0];
        EXPECT_EQ(entry.label, row.labelRead ? "Label" : file.stored);
        EXPECT_EQ(entry.kind, row.kind);
        EXPECT_EQ(entry.location, path);
        EXPECT_EQ(entry.files.at(0).original, row.placeRead ? path : "");
        EXPECT_EQ(entry.bytes, duBytes({stored}));
        EXPECT_EQ(entry.canGoBack(), row.placeRead);

        auto purge = shelf.purge(addSeconds(t0, 30 * day));
        EXPECT_EQ(purge.bytes, 0);
        ASSERT_EQ(purge.stillHeld.size(), 1u);
        EXPECT_NE(purge.stillHeld[0].find("it stays on the Undo Shelf until you"),
                  std::string::npos)
            << purge.stillHeld[0];
        EXPECT_EQ(contentsOf(manifestOf(sweep.id) + ".damaged"), damaged);
        auto written = nlohmann::json::parse(contentsOf(manifestOf(sweep.id)))["entries"][0];
        EXPECT_EQ(written["partlyRead"], true);
        EXPECT_EQ(written["files"][0]["original"], row.placeRead ? path : "");
        EXPECT_EQ(shelf.sweeps().at(0).entries, listed.entries);

        // Written whole, the record is kept no more; damaged again, it is kept again.
        shelf.purge(addSeconds(t0, 31 * day));
        EXPECT_FALSE(fileExists(manifestOf(sweep.id) + ".damaged-2"));
        editManifest(sweep.id, [](nlohmann::json& json) { json["entries"][0]["kind"] = 1; });
        const std::string damagedAgain = contentsOf(manifestOf(sweep.id));
        shelf.purge(addSeconds(t0, 32 * day));
        EXPECT_EQ(contentsOf(manifestOf(sweep.id) + ".damaged"), damaged);
        EXPECT_EQ(contentsOf(manifestOf(sweep.id) + ".damaged-2"), damagedAgain);

        listed = shelf.sweeps().at(0);
        if (row.placeRead) {
            EXPECT_FALSE(shelf.putBack(listed.entries.at(0), listed));
            EXPECT_EQ(contentsOf(path), "a");
        } else {
            EXPECT_EQ(shelf.empty(listed), listed.bytes());
        }
        EXPECT_FALSE(fileExists(folderOf(sweep.id)));
    }
}

// Bytes that are not text in a record (written by hand, or by a tool that did not check) are
// read as replacement characters. A place so read is not where the file came from: nothing
// says which bytes it had, so the file stays on the shelf, saying why, rather than go to a
// guessed place. Nor is the record ever written over with what was read: a put back of another
// entry first keeps it beside, byte for byte.
TEST_F(ShelfRecoveryTest, BytesThatAreNotTextInARecordAreNeitherTrustedNorWrittenOver) {
    struct Row {
        const char* story;
        std::string from, to; // the text replaced in the record
        std::string label;    // as listed
        bool goesBack;
    };
    const std::string folder = tmp.mkdir("home/Downloads");
    const std::vector<Row> rows = {
        {"a label", "\"Label\"",
         "\"La\xFF"
         "bel\"",
         "La\uFFFDbel", true},
        {"a place", "/a.txt\"", "/a\xFF.txt\"", "Label", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        const std::string a = tmp.write("home/Downloads/a.txt", "a");
        const std::string b = tmp.write("home/Downloads/b.txt", "b");
        auto sweep = shelf
                         .shelve({{itemOf(JunkKind::downloads, {a}), "Label"},
                                  {itemOf(JunkKind::downloads, {b}), "B"}},
                                 t0)
                         .sweep.value();
        const std::string damaged =
            replacingAll(contentsOf(manifestOf(sweep.id)), row.from, row.to);
        ASSERT_TRUE(writeFileAtomically(manifestOf(sweep.id), damaged));

        auto listed = shelf.sweeps().at(0);
        ASSERT_EQ(listed.entries.size(), 2u);
        EXPECT_EQ(listed.entries[0].label, row.label);
        EXPECT_EQ(listed.entries[0].canGoBack(), row.goesBack);
        auto rest = shelf.putBack(listed.entries[1], listed);
        EXPECT_TRUE(rest && rest->entries.size() == 1);
        EXPECT_EQ(contentsOf(b), "b");
        EXPECT_EQ(contentsOf(manifestOf(sweep.id) + ".damaged"), damaged);

        listed = shelf.sweeps().at(0);
        if (row.goesBack) {
            EXPECT_FALSE(shelf.putBack(listed.entries.at(0), listed));
            EXPECT_EQ(contentsOf(a), "a");
        } else {
            EXPECT_EQ(listed.entries.at(0).whyItStays, "where it came from is not known");
            EXPECT_THROW(shelf.putBackAll(listed), UndoShelf::Error);
            EXPECT_EQ(listFolder(URL::fileURL(folder, true)).entries.size(), 1u)
                << "a file went back to a guessed place";
            EXPECT_EQ(shelf.empty(listed), listed.bytes());
        }
        removeItem(b);
    }
}

// A clean-up whose record was not read whole, and whose record cannot be kept beside (every
// name for a copy is taken here), is never written: a put back refuses before anything moves,
// a purge leaves it as it is, and so does the settling of one cut short, its plan kept.
TEST_F(ShelfRecoveryTest, ARecordThatCannotBeKeptBesideIsNeverWrittenOver) {
    auto takeEveryCopyName = [](const std::string& record) {
        for (int n = 1; n <= 1000; ++n)
            writeUnsynced(record + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n)), "");
    };
    const std::string path = tmp.write("a.txt", "a");
    auto sweep = shelveOne({path});
    editManifest(sweep.id, [](nlohmann::json& json) { json["entries"][0].erase("label"); });
    const std::string manifest = contentsOf(manifestOf(sweep.id));
    takeEveryCopyName(manifestOf(sweep.id));
    auto listed = shelf.sweeps().at(0);
    try {
        shelf.putBack(listed.entries.at(0), listed);
        FAIL() << "put back without keeping the record";
    } catch (const UndoShelf::Error& error) {
        EXPECT_NE(std::string(error.what()).find("which was not read whole"), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(fileExists(path));
    auto purge = shelf.purge(addSeconds(t0, 30 * day));
    ASSERT_EQ(purge.stillHeld.size(), 1u);
    EXPECT_NE(purge.stillHeld[0].find("too many damaged copies"), std::string::npos);
    EXPECT_EQ(contentsOf(manifestOf(sweep.id)), manifest);

    // Cut short after its first move: a plan whose entry has no kind, and no manifest yet.
    auto cut = shelveOne({tmp.write("b.txt", "b")});
    const std::string plan = joinPath(folderOf(cut.id), "journal.json");
    cut.entries[0].kind = "";
    ASSERT_TRUE(writeFileAtomically(
        plan, replacingAll(*encodeManifest(cut, false).text, "\"kind\":\"\",", "")));
    removeItem(manifestOf(cut.id));
    const std::string planned = contentsOf(plan);
    takeEveryCopyName(plan);
    shelf.purge(t0);
    EXPECT_EQ(contentsOf(plan), planned);
    EXPECT_FALSE(fileExists(manifestOf(cut.id)));
    EXPECT_EQ(shelf.sweeps().size(), 2u);
}

// A record cut short (a crash part way through its writing, the rest lost or left as zero
// bytes; with its keys sorted, the clean-up's identifier and expiry come after its entries)
// loses nothing: the clean-up is listed under its folder's name with the
// entries read whole, which go back, and what the rest stored, listed by its stored names. An
// expiry the cut took keeps it past its hold until the user puts it back or frees it. The cut
// record is kept beside, never written over.
TEST_F(ShelfRecoveryTest, ARecordCutShortListsItsCleanUpWithWhatCouldBeRead) {
    struct Row {
        const char* story;
        bool zeroes;
    };
    const Row rows[] = {
        {"the rest lost", false},
        {"zero bytes after the cut", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        std::vector<UndoShelf::LabelledItem> items;
        std::vector<std::string> paths;
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            paths.push_back(tmp.write(std::string(row.story) + "/" + name, name));
            items.push_back({itemOf(JunkKind::downloads, {paths.back()}), name});
        }
        auto sweep = shelf.shelve(items, t0).sweep.value();
        std::string whole = contentsOf(manifestOf(sweep.id));
        std::string damaged = whole.substr(0, whole.size() * 2 / 3);
        if (row.zeroes) damaged.resize(whole.size(), '\0');
        ASSERT_TRUE(writeFileAtomically(manifestOf(sweep.id), damaged));

        auto listed = shelf.sweeps();
        ASSERT_EQ(listed.size(), 1u) << "the clean-up vanished";
        EXPECT_EQ(listed[0].id, sweep.id);
        EXPECT_EQ(listed[0].date, sweep.date);
        std::set<std::string> stored;
        for (const auto& entry : listed[0].entries)
            stored.insert(entry.files.at(0).stored);
        EXPECT_EQ(stored.size(), 3u) << "a stored item is not listed";
        ASSERT_GE(listed[0].entries.size(), 2u);
        const auto& first = listed[0].entries[0];
        EXPECT_EQ(first.label, "a.txt");
        EXPECT_EQ(first.files.at(0).original, paths[0]);
        EXPECT_FALSE(listed[0].entries.back().canGoBack());

        EXPECT_TRUE(shelf.putBack(first, listed[0]));
        EXPECT_EQ(contentsOf(paths[0]), "a.txt");
        EXPECT_EQ(contentsOf(manifestOf(sweep.id) + ".damaged"), damaged);

        // The hold ends: what was read whole with its expiry goes with it.
        auto purge = shelf.purge(addSeconds(t0, 30 * day));
        auto left = shelf.sweeps();
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(purge.bytes, 0);
        EXPECT_EQ(left[0].entries.size(), listed[0].entries.size() - 1);
        EXPECT_EQ(shelf.empty(left[0]), left[0].bytes());
        EXPECT_FALSE(fileExists(folderOf(sweep.id)));
    }
}

// A record cut short takes its folder's name only where that name was made from the date it
// still holds: one copied in from a clean-up of another time is not taken for this folder's.
TEST_F(ShelfRecoveryTest, ACutRecordCopiedFromAnotherCleanUpIsNotTakenForItsFolders) {
    auto shelve = [&](const std::string& name, Date when) {
        const std::string path = tmp.write(name, name);
        return shelf.shelve({{itemOf(JunkKind::downloads, {path}), name}}, when).sweep.value();
    };
    auto earlier = shelve("a.txt", t0);
    auto later = shelve("b.txt", addSeconds(t0, 3600));
    const std::string whole = contentsOf(manifestOf(earlier.id));
    ASSERT_TRUE(writeFileAtomically(manifestOf(later.id), whole.substr(0, whole.size() * 2 / 3)));
    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].id, earlier.id);
}

// A record read whole that lacks the clean-up's date, expiry or entries, or holds a date in a
// form the shelf never writes, is damaged, not cut short: nothing stands in for what it lacks
// (an expiry taken as missing would end the hold at once). Its clean-up is not listed, and no
// purge, however late, touches its record or what it stored.
TEST_F(ShelfRecoveryTest, AWholeRecordLackingAFieldOfItsCleanUpIsLeftAsItIs) {
    struct Row {
        const char* story;
        std::function<void(nlohmann::json&)> damage;
    };
    auto missing = [](const char* key) { return [key](nlohmann::json& json) { json.erase(key); }; };
    const std::vector<Row> rows = {
        {"its date missing", missing("date")},
        {"its expiry missing", missing("expires")},
        {"its entries missing", missing("entries")},
        {"its expiry given with an offset",
         [](nlohmann::json& json) { json["expires"] = "2027-01-22T09:00:00+01:00"; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        const auto sweep = shelveOne({tmp.write(std::string(row.story) + "/a.txt", "a")});
        const std::string stored = shelf.storedURL(sweep, sweep.entries.at(0).files.at(0)).path();
        editManifest(sweep.id, row.damage);
        const std::string damaged = contentsOf(manifestOf(sweep.id));

        EXPECT_TRUE(shelf.sweeps().empty());
        for (double days : {0.0, 30.0, 100000.0})
            EXPECT_EQ(shelf.purge(addSeconds(t0, days * day)).bytes, 0);
        EXPECT_EQ(contentsOf(stored), "a");
        EXPECT_EQ(contentsOf(manifestOf(sweep.id)), damaged);
        removeItem(folderOf(sweep.id)); // each row's clean-up alone on the shelf
    }
}

// kill -9 during a put back leaves files that are back still listed. Each is known by the
// identity noted when it was shelved, at its place or under the restored name it took, and
// is dropped quietly; a file of the same name but another identity is still missed.
TEST_F(ShelfRecoveryTest, FilesAlreadyBackFromAPutBackCutShortAreDroppedQuietly) {
    std::vector<UndoShelf::LabelledItem> items;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        items.push_back({itemOf(JunkKind::downloads, {tmp.write(name, name)}), name});
    auto sweep = shelf.shelve(items, t0).sweep.value();
    auto stored = [&](int i) { return shelf.storedURL(sweep, sweep.entries[i].files[0]).path(); };
    // What the put back had done when it was killed: a.txt back, b.txt back beside a new b.txt;
    // c.txt gone from the shelf, and a different c.txt in its place.
    ASSERT_TRUE(moveItem(stored(0), tmp / "a.txt"));
    tmp.write("b.txt", "new b");
    ASSERT_TRUE(moveItem(stored(1), tmp / "b (restored).txt"));
    removeItem(stored(2));
    tmp.write("c.txt", "another c");

    try {
        shelf.putBackAll(shelf.sweeps().at(0));
        FAIL() << "the missing c.txt went unreported";
    } catch (const UndoShelf::Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "“c.txt” is no longer on the Undo Shelf, so it can’t be put back");
    }
    EXPECT_EQ(contentsOf(tmp / "a.txt"), "a.txt");
    EXPECT_EQ(contentsOf(tmp / "b (restored).txt"), "b.txt");
    EXPECT_EQ(contentsOf(tmp / "d.txt"), "d.txt");
    EXPECT_FALSE(fileExists(tmp / "b (restored 2).txt"));
    EXPECT_TRUE(shelf.sweeps().empty());
}

// A clean-up whose items all went back, cut short before its folder went, holds only its
// manifest (here one written before identities were noted): it is finished, not listed.
TEST_F(ShelfRecoveryTest, ACleanUpHoldingOnlyItsManifestIsFinishedQuietly) {
    auto viaPutBack = shelveOne({tmp.write("a.txt", "a")});
    auto viaPurge = shelveOne({tmp.write("b.txt", "b")});
    for (const auto& sweep : {viaPutBack, viaPurge}) {
        editManifest(sweep.id, [](nlohmann::json& json) {
            for (const char* key : {"size", "device", "inode"})
                json["entries"][0]["files"][0].erase(key);
        });
        const auto& file = sweep.entries[0].files[0];
        ASSERT_TRUE(moveItem(shelf.storedURL(sweep, file).path(), file.original));
    }
    removeItem(joinPath(folderOf(viaPurge.id), "items"));
    EXPECT_TRUE(shelf.sweeps().empty());

    EXPECT_NO_THROW(EXPECT_FALSE(shelf.putBack(viaPutBack.entries[0], viaPutBack)));
    EXPECT_FALSE(fileExists(folderOf(viaPutBack.id)));
    EXPECT_EQ(shelf.purgeExpired(t0), 0);
    EXPECT_FALSE(fileExists(folderOf(viaPurge.id)));
    EXPECT_EQ(contentsOf(tmp / "a.txt"), "a");
    EXPECT_EQ(contentsOf(tmp / "b.txt"), "b");
}

// Put back goes only below the folder the scan found the item in, enters it one name at a
// time without crossing a link, and makes what is missing the same way; a hand-edited place
// outside the places the clean-up came from is refused with a reason, and a record edited to
// say an item was found in another folder outside the home (one that is missing, or one that
// holds other things) neither makes that folder nor gets written into.
TEST_F(ShelfRecoveryTest, PutBackEntersNoLinkAndGoesNowhereTheCleanUpDidNotComeFrom) {
    std::string downloads = tmp.mkdir("home/Downloads");
    std::string elsewhere = tmp.mkdir("Elsewhere");
    auto noted = FolderHandle::open(downloads).identity().value();
    auto scannedInDownloads = [&](const std::string& path) {
        ScanItem item = itemOf(JunkKind::downloads, {path});
        item.scannedIn = {{URL::fileURL(downloads, true), noted.device, noted.inode}};
        return item;
    };
    const std::string outside = "/var/tmp/kelvora-put-back-" + lastComponent(tmp.path());
    const std::string missing = tmp / "Outside/New";
    auto sweep = shelf
                     .shelve({{scannedInDownloads(tmp.write("home/Downloads/Sub/Deep/x.txt")), "X"},
                              {scannedInDownloads(tmp.write("home/Downloads/y.txt")), "Y"},
                              {scannedInDownloads(tmp.write("home/Downloads/z.txt")), "Z"},
                              {scannedInDownloads(tmp.write("home/Downloads/w.txt")), "W"},
                              {scannedInDownloads(tmp.write("home/Downloads/v.txt")), "V"}},
                             t0)
                     .sweep.value_or(UndoShelf::Sweep{});
    ASSERT_EQ(sweep.entries.size(), 5u);
    ASSERT_EQ(sweep.entries[0].scannedIn,
              (std::vector<UndoShelf::Entry::Folder>{{downloads, {{noted.device, noted.inode}}}}));
    removeItem(tmp / "home/Downloads/Sub");
    ASSERT_EQ(symlink(elsewhere.c_str(), (tmp / "home/Downloads/Sub").c_str()), 0);
    editManifest(sweep.id, [&](nlohmann::json& json) {
        json["entries"][1]["files"][0]["original"] = tmp / "home/Documents/y.txt";
        json["entries"][2]["files"][0]["original"] = outside + "/z.txt";
        json["entries"][3]["scannedIn"][0] = missing;
        json["entries"][3]["files"][0]["original"] = missing + "/w.txt";
        json["entries"][4]["scannedIn"][0] = elsewhere;
        json["entries"][4]["files"][0]["original"] = elsewhere + "/v.txt";
    });

    try {
        shelf.putBackAll(shelf.sweeps().at(0));
        FAIL() << "a put back through a link or to another place went unreported";
    } catch (const UndoShelf::Error& error) {
        std::string text = error.what();
        EXPECT_NE(text.find("“" + downloads +
                            "/Sub” is a link, and nothing is put back through "
                            "one (and 4 more stayed on the Undo Shelf)"),
                  std::string::npos)
            << text;
    }
    EXPECT_TRUE(listFolder(URL::fileURL(elsewhere, true)).entries.empty());
    EXPECT_FALSE(fileExists(tmp / "home/Documents"));
    EXPECT_FALSE(fileExists(outside));
    EXPECT_FALSE(fileExists(tmp / "Outside"));
    auto listed = shelf.sweeps().at(0);
    ASSERT_EQ(listed.entries.size(), 5u);
    try {
        shelf.putBack(listed.entries[2], listed);
        FAIL();
    } catch (const UndoShelf::Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "“z.txt” can’t be put back: the place it came from, “" + outside +
                      "/z.txt”, is outside the places this clean-up came from");
    }

    // Once the link is gone, the missing folders are made again, and the file goes back.
    removeItem(tmp / "home/Downloads/Sub");
    shelf.putBack(listed.entries[0], listed);
    EXPECT_EQ(contentsOf(tmp / "home/Downloads/Sub/Deep/x.txt"), "x");
}

// A clean-up cut short before its plan was written holds only its items (and perhaps a
// half-written plan): it is listed by its stored names, cannot be put back to a place nobody
// noted, and so outlives its hold, saying why, until the user frees it; its stale
// half-written file is removed.
TEST_F(ShelfRecoveryTest, ACleanUpCutBeforeItsPlanIsListedFromItsItemsAndStaysUntilFreed) {
    const std::string id = UndoShelf::sweepID(t0);
    tmp.write("Shelf/" + id + "/items/0-0-report.pdf", std::string(5000, 'r'));
    tmp.write("Shelf/" + id + "/items/1-0-Folder/inner.txt", "inner");
    std::string partial = tmp.write("Shelf/" + id + "/.journal.json.ab12cd34", "{\"date\":");
    std::string stranger = tmp.write("Shelf/not-a-clean-up/items/0-0-x.txt");
    std::string damaged = tmp.write("Shelf/2027-01-15T09-00-00-BBBBBB/journal.json", "{");
    tmp.write("Shelf/2027-01-15T09-00-00-BBBBBB/items/0-0-y.txt");

    auto listed = shelf.sweeps();
    ASSERT_EQ(listed.size(), 1u);
    const auto& sweep = listed[0];
    EXPECT_EQ(sweep.id, id);
    EXPECT_EQ(sweep.date, t0);
    EXPECT_EQ(secondsBetween(sweep.date, sweep.expires), 7 * day);
    std::vector<std::string> labels;
    for (const auto& entry : sweep.entries) {
        labels.push_back(entry.label);
        EXPECT_FALSE(entry.canGoBack());
        EXPECT_NE(entry.whyItStays.find("where it came from is not known"), std::string::npos);
        EXPECT_GT(entry.bytes, 0);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"0-0-report.pdf", "1-0-Folder"}));
    EXPECT_THROW(shelf.putBack(sweep.entries[0], sweep), UndoShelf::Error);
    EXPECT_EQ(contentsOf(shelf.storedURL(sweep, sweep.entries[0].files[0]).path()),
              std::string(5000, 'r'));

    EXPECT_EQ(shelf.purgeExpired(addSeconds(t0, day)), 0);
    EXPECT_FALSE(fileExists(partial));
    EXPECT_EQ(shelf.sweeps().at(0).entries, sweep.entries);
    auto purge = shelf.purge(addSeconds(t0, 30 * day));
    EXPECT_EQ(purge.bytes, 0);
    ASSERT_EQ(purge.stillHeld.size(), 1u);
    EXPECT_NE(purge.stillHeld[0].find("until you free it (and 1 more item)"), std::string::npos)
        << purge.stillHeld[0];
    EXPECT_EQ(shelf.sweeps().at(0).entries, sweep.entries);
    EXPECT_EQ(shelf.empty(sweep), sweep.bytes());
    EXPECT_FALSE(fileExists(folderOf(id)));
    // What is not a clean-up, or is a damaged one, is left as it is.
    EXPECT_TRUE(fileExists(stranger));
    EXPECT_TRUE(fileExists(damaged));
}

// Some tools keep their caches read-only even to their owner (a Go module cache does). Once
// such folders are on the shelf, an ordinary user's purge still removes the expired
// clean-up; nothing outside the shelf is unlocked, not even through a link inside it, and
// the folders it unlocks get only the owner's bits a removal needs (write and enter), never
// every bit to everyone: where a folder of another user stops it, they stay to be looked at.
TEST_F(ShelfRecoveryTest, AnOrdinaryUsersPurgeUnlocksReadOnlyFoldersOnlyForTheirOwner) {
    shelf.holdDays = 0;
    std::string module = tmp / "home/go/pkg/mod/example.com/lib@v1";
    tmp.write("home/go/pkg/mod/example.com/lib@v1/inner/lib.go", "package lib");
    std::string outside = tmp.write("outside/kept.txt", "kept");
    ASSERT_EQ(symlink((tmp / "outside").c_str(), (module + "/link").c_str()), 0);
    for (const std::string& folder :
         {module + "/inner", module, parentPath(module), tmp / "home/go/pkg/mod", tmp / "outside"})
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    auto sweep = shelveOne({tmp / "home/go/pkg/mod"}, 40);
    const std::pair<const char*, mode_t> modes[] = {{"a", 0555}, {"b", 0500}, {"c", 0444}};
    for (const auto& [name, mode] : modes)
        tmp.write(std::string("home/tools/") + name + "/lib.go", "package lib");
    auto tools = shelveOne({tmp / "home/tools"}, 1000);
    std::string stored = shelf.storedURL(tools, tools.entries[0].files[0]).path();
    ASSERT_EQ(std::system(("chown -R 65534:65534 '" + tmp.path() + "'").c_str()), 0);
    for (const auto& [name, mode] : modes) {
        tmp.write("Shelf/" + tools.id + "/items/" + lastComponent(stored) + "/" + name +
                  "/root-owned/file");
        ASSERT_EQ(chown((stored + "/" + name + "/root-owned").c_str(), 0, 0), 0);
        ASSERT_EQ(chown((stored + "/" + name + "/root-owned/file").c_str(), 0, 0), 0);
        ASSERT_EQ(chmod((stored + "/" + name).c_str(), mode), 0);
    }

    int status = inChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0) return 3;
        auto purge = shelf.purge(t0);
        if (purge.stillHeld.size() != 1) return 1;
        return purge.bytes == 40 ? 0 : 2;
    });
    EXPECT_EQ(status, 0) << "1: the go modules stayed, or the root-owned folders went";
    EXPECT_FALSE(fileExists(folderOf(sweep.id)));
    EXPECT_EQ(contentsOf(outside), "kept");
    EXPECT_EQ(fileInfo(tmp / "outside")->mode & 07777, 0555u);
    for (const auto& [name, mode] : modes)
        EXPECT_EQ(fileInfo(stored + "/" + name)->mode & 07777, mode | 0300u) << name;
}

// A clean-up shelved before the folders and identities were noted still reads and puts
// back: each file goes back below whichever folder a scan looks in holds it, an application
// and its leftovers in other folders alike.
TEST_F(ShelfRecoveryTest, ACleanUpFromBeforeItsFoldersWereNotedStillPutsEverythingBack) {
    std::string home = tmp.mkdir("home");
    std::string app = tmp.write("home/Applications/Editor.app/Contents/Info.plist", "plist");
    std::string settings = tmp.write("home/.config/editor/settings.json", "{}");
    int status = inChild([&] {
        setenv("HOME", home.c_str(), 1);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            unsetenv(name);
        ScanItem item = itemOf(JunkKind::apps, {parentPath(parentPath(app)), parentPath(settings)});
        auto sweep = shelf.shelve({{item, "Editor"}}, t0).sweep;
        if (!sweep) return 1;
        editManifest(sweep->id, [](nlohmann::json& json) {
            json["entries"][0].erase("scannedIn");
            for (auto& file : json["entries"][0]["files"])
                for (const char* key : {"size", "device", "inode"})
                    file.erase(key);
        });
        auto listed = shelf.sweeps();
        if (listed.size() != 1 || !listed[0].entries[0].scannedIn.empty()) return 2;
        try {
            shelf.putBackAll(listed[0]);
        } catch (const UndoShelf::Error&) {
            return 3;
        }
        return contentsOf(app) == "plist" && contentsOf(settings) == "{}" ? 0 : 4;
    });
    EXPECT_EQ(status, 0);
}

// One entry that cannot be read (a stored name that is not text, or that would climb out of
// its folder) no longer hides its whole clean-up: the other entries stay listed and can go
// back, and what the unreadable one stored is listed on its own, to be shown or freed.
TEST_F(ShelfRecoveryTest, OneUnreadableStoredNameLeavesTheOtherEntriesListed) {
    struct Case {
        const char* name;
        std::string storedAs;
    } cases[] = {{"not text", "1-0-b\xFF.txt"}, {"climbs out", "../../b.txt"}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        std::string a = tmp.write(std::string(test.name) + "/a.txt", "a");
        std::string b = tmp.write(std::string(test.name) + "/b.txt", "b");
        auto sweep = shelf
                         .shelve({{itemOf(JunkKind::downloads, {a}), "A"},
                                  {itemOf(JunkKind::downloads, {b}), "B"}},
                                 t0)
                         .sweep.value();
        std::string stored = sweep.entries[1].files[0].stored;
        ASSERT_TRUE(writeFileAtomically(
            manifestOf(sweep.id), replacingAll(contentsOf(manifestOf(sweep.id)),
                                               "\"" + stored + "\"", "\"" + test.storedAs + "\"")));

        auto listed = shelf.sweeps();
        ASSERT_EQ(listed.size(), 1u);
        ASSERT_EQ(listed[0].entries.size(), 2u);
        EXPECT_EQ(listed[0].entries[0].label, "A");
        EXPECT_TRUE(listed[0].entries[0].canGoBack());
        EXPECT_EQ(listed[0].entries[1].label, stored);
        EXPECT_FALSE(listed[0].entries[1].canGoBack());

        auto left = shelf.putBack(listed[0].entries[0], listed[0]);
        EXPECT_EQ(contentsOf(a), "a");
        ASSERT_TRUE(left);
        EXPECT_EQ(contentsOf(shelf.storedURL(*left, left->entries.at(0).files.at(0)).path()), "b");
        shelf.empty(*left);
        EXPECT_TRUE(shelf.sweeps().empty());
    }
}

// What stays of an entry shows the size of what is still stored, not the size planned for it:
// after a put back that left part of it, or a clean-up cut short inside it.
TEST_F(ShelfRecoveryTest, AnEntryLeftPartStoredShowsTheSizeOfWhatIsStillStored) {
    auto expectSizeOfWhatIsStored = [&](size_t files) {
        auto listed = shelf.sweeps();
        ASSERT_EQ(listed.size(), 1u);
        ASSERT_EQ(listed[0].entries.at(0).files.size(), files);
        std::vector<std::string> stored;
        for (const auto& file : listed[0].entries[0].files)
            stored.push_back(shelf.storedURL(listed[0], file).path());
        EXPECT_EQ(listed[0].entries[0].bytes, duBytes(stored));
        EXPECT_EQ(listed[0].bytes(), duBytes(stored));
        shelf.empty(listed[0]);
    };
    // The folder of two of four became a link: nothing goes back through one.
    auto sweep = shelveOne({tmp.write("home/Pictures/A/a.png", std::string(20'000, 'a')),
                            tmp.write("home/Pictures/A/b.png", std::string(20'000, 'b')),
                            tmp.write("home/Pictures/B/c.png", std::string(90'000, 'c')),
                            tmp.write("home/Pictures/B/d.png", std::string(40'000, 'd'))},
                           5'000'000);
    removeItem(tmp / "home/Pictures/B");
    ASSERT_EQ(symlink(tmp.mkdir("Elsewhere").c_str(), (tmp / "home/Pictures/B").c_str()), 0);
    EXPECT_THROW(shelf.putBack(sweep.entries[0], sweep), UndoShelf::Error);
    expectSizeOfWhatIsStored(2);

    // As left by a kill after the first move: the plan of the whole entry, no manifest yet.
    std::vector<std::string> paths = {tmp.write("shots/a.png", std::string(30'000, 'a')),
                                      tmp.write("shots/b.png", std::string(60'000, 'b')),
                                      tmp.write("shots/c.png", std::string(9'000, 'c'))};
    sweep = shelveOne(paths, 5'000'000);
    ASSERT_TRUE(writePlan(FolderHandle::open(folderOf(sweep.id)), sweep));
    removeItem(manifestOf(sweep.id));
    for (size_t i = 1; i < paths.size(); ++i)
        ASSERT_TRUE(moveItem(shelf.storedURL(sweep, sweep.entries[0].files[i]).path(), paths[i]));
    expectSizeOfWhatIsStored(1);
}

// Reading a shelf of many entries never builds a tree of its whole manifest: a clean-up of
// 60,000 entries (a manifest of 37 MB) is read within little more memory than its records
// and the file's text take.
TEST_F(ShelfRecoveryTest, ReadingALargeShelfNeverHoldsItsManifestAsAWholeTree) {
    constexpr int kEntries = 60'000;
    const std::string id = UndoShelf::sweepID(t0);
    // Written by another process, so that the memory writing it took is not the reader's.
    ASSERT_EQ(inChild([&] {
                  UndoShelf::Sweep sweep{id, t0, addSeconds(t0, 7 * day), {}};
                  for (int i = 0; i < kEntries; ++i) {
                      std::string name = "Screenshot " + std::to_string(i) + ".png";
                      std::string original = tmp / ("home/Pictures/" + name);
                      sweep.entries.push_back(
                          {std::to_string(i),
                           name,
                           "screenshots",
                           original,
                           4096,
                           {{original, std::to_string(i) + "-0-" + name, {{7, 8, 9}}}},
                           {{tmp / "home", {{1, 2}}}}});
                  }
                  tmp.write("Shelf/" + id + "/items/0-0-" + sweep.entries[0].label);
                  return writeManifest(FolderHandle::open(folderOf(id)), sweep) ? 0 : 1;
              }),
              0);

    int status = inChild([&] {
        // The records and the file's text take about 75 MB; a tree of the whole file took
        // more than 185 MB besides.
        limitMemoryTo(std::int64_t{130} << 20);
        auto listed = shelf.sweeps();
        return listed.size() == 1 && listed[0].entries.size() == kEntries ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}
