#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>

namespace kelvora {

namespace {

using Kind = ScanItem::DeveloperInfo::Kind;

struct PruneRow {
    Kind kind;
    int64_t DockerUsage::*bytes;
    const char* name;
    std::vector<std::string> arguments;
    Verdict verdict;
};

const std::vector<PruneRow>& pruneRows() {
    static const std::vector<PruneRow> rows = {
        {Kind::dockerImages,
         &DockerUsage::images,
         "images",
         {"image", "prune", "--all", "--force"},
         Verdict::rebuilds},
        {Kind::dockerBuildCache,
         &DockerUsage::buildCache,
         "build-cache",
         {"builder", "prune", "--all", "--force"},
         Verdict::rebuilds},
        {Kind::dockerContainers,
         &DockerUsage::stoppedContainers,
         "stopped-containers",
         {"container", "prune", "--force"},
         Verdict::youDecide},
    };
    return rows;
}

} // namespace

std::vector<std::string> DiskScanner::dockerToolCandidates(const URL& home) {
    std::vector<std::string> candidates = {
        "/usr/local/bin/docker", "/opt/homebrew/bin/docker",
        home.appending(".docker/bin/docker").path(), home.appending(".orbstack/bin/docker").path(),
        "/Applications/Docker.app/Contents/Resources/bin/docker",
        // Where this system's packages put it, then wherever the user's PATH finds it.
        "/usr/bin/docker"};
    const char* path = std::getenv("PATH");
    for (const auto& folder : splitNonEmpty(path ? path : "", ':')) {
        if (folder.front() != '/') continue;
        std::string tool = joinPath(standardizedPath(folder), "docker");
        if (std::find(candidates.begin(), candidates.end(), tool) == candidates.end())
            candidates.push_back(std::move(tool));
    }
    return candidates;
}

namespace {

int64_t multiplierFor(char unit) {
    switch (std::toupper(static_cast<unsigned char>(unit))) {
    case 'K':
        return 1'000;
    case 'M':
        return 1'000'000;
    case 'G':
        return 1'000'000'000;
    case 'T':
        return 1'000'000'000'000;
    case 'P':
        return 1'000'000'000'000'000;
    default:
        return 1;
    }
}

// Read with a point whatever the process's locale: the engine writes "2.5GB" everywhere.
std::optional<double> decimalNumber(const std::string& text) {
    if (text.empty() || text == ".") return std::nullopt;
    if (text.find('.') != text.rfind('.')) return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// Sizes are clamped to the largest byte count, and so are their sums.
int64_t addingBytes(int64_t a, int64_t b) {
    int64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<int64_t>::max() : sum;
}

int64_t clampedBytes(double value) {
    if (!(value > 0)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int64_t>::max()))
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(value);
}

} // namespace

std::optional<DockerUsage> DiskScanner::liveDocker(const URL& home) {
    return askDocker(dockerToolCandidates(home));
}

std::optional<DockerUsage> DiskScanner::askDocker(const std::vector<std::string>& candidates) {
    for (const auto& tool : candidates) {
        if (!isExecutableFile(tool)) continue;
        auto result = runTool(tool, {"system", "df", "--format", "{{json .}}"}, 30);
        if (!result || result->status != 0) return std::nullopt;
        return parseDockerUsage(result->output, tool);
    }
    return std::nullopt;
}

std::optional<DockerUsage> DiskScanner::parseDockerUsage(const std::string& output,
                                                         const std::string& tool) {
    std::map<std::string, int64_t> reclaimable;
    int64_t total = 0;
    for (const auto& line : splitNonEmpty(repairedUtf8(output), '\n')) {
        Json row = Json::parse(line, nullptr, false);
        auto type = plistString(row, "Type");
        auto bytes = plistString(row, "Reclaimable");
        if (!type || !bytes) continue;
        reclaimable[*type] = dockerBytes(*bytes);
        if (auto size = plistString(row, "Size")) total = addingBytes(total, dockerBytes(*size));
    }
    if (reclaimable.empty()) return std::nullopt;
    auto bytesOf = [&](const char* type) {
        auto it = reclaimable.find(type);
        return it == reclaimable.end() ? int64_t{0} : it->second;
    };
    return DockerUsage{tool, bytesOf("Images"), bytesOf("Build Cache"), bytesOf("Containers"),
                       total};
}

// "2.5GB (45%)" is 2,500,000,000: the engine counts in powers of 1,000.
int64_t DiskScanner::dockerBytes(const std::string& text) {
    size_t i = 0;
    auto skipSpace = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
    };
    skipSpace();
    size_t start = i;
    while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
        ++i;
    if (i == start) return 0;
    std::string number = text.substr(start, i - start);
    skipSpace();
    char unit = 0;
    if (i < text.size() && std::string("kKMGTP").find(text[i]) != std::string::npos)
        unit = text[i++];
    if (i >= text.size() || text[i] != 'B') return 0;
    auto value = decimalNumber(number);
    if (!value) return 0;
    return clampedBytes(*value * static_cast<double>(multiplierFor(unit)));
}

std::vector<ScanItem> DiskScanner::scanDocker(const std::optional<DockerUsage>& usage) const {
    if (!includeDocker || !usage) return {};
    std::vector<ScanItem> items;
    for (const auto& row : pruneRows()) {
        int64_t bytes = (*usage).*row.bytes;
        if (bytes < 1) continue;
        auto location = URL::parse(std::string("docker:") + row.name);
        if (!location) continue;
        ScanItem item;
        item.kind = JunkKind::developer;
        item.location = *location;
        item.bytes = bytes;
        item.baseVerdict = row.verdict;
        item.record = ScanItem::DeveloperInfo{row.kind, "Docker", std::nullopt};
        item.action = ScanItem::Action{usage->tool, row.arguments};
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
