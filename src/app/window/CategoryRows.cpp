#include "window/CategoryRows.h"

#include "catalog/PlainWords.h"
#include "design/RowStack.h"
#include "design/Spoken.h"
#include "design/VerdictBadge.h"
#include "model/Format.h"

#include <QAccessibleActionInterface>

#include <algorithm>

namespace kelvora {

CategoryHeader CategoryHeader::of(const Catalog& catalog, JunkKind kind,
                                  const PickTotals::Counts& counts) {
    return {catalog.info(kind).title,
            PlainWords::fill("%lld of %lld picked · %@",
                             {Format::count(counts.picked), Format::count(counts.removable),
                              Format::size(counts.pickedBytes)}),
            counts.removable > 0};
}

std::string rowSize(const ScanItem& item) {
    if (item.bytes == 0 && item.lockedReason) return "—";
    return Format::size(item.bytes);
}

std::optional<std::string> privateFolderPhrase(const ScanResult& result, JunkKind kind) {
    if (!isPrivate(result, kind)) return std::nullopt;
    switch (kind) {
    case JunkKind::mail:
        return "Mail and Messages attachments";
    case JunkKind::downloads:
        return "Downloads, Desktop and Documents";
    default:
        return "the Trash";
    }
}

CategoryRows::CategoryRows(QObject* parent) : QAbstractListModel(parent) {}

void CategoryRows::show(const SharedResult& result, std::optional<JunkKind> kind,
                        const Catalog* catalog) {
    if (!result) kind.reset();
    if (result.generation() == result_.generation() && kind == kind_ && catalog == catalog_) return;
    std::vector<uint32_t> order;
    std::vector<uint32_t> leftAlone;
    if (kind) {
        const std::vector<ScanItem>& items = result->items;
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].kind != *kind) continue;
            (items[i].isRemovable() ? order : leftAlone).push_back(static_cast<uint32_t>(i));
        }
    }
    size_t count = order.size();
    order.insert(order.end(), leftAlone.begin(), leftAlone.end());

    beginResetModel();
    result_ = result;
    kind_ = kind;
    catalog_ = catalog;
    order_ = std::move(order);
    removable_ = count;
    captionRow_ = order_.size() > removable_ ? static_cast<int>(removable_) : -1;
    picked_.assign(order_.size(), 0);
    focusedRow_ = -1;
    names_.assign(order_.size(), std::nullopt);
    details_.assign(order_.size(), std::nullopt);
    endResetModel();
}

void CategoryRows::follow(const PickList& picks, const std::optional<URL>& focused) {
    int first = -1;
    int last = -1;
    auto mark = [&](int row) {
        if (row < 0) return;
        first = first < 0 ? row : std::min(first, row);
        last = std::max(last, row);
    };
    counts_ = {};
    counts_.items = static_cast<int>(order_.size());
    counts_.removable = static_cast<int>(removable_);
    for (size_t i = 0; i < order_.size(); ++i) {
        const ScanItem& item = at(static_cast<int>(i));
        char on = picks.isPicked(item) ? 1 : 0;
        if (i < removable_) counts_.reclaimable = addBytes(counts_.reclaimable, item.bytes);
        if (on) {
            ++counts_.picked;
            counts_.pickedBytes = addBytes(counts_.pickedBytes, item.bytes);
        }
        if (on == picked_[i]) continue;
        picked_[i] = on;
        mark(static_cast<int>(i) + (static_cast<int>(i) >= captionRow_ && captionRow_ >= 0));
    }
    int focusedRow = -1;
    if (focused) {
        for (int row = 0; row < rowCount(); ++row) {
            const ScanItem* it = item(row);
            if (it && it->location == *focused) {
                focusedRow = row;
                break;
            }
        }
    }
    if (focusedRow != focusedRow_) {
        mark(focusedRow_);
        mark(focusedRow);
        focusedRow_ = focusedRow;
    }
    markChanged(first, last);
}

void CategoryRows::markChanged(int first, int last) {
    if (first < 0) return;
    emit dataChanged(index(first), index(last), {PickedRole, FocusedRole, Qt::CheckStateRole});
}

int CategoryRows::indexOf(int row) const {
    if (row < 0 || row >= rowCount() || row == captionRow_) return -1;
    return captionRow_ >= 0 && row > captionRow_ ? row - 1 : row;
}

const ScanItem* CategoryRows::item(int row) const {
    int i = indexOf(row);
    return i < 0 ? nullptr : &at(i);
}

int CategoryRows::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return static_cast<int>(order_.size()) + (captionRow_ >= 0 ? 1 : 0);
}

const QString& CategoryRows::name(int i) const {
    auto& cached = names_[static_cast<size_t>(i)];
    if (!cached) cached = QString::fromStdString(catalog_->name(at(i)));
    return *cached;
}

const QString& CategoryRows::detail(int i) const {
    auto& cached = details_[static_cast<size_t>(i)];
    if (!cached) cached = QString::fromStdString(catalog_->detail(at(i)));
    return *cached;
}

QVariant CategoryRows::data(const QModelIndex& index, int role) const {
    int row = index.row();
    if (row == captionRow_) {
        if (role == CaptionRole) return true;
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return kCaption;
        return {};
    }
    int i = indexOf(row);
    if (i < 0) return {};
    const ScanItem& it = at(i);
    bool picked = picked_[static_cast<size_t>(i)] != 0;
    switch (role) {
    case CaptionRole:
        return false;
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return name(i);
    case DetailRole:
        return detail(i);
    case Qt::AccessibleDescriptionRole:
        return Spoken::join({detail(i), QString::fromStdString(Catalog::spokenVerdict(it)),
                             QString::fromStdString(rowSize(it))});
    case VerdictRole:
        return static_cast<int>(it.verdict());
    case SizeRole:
        return QString::fromStdString(rowSize(it));
    case RemovableRole:
        return it.isRemovable();
    case PickedRole:
        return picked;
    case Qt::CheckStateRole:
        return picked ? Qt::Checked : Qt::Unchecked;
    case FocusedRole:
    case RowStack::SelectedRole:
        return row == focusedRow_;
    case RowStack::ActionsRole:
        return it.isRemovable() ? QStringList{QAccessibleActionInterface::toggleAction(),
                                              PaintedRow::kShowDetails}
                                : QStringList{PaintedRow::kShowDetails};
    default:
        return {};
    }
}

Qt::ItemFlags CategoryRows::flags(const QModelIndex& index) const {
    if (!index.isValid() || isCaption(index.row())) return Qt::ItemIsEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (const ScanItem* it = item(index.row()); it && it->isRemovable())
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool CategoryRows::setData(const QModelIndex& index, const QVariant&, int role) {
    const ScanItem* it = item(index.row());
    if (role != Qt::CheckStateRole || !it || !it->isRemovable() || !onToggle) return false;
    onToggle(*it);
    return true;
}

} // namespace kelvora
