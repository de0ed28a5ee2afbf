#include "engine/DiskScanner.h"
#include "engine/FolderWalk.h"
#include "photos/SimilarPhotos.h"
#include "platform/StopToken.h"
#include "search/PlainQuery.h"
#include "spacemap/SpaceMap.h"
#include "support/FixtureScanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kelvora {
namespace {

using testing::TempDir;

// One kind of long work. It runs over a tree of its own with the token given, calls
// `midway` once from inside the work (from a worker thread where it has them; before it,
// where the work has no way in), and tells how much of its work it did; unstopped it would
// do `whole`.
struct StoppableWork {
    const char* name;
    std::function<size_t(const TempDir&, const StopToken&, const std::function<void()>& midway)>
        run;
    size_t whole;
};

void emptyFiles(const TempDir& dir, const std::string& relative, int folders, int files) {
    for (int folder = 0; folder < folders; ++folder) {
        const std::string path = dir.mkdir(relative + "/" + std::to_string(folder));
        for (int file = 0; file < files; ++file)
            close(open((path + "/" + std::to_string(file)).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC,
                       0644));
    }
}

// Reports the steps it begins; stopped in the developer step, it begins no other.
size_t scanSteps(const TempDir& home, const StopToken& stop, const std::function<void()>& midway) {
    home.write("Library/Caches/com.example.tool/blob.bin", std::string(100'000, 'c'));
    DiskScanner scanner = testing::fixtureScanner(home);
    scanner.processPaths = [&] {
        midway();
        return std::vector<std::string>();
    };
    scanner.stop = stop;
    size_t begun = 0;
    const ScanResult result = scanner.scan([&](const std::string&, int) { ++begun; });
    EXPECT_TRUE(result.items.empty()) << "a stopped scan shows nothing it found";
    return begun;
}

// The scan's walk of the home folder for build folders, which reaches every project.
size_t projectFilesSeen(const TempDir& home, const StopToken& stop,
                        const std::function<void()>& midway) {
    emptyFiles(home, "Code", 40, 20);
    home.write("Code/0/package.json", "{}");
    midway();
    FileCounter counter;
    DiskScanner scanner = testing::fixtureScanner(home);
    scanner.stop = stop;
    scanner.scanProjects({}, counter);
    return static_cast<size_t>(counter.count);
}

// Stopped at its first report, after 5,000 files.
size_t filesMeasured(const TempDir&, const StopToken& stop, const std::function<void()>& midway) {
    // Thousands of files are made far sooner in memory than on a busy disk.
    const TempDir memory(fileExists("/dev/shm") ? "/dev/shm" : "/tmp");
    emptyFiles(memory, "tree", 40, 200);
    auto map = SpaceMap::measure(
        URL::fileURL(memory / "tree", true), {}, [&](int64_t) { midway(); }, stop);
    return static_cast<size_t>(map->filesMeasured());
}

size_t printsMade(const TempDir&, const StopToken& stop, const std::function<void()>& midway) {
    std::vector<URL> photos;
    for (int i = 0; i < 400; ++i)
        photos.push_back(URL::fileURL("/nowhere/" + std::to_string(i) + ".jpg"));
    std::atomic<size_t> made{0};
    SimilarPhotos::Printer printer;
    printer.print = [&](const URL&) {
        if (made++ == 0) midway();
        return std::optional<SimilarPhotos::FeaturePrint>(SimilarPhotos::FeaturePrint{{0.5f}});
    };
    EXPECT_TRUE(SimilarPhotos::find(photos, printer, {}, stop).empty());
    return made;
}

// The search tool stands in as a script that prints its one hit and says it started, then
// would run on past the search's time-out; stopped meanwhile, it is ended within a few
// seconds, where its time-out would have taken half a minute.
size_t hitsFound(const TempDir& dir, const StopToken& stop, const std::function<void()>& midway) {
    const std::string hit = dir.write("home/Movies/trip.mov", std::string(10'000, 'm'));
    const std::string started = dir / "started";
    const std::string tool =
        dir.write("tools/mdfind/mdfind",
                  "#!/bin/sh\necho " + hit + "\necho $$ > " + started + "\nsleep 120\n");
    chmod(tool.c_str(), 0755);
    setenv("KELVORA_TOOLS_DIR", (dir / "tools").c_str(), 1);
    std::chrono::steady_clock::time_point stoppedAt;
    std::thread watcher([&] {
        while (!fileExists(started) || fileText(started).value_or("").empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        stoppedAt = std::chrono::steady_clock::now();
        midway();
    });
    PlainQuery query;
    query.kinds = {PlainQuery::Kind::videos};
    const auto hits = query.run(URL::fileURL(dir / "home", true), 300, stop);
    watcher.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stoppedAt, std::chrono::seconds(10))
        << "the stop ended the search, not its time-out";
    unsetenv("KELVORA_TOOLS_DIR");
    const pid_t toolPid = std::atoi(fileText(started).value_or("0").c_str());
    EXPECT_GT(toolPid, 0);
    EXPECT_NE(kill(toolPid, 0), 0) << "the search tool is ended";
    return hits.size();
}

TEST(StoppingWork, EachKindOfWorkEndsSoonAfterItsTokenIsSet) {
    const StoppableWork kinds[] = {
        {"scan", scanSteps, DiskScanner::scanSteps().size()},
        {"walk for build folders", projectFilesSeen, 40 * 20 + 1},
        {"space map", filesMeasured, 40 * 200},
        {"similar photos", printsMade, 400},
        {"plain-words search", hitsFound, 1},
    };
    for (const StoppableWork& work : kinds) {
        SCOPED_TRACE(work.name);
        TempDir dir;
        StopSource source;
        const size_t done = work.run(dir, source.token(), [&] { source.stop(); });
        EXPECT_TRUE(source.stopped()) << "the work reached the point where it is stopped";
        EXPECT_LT(done, work.whole);
    }
}

// Sees every file it is given, and sets the stop at the tenth.
struct StoppingVisitor : FolderVisitor {
    explicit StoppingVisitor(const StopSource& source) : source(source) {}
    unsigned statusMask() const override { return STATX_SIZE; }
    bool wantsFile(unsigned char type) const override { return type == DT_REG; }
    void file(int, const WalkFolder&, const char*, const struct statx&) override {
        if (++seen == 10) source.stop();
    }
    const StopSource& source;
    std::atomic<size_t> seen{0};
};

// One folder of thousands of files is read in batches of names: a stop is seen at the next
// file, not only at the next folder or batch.
TEST(StoppingWork, AStopIsSeenBetweenTheFilesOfOneLargeFolder) {
    const TempDir memory(fileExists("/dev/shm") ? "/dev/shm" : "/tmp");
    emptyFiles(memory, "tree", 1, 2000);
    StopSource source;
    StoppingVisitor visitor(source);
    FolderWalk::run({memory / "tree/0"}, visitor, 1, source.token());
    EXPECT_TRUE(source.stopped());
    EXPECT_LT(visitor.seen.load(), 20u);
}

} // namespace
} // namespace kelvora
