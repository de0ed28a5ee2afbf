// kelvora_shelf_bench COUNT [DIR]: one clean-up of COUNT files moved onto the Undo Shelf and
// put back whole, each step timed, so that the cost per entry can be compared across sizes.
#include "clean/UndoShelf.h"
#include "platform/FileSystem.h"

#include "Timing.h"

#include <cstdio>
#include <cstdlib>
#include <string>
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

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || std::atol(argv[1]) < 1) {
        std::fprintf(stderr, "usage: kelvora_shelf_bench COUNT [DIR]\n");
        return 2;
    }
    long count = std::atol(argv[1]);
    std::string pattern = std::string(argc == 3 ? argv[2] : "/tmp") + "/kelvora-shelf-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "cannot make a folder in %s\n", argc == 3 ? argv[2] : "/tmp");
        return 1;
    }
    auto items = makeItems(pattern, count);
    UndoShelf shelf(URL::fileURL(pattern + "/Shelf", true));
    UndoShelf::ShelveResult shelved;
    double shelving = secondsOf([&] { shelved = shelf.shelve(items, currentDate()); });
    if (!shelved.sweep || !shelved.failures.empty()) {
        std::fprintf(stderr, "shelving failed\n");
        return 1;
    }
    double puttingBack = secondsOf([&] { shelf.putBackAll(*shelved.sweep); });
    std::printf("entries %ld\n", count);
    std::printf("shelve seconds %.3f (%.1f us per entry)\n", shelving, 1e6 * shelving / count);
    std::printf("put back seconds %.3f (%.1f us per entry)\n", puttingBack,
                1e6 * puttingBack / count);
    removeItem(pattern);
    return 0;
}
