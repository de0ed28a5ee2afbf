#include "controller/AppModel.h"

#include "catalog/PlainWords.h"
#include "controller/BackgroundTask.h"
#include "controller/Prefs.h"
#include "engine/PathRules.h"
#include "search/QueryCalendar.h"

#include <algorithm>
#include <unordered_map>

namespace kelvora {

namespace {

constexpr int kSearchLimit = 300;

// The items of a move whose every target reached the shelf.
std::vector<ScanItem> fullyShelved(const std::vector<ScanItem>& items, const CleanReport& report) {
    std::unordered_map<std::string, size_t> movedFiles;
    if (report.sweep)
        for (const auto& entry : report.sweep->entries)
            movedFiles[entry.location] += entry.files.size();
    std::vector<ScanItem> shelved;
    for (const auto& item : items)
        if (auto it = movedFiles.find(item.location.path());
            it != movedFiles.end() && it->second >= item.targets.size())
            shelved.push_back(item);
    return shelved;
}

// Files of a move that stayed where they were: held back before the move, left alone by
// the cleaner or failed. A photo item holds several files, so items are not counted.
size_t filesLeft(const std::vector<ScanItem>& moving, const std::vector<ScanItem>& heldBack,
                 const CleanReport& report) {
    size_t handed = 0;
    for (const auto* items : {&moving, &heldBack})
        for (const auto& item : *items)
            handed += item.targets.size();
    size_t shelved = 0;
    if (report.sweep)
        for (const auto& entry : report.sweep->entries)
            shelved += entry.files.size();
    return handed > shelved ? handed - shelved : 0;
}

std::string notMovedText(size_t count, const char* what) {
    return PlainWords::counted(static_cast<int64_t>(count), what) + " couldn’t be moved.";
}

} // namespace

// ---- Moving items onto the Undo Shelf ----

AppModel::Move AppModel::screenForMove(std::vector<ScanItem> items) const {
    // The scan's own rule, so a folder named through a link, or the whole disk, is kept
    // out of a move as it is kept out of a result.
    NeverTouch neverTouch(Prefs::stringList(Prefs::Key::neverTouch));
    const HeldFiles held(tools_.openFiles ? tools_.openFiles() : std::vector<RunningProcess>());
    Move move;
    for (auto& item : items) {
        if (neverTouch.covers(item, true) || held.holderOf(item))
            move.heldBack.push_back(std::move(item));
        else
            move.items.push_back(std::move(item));
    }
    return move;
}

void AppModel::moveToShelf(Move move, std::function<std::string(const ScanItem&)> label,
                           std::function<void(const Move&, const CleanReport&)> done) {
    auto items = move.items;
    cleanInBackground(std::move(items), std::move(label),
                      [this, move = std::move(move), done](CleanEnd end) {
                          done(move, end.report);
                          assign(sweeps_, std::move(end.sweeps), Area::shelf);
                          assign(diskNow_, end.disk, Area::disk);
                      });
}

// ---- Search ----

std::map<std::string, std::string> AppModel::folderNames(const PlainQuery& query) const {
    std::map<std::string, std::string> names;
    for (const auto& folder : query.folders)
        names[folder] = scanner_.userFolder(folder).lastPathComponent();
    return names;
}

void AppModel::search(const std::string& text) {
    PlainQuery query = PlainQuery::parse(text, currentDate(), QueryCalendar::gregorian(),
                                         PlainQuery::hasApplicationsFolder(scanner_.home));
    Changes changes(*this);
    // Only the newest search may set what is shown: the one running stops.
    searchStop_.stop();
    searchStop_ = StopSource();
    const StopToken stop = searchStop_.token();
    assign(searchPhrase_, text, Area::search);
    assign(searchQuery_, query.isEmpty() ? std::nullopt : std::optional<PlainQuery>(query),
           Area::search);
    if (query.isEmpty()) {
        // Nothing runs for an empty phrase, and no earlier run may bring its hits back.
        assign(searchHits_, std::optional<std::vector<PlainQuery::Hit>>(), Area::search);
        assign(searching_, false, Area::search);
        return;
    }
    assign(searching_, true, Area::search);
    assign(searchPicks_, std::unordered_set<URL>(), Area::search);
    assign(searchFolderNames_, folderNames(query), Area::search);
    auto run = tools_.search;
    URL home = scanner_.home;
    inBackground([run, query, home, stop] { return run(query, home, kSearchLimit, stop); },
                 [this, stop](std::vector<PlainQuery::Hit> hits) {
                     if (stop.stopped()) return;
                     assign(searchHits_, std::optional<std::vector<PlainQuery::Hit>>(hits),
                            Area::search);
                     assign(searching_, false, Area::search);
                 });
}

void AppModel::showSearch(const PlainQuery& query, std::vector<PlainQuery::Hit> hits,
                          std::string phrase) {
    Changes changes(*this);
    assign(searchPhrase_, std::move(phrase), Area::search);
    assign(searchQuery_, std::optional<PlainQuery>(query), Area::search);
    assign(searchFolderNames_, folderNames(query), Area::search);
    assign(searchHits_, std::optional<std::vector<PlainQuery::Hit>>(std::move(hits)), Area::search);
    assign(showingSearch_, true, Area::navigation);
}

void AppModel::toggleSearchPick(const URL& url) {
    if (!searchPicks_.erase(url)) searchPicks_.insert(url);
    changed(Area::search);
}

void AppModel::removePickedSearchHits() {
    std::vector<PlainQuery::Hit> picked;
    if (searchHits_)
        for (const auto& hit : *searchHits_)
            if (searchPicks_.count(hit.url)) picked.push_back(hit);
    if (picked.empty()) return;
    Move move = screenForMove(PlainQuery::items(picked));
    auto label = [](const ScanItem& item) { return item.location.lastPathComponent(); };
    moveToShelf(std::move(move), label, [this](const Move& move, const CleanReport& report) {
        std::unordered_set<URL> shelved;
        for (const auto& item : fullyShelved(move.items, report))
            shelved.insert(item.location);
        if (searchHits_) {
            std::vector<PlainQuery::Hit> left;
            for (const auto& hit : *searchHits_)
                if (!shelved.count(hit.url)) left.push_back(hit);
            assign(searchHits_, std::optional<std::vector<PlainQuery::Hit>>(std::move(left)),
                   Area::search);
        }
        for (const auto& url : shelved)
            searchPicks_.erase(url);
        changed(Area::search);
        if (size_t notMoved = filesLeft(move.items, move.heldBack, report))
            setShelfError(notMovedText(notMoved, "file"));
    });
}

// ---- Similar photos ----

void AppModel::findSimilarPhotos() {
    if (findingPhotos_) return;
    Changes changes(*this);
    assign(findingPhotos_, true, Area::photos);
    assign(photoProgress_, 0.0, Area::photos);
    bool allowed = privateFoldersAllowed();
    const auto& privateNames = DiskScanner::privateFolderNames();
    std::vector<URL> folders;
    for (const char* name : {"Pictures", "Desktop", "Downloads", "Documents"}) {
        bool isPrivate =
            std::find(privateNames.begin(), privateNames.end(), name) != privateNames.end();
        if (allowed || !isPrivate) folders.push_back(scanner_.userFolder(name));
    }
    QPointer<AppModel> self(this);
    auto progress = [self](double value) {
        onMainThread(self, [value](AppModel& model) {
            model.assign(model.photoProgress_, value, Area::photos);
        });
    };
    auto find = tools_.findPhotos;
    photosStop_ = StopSource();
    const StopToken stop = photosStop_.token();
    inBackground([find, folders, progress, stop] { return find(folders, progress, stop); },
                 [this, stop](std::vector<SimilarPhotos::Group> groups) {
                     if (stop.stopped()) return;
                     assign(photoGroups_,
                            std::optional<std::vector<SimilarPhotos::Group>>(std::move(groups)),
                            Area::photos);
                     assign(photoPicks_, std::unordered_set<URL>(), Area::photos);
                     assign(findingPhotos_, false, Area::photos);
                 });
}

// While a new search runs the groups on screen are about to be replaced: a pick or a move
// made now would act on groups the search may no longer report.
void AppModel::togglePhotos(const SimilarPhotos::Group& group) {
    if (findingPhotos_) return;
    if (!photoPicks_.erase(group.keep)) photoPicks_.insert(group.keep);
    changed(Area::photos);
}

void AppModel::pickAllPhotos(bool all) {
    if (findingPhotos_) return;
    std::unordered_set<URL> picks;
    if (all && photoGroups_)
        for (const auto& group : *photoGroups_)
            picks.insert(group.keep);
    assign(photoPicks_, std::move(picks), Area::photos);
}

void AppModel::removePickedPhotos() {
    if (findingPhotos_) return;
    std::vector<SimilarPhotos::Group> picked;
    if (photoGroups_)
        for (const auto& group : *photoGroups_)
            if (photoPicks_.count(group.keep)) picked.push_back(group);
    if (picked.empty()) return;
    movePhotos(SimilarPhotos::items(picked));
}

void AppModel::movePhotos(std::vector<ScanItem> items) {
    Move move = screenForMove(std::move(items));
    moveToShelf(std::move(move), itemNames(), [this](const Move& move, const CleanReport& report) {
        // A group leaves the list only when all its extras reached the shelf.
        std::unordered_set<URL> gone;
        for (const auto& item : fullyShelved(move.items, report))
            if (item.photo() && item.photo()->keptPhoto) gone.insert(*item.photo()->keptPhoto);
        if (photoGroups_) {
            std::vector<SimilarPhotos::Group> left;
            for (const auto& group : *photoGroups_)
                if (!gone.count(group.keep)) left.push_back(group);
            assign(photoGroups_, std::optional<std::vector<SimilarPhotos::Group>>(std::move(left)),
                   Area::photos);
        }
        assign(photoPicks_, std::unordered_set<URL>(), Area::photos);
        if (size_t notMoved = filesLeft(move.items, move.heldBack, report))
            setShelfError(notMovedText(notMoved, "photo"));
    });
}

} // namespace kelvora
