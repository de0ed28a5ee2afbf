#include "platform/FolderHandle.h"

#include "platform/Mounts.h"
#include "platform/Text.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <linux/openat2.h>
#include <random>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kelvora {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

int openFolderAt(int folder, const char* name) {
    int fd;
    do {
        fd = openat(folder, name, kFolderFlags | O_NOFOLLOW);
    } while (fd < 0 && errno == EINTR);
    // A link asked to be opened as a folder without being followed reads as "not a folder"
    // on some file systems: call it what it is.
    if (fd < 0 && errno == ENOTDIR) {
        struct stat status {};
        if (fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode))
            errno = ELOOP;
        else
            errno = ENOTDIR;
    }
    return fd;
}

// -1 with errno ENOSYS where the kernel (or a sandbox) does not offer the call.
int openWithoutLinks(int folder, const std::string& relative) {
    struct open_how how {};
    how.flags = kFolderFlags;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
    for (int attempt = 0; attempt < 8; ++attempt) {
        long fd = syscall(SYS_openat2, folder, relative.c_str(), &how, sizeof how);
        if (fd >= 0) return static_cast<int>(fd);
        // A rename elsewhere on the disk during the look-up: the kernel asks for a retry.
        if (errno != EAGAIN && errno != EINTR) break;
    }
    if (errno == EPERM || errno == E2BIG || errno == EINVAL) errno = ENOSYS;
    return -1;
}

int walkWithoutLinks(int folder, const std::vector<std::string>& components) {
    int current = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    for (const auto& component : components) {
        if (current < 0) return -1;
        int next = openFolderAt(current, component.c_str());
        int error = errno;
        close(current);
        current = next;
        errno = error;
    }
    return current;
}

bool isPlainComponent(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string randomSuffix() {
    static thread_local std::mt19937 generator(std::random_device{}());
    std::uniform_int_distribution<int> letter(0, 35);
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += "abcdefghijklmnopqrstuvwxyz0123456789"[letter(generator)];
    return text;
}

FileResult failure(const std::string& verb, const std::string& path, int error) {
    return FileResult::failure("Could not " + verb + " " + path + ": " + describeFileError(error));
}

struct Entry {
    std::string name;
    bool folder = false;
};

// Every name in the folder, with whether it is a folder (never through a link).
std::optional<std::vector<Entry>> entriesOf(int fd) {
    int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) return std::nullopt;
    DIR* dir = fdopendir(copy);
    if (!dir) {
        close(copy);
        return std::nullopt;
    }
    rewinddir(dir);
    std::vector<Entry> entries;
    while (struct dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status {};
            folder = fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                     S_ISDIR(status.st_mode);
        }
        entries.push_back({std::move(name), folder});
    }
    closedir(dir);
    return entries;
}

// Removes a folder tree through descriptors alone, so its depth is not bounded by the
// longest path the kernel takes. Ancestors beyond the deepest few are closed and reopened
// through ".." on the way back up, each checked to be the folder it was.
FileResult mountedThere(const std::string& shown);

// The blocks removing one link frees: none while another link keeps the file.
int64_t freedByUnlinking(const struct stat& status) {
    if (!S_ISDIR(status.st_mode) && status.st_nlink > 1) return 0;
    return static_cast<int64_t>(status.st_blocks) * 512;
}

// Unlinks a file, adding what that freed.
int unlinkCounting(int folder, const char* name, int64_t& freed) {
    struct stat status {};
    const bool known = fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0;
    if (unlinkat(folder, name, 0) != 0) return errno;
    if (known) freed += freedByUnlinking(status);
    return 0;
}

class TreeRemoval {
public:
    TreeRemoval(int parent, std::string name, std::string shownPath, bool makeWritable,
                const StopToken& stop)
        : parent_(parent), name_(std::move(name)), shown_(std::move(shownPath)),
          makeWritable_(makeWritable), stop_(stop) {}

    // What the removal freed so far.
    int64_t freed() const { return freed_; }

