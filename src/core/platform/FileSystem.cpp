#include "platform/FileSystem.h"

#include "platform/FolderHandle.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <random>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora {

namespace {

// What marks a temporary file as one of Kelvora's writes, between the written name and the
// random part: no other program names its files so.
constexpr const char* kTemporaryMark = ".kelvora-tmp-";
// Random letters and digits after the mark, as many as mkostemp puts there.
constexpr size_t kTemporaryLetters = 6;

Date fromTimestamp(const struct statx_timestamp& ts) {
    return dateFromTimestamp(ts.tv_sec, ts.tv_nsec);
}

FileType typeOf(uint32_t mode) {
    if (S_ISREG(mode)) return FileType::regular;
    if (S_ISDIR(mode)) return FileType::directory;
    if (S_ISLNK(mode)) return FileType::symlink;
    return FileType::other;
}

// `flags` may add AT_EMPTY_PATH, for the file open at `dirfd` itself.
std::optional<FileInfo> statAt(int dirfd, const char* name, const std::string& path,
                               int flags = 0) {
    struct statx sx {};
    if (statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | flags,
              STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return std::nullopt;
    FileInfo info;
    info.type = typeOf(sx.stx_mode);
    info.url = URL::fileURL(path, info.type == FileType::directory);
    info.name = lastComponent(path);
    info.hidden = !info.name.empty() && info.name[0] == '.';
    info.isPackage = info.type == FileType::directory && isPackageName(info.name);
    info.allocatedSize = static_cast<int64_t>(sx.stx_blocks) * 512;
    info.logicalSize = static_cast<int64_t>(sx.stx_size);
    info.linkCount = sx.stx_nlink;
    info.device = (static_cast<uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    info.inode = sx.stx_ino;
    info.mode = sx.stx_mode;
    info.owner = sx.stx_uid;
    info.modified = fromTimestamp(sx.stx_mtime);
    info.accessed = fromTimestamp(sx.stx_atime);
    if (sx.stx_mask & STATX_BTIME) info.created = fromTimestamp(sx.stx_btime);
    return info;
}

} // namespace

std::string describeFileError(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "permission was refused";
    case ENOENT:
        return "it no longer exists";
    case EEXIST:
    case ENOTEMPTY:
        return "something with that name is already there";
    case EXDEV:
        return "it is on another disk, and Kelvora moves files only within one disk";
    case EROFS:
        return "the disk is read-only";
    case ENOSPC:
        return "the disk is full";
    case EBUSY:
        return "it is in use";
    case ENAMETOOLONG:
        return "its name is too long";
    default:
        return std::strerror(error);
    }
}

bool isPackageName(const std::string& name) {
    static const std::array<const char*, 24> extensions = {
        "app",        "bundle",    "framework",     "plugin",       "kext",
        "xcarchive",  "appex",     "xpc",           "prefPane",     "qlgenerator",
        "mdimporter", "saver",     "photoslibrary", "photolibrary", "musiclibrary",
        "tvlibrary",  "fcpbundle", "logicx",        "rtfd",         "pages",
        "numbers",    "key",       "xcodeproj",     "xcworkspace"};
    std::string ext = extensionOf(name);
    if (ext.empty()) return false;
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const char* e) { return strcasecmp(e, ext.c_str()) == 0; });
}

std::optional<FileInfo> fileInfo(const std::string& path) {
    if (path.empty()) return std::nullopt;
    return statAt(AT_FDCWD, path.c_str(), path);
}

