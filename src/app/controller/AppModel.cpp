#include "controller/AppModel.h"

#include "controller/BackgroundTask.h"
#include "controller/Prefs.h"
#include "engine/DiskHistory.h"
#include "platform/FileSystem.h"

#include <QFileSystemWatcher>

#include <iterator>
#include <utility>

namespace kelvora {

std::string AppModel::rawValue(ViewMode mode) {
    return mode == ViewMode::detailed ? "detailed" : "simple";
}

std::optional<AppModel::ViewMode> AppModel::viewModeFromRawValue(const std::string& text) {
    if (text == "simple") return ViewMode::simple;
    if (text == "detailed") return ViewMode::detailed;
    return std::nullopt;
}

AppModel::AppModel(DiskScanner scanner, Cleaner cleaner, UndoShelf shelf, Tools tools,
                   QObject* parent)
    : QObject(parent), scanner_(std::move(scanner)),
      catalog_([this] { return Prefs::catalogSettings(settings_.document); },
               AppNames::live(scanner_.applicationFolders)),
      cleaner_(std::move(cleaner)), shelf_(std::move(shelf)), tools_(std::move(tools)) {
    catalog_.macPlaces = [this] { return macPlaces_; };
    systemEvents_ = tools_.hasSystemEvents && tools_.hasSystemEvents();
    rereadSettings();
    readStartUpState();
    watchForRemovedApps();
    watchSettingsFolder();
}

AppModel::AppModel(ScanResult result, ViewMode mode, UndoShelf shelf, std::optional<Phase> phase,
                   QObject* parent)
    : QObject(parent), scanner_(DiskScanner::live()), cleaner_(DiskScanner::liveRunningApps),
      shelf_(std::move(shelf)), tools_(Tools::live()) {
    // A snapshot must come out the same on every machine: no setting is read, and its texts
    // hold for the days of the shelf it was given.
    int holdDays = shelf_.holdDays;
    catalog_ = Catalog([holdDays] { return Catalog::Settings{holdDays}; },
                       AppNames::live(scanner_.applicationFolders));
    macPlaces_ = result.macPlaces;
    catalog_.macPlaces = [this] { return macPlaces_; };
    systemEvents_ = tools_.hasSystemEvents();
    initialDisk_ = result.disk;
    // After a clean-up the disk is the one it left behind, so the dial and the words agree.
    diskNow_ = phase && phase->is(Phase::Kind::done) ? phase->disk : result.disk;
    mode_ = mode;
    phase_ = phase ? std::move(*phase) : Phase::ready(std::move(result));
    remembersPicks_ = false;
    sweeps_ = ShelfListing::of(shelf_.sweeps());
    shelfRead_ = true;
}

AppModel::~AppModel() {
    stopWork();
}

void AppModel::stopWork() {
    for (const StopSource* source :
         {&scanStop_, &mapStop_, &searchStop_, &photosStop_, &changeStop_})
        source->stop();
}

void AppModel::setApplicationNames(AppNames::Lookup lookup) {
    catalog_.applicationName = std::move(lookup);
    changed(Area::settings);
}

void AppModel::changed(Area area) {
    pendingAreas_ |= 1u << static_cast<unsigned>(area);
    if (changeDepth_ == 0) announce();
}

void AppModel::announce() {
    // In the order of `Area`.
    static constexpr AreaSignal kSignals[] = {
        &AppModel::navigationChanged, &AppModel::scanChanged,       &AppModel::shelfChanged,
        &AppModel::diskChanged,       &AppModel::spaceMapChanged,   &AppModel::searchChanged,
        &AppModel::photosChanged,     &AppModel::loginItemsChanged, &AppModel::uninstallChanged,
        &AppModel::settingsChanged};
    static_assert(std::size(kSignals) == static_cast<size_t>(Area::settings) + 1);
    unsigned areas = std::exchange(pendingAreas_, 0);
    for (unsigned i = 0; i < std::size(kSignals); ++i)
        if (areas & (1u << i)) (this->*kSignals[i])();
}

void AppModel::readStartUpState() {
    const Prefs::Settings& stored = settings_.document;
    checkedOpenAtLogin_ = Prefs::boolean(stored, Prefs::Key::openAtLoginChecked);
    initialDisk_ = DiskScanner::diskSpace(scanner_.home);
    diskNow_ = initialDisk_;
    mode_ = Prefs::string(stored, Prefs::Key::viewMode) == std::optional<std::string>("detailed")
                ? ViewMode::detailed
                : ViewMode::simple;
    bool welcomeDone = Prefs::boolean(stored, Prefs::Key::welcomeDone);
    // Written straight back, so stored picks that no longer read are replaced; none stored,
    // nothing is written, as the user changed nothing.
    remembersPicks_ = stored.contains(Prefs::Key::picks);
    setPicks(Prefs::picks(stored));
    remembersPicks_ = true;
    showingWelcome_ = !welcomeDone;
    forecastDays_ = DiskHistory::load(DiskHistory::defaultFile()).daysUntilFull(currentDate());
    readShelfInBackground();
}

// A shelf of many thousands of entries takes a second or more to read: the window shows
// meanwhile, and a listing read since (by a scan or a shelf change) is never replaced by it.
void AppModel::readShelfInBackground() {
    inBackground([shelf = shelf_] { return ShelfListing::of(shelf.sweeps()); },
                 [this, before = sweeps_](std::shared_ptr<const ShelfListing> read) {
                     if (sweeps_ == before) assign(sweeps_, std::move(read), Area::shelf);
                     assign(shelfRead_, true, Area::shelf);
                 });
}

bool AppModel::hasFullDiskAccess() const {
    return tools_.hasFullDiskAccess && tools_.hasFullDiskAccess();
}

std::vector<std::string> AppModel::closedFolders() const {
    return tools_.closedFolders ? tools_.closedFolders() : std::vector<std::string>{};
}

bool AppModel::privateFoldersAllowed() const {
    return hasFullDiskAccess() || Prefs::boolean(settings_.document, Prefs::Key::downloadsAsked);
}

void AppModel::onMainThread(QPointer<AppModel> self, std::function<void(AppModel&)> update) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, update = std::move(update)] {
            if (!self) return;
            Changes changes(*self);
            update(*self);
        },
        Qt::QueuedConnection);
}

