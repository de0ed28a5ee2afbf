#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "catalog/Catalog.h"
#include "clean/Cleaner.h"
#include "clean/UndoShelf.h"
#include "controller/Receipt.h"
#include "controller/SettingsStore.h"
#include "controller/ShelfListing.h"
#include "engine/DiskScanner.h"
#include "login/LoginItem.h"
#include "login/LoginItemScanner.h"
#include "login/LoginSettings.h"
#include "model/CleanReport.h"
#include "model/InstalledApp.h"
#include "model/PickList.h"
#include "model/ScanResult.h"
#include "model/SharedResult.h"
#include "photos/SimilarPhotos.h"
#include "platform/StopToken.h"
#include "search/PlainQuery.h"
#include "spacemap/SpaceMap.h"
#endif

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

class QFileSystemWatcher;

namespace kelvora {

// The one controller of the window. Lives on the main thread; long work runs on pool
// threads and its results are set back on the main thread, never after the controller is
// gone.
//
// What changed is told per area, so that a view hears only about what it shows. Each
// signal below is emitted on the main thread once the operation that changed its area has
// set all its fields, and once per operation however many of the area's fields it set; a
// view reads the fields it shows again when it hears it. The areas and what each holds:
//
//   navigationChanged   what the window shows: mode, category, focusedItem, showingShelf,
//                       showingSpaceMap, showingSearch, showingPhotos, showingLoginItems,
//                       showingWelcome, showingSystemDataHelp, showingReceipt,
//                       confirmingFreeUp, confirmingEmptyShelf
//   scanChanged         the scan and the picks: phase (and so result and receipt),
//                       scanStep, picks, canScan
//   shelfChanged        the Undo Shelf: sweeps (and so shelfBytes), shelfBusy, shelfError
//   diskChanged         the disk: diskNow, forecastDays
//   spaceMapChanged     spaceMap, measuring, measuredFiles, mapFolder, mapSelection
//   searchChanged       searchQuery, searchHits, searching, searchPicks, searchFolderNames
//   photosChanged       photoGroups, findingPhotos, photoProgress, photoPicks
//   loginItemsChanged   loginItems, loginSelection, loginError, checkedOpenAtLogin,
//                       loginSettingsPlace
//   uninstallChanged    uninstallTarget, uninstallReport, removedAppNotice
//   settingsChanged     the settings and the words read with them: catalog
//
// One user action may change several areas (the end of a scan tells scanChanged,
// diskChanged and shelfChanged); a view that shows several of them hears each.
class AppModel : public QObject {
    Q_OBJECT

public:
    struct Phase {
        enum class Kind { scanning, ready, cleaning, done };
        Kind kind = Kind::scanning;
        // ready and cleaning: the result shown; done: the result the clean-up started from.
        // One result passes through all three without being copied.
        SharedResult result;
        std::optional<CleanReport> report; // done only
        DiskSpace disk;                    // done only: the disk after the clean-up
        Date finished{};                   // done only: when the clean-up ended

        static Phase scanning() { return {}; }
        static Phase ready(SharedResult result) {
            return {Kind::ready, std::move(result), {}, {}, {}};
        }
        static Phase cleaning(SharedResult result) {
            return {Kind::cleaning, std::move(result), {}, {}, {}};
        }
        static Phase done(SharedResult before, CleanReport report, DiskSpace disk,
                          Date finished = currentDate()) {
            return {Kind::done, std::move(before), std::move(report), disk, finished};
        }
        bool is(Kind k) const { return kind == k; }
    };

    enum class ViewMode { simple, detailed };
    static std::string rawValue(ViewMode mode);
    static std::optional<ViewMode> viewModeFromRawValue(const std::string& text);

    // The demo data a snapshot can stage.
    enum class Demo { none, shelf, done, downloads };

    struct ScanStep {
        std::string name;
        double fraction = 0;
        bool operator==(const ScanStep&) const = default;
    };

    struct Notice {
        std::string title;
        std::string detail;
        bool operator==(const Notice&) const = default;
    };

    // How an administrator release ended.
    struct AdminOutcome {
        enum class Kind { released, cancelled, failed };
        Kind kind = Kind::released;
        std::string message; // failed only; may be empty
    };

