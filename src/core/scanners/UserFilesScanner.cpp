#include "engine/DiskScanner.h"
#include "engine/ParallelWalk.h"
#include "engine/PathRules.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"

#include <algorithm>
#include <chrono>
#include <sys/stat.h>
#include <unordered_set>

namespace kelvora {
namespace {

bool isSkippedFolderName(const std::string& name) {
    static const std::vector<std::string> names = {"node_modules", "venv",        ".venv",
                                                   "Pods",         "DerivedData", "__pycache__"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Paths reported by earlier steps, plain and standardized; a file equal to
// or below one of them is already offered.
class Reported {
public:
    explicit Reported(const std::unordered_set<std::string>& paths) : paths_(paths) {
        for (const auto& path : paths)
            paths_.insert(standardizedPath(path));
    }

    bool covers(const std::string& path) const {
        if (paths_.empty()) return false;
        return coversPlain(path) || coversPlain(standardizedPath(path));
    }

private:
    bool coversPlain(std::string path) const {
        for (;;) {
            if (paths_.count(path)) return true;
            std::string parent = parentPath(path);
            if (parent == path) return false;
            path = std::move(parent);
        }
    }

    std::unordered_set<std::string> paths_;
};

struct FolderJob {
    size_t root = 0;
    std::string path;
    bool isRoot = false;
};

// A folder to walk: its path as the user knows it, and where it really is when it is
// itself a link (a user folder kept on another disk), since the walk never follows one.
struct WalkRoot {
    std::string path;
    std::string openAt;
};

// Where our own data folder lies in a walk root, by the paths the walk meets (the root
// itself when the root lies in it): the Undo Shelf keeps copies of the user's files, and a
// walk that met them would keep the shelved copy of a duplicate and offer the live one.
std::optional<std::string> ownDataInside(const WalkRoot& root, const URL& ownData) {
    for (const auto& form : bothForms(ownData)) {
        for (const auto& top : {root.path, root.openAt}) {
            if (isSameOrInside(top, form)) return root.path;
            if (isSameOrInside(form, top)) return root.path + form.substr(top.size());
        }
    }
    return std::nullopt;
}

struct Found {
    size_t root = 0;
    DiskScanner::Candidate candidate;
};

Date dateOf(const struct statx_timestamp& time) {
    return dateFromTimestamp(time.tv_sec, time.tv_nsec);
}

// Walks the user's folders on several threads, one folder per job; each
// worker keeps what it finds and the results are put in walk order at the end.
class UserFileWalk {
public:
    UserFileWalk(const DiskScanner& scanner, const Reported& reported,
                 std::unordered_set<std::string> neverEntered)
        : scanner_(scanner), reported_(reported), watcher_(ListingWatch::current()),
          neverEntered_(std::move(neverEntered)) {
        for (const char* library : {"Music/Music", "Music/iTunes", "Movies/TV"})
            mediaLibraries_.insert(scanner.home.appending(library).standardized().path());
    }

    std::vector<DiskScanner::Candidate> run(const std::vector<WalkRoot>& roots,
                                            FileCounter& counter) {
        std::vector<FolderJob> jobs;
        for (size_t root = 0; root < roots.size(); ++root) {
            jobs.push_back({root, roots[root].path, true});
            rootsOpenAt_.push_back(roots[root].openAt);
        }
        const int workers = walkWorkerCount();
        found_.assign(workers, {});
        buffers_.assign(workers, {});
        runInParallel(
            std::move(jobs), workers,
            [this](int worker, const FolderJob& job, std::vector<FolderJob>& more) {
                visit(worker, job, more);
            },
            scanner_.stop);
        return inWalkOrder(counter);
    }

private:
    void visit(int worker, const FolderJob& job, std::vector<FolderJob>& more) {
        const OpenFolder folder(job.isRoot ? rootsOpenAt_[job.root] : job.path);
        // The workers are not the scan's thread: the folders the scan looks in are told here.
        if (job.isRoot && folder.isOpen() && watcher_) watcher_(job.path, folder.fd());
        std::vector<std::pair<std::string, unsigned char>> entries;
        folder.forEach(buffers_[worker], scanner_.stop, [&](const char* name, unsigned char type) {
            entries.emplace_back(name, type);
        });
        // A source repository belongs to its tools, not to the user's loose files.
        if (!job.isRoot && std::any_of(entries.begin(), entries.end(),
                                       [](const auto& entry) { return entry.first == ".git"; }))
            return;
        for (const auto& [name, type] : entries) {
            if (scanner_.stop.stopped()) return;
            if (name[0] == '.') continue;
            const std::string path = job.path + "/" + name;
            if (type == DT_DIR) {
                if (shouldEnter(name, path)) more.push_back({job.root, path, false});
            } else if (type == DT_REG || type == DT_UNKNOWN) {
                consider(worker, folder.fd(), job, name, path, more);
            }
        }
    }

    bool shouldEnter(const std::string& name, const std::string& path) const {
        return !isPackageName(name) && !isSkippedFolderName(name) && !mediaLibraries_.count(path) &&
               !neverEntered_.count(path) && !reported_.covers(path);
    }

    void consider(int worker, int folder, const FolderJob& job, const std::string& name,
                  const std::string& path, std::vector<FolderJob>& more) {
        struct statx status {};
        const unsigned mask = STATX_TYPE | STATX_SIZE | STATX_BLOCKS | STATX_INO | STATX_NLINK |
                              STATX_MTIME | STATX_ATIME | STATX_BTIME;
        if (statx(folder, name.c_str(), AT_SYMLINK_NOFOLLOW, mask, &status) != 0) return;
        if (S_ISDIR(status.stx_mode)) {
            if (shouldEnter(name, path)) more.push_back({job.root, path, false});
            return;
        }
        const auto size = static_cast<int64_t>(status.stx_size);
        if (!S_ISREG(status.stx_mode) || size < scanner_.duplicateMinSize) return;
        if (reported_.covers(path)) return;
        if (scanner_.isDataless && scanner_.isDataless(path)) return;
        DiskScanner::Candidate candidate;
        candidate.url = URL::fileURL(path);
        candidate.size = size;
        candidate.allocated = static_cast<int64_t>(status.stx_blocks) * 512;
        candidate.inode = std::to_string(status.stx_dev_major) + "." +
                          std::to_string(status.stx_dev_minor) + ":" +
                          std::to_string(status.stx_ino);
        candidate.links = status.stx_nlink;
        candidate.created =
            (status.stx_mask & STATX_BTIME) ? dateOf(status.stx_btime) : distantFuture();
        candidate.modified = dateOf(status.stx_mtime);
        candidate.accessed = dateOf(status.stx_atime);
        found_[worker].push_back({job.root, std::move(candidate)});
    }

    std::vector<DiskScanner::Candidate> inWalkOrder(FileCounter& counter) {
        std::vector<Found> all;
        for (auto& list : found_)
            for (auto& found : list)
                all.push_back(std::move(found));
        std::sort(all.begin(), all.end(), [](const Found& a, const Found& b) {
            if (a.root != b.root) return a.root < b.root;
            return walkOrder(a.candidate.url.path(), b.candidate.url.path());
        });
        std::vector<DiskScanner::Candidate> candidates;
        std::unordered_set<std::string> seen;
        for (auto& found : all) {
            // Folders that overlap would hand the same file over twice.
            if (!seen.insert(found.candidate.url.path()).second) continue;
            ++counter.count;
            candidates.push_back(std::move(found.candidate));
        }
        return candidates;
    }

    const DiskScanner& scanner_;
    const Reported& reported_;
    const ListingWatch::Watcher watcher_;
    std::unordered_set<std::string> neverEntered_;
    std::unordered_set<std::string> mediaLibraries_;
    std::vector<std::string> rootsOpenAt_;
    std::vector<std::vector<Found>> found_;
    std::vector<std::vector<char>> buffers_;
};

} // namespace

std::vector<DiskScanner::Candidate>
DiskScanner::userFiles(const std::unordered_set<std::string>& excluding,
                       FileCounter& counter) const {
    const Reported reported(excluding);
    const URL ownData = HomeFolders(home).ownData();
    std::vector<WalkRoot> roots;
    std::unordered_set<std::string> walked, neverEntered;
    for (const auto& folder : duplicateFolders) {
        const std::string root = folder.standardized().path();
        const std::string real = folder.resolvingSymlinks().path();
        if (!mayRead(folder) || walked.count(root) || walked.count(real)) continue;
        walked.insert(root);
        walked.insert(real);
        const auto info = fileInfo(root);
        const WalkRoot walkRoot{root, info && info->isSymlink() ? real : root};
        if (auto inside = ownDataInside(walkRoot, ownData)) {
            if (*inside == root) continue;
            neverEntered.insert(*inside);
        }
        roots.push_back(walkRoot);
    }
    return UserFileWalk(*this, reported, std::move(neverEntered)).run(roots, counter);
}

} // namespace kelvora
