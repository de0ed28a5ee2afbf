#include "search/PlainQuery.h"

#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"
#include "platform/Hash.h"
#include "platform/HomeFolders.h"
#include "platform/Iso8601.h"
#include "platform/Text.h"

#include <algorithm>

namespace kelvora {

namespace {

using Kind = PlainQuery::Kind;

constexpr double kToolTimeout = 30;
const char* const kSearchTool = "/usr/bin/mdfind";

std::string clauseOf(Kind kind) {
    switch (kind) {
    case Kind::videos:
        return R"(kMDItemContentTypeTree == "public.movie")";
    case Kind::photos:
        return R"(kMDItemContentTypeTree == "public.image")";
    case Kind::screenshots:
        return R"(kMDItemIsScreenCapture == 1)";
    case Kind::pdfs:
        return R"(kMDItemContentType == "com.adobe.pdf")";
    case Kind::archives:
        return R"(kMDItemContentTypeTree == "public.archive")";
    case Kind::diskImages:
        return R"(kMDItemContentType == "com.apple.disk-image-udif")";
    case Kind::audio:
        return R"(kMDItemContentTypeTree == "public.audio")";
    // An application bundle, an AppImage, or a program a menu entry runs.
    case Kind::apps:
        return R"(kMDItemContentTypeTree == "com.apple.application")";
    case Kind::documents:
        return R"((kMDItemContentTypeTree == "public.composite-content" || )"
               R"(kMDItemContentTypeTree == "public.spreadsheet" || )"
               R"(kMDItemContentTypeTree == "public.presentation"))";
    }
    return {};
}

std::string join(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i ? separator : "") + parts[i];
    return text;
}

std::string timeValue(Date date) {
    return "$time.iso(" + formatIso8601(date) + ")";
}

std::string withoutQuotesAndBackslashes(std::string text) {
    std::erase_if(text, [](char c) { return c == '"' || c == '\\'; });
    return text;
}

// The user's Library, hidden items, photo-library contents and bundle insides are never hits.
bool isShown(const std::string& path, const std::string& libraryPrefix) {
    if (startsWith(path, libraryPrefix)) return false;
    if (path.find("/.") != std::string::npos) return false;
    if (path.find(".photoslibrary/") != std::string::npos) return false;
    if (path.find(".app/") != std::string::npos && !endsWith(path, ".app")) return false;
    return true;
}

std::optional<PlainQuery::Hit> hitFor(const std::string& path, const DiskScanner& measurer) {
    std::optional<FileInfo> info = fileInfo(path);
    if (!info) return std::nullopt;
    PlainQuery::Hit hit{URL::fileURL(path, info->isDirectory()), info->allocatedSize,
                        info->modified};
    if (info->isDirectory()) {
        FileCounter counter;
        hit.bytes = measurer.freedSizes({{hit.url}}, counter).front();
    }
    return hit;
}

} // namespace

const std::vector<Kind>& PlainQuery::allKinds() {
    static const std::vector<Kind> kinds = {Kind::videos, Kind::photos,   Kind::screenshots,
                                            Kind::pdfs,   Kind::archives, Kind::diskImages,
                                            Kind::audio,  Kind::apps,     Kind::documents};
    return kinds;
}

std::string rawValue(PlainQuery::Kind kind) {
    switch (kind) {
    case Kind::videos:
        return "videos";
    case Kind::photos:
        return "photos";
    case Kind::screenshots:
        return "screenshots";
    case Kind::pdfs:
        return "pdfs";
    case Kind::archives:
        return "archives";
    case Kind::diskImages:
        return "diskImages";
    case Kind::audio:
        return "audio";
    case Kind::apps:
        return "apps";
    case Kind::documents:
        return "documents";
    }
    return {};
}

std::optional<PlainQuery::Kind> queryKindFromRawValue(const std::string& text) {
    for (Kind kind : PlainQuery::allKinds())
        if (rawValue(kind) == text) return kind;
    return std::nullopt;
}

bool PlainQuery::hasApplicationsFolder(const URL& home) {
    const auto folder = realPath(home.appending("Applications").path());
    const auto info = folder ? fileInfo(*folder) : std::nullopt;
    return info && info->isDirectory();
}

