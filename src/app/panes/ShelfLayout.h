#pragma once

#include "clean/UndoShelf.h"
#include "controller/ShelfListing.h"
#include "design/TextFlow.h"
#include "panes/ShelfText.h"
#include "platform/Date.h"

#include <QRectF>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

class AppModel;

// What the Undo Shelf pane shows, read from the controller.
struct ShelfInput {
    std::shared_ptr<const ShelfListing> listing; // the controller's own, never empty
    int64_t shelfBytes = 0;
    int shelfDays = 7;
    std::string home;
    Date now{};

    // Today is the catalog's today.
    static ShelfInput from(const AppModel& model);
    // Whether the pane would show anything different, today's date aside. A listing read
    // anew counts as different: comparing a large shelf entry by entry takes longer than
    // laying it out again.
    bool sameContent(const ShelfInput& other) const;
};

// The entries of one clean-up of a listing, largest first, read where the listing holds them.
class ShelfEntries {
public:
    ShelfEntries() = default;
    ShelfEntries(std::shared_ptr<const ShelfListing> listing, size_t sweep);

    size_t size() const { return order_ ? order_->size() : 0; }
    bool empty() const { return size() == 0; }
    const UndoShelf::Entry& operator[](size_t index) const {
        return sweep_->entries[(*order_)[index]];
    }
    const UndoShelf::Entry& at(size_t index) const { return sweep_->entries.at(order_->at(index)); }
    const UndoShelf::Entry& front() const { return at(0); }

private:
    std::shared_ptr<const UndoShelf::Sweep> sweep_; // keeps the whole listing
    const std::vector<uint32_t>* order_ = nullptr;
};

// Where everything of the Undo Shelf pane goes at one width, worked out when the shelf or
// the width changes. Rows share one height, so a section keeps only its entries and finds a
// row's place by its index: a clean-up of a hundred thousand files lays out at once.
struct ShelfLayout {
    static constexpr qreal kPadding = 28;
    static constexpr qreal kSpacing = 22;
    static constexpr qreal kCardRadius = 14;
    static constexpr qreal kHeaderHeight = 64;
    static constexpr qreal kRowHeight = 56;
    static constexpr qreal kRule = 1;
    static constexpr qreal kSquare = 10;
    static constexpr qreal kSquareGap = 3; // between squares and between their rows
    // A long hold's squares wrap onto up to this many rows before the texts beside them
    // would be cut.
    static constexpr int kMaxBarRows = 3;
    static constexpr qreal kFreeHeight = 40;
    static constexpr qreal kFreeFont = 14;
    static constexpr qreal kLinkSize = 13;
    static constexpr qreal kPutBackHeight = 30;
    static constexpr qreal kPutBackFont = 12.5;
    static inline const QString kPutAllBack = QStringLiteral("Put all back");

    struct Summary {
        QRectF card;
        QRectF caption;
        QRectF number; // the number and the unit share the number's baseline
        QRectF unit;
        qreal baseline = 0;
        QString numberText;
        QString unitText;
        QPointF explanationAt;
        TextFlow explanation;
        std::optional<QRectF> freeButton;
        QString freeTitle;
    };

    struct Empty {
        QRectF symbol;
        QRectF title;
        QPointF detailAt;
        QString titleText;
        TextFlow detail;
    };

    struct Row {
        QRectF rect;
        QRectF icon;
        QRectF label;
        QRectF place;
        QRectF size;
        QRectF button;
        QString action; // "Put back", or "Show in Folder" for what has no place to go back to
    };

    struct Section {
        // Into the listing, which the section keeps.
        std::shared_ptr<const UndoShelf::Sweep> sweep;
        ShelfEntries entries;
        QRectF card;
        QRectF header;
        QRectF date;
        QRectF summary;
        QRectF bar;
        int barColumns = 1; // squares in a row of the bar
        QRectF daysText;
        QRectF putAllBack;
        QString dateText;
        QString summaryText;
        QString daysTextText;
        QString barLabel;
        ShelfText::DaysLeftCount days;
        bool lastDay = false;
        bool anyGoesBack = true; // "Put all back" shows only then
        // Where the row of one entry and its parts go.
        Row row(int index) const;
        // The rule above a row.
        QRectF ruleAbove(int index) const;
        // The first and one-past-last rows that meet a band of the pane.
        std::pair<int, int> rowsMeeting(qreal top, qreal bottom) const;
    };

    struct Place {
        int section = -1;
        int row = -1;
        bool operator==(const Place&) const = default;
    };

    qreal width = 0;
    qreal height = 0;
    std::string home; // rows show their places relative to it
    Summary summary;
    std::optional<Empty> empty;
    std::vector<Section> sections;

    static ShelfLayout make(const ShelfInput& input, qreal width);
    // The days-left bar of a count with `columns` squares in a row.
    static QSizeF barSize(ShelfText::DaysLeftCount count, int columns);
    // How many squares go in a row when the bar is wrapped onto `rows` rows.
    static int barColumns(ShelfText::DaysLeftCount count, int rows);
    // The row whose button ("Put back" or "Show in Folder") is under a point of the pane.
    std::optional<Place> putBackAt(QPointF point) const;
};

} // namespace kelvora
