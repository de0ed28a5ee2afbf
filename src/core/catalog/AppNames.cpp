#include "catalog/AppNames.h"

#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/DesktopEntries.h"
#include "platform/Text.h"

namespace kelvora::AppNames {

std::vector<std::string> desktopEntryFolders() {
    return DesktopEntries::folders(AppPaths::applicationSupport());
}

std::optional<std::string> bundleName(const std::string& identifier,
                                      const std::vector<URL>& applicationFolders) {
    auto bundle = DiskScanner::applicationURL(identifier, applicationFolders);
    if (!bundle) return std::nullopt;
    return replacingAll(bundle->lastPathComponent(), ".app", "");
}

Lookup live(std::vector<URL> applicationFolders) {
    return [folders = std::move(applicationFolders)](const std::string& identifier) {
        if (auto name = bundleName(identifier, folders)) return name;
        return DesktopEntries::nameOf(identifier, desktopEntryFolders());
    };
}

} // namespace kelvora::AppNames
