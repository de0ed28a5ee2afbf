#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <climits>
#include <map>
#include <regex>
#include <signal.h>

namespace kelvora {
namespace {

bool processExists(int32_t pid) {
    return kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

std::optional<int32_t> DiskScanner::onnxOwnerPID(const std::string& folderName) {
    static const std::regex pattern("^onnxruntime-[0-9A-Fa-f-]{36}-([0-9]+)-");
    std::smatch match;
    if (!std::regex_search(folderName, match, pattern, std::regex_constants::match_continuous))
        return std::nullopt;
    const std::string digits = match[1].str();
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(digits.c_str(), &end, 10);
    if (errno == ERANGE || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

std::vector<ScanItem> DiskScanner::scanTempLeftovers(FileCounter& counter) const {
    const Listing temp = listFolder(tempDirectory);
    if (!temp.ok()) return {};
    // The listing comes sorted by name, so each owner's folders are in name order too.
    std::map<int32_t, std::vector<URL>> byOwner;
    for (const auto& entry : temp.entries) {
        if (auto pid = onnxOwnerPID(entry.name)) byOwner[*pid].push_back(entry.url);
    }
    std::vector<std::vector<URL>> groups;
    for (const auto& [pid, folders] : byOwner)
        groups.push_back(folders);
    const auto sizes = measure(groups, counter);

    std::vector<ScanItem> items;
    size_t index = 0;
    for (const auto& [pid, folders] : byOwner) {
        const Measured& measured = sizes[index++];
        if (measured.freesNothing()) continue;
        const int64_t bytes = measured.bytes;
        ScanItem item;
        item.kind = JunkKind::tempFiles;
        item.location = folders.front();
        item.targets = folders;
        item.bytes = bytes;
        if (processExists(pid)) item.inUseBy = "process " + std::to_string(pid);
        item.baseVerdict = Verdict::safe;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
