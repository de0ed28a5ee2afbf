#include "panes/SpaceMapText.h"

#include "catalog/PlainWords.h"
#include "model/Format.h"

#include <cmath>

namespace kelvora::SpaceMapText {

namespace {

// The components of an absolute path, "/" first: "/a/b" gives "/", "a", "b".
std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts{"/"};
    size_t start = 1;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string joined(const std::vector<std::string>& parts, size_t count) {
    std::string path;
    for (size_t i = 1; i < count; ++i)
        path += "/" + parts[i];
    return path.empty() ? "/" : path;
}

} // namespace

std::string rootName(const URL& url, const URL& home) {
    if (url.resolvingSymlinks().path() == home.resolvingSymlinks().path()) return "Home";
    return url.lastPathComponent();
}

std::vector<Crumb> breadcrumb(const URL& root, const URL& folder, const URL& home) {
    std::vector<std::string> parts = components(folder.resolvingSymlinks().path());
    size_t first = std::min(components(root.path()).size(), parts.size());
    std::vector<Crumb> crumbs;
    for (size_t i = first; i <= parts.size(); ++i) {
        URL url = URL::fileURL(joined(parts, i), true);
        std::string label = crumbs.empty() ? rootName(url, home) : url.lastPathComponent();
        crumbs.push_back({url, label, i == parts.size()});
    }
    return crumbs;
}

bool showsBack(const URL& root, const URL& folder) {
    return folder.resolvingSymlinks().path() != root.path();
}

URL backTarget(const URL& folder) {
    return folder.deletingLastPathComponent();
}

std::string measuringText(int64_t files) {
    return "Measuring… " + PlainWords::counted(files, "file") + " so far";
}

std::optional<std::string> privateLine(const std::vector<SpaceMap::Entry>& children) {
    std::vector<std::string> names;
    for (const auto& child : children)
        if (!child.bytes) names.push_back(child.name);
    if (names.empty()) return std::nullopt;
    std::string line = "Closed to Kelvora, not measured: ";
    for (size_t i = 0; i < names.size() && i < 6; ++i)
        line += (i ? ", " : "") + names[i];
    if (names.size() > 6)
        line += " and " + Format::count(static_cast<int64_t>(names.size() - 6)) + " more";
    return line;
}

std::vector<SpaceMap::Entry> measured(const std::vector<SpaceMap::Entry>& children) {
    std::vector<SpaceMap::Entry> result;
    for (const auto& child : children)
        if (child.bytes && *child.bytes >= 1) result.push_back(child);
    return result;
}

std::string displayPath(const URL& url, const URL& home) {
    return PlainWords::homeRelativePath(url.path(), home.path());
}

Advice advice(FolderGuide::Advice advice) {
    switch (advice) {
    case FolderGuide::Advice::clearable:
        return {"Kelvora can clear this, and it comes back", "arrow.triangle.2.circlepath"};
    case FolderGuide::Advice::yours:
        return {"Yours: only you know if you need it", "person"};
    case FolderGuide::Advice::leaveIt:
        break;
    }
    return {"Best left alone", "hand.raised"};
}

std::optional<SpaceMap::Entry> selectedEntry(const URL& selection,
                                             const std::vector<SpaceMap::Entry>& siblings) {
    for (const auto& entry : siblings)
        if (entry.url == selection) return entry;
    return std::nullopt;
}

std::optional<std::string> shareText(int64_t bytes, std::optional<int64_t> folderSize) {
    if (!folderSize || *folderSize < 1) return std::nullopt;
    double percent = static_cast<double>(bytes) / static_cast<double>(*folderSize) * 100;
    return std::to_string(std::llround(percent)) + "% of this folder";
}

Inspection inspect(const SpaceMap::Entry& entry, std::optional<int64_t> folderSize, const URL& home,
                   const FolderGuide::AppLocator& locateApp,
                   const FolderGuide::CacheRules& caches) {
    Inspection inspection{entry, std::nullopt, std::nullopt, displayPath(entry.url, home),
                          FolderGuide::explain(entry.url, home, locateApp, caches)};
    if (entry.bytes) {
        inspection.size = Format::sizeParts(*entry.bytes);
        inspection.share = shareText(*entry.bytes, folderSize);
    }
    return inspection;
}

} // namespace kelvora::SpaceMapText
