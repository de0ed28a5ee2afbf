#include "panes/SimilarPhotosText.h"

#include "catalog/PlainWords.h"
#include "model/Format.h"

#include <cmath>

namespace kelvora::SimilarPhotosText {

Content content(bool finding, const Groups& groups) {
    if (finding) return Content::searching;
    if (!groups) return Content::intro;
    if (groups->empty()) return Content::nothingFound;
    return Content::results;
}

bool showsLookAgain(bool finding, const Groups& groups) {
    return groups && !finding;
}

bool showsFooter(const Groups& groups) {
    return groups && !groups->empty();
}

std::string progress(double fraction) {
    return "Comparing photos… " + std::to_string(static_cast<int64_t>(std::trunc(fraction * 100))) +
           "%";
}

std::string subtitle(const MacPlaces& places) {
    return std::string("Near-identical shots in Pictures, Desktop, Downloads and Documents.") +
           (places.photosLibrary ? " Never the Photos library." : "");
}

std::string extras(size_t count) {
    return Format::count(static_cast<int64_t>(count)) + (count == 1 ? " extra" : " extras");
}

std::optional<std::string> overflow(size_t extras) {
    if (extras <= kShownExtras) return std::nullopt;
    return "+" + Format::count(static_cast<int64_t>(extras - kShownExtras));
}

std::vector<URL> revealed(const SimilarPhotos::Group& group) {
    std::vector<URL> urls{group.keep};
    urls.insert(urls.end(), group.extras.begin(), group.extras.end());
    return urls;
}

Footer footer(const std::vector<SimilarPhotos::Group>& groups, const std::unordered_set<URL>& picks,
              int shelfDays, bool finding) {
    Footer footer;
    footer.groups = groups.size();
    for (const auto& group : groups)
        if (picks.count(group.keep)) {
            ++footer.picked;
            footer.total += group.bytes;
        }
    footer.summary = Format::count(static_cast<int64_t>(footer.picked)) + " of " +
                     PlainWords::counted(static_cast<int64_t>(footer.groups), "group") + " picked";
    footer.hold = "Extras wait on the Undo Shelf for " + PlainWords::counted(shelfDays, "day") +
                  ". The kept shot never moves.";
    footer.picksAll = footer.picked != footer.groups;
    footer.pickTitle = footer.picksAll ? "Pick all" : "Pick none";
    footer.moveTitle = "Move " + Format::size(footer.total) + " of extras";
    footer.canPick = !finding;
    footer.canMove = !finding && footer.picked > 0;
    return footer;
}

} // namespace kelvora::SimilarPhotosText
