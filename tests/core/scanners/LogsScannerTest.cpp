#include "support/FixtureScanner.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

TEST(LogsScanner, OffersOnlyFilesStrictlyOlderThanTheCutoff) {
    TempDir home;
    const auto old = writeAged(home, "Library/Logs/App/old.log", 4000, daysAgo(8));
    writeAged(home, "Library/Logs/App/new.log", 4000, daysAgo(1));
    writeAged(home, "Library/Logs/App/edge.log", 4000, daysAgo(7));
    writeAged(home, "Library/Logs/Fresh/today.log", 4000, daysAgo(0));
    const auto single = writeAged(home, "Library/Logs/single.log", 4000, daysAgo(30));
    sync();
    FileCounter counter;
    auto items = fixtureScanner(home).scanLogs(counter);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].location.path(), home / "Library/Logs/App");
    ASSERT_EQ(items[0].targets.size(), 1u);
    EXPECT_EQ(items[0].targets[0].path(), old);
    EXPECT_GT(items[0].bytes, 0);
    EXPECT_EQ(items[1].location.path(), single);
    EXPECT_EQ(items[1].kind, JunkKind::logs);
}

TEST(LogsScanner, LinkedLogFolderYieldsNoItem) {
    TempDir home;
    TempDir elsewhere;
    writeAged(elsewhere, "kept/old.log", 4000, daysAgo(100));
    home.mkdir("Library/Logs");
    ASSERT_EQ(symlink((elsewhere / "kept").c_str(), (home / "Library/Logs/linked").c_str()), 0);
    FileCounter counter;
    EXPECT_TRUE(fixtureScanner(home).scanLogs(counter).empty());
}

TEST(TempLeftovers, GroupsFoldersByOwnerAndTellsWhetherTheOwnerRuns) {
    const std::string uuid = "0123abcd-4567-89ef-ABCD-0123456789ab";
    EXPECT_EQ(DiskScanner::onnxOwnerPID("onnxruntime-" + uuid + "-42-x"), 42);
    EXPECT_FALSE(DiskScanner::onnxOwnerPID("onnxruntime-" + uuid + "-42"));
    EXPECT_FALSE(DiskScanner::onnxOwnerPID("onnxruntime-" + std::string(35, 'a') + "-42-x"));
    EXPECT_FALSE(DiskScanner::onnxOwnerPID("onnxruntime-" + uuid + "-99999999999-x"));
    EXPECT_FALSE(DiskScanner::onnxOwnerPID("x-onnxruntime-" + uuid + "-42-x"));

    TempDir home;
    const std::string alive = std::to_string(getpid());
    home.write("tmp/onnxruntime-" + uuid + "-" + alive + "-b/model", std::string(5000, 'm'));
    home.write("tmp/onnxruntime-" + uuid + "-" + alive + "-a/model", std::string(5000, 'm'));
    home.write("tmp/onnxruntime-" + uuid + "-999999-z/model", std::string(5000, 'm'));
    home.mkdir("tmp/onnxruntime-" + uuid + "-999998-empty");
    sync();
    FileCounter counter;
    auto items = fixtureScanner(home).scanTempLeftovers(counter);
    ASSERT_EQ(items.size(), 2u);
    const ScanItem& mine = std::stoi(alive) < 999999 ? items[0] : items[1];
    const ScanItem& gone = std::stoi(alive) < 999999 ? items[1] : items[0];
    EXPECT_EQ(mine.location.lastPathComponent(), "onnxruntime-" + uuid + "-" + alive + "-a");
    EXPECT_EQ(mine.targets.size(), 2u);
    EXPECT_EQ(mine.inUseBy, "process " + alive);
    EXPECT_FALSE(gone.inUseBy);
    EXPECT_EQ(gone.kind, JunkKind::tempFiles);
}
