#include "window/SimpleState.h"

#include "catalog/PlainWords.h"
#include "model/Format.h"
#include "platform/Saturating.h"

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

using Kind = AppModel::Phase::Kind;

struct OptInRow {
    JunkKind kind;
    const char* one;
    const char* many;
};

// The categories picked only on request, in the order the note lists them.
constexpr std::array kOptInRows{
    OptInRow{JunkKind::mail, "set of Mail or Messages attachments",
             "sets of Mail and Messages attachments"},
    OptInRow{JunkKind::screenshots, "month of old screenshots", "months of old screenshots"},
    OptInRow{JunkKind::apps, "unused app", "unused apps"},
    OptInRow{JunkKind::leftovers, "removed app’s leftovers", "removed apps’ leftovers"},
    OptInRow{JunkKind::duplicates, "duplicate", "duplicates"},
    OptInRow{JunkKind::largeFiles, "large or old file", "large or old files"},
    OptInRow{JunkKind::ai, "set of AI files", "sets of AI files"},
    OptInRow{JunkKind::developer, "developer folder", "developer folders"},
    OptInRow{JunkKind::systemData, "System Data item", "System Data items"},
};

// An item the user could pick: nothing holds it and removing it frees something (anything
// in the Trash counts, even when it frees nothing).
bool pickable(const ScanItem& item) {
    return (!item.inUseBy && !item.lockedReason && item.bytes > 0) || item.kind == JunkKind::trash;
}

const char* pick(bool one, const char* singular, const char* plural) {
    return one ? singular : plural;
}

std::optional<std::string> tileSize(const AppModel::Phase& phase, const PickList& picks,
                                    std::initializer_list<JunkKind> kinds) {
    switch (phase.kind) {
    case Kind::scanning:
        return std::nullopt;
    case Kind::ready:
    case Kind::cleaning: {
        int64_t picked = 0;
        for (JunkKind kind : kinds)
            addSaturating(picked, picks.pickedBytes(*phase.result, kind));
        return Format::size(picked);
    }
    case Kind::done:
        // Only what the clean-up actually cleared reads "Done": a category that was found but
        // left unpicked, or whose every item was skipped or failed, was not done.
        for (JunkKind kind : kinds) {
            auto cleared = phase.report->byKind.find(kind);
            if (cleared != phase.report->byKind.end() && cleared->second >= 1) return "Done";
        }
        return Format::size(0);
    }
    return std::nullopt;
}

// A tile whose folder the scan was refused says so, which folders are closed and what to
// check of them, as the welcome and the access guide do.
Tile privacyNotice(Tile tile, const char* caption, const std::string& note) {
    tile.size.reset();
    tile.caption = caption;
    tile.note = note.empty() ? std::nullopt : std::optional(note);
    return tile;
}

} // namespace

SimpleInputs SimpleInputs::of(const AppModel& model) {
    return {model.phase(),
            model.picks(),
            model.scanStep(),
            model.initialDisk(),
            model.diskNow(),
            model.shelfBytes(),
            model.receipt().has_value(),
            model.forecastDays(),
            model.catalog().settings().shelfDays,
            model.shelfWork() == AppModel::ShelfWork::emptying};
}

