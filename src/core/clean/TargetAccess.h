#pragma once

#include "model/ScanItem.h"
#include "platform/FolderHandle.h"
#include "platform/Url.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Reaches a target the way a removal or a move must: from the folder the scan found it
// in, which must still be the folder it was then, down to the folder holding it without
// crossing a symbolic link. The target itself is acted on as it is, never followed, so
// nothing that turned into a link after the scan can redirect the clean-up. A target on
// another mount than that folder (a file system, or a bind mount, mounted at it or above
// it) is never reached.
class TargetAccess {
public:
    struct Reached {
        FolderHandle folder; // holds the target
        std::string name;    // the target's name in it
    };
    struct Result {
        std::optional<Reached> reached;
        std::string reason; // plain words, when it could not be reached
    };

    // Items noted by no scan start from the deepest of these folders that holds them,
    // else from "/".
    explicit TargetAccess(std::vector<URL> folders,
                          FolderHandle::LinkCheck check = FolderHandle::LinkCheck::kernel);
    // The folders a scan of the current user's home looks in.
    static TargetAccess live();
    // The deepest folder the scan noted for the item that holds `path` below it; null when
    // it noted none.
    static const ScanItem::ScanFolder* notedFolderOf(const ScanItem& item, const std::string& path);

    Result reach(const ScanItem& item, const URL& target) const;
    // The same for a move, which would carry along any file system mounted inside the
    // target: such a target is not reached either.
    Result reachToMove(const ScanItem& item, const URL& target) const;

private:
    std::vector<URL> folders_;
    FolderHandle::LinkCheck check_;
    std::string mountInfo_; // the mount table when this was made
};

} // namespace kelvora
