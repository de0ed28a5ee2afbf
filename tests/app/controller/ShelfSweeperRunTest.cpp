#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"
#include "controller/Prefs.h"
#include "engine/DiskHistory.h"
#include "platform/FileSystem.h"
#include "platform/Iso8601.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::runKelvora;

namespace {

// The helper run as the system starts it, on a temporary home and hand-made shelf.
class ShelfSweeperRunTest : public ::testing::Test {
protected:
    kelvora::testing::IsolatedHome env;

    std::string defaultShelf() { return env.data() + "/Kelvora/Undo Shelf"; }

    // One clean-up folder with its manifest and one stored file.
    void makeSweep(const std::string& root, const std::string& id, double expiresIn,
                   int64_t bytes) {
        Date now = currentDate();
        std::string folder = root + "/" + id;
        createDirectories(folder + "/items");
        writeFileAtomically(folder + "/items/0-0-report.pdf", std::string(100, 'x'));
        nlohmann::json manifest = {{"id", id},
                                   {"date", formatIso8601(addSeconds(now, -86400 * 8))},
                                   {"expires", formatIso8601(addSeconds(now, expiresIn))},
                                   {"entries",
                                    {{{"id", "0"},
                                      {"label", "report.pdf"},
                                      {"kind", "downloads"},
                                      {"location", env.home() + "/Downloads/report.pdf"},
                                      {"bytes", bytes},
                                      {"files",
                                       {{{"original", env.home() + "/Downloads/report.pdf"},
                                         {"stored", "0-0-report.pdf"}}}}}}}};
        writeFileAtomically(folder + "/manifest.json", manifest.dump(2));
    }

    void makeCorruptSweep(const std::string& root) {
        createDirectories(root + "/2026-01-01T10-00-00-BADBAD/items");
        writeFileAtomically(root + "/2026-01-01T10-00-00-BADBAD/manifest.json", "{\"id\": 3");
    }