std::optional<FileInfo> fileInfo(const URL& url) {
    if (!url.isFileURL()) return std::nullopt;
    return fileInfo(url.path());
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool isExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

namespace {

thread_local ListingWatch* innermostWatch = nullptr;

} // namespace

ListingWatch::ListingWatch(Watcher watcher) : watcher_(std::move(watcher)), outer_(innermostWatch) {
    innermostWatch = this;
}

ListingWatch::~ListingWatch() {
    innermostWatch = outer_;
}

ListingWatch::Watcher ListingWatch::current() {
    return innermostWatch ? innermostWatch->watcher_ : Watcher{};
}

void ListingWatch::tell(const std::string& path, int fd) {
    if (innermostWatch && innermostWatch->watcher_) innermostWatch->watcher_(path, fd);
}

namespace {

// At most `most` entries are looked at: enough to tell whether the folder may be listed.
Listing listOpening(const URL& folder, int followFlag,
                    size_t most = std::numeric_limits<size_t>::max()) {
    Listing listing;
    const std::string& path = folder.path();
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | followFlag | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        listing.error = (error == EACCES || error == EPERM)    ? ListError::permissionDenied
                        : error == ENOENT                      ? ListError::notFound
                        : (error == ENOTDIR || error == ELOOP) ? ListError::notAFolder
                                                               : ListError::other;
        return listing;
    }
    ListingWatch::tell(path, fd);
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        listing.error = ListError::other;
        return listing;
    }
    bool refused = false;
    size_t seen = 0;
    while (seen < most) {
        struct dirent* entry = readdir(dir);
        if (!entry) break;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        ++seen;
        if (auto info = statAt(dirfd(dir), name, joinPath(path, name)))
            listing.entries.push_back(std::move(*info));
        else if (errno == EACCES || errno == EPERM)
            refused = true;
    }
    closedir(dir);
    // A folder that may be read but not searched gives its names and nothing about them:
    // that is a refusal, not an empty folder.
    if (refused && listing.entries.empty()) {
        listing.error = ListError::permissionDenied;
        return listing;
    }
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const FileInfo& a, const FileInfo& b) { return a.name < b.name; });
    return listing;
}

} // namespace

Listing listFolder(const URL& folder) {
    return listOpening(folder, O_NOFOLLOW);
}

Listing listFolderThroughLink(const URL& folder) {
    return listOpening(folder, 0);
}

ListError listingError(const URL& folder, bool throughLink) {
    return listOpening(folder, throughLink ? 0 : O_NOFOLLOW, 1).error;
}

namespace {

// The name of a temporary beside `path`, up to its random letters.
std::string temporaryBeside(const std::string& path) {
    return joinPath(parentPath(path), "." + lastComponent(path) + kTemporaryMark);
}

// Puts the finished temporary in the place of `path`, unless `beforeRename` says no.
FileResult renameIntoPlace(const std::string& temporary, const std::string& path,
                           const std::function<bool()>& beforeRename) {
    if (beforeRename && !beforeRename()) {
        unlink(temporary.c_str());
        return FileResult::failure("Could not write " + path + ": it changed meanwhile");
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        int error = errno;
        unlink(temporary.c_str());
        return FileResult::failure("Could not write " + path + ": " + describeFileError(error));
    }
    int dirFd = open(parentPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return FileResult::success();
}

} // namespace

FileResult writeFileAtomically(const std::string& path, std::string_view bytes,
                               const std::function<bool()>& beforeRename) {
    std::string pattern = temporaryBeside(path) + std::string(kTemporaryLetters, 'X');
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    auto failed = [&](int error) {
        return FileResult::failure("Could not write " + path + ": " + describeFileError(error));
    };
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return failed(errno);
    auto give = [&](int error) {
        close(fd);
        unlink(name.data());
        return failed(error);
    };
    struct stat replaced {};
    struct stat made {};
    const bool replacing = lstat(path.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode);
    // The owner first: changing it clears the set-id bits the mode then puts back.
    if (replacing && fstat(fd, &made) == 0 &&
        (made.st_uid != replaced.st_uid || made.st_gid != replaced.st_gid) &&
        fchown(fd, replaced.st_uid, replaced.st_gid) != 0)
        return give(errno);
    if (fchmod(fd, replacing ? replaced.st_mode & 07777 : 0644) != 0) return give(errno);
    if (int error = writeAll(fd, bytes); error != 0) return give(error);
    if (fsync(fd) != 0) return give(errno);
    int closed = close(fd) == 0 ? 0 : errno;
    if (closed != 0) {
        unlink(name.data());
        return failed(closed);
    }
    return renameIntoPlace(name.data(), path, beforeRename);
}

FileResult writeLinkAtomically(const std::string& path, const std::string& target,
                               const std::function<bool()>& beforeRename) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<size_t> pick(0, kLetters.size() - 1);
    std::string name;
    int error = EEXIST;
    for (int tries = 0; tries < 100 && error == EEXIST; ++tries) {
        name = temporaryBeside(path);
        for (size_t i = 0; i < kTemporaryLetters; ++i)
            name += kLetters[pick(random)];
        error = symlink(target.c_str(), name.c_str()) == 0 ? 0 : errno;
    }
    if (error != 0)
        return FileResult::failure("Could not write " + path + ": " + describeFileError(error));
    return renameIntoPlace(name, path, beforeRename);
}

