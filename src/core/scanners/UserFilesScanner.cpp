#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <unordered_set>

namespace kelvora {
namespace {

bool isSkippedFolderName(const std::string& name) {
    static const std::vector<std::string> names = {"node_modules", "venv",        ".venv",
                                                   "Pods",         "DerivedData", "__pycache__"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool holdsRepository(const Listing& listing) {
    return std::any_of(listing.entries.begin(), listing.entries.end(),
                       [](const FileInfo& entry) { return entry.name == ".git"; });
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
        while (!path.empty()) {
            if (paths_.count(path)) return true;
            if (path == "/") return false;
            path = parentPath(path);
        }
        return false;
    }

    std::unordered_set<std::string> paths_;
};

class UserFileWalk {
public:
    UserFileWalk(const DiskScanner& scanner, const Reported& reported, FileCounter& counter)
        : scanner_(scanner), reported_(reported), counter_(counter) {
        for (const char* library : {"Music/Music", "Music/iTunes", "Movies/TV"})
            mediaLibraries_.insert(scanner.home.appending(library).standardized().path());
    }

    void walk(const URL& root) { visitFolder(root, true); }

    std::vector<DiskScanner::Candidate> candidates;

private:
    void visitFolder(const URL& folder, bool isRoot) {
        const Listing listing = listFolder(folder);
        // A source repository belongs to its tools, not to the user's loose files.
        if (!isRoot && holdsRepository(listing)) return;
        for (const auto& entry : listing.entries) {
            if (entry.hidden) continue;
            if (entry.isDirectory()) {
                if (shouldEnter(entry)) visitFolder(entry.url, false);
            } else {
                consider(entry);
            }
        }
    }

    bool shouldEnter(const FileInfo& folder) const {
        if (folder.isPackage || isSkippedFolderName(folder.name)) return false;
        if (mediaLibraries_.count(folder.url.standardized().path())) return false;
        return !reported_.covers(folder.url.path());
    }

    void consider(const FileInfo& file) {
        if (!file.isRegularFile() || file.logicalSize < scanner_.duplicateMinSize) return;
        const std::string& path = file.url.path();
        if (reported_.covers(path) || !seen_.insert(path).second) return;
        if (scanner_.isDataless && scanner_.isDataless(path)) return;
        ++counter_.count;
        DiskScanner::Candidate candidate;
        candidate.url = file.url;
        candidate.size = file.logicalSize;
        candidate.allocated = file.allocatedSize;
        candidate.inode = std::to_string(file.device) + ":" + std::to_string(file.inode);
        candidate.links = file.linkCount;
        candidate.created = file.created.value_or(distantFuture());
        candidate.modified = file.modified;
        candidates.push_back(std::move(candidate));
    }

    const DiskScanner& scanner_;
    const Reported& reported_;
    FileCounter& counter_;
    std::unordered_set<std::string> mediaLibraries_;
    std::unordered_set<std::string> seen_;
};

} // namespace

std::vector<DiskScanner::Candidate>
DiskScanner::userFiles(const std::unordered_set<std::string>& excluding,
                       FileCounter& counter) const {
    const Reported reported(excluding);
    UserFileWalk walk(*this, reported, counter);
    std::unordered_set<std::string> walked;
    for (const auto& folder : duplicateFolders) {
        if (!mayRead(folder)) continue;
        if (!walked.insert(folder.standardized().path()).second) continue;
        walk.walk(folder);
    }
    return std::move(walk.candidates);
}

} // namespace kelvora