    DiskHistory history() { return DiskHistory::load(DiskHistory::defaultFile()); }
};

// A clean-up that cannot be read is left as it is; one whose entry has a field that cannot
// be read stays, its record kept beside as it was and every field that could be read kept.
TEST_F(ShelfSweeperRunTest, EmptiesExpiredCleanupsOfTheDefaultShelf) {
    makeSweep(defaultShelf(), "2026-01-01T10-00-00-AAAAAA", -3600, 3'000'000);
    makeSweep(defaultShelf(), "2026-01-02T10-00-00-BBBBBB", 3 * 86400, 700);
    makeCorruptSweep(defaultShelf());
    makeSweep(defaultShelf(), "2026-01-01T10-00-00-CCCCCC", -3600, 700'000);
    const std::string partly = defaultShelf() + "/2026-01-01T10-00-00-CCCCCC/manifest.json";
    auto record = nlohmann::json::parse(fileText(partly).value_or("{}"));
    record["entries"][0]["bytes"] = "700000";
    writeFileAtomically(partly, record.dump(2));

    auto run = runKelvora({"--empty-expired-shelf"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Couldn’t empty an expired cleanup: “report.pdf” was read only in part "
                       "from the Undo Shelf’s records; it stays on the Undo Shelf until you put "
                       "it back or free it\n"
                       "Emptied 3 MB of expired cleanups · 2 still held\n");
    EXPECT_FALSE(fileExists(defaultShelf() + "/2026-01-01T10-00-00-AAAAAA"));
    EXPECT_TRUE(fileExists(defaultShelf() + "/2026-01-02T10-00-00-BBBBBB/items/0-0-report.pdf"));
    EXPECT_TRUE(fileExists(defaultShelf() + "/2026-01-01T10-00-00-BADBAD"))
        << "a clean-up that cannot be read is never purged";
    EXPECT_EQ(fileText(partly + ".damaged"), record.dump(2));
    auto kept = nlohmann::json::parse(fileText(partly).value_or("{}"))["entries"][0];
    for (const char* field : {"label", "kind", "location"})
        EXPECT_EQ(kept[field], record["entries"][0][field]) << field;
    EXPECT_EQ(kept["files"], record["entries"][0]["files"]);

    DiskHistory recorded = history();
    EXPECT_EQ(recorded.freedByCleaning, 3'000'000);
    ASSERT_EQ(recorded.samples.size(), 1u);
    EXPECT_GT(recorded.samples.front().available, 0);
}

TEST_F(ShelfSweeperRunTest, ShelfRootNamesAnotherShelfButTheHistoryStaysInItsPlace) {
    std::string other = env.dir() / "other shelf";
    makeSweep(other, "2026-01-01T10-00-00-CCCCCC", -10, 1'500);
    makeSweep(defaultShelf(), "2026-01-01T10-00-00-DDDDDD", -10, 9'000);

    auto run = runKelvora({"--empty-expired-shelf", "--shelf-root", other});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Emptied 2 KB of expired cleanups · 0 still held\n");
    EXPECT_FALSE(fileExists(other + "/2026-01-01T10-00-00-CCCCCC"));
    EXPECT_TRUE(fileExists(defaultShelf() + "/2026-01-01T10-00-00-DDDDDD"));
    EXPECT_EQ(history().freedByCleaning, 1'500);

    auto missing = runKelvora({"--empty-expired-shelf", "--shelf-root", env.dir() / "none"});
    EXPECT_EQ(missing.out, "Emptied 0 KB of expired cleanups · 0 still held\n");
    EXPECT_EQ(history().samples.size(), 1u) << "a sample within the hour is replaced";

    makeSweep(other, "2026-01-03T10-00-00-FFFFFF", -10, 2'200);
    makeSweep(other, "2026-01-04T10-00-00-GGGGGG", 86400, 10);
    auto relative = runKelvora({"--empty-expired-shelf", "--shelf-root", "./other shelf"}, {},
                               env.dir().path());
    EXPECT_EQ(relative.out, "Emptied 2 KB of expired cleanups · 1 still held\n")
        << "a relative root is taken from the working folder";
    EXPECT_FALSE(fileExists(other + "/2026-01-03T10-00-00-FFFFFF"));
}

TEST_F(ShelfSweeperRunTest, AnExpiredCleanupThatCannotBeEmptiedSaysWhy) {
    makeSweep(defaultShelf(), "2026-01-01T10-00-00-HHHHHH", -10, 500);
    std::string stored = defaultShelf() + "/2026-01-01T10-00-00-HHHHHH/items/0-0-report.pdf";
    if (std::system(("chattr +i '" + stored + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "this file system cannot make a file immutable";
    auto run = runKelvora({"--empty-expired-shelf"});
    std::system(("chattr -i '" + stored + "'").c_str());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Couldn’t empty an expired cleanup: Could not remove " + defaultShelf() +
                           "/2026-01-01T10-00-00-HHHHHH/items: permission was refused\n"
                           "Emptied 0 KB of expired cleanups · 1 still held\n");
}

TEST_F(ShelfSweeperRunTest, ADueScheduledCleanThatFreedCachesIsReportedFirst) {
    std::string blob = env.home() + "/Library/Caches/org.example.renderfarm/blob.bin";
    createDirectories(parentPath(blob));
    int fd = open(blob.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    if (posix_fallocate(fd, 0, 1'200'000'000) != 0) {
        close(fd);
        GTEST_SKIP() << "this file system cannot reserve 1.2 GB for the cache fixture";
    }
    close(fd);
    sync();
    Prefs::setBoolean(Prefs::Key::scheduledClean, true);
    makeSweep(defaultShelf(), "2026-01-02T10-00-00-EEEEEE", 86400, 10);

    auto run = runKelvora({"--empty-expired-shelf"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "Scheduled clean freed 1.2 GB of caches\n"
                       "Emptied 0 KB of expired cleanups · 1 still held\n");
    EXPECT_FALSE(fileExists(blob));
    EXPECT_GE(Prefs::lastScheduledFreed(), 1'200'000'000);
    EXPECT_TRUE(Prefs::lastScheduledClean().has_value());
    EXPECT_GE(history().freedByCleaning, 1'200'000'000);

    auto again = runKelvora({"--empty-expired-shelf"});
    EXPECT_EQ(again.out, "Emptied 0 KB of expired cleanups · 1 still held\n")
        << "not due again within the interval";
}

} // namespace
