#include "window/SidebarContent.h"

#include "catalog/Catalog.h"
#include "controller/AppModel.h"
#include "design/DialGeometry.h"
#include "model/Format.h"
#include "window/PickTotals.h"

#include <algorithm>

namespace kelvora::Sidebar {

namespace {

bool showsTool(const AppModel& model) {
    return model.showingShelf() || model.showingSpaceMap() || model.showingSearch() ||
           model.showingPhotos() || model.showingLoginItems();
}

// After a clean-up the result is the one it started from: a category then shows what of it
// is still there to free, not what was picked before.
int64_t leftAfter(const CleanReport& report, const PickTotals& totals, JunkKind kind) {
    const auto cleaned = report.byKind.find(kind);
    const int64_t gone = cleaned == report.byKind.end() ? 0 : cleaned->second;
    return std::max<int64_t>(totals.of(kind).reclaimable - gone, 0);
}

std::optional<std::string> size(const AppModel& model, const PickTotals& totals, JunkKind kind) {
    const ScanResult* result = model.result();
    if (!result) return std::nullopt;
    if (isPrivate(*result, kind)) return "locked";
    const AppModel::Phase& phase = model.phase();
    if (phase.is(AppModel::Phase::Kind::done) && phase.report)
        return Format::size(leftAfter(*phase.report, totals, kind));
    return Format::size(categoryFigure(totals, kind).bytes);
}

std::optional<std::string> photosSize(const AppModel& model) {
    if (!model.photoGroups()) return std::nullopt;
    int64_t total = 0;
    for (const auto& group : *model.photoGroups())
        total = addBytes(total, group.bytes);
    return Format::size(total);
}

std::optional<std::string> loginItemsSize(const AppModel& model) {
    if (!model.loginItems()) return std::nullopt;
    auto on = std::count_if(model.loginItems()->begin(), model.loginItems()->end(),
                            [](const LoginItem& item) { return item.isActiveAtLogin(); });
    return std::to_string(on) + " on";
}

Row tool(Destination destination, std::string title, std::string symbol,
         std::optional<std::string> size, bool selected) {
    return {destination,     std::nullopt, std::move(title), std::move(symbol),
            std::move(size), selected,     std::nullopt};
}

} // namespace

PickTotals totals(const AppModel& model) {
    const ScanResult* result = model.result();
    return result ? PickTotals::count(*result, model.picks()) : PickTotals{};
}

std::vector<Row> rows(const AppModel& model) {
    return rows(model, totals(model));
}

std::vector<Row> rows(const AppModel& model, const PickTotals& totals) {
    const ScanResult* result = model.result();
    bool noTool = !showsTool(model);

    std::vector<Row> rows;
    rows.push_back(tool(Destination::overview, "Overview", "gauge.with.dots.needle.33percent",
                        std::nullopt, noTool && !model.category()));
    for (JunkKind kind : Catalog::visibleKinds(result)) {
        rows.push_back({Destination::category, kind, Catalog::shortTitle(kind),
                        Catalog::symbol(kind), size(model, totals, kind),
                        noTool && model.category() == kind, std::nullopt});
    }
    // The catalog always lists some categories, even before the first scan.
    if (rows.size() > 1) rows[1].captionAbove = "Found";
    size_t firstTool = rows.size();
    rows.push_back(tool(Destination::shelf, "Undo Shelf", "arrow.uturn.backward",
                        Format::size(model.shelfBytes()), model.showingShelf()));
    rows.push_back(tool(Destination::spaceMap, "Space map", "square.grid.3x2", std::nullopt,
                        model.showingSpaceMap()));
    rows.push_back(tool(Destination::search, "Search", "magnifyingglass", std::nullopt,
                        model.showingSearch()));
    rows.push_back(tool(Destination::photos, "Similar photos", "photo.on.rectangle.angled",
                        photosSize(model), model.showingPhotos()));
    rows.push_back(tool(Destination::loginItems, "Login items", "power", loginItemsSize(model),
                        model.showingLoginItems()));
    rows[firstTool].captionAbove = "Keep track";
    return rows;
}

std::optional<std::string> size(const AppModel& model, JunkKind kind) {
    const ScanResult* result = model.result();
    if (!result) return std::nullopt;
    return size(model, PickTotals::count(*result, model.picks()), kind);
}

void openCategory(AppModel& model, JunkKind kind) {
    model.show(kind, false, false, false, false, false);
    std::optional<URL> first;
    if (const ScanResult* result = model.result()) {
        auto found = std::find_if(result->items.begin(), result->items.end(),
                                  [kind](const ScanItem& item) { return item.kind == kind; });
        if (found != result->items.end()) first = found->location;
    }
    model.setFocusedItem(first);
}

void open(AppModel& model, const Row& row) {
    switch (row.destination) {
    case Destination::overview:
        return model.show(std::nullopt, false, false, false, false, false);
    case Destination::category:
        if (row.kind) openCategory(model, *row.kind);
        return;
    case Destination::shelf:
        return model.show(std::nullopt, true, false, false, false, false);
    case Destination::spaceMap:
        return model.show(std::nullopt, false, true, false, false, false);
    case Destination::search:
        return model.show(std::nullopt, false, false, false, false, true);
    case Destination::photos:
        return model.show(std::nullopt, false, false, false, true, false);
    case Destination::loginItems:
        return model.show(std::nullopt, false, false, true, false, false);
    }
}

DiskFooter diskFooter(const AppModel& model, const std::string& label) {
    return diskFooter(model, totals(model), label);
}

DiskFooter diskFooter(const AppModel& model, const PickTotals& totals, const std::string& label) {
    const DiskSpace& disk = model.diskNow();
    double divisor = disk.total < 1 ? 1.0 : static_cast<double>(disk.total);
    int64_t highlighted = model.shelfBytes();
    const bool picks = model.phase().is(AppModel::Phase::Kind::ready) && model.result();
    if (picks) highlighted = totals.all.pickedBytes;
    double used = static_cast<double>(disk.used()) / divisor;
    double signal = static_cast<double>(highlighted) / divisor;
    double after = std::max(0.0, used - signal);
    std::string spoken = picks ? Dial::accessibleValue(used, after).toStdString()
                               : std::to_string(Dial::wholePercent(used)) + " percent used";
    return {label, Format::size(disk.available) + " free", after, signal, std::move(spoken)};
}

} // namespace kelvora::Sidebar