    // The outside work that is not the scanner's, cleaner's or shelf's, each with a live
    // default; tests put their own in place. The search, the photo search and the
    // measurement end early once their token is set, and what they return then is dropped.
    struct Tools {
        std::function<std::vector<PlainQuery::Hit>(const PlainQuery&, const URL& home, int limit,
                                                   const StopToken&)>
            search;
        std::function<std::vector<SimilarPhotos::Group>(
            const std::vector<URL>& folders, const std::function<void(double)>&, const StopToken&)>
            findPhotos;
        std::function<std::shared_ptr<const SpaceMap>(const URL& root,
                                                      const std::set<std::string>& skipping,
                                                      const SpaceMap::Progress&, const StopToken&)>
            measure;
        using ReadLoginItems = std::function<std::vector<LoginItem>(
            bool readOpenAtLogin, const std::vector<LoginItemScanner::OpenAtLoginApp>& turnedOff)>;
        ReadLoginItems readLoginItems;
        std::function<std::optional<std::string>(const LoginItem&, bool on)> switchLoginItem;
        // Whether this computer has System Events, where the list of apps that open at login
        // is asked for. Elsewhere those apps are the desktop's autostart entries, read
        // without asking. Empty: it has none.
        std::function<bool()> hasSystemEvents;
        // Opens the desktop's settings of what starts at login, or the autostart folder.
        std::function<void()> openLoginSettings;
        // Which of those openLoginSettings opens; empty: the autostart folder.
        std::function<LoginSettings::Place()> loginSettingsPlace;
        std::function<AdminOutcome(const std::string& command, const std::string& appName)>
            releaseAsAdmin;
        std::function<void(const URL&)> reveal;
        // Shows several files selected together in the file manager.
        std::function<void(const std::vector<URL>&)> revealSeveral;
        std::function<std::optional<std::string>(bool on)> setSweeper;
        std::function<bool()> hasFullDiskAccess;
        // The folders the access test reads that refuse to be listed now.
        std::function<std::vector<std::string>()> closedFolders;
        // The running processes with the files they hold; a move leaves those files alone.
        OpenFilesFunction openFiles;
        // Reads the settings file whole.
        std::function<SettingsStore::Reading()> readSettings;

        static Tools live();
        // The live reading of login items, each read with a scanner `makeScanner` makes.
        static ReadLoginItems loginReader(std::function<LoginItemScanner()> makeScanner);
    };

    // The window's controller: reads the settings, the disk, the history and the shelf and
    // starts watching the application folders. It does not scan.
    AppModel(DiskScanner scanner, Cleaner cleaner, UndoShelf shelf, Tools tools = Tools::live(),
             QObject* parent = nullptr);
    // The controller of a snapshot: shows fixed data, reads no saved picks or history,
    // watches nothing and writes nothing.
    AppModel(ScanResult result, ViewMode mode, UndoShelf shelf, std::optional<Phase> phase,
             QObject* parent = nullptr);
    ~AppModel() override;

