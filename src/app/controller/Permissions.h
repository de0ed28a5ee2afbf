#pragma once

#include <string>
#include <vector>

namespace kelvora::Permissions {

// Whether the user's private folders may be read without asking: the home folder's Trash,
// and the desktop's Trash beside it, can be listed. Linux has no privacy gate of its own,
// so a Trash that does not exist yet blocks nothing as long as the folder that would hold
// it can be listed; only a listing the system refuses does.
bool hasFullDiskAccess();

// The folders the access test and the private-folder rule read that refuse to be listed
// now: the home, its Trash, the desktop's Trash, then Desktop, Documents and Downloads.
// A missing folder is not among them. What a user has to open up where there is no
// privacy list to switch.
std::vector<std::string> closedFolders();

} // namespace kelvora::Permissions
