#pragma once

#include <string>

namespace kelvora {

// The name of the package an installer file holds, without its version and architecture, read
// as each format names its files (name_version_arch.deb, name-version-release.arch.rpm) and as
// vendors name theirs (name-version.deb, name_current_arch): "google-chrome-stable" of
// google-chrome-stable_current_amd64.deb and of google-chrome-stable-120.0.6099.109-1.x86_64.rpm,
// "discord" of discord-0.0.38.deb, "Obsidian" of Obsidian-1.5.3.AppImage, "org.gimp.GIMP" of
// org.gimp.GIMP.flatpakref. Empty when nothing is left.
std::string packageName(const std::string& fileName);

// A name as installers and applications are compared: lower-cased letters and digits only,
// so "Google Chrome" and google-chrome read alike.
std::string comparableName(const std::string& name);

} // namespace kelvora
