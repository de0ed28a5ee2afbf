#pragma once

#include "design/RowStack.h"

#include <QRectF>
#include <QStyledItemDelegate>

namespace kelvora {

class CategoryRows;

// Where the parts of one 56 px item row go, from its rectangle.
struct CategoryRowGeometry {
    static constexpr qreal kHeight = 56;
    QRectF pickBox; // the box's 28 px square, which takes its clicks
    QRectF text;    // name over detail
    QRectF badge;   // the 96 px frame of the verdict
    QRectF size;    // the 70 px frame of the size, text at its trailing edge

    static CategoryRowGeometry of(const QRectF& row);
    // The height of the "Left alone" caption's row.
    static qreal captionHeight();
};

// Paints the rows of a category's list.
class CategoryRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Clicks are the list's own business (see CategoryList).
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&,
                     const QModelIndex&) override {
        return false;
    }

    static void paintItem(QPainter& painter, const QRectF& rect, const QModelIndex& index);
    static void paintCaption(QPainter& painter, const QRectF& rect);
};

// The list of a category's rows. A click on a pick box flips that item's pick and leaves
// the focus where it is; a click anywhere else on a row focuses its item. With the
// keyboard, the arrows move the focus from row to row and Space or Return flips the
// focused pick; assistive technology also has each row's "Show details".
class CategoryList : public RowStack {
    Q_OBJECT

public:
    explicit CategoryList(CategoryRows* rows, QWidget* parent = nullptr);

    CategoryRows* rows() const { return rows_; }
    // The rectangle of a row in this view's coordinates.
    QRect rowRect(int row) const { return visualRect(model()->index(row, 0)); }
    // Brings the focused row into view, as after a move with the keyboard.
    void revealFocused();

signals:
    void toggleRequested(int row);
    void focusRequested(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    CategoryRows* rows_;
};

} // namespace kelvora
