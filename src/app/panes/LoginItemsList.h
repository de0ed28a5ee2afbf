#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "design/TextFlow.h"
#include "login/LoginItem.h"
#include "panes/LoginItemsText.h"
#endif
#include "design/PaintedRows.h"

#include <QHash>
#include <QPixmap>
#include <QRectF>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

class AppModel;

// Where everything of the login items list goes at one width: the warning, the sections
// with their cards, the ask card, the rows with their buttons, the footnote.
struct LoginListLayout {
    struct Section {
        LoginItemsOrder::Section kind = LoginItemsOrder::Section::apps;
        QRectF caption;
        QRectF card;
        std::optional<QRectF> ask;       // the card asking to read the open-at-login apps
        std::optional<QRectF> askButton; // its "Check apps"
        std::optional<QRectF> empty;     // "No apps open at login."
        // The ask card's symbol and its two texts, each wrapped to the room beside the button.
        QRectF askSymbol;
        PlacedText askTitle;
        PlacedText askDetail;
    };
    struct Row {
        LoginItem item;
        QRectF rect;
        QRectF badge;
        QRectF button;
        LoginItemsText::Action action;
        std::optional<QRectF> hairline; // above the row
        size_t section = 0;             // index into `sections`
    };

    std::optional<QRectF> error;
    std::vector<Section> sections;
    std::vector<Row> rows;
    QRectF footnote;
    qreal height = 0;

    // `sorted` in the pane's order. `askForApps`: the apps section asks before the apps that
    // open at login are read (AppModel::asksForOpenAtLogin); else it lists them, or says
    // there are none.
    static LoginListLayout make(const std::vector<LoginItem>& sorted, bool askForApps,
                                const std::optional<std::string>& error, int shelfDays,
                                qreal width);
    const Row* rowOf(const std::string& id) const;
};

// The list of the login items pane: its sections of painted rows. A click on a row selects
// it, a click on a row's button does what the button says, "Check apps" lets the
// controller read the applications that open at login. Only the rows in view are painted.
// With the keyboard the arrows select from row to row (the ask card among them) and Space
// or Return does what the row's button says; assistive technology reads every painted
// text, in order, and has each row's button and "Show details" as actions.
class LoginItemsList : public QWidget, public PaintedRows {
    Q_OBJECT

public:
    explicit LoginItemsList(AppModel& model, QWidget* parent = nullptr);

    // Takes the controller's list and state again; lays out only when they changed.
    void refresh();
    const LoginListLayout& layout() const { return layout_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

    int paintedRowCount() const override { return static_cast<int>(entries_.size()); }
    PaintedRow paintedRow(int row) const override;
    QRect paintedRowRect(int row) const override;
    void actOnRow(int row, const QString& action) override;

protected:
    bool event(QEvent* event) override;
    void onRowEntered(int row) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // What a press landed on: a row's button, a row, or the ask card's button.
    struct Target {
        enum class Kind { none, row, button, ask };
        Kind kind = Kind::none;
        size_t row = 0;
        bool operator==(const Target&) const = default;
    };
    // A painted text or row of the list, in reading order: `index` is the section's for a
    // caption, an ask card or "No apps", the row's for a row.
    struct Entry {
        enum class Kind { error, caption, ask, row, noApps, footnote };
        Kind kind = Kind::error;
        size_t index = 0;
        bool operator==(const Entry&) const = default;
    };
    // Where the keyboard is, by what it is on rather than by its place in the list.
    struct KeyboardPlace {
        Entry entry;
        std::string id; // a row's item
    };
    Target targetAt(QPointF point) const;
    void relayOut();
    std::optional<KeyboardPlace> keyboardPlace() const;
    // Lists the entries of a new layout; the keyboard stays on what it was on.
    void listEntries(const std::optional<KeyboardPlace>& keep);
    int entryOf(Entry entry) const;
    int selectedEntry() const;
    void paintSection(QPainter& painter, const LoginListLayout::Section& section) const;
    void paintRow(QPainter& painter, const LoginListLayout::Row& row, bool selected);
    // Looks up the rows' icons, each once, when the rows change: the one an item names, else
    // that of the application it lives in; a row without either shows the gear.
    void findIcons(const std::vector<LoginItem>& items);

    AppModel& model_;
    std::vector<LoginItem> sorted_;
    bool asking_ = false;
    std::optional<std::string> error_;
    std::optional<std::string> selection_;
    int shelfDays_ = 7;
    LoginListLayout layout_;
    Target pressed_;
    QHash<QString, QPixmap> icons_;    // by the icon or bundle they come from
    QHash<QString, QPixmap> rowIcons_; // by the item's id
    std::vector<Entry> entries_;
    std::vector<int> rowEntries_; // the entry of each row of the layout
};

} // namespace kelvora
