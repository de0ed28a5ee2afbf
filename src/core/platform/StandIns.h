#pragma once

#include <optional>
#include <string>

namespace kelvora {

// Where a tool the scanners name is absent here and we ship a small program of our own
// in its place, the path of that program.
std::optional<std::string> standInFor(const std::string& toolPath);
// Whether the tool at this path is the system's own, not absent and not a stand-in of ours
// put there.
bool isSystemTool(const std::string& toolPath);
// Folder holding the built stand-in programs (each in a subfolder named after the tool).
std::string standInFolder();

} // namespace kelvora
