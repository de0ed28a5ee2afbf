// kelvora_shelf_bench COUNT [DIR]: one clean-up of COUNT files moved onto the Undo Shelf and
// put back whole, each step timed, so that the cost per entry can be compared across sizes.
// kelvora_shelf_bench --interrupted COUNT [DIR]: the same clean-up as one cut short half way
// (its plan whole, its manifest holding the first half), read back and settled.
// kelvora_shelf_bench --one-entry COUNT [DIR]: the COUNT files as one entry (a month of
// screenshots), put back with one press; run it under `ulimit -n 1024`.
#include "clean/ShelfFolder.h"
#include "clean/UndoShelf.h"
#include "platform/FileSystem.h"

#include "Timing.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace kelvora;
using kelvora::bench::secondsOf;

namespace {

// Files spread over folders of 1,000, written without syncing: the set-up is not measured.
std::vector<UndoShelf::LabelledItem> makeItems(const std::string& folder, long count) {
    std::vector<UndoShelf::LabelledItem> items;
    for (long i = 0; i < count; ++i) {
        std::string name = "file-" + std::to_string(i) + ".bin";
        std::string path = folder + "/Downloads/" + std::to_string(i / 1000) + "/" + name;
        if (i % 1000 == 0) createDirectories(parentPath(path));
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            std::fputs(name.c_str(), out);
            std::fclose(out);
        }
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = URL::fileURL(path);
        item.targets = {item.location};
        item.bytes = 4096;
        items.push_back({std::move(item), name});
    }
    return items;
}

// What a clean-up killed half way leaves: the plan of every entry, a manifest of the first half.
bool cutShort(const UndoShelf& shelf, const UndoShelf::Sweep& sweep) {
    FolderHandle folder = FolderHandle::open(joinPath(shelf.root.path(), sweep.id));
    UndoShelf::Sweep half = sweep;
    half.entries.resize(sweep.entries.size() / 2);
    return folder && writePlan(folder, sweep) && writeManifest(folder, half);
}

// Every file as a target of one item.
std::vector<UndoShelf::LabelledItem> asOneEntry(std::vector<UndoShelf::LabelledItem> items) {
    UndoShelf::LabelledItem one{items.front().item, "Screenshots"};
    one.item.targets.clear();
    one.item.bytes = 0;
    for (const auto& item : items) {
        one.item.targets.push_back(item.item.location);
        one.item.bytes += item.item.bytes;
    }
    return {std::move(one)};
}

long filesIn(const std::string& folder) {
    return static_cast<long>(listFolder(URL::fileURL(folder, true)).entries.size());
}

int runOneEntry(const UndoShelf& shelf, const UndoShelf::Sweep& sweep, long count) {
    std::string error;
    double puttingBack = secondsOf([&] {
        try {
            shelf.putBack(sweep.entries.at(0), sweep);
        } catch (const std::exception& failure) {
            error = failure.what();
        }
    });
    struct rlimit limit {};
    getrlimit(RLIMIT_NOFILE, &limit);
    long left = filesIn(joinPath(joinPath(shelf.root.path(), sweep.id), "items"));
    std::printf("open files allowed %llu\n", static_cast<unsigned long long>(limit.rlim_cur));
    std::printf("put back one entry seconds %.3f (%.1f us per file)\n", puttingBack,
                1e6 * puttingBack / count);
    std::printf("files back %ld, still on the shelf %ld\n", count - left, left);
    auto listed = shelf.sweeps();
    if (!listed.empty())
        std::printf("still listed: %zu files, %lld bytes\n", listed[0].entries[0].files.size(),
                    static_cast<long long>(listed[0].bytes()));
    if (!error.empty()) std::printf("error: %.300s\n", error.c_str());
    return left == 0 && error.empty() ? 0 : 1;
}

int run(long count, const std::string& folder, bool interrupted, bool oneEntry) {
    auto items = makeItems(folder, count);
    if (oneEntry) items = asOneEntry(std::move(items));
    UndoShelf shelf(URL::fileURL(folder + "/Shelf", true));
    UndoShelf::ShelveResult shelved;
    double shelving = secondsOf([&] { shelved = shelf.shelve(items, currentDate()); });
    if (!shelved.sweep || !shelved.failures.empty()) {
        std::fprintf(stderr, "shelving failed\n");
        return 1;
    }
    std::printf("%s %ld\n", oneEntry ? "files in one entry" : "entries", count);
    std::printf("shelve seconds %.3f (%.1f us per entry)\n", shelving, 1e6 * shelving / count);
    auto manifest =
        fileInfo(joinPath(joinPath(shelf.root.path(), shelved.sweep->id), "manifest.json"));
    std::printf("manifest bytes %lld\n",
                manifest ? static_cast<long long>(manifest->logicalSize) : 0LL);
    if (oneEntry) return runOneEntry(shelf, *shelved.sweep, count);
    if (interrupted) {
        if (!cutShort(shelf, *shelved.sweep)) {
            std::fprintf(stderr, "could not cut the clean-up short\n");
            return 1;
        }
        std::vector<UndoShelf::Sweep> listed;
        double reading = secondsOf([&] { listed = shelf.sweeps(); });
        if (listed.size() != 1 || listed[0].entries.size() != static_cast<size_t>(count)) {
            std::fprintf(stderr, "the interrupted clean-up did not read back whole\n");
            return 1;
        }
        double settling = secondsOf([&] { shelf.purge(currentDate()); });
        std::printf("read back interrupted seconds %.3f (%.1f us per entry)\n", reading,
                    1e6 * reading / count);
        std::printf("purge (settles it) seconds %.3f\n", settling);
        return 0;
    }
    double puttingBack = secondsOf([&] { shelf.putBackAll(*shelved.sweep); });
    std::printf("put back seconds %.3f (%.1f us per entry)\n", puttingBack,
                1e6 * puttingBack / count);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bool interrupted = argc > 1 && std::strcmp(argv[1], "--interrupted") == 0;
    bool oneEntry = argc > 1 && std::strcmp(argv[1], "--one-entry") == 0;
    int first = interrupted || oneEntry ? 2 : 1;
    if (argc < first + 1 || argc > first + 2 || std::atol(argv[first]) < 1) {
        std::fprintf(stderr,
                     "usage: kelvora_shelf_bench [--interrupted | --one-entry] COUNT [DIR]\n");
        return 2;
    }
    long count = std::atol(argv[first]);
    const char* base = argc == first + 2 ? argv[first + 1] : "/tmp";
    std::string pattern = std::string(base) + "/kelvora-shelf-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "cannot make a folder in %s\n", base);
        return 1;
    }
    int status = run(count, pattern, interrupted, oneEntry);
    removeItem(pattern);
    return status;
}