namespace SimpleText {

std::string scanStatus(const ScanResult& result) {
    const double duration = std::isfinite(result.duration) ? result.duration : 0;
    const long long seconds = std::llround(std::clamp(duration, -1e15, 1e15));
    return "Kelvora checked " + PlainWords::counted(result.filesLookedAt, "file") + " in " +
           Format::count(std::max(seconds, 1LL)) + " second" + (seconds < 2 ? "" : "s");
}

std::optional<OptInLine> optInSummary(const ScanResult& result, const PickList& picks) {
    std::vector<std::string> parts;
    std::vector<JunkKind> listed;
    for (const OptInRow& row : kOptInRows) {
        std::vector<const ScanItem*> found;
        for (const ScanItem& item : result.items)
            if (item.kind == row.kind && pickable(item)) found.push_back(&item);
        if (found.empty() || picks.pickedBytes(result, row.kind) != 0) continue;
        const auto count = static_cast<int64_t>(found.size());
        std::string counted = Format::count(count) + " " + pick(count == 1, row.one, row.many);
        // Login items left by removed apps are counted as login items, not as apps.
        if (row.kind == JunkKind::leftovers) counted = Copy::joinParts(Copy::leftoverParts(found));
        parts.push_back(counted + " (" + Format::size(result.reclaimable(row.kind)) + ")");
        listed.push_back(row.kind);
    }
    if (parts.empty()) return std::nullopt;
    std::string text = "Also found, not picked yet: ";
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i > 0 ? " · " : "") + parts[i];
    text += ".";
    return OptInLine{text, listed.size() == 1 ? std::optional(listed.front()) : std::nullopt};
}

std::optional<std::string> inUseNote(const ScanResult& result) {
    const ScanItem* first = nullptr;
    size_t count = 0;
    for (const ScanItem& item : result.items)
        if (item.inUseBy && count++ == 0) first = &item;
    if (!first) return std::nullopt;
    const bool one = count == 1;
    return Format::count(static_cast<int64_t>(count)) + " " + pick(one, "item is", "items are") +
           " open in apps right now, like " + *first->inUseBy + ". Kelvora leaves " +
           pick(one, "it", "them") + " alone. Quit " + pick(one, "that app", "those apps") +
           " and check again to include " + pick(one, "it", "them") + ".";
}

bool showsAccessNote(const AppModel::Phase& phase) {
    return phase.result && (phase.result->downloadsAccess == FolderAccess::blocked ||
                            phase.result->trashAccess == FolderAccess::blocked);
}

std::array<Tile, 4> tiles(const AppModel::Phase& phase, const PickList& picks, int shelfDays,
                          const std::string& accessNote) {
    const std::string days = PlainWords::counted(shelfDays, "day");
    std::array<Tile, 4> tiles{
        Tile{"square.stack.3d.up", "App caches", tileSize(phase, picks, {JunkKind::caches}),
             "Files apps save to load faster. They rebuild on their own.", std::nullopt},
        Tile{"doc.text.magnifyingglass", "Logs & leftovers",
             tileSize(phase, picks, {JunkKind::logs, JunkKind::tempFiles}),
             "Old logs, and temp files from apps that have quit.", std::nullopt},
        Tile{"arrow.down.circle", "Old downloads", tileSize(phase, picks, {JunkKind::downloads}),
             "Installers and zips you’ve already used. They wait " + days + " on the Undo Shelf.",
             std::nullopt},
        Tile{"trash", "Trash", tileSize(phase, picks, {JunkKind::trash}),
             "Already in the Trash. It waits " + days + " on the Undo Shelf before it’s gone.",
             std::nullopt},
    };
    if (const auto& result = phase.result) {
        if (result->downloadsAccess == FolderAccess::blocked)
            tiles[2] = privacyNotice(tiles[2], "Kelvora can’t read Downloads.", accessNote);
        if (result->trashAccess == FolderAccess::blocked)
            tiles[3] = privacyNotice(tiles[3], "Kelvora can’t read the Trash.", accessNote);
    }
    return tiles;
}

} // namespace SimpleText