    // ---- State the views read ----
    const Phase& phase() const { return phase_; }
    const std::optional<double>& forecastDays() const { return forecastDays_; }
    bool showingReceipt() const { return showingReceipt_; }
    const std::optional<Notice>& removedAppNotice() const { return removedAppNotice_; }
    const std::optional<ScanItem>& uninstallTarget() const { return uninstallTarget_; }
    const std::optional<CleanReport>& uninstallReport() const { return uninstallReport_; }
    const std::optional<ScanStep>& scanStep() const { return scanStep_; }
    bool confirmingFreeUp() const { return confirmingFreeUp_; }
    ViewMode mode() const { return mode_; }
    const std::optional<JunkKind>& category() const { return category_; }
    const std::optional<URL>& focusedItem() const { return focusedItem_; }
    bool showingShelf() const { return showingShelf_; }
    const std::vector<UndoShelf::Sweep>& sweeps() const { return sweeps_->sweeps; }
    // The same clean-ups, shared: views hold on to them without copying.
    const std::shared_ptr<const ShelfListing>& shelfListing() const { return sweeps_; }
    // False until the shelf has been read once since the start.
    bool shelfRead() const { return shelfRead_; }
    const DiskSpace& diskNow() const { return diskNow_; }
    bool confirmingEmptyShelf() const { return confirmingEmptyShelf_; }
    const std::optional<std::string>& shelfError() const { return shelfError_; }
    const PickList& picks() const { return picks_; }
    bool showingSpaceMap() const { return showingSpaceMap_; }
    const std::shared_ptr<const SpaceMap>& spaceMap() const { return spaceMap_; }
    // The cache folders as they stood when the map was measured, for the guide's answers.
    const std::vector<URL>& mapCacheRoots() const { return mapCacheRoots_; }
    bool measuring() const { return measuring_; }
    int64_t measuredFiles() const { return measuredFiles_; }
    const std::optional<URL>& mapFolder() const { return mapFolder_; }
    const std::optional<URL>& mapSelection() const { return mapSelection_; }
    bool showingSearch() const { return showingSearch_; }
    const std::optional<PlainQuery>& searchQuery() const { return searchQuery_; }
    // The words of the last search as the user typed them.
    const std::string& searchPhrase() const { return searchPhrase_; }
    const std::optional<std::vector<PlainQuery::Hit>>& searchHits() const { return searchHits_; }
    bool searching() const { return searching_; }
    const std::unordered_set<URL>& searchPicks() const { return searchPicks_; }
    // The names on this computer of the user folders the query names, by the query's word.
    const std::map<std::string, std::string>& searchFolderNames() const {
        return searchFolderNames_;
    }
    bool showingPhotos() const { return showingPhotos_; }
    const std::optional<std::vector<SimilarPhotos::Group>>& photoGroups() const {
        return photoGroups_;
    }
    bool findingPhotos() const { return findingPhotos_; }
    double photoProgress() const { return photoProgress_; }
    const std::unordered_set<URL>& photoPicks() const { return photoPicks_; }
    bool showingLoginItems() const { return showingLoginItems_; }
    const std::optional<std::vector<LoginItem>>& loginItems() const { return loginItems_; }
    const std::optional<std::string>& loginSelection() const { return loginSelection_; }
    const std::optional<std::string>& loginError() const { return loginError_; }
    bool checkedOpenAtLogin() const { return checkedOpenAtLogin_; }
    // What the settings button of the login items opens, as the last read found it.
    LoginSettings::Place loginSettingsPlace() const { return loginSettingsPlace_; }
    // Whether the login items ask before System Events is asked for the apps that open at
    // login: only where it exists, until the user agrees.
    bool asksForOpenAtLogin() const { return systemEvents_ && !checkedOpenAtLogin_; }
    bool showingWelcome() const { return showingWelcome_; }
    bool showingSystemDataHelp() const { return showingSystemDataHelp_; }
    // The settings as last read: at start-up, when the file changes, and after each write
    // of this process. Views read them here, never from the file.
    const SettingsStore::Reading& settings() const { return settings_; }
    // What the settings window says about the file: a change that was not saved, or a
    // settings file that could not be read.
    const std::optional<std::string>& settingsError() const { return settingsError_; }

    bool remembersPicks() const { return remembersPicks_; }
    const DiskSpace& initialDisk() const { return initialDisk_; }
    const DiskScanner& scanner() const { return scanner_; }
    // The plain words of categories and items, with the settings this controller reads.
    const Catalog& catalog() const { return catalog_; }
    // Where the catalog learns which application a folder belongs to.
    void setApplicationNames(AppNames::Lookup lookup);
    const UndoShelf& shelf() const { return shelf_; }
    const std::vector<InstalledApp>& installed() const { return installed_; }
    // Once the installed apps were listed, which is done in the background at the start.
    bool appsRead() const { return appsRead_; }
    const std::optional<ScanItem>& removedAppLeftovers() const { return removedAppLeftovers_; }

    // The result on screen: ready and cleaning show theirs, done the one it started from.
    const ScanResult* result() const;
    // The same, shared: views that keep a result between refreshes hold this one, and tell
    // a new result by its generation.
    const SharedResult& sharedResult() const;
    int64_t shelfBytes() const;
    // The receipt of the finished clean-up, when it got anything back.
    std::optional<Receipt> receipt() const;
    // A scan may start: none is running and no clean-up is under way.
    bool canScan() const;
    // Whether the private folders are open to us now: tested afresh at every call, for the
    // views that watch the permission live.
    bool hasFullDiskAccess() const;
    std::vector<std::string> closedFolders() const;
    // Files or login items are being changed in the background; quitting now would cut a
    // clean-up short. Reading (a scan, a search, a measurement) may be abandoned.
    bool isChangingFiles() const { return changesRunning_ > 0; }
    // For quitting: every scan, search, photo search and measurement stops where it is and
    // sets nothing; a clean-up or a move finishes the item in hand and leaves the rest
    // where it is, and a put back or an emptying of the shelf stops at the file in hand.
    // Work that changes files still counts in isChangingFiles() until it ends.
    void stopWork();
    // What the shelf is doing in the background. Another shelf operation asked for meanwhile
    // is refused and says so (in shelfError); the button of the running work shows it busy.
    enum class ShelfWork { none, puttingBack, emptying };
    ShelfWork shelfWork() const { return shelfWork_; }
    bool shelfBusy() const { return shelfWork_ != ShelfWork::none; }
    // What a refused shelf operation says while other shelf work runs.
    static std::string shelfRefusal(ShelfWork asked, ShelfWork running);

