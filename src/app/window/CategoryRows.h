#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "catalog/Catalog.h"
#include "model/PickList.h"
#include "model/ScanResult.h"
#include "model/SharedResult.h"
#include "window/PickTotals.h"
#endif

#include <QAbstractListModel>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The head of one category's list.
struct CategoryHeader {
    std::string title;
    std::string countLine;  // "3 of 12 picked · 1.2 GB"
    bool pickLinks = false; // "Pick all" and "Pick none" are offered

    bool operator==(const CategoryHeader&) const = default;
    static CategoryHeader of(const Catalog& catalog, JunkKind kind,
                             const PickTotals::Counts& counts);
};

// The size column of a row: a locked item that frees nothing has no size to speak of.
std::string rowSize(const ScanItem& item);

// What the scan could not read of a category whose folder was closed to it: the phrase
// handed to the access guide; none when the category is readable.
std::optional<std::string> privateFolderPhrase(const ScanResult& result, JunkKind kind);

// The rows of one category's list: its removable items, then, under a "Left alone"
// caption, the items a clean-up will not touch, both in result order. The rows are indices
// into the shared result, which they hold, and change only when the result or the category
// does; picks and focus only mark rows as changed, so a list of
// tens of thousands of rows follows every pick at once. Names and details are made when a
// row is first drawn, since only the rows in view ever need them.
class CategoryRows : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        CaptionRole = Qt::UserRole + 1, // bool
        DetailRole,                     // QString
        VerdictRole,                    // int (Verdict)
        SizeRole,                       // QString
        RemovableRole,                  // bool
        PickedRole,                     // bool
        FocusedRole,                    // bool
    };
    static constexpr const char* kCaption = "Left alone";

    explicit CategoryRows(QObject* parent = nullptr);

    // Shows the category's items of the result (none: an empty list); resets the list only
    // for another result, category or catalog.
    void show(const SharedResult& result, std::optional<JunkKind> kind, const Catalog* catalog);
    // Marks the rows whose pick or focus changed.
    void follow(const PickList& picks, const std::optional<URL>& focused);

    const ScanItem* item(int row) const;
    bool isCaption(int row) const { return row == captionRow_; }
    // The row of the focused item; -1 when it is not in this list.
    int focusedRow() const { return focusedRow_; }
    std::optional<JunkKind> kind() const { return kind_; }
    // The category's totals as the rows stand after the last `follow`.
    const PickTotals::Counts& counts() const { return counts_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Checking a row's box asks for its pick to flip, through `onToggle`.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    std::function<void(const ScanItem&)> onToggle;

private:
    int indexOf(int row) const; // into order_, -1 for the caption
    const ScanItem& at(int i) const { return result_->items[order_[static_cast<size_t>(i)]]; }
    const QString& name(int index) const;
    const QString& detail(int index) const;
    void markChanged(int first, int last);

    SharedResult result_;
    std::optional<JunkKind> kind_;
    const Catalog* catalog_ = nullptr;

    // Indices into the result's items: removable ones first, then the ones left alone.
    std::vector<uint32_t> order_;
    size_t removable_ = 0;
    int captionRow_ = -1;
    std::vector<char> picked_;
    int focusedRow_ = -1;
    PickTotals::Counts counts_;
    mutable std::vector<std::optional<QString>> names_;
    mutable std::vector<std::optional<QString>> details_;
};

} // namespace kelvora
