#include "panes/SearchText.h"

#include "catalog/PlainWords.h"
#include "catalog/RelativeDate.h"
#include "model/Format.h"

#include <numeric>

namespace kelvora::SearchText {

const QStringList& examples() {
    static const QStringList phrases = {
        "videos over 1 GB",          "screenshots older than 3 months",
        "installers in Downloads",   "photos from last year in Desktop",
        "zips not opened in a year", "pdfs bigger than 50 MB"};
    return phrases;
}

QString folderText(const URL& hit, const std::string& home) {
    return QString::fromStdString(PlainWords::homeRelativePath(parentPath(hit.path()), home));
}

QString dateText(const std::optional<Date>& changed, Date now) {
    if (!changed) return {};
    return QString::fromStdString(" · changed " + PlainWords::relativeDate(*changed, now));
}

QString introBody(const MacPlaces& places) {
    const QString start = "Kelvora turns what you type into filters and looks through your "
                          "folders, on this computer. Your own folders only, never ";
    if (places.library && places.photosLibrary) return start + "the Library or the Photos library.";
    // Hidden folders are where programs keep their own files; the search never enters them.
    QStringList never = {"hidden ones"};
    if (places.library) never << "the Library";
    if (places.photosLibrary) never << "the Photos library";
    const QString last = never.takeLast();
    return start + (never.isEmpty() ? last : never.join(", ") + " or " + last) + ".";
}

QString countLine(size_t found, size_t picked) {
    return QString::fromStdString(PlainWords::fill(
        "%lld found · %lld picked",
        {Format::count(static_cast<int64_t>(found)), Format::count(static_cast<int64_t>(picked))}));
}

QString holdLine(int shelfDays) {
    return QString::fromStdString(
        PlainWords::fill("Picked files wait on the Undo Shelf for %lld days.", {shelfDays}));
}

QString moveTitle(int64_t pickedBytes) {
    return QString::fromStdString("Move " + Format::size(pickedBytes) + " to the Undo Shelf");
}

std::vector<std::vector<int>> exampleRows(const std::vector<qreal>& chipWidths, qreal spacing,
                                          qreal available) {
    int count = static_cast<int>(chipWidths.size());
    qreal oneRow = std::accumulate(chipWidths.begin(), chipWidths.end(), 0.0) +
                   spacing * std::max(0, count - 1);
    std::vector<int> all(count);
    std::iota(all.begin(), all.end(), 0);
    if (oneRow <= available || count <= 3) return {all};
    return {std::vector<int>(all.begin(), all.begin() + 3),
            std::vector<int>(all.begin() + 3, all.end())};
}

} // namespace kelvora::SearchText
