#pragma once

#include "clean/UndoShelf.h"
#include "platform/FolderHandle.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// How putting back the files of one entry went.
struct EntryReturn {
    std::vector<UndoShelf::Entry::File> stayed; // still on the shelf
    std::vector<std::string> failed;            // why each of those stayed
    std::vector<std::string> missing;           // names no longer on the shelf, nor found back
};

// Puts every file of an entry back where it came from. Each goes back only below a folder
// the scan found it in, entered one name at a time without crossing a link and made where
// missing, under its own name or, where that is taken, a restored one (a Trash item and its
// record take the same). A file no longer on the shelf whose identity stands at its place
// is back already (a put back cut short) and is not missed.
EntryReturn returnEntry(const FolderHandle& items, const UndoShelf::Entry& entry,
                        const std::vector<URL>& scanFolders);

// The identity of what is stored under a name, to be noted when it is shelved.
std::optional<UndoShelf::Entry::File::Identity> identityAt(const FolderHandle& folder,
                                                           const std::string& name);

} // namespace kelvora