    // ---- What the views set directly ----
    void setShowingReceipt(bool on);
    void setRemovedAppNotice(std::optional<Notice> notice);
    void setConfirmingFreeUp(bool on);
    void setMode(ViewMode mode);
    void setCategory(std::optional<JunkKind> kind);
    void setFocusedItem(std::optional<URL> url);
    void setShowingShelf(bool on);
    void setConfirmingEmptyShelf(bool on);
    void setShelfError(std::optional<std::string> text);
    void setPicks(PickList picks);
    void setMapFolder(std::optional<URL> url);
    void setMapSelection(std::optional<URL> url);
    void setLoginSelection(std::optional<std::string> id);
    void setShowingWelcome(bool on);
    // Shown only while the System Data category shows: it explains what that category
    // counts here.
    void setShowingSystemDataHelp(bool on);
    bool canShowSystemDataHelp() const;
    void setForecastDays(std::optional<double> days);
    // A change of this process to the settings file, saved or not: what the file holds now
    // is read again, and a change that was not saved is said. True when it was saved.
    bool noteSettingsWrite(const SettingsStore::Write& write);

    // ---- Start-up, welcome and the file manager ----
    void finishWelcome();
    void showInFinder(const ScanItem& item);
    // Shows the files selected together in the file manager (a photo group, a map tile).
    void showInFolder(const std::vector<URL>& urls);

    // ---- Scan and clean ----
    void scan();
    void freeUp();

    // ---- The shelf and the picks ----
    void putBack(const UndoShelf::Entry& entry, const UndoShelf::Sweep& sweep);
    void putBackAll(const UndoShelf::Sweep& sweep);
    void emptyShelf();
    void toggle(const ScanItem& item);
    void pickAll(JunkKind kind, bool on);

    // ---- Uninstalling ----
    void prepareUninstall(const URL& app);
    void reviewRemovedAppLeftovers();
    void confirmUninstall();
    void removeWithPassword(const ScanItem& item);
    void closeUninstall();
    // How long the watcher waits after the first folder event of a burst.
    void setWatchDelay(int milliseconds) { watchDelay_ = milliseconds; }

    // ---- Search and similar photos ----
    void search(const std::string& text);
    void showSearch(const PlainQuery& query, std::vector<PlainQuery::Hit> hits,
                    std::string phrase = {});
    void toggleSearchPick(const URL& url);
    void removePickedSearchHits();
    void findSimilarPhotos();
    void togglePhotos(const SimilarPhotos::Group& group);
    void pickAllPhotos(bool all);
    void removePickedPhotos();

    // ---- Space map and login items ----
    // A request while another measurement runs stops that one: the newest folder asked
    // for is the one shown.
    void measureSpace(std::optional<URL> root = std::nullopt);
    // Measures the home folder when no map is shown nor being made; opening the space map
    // again while a folder is measured leaves that measurement running.
    void measureHomeUnlessMapped();
    void showSpaceMap(std::shared_ptr<const SpaceMap> map);
    void show(std::optional<JunkKind> category, bool shelf, bool spaceMap, bool loginItems,
              bool photos, bool search);
    void loadLoginItems();
    void checkOpenAtLogin();
    void setLoginItem(const LoginItem& item, bool on);
    void removeLeftover(const LoginItem& item);
    void showLoginItems(std::vector<LoginItem> items,
                        LoginSettings::Place settings = LoginSettings::Place::folder);
    void openLoginSettings();