namespace {

std::optional<FileStamp> stampOfOpen(int fd, const std::string& path) {
    auto info = statAt(fd, "", path, AT_EMPTY_PATH);
    if (!info) return std::nullopt;
    return stampOf(*info);
}

// Writes `bytes` over `old` from their first difference on, and cuts the file to its new end.
int overwrite(int fd, std::string_view old, std::string_view bytes) {
    const size_t from = static_cast<size_t>(
        std::mismatch(old.begin(), old.end(), bytes.begin(), bytes.end()).first - old.begin());
    for (size_t done = from; done < bytes.size();) {
        const ssize_t n =
            pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        done += static_cast<size_t>(n);
    }
    if (bytes.size() != old.size() && ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        return errno;
    return fsync(fd) == 0 ? 0 : errno;
}

} // namespace

FileResult writeFileInPlace(const std::string& path, std::string_view bytes, const FileStamp& read,
                            std::size_t maxBytes, const std::function<bool()>& beforeWrite) {
    auto failed = [&](int error) {
        return FileResult::failure("Could not write " + path + ": " + describeFileError(error));
    };
    const FileResult changed =
        FileResult::failure("Could not write " + path + ": it changed meanwhile");
    if (read.size < 0 || static_cast<uint64_t>(read.size) > maxBytes) return failed(EFBIG);
    int fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failed(errno);
    if ((beforeWrite && !beforeWrite()) || stampOfOpen(fd, path) != read) {
        close(fd);
        return changed;
    }
    std::string old(static_cast<size_t>(read.size), '\0');
    const ssize_t got = pread(fd, old.data(), old.size(), 0);
    if (got != read.size) {
        const int error = got < 0 ? errno : EIO;
        close(fd);
        return failed(error);
    }
    int error = overwrite(fd, old, bytes);
    // A write stopped part way (a full disk) leaves the file as it was, where it can.
    if (error != 0) overwrite(fd, bytes, old);
    if (close(fd) != 0 && error == 0) error = errno;
    return error == 0 ? FileResult::success() : failed(error);
}

std::optional<std::string> writtenByTemporary(const std::string& name) {
    // Hidden, then the written file's name, the mark and six letters and digits.
    constexpr size_t kSuffix = kTemporaryLetters;
    const size_t mark = std::strlen(kTemporaryMark);
    if (name.size() < 2 + mark + kSuffix || name.front() != '.') return std::nullopt;
    const size_t at = name.size() - kSuffix - mark;
    if (name.compare(at, mark, kTemporaryMark) != 0) return std::nullopt;
    for (size_t i = at + mark; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return std::nullopt;
    return name.substr(1, at - 1);
}

int writeAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

namespace {

BoundedRead unreadableRead(std::string reason) {
    return {BoundedRead::Outcome::unreadable, {}, std::move(reason)};
}

} // namespace

BoundedRead readOpenFileAtMost(int fd, std::size_t maxBytes) {
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return unreadableRead("it is not a file");
    }
    // A sparse or hostile file can claim any size: it is judged before a byte is read, and
    // again while reading in case it grows.
    BoundedRead tooLarge{BoundedRead::Outcome::tooLarge, {}, {}};
    if (static_cast<uint64_t>(status.st_size) > maxBytes) {
        close(fd);
        return tooLarge;
    }
    BoundedRead result{BoundedRead::Outcome::read, {}, {}};
    // Read into room made once: grown as it fills, a large file would briefly take three times
    // its size.
    result.bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    while (true) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            close(fd);
            return unreadableRead(describeFileError(error));
        }
        if (n == 0) break;
        if (static_cast<std::size_t>(n) > maxBytes - result.bytes.size()) {
            close(fd);
            return tooLarge;
        }
        result.bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return result;
}