std::string PlainQuery::spotlightQuery() const {
    std::vector<std::string> clauses;
    if (!kinds.empty()) {
        std::vector<std::string> kindClauses;
        for (Kind kind : kinds)
            kindClauses.push_back(clauseOf(kind));
        clauses.push_back(kindClauses.size() == 1 ? kindClauses.front()
                                                  : "(" + join(kindClauses, " || ") + ")");
    }
    if (minBytes) clauses.push_back("kMDItemFSSize >= " + std::to_string(*minBytes));
    if (maxBytes) clauses.push_back("kMDItemFSSize <= " + std::to_string(*maxBytes));
    if (changedAfter)
        clauses.push_back("kMDItemFSContentChangeDate >= " + timeValue(*changedAfter));
    if (changedBefore)
        clauses.push_back("kMDItemFSContentChangeDate < " + timeValue(*changedBefore));
    if (notOpenedSince)
        clauses.push_back("(kMDItemLastUsedDate < " + timeValue(*notOpenedSince) +
                          " || kMDItemLastUsedDate != *)");
    if (nameContains) {
        auto nameClause = [](const std::string& name) {
            return R"(kMDItemFSName == "*)" + withoutQuotesAndBackslashes(name) + R"(*"cd)";
        };
        // A name typed with a straight apostrophe finds the names written with a typographic
        // one too ("capture d'écran"), as the screenshots are told by their names.
        const std::string typographic = typographicApostrophes(*nameContains);
        clauses.push_back(typographic == *nameContains ? nameClause(typographic)
                                                       : "(" + nameClause(*nameContains) + " || " +
                                                             nameClause(typographic) + ")");
    }
    // Application bundles are folders; otherwise folders are never results.
    if (std::find(kinds.begin(), kinds.end(), Kind::apps) == kinds.end())
        clauses.push_back(R"(kMDItemContentType != "public.folder")");
    return join(clauses, " && ");
}

std::vector<PlainQuery::Hit> PlainQuery::run(const URL& home, int limit,
                                             const StopToken& stop) const {
    std::vector<std::string> arguments;
    std::vector<URL> roots;
    if (folders.empty()) roots.push_back(home);
    // The folder words mean the user's folders where user-dirs.dirs puts them, as the scan
    // reads them: "Downloads" may be ~/Téléchargements.
    const HomeFolders places(home);
    for (const auto& folder : folders)
        roots.push_back(places.user(folder));
    for (const URL& root : roots) {
        arguments.push_back("-onlyin");
        arguments.push_back(root.path());
    }
    arguments.push_back(spotlightQuery());

    std::optional<ToolOutput> result =
        DiskScanner::runTool(kSearchTool, arguments, kToolTimeout, stop);
    if (!result || result->status != 0) return {};

    std::string libraryPrefix = home.path() + "/Library/";
    std::vector<std::string> paths;
    size_t most = static_cast<size_t>(std::max(limit, 0));
    size_t wanted = most * 3;
    for (const auto& line : splitNonEmpty(result->output, '\n')) {
        if (paths.size() >= wanted) break;
        if (isShown(line, libraryPrefix)) paths.push_back(line);
    }

    DiskScanner measurer = DiskScanner::live();
    measurer.stop = stop;
    std::vector<Hit> hits;
    for (const auto& path : paths) {
        if (stop.stopped()) return {};
        auto hit = hitFor(path, measurer);
        // The tool compares lengths; a row shows the blocks, which the bounds hold to as
        // well, so a sparse file of 2 GB holding 4 KB is not "over 1 GB".
        if (hit && withinBounds(hit->bytes)) hits.push_back(*hit);
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const Hit& a, const Hit& b) { return a.bytes > b.bytes; });
    if (hits.size() > most) hits.resize(most);
    return hits;
}

std::vector<ScanItem> PlainQuery::items(const std::vector<Hit>& hits, Date now) {
    std::vector<ScanItem> items;
    items.reserve(hits.size());
    for (const Hit& hit : hits) {
        ScanItem item;
        item.kind = JunkKind::largeFiles;
        item.location = hit.url;
        item.targets = {hit.url};
        item.bytes = hit.bytes;
        item.baseVerdict = Verdict::youDecide;
        item.record = ScanItem::LargeFileInfo{ScanItem::LargeFileInfo::Reason::large, std::nullopt,
                                              hit.changed.value_or(now)};
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora

std::size_t std::hash<kelvora::PlainQuery::Hit>::operator()(
    const kelvora::PlainQuery::Hit& hit) const noexcept {
    return kelvora::hashAll(hit.url, hit.bytes, hit.changed);
}
