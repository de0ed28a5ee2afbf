#pragma once

#include <string>

namespace kelvora {

// The name of the package an installer file holds, without its version and architecture:
// "google-chrome-stable" of google-chrome-stable_current_amd64.deb and of
// google-chrome-stable-120.0.6099.109-1.x86_64.rpm, "Obsidian" of Obsidian-1.5.3.AppImage,
// "org.gimp.GIMP" of org.gimp.GIMP.flatpakref. Empty when nothing is left.
std::string packageName(const std::string& fileName);

// A name as installers and applications are compared: lower-cased letters and digits only,
// so "Google Chrome" and google-chrome read alike.
std::string comparableName(const std::string& name);

} // namespace kelvora