    FileResult run() {
        int top = openFolderAt(parent_, name_.c_str());
        if (top < 0) return failure("remove", shown_, errno);
        auto above = mountPlaceOf(parent_);
        if (!above) {
            int error = errno;
            close(top);
            return failure("remove", shown_, error);
        }
        if (Entered entered = enter(top, name_, *above); entered != Entered::yes) {
            close(top);
            return entered == Entered::otherMount ? mountedThere(shown_)
                                                  : failure("remove", shown_, error_);
        }
        while (!levels_.empty() && !stopped() && step()) {
        }
        return finish();
    }

private:
    static constexpr size_t kOpenLevels = 64;

    struct Level {
        int fd = -1;
        MountPlace place;
        ino_t inode = 0;
        int64_t blocks = 0; // what the folder's own entry takes
        std::string name;
        std::vector<std::string> folders;
        size_t next = 0;
    };

    void note(int error) {
        if (error_ == 0 && error != ENOENT) error_ = error;
    }

    // Takes the folder's files away and remembers its subfolders; refuses a folder that is
    // not on the mount of the one above it, whatever its disk (a bind mount keeps the disk).
    enum class Entered { yes, otherMount, unreadable };
    Entered enter(int fd, const std::string& name, const MountPlace& above) {
        struct stat status {};
        auto place = mountPlaceOf(fd);
        if (!place || fstat(fd, &status) != 0) {
            note(errno && errno != ENOENT ? errno : EIO);
            return Entered::unreadable;
        }
        if (*place != above) return Entered::otherMount;
        if (makeWritable_) unlock(fd, status);
        Level level{fd, *place, status.st_ino, static_cast<int64_t>(status.st_blocks) * 512, name,
                    {}, 0};
        auto entries = entriesOf(fd);
        if (!entries) note(errno ? errno : EIO);
        for (const auto& entry : entries.value_or(std::vector<Entry>{})) {
            if (entry.folder)
                level.folders.push_back(entry.name);
            else if (!stopped())
                if (int error = unlinkCounting(fd, entry.name.c_str(), freed_)) note(error);
        }
        levels_.push_back(std::move(level));
        if (levels_.size() > kOpenLevels) {
            Level& far = levels_[levels_.size() - 1 - kOpenLevels];
            close(far.fd);
            far.fd = -1;
        }
        return Entered::yes;
    }

    // Its contents can only go once its owner may write in it and enter it. Only the
    // owner's bits change; a folder of another user stays as it is.
    static void unlock(int fd, const struct stat& status) {
        constexpr mode_t kOwnerNeeds = S_IWUSR | S_IXUSR;
        if ((status.st_mode & kOwnerNeeds) != kOwnerNeeds)
            fchmod(fd, (status.st_mode & 07777) | kOwnerNeeds);
    }

    // One move of the walk: down into the next subfolder, or up once a folder is done.
    bool step() {
        Level& current = levels_.back();
        if (current.next < current.folders.size()) {
            const std::string& name = current.folders[current.next++];
            int child = openFolderAt(current.fd, name.c_str());
            if (child < 0) {
                note(errno);
                return true;
            }
            const MountPlace above = current.place;
            Entered entered = enter(child, name, above);
            if (entered != Entered::yes) close(child);
            // Another file system is mounted here: its contents are not part of this item.
            if (entered == Entered::otherMount && mountedAt_.empty())
                mountedAt_ = shownPathOf(name);
            return true;
        }
        return leave();
    }

    bool leave() {
        Level done = std::move(levels_.back());
        levels_.pop_back();
        if (levels_.empty()) {
            close(done.fd);
            removeFolder(parent_, name_, done.blocks);
            return false;
        }
        Level& parent = levels_.back();
        if (parent.fd < 0 && !reopen(parent, done.fd)) {
            close(done.fd);
            return false;
        }
        close(done.fd);
        removeFolder(parent.fd, done.name, done.blocks);
        return true;
    }

    void removeFolder(int parent, const std::string& name, int64_t blocks) {
        if (unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0)
            freed_ += blocks;
        else
            note(errno);
    }

    bool reopen(Level& level, int child) {
        int fd = openat(child, "..", kFolderFlags | O_NOFOLLOW);
        struct stat status {};
        auto place = fd < 0 ? std::nullopt : mountPlaceOf(fd);
        if (!place || fstat(fd, &status) != 0 || *place != level.place ||
            status.st_ino != level.inode) {
            // Moved while we worked in it: stop rather than remove in a stranger's folder.
            if (fd >= 0) close(fd);
            note(ESTALE);
            return false;
        }
        level.fd = fd;
        return true;
    }