// ---- Setters ----

void AppModel::setShowingReceipt(bool on) {
    assign(showingReceipt_, on, Area::navigation);
}
void AppModel::setRemovedAppNotice(std::optional<Notice> notice) {
    assign(removedAppNotice_, std::move(notice), Area::uninstall);
}
void AppModel::setConfirmingFreeUp(bool on) {
    assign(confirmingFreeUp_, on, Area::navigation);
}
void AppModel::setMode(ViewMode mode) {
    assign(mode_, mode, Area::navigation);
    if (remembersPicks_) noteSettingsWrite(Prefs::setString(Prefs::Key::viewMode, rawValue(mode)));
}
void AppModel::setCategory(std::optional<JunkKind> kind) {
    assign(category_, kind, Area::navigation);
}
void AppModel::setFocusedItem(std::optional<URL> url) {
    assign(focusedItem_, std::move(url), Area::navigation);
}
void AppModel::setShowingShelf(bool on) {
    assign(showingShelf_, on, Area::navigation);
}
void AppModel::setConfirmingEmptyShelf(bool on) {
    assign(confirmingEmptyShelf_, on, Area::navigation);
}
void AppModel::setShelfError(std::optional<std::string> text) {
    assign(shelfError_, std::move(text), Area::shelf);
}
void AppModel::setPicks(PickList picks) {
    assign(picks_, std::move(picks), Area::scan);
    if (remembersPicks_) noteSettingsWrite(Prefs::setPicks(picks_));
}
void AppModel::setMapFolder(std::optional<URL> url) {
    assign(mapFolder_, std::move(url), Area::spaceMap);
}
void AppModel::setMapSelection(std::optional<URL> url) {
    assign(mapSelection_, std::move(url), Area::spaceMap);
}
void AppModel::setLoginSelection(std::optional<std::string> id) {
    assign(loginSelection_, std::move(id), Area::loginItems);
}
void AppModel::setShowingWelcome(bool on) {
    assign(showingWelcome_, on, Area::navigation);
}
void AppModel::setShowingSystemDataHelp(bool on) {
    assign(showingSystemDataHelp_, on && canShowSystemDataHelp(), Area::navigation);
}
bool AppModel::canShowSystemDataHelp() const {
    const auto kinds = Catalog::visibleKinds(result());
    return std::find(kinds.begin(), kinds.end(), JunkKind::systemData) != kinds.end();
}
void AppModel::setForecastDays(std::optional<double> days) {
    assign(forecastDays_, days, Area::disk);
}

// ---- Welcome and the file manager ----

void AppModel::finishWelcome() {
    Changes changes(*this);
    if (remembersPicks_) noteSettingsWrite(Prefs::setBoolean(Prefs::Key::welcomeDone, true));
    if (remembersPicks_ && !Prefs::boolean(settings_.document, Prefs::Key::shelfHelperDecided)) {
        noteSettingsWrite(Prefs::setBoolean(Prefs::Key::shelfHelperDecided, true));
        if (tools_.setSweeper) tools_.setSweeper(true);
    }
    setShowingWelcome(false);
    scan();
}

void AppModel::showInFinder(const ScanItem& item) {
    URL url = Catalog::place(item);
    while (!fileExists(url.path()) && url.path() != "/")
        url = url.deletingLastPathComponent();
    if (tools_.reveal) tools_.reveal(url);
}

void AppModel::showInFolder(const std::vector<URL>& urls) {
    if (!urls.empty() && tools_.revealSeveral) tools_.revealSeveral(urls);
}

} // namespace kelvora
