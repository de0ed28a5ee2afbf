#pragma once

#include <string>
#include <sys/stat.h>

namespace kelvora {

// Opens a path with open()'s flags, the flags applying to its last component. A path
// longer than the kernel takes in one call is opened a piece at a time, each piece
// relative to the folder the one before it reached, so a tree of any depth can be read.
// Returns the descriptor, or -1 with errno set.
int openLongPath(const std::string& path, int flags);

// statx of a path without following its last component, at any length. False on failure.
bool statLongPath(const std::string& path, unsigned mask, struct statx& status);

} // namespace kelvora