SimpleState SimpleState::make(const SimpleInputs& in) {
    SimpleState state;
    // A phase that lacks what it should carry is shown as a scan still under way rather than
    // read through an empty value.
    static const AppModel::Phase kScanning = AppModel::Phase::scanning();
    const bool complete = in.phase.is(Kind::scanning) ||
                          (in.phase.result && (!in.phase.is(Kind::done) || in.phase.report));
    const AppModel::Phase& phase = complete ? in.phase : kScanning;
    state.phase = phase.kind;
    const ScanResult* result = phase.result ? &*phase.result : nullptr;
    const bool hasPicks = phase.is(Kind::ready) || phase.is(Kind::cleaning);
    const int64_t picked = hasPicks && result ? in.picks.pickedBytes(*result) : 0;
    const std::string pickedSize = Format::size(picked);

    // The dial: the disk of the result on screen, after a clean-up the disk as it is now,
    // and while scanning the one read at start. After a clean-up what the shelf still holds
    // is shown as pending: emptying the shelf would free it.
    DiskSpace disk = in.initialDisk;
    int64_t pending = 0;
    if (hasPicks && result) {
        disk = result->disk;
        pending = picked;
    } else if (phase.is(Kind::done)) {
        disk = in.diskNow;
        pending = in.shelfBytes;
    }
    const int64_t used = disk.used();
    const int64_t after = std::max<int64_t>(saturatingSubtract(used, pending), 0);
    const double total = static_cast<double>(std::max<int64_t>(disk.total, 1));
    state.usedFraction = static_cast<double>(used) / total;
    state.afterFraction = static_cast<double>(after) / total;
    state.totalBytes = disk.total;
    const auto free = Format::sizeParts(disk.available);
    state.freeSpace = free.number + " " + free.unit;
    state.freeOf = "free of " + Format::size(disk.total);
    state.forecastDays = in.forecastDays;

    switch (phase.kind) {
    case Kind::scanning:
        state.status =
            in.scanStep ? "Checking " + in.scanStep->name + "…" : "Checking your computer…";
        state.spinning = true;
        state.headline = {{"Looking for space you can free up.", false}};
        state.body = "This takes a few seconds. Nothing is changed while Kelvora looks.";
        if (in.scanStep) {
            state.element = Element::meter;
            state.meterFraction = in.scanStep->fraction;
        }
        break;
    case Kind::ready:
        state.status = SimpleText::scanStatus(*result);
        if (picked == 0) {
            state.headline = {{"Your computer is already tidy.", false}};
            state.body = result->reclaimable() > 0
                             ? "Everything Kelvora found is unpicked. Open Detailed view to "
                               "choose what goes."
                             : "There’s no junk worth removing right now. Kelvora will be here "
                               "when there is.";
        } else {
            state.headline = {
                {"Kelvora found ", false}, {pickedSize, true}, {" you can free up.", false}};
            state.body = "That’s room for about " + Format::photoEquivalent(picked) + " " +
                         PlainWords::plural("more photo", Format::photos(picked)) +
                         ". Nothing is removed until you press the button.";
            state.element = Element::readyRow;
            state.cleanTitle = "Clean up " + pickedSize;
        }
        break;
    case Kind::cleaning:
        state.status = "Cleaning up…";
        state.spinning = true;
        state.headline = {{"Cleaning up ", false}, {pickedSize, true}, {".", false}};
        state.body = "Anything an open app is using is left alone.";
        state.element = Element::cleaningButton;
        state.cleanTitle = "Clean up " + pickedSize;
        break;
    case Kind::done: {
        const CleanReport& report = *phase.report;
        state.status = "Done";
        state.headline = Copy::doneHeadline(report);
        // Whatever was skipped or failed is said in both cases: a clean-up in which nothing
        // came back must not read like a success.
        state.body = in.shelfBytes < 1 ? Copy::done(report, in.diskNow, std::nullopt)
                                       : Copy::done(report, phase.disk, report.sweep);
        state.element = Element::doneRow;
        if (in.shelfBytes >= 1) state.freeNowTitle = "Free " + Format::size(in.shelfBytes) + " now";
        state.freeNowBusy = in.shelfEmptying;
        state.shareReceipt = in.hasReceipt;
        break;
    }
    }

    state.tiles = SimpleText::tiles(phase, in.picks, in.shelfDays, in.accessNote);
    if (result) {
        if (phase.is(Kind::ready)) {
            state.optIn = SimpleText::optInSummary(*result, in.picks);
            state.mailNote = result->mailAccess == FolderAccess::blocked;
        }
        state.inUseNote = SimpleText::inUseNote(*result);
    }
    return state;
}

} // namespace kelvora
