#include "controller/AppModel.h"

#include "controller/BackgroundTask.h"
#include "controller/Prefs.h"
#include "engine/DiskHistory.h"
#include "platform/Saturating.h"

#include <exception>

namespace kelvora {

const ScanResult* AppModel::result() const {
    return phase_.is(Phase::Kind::scanning) || !phase_.result ? nullptr : &*phase_.result;
}

int64_t AppModel::shelfBytes() const {
    int64_t total = 0;
    for (const auto& sweep : sweeps_)
        addSaturating(total, sweep.bytes());
    return total;
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
    scanRunning_ = true;
    assign(phase_, Phase::scanning());
    assign(scanStep_, std::optional<ScanStep>());
    assign(focusedItem_, std::optional<URL>());

    DiskScanner configured = Prefs::configured(scanner_);
    UndoShelf shelf = shelf_;
    double stepCount = static_cast<double>(DiskScanner::scanSteps().size());
    QPointer<AppModel> self(this);
    auto progress = [self, stepCount](const std::string& name, int index) {
        onMainThread(self, [step = ScanStep{name, index / stepCount}](AppModel& model) {
            model.assign(model.scanStep_, std::optional<ScanStep>(step));
        });
    };
    inBackground(
        [configured, shelf, progress] {
            int64_t purged = shelf.purgeExpired(currentDate());
            return std::make_pair(purged, configured.scan(progress));
        },
        [this](std::pair<int64_t, ScanResult> value) {
            auto& [purged, result] = value;
            scanRunning_ = false;
            assign(scanStep_, std::optional<ScanStep>());
            noteDisk(purged, result.disk.available);
            DiskSpace disk = result.disk;
            assign(phase_, Phase::ready(std::move(result)));
            assign(diskNow_, disk);
            assign(sweeps_, shelf_.sweeps());
        });
}

void AppModel::noteDisk(int64_t freed, int64_t available) {
    if (!remembersPicks_) return;
    Date now = currentDate();
    DiskHistory history = DiskHistory::update(DiskHistory::defaultFile(), [&](DiskHistory& h) {
        h.kelv(freed);
        h.record(available, now);
    });
    assign(forecastDays_, history.daysUntilFull(now));
}

// ---- Clean ----

void AppModel::freeUp() {
    if (!phase_.is(Phase::Kind::ready) || !phase_.result) return;
    std::vector<ScanItem> items = picks_.picked(*phase_.result);
    if (items.empty()) return;
    ScanResult result = *phase_.result;
    clean(std::move(items), result);
}

void AppModel::cleanInBackground(std::vector<ScanItem> items,
                                 std::function<std::string(const ScanItem&)> label,
                                 std::function<void(CleanReport)> done) {
    ++changesRunning_;
    UndoShelf shelf = shelfForCleanUp();
    Cleaner cleaner = cleaner_;
    inBackground(
        [items = std::move(items), shelf, cleaner, label] {
            if (items.empty()) return CleanReport{};
            return cleaner.clean(items, shelf, label, currentDate());
        },
        [this, done](CleanReport report) {
            --changesRunning_;
            done(std::move(report));
        });
}

void AppModel::clean(std::vector<ScanItem> items, const ScanResult& result) {
    assign(phase_, Phase::cleaning(result));
    cleanInBackground(std::move(items), itemNames(), [this, result](CleanReport report) {
        DiskSpace disk = DiskScanner::diskSpace(scanner_.home);
        int64_t freed = report.freed;
        assign(phase_, Phase::done(result, std::move(report), disk, currentDate()));
        assign(diskNow_, disk);
        noteDisk(freed, disk.available);
        assign(sweeps_, shelf_.sweeps());
    });
}

// ---- Shelf ----

void AppModel::refreshShelfAndDisk() {
    assign(sweeps_, shelf_.sweeps());
    assign(diskNow_, DiskScanner::diskSpace(scanner_.home));
}

void AppModel::putBack(const UndoShelf::Entry& entry, const UndoShelf::Sweep& sweep) {
    try {
        shelf_.putBack(entry, sweep);
    } catch (const std::exception& error) {
        setShelfError("Couldn’t put back " + entry.label + ": " + error.what());
    }
    refreshShelfAndDisk();
}

void AppModel::putBackAll(const UndoShelf::Sweep& sweep) {
    try {
        shelf_.putBackAll(sweep);
    } catch (const std::exception& error) {
        setShelfError(std::string("Some items couldn’t be put back: ") + error.what());
    }
    refreshShelfAndDisk();
}

void AppModel::emptyShelf() {
    int64_t freed = 0;
    for (const auto& sweep : std::vector<UndoShelf::Sweep>(sweeps_)) {
        try {
            shelf_.empty(sweep);
            addSaturating(freed, sweep.bytes());
        } catch (const std::exception& error) {
            setShelfError(std::string("Couldn’t empty part of the shelf: ") + error.what());
        }
    }
    refreshShelfAndDisk();
    noteDisk(freed, diskNow_.available);
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
