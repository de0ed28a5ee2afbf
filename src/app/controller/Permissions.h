#pragma once

namespace kelvora::Permissions {

// Whether the user's private folders may be read without asking: the home folder's Trash,
// and the desktop's Trash beside it, can be listed. Linux has no privacy gate of its own,
// so a Trash that does not exist yet blocks nothing; only a listing the system refuses does.
bool hasFullDiskAccess();

} // namespace kelvora::Permissions
