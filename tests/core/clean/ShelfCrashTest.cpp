#include "CleanFixtures.h"
#include "clean/Cleaner.h"
#include "clean/ShelfNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

constexpr size_t kFiles = 2000;

// The files of a large clean-up, each with contents of its own, spread over folders.
std::map<std::string, std::string> makeFiles(const TempDir& tmp) {
    std::mt19937 random(12);
    std::map<std::string, std::string> files;
    for (size_t i = 0; i < kFiles; ++i) {
        std::string contents(random() % 3000, '\0');
        for (auto& byte : contents)
            byte = static_cast<char>(random());
        std::string path = tmp / ("home/Downloads/folder-" + std::to_string(i % 40) + "/file-" +
                                  std::to_string(i) + ".bin");
        files[writeUnsynced(path, contents)] = contents;
    }
    return files;
}

// The clean-up folder on the shelf, once there is one.
std::string sweepFolderIn(const std::string& root) {
    for (const auto& entry : listFolder(URL::fileURL(root, true)).entries)
        if (entry.isDirectory()) return entry.url.path();
    return {};
}

} // namespace

// A clean-up killed at any moment, as by a logout or a power cut, loses nothing: through the
// shelf, every file it had moved goes back, byte for byte.
TEST(ShelfCrash, ACleanUpKilledAtAnyPointPutsEverythingBack) {
    TempDir tmp;
    const auto files = makeFiles(tmp);
    std::vector<ScanItem> items;
    std::vector<std::string> paths;
    for (const auto& [path, contents] : files) {
        items.push_back(itemOf(JunkKind::downloads, {path}, static_cast<int64_t>(contents.size())));
        paths.push_back(path);
    }
    UndoShelf shelf(URL::fileURL(tmp / "Shelf", true));
    auto storedAt = [&](const std::string& folder, size_t item) {
        return !folder.empty() &&
               fileExists(folder + "/items/" + storedName(item, 0, lastComponent(paths[item])));
    };
    struct Point {
        const char* name;
        std::function<bool(const std::string& folder)> reached;
    } points[] = {
        {"as its folder appears", [](const std::string& folder) { return !folder.empty(); }},
        {"once its plan is written",
         [](const std::string& folder) {
             return !folder.empty() && fileExists(folder + "/journal.json");
         }},
        {"a tenth of the way", [&](const std::string& folder) { return storedAt(folder, 200); }},
        {"half way", [&](const std::string& folder) { return storedAt(folder, 1000); }},
        {"after the last move", [&](const std::string& folder) { return storedAt(folder, 1999); }},
        {"once its manifest is complete",
         [](const std::string& folder) {
             return !folder.empty() && fileExists(folder + "/manifest.json") &&
                    !fileExists(folder + "/journal.json");
         }},
    };

    for (const auto& point : points) {
        pid_t child = fork();
        if (child == 0) {
            std::thread([&] {
                while (!point.reached(sweepFolderIn(shelf.root.path()))) {
                }
                kill(getpid(), SIGKILL);
            }).detach();
            Cleaner cleaner([] { return std::vector<RunningApp>{}; });
            cleaner.clean(items, shelf, dateFromEpochSeconds(1'800'000'000));
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);

        for (const auto& sweep : shelf.sweeps())
            EXPECT_NO_THROW(shelf.putBackAll(sweep)) << point.name;
        EXPECT_TRUE(shelf.sweeps().empty()) << point.name;
        size_t intact = 0;
        for (const auto& [path, contents] : files)
            intact += contentsOf(path) == contents;
        EXPECT_EQ(intact, kFiles) << point.name;
        // A folder left by a clean-up killed before its plan holds nothing of anyone's.
        if (std::string left = sweepFolderIn(shelf.root.path()); !left.empty())
            EXPECT_TRUE(listFolder(URL::fileURL(left + "/items", true)).entries.empty())
                << point.name;
        removeItem(shelf.root.path());
    }
}
