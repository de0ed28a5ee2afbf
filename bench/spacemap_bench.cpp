// kelvora_spacemap_bench DIR: the space map's walk of a tree beside `du -s` of the same
// tree, both with a warm cache, as seconds and as a ratio.
#include "spacemap/SpaceMap.h"

#include "Timing.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace kelvora;
using kelvora::bench::secondsOf;

namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvora_spacemap_bench DIR\n");
        return 2;
    }
    const URL root = URL::fileURL(argv[1], true).standardized();
    const std::string du = "du -s " + quoted(root.path()) + " > /dev/null 2>&1";
    int status = std::system(du.c_str()); // warms the cache for both
    std::shared_ptr<const SpaceMap> map;
    double walk = secondsOf([&] { map = SpaceMap::measure(root, {}); });
    double duSeconds = secondsOf([&] { status = std::system(du.c_str()); });
    if (status != 0) std::fprintf(stderr, "du -s failed\n");
    std::printf("files %lld\n", static_cast<long long>(map->filesMeasured()));
    std::printf("bytes %lld\n", static_cast<long long>(map->size(root).value_or(0)));
    std::printf("space map seconds %.3f\n", walk);
    std::printf("du -s seconds %.3f\n", duSeconds);
    std::printf("space map / du -s %.2f\n", duSeconds > 0 ? walk / duSeconds : 0.0);
    return 0;
}
