#include "controller/AppModel.h"

#include "controller/BackgroundTask.h"
#include "controller/LoginItemsOrder.h"
#include "controller/Prefs.h"
#include "login/LoginLeftover.h"

#include <algorithm>

namespace kelvora {

namespace {

std::optional<std::string> firstInListOrder(const std::vector<LoginItem>& items) {
    std::vector<LoginItem> sorted = LoginItemsOrder::sorted(items);
    if (sorted.empty()) return std::nullopt;
    return sorted.front().id();
}

} // namespace

// ---- Space map ----

void AppModel::measureSpace(std::optional<URL> root) {
    // The newest request wins: the measurement running stops and its map is never shown.
    mapStop_.stop();
    mapStop_ = StopSource();
    const StopToken stop = mapStop_.token();
    URL target = root ? *root : scanner_.home;
    std::set<std::string> skip = SpaceMap::protectedFolders(scanner_.home);
    if (!privateFoldersAllowed())
        for (const auto& folder : scanner_.privateFolders())
            skip.insert(folder.path());
    Changes changes(*this);
    assign(measuring_, true, Area::spaceMap);
    assign(measuredFiles_, int64_t{0}, Area::spaceMap);
    QPointer<AppModel> self(this);
    auto progress = [self, stop](int64_t count) {
        onMainThread(self, [count, stop](AppModel& model) {
            if (!stop.stopped()) model.assign(model.measuredFiles_, count, Area::spaceMap);
        });
    };
    auto measure = tools_.measure;
    inBackground(
        [measure, target, skip, progress, stop, scanner = scanner_] {
            return std::make_pair(measure(target, skip, progress, stop),
                                  scanner.cacheRootFolders());
        },
        [this, stop](std::pair<std::shared_ptr<const SpaceMap>, std::vector<URL>> measured) {
            if (stop.stopped()) return;
            auto& [map, cacheRoots] = measured;
            std::optional<URL> folder;
            if (map) folder = map->root();
            assign(mapCacheRoots_, std::move(cacheRoots), Area::spaceMap);
            assign(spaceMap_, std::move(map), Area::spaceMap);
            assign(mapFolder_, std::move(folder), Area::spaceMap);
            assign(mapSelection_, std::optional<URL>(), Area::spaceMap);
            assign(measuring_, false, Area::spaceMap);
        });
}

void AppModel::measureHomeUnlessMapped() {
    if (!spaceMap_ && !measuring_) measureSpace();
}

void AppModel::showSpaceMap(std::shared_ptr<const SpaceMap> map) {
    Changes changes(*this);
    std::optional<URL> folder;
    if (map) folder = map->root();
    assign(mapCacheRoots_, scanner_.cacheRootFolders(), Area::spaceMap);
    assign(spaceMap_, std::move(map), Area::spaceMap);
    assign(mapFolder_, std::move(folder), Area::spaceMap);
    assign(showingSpaceMap_, true, Area::navigation);
}

void AppModel::show(std::optional<JunkKind> category, bool shelf, bool spaceMap, bool loginItems,
                    bool photos, bool search) {
    Changes changes(*this);
    assign(category_, category, Area::navigation);
    assign(showingShelf_, shelf, Area::navigation);
    assign(showingSpaceMap_, spaceMap, Area::navigation);
    assign(showingLoginItems_, loginItems, Area::navigation);
    assign(showingPhotos_, photos, Area::navigation);
    assign(showingSearch_, search, Area::navigation);
    if (spaceMap) measureHomeUnlessMapped();
    if (loginItems) loadLoginItems();
}

// ---- Login items ----

void AppModel::loadLoginItems() {
    bool readOpenAtLogin = systemEvents_ && checkedOpenAtLogin_;
    std::vector<LoginItemScanner::OpenAtLoginApp> turnedOff = Prefs::turnedOffLoginApps();
    auto read = tools_.readLoginItems;
    auto place = tools_.loginSettingsPlace;
    uint64_t generation = ++loginGeneration_;
    inBackground(
        [read, place, readOpenAtLogin, turnedOff] {
            return std::make_pair(read(readOpenAtLogin, turnedOff),
                                  place ? place() : LoginSettings::Place::folder);
        },
        [this, generation](std::pair<std::vector<LoginItem>, LoginSettings::Place> read) {
            // A read that started earlier may end later; it holds older states.
            if (generation != loginGeneration_) return;
            auto& [items, place] = read;
            assign(loginSettingsPlace_, place, Area::loginItems);
            bool stillListed =
                loginSelection_ &&
                std::any_of(items.begin(), items.end(), [this](const LoginItem& item) {
                    return item.id() == *loginSelection_;
                });
            std::optional<std::string> selection =
                stillListed ? loginSelection_ : firstInListOrder(items);
            assign(loginItems_, std::optional<std::vector<LoginItem>>(std::move(items)),
                   Area::loginItems);
            assign(loginSelection_, std::move(selection), Area::loginItems);
        });
}

void AppModel::checkOpenAtLogin() {
    if (!systemEvents_) return;
    Changes changes(*this);
    assign(checkedOpenAtLogin_, true, Area::loginItems);
    if (remembersPicks_) noteSettingsWrite(Prefs::setBoolean(Prefs::Key::openAtLoginChecked, true));
    loadLoginItems();
}

void AppModel::setLoginItem(const LoginItem& item, bool on) {
    if (!loginItemsBusy_.insert(item.id()).second) return;
    assign(loginError_, std::optional<std::string>(), Area::loginItems);
    auto change = tools_.switchLoginItem;
    ++changesRunning_;
    inBackground([change, item, on] { return change(item, on); },
                 [this, item, on](std::optional<std::string> error) {
                     --changesRunning_;
                     loginItemsBusy_.erase(item.id());
                     if (error) {
                         assign(loginError_, std::move(error), Area::loginItems);
                     } else if (item.source == LoginItem::Source::openAtLogin && item.file &&
                                remembersPicks_) {
                         std::string path = item.file->path();
                         auto apps = Prefs::turnedOffLoginApps();
                         std::erase_if(apps, [&](const auto& app) { return app.path == path; });
                         if (!on) apps.push_back({item.label, path});
                         noteSettingsWrite(Prefs::setTurnedOffLoginApps(apps));
                     }
                     loadLoginItems();
                 });
}

void AppModel::removeLeftover(const LoginItem& item) {
    if (!item.isLeftover() || !item.file) return;
    if (!loginItemsBusy_.insert(item.id()).second) return;
    assign(loginError_, std::optional<std::string>(), Area::loginItems);
    cleanInBackground({leftoverItem(item)}, itemNames(), [this, id = item.id()](CleanEnd end) {
        loginItemsBusy_.erase(id);
        if (!end.report.failures.empty())
            assign(loginError_,
                   std::optional<std::string>("Couldn’t move it: " +
                                              end.report.failures.front().reason),
                   Area::loginItems);
        assign(sweeps_, std::move(end.sweeps), Area::shelf);
        loadLoginItems();
    });
}

void AppModel::openLoginSettings() {
    if (tools_.openLoginSettings) tools_.openLoginSettings();
}

void AppModel::showLoginItems(std::vector<LoginItem> items, LoginSettings::Place settings) {
    Changes changes(*this);
    assign(loginSettingsPlace_, settings, Area::loginItems);
    ++loginGeneration_;
    std::optional<std::string> selection = firstInListOrder(items);
    assign(loginItems_, std::optional<std::vector<LoginItem>>(std::move(items)), Area::loginItems);
    assign(loginSelection_, std::move(selection), Area::loginItems);
    assign(showingLoginItems_, true, Area::navigation);
}

} // namespace kelvora