    using AreaSignal = void (AppModel::*)();
    // Calls `refresh` of `receiver` whenever one of the given areas changes:
    //
    //     model.follow({&AppModel::scanChanged, &AppModel::diskChanged}, this, &View::refresh);
    template <class Receiver, class Slot>
    void follow(std::initializer_list<AreaSignal> areas, Receiver* receiver, Slot refresh) {
        for (AreaSignal area : areas)
            connect(this, area, receiver, refresh);
    }

signals:
    void navigationChanged();
    void scanChanged();
    void shelfChanged();
    void diskChanged();
    void spaceMapChanged();
    void searchChanged();
    void photosChanged();
    void loginItemsChanged();
    void uninstallChanged();
    void settingsChanged();

private:
    // The areas, in the order their signals are emitted.
    enum class Area {
        navigation,
        scan,
        shelf,
        disk,
        spaceMap,
        search,
        photos,
        loginItems,
        uninstall,
        settings
    };
    // Holds back the signals of the areas changed while it lives and emits each once when
    // the outermost such scope ends, so views never read an operation half done.
    class Changes {
    public:
        explicit Changes(AppModel& model) : model_(model) { ++model_.changeDepth_; }
        ~Changes() {
            if (--model_.changeDepth_ == 0) model_.announce();
        }
        Changes(const Changes&) = delete;
        Changes& operator=(const Changes&) = delete;

    private:
        AppModel& model_;
    };
    // Marks an area changed; outside a `Changes` scope it is told at once.
    void changed(Area area);
    void announce();
    template <class T> void assign(T& field, T value, Area area) {
        field = std::move(value);
        changed(area);
    }
    // Runs `work` on a pool thread and hands its value to `done` on the main thread,
    // unless the controller is gone by then.
    template <class Work, class Done> void inBackground(Work work, Done done);
    // Hands one progress value to the main thread; dropped once the controller is gone.
    // Callable from any thread: the pointer is only read on the main thread.
    static void onMainThread(QPointer<AppModel> self, std::function<void(AppModel&)> update);

    void readStartUpState();
    void readShelfInBackground();
    void rereadSettings();
    // One watcher serves the application folders and the settings' folder.
    void folderChanged(const QString& folder);
    void settingsFolderChanged();
    void settingsFileChanged(const QString& file);
    void watchSettingsFolder();
    void updateSettingsError();
    // Whether the user's private folders may be read: the system lets us, or the user
    // said so when asked.
    bool privateFoldersAllowed() const;
    std::map<std::string, std::string> folderNames(const PlainQuery& query) const;
    void noteDisk(int64_t freed, int64_t available);
    // What a shelf operation left: its error text, the bytes it removed for good, and the
    // shelf and the disk read again after it.
    struct ShelfOutcome {
        std::optional<std::string> error;
        int64_t freed = 0;
        std::shared_ptr<const ShelfListing> sweeps;
        DiskSpace disk;
    };
    // Runs one shelf operation on a pool thread and applies its outcome here; refused while
    // another runs. A quit stops it at the file in hand.
    void onShelf(ShelfWork kind,
                 std::function<ShelfOutcome(const UndoShelf&, const StopToken&)> work,
                 bool recordsFreed);
    // A clean-up to hand to a pool thread: the listed one itself when it is listed.
    std::shared_ptr<const UndoShelf::Sweep> sharedSweep(const UndoShelf::Sweep& sweep) const;
    struct ScanEnd {
        int64_t purged = 0;
        SharedResult result;
        std::shared_ptr<const ShelfListing> sweeps;
    };
    // A clean's report, with the shelf and the disk read again after it.
    struct CleanEnd {
        CleanReport report;
        std::shared_ptr<const ShelfListing> sweeps;
        DiskSpace disk;
    };
    void clean(PickList picks, SharedResult result);
    // Hands items to the cleaner on a pool thread, onto a shelf held for the set days.
    void cleanInBackground(std::vector<ScanItem> items,
                           std::function<std::string(const ScanItem&)> label,
                           std::function<void(CleanEnd)> done);
    // The same, with the items made on the pool thread.
    void cleanInBackground(std::function<std::vector<ScanItem>()> items,
                           std::function<std::string(const ScanItem&)> label,
                           std::function<void(CleanEnd)> done);
    void uninstall(const ScanItem& item);
    UndoShelf shelfForCleanUp() const;
    // Names each shelved entry as the window names the item, so the entries of one
    // clean-up can be told apart.
    std::function<std::string(const ScanItem&)> itemNames() const;

