#include "clean/Cleaner.h"
#include "support/FixtureScanner.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const std::string kTrash = ".local/share/Trash/";

std::string record(const std::string& name) {
    return "[Trash Info]\nPath=/home/user/" + name + "\nDeletionDate=2025-01-02T03:04:05\n";
}

// Every file under the folder with its contents, to compare a tree before and after.
std::map<std::string, std::string> contentsUnder(const TempDir& dir) {
    std::map<std::string, std::string> contents;
    FileCounter counter;
    for (const auto& file : fixtureScanner(dir).regularFiles(dir.url(), counter))
        contents[file.path()] = fileText(file.path()).value_or("");
    return contents;
}

} // namespace

TEST(TrashScanner, OffersEachEntryAndReportsAccess) {
    TempDir home;
    home.write(".Trash/.DS_Store", "d");
    FileCounter counter;
    auto [none, access] = fixtureScanner(home).scanTrash(counter);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(access, FolderAccess::ok);

    home.write(".Trash/old folder/file", std::string(8000, 't'));
    home.write(".Trash/note.txt", "n");
    sync();
    auto [items, access2] = fixtureScanner(home).scanTrash(counter);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].location.lastPathComponent(), "note.txt");
    EXPECT_EQ(items[1].targets, std::vector<URL>{items[1].location});
    EXPECT_EQ(items[1].baseVerdict, Verdict::youDecide);
    EXPECT_EQ(access2, FolderAccess::ok);

    TempDir noTrash;
    EXPECT_EQ(fixtureScanner(noTrash).scanTrash(counter).second, FolderAccess::ok);
}

TEST(TrashScanner, DesktopTrashEntriesGoWithTheirRecordsAndComeBackWithThem) {
    TempDir home;
    home.write(".Trash/mac.txt", "m");
    home.write(kTrash + "files/report.pdf", std::string(6000, 'r'));
    home.write(kTrash + "files/old folder/inner.txt", std::string(9000, 'i'));
    home.write(kTrash + "files/orphan.txt", "o");
    home.write(kTrash + "info/report.pdf.trashinfo", record("report.pdf"));
    home.write(kTrash + "info/old folder.trashinfo", record("old folder"));
    home.write(kTrash + "info/gone.trashinfo", record("gone"));
    home.write(kTrash + "directorysizes", "9000 1735786800000 old%20folder\n");
    sync();

    FileCounter counter;
    auto [items, access] = fixtureScanner(home).scanTrash(counter);
    EXPECT_EQ(access, FolderAccess::ok);
    std::vector<std::vector<std::string>> targets;
    for (const auto& item : items) {
        EXPECT_EQ(item.kind, JunkKind::trash);
        EXPECT_EQ(item.location, item.targets.front());
        std::vector<std::string> relative;
        for (const auto& target : item.targets)
            relative.push_back(target.path().substr(home.path().size() + 1));
        targets.push_back(relative);
    }
    EXPECT_EQ(targets, (std::vector<std::vector<std::string>>{
                           {".Trash/mac.txt"},
                           {kTrash + "files/old folder", kTrash + "info/old folder.trashinfo"},
                           {kTrash + "files/orphan.txt"},
                           {kTrash + "files/report.pdf", kTrash + "info/report.pdf.trashinfo"}}));
    EXPECT_EQ(items[3].bytes,
              fileInfo(home / (kTrash + "files/report.pdf"))->allocatedSize +
                  fileInfo(home / (kTrash + "info/report.pdf.trashinfo"))->allocatedSize);

    // Emptied onto the shelf: the entries and their records go, the desktop's own files stay.
    const auto before = contentsUnder(home);
    TempDir shelfFolder;
    const UndoShelf shelf(URL::fileURL(shelfFolder / "Shelf", true));
    const auto report =
        Cleaner([] { return std::vector<RunningApp>{}; }).clean(items, shelf, kFixtureNow);
    ASSERT_TRUE(report.sweep);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(contentsUnder(home),
              (std::map<std::string, std::string>{
                  {home / (kTrash + "info/gone.trashinfo"), record("gone")},
                  {home / (kTrash + "directorysizes"), "9000 1735786800000 old%20folder\n"}}));

    shelf.putBackAll(*report.sweep);
    EXPECT_EQ(contentsUnder(home), before);
}

TEST(TrashScanner, UnreadableTrashIsBlocked) {
    for (const std::string trash : {".Trash", ".local/share/Trash", ".local/share/Trash/files"}) {
        TempDir home;
        chmod(home.path().c_str(), 0755);
        home.write(".Trash/x", "x");
        home.write(".local/share/Trash/files/y", "y");
        chmod((home / trash).c_str(), 0700);
        const DiskScanner scanner = fixtureScanner(home);
        EXPECT_TRUE(asNobody([&] {
            FileCounter counter;
            auto [items, access] = scanner.scanTrash(counter);
            return items.size() == 1 && access == FolderAccess::blocked;
        })) << trash;
    }
}
