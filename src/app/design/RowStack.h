#pragma once

#include "design/PaintedRows.h"

#include <QListView>

#include <vector>

namespace kelvora {

// The rows of a long list: a list view whose rows a delegate paints (set a model and a
// delegate as with any QListView). In the window it scrolls by itself under a ThinScroller
// and draws only the rows in view, so a hundred thousand rows stay fluid. In a still picture it
// never scrolls and asks for the height of every row, so a `Scrolling` around it lays out all of
// them and shows the first from the top.
//
// Rows sit flush (no spacing), nothing is selected by default, and the background is
// left to the pane behind it.
//
// The keyboard and assistive technology reach the painted rows (see PaintedRows) through
// what the model tells of each: its name (Qt::AccessibleTextRole, else Qt::DisplayRole),
// description (Qt::AccessibleDescriptionRole), pick (Qt::CheckStateRole) and the roles
// below. A row whose flags are not selectable is read as text.
class RowStack : public QListView, public PaintedRows {
    Q_OBJECT

public:
    enum Role {
        ActionsRole = Qt::UserRole + 0x100, // QStringList: what the row offers, main one first
        SelectedRole,                       // bool: the row the inspector shows
    };

    explicit RowStack(QWidget* parent = nullptr);

    // The height of all rows together.
    int contentHeight() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    void setModel(QAbstractItemModel* model) override;
    // A menu asked for from the keyboard opens at the row the keyboard is on.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

    int paintedRowCount() const override;
    PaintedRow paintedRow(int row) const override;
    QRect paintedRowRect(int row) const override;
    int paintedRowAt(const QPoint& point) const override;
    void actOnRow(int row, const QString& action) override;

signals:
    // One of a row's offers was taken, by the keyboard or by assistive technology.
    void rowAction(int row, const QString& action);
    // The keyboard moved onto a row.
    void rowEntered(int row);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void onRowEntered(int row) override { emit rowEntered(row); }
    void revealRow(int row) override;
    void repaintRow(int row) override;

private:
    void arrange();
    QModelIndex rowIndex(int row) const;

    bool picture_ = false;
    std::vector<QMetaObject::Connection> modelConnections_;
};

} // namespace kelvora
