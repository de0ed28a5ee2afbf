#include "platform/ProcessTable.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/Url.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::ProcessTable {

namespace {

constexpr size_t kMaxNameBytes = 4096;

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

constexpr std::string_view kDeleted = " (deleted)";

// A file replaced or removed while held reads as "path (deleted)".
std::string withoutDeletedMark(std::string path) {
    if (path.size() > kDeleted.size() && endsWith(path, kDeleted))
        path.erase(path.size() - kDeleted.size());
    return path;
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

// One thing a process holds: its path as the kernel names it, and what it is.
struct Held {
    std::string path;
    std::optional<FileIdentity> identity;
    bool deleted = false;
};

Held heldThrough(const std::string& link, std::string target) {
    Held held;
    held.deleted = target.size() > kDeleted.size() && endsWith(target, kDeleted);
    held.path = withoutDeletedMark(std::move(target));
    // Followed, the link leads to the held file itself, in whatever namespace.
    held.identity = identityOf(link);
    return held;
}

// Descriptors name sockets, pipes and the like too; only files and folders have a path.
// False when the folder of descriptors cannot be read.
bool addDescriptors(const std::string& folder, std::vector<Held>& held) {
    const std::string fds = folder + "/fd";
    DIR* dir = opendir(fds.c_str());
    if (!dir) return false;
    while (dirent* fd = readdir(dir)) {
        if (!isNumber(fd->d_name)) continue;
        const std::string link = fds + "/" + fd->d_name;
        if (auto target = linkTarget(link); target && target->front() == '/')
            held.push_back(heldThrough(link, std::move(*target)));
    }
    closedir(dir);
    return true;
}

// The working folder and the root folder a process sees everything from.
bool addFolders(const std::string& folder, std::vector<Held>& held) {
    bool read = true;
    for (const char* name : {"/cwd", "/root"}) {
        const std::string link = folder + name;
        auto target = linkTarget(link);
        if (target && target->front() == '/')
            held.push_back(heldThrough(link, std::move(*target)));
        else
            read = false;
    }
    return read;
}

bool addMappedFiles(const std::string& folder, std::vector<Held>& held) {
    auto files = mappedFiles(folder + "/maps");
    if (!files) return false;
    for (auto& file : *files)
        held.push_back({std::move(file.path), file.identity, file.deleted});
    return true;
}

// A process that is ending, or has ended and waits to be reaped, no longer has a working
// folder: what it held is let go, and it is not judged by anything else.
bool ending(const std::string& folder) {
    char target[1];
    return readlink((folder + "/cwd").c_str(), target, sizeof target) < 0 && errno == ENOENT;
}

// Far above what a program is started with (the kernel allows some 2 MB in all, the
// environment included); a longer one counts as unreadable.
constexpr size_t kMaxCommandLine = 256 * 1024;

// Readable even where nothing else of a process is; none when gone or past the limit.
std::optional<std::vector<std::string>> commandLineOf(int32_t pid) {
    BoundedRead read = readFileAtMost(folderOf(pid) + "/cmdline", kMaxCommandLine);
    if (!read.ok()) return std::nullopt;
    return splitNonEmpty(read.bytes, '\0');
}

std::optional<FileIdentity> scriptOf(int32_t pid) {
    auto words = commandLineOf(pid);
    if (!words || words->size() < 2 || (*words)[1][0] != '/') return std::nullopt;
    return identityOf((*words)[1]);
}

// The place a word of a command line names: the word itself or the value of "--name=/path".
std::optional<std::string> placeNamedBy(const std::string& word) {
    std::string place = word;
    if (const size_t equals = word.find('='); word[0] != '/' && equals != std::string::npos)
        place = word.substr(equals + 1);
    if (place.empty() || place[0] != '/') return std::nullopt;
    return standardizedPath(place);
}

// Without a readable executable (a program that dropped it), the kernel's short name.
std::string nameOf(int32_t pid, const std::string& executable) {
    if (!executable.empty()) return lastComponent(executable);
    const BoundedRead comm = readFileAtMost(folderOf(pid) + "/comm", kMaxNameBytes);
    return comm.ok() ? trimmed(comm.bytes) : std::string();
}

// How the paths a process holds are reached from here: through its own root, which keeps
// its mount namespace and its root folder, or as they are, when it shares both with us.
struct View {
    std::string prefix;
    std::string key; // one per namespace and root, so that what is found once serves all
};

std::string keyOf(const std::string& namespaceLink, const std::string& root) {
    auto space = identityOf(namespaceLink);
    auto top = identityOf(root);
    if (!space || !top) return {};
    return std::to_string(space->device) + ":" + std::to_string(space->inode) + "/" +
           std::to_string(top->device) + ":" + std::to_string(top->inode);
}

// The identities of the places processes hold and of the folders above them, each looked
// up once for all the processes that see it the same way.
class Places {
public:
    Places() : own_{"", keyOf("/proc/self/ns/mnt", "/")} {}

    void add(int32_t pid, const std::vector<Held>& held, std::set<FileIdentity>& places) {
        const std::string folder = folderOf(pid);
        View theirs{folder + "/root", keyOf(folder + "/ns/mnt", folder + "/root")};
        std::vector<const View*> views = {&own_};
        if (theirs.key.empty() || theirs.key != own_.key) views.insert(views.begin(), &theirs);
        for (const Held& one : held) {
            if (!one.identity) continue;
            places.insert(*one.identity);
            if (one.deleted || one.path.empty() || one.path.front() != '/') continue;
            // The path is trusted to lead where the process is only where it leads to the
            // very file it holds.
            for (const View* view : views) {
                if (view->key.empty() || at(*view, one.path) != one.identity) continue;
                addFoldersAbove(*view, one.path, places);
                break;
            }
        }
    }

    // What a place named on a command line is and every folder above it, as seen from here:
    // a program is taken to use what it was started with.
    void addNamed(const std::string& path, std::set<FileIdentity>& places) {
        if (auto there = at(own_, path)) places.insert(*there);
        addFoldersAbove(own_, path, places);
    }

private:
    std::optional<FileIdentity> at(const View& view, const std::string& path) {
        auto [known, fresh] = known_.try_emplace({view.key, path});
        // "/" of their root is where the link of /proc leads, so it is followed.
        if (fresh) known->second = identityAt(view.prefix + (path == "/" ? "/." : path));
        return known->second;
    }

    void addFoldersAbove(const View& view, std::string path, std::set<FileIdentity>& places) {
        while (path != "/") {
            path = parentPath(path);
            if (auto folder = at(view, path)) places.insert(*folder);
        }
    }

    View own_;
    std::map<std::pair<std::string, std::string>, std::optional<FileIdentity>> known_;
};

} // namespace

std::vector<std::string> executablePaths() {
    std::vector<std::string> paths;
    for (int32_t pid : processIDs())
        if (auto path = executableOf(pid)) paths.push_back(std::move(*path));
    return paths;
}

std::vector<RunningProcess> holdingFiles() {
    std::vector<RunningProcess> processes;
    Places places;
    const auto self = static_cast<int32_t>(getpid());
    for (int32_t pid : processIDs()) {
        if (pid == self || !ownedByThisUser(pid)) continue;
        const std::string folder = folderOf(pid);
        std::vector<Held> held;
        bool allRead = addDescriptors(folder, held);
        allRead = addFolders(folder, held) && allRead;
        allRead = addMappedFiles(folder, held) && allRead;
        const bool judgedByName = !allRead && !ending(folder);
        if (held.empty() && !judgedByName) continue;
        RunningProcess process;
        process.pid = pid;
        process.executable = executableOf(pid).value_or("");
        process.name = nameOf(pid, process.executable);
        // Gone meanwhile: nothing it held is held any more.
        if (process.name.empty()) continue;
        process.judgedByName = judgedByName;
        std::set<std::string> files;
        for (const Held& one : held)
            files.insert(one.path);
        process.openFiles.assign(files.begin(), files.end());
        std::set<FileIdentity> identities;
        places.add(pid, held, identities);
        if (process.judgedByName) {
            process.commandLine = commandLineOf(pid).value_or(std::vector<std::string>{});
            for (const auto& word : process.commandLine) {
                if (auto place = placeNamedBy(word))
                    places.addNamed(*place, identities);
                else if (!isNumber(word.c_str()))
                    process.words.push_back(word);
            }
        }
        process.heldPlaces.assign(identities.begin(), identities.end());
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

std::optional<MappedFile> mappedFile(std::string_view line) {
    // Address, permissions, offset, device and inode come before the path.
    std::string_view fields[5];
    size_t at = 0;
    for (auto& field : fields) {
        const size_t start = at;
        while (at < line.size() && line[at] != ' ')
            ++at;
        field = line.substr(start, at - start);
        while (at < line.size() && line[at] == ' ')
            ++at;
    }
    if (at >= line.size() || line[at] != '/') return std::nullopt;
    const std::string_view path = line.substr(at);
    MappedFile file{withoutDeletedMark(std::string(path)), std::nullopt,
                    path.size() > kDeleted.size() && endsWith(path, kDeleted)};
    const std::string_view device = fields[3], inode = fields[4];
    const size_t colon = device.find(':');
    unsigned major = 0, minor = 0;
    uint64_t number = 0;
    const auto parse = [](std::string_view text, auto& value, int base) {
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
        return error == std::errc() && end == text.data() + text.size() && !text.empty();
    };
    if (colon != std::string_view::npos && parse(device.substr(0, colon), major, 16) &&
        parse(device.substr(colon + 1), minor, 16) && parse(inode, number, 10) && number != 0)
        file.identity = FileIdentity{(static_cast<uint64_t>(major) << 32) | minor, number};
    return file;
}

std::optional<std::vector<MappedFile>> mappedFiles(const std::string& mapsFile) {
    const BoundedRead maps = readFileAtMost(mapsFile, kMaxMapsBytes);
    if (!maps.ok()) return std::nullopt;
    std::vector<MappedFile> files;
    std::string_view text = maps.bytes;
    while (!text.empty()) {
        size_t end = text.find('\n');
        if (end == std::string_view::npos) end = text.size();
        if (auto file = mappedFile(text.substr(0, end))) files.push_back(std::move(*file));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return files;
}

} // namespace kelvora::ProcessTable
