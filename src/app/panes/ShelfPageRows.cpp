// The Undo Shelf page as painted rows, for the keyboard and assistive technology.
#include "panes/ShelfPage.h"

#include "design/Spoken.h"
#include "model/Format.h"
#include "panes/ShelfText.h"

#include <algorithm>

namespace kelvora {

void ShelfPage::countRows() {
    headerRows_.clear();
    int next = layout_.empty ? 2 : 1;
    for (const auto& section : layout_.sections) {
        headerRows_.push_back(next);
        next += 1 + static_cast<int>(section.entries.size());
    }
    rowCount_ = next;
    rowsChanged();
}

ShelfPage::RowPlace ShelfPage::placeOf(int row) const {
    if (row <= 0) return {};
    if (layout_.empty && row == 1) return {RowPlace::Kind::empty, {}};
    auto after = std::upper_bound(headerRows_.begin(), headerRows_.end(), row);
    int section = static_cast<int>(after - headerRows_.begin()) - 1;
    int offset = row - headerRows_[static_cast<size_t>(section)];
    if (offset == 0) return {RowPlace::Kind::header, {section, -1}};
    return {RowPlace::Kind::entry, {section, offset - 1}};
}

int ShelfPage::rowOf(ShelfLayout::Place place) const {
    return headerRows_.at(static_cast<size_t>(place.section)) + 1 + place.row;
}

PaintedRow ShelfPage::paintedRow(int row) const {
    RowPlace place = placeOf(row);
    PaintedRow painted;
    painted.role = QAccessible::StaticText;
    switch (place.kind) {
    case RowPlace::Kind::summary: {
        const auto& summary = layout_.summary;
        painted.name = "On the Undo Shelf";
        painted.description =
            summary.numberText + " " + summary.unitText + ". " + summary.explanation.text();
        break;
    }
    case RowPlace::Kind::empty:
        painted.name = layout_.empty->titleText;
        painted.description = layout_.empty->detail.text();
        break;
    case RowPlace::Kind::header: {
        const auto& section = layout_.sections[static_cast<size_t>(place.place.section)];
        painted.name = section.dateText;
        painted.description = Spoken::join({section.summaryText, section.daysTextText});
        break;
    }
    case RowPlace::Kind::entry: {
        const auto& section = layout_.sections[static_cast<size_t>(place.place.section)];
        const UndoShelf::Entry& entry = section.entries[static_cast<size_t>(place.place.row)];
        painted.role = QAccessible::ListItem;
        painted.name = QString::fromStdString(entry.label);
        painted.description =
            Spoken::join({QString::fromStdString(ShelfText::entryDetail(entry, layout_.home)),
                          QString::fromStdString(Format::size(entry.bytes))});
        // What the row's button says: "Put back", or "Show in Folder" with no place to go to.
        painted.actions = {QString::fromStdString(ShelfText::entryAction(entry))};
        break;
    }
    }
    return painted;
}

QRect ShelfPage::paintedRowRect(int row) const {
    RowPlace place = placeOf(row);
    switch (place.kind) {
    case RowPlace::Kind::summary:
        return layout_.summary.card.toAlignedRect();
    case RowPlace::Kind::empty: {
        const auto& empty = *layout_.empty;
        return empty.symbol.united(empty.title)
            .united(QRectF(empty.detailAt, empty.detail.size()))
            .toAlignedRect();
    }
    case RowPlace::Kind::header:
        return layout_.sections[static_cast<size_t>(place.place.section)].header.toAlignedRect();
    case RowPlace::Kind::entry:
        return layout_.sections[static_cast<size_t>(place.place.section)]
            .row(place.place.row)
            .rect.toAlignedRect();
    }
    return {};
}

int ShelfPage::paintedRowAt(const QPoint& point) const {
    if (layout_.summary.card.contains(point)) return 0;
    for (size_t s = 0; s < layout_.sections.size(); ++s) {
        const auto& section = layout_.sections[s];
        if (!section.card.contains(point)) continue;
        if (section.header.contains(point)) return headerRows_[s];
        auto [first, last] = section.rowsMeeting(point.y(), point.y());
        for (int row = first; row < last; ++row)
            if (section.row(row).rect.contains(point)) return rowOf({static_cast<int>(s), row});
    }
    return -1;
}

void ShelfPage::actOnRow(int row, const QString& action) {
    RowPlace place = placeOf(row);
    // While the shelf works its buttons take no presses, from the keyboard neither.
    if (busy_ || place.kind != RowPlace::Kind::entry || !paintedRow(row).actions.contains(action))
        return;
    putBack(place.place);
}

} // namespace kelvora
