#include "platform/ProcessTable.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/Url.h"

#include <cctype>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::ProcessTable {

namespace {

bool isNumber(const char* name) {
    if (!*name) return false;
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
    return true;
}

std::vector<int32_t> processIDs() {
    std::vector<int32_t> pids;
    DIR* proc = opendir("/proc");
    if (!proc) return pids;
    while (dirent* entry = readdir(proc))
        if (isNumber(entry->d_name)) pids.push_back(static_cast<int32_t>(std::stol(entry->d_name)));
    closedir(proc);
    return pids;
}

std::string folderOf(int32_t pid) {
    return "/proc/" + std::to_string(pid);
}

// A file replaced or removed while held reads as "path (deleted)".
std::string withoutDeletedMark(std::string path) {
    constexpr std::string_view deleted = " (deleted)";
    if (path.size() > deleted.size() && endsWith(path, deleted))
        path.erase(path.size() - deleted.size());
    return path;
}

std::optional<std::string> linkTarget(const std::string& link) {
    char buffer[4096];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) == sizeof buffer) return std::nullopt;
    return std::string(buffer, static_cast<size_t>(n));
}

std::optional<std::string> executableOf(int32_t pid) {
    auto path = linkTarget(folderOf(pid) + "/exe");
    if (!path) return std::nullopt;
    return withoutDeletedMark(std::move(*path));
}

bool ownedByThisUser(int32_t pid) {
    struct stat status {};
    return stat(folderOf(pid).c_str(), &status) == 0 && status.st_uid == getuid();
}

// Descriptors name sockets, pipes and the like too; only files have a path.
void addDescriptorFiles(const std::string& folder, std::set<std::string>& files) {
    const std::string fds = folder + "/fd";
    DIR* dir = opendir(fds.c_str());
    if (!dir) return;
    while (dirent* fd = readdir(dir))
        if (auto target = linkTarget(fds + "/" + fd->d_name); target && target->front() == '/')
            files.insert(withoutDeletedMark(std::move(*target)));
    closedir(dir);
}

void addMappedFiles(const std::string& folder, std::set<std::string>& files) {
    const auto maps = readFile(folder + "/maps");
    if (!maps) return;
    size_t start = 0;
    while (start < maps->size()) {
        size_t end = maps->find('\n', start);
        if (end == std::string::npos) end = maps->size();
        if (auto file = mappedFile(std::string_view(*maps).substr(start, end - start)))
            files.insert(std::move(*file));
        start = end + 1;
    }
}

// Only the first two words are wanted; a longer command line than this says nothing more.
constexpr size_t kMaxCommandLine = 256 * 1024;

std::optional<FileIdentity> scriptOf(int32_t pid) {
    BoundedRead read = readFileAtMost(folderOf(pid) + "/cmdline", kMaxCommandLine);
    if (!read.ok()) return std::nullopt;
    const std::string& cmdline = read.bytes;
    const size_t first = cmdline.find('\0');
    if (first == std::string::npos || first + 1 >= cmdline.size()) return std::nullopt;
    const std::string argument =
        cmdline.substr(first + 1, cmdline.find('\0', first + 1) - first - 1);
    if (argument.empty() || argument[0] != '/') return std::nullopt;
    return identityOf(argument);
}

// Without a readable executable (a program that dropped it), the kernel's short name.
std::string nameOf(int32_t pid, const std::string& executable) {
    if (!executable.empty()) return lastComponent(executable);
    return trimmed(readFile(folderOf(pid) + "/comm").value_or(""));
}

} // namespace

std::vector<std::string> executablePaths() {
    std::vector<std::string> paths;
    for (int32_t pid : processIDs())
        if (auto path = executableOf(pid)) paths.push_back(std::move(*path));
    return paths;
}

std::vector<RunningProcess> holdingFiles() {
    std::vector<RunningProcess> processes;
    const auto self = static_cast<int32_t>(getpid());
    for (int32_t pid : processIDs()) {
        if (pid == self || !ownedByThisUser(pid)) continue;
        const std::string folder = folderOf(pid);
        std::set<std::string> files;
        addDescriptorFiles(folder, files);
        addMappedFiles(folder, files);
        if (files.empty()) continue;
        RunningProcess process;
        process.pid = pid;
        process.executable = executableOf(pid).value_or("");
        process.name = nameOf(pid, process.executable);
        process.openFiles.assign(files.begin(), files.end());
        processes.push_back(std::move(process));
    }
    return processes;
}

std::vector<ProgramRun> programRuns() {
    std::vector<ProgramRun> runs;
    for (int32_t pid : processIDs()) {
        if (!ownedByThisUser(pid)) continue;
        // The kernel's link leads to the executable even where its path no longer does.
        auto executable = identityOf(folderOf(pid) + "/exe");
        if (!executable) continue;
        runs.push_back({pid, *executable, scriptOf(pid)});
    }
    return runs;
}

std::optional<std::string> mappedFile(std::string_view line) {
    // address, permissions, offset, device and inode come before the path.
    size_t at = 0;
    for (int field = 0; field < 5; ++field) {
        while (at < line.size() && line[at] != ' ')
            ++at;
        while (at < line.size() && line[at] == ' ')
            ++at;
    }
    if (at >= line.size() || line[at] != '/') return std::nullopt;
    return withoutDeletedMark(std::string(line.substr(at)));
}

} // namespace kelvora::ProcessTable
