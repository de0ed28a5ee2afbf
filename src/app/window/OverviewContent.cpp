#include "window/OverviewContent.h"

#include "catalog/PlainWords.h"
#include "model/Format.h"

#include <algorithm>

namespace kelvora::Overview {

namespace {

std::string privateLine(JunkKind kind) {
    switch (kind) {
    case JunkKind::mail:
        return "Kelvora can’t read Mail and Messages.";
    case JunkKind::downloads:
        return "Kelvora can’t read Downloads.";
    default:
        return "Kelvora can’t read the Trash.";
    }
}

} // namespace

Summary summary(const ScanResult& result, const PickTotals& totals) {
    const DiskSpace& disk = result.disk;
    double divisor = disk.total < 1 ? 1.0 : static_cast<double>(disk.total);
    int64_t picked = totals.all.pickedBytes;
    int64_t after = std::max<int64_t>(0, disk.used() - picked);
    Format::SizeParts parts = Format::sizeParts(picked);
    return {static_cast<double>(disk.used()) / divisor,
            static_cast<double>(after) / divisor,
            disk.total,
            parts.number,
            parts.unit,
            PlainWords::fill("of %@ found · %@ free now",
                             {Format::size(totals.all.reclaimable), Format::size(disk.available)})};
}

std::vector<Row> rows(const Catalog& catalog, const ScanResult& result, const PickTotals& totals) {
    std::vector<Row> rows;
    double largest = static_cast<double>(totals.largestReclaimable());
    for (JunkKind kind : Catalog::visibleKinds(&result)) {
        Catalog::CategoryInfo info = catalog.info(kind);
        bool hidden = isPrivate(result, kind);
        CategoryFigure figure = categoryFigure(totals, kind);
        rows.push_back({kind, info.title, info.symbol, hidden ? privateLine(kind) : info.blurb,
                        info.verdict, static_cast<double>(totals.of(kind).reclaimable) / largest,
                        hidden ? "—" : Format::size(figure.bytes), figure.onlyFound,
                        kind != JunkKind::trash});
    }
    return rows;
}

std::optional<std::string> inUseNotice(const ScanResult& result) {
    int count = 0;
    const ScanItem* first = nullptr;
    for (const ScanItem& item : result.items) {
        if (!item.inUseBy) continue;
        if (!first) first = &item;
        ++count;
    }
    if (!first) return std::nullopt;
    bool one = count == 1;
    return PlainWords::fill("%lld %@ open in apps right now, like %@. Kelvora leaves %@ alone.",
                            {Format::count(count), one ? "item is" : "items are",
                             first->inUseBy->empty() ? "an app" : *first->inUseBy,
                             one ? "it" : "them"});
}

} // namespace kelvora::Overview
