// kelvora_bench: plain-line measurements of the size walk, the duplicate finder,
// the space map and a whole scan, for comparison with other tools on the same tree.
#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/Iso8601.h"
#include "scanners/ContentHash.h"
#include "spacemap/SpaceMap.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace kelvora;

namespace {

class Stopwatch {
public:
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Bytes this process has read through read calls so far.
long long bytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return 0;
}

URL folderURL(const std::string& path) {
    return URL::fileURL(path, true).standardized();
}

int usage() {
    std::fprintf(stderr, "usage: kelvora_bench walk DIR\n"
                         "       kelvora_bench duplicates --home HOME [FOLDER...]\n"
                         "       kelvora_bench spacemap DIR\n"
                         "       kelvora_bench scan HOME [--now ISO-8601] [--targets]\n");
    return 2;
}

int walk(const std::string& folder) {
    const DiskScanner scanner = DiskScanner::live();
    FileCounter counter;
    const Stopwatch clock;
    const auto sizes = scanner.freedSizes({{folderURL(folder)}}, counter);
    std::printf("bytes %lld\n", static_cast<long long>(sizes.front()));
    std::printf("files %lld\n", static_cast<long long>(counter.count));
    std::printf("seconds %.3f\n", clock.seconds());
    return 0;
}

// The duplicate finder of a scan of HOME: its six user folders unless others are
// given, and its Downloads folder for choosing which copy to keep.
int duplicates(const std::string& home, const std::vector<std::string>& folders) {
    DiskScanner scanner(folderURL(home), URL::fileURL(AppPaths::temporaryDirectory(), true));
    if (!folders.empty()) {
        scanner.duplicateFolders.clear();
        for (const auto& folder : folders)
            scanner.duplicateFolders.push_back(folderURL(folder));
    }
    // The hash library reads its configuration on first use; that is not file content.
    contentSha256([](char*, size_t, int64_t) -> int64_t { return 0; });
    const long long probe = bytesRead();
    const long long readBefore = bytesRead();
    const long long probeCost = readBefore - probe; // reading the counter is a read too
    const Stopwatch clock;
    FileCounter counter;
    const auto items = scanner.scanDuplicates(scanner.userFiles({}, counter));
    const double seconds = clock.seconds();
    for (const auto& item : items) {
        std::printf("copy %lld %s kept %s\n", static_cast<long long>(item.bytes),
                    item.location.path().c_str(), item.duplicate()->keptCopy.path().c_str());
    }
    std::printf("candidates %lld\n", static_cast<long long>(counter.count));
    std::printf("bytes read %lld\n", bytesRead() - readBefore - probeCost);
    std::printf("seconds %.3f\n", seconds);
    return 0;
}

int spacemap(const std::string& folder) {
    const Stopwatch clock;
    const auto map = SpaceMap::measure(folderURL(folder), {});
    const double seconds = clock.seconds();
    std::printf("bytes %lld\n", static_cast<long long>(map->size(map->root()).value_or(0)));
    std::printf("files %lld\n", static_cast<long long>(map->filesMeasured()));
    std::printf("seconds %.3f\n", seconds);
    return 0;
}

int scan(const std::string& home, const std::optional<Date>& now, bool targets) {
    const DiskScanner scanner(
        folderURL(home), URL::fileURL(AppPaths::temporaryDirectory(), true), std::nullopt, {}, {},
        now ? std::function<Date()>([now] { return *now; }) : std::function<Date()>());
    const Stopwatch clock;
    std::vector<std::pair<std::string, double>> steps;
    const ScanResult result = scanner.scan(
        [&](const std::string& step, int) { steps.emplace_back(step, clock.seconds()); });
    const double seconds = clock.seconds();
    for (const auto& item : result.items) {
        std::printf("%s %lld %s %s\n", JunkKinds::rawValue(item.kind).c_str(),
                    static_cast<long long>(item.bytes), Verdicts::rawValue(item.verdict()).c_str(),
                    item.location.absoluteString().c_str());
        // What removing the item takes, one path a line, for checking its figure with du.
        if (targets)
            for (const URL& target : item.targets)
                std::printf("  target %s\n", target.path().c_str());
    }
    for (size_t i = 0; i < steps.size(); ++i) {
        const double end = i + 1 < steps.size() ? steps[i + 1].second : seconds;
        std::printf("step %.3f %s\n", end - steps[i].second, steps[i].first.c_str());
    }
    std::printf("files %lld\n", static_cast<long long>(result.filesLookedAt));
    std::printf("seconds %.3f\n", seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "walk") return walk(args[1]);
    if (args.size() >= 3 && args[0] == "duplicates" && args[1] == "--home")
        return duplicates(args[2], {args.begin() + 3, args.end()});
    if (args.size() == 2 && args[0] == "spacemap") return spacemap(args[1]);
    if (args.size() >= 2 && args[0] == "scan") {
        std::optional<Date> now;
        bool targets = false;
        for (size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "--targets") {
                targets = true;
            } else if (args[i] != "--now" || i + 1 == args.size() ||
                       !(now = parseIso8601(args[++i]))) {
                std::fprintf(stderr, "kelvora_bench: --now needs a date such as "
                                     "2026-12-07T09:00:00Z\n");
                return 2;
            }
        }
        return scan(args[1], now, targets);
    }
    return usage();
}
