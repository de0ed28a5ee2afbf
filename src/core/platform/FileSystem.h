#pragma once

#include "platform/Date.h"
#include "platform/Url.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

enum class FileType { regular, directory, symlink, other };

// The resource values the scanners read of one file-system item, read without
// following a symbolic link.
struct FileInfo {
    URL url;
    std::string name;
    FileType type = FileType::other;
    bool hidden = false;
    bool isPackage = false;
    int64_t allocatedSize = 0; // st_blocks x 512
    int64_t logicalSize = 0;
    uint64_t linkCount = 1;
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t mode = 0;
    uint32_t owner = 0;
    Date modified{};
    Date accessed{};
    std::optional<Date> created; // birth time, where the file system reports it

    bool isDirectory() const { return type == FileType::directory; }
    bool isRegularFile() const { return type == FileType::regular; }
    bool isSymlink() const { return type == FileType::symlink; }
};

enum class ListError { none, permissionDenied, notFound, notAFolder, other };

struct Listing {
    std::vector<FileInfo> entries; // sorted by name, byte-wise
    ListError error = ListError::none;
    bool ok() const { return error == ListError::none; }
};

// A folder whose name ends in one of the bundle extensions is shown and moved as one item.
bool isPackageName(const std::string& name);

std::optional<FileInfo> fileInfo(const URL& url);
std::optional<FileInfo> fileInfo(const std::string& path);

// The path with every link and dot resolved; none when some part of it does not exist.
std::optional<std::string> realPath(const std::string& path);
// As many links as the kernel follows in one path.
inline constexpr int kMaxLinksFollowed = 40;
// What a link holds, as written; none for anything that is not a link.
std::optional<std::string> linkTarget(const std::string& path);
// The file that writing `path` changes: the path itself, or where the links in its place lead
// (a file the user keeps with their dotfiles), so that the link stays a link. Only the final
// links are followed, as many as the kernel follows; the last one may lead nowhere yet.
std::string pathThroughLinks(const std::string& path);

// Which file a path holds: a write by anyone, in place or by renaming another file over it,
// shows as another stamp.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    Date modified{};
    bool operator==(const FileStamp&) const = default;
};
// Of what the path names, a final link itself; none when nothing is there.
std::optional<FileStamp> stampOf(const std::string& path);
FileStamp stampOf(const FileInfo& info);
bool fileExists(const std::string& path); // without following a final link
bool isExecutableFile(const std::string& path);
// Lets whoever runs a scan learn, from the descriptor a listing reads through, what each
// folder listed on the calling thread was at that moment; nested watches stack.
class ListingWatch {
public:
    using Watcher = std::function<void(const std::string& path, int fd)>;
    explicit ListingWatch(Watcher watcher);
    ~ListingWatch();
    ListingWatch(const ListingWatch&) = delete;
    ListingWatch& operator=(const ListingWatch&) = delete;

    // The calling thread's watcher, to hand on to work done on other threads; empty if none.
    static Watcher current();
    // Tells the calling thread's watcher, if any, of a folder opened for listing.
    static void tell(const std::string& path, int fd);

private:
    Watcher watcher_;
    ListingWatch* outer_;
};

// Lists the entries directly inside a folder. Never follows symbolic links; an entry
// whose values cannot be read is left out.
Listing listFolder(const URL& folder);
// The same for a folder that may itself be a link to a folder, as the user's own folders
// often are on this system: the entries keep the path through the link, and links among
// them are still never followed.
Listing listFolderThroughLink(const URL& folder);
// What listing the folder would fail with, read from its first entry only: cheap enough to
// ask again and again of a folder that holds thousands.
ListError listingError(const URL& folder, bool throughLink);

struct FileResult {
    bool ok = true;
    std::string reason; // plain words, naming the item
    explicit operator bool() const { return ok; }
    static FileResult success() { return {}; }
    static FileResult failure(std::string reason) { return {false, std::move(reason)}; }
};

// Plain words for an errno value, as failure reasons use them.
std::string describeFileError(int error);
// A file read whole only while it stays within a limit. What the application reads back of
// its own (settings, manifests, plans) lies where other programs can write too: a huge or
// sparse file there must not cost its size in memory, and a caller can call it damaged.
struct BoundedRead {
    enum class Outcome { read, missing, tooLarge, unreadable };
    Outcome outcome = Outcome::missing;
    std::string bytes;  // read only
    std::string reason; // unreadable: why, in plain words

    bool ok() const { return outcome == Outcome::read; }
};
// Reads a regular file of at most `maxBytes` and closes the descriptor. A folder, pipe or
// device is unreadable, and a file that grows past the limit while it is read is too large.
BoundedRead readOpenFileAtMost(int fd, std::size_t maxBytes);
BoundedRead readFileAtMost(const std::string& path, std::size_t maxBytes);
// Writes every byte, retrying after interruptions; 0 or the errno value that stopped it.
int writeAll(int fd, std::string_view bytes);

// Writes through a temporary file in the same folder, synced, then renamed into place,
// so a reader sees the old contents or the new, never a torn file. The new file keeps the mode
// and owner of the file it replaces (a private one stays private); a new one is 0644.
// `beforeRename`, when given, is asked once the new bytes are safe on disk, just before they
// take the old file's place: false leaves the old file as it is and fails the write.
FileResult writeFileAtomically(const std::string& path, std::string_view bytes,
                               const std::function<bool()>& beforeRename = {});
// Puts a symbolic link holding `target` in the place of `path` in one step, through a
// temporary link beside it named as the temporary files are; `beforeRename` as above.
FileResult writeLinkAtomically(const std::string& path, const std::string& target,
                               const std::function<bool()>& beforeRename = {});
// Writes a file that has other names too through its own inode, so that every name keeps it,
// with its mode and owner: only the bytes from the first one that differs are written, then
// the file is cut to its new end and synced. Only while the file is still the one `read`
// stamped (of at most `maxBytes`), and, when given, `beforeWrite` agrees just before the
// first byte is written. Not atomic: a reader at that moment may see part of the change.
FileResult writeFileInPlace(const std::string& path, std::string_view bytes, const FileStamp& read,
                            std::size_t maxBytes, const std::function<bool()>& beforeWrite = {});
// The name of the file whose write left this temporary behind
// (".notes.desktop.kelvora-tmp-Ab3xZ9" is one of "notes.desktop"); none for any other name,
// however much it looks like a temporary of another program. Only a write cut short leaves
// one.
std::optional<std::string> writtenByTemporary(const std::string& name);
// The whole of a regular file of at most `maxBytes`, a limit fitting its kind; nothing for a
// missing, larger or unreadable file, a folder, a pipe or a device.
std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes);
FileResult createDirectories(const std::string& path);
// Moves an item whole. Never replaces an existing item, and never copies: a move
// to another file system fails with a reason.
FileResult moveItem(const std::string& from, const std::string& to);
// Removes a file, a link (not its target) or a folder with everything below it, at any
// depth, never going through a link inside it.
FileResult removeItem(const std::string& path);
// Keeps a damaged file beside itself under a name of its own, so that a second damage never
// replaces the first: "name.damaged", then "name.damaged-2" and so on. `taken` says whether a
// name is in use; `keep` keeps the file under a free one. The name it was kept under.
struct KeptAside {
    FileResult result;
    std::string copy;
};
KeptAside keepAsideAsDamaged(const std::string& name,
                             const std::function<bool(const std::string&)>& taken,
                             const std::function<FileResult(const std::string&)>& keep);
FileResult setModificationDate(const std::string& path, Date date);

} // namespace kelvora
