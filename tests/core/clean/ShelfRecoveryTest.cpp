// The Undo Shelf against hand-edited, damaged and half-finished clean-ups: what it reads back,
// what it puts back, and what it removes.
#include "CleanFixtures.h"
#include "clean/ShelfManifest.h"
#include "clean/UndoShelf.h"
#include "model/Format.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const Date t0 = dateFromEpochSeconds(1'800'000'000);
constexpr double day = 86400;

struct ShelfRecoveryTest : ::testing::Test {
    TempDir tmp;
    UndoShelf shelf{URL::fileURL(tmp / "Shelf", true)};

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
