#include "controller/AppModel.h"

#include "controller/BackgroundTask.h"
#include "controller/Prefs.h"
#include "engine/DiskHistory.h"
#include "platform/Saturating.h"

#include <exception>
#include <functional>

namespace kelvora {

const ScanResult* AppModel::result() const {
    return sharedResult().get();
}

const SharedResult& AppModel::sharedResult() const {
    static const SharedResult none;
    return phase_.is(Phase::Kind::scanning) ? none : phase_.result;
}

int64_t AppModel::shelfBytes() const {
    return sweeps_->bytes;
}

std::optional<Receipt> AppModel::receipt() const {
    if (!phase_.is(Phase::Kind::done) || !phase_.report || !phase_.result) return std::nullopt;
    if (saturatingAdd(phase_.report->freed, phase_.report->shelved) < 1) return std::nullopt;
    // Stamped with the end of the clean-up, so every copy of the receipt agrees. A snapshot
    // reads no setting: its receipt holds for the days of the shelf it was given.
    int holdDays = remembersPicks_ ? Prefs::shelfDays(settings_.document) : shelf_.holdDays;
    return Receipt::make(*phase_.result, *phase_.report, phase_.disk, holdDays, phase_.finished);
}

bool AppModel::canScan() const {
    return !scanRunning_ && !phase_.is(Phase::Kind::cleaning);
}

std::function<std::string(const ScanItem&)> AppModel::itemNames() const {
    // Called on a pool thread: the copy holds the settings of now, not the controller's.
    Catalog catalog = catalog_;
    catalog.settings = [settings = catalog_.settings()] { return settings; };
    return [catalog](const ScanItem& item) { return catalog.name(item); };
}

UndoShelf AppModel::shelfForCleanUp() const {
    UndoShelf copy = shelf_;
    copy.holdDays = Prefs::shelfDays(settings_.document);
    return copy;
}

// ---- Scan ----

void AppModel::scan() {
    // A scan during another, or during a clean-up, would show a stale result and let the
    // user pick items that are being moved.
    if (!canScan()) return;
    Changes changes(*this);
    scanRunning_ = true;
    assign(phase_, Phase::scanning(), Area::scan);
    assign(scanStep_, std::optional<ScanStep>(), Area::scan);
    assign(focusedItem_, std::optional<URL>(), Area::navigation);

    DiskScanner configured = Prefs::configured(scanner_);
    scanStop_ = StopSource();
    configured.stop = scanStop_.token();
    UndoShelf shelf = shelf_;
    double stepCount = static_cast<double>(DiskScanner::scanSteps().size());
    QPointer<AppModel> self(this);
    auto progress = [self, stepCount](const std::string& name, int index) {
        onMainThread(self, [step = ScanStep{name, index / stepCount}](AppModel& model) {
            model.assign(model.scanStep_, std::optional<ScanStep>(step), Area::scan);
        });
    };
    inBackground(
        [configured, shelf, progress] {
            int64_t purged = shelf.purgeExpired(currentDate());
            SharedResult result = configured.scan(progress);
            return ScanEnd{purged, std::move(result), ShelfListing::of(shelf.sweeps())};
        },
        [this, stop = configured.stop](ScanEnd end) {
            scanRunning_ = false;
            if (stop.stopped()) return;
            assign(scanStep_, std::optional<ScanStep>(), Area::scan);
            noteDisk(end.purged, end.result->disk.available);
            DiskSpace disk = end.result->disk;
            macPlaces_ = end.result->macPlaces;
            assign(phase_, Phase::ready(std::move(end.result)), Area::scan);
            assign(diskNow_, disk, Area::disk);
            assign(sweeps_, std::move(end.sweeps), Area::shelf);
        });
}

void AppModel::noteDisk(int64_t freed, int64_t available) {
    if (!remembersPicks_) return;
    Date now = currentDate();
    DiskHistory history = DiskHistory::update(DiskHistory::defaultFile(), [&](DiskHistory& h) {
        h.recordFreed(freed);
        h.record(available, now);
    });
    assign(forecastDays_, history.daysUntilFull(now), Area::disk);
}

// ---- Clean ----

void AppModel::freeUp() {
    if (!phase_.is(Phase::Kind::ready) || !phase_.result) return;
    bool anyPicked = false;
    picks_.forEachPicked(*phase_.result, std::nullopt, [&](const ScanItem&) { anyPicked = true; });
    if (!anyPicked) return;
    clean(picks_, phase_.result);
}

void AppModel::cleanInBackground(std::vector<ScanItem> items,
                                 std::function<std::string(const ScanItem&)> label,
                                 std::function<void(CleanEnd)> done) {
    cleanInBackground([items = std::move(items)] { return items; }, std::move(label),
                      std::move(done));
}

void AppModel::cleanInBackground(std::function<std::vector<ScanItem>()> items,
                                 std::function<std::string(const ScanItem&)> label,
                                 std::function<void(CleanEnd)> done) {
    ++changesRunning_;
    UndoShelf shelf = shelfForCleanUp();
    Cleaner cleaner = cleaner_;
    URL home = scanner_.home;
    inBackground(
        [items = std::move(items), shelf, cleaner, label, home, stop = changeStop_.token()] {
            CleanEnd end;
            std::vector<ScanItem> toClean = items();
            if (!toClean.empty())
                end.report = cleaner.clean(toClean, shelf, label, currentDate(), stop);
            end.sweeps = ShelfListing::of(shelf.sweeps());
            end.disk = DiskScanner::diskSpace(home);
            return end;
        },
        [this, done](CleanEnd end) {
            --changesRunning_;
            done(std::move(end));
        });
}

void AppModel::clean(PickList picks, SharedResult result) {
    assign(phase_, Phase::cleaning(result), Area::scan);
    // A result of tens of thousands of items: the picked ones are copied out for the cleaner
    // on the pool thread, never here.
    auto picked = [picks = std::move(picks), result] { return picks.picked(*result); };
    cleanInBackground(std::move(picked), itemNames(), [this, result](CleanEnd end) {
        int64_t freed = end.report.freed;
        assign(phase_, Phase::done(result, std::move(end.report), end.disk, currentDate()),
               Area::scan);
        assign(diskNow_, end.disk, Area::disk);
        noteDisk(freed, end.disk.available);
        assign(sweeps_, std::move(end.sweeps), Area::shelf);
    });
}

// ---- Shelf ----

std::string AppModel::shelfRefusal(ShelfWork asked, ShelfWork running) {
    const char* refused =
        asked == ShelfWork::emptying ? "Nothing was freed" : "Nothing was put back";
    const char* doing =
        running == ShelfWork::emptying ? "still freeing its space" : "still putting things back";
    return std::string(refused) + ": the Undo Shelf is " + doing + ". Try again when it’s done.";
}

void AppModel::onShelf(ShelfWork kind,
                       std::function<ShelfOutcome(const UndoShelf&, const StopToken&)> work,
                       bool recordsFreed) {
    // Two operations on one clean-up at once would each work from a listing the other is
    // changing; the second waits for the user to ask again once the first has landed.
    if (shelfWork_ != ShelfWork::none) {
        assign(shelfError_, std::optional<std::string>(shelfRefusal(kind, shelfWork_)),
               Area::shelf);
        return;
    }
    ++changesRunning_;
    assign(shelfWork_, kind, Area::shelf);
    UndoShelf shelf = shelf_;
    URL home = scanner_.home;
    inBackground(
        [work = std::move(work), shelf, home, stop = changeStop_.token()] {
            ShelfOutcome outcome = work(shelf, stop);
            // Stopped for a quit: the process ends without reading the shelf again.
            if (stop.stopped()) return outcome;
            outcome.sweeps = ShelfListing::of(shelf.sweeps());
            outcome.disk = DiskScanner::diskSpace(home);
            return outcome;
        },
        [this, recordsFreed](ShelfOutcome outcome) {
            --changesRunning_;
            assign(shelfWork_, ShelfWork::none, Area::shelf);
            if (!outcome.sweeps) return;
            if (outcome.error) assign(shelfError_, std::move(outcome.error), Area::shelf);
            assign(sweeps_, std::move(outcome.sweeps), Area::shelf);
            assign(diskNow_, outcome.disk, Area::disk);
            if (recordsFreed) noteDisk(outcome.freed, outcome.disk.available);
        });
}

std::shared_ptr<const UndoShelf::Sweep> AppModel::sharedSweep(const UndoShelf::Sweep& sweep) const {
    const auto& listed = sweeps_->sweeps;
    std::less<const UndoShelf::Sweep*> before;
    if (!before(&sweep, listed.data()) && before(&sweep, listed.data() + listed.size()))
        return std::shared_ptr<const UndoShelf::Sweep>(sweeps_, &sweep);
    return std::make_shared<const UndoShelf::Sweep>(sweep);
}

void AppModel::putBack(const UndoShelf::Entry& entry, const UndoShelf::Sweep& sweep) {
    onShelf(
        ShelfWork::puttingBack,
        [entry, sweep = sharedSweep(sweep)](const UndoShelf& shelf, const StopToken& stop) {
            ShelfOutcome outcome;
            try {
                shelf.putBack(entry, *sweep, stop);
            } catch (const std::exception& error) {
                outcome.error = "Couldn’t put back " + entry.label + ": " + error.what();
            }
            return outcome;
        },
        false);
}

void AppModel::putBackAll(const UndoShelf::Sweep& sweep) {
    onShelf(
        ShelfWork::puttingBack,
        [sweep = sharedSweep(sweep)](const UndoShelf& shelf, const StopToken& stop) {
            ShelfOutcome outcome;
            try {
                shelf.putBackAll(*sweep, stop);
            } catch (const std::exception& error) {
                outcome.error = std::string("Some items couldn’t be put back: ") + error.what();
            }
            return outcome;
        },
        false);
}

// Empties the clean-ups listed when the user asked, not those shelved meanwhile.
void AppModel::emptyShelf() {
    onShelf(
        ShelfWork::emptying,
        [listed = sweeps_](const UndoShelf& shelf, const StopToken& stop) {
            ShelfOutcome outcome;
            for (const auto& sweep : listed->sweeps) {
                if (stop.stopped()) break;
                try {
                    addSaturating(outcome.freed, shelf.empty(sweep, stop));
                } catch (const std::exception& error) {
                    outcome.error =
                        std::string("Couldn’t empty part of the shelf: ") + error.what();
                }
            }
            return outcome;
        },
        true);
}

// ---- Picks ----

void AppModel::toggle(const ScanItem& item) {
    PickList picks = picks_;
    picks.toggle(item);
    setPicks(std::move(picks));
}

void AppModel::pickAll(JunkKind kind, bool on) {
    const ScanResult* shown = result();
    if (!shown) return;
    PickList picks = picks_;
    picks.pickAll(kind, *shown, on);
    setPicks(std::move(picks));
}

} // namespace kelvora
