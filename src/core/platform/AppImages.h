#pragma once

#include "platform/FileIdentity.h"
#include "platform/Url.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// An AppImage is one executable file that carries its application inside.
namespace AppImages {

// Named "*.AppImage", in any letter case.
bool hasAppImageName(std::string_view name);
// A regular, executable file named like an AppImage or carrying the mark its runtime puts
// in its header.
bool isAppImage(const std::string& path);
// Whether `path` is the AppImage this program runs from ($APPIMAGE, which its runtime sets).
bool isOwnAppImage(const std::string& path);
// Where a user keeps AppImages: ~/Applications, ~/.local/bin, ~/AppImages and ~/Apps.
std::vector<URL> folders(const URL& home);
// The file a desktop entry's program runs: a path as it stands, or a name looked up in the
// folders of `searchPath` (PATH's form); links resolved. None when nothing is found.
std::optional<std::string> programFile(const std::string& program, std::string_view searchPath);
// Folders an AppImage uses instead of the home's when they lie beside it ("portable mode"):
// <file>.home and <file>.config.
std::vector<URL> portableFolders(const URL& file);

} // namespace AppImages
} // namespace kelvora
