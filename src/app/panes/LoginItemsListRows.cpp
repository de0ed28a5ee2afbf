// The login items list as painted rows, for the keyboard and assistive technology.
#include "panes/LoginItemsList.h"

#include "controller/AppModel.h"
#include "panes/LoginItemsView.h"

namespace kelvora {

std::optional<LoginItemsList::KeyboardPlace> LoginItemsList::keyboardPlace() const {
    int current = currentRow();
    if (current < 0 || current >= paintedRowCount()) return std::nullopt;
    Entry entry = entries_[static_cast<size_t>(current)];
    if (entry.kind != Entry::Kind::row) return KeyboardPlace{entry, {}};
    return KeyboardPlace{entry, layout_.rows[entry.index].item.id()};
}

void LoginItemsList::listEntries(const std::optional<KeyboardPlace>& keep) {
    entries_.clear();
    rowEntries_.assign(layout_.rows.size(), -1);
    auto add = [this](Entry::Kind kind, size_t index) {
        entries_.push_back({kind, index});
        return static_cast<int>(entries_.size()) - 1;
    };
    if (layout_.error) add(Entry::Kind::error, 0);
    for (size_t s = 0; s < layout_.sections.size(); ++s) {
        add(Entry::Kind::caption, s);
        if (layout_.sections[s].ask) add(Entry::Kind::ask, s);
        for (size_t r = 0; r < layout_.rows.size(); ++r)
            if (layout_.rows[r].section == s) rowEntries_[r] = add(Entry::Kind::row, r);
        if (layout_.sections[s].empty) add(Entry::Kind::noApps, s);
    }
    add(Entry::Kind::footnote, 0);
    rowsChanged();
    if (!keep) return;
    if (keep->entry.kind == Entry::Kind::row) {
        if (const auto* row = layout_.rowOf(keep->id))
            followRow(rowEntries_[static_cast<size_t>(row - layout_.rows.data())]);
        return;
    }
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].kind == keep->entry.kind) return followRow(static_cast<int>(i));
}

int LoginItemsList::entryOf(Entry entry) const {
    if (entry.kind == Entry::Kind::row)
        return entry.index < rowEntries_.size() ? rowEntries_[entry.index] : -1;
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i] == entry) return static_cast<int>(i);
    return -1;
}

int LoginItemsList::selectedEntry() const {
    if (!selection_) return -1;
    const auto* row = layout_.rowOf(*selection_);
    return row ? rowEntries_[static_cast<size_t>(row - layout_.rows.data())] : -1;
}

PaintedRow LoginItemsList::paintedRow(int row) const {
    const Entry& entry = entries_.at(static_cast<size_t>(row));
    PaintedRow painted;
    painted.role = QAccessible::StaticText;
    switch (entry.kind) {
    case Entry::Kind::error:
        painted.name = QString::fromStdString(error_.value_or(""));
        break;
    case Entry::Kind::caption:
        painted.name = LoginItemsText::sectionTitle(layout_.sections[entry.index].kind);
        break;
    case Entry::Kind::ask:
        painted.role = QAccessible::ListItem;
        painted.name = LoginItemsText::kAskTitle;
        painted.description = LoginItemsText::kAskDetail;
        painted.actions = {LoginItemsText::kAskButton};
        break;
    case Entry::Kind::row: {
        const auto& shown = layout_.rows[entry.index];
        painted.role = QAccessible::ListItem;
        painted.name = QString::fromStdString(shown.item.name);
        painted.description = LoginItemsText::rowDescription(shown.item);
        painted.selected = selection_ == shown.item.id();
        painted.actions = {shown.action.title, PaintedRow::kShowDetails};
        painted.firstActionHelp = shown.action.tooltip;
        break;
    }
    case Entry::Kind::noApps:
        painted.name = LoginItemsText::kNoApps;
        break;
    case Entry::Kind::footnote:
        painted.name = LoginItemsText::kFootnote;
        break;
    }
    return painted;
}

QRect LoginItemsList::paintedRowRect(int row) const {
    const Entry& entry = entries_.at(static_cast<size_t>(row));
    switch (entry.kind) {
    case Entry::Kind::error:
        return layout_.error.value_or(QRectF()).toAlignedRect();
    case Entry::Kind::caption:
        return layout_.sections[entry.index].caption.toAlignedRect();
    case Entry::Kind::ask:
        return layout_.sections[entry.index].ask.value_or(QRectF()).toAlignedRect();
    case Entry::Kind::row:
        return layout_.rows[entry.index].rect.toAlignedRect();
    case Entry::Kind::noApps:
        return layout_.sections[entry.index].empty.value_or(QRectF()).toAlignedRect();
    case Entry::Kind::footnote:
        return layout_.footnote.toAlignedRect();
    }
    return {};
}

void LoginItemsList::actOnRow(int row, const QString& action) {
    if (row < 0 || row >= paintedRowCount() || !paintedRow(row).actions.contains(action)) return;
    const Entry& entry = entries_[static_cast<size_t>(row)];
    if (entry.kind == Entry::Kind::ask) return model_.checkOpenAtLogin();
    // Copied: the controller may hand over a new list at once, and this layout with it.
    LoginItem item = layout_.rows[entry.index].item;
    if (action == PaintedRow::kShowDetails)
        model_.setLoginSelection(item.id());
    else
        LoginItemsView::perform(model_, item);
}

void LoginItemsList::onRowEntered(int row) {
    const Entry& entry = entries_.at(static_cast<size_t>(row));
    if (entry.kind == Entry::Kind::row)
        model_.setLoginSelection(layout_.rows[entry.index].item.id());
}

} // namespace kelvora
