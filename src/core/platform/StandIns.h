#pragma once

#include <optional>
#include <string>

namespace kelvora {

// Where a tool the scanners name is absent here and we ship a small program of our own
// in its place, the path of that program.
std::optional<std::string> standInFor(const std::string& toolPath);
// Folder holding the built stand-in programs (each in a subfolder named after the tool).
std::string standInFolder();

} // namespace kelvora
