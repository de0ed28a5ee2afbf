#pragma once

#include <QAccessible>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QFocusEvent;
class QKeyEvent;
class QMouseEvent;
class QObject;
class QPainter;
class QRectF;
class QWidget;

namespace kelvora {

// What one painted row is to the keyboard and to assistive technology.
struct PaintedRow {
    // The offer of a row that shows its item in the pane's inspector, as a click on it does.
    static inline const QString kShowDetails = QStringLiteral("Show details");

    QString name;
    QString description;
    QAccessible::Role role = QAccessible::ListItem;
    std::optional<bool> picked;   // rows with a pick box
    std::optional<bool> selected; // rows the inspector can show
    // What the row offers, in the words a user reads (the first is what Space and Return
    // do); a row that offers nothing is text the arrows pass over.
    QStringList actions;
    // What the first offer does, where its name alone does not say it (a button's tooltip).
    QString firstActionHelp;
};

// A widget that paints its rows itself, so that neither the keyboard nor assistive
// technology would find them: it tells what each row is and does what it offers, and this
// gives it the rest. With the keyboard the widget is one stop of Tab, while a row offers
// something (with none, there would be no row to ring); the arrows (Home, End, Page Up and
// Page Down too) move from one row that offers something to the next, Space and Return do
// the row's first offer, and the row is ringed while the keyboard is there. Assistive
// technology hears a list whose children are its rows, each with its name, description, pick
// and selection, and its offers as actions.
//
// The keys and the focus reach it before the widget's own handlers; the widget tells when
// its rows changed and paints the ring with paintRowFocus.
class PaintedRows {
public:
    explicit PaintedRows(QWidget& widget);
    virtual ~PaintedRows();

    virtual int paintedRowCount() const = 0;
    virtual PaintedRow paintedRow(int row) const = 0;
    // Where the row lies, in the widget's own coordinates.
    virtual QRect paintedRowRect(int row) const = 0;
    // Does one of the row's offers, by its name; anything else is ignored.
    virtual void actOnRow(int row, const QString& action) = 0;
    // The row at a point of the widget, -1 for none.
    virtual int paintedRowAt(const QPoint& point) const;

    // The row the keyboard is on, -1 for none.
    int currentRow() const { return current_; }
    // Whether any row offers something, so the keyboard has a row to stop on.
    bool offersAnything() const { return nextOffering(-1, 1) >= 0; }
    // Puts the keyboard on a row quietly, as when a click or the controller chose it.
    void followRow(int row);
    // Whether the ring shows on the row: the widget has the focus and the keyboard moved.
    bool showsFocusOn(int row) const;

protected:
    // After the rows changed: keeps the keyboard on a row that is still there.
    void rowsChanged();
    // A click on a row, taken as a button takes one: call from the widget's mouse press
    // (whether it pressed a row) and release (the row clicked, where the press began and
    // the release ended; -1 for none).
    bool pressRow(const QMouseEvent* event);
    int releaseRow(const QMouseEvent* event);
    // The design system's focus ring inside a row, when it shows there.
    void paintRowFocus(QPainter& painter, int row, const QRectF& rect) const;
    // A move by the keyboard reached a row; lists that select as they move do it here.
    virtual void onRowEntered(int) {}
    // Scrolls the row into view; by default through the scroll area the widget sits in.
    virtual void revealRow(int row);
    virtual void repaintRow(int row);

private:
    class Events;

    // True when the key is the rows' business.
    static bool claims(const QKeyEvent* event);
    bool keyPress(QKeyEvent* event);
    void focusChange(QFocusEvent* event);
    bool offers(int row) const;
    int nextOffering(int from, int step) const;
    void move(int row, bool entered);
    void tellFocus() const;

    QWidget& widget_;
    std::unique_ptr<QObject> events_;
    int current_ = -1;
    bool keyboard_ = false;
    int pressed_ = -1;
};

} // namespace kelvora
