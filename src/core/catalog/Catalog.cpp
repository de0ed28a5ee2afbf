#include "catalog/Catalog.h"

#include "catalog/PlainWords.h"
#include "catalog/RelativeDate.h"
#include "engine/PathRules.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"

namespace kelvora {

Catalog::Catalog(std::function<Settings()> settingsSource, AppNames::Lookup lookup,
                 std::function<Date()> clock, std::string homeFolder)
    : settings(settingsSource ? std::move(settingsSource)
                              : std::function<Settings()>([] { return Settings{}; })),
      now(clock ? std::move(clock) : std::function<Date()>(currentDate)),
      home(homeFolder.empty() ? AppPaths::home() : std::move(homeFolder)),
      macPlaces([] { return MacPlaces{}; }) {
    applicationName =
        lookup ? std::move(lookup)
               : AppNames::live({URL::fileURL("/Applications", true),
                                 URL::fileURL(home, true).appending("Applications", true)});
}

std::string Catalog::relativeDate(Date date) const {
    return PlainWords::relativeDate(date, now());
}

std::string Catalog::homeRelativePath(const std::string& path) const {
    return PlainWords::homeRelativePath(path, home);
}

URL Catalog::place(const ScanItem& item) {
    if (item.app() && !item.targets.empty()) return item.targets.front();
    if (item.kind != JunkKind::screenshots || item.targets.empty()) return item.location;
    URL folder = item.targets.front().deletingLastPathComponent();
    for (const URL& target : item.targets)
        while (!isSameOrInside(target.path(), folder.path()))
            folder = folder.deletingLastPathComponent();
    return folder;
}

std::optional<std::string> Catalog::appName(const std::string& folderName) const {
    if (splitNonEmpty(folderName, '.').size() < 3) return std::nullopt;
    return applicationName(folderName);
}

} // namespace kelvora
