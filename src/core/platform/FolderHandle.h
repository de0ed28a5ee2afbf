#pragma once

#include "platform/FileSystem.h"
#include "platform/StopToken.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// The device and inode of an open folder: what it is, whatever path led to it.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

std::optional<FolderIdentity> folderIdentityOf(int fd);
// Of the folder a path leads to now, links followed; none when it leads to no folder.
std::optional<FolderIdentity> folderIdentityAt(const std::string& path);

// An open folder. Its operations take names directly inside it and never follow a final
// symbolic link, so a folder renamed, or a name replaced by a link, after it was opened
// cannot send them anywhere else. Paths are kept only to word messages.
class FolderHandle {
public:
    // How a path below a folder is checked for links: by the kernel in one call where it
    // can, or by opening one component at a time without following any.
    enum class LinkCheck { kernel, walk };

    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    // The folder at a path, following links on the way (a root may itself be a link).
    static FolderHandle open(const std::string& path);

    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }
    int fd() const { return fd_; }
    // Why the folder could not be opened (an errno value); ELOOP when a link was met.
    int error() const { return error_; }
    const std::string& path() const { return path_; }
    std::optional<FolderIdentity> identity() const;

    // A folder directly inside this one, never through a link.
    FolderHandle folder(const std::string& name) const;
    // The folder at a relative path of plain components below this one, crossing no
    // symbolic link on the way, the last component included.
    FolderHandle beneath(const std::string& relative, LinkCheck check = LinkCheck::kernel) const;

    // Whether anything (a link included) has this name here.
    bool contains(const std::string& name) const;
    std::vector<std::string> names() const;
    // The whole of a regular file trusted only up to a size (see readFileAtMost); never a
    // link, a folder or a device.
    BoundedRead readFile(const std::string& name, std::size_t maxBytes) const;
    // Through a temporary file in this folder, synced, then renamed over the name.
    FileResult writeFileAtomically(const std::string& name, std::string_view bytes) const;
    FileResult makeFolder(const std::string& name) const;
    // Never replaces what is at the destination and never copies between disks.
    FileResult moveItem(const std::string& name, const FolderHandle& to,
                        const std::string& toName) const;
    FileResult moveItem(const std::string& name, const std::string& toPath) const;
    // A second name here for a file here (never a link's target), never replacing what has
    // that name.
    FileResult linkFile(const std::string& name, const std::string& toName) const;
    // What a removal does with a folder its owner may not write in (as some tools leave
    // their caches): stop there, or first give the owner write permission on it, through the
    // folder's own descriptor, so never through a link.
    enum class ReadOnlyFolders { stop, makeWritable };
    // A file, a link (not what it points to) or a folder with everything in it, at any
    // depth, without ever going through a link or onto another mounted disk. Once `stop` is
    // set, a folder's removal ends at the file in hand and fails, what is left staying. What
    // the removal freed is added to `freed` where one is given: the blocks of every file whose
    // last link it took and of every folder it removed, even when it stopped part way.
    FileResult removeItem(const std::string& name, ReadOnlyFolders readOnly = ReadOnlyFolders::stop,
                          const StopToken& stop = {}, int64_t* freed = nullptr) const;
    // Errors are ignored: for leftovers that a later pass may take away.
    void removeFile(const std::string& name) const;
    void removeEmptyFolder(const std::string& name) const;

private:
    FolderHandle(int fd, int error, std::string path) : fd_(fd), error_(error), path_(path) {}
    static FolderHandle failed(int error, std::string path) { return {-1, error, path}; }
    std::string pathOf(const std::string& name) const { return joinPath(path_, name); }

    int fd_ = -1;
    int error_ = 0;
    std::string path_;
};

} // namespace kelvora
