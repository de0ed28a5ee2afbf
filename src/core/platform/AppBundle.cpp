#include "platform/AppBundle.h"

#include "platform/FileSystem.h"

namespace kelvora {

std::optional<Json> bundleInfo(const URL& bundle) {
    auto info = readPlist(bundle.appending("Contents").appending("Info.plist").path());
    if (!info || !info->is_object()) return std::nullopt;
    return info;
}

std::optional<std::string> bundleIdentifier(const URL& bundle) {
    auto info = bundleInfo(bundle);
    if (!info) return std::nullopt;
    auto id = plistString(*info, "CFBundleIdentifier");
    if (!id || id->empty()) return std::nullopt;
    return id;
}

} // namespace kelvora