    bool stopped() {
        if (!stop_.stopped()) return false;
        stoppedShort_ = true;
        return true;
    }

    FileResult finish() {
        for (auto& level : levels_)
            if (level.fd >= 0) close(level.fd);
        levels_.clear();
        if (stoppedShort_)
            return FileResult::failure("Could not remove all of " + shown_ + ": it was stopped");
        if (error_ == 0 && mountedAt_.empty()) return FileResult::success();
        if (error_ == ESTALE)
            return FileResult::failure("Could not remove " + shown_ +
                                       ": a folder in it was moved while it was being removed");
        if (!mountedAt_.empty())
            return FileResult::failure("Could not remove " + shown_ +
                                       " completely: a file system is mounted at " + mountedAt_ +
                                       ", and Kelvora leaves mounted file systems whole");
        return failure("remove", shown_, error_);
    }

    std::string shownPathOf(const std::string& name) const {
        std::string path = shown_;
        for (size_t i = 1; i < levels_.size(); ++i)
            path = joinPath(path, levels_[i].name);
        return joinPath(path, name);
    }

    int parent_;
    std::string name_;
    std::string shown_;
    bool makeWritable_ = false;
    StopToken stop_;
    bool stoppedShort_ = false;
    std::vector<Level> levels_;
    int error_ = 0;
    int64_t freed_ = 0;
    std::string mountedAt_; // the first mount met inside, left whole
};

FileResult mountedThere(const std::string& shown) {
    return FileResult::failure("Could not remove " + shown +
                               ": a file system is mounted there, and Kelvora leaves mounted "
                               "file systems whole");
}

} // namespace

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) close(fd_);
}

FolderHandle::FolderHandle(FolderHandle&& other) noexcept
    : fd_(other.fd_), error_(other.error_), path_(std::move(other.path_)) {
    other.fd_ = -1;
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) close(fd_);
        fd_ = other.fd_;
        error_ = other.error_;
        path_ = std::move(other.path_);
        other.fd_ = -1;
    }
    return *this;
}

FolderHandle FolderHandle::open(const std::string& path) {
    int fd = ::open(path.c_str(), kFolderFlags);
    if (fd < 0) return failed(errno, path);
    return {fd, 0, path};
}

std::optional<FolderIdentity> folderIdentityOf(int fd) {
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0) return std::nullopt;
    return FolderIdentity{static_cast<uint64_t>(status.st_dev),
                          static_cast<uint64_t>(status.st_ino)};
}

std::optional<FolderIdentity> folderIdentityAt(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
    return FolderIdentity{static_cast<uint64_t>(status.st_dev),
                          static_cast<uint64_t>(status.st_ino)};
}

std::optional<FolderIdentity> FolderHandle::identity() const {
    return folderIdentityOf(fd_);
}

FolderHandle FolderHandle::folder(const std::string& name) const {
    std::string shown = pathOf(name);
    if (fd_ < 0) return failed(EBADF, shown);
    if (!isPlainComponent(name)) return failed(EINVAL, shown);
    int fd = openFolderAt(fd_, name.c_str());
    if (fd < 0) return failed(errno, shown);
    return {fd, 0, shown};
}

FolderHandle FolderHandle::beneath(const std::string& relative, LinkCheck check) const {
    std::string shown = relative.empty() ? path_ : pathOf(relative);
    if (fd_ < 0) return failed(EBADF, shown);
    std::vector<std::string> components = splitNonEmpty(relative, '/');
    for (const auto& component : components)
        if (!isPlainComponent(component)) return failed(EINVAL, shown);
    int fd = -1;
    if (components.empty()) {
        fd = fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    } else {
        if (check == LinkCheck::kernel) fd = openWithoutLinks(fd_, joined(components, "/"));
        if (check == LinkCheck::walk || (fd < 0 && errno == ENOSYS))
            fd = walkWithoutLinks(fd_, components);
    }
    if (fd < 0) return failed(errno, shown);
    return {fd, 0, shown};
}

