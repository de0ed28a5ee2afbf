#pragma once

#include "model/ScanItem.h"
#include "platform/Date.h"
#include "platform/StopToken.h"
#include "platform/Url.h"
#include "search/QueryCalendar.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvora {

// A file search described in plain words ("big videos older than a year"): which kinds of
// file, size bounds, change and last-use dates, folders of the home folder and name part.
struct PlainQuery {
    enum class Kind {
        videos,
        photos,
        screenshots,
        pdfs,
        archives,
        diskImages,
        audio,
        apps,
        documents
    };

    // One search result, identified by its URL.
    struct Hit {
        URL url;
        int64_t bytes = 0;
        std::optional<Date> changed;
        const URL& id() const { return url; }
        bool operator==(const Hit&) const = default;
    };

    std::vector<Kind> kinds;
    std::optional<int64_t> minBytes;
    std::optional<int64_t> maxBytes;
    std::optional<Date> changedBefore;
    std::optional<Date> changedAfter;
    std::optional<Date> notOpenedSince;
    std::vector<std::string> folders;
    std::optional<std::string> nameContains;

    bool isEmpty() const { return *this == PlainQuery{}; }
    // Whether a size lies within minBytes and maxBytes, both included.
    bool withinBounds(int64_t bytes) const {
        return (!minBytes || bytes >= *minBytes) && (!maxBytes || bytes <= *maxBytes);
    }
    bool operator==(const PlainQuery&) const = default;

    static const std::vector<Kind>& allKinds();
    // The words that name each kind, in the order kinds are recognised.
    static const std::vector<std::pair<Kind, std::vector<std::string>>>& kindWords();
    // Never fails: a phrase nothing in it is understood of becomes a name search. Where the
    // home has an Applications folder, "in Applications" names that folder.
    static PlainQuery parse(const std::string& text, Date now, const QueryCalendar& calendar,
                            bool applicationsFolder = false);

    // Whether the home holds an Applications folder (or a link to one).
    static bool hasApplicationsFolder(const URL& home);

    // The metadata query text the search tool understands.
    std::string spotlightQuery() const;
    // Runs the search tool over the home folder (or the chosen folders in it) and returns
    // at most `limit` hits, largest first. Failures give fewer or no hits; once `stop` is
    // set the tool is ended and what is returned is incomplete.
    std::vector<Hit> run(const URL& home, int limit, const StopToken& stop = {}) const;
    // One large-file item per hit, for the cleaner.
    static std::vector<ScanItem> items(const std::vector<Hit>& hits, Date now = currentDate());

    // Short labels that echo what the phrase was understood to mean.
    // A folder is named by its name in `folderNames` where it has one ("Movies" may be the
    // Videos folder here).
    std::vector<std::string>
    chips(const QueryCalendar& calendar,
          const std::map<std::string, std::string>& folderNames = {}) const;
};

std::string rawValue(PlainQuery::Kind kind);
std::optional<PlainQuery::Kind> queryKindFromRawValue(const std::string& text);

} // namespace kelvora

template <> struct std::hash<kelvora::PlainQuery::Hit> {
    std::size_t operator()(const kelvora::PlainQuery::Hit& hit) const noexcept;
};
