#include "design/RowStack.h"

#include "design/Scrolling.h"
#include "design/Snapshot.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace kelvora {

RowStack::RowStack(QWidget* parent) : QListView(parent), PaintedRows(static_cast<QWidget&>(*this)) {
    setFrameShape(QFrame::NoFrame);
    setSpacing(0);
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    ThinScroller::attach(this);
    setResizeMode(QListView::Adjust);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

int RowStack::contentHeight() const {
    if (!model()) return 0;
    int height = 0;
    int rows = model()->rowCount(rootIndex());
    for (int row = 0; row < rows; ++row)
        height += sizeHintForIndex(model()->index(row, modelColumn(), rootIndex())).height();
    return height;
}

QSize RowStack::sizeHint() const {
    if (!Snapshot::isSnapshot(this)) return QListView::sizeHint();
    return {QListView::sizeHint().width(), contentHeight()};
}

QSize RowStack::minimumSizeHint() const {
    if (!Snapshot::isSnapshot(this)) return QListView::minimumSizeHint();
    return sizeHint();
}

bool RowStack::event(QEvent* event) {
    if (event->type() == QEvent::Polish || event->type() == QEvent::ParentChange) arrange();
    return QListView::event(event);
}

void RowStack::arrange() {
    bool picture = Snapshot::isSnapshot(this);
    if (picture == picture_) return;
    picture_ = picture;
    if (picture) scrollToTop();
    updateGeometry();
}

QModelIndex RowStack::rowIndex(int row) const {
    return model() ? model()->index(row, modelColumn(), rootIndex()) : QModelIndex();
}

void RowStack::setModel(QAbstractItemModel* model) {
    for (const auto& connection : modelConnections_)
        disconnect(connection);
    modelConnections_.clear();
    QListView::setModel(model);
    if (model) {
        auto changed = [this] { rowsChanged(); };
        modelConnections_ = {connect(model, &QAbstractItemModel::modelReset, this, changed),
                             connect(model, &QAbstractItemModel::rowsInserted, this, changed),
                             connect(model, &QAbstractItemModel::rowsRemoved, this, changed)};
    }
    rowsChanged();
}

QVariant RowStack::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImCursorRectangle && currentRow() >= 0 && currentRow() < paintedRowCount())
        return paintedRowRect(currentRow());
    return QListView::inputMethodQuery(query);
}

int RowStack::paintedRowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

PaintedRow RowStack::paintedRow(int row) const {
    QModelIndex index = rowIndex(row);
    PaintedRow painted;
    painted.name = index.data(Qt::AccessibleTextRole).toString();
    if (painted.name.isEmpty()) painted.name = index.data(Qt::DisplayRole).toString();
    painted.description = index.data(Qt::AccessibleDescriptionRole).toString();
    if (QVariant check = index.data(Qt::CheckStateRole); check.isValid())
        painted.picked = check.value<Qt::CheckState>() == Qt::Checked;
    if (QVariant selected = index.data(SelectedRole); selected.isValid())
        painted.selected = selected.toBool();
    painted.actions = index.data(ActionsRole).toStringList();
    if (!(index.flags() & Qt::ItemIsSelectable)) painted.role = QAccessible::StaticText;
    return painted;
}

QRect RowStack::paintedRowRect(int row) const {
    return visualRect(rowIndex(row)).translated(viewport()->pos());
}

int RowStack::paintedRowAt(const QPoint& point) const {
    QModelIndex index = indexAt(point - viewport()->pos());
    return index.isValid() ? index.row() : -1;
}

void RowStack::actOnRow(int row, const QString& action) {
    if (paintedRow(row).actions.contains(action)) emit rowAction(row, action);
}

void RowStack::revealRow(int row) {
    scrollTo(rowIndex(row));
}

void RowStack::repaintRow(int row) {
    viewport()->update(visualRect(rowIndex(row)));
}

void RowStack::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    int row = currentRow();
    if (row < 0 || !showsFocusOn(row)) return;
    QPainter painter(viewport());
    paintRowFocus(painter, row, visualRect(rowIndex(row)));
}

// A click puts the keyboard where it landed, so the arrows go on from there.
void RowStack::mousePressEvent(QMouseEvent* event) {
    QListView::mousePressEvent(event);
    QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) followRow(index.row());
}

} // namespace kelvora