bool FolderHandle::contains(const std::string& name) const {
    struct stat status {};
    return fd_ >= 0 && fstatat(fd_, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0;
}

std::vector<std::string> FolderHandle::names() const {
    std::vector<std::string> names;
    if (fd_ < 0) return names;
    for (auto& entry : entriesOf(fd_).value_or(std::vector<Entry>{}))
        names.push_back(std::move(entry.name));
    return names;
}

BoundedRead FolderHandle::readFile(const std::string& name, std::size_t maxBytes) const {
    if (fd_ < 0) return {BoundedRead::Outcome::unreadable, {}, describeFileError(EBADF)};
    int fd = openat(fd_, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return {};
        return {BoundedRead::Outcome::unreadable, {}, describeFileError(errno)};
    }
    return readOpenFileAtMost(fd, maxBytes);
}

FileResult FolderHandle::writeFileAtomically(const std::string& name,
                                             std::string_view bytes) const {
    std::string shown = pathOf(name);
    if (fd_ < 0) return failure("write", shown, EBADF);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = "." + name.substr(0, 200) + "." + randomSuffix();
        fd = openat(fd_, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0644);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return failure("write", shown, errno);
    int error = writeAll(fd, bytes);
    if (fsync(fd) != 0 && error == 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && renameat(fd_, temporary.c_str(), fd_, name.c_str()) != 0) error = errno;
    if (error != 0) {
        unlinkat(fd_, temporary.c_str(), 0);
        return failure("write", shown, error);
    }
    fsync(fd_);
    return FileResult::success();
}

FileResult FolderHandle::makeFolder(const std::string& name) const {
    if (fd_ >= 0 && mkdirat(fd_, name.c_str(), 0755) == 0) return FileResult::success();
    return failure("create", pathOf(name), fd_ < 0 ? EBADF : errno);
}

FileResult FolderHandle::moveItem(const std::string& name, const FolderHandle& to,
                                  const std::string& toName) const {
    if (fd_ < 0 || !to.valid()) return failure("move", pathOf(name), EBADF);
    if (renameat2(fd_, name.c_str(), to.fd(), toName.c_str(), RENAME_NOREPLACE) == 0)
        return FileResult::success();
    return failure("move", pathOf(name), errno);
}

FileResult FolderHandle::moveItem(const std::string& name, const std::string& toPath) const {
    if (fd_ < 0) return failure("move", pathOf(name), EBADF);
    if (renameat2(fd_, name.c_str(), AT_FDCWD, toPath.c_str(), RENAME_NOREPLACE) == 0)
        return FileResult::success();
    return failure("move", pathOf(name), errno);
}

FileResult FolderHandle::linkFile(const std::string& name, const std::string& toName) const {
    if (fd_ < 0) return failure("keep a copy of", pathOf(name), EBADF);
    if (linkat(fd_, name.c_str(), fd_, toName.c_str(), 0) == 0) return FileResult::success();
    return failure("keep a copy of", pathOf(name), errno);
}

FileResult FolderHandle::removeItem(const std::string& name, ReadOnlyFolders readOnly,
                                    const StopToken& stop, int64_t* freed) const {
    std::string shown = pathOf(name);
    int64_t ignored = 0;
    int64_t& counted = freed ? *freed : ignored;
    if (fd_ < 0) return failure("remove", shown, EBADF);
    struct stat status {};
    if (fstatat(fd_, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return failure("remove", shown, errno);
    auto here = mountPlaceOf(fd_);
    auto there = mountPlaceAt(fd_, name);
    if (here && there && *here != *there) return mountedThere(shown);
    if (!S_ISDIR(status.st_mode)) {
        if (unlinkat(fd_, name.c_str(), 0) != 0) return failure("remove", shown, errno);
        counted += freedByUnlinking(status);
        return FileResult::success();
    }
    TreeRemoval removal(fd_, name, shown, readOnly == ReadOnlyFolders::makeWritable, stop);
    FileResult result = removal.run();
    counted += removal.freed();
    return result;
}

void FolderHandle::removeFile(const std::string& name) const {
    if (fd_ >= 0) unlinkat(fd_, name.c_str(), 0);
}

void FolderHandle::removeEmptyFolder(const std::string& name) const {
    if (fd_ >= 0) unlinkat(fd_, name.c_str(), AT_REMOVEDIR);
}

} // namespace kelvora