namespace {

std::optional<std::string> bytesOf(BoundedRead read) {
    if (!read.ok()) return std::nullopt;
    return std::move(read.bytes);
}

} // namespace

std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) {
    return bytesOf(readFileAtMost(path, maxBytes));
}

BoundedRead readFileAtMost(const std::string& path, std::size_t maxBytes) {
    // What we read lies in folders other programs fill: a pipe there would block the read for
    // good and a device would never end, so only regular files are read.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return {};
        return unreadableRead(describeFileError(errno));
    }
    return readOpenFileAtMost(fd, maxBytes);
}

FileResult createDirectories(const std::string& path) {
    std::string normal = standardizedPath(path);
    std::string current;
    size_t start = normal[0] == '/' ? 1 : 0;
    if (start) current = "/";
    while (start <= normal.size()) {
        size_t end = normal.find('/', start);
        if (end == std::string::npos) end = normal.size();
        current = joinPath(current, normal.substr(start, end - start));
        if (mkdir(current.c_str(), 0755) != 0 && errno != EEXIST)
            return FileResult::failure("Could not create " + current + ": " +
                                       describeFileError(errno));
        start = end + 1;
    }
    struct stat st {};
    if (stat(normal.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return FileResult::failure("Could not create " + normal + ": something else is there");
    return FileResult::success();
}

FileResult moveItem(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return FileResult::success();
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // File systems without the no-replace flag: check, then rename (a narrow race).
        if (fileExists(to))
            return FileResult::failure("Could not move " + from + ": " + describeFileError(EEXIST));
        if (rename(from.c_str(), to.c_str()) == 0) return FileResult::success();
        error = errno;
    }
    return FileResult::failure("Could not move " + from + ": " + describeFileError(error));
}

FileResult removeItem(const std::string& path) {
    std::string name = lastComponent(path);
    if (path.empty() || name.empty() || name == "/" || name == "." || name == "..")
        return FileResult::failure("Could not remove " + path + ": " + describeFileError(EINVAL));
    FolderHandle folder = FolderHandle::open(parentPath(path));
    if (!folder)
        return FileResult::failure("Could not remove " + path + ": " +
                                   describeFileError(folder.error()));
    return folder.removeItem(name);
}

KeptAside keepAsideAsDamaged(const std::string& name,
                             const std::function<bool(const std::string&)>& taken,
                             const std::function<FileResult(const std::string&)>& keep) {
    for (int n = 1; n <= 1000; ++n) {
        std::string copy = name + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
        if (!taken(copy)) return {keep(copy), copy};
    }
    return {FileResult::failure("too many damaged copies are kept beside it"), {}};
}

FileResult setModificationDate(const std::string& path, Date date) {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(date.time_since_epoch()).count();
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(ns / 1000000000);
    times[1].tv_nsec = static_cast<long>(ns % 1000000000);
    if (times[1].tv_nsec < 0) {
        times[1].tv_nsec += 1000000000;
        times[1].tv_sec -= 1;
    }
    if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0)
        return FileResult::success();
    return FileResult::failure("Could not set the date of " + path + ": " +
                               describeFileError(errno));
}

std::optional<std::string> linkTarget(const std::string& path) {
    char target[PATH_MAX];
    const ssize_t length = readlink(path.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<size_t>(length) == sizeof target) return std::nullopt;
    return std::string(target, static_cast<size_t>(length));
}

std::string pathThroughLinks(const std::string& path) {
    std::string through = path;
    for (int hop = 0; hop < kMaxLinksFollowed; ++hop) {
        const auto next = linkTarget(through);
        if (!next) break;
        through =
            standardizedPath(next->front() == '/' ? *next : joinPath(parentPath(through), *next));
    }
    return through;
}

FileStamp stampOf(const FileInfo& info) {
    return FileStamp{info.device, info.inode, info.logicalSize, info.modified};
}

std::optional<FileStamp> stampOf(const std::string& path) {
    auto info = fileInfo(path);
    if (!info) return std::nullopt;
    return stampOf(*info);
}

std::optional<std::string> realPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) return std::nullopt;
    return std::string(resolved);
}

} // namespace kelvora
