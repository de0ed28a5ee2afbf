#include "platform/PackageName.h"

#include "platform/Text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

namespace kelvora {

namespace {

// Architectures as package and AppImage names spell them.
constexpr std::array<std::string_view, 16> kArchitectures = {
    "x86_64", "x86-64", "amd64",  "x64",    "i386",    "i686",  "arm64",     "aarch64",
    "armhf",  "armv7l", "armv7h", "noarch", "ppc64le", "s390x", "universal", "linux"};

bool isSeparator(char c) {
    return c == '-' || c == '_' || c == '.';
}

// Drops trailing architecture words ("-x86_64", ".noarch", "-linux-x64").
std::string withoutArchitecture(std::string stem) {
    for (bool dropped = true; dropped;) {
        dropped = false;
        const std::string lower = lowercased(stem);
        for (std::string_view arch : kArchitectures) {
            if (lower.size() <= arch.size() || !endsWith(lower, arch)) continue;
            const size_t at = lower.size() - arch.size();
            if (!isSeparator(lower[at - 1])) continue;
            stem.resize(at - 1);
            dropped = true;
            break;
        }
    }
    return stem;
}

// A version begins with a digit, or with "v" and a digit.
bool beginsVersion(std::string_view piece) {
    if (piece.empty()) return false;
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    return digit(piece[0]) ||
           (piece.size() > 1 && (piece[0] == 'v' || piece[0] == 'V') && digit(piece[1]));
}

// The name before the first piece (after "-" or "_") that begins a version.
std::string beforeVersion(const std::string& stem) {
    for (size_t at = 1; at < stem.size(); ++at)
        if ((stem[at - 1] == '-' || stem[at - 1] == '_') &&
            beginsVersion(std::string_view(stem).substr(at)))
            return stem.substr(0, at - 1);
    return stem;
}

// A name as vendors write it on their own downloads: "discord-0.0.38",
// "google-chrome-stable_current_x86_64", where "current" stands for the newest version.
std::string vendorName(const std::string& stem) {
    std::string name = withoutArchitecture(stem);
    if (endsWith(lowercased(name), "_current")) name.resize(name.size() - 8);
    return beforeVersion(name);
}

// name-version-release.arch, as the package tools write it: the name may hold a piece that
// begins with a digit ("java-17-openjdk"), so it is what comes before the last two pieces.
std::optional<std::string> rpmName(const std::string& stem) {
    const size_t dot = stem.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::string arch = lowercased(stem.substr(dot + 1));
    if (std::find(kArchitectures.begin(), kArchitectures.end(), arch) == kArchitectures.end())
        return std::nullopt;
    const std::string_view rest = std::string_view(stem).substr(0, dot);
    const size_t release = rest.rfind('-');
    if (release == std::string_view::npos || release == 0 || release + 1 == rest.size())
        return std::nullopt;
    const size_t version = rest.rfind('-', release - 1);
    if (version == std::string_view::npos || version == 0) return std::nullopt;
    if (!beginsVersion(rest.substr(version + 1)) ||
        !std::isdigit(static_cast<unsigned char>(rest[release + 1])))
        return std::nullopt;
    return std::string(rest.substr(0, version));
}

} // namespace

std::string packageName(const std::string& fileName) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    const std::string extension = lowercased(fileName.substr(dot + 1));
    const std::string stem = fileName.substr(0, dot);
    // Debian and snap names hold no "_": the name ends at the first one. A vendor's own
    // package without one is named as its other downloads are.
    if (extension == "snap" || (extension == "deb" && stem.find('_') != std::string::npos))
        return stem.substr(0, stem.find('_'));
    // A Flatpak reference or bundle is named after the application's id.
    if (extension == "flatpakref" || extension == "flatpak") return stem;
    if (extension == "rpm")
        if (auto name = rpmName(stem)) return *name;
    return vendorName(stem);
}

std::string comparableName(const std::string& name) {
    std::string key;
    for (unsigned char c : lowercased(name))
        if (std::isalnum(c) || c >= 0x80) key += static_cast<char>(c);
    return key;
}

} // namespace kelvora
