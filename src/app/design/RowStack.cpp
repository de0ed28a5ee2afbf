#include "design/RowStack.h"

#include "design/Scrolling.h"
#include "design/Snapshot.h"

#include <QEvent>

namespace kelvora {

RowStack::RowStack(QWidget* parent) : QListView(parent) {
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

} // namespace kelvora