    struct Move {
        std::vector<ScanItem> items;    // handed to the cleaner
        std::vector<ScanItem> heldBack; // in use or never to be touched
    };
    Move screenForMove(std::vector<ScanItem> items) const;
    void moveToShelf(Move move, std::function<std::string(const ScanItem&)> label,
                     std::function<void(const Move&, const CleanReport&)> done);
    void movePhotos(std::vector<ScanItem> items);

    void watchForRemovedApps();
    void watchApplicationFolders();
    void appsChanged();
    void rereadApps();

    // ---- Published ----
    Phase phase_;
    std::optional<double> forecastDays_;
    bool showingReceipt_ = false;
    std::optional<Notice> removedAppNotice_;
    std::optional<ScanItem> uninstallTarget_;
    std::optional<CleanReport> uninstallReport_;
    std::optional<ScanStep> scanStep_;
    bool confirmingFreeUp_ = false;
    ViewMode mode_ = ViewMode::simple;
    std::optional<JunkKind> category_;
    std::optional<URL> focusedItem_;
    bool showingShelf_ = false;
    std::shared_ptr<const ShelfListing> sweeps_ = ShelfListing::of({});
    bool shelfRead_ = false;
    DiskSpace diskNow_;
    bool confirmingEmptyShelf_ = false;
    std::optional<std::string> shelfError_;
    PickList picks_;
    bool showingSpaceMap_ = false;
    std::shared_ptr<const SpaceMap> spaceMap_;
    std::vector<URL> mapCacheRoots_;
    bool measuring_ = false;
    int64_t measuredFiles_ = 0;
    std::optional<URL> mapFolder_;
    std::optional<URL> mapSelection_;
    bool showingSearch_ = false;
    std::optional<PlainQuery> searchQuery_;
    std::string searchPhrase_;
    std::optional<std::vector<PlainQuery::Hit>> searchHits_;
    bool searching_ = false;
    std::unordered_set<URL> searchPicks_;
    std::map<std::string, std::string> searchFolderNames_;
    bool showingPhotos_ = false;
    std::optional<std::vector<SimilarPhotos::Group>> photoGroups_;
    bool findingPhotos_ = false;
    double photoProgress_ = 0;
    std::unordered_set<URL> photoPicks_;
    bool showingLoginItems_ = false;
    std::optional<std::vector<LoginItem>> loginItems_;
    std::optional<std::string> loginSelection_;
    std::optional<std::string> loginError_;
    bool checkedOpenAtLogin_ = false;
    LoginSettings::Place loginSettingsPlace_ = LoginSettings::Place::folder;
    bool systemEvents_ = false;
    bool showingWelcome_ = false;
    bool showingSystemDataHelp_ = false;
    SettingsStore::Reading settings_;
    std::optional<std::string> settingsError_;

    // ---- Plain ----
    std::optional<ScanItem> removedAppLeftovers_;
    std::vector<InstalledApp> installed_;
    QFileSystemWatcher* watcher_ = nullptr;
    bool appsRead_ = false;
    bool watchPending_ = false;
    bool watchDirty_ = false;
    int watchDelay_ = 2000;
    // The last change of this process that was not saved, and a damaged settings file kept
    // aside: both stay said until a later read or write settles them.
    std::optional<std::string> settingsWriteError_;
    std::optional<std::string> damagedSettingsCopy_;
    bool remembersPicks_ = true;
    bool scanRunning_ = false;
    bool uninstallRunning_ = false;
    int changesRunning_ = 0;
    ShelfWork shelfWork_ = ShelfWork::none;
    int changeDepth_ = 0;
    unsigned pendingAreas_ = 0;
    // The running scan, measurement, search and photo search, each stopped by a newer
    // request of its kind or by stopWork(); a run whose token is set sets nothing. The
    // clean-ups, moves and shelf operations share one, which only stopWork() sets.
    StopSource scanStop_;
    StopSource mapStop_;
    StopSource searchStop_;
    StopSource photosStop_;
    StopSource changeStop_;
    // Only the newest read of the login items may set the list shown.
    uint64_t loginGeneration_ = 0;
    // Login items being switched or removed; a second press on one of them waits its turn
    // by doing nothing.
    std::set<std::string> loginItemsBusy_;
    DiskSpace initialDisk_;
    // What the last scan found of the Mac's own apps and places, which some texts name.
    MacPlaces macPlaces_;
    DiskScanner scanner_;
    Catalog catalog_;
    Cleaner cleaner_;
    UndoShelf shelf_;
    Tools tools_;
};

} // namespace kelvora
