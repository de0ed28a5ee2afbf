#include "window/CategoryList.h"

#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/PickBox.h"
#include "design/RowText.h"
#include "design/Shapes.h"
#include "design/Theme.h"
#include "design/VerdictBadge.h"
#include "window/CategoryRows.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelvora {

namespace {

constexpr qreal kLeading = 12;
constexpr qreal kTrailing = 18;
constexpr qreal kSpacing = 12;
constexpr qreal kMinSpacer = 10;
constexpr qreal kBadgeWidth = 96;
constexpr qreal kSizeWidth = 70;
constexpr qreal kLineGap = 3;
constexpr qreal kCaptionAbove = 18;
constexpr qreal kCaptionBelow = 8;
constexpr qreal kCaptionInset = 18;
constexpr qreal kFocusBar = 3;

QFont nameFont() {
    return Fonts::text(13.5, QFont::Medium);
}
QFont detailFont() {
    return Fonts::text(12);
}

} // namespace

CategoryRowGeometry CategoryRowGeometry::of(const QRectF& row) {
    CategoryRowGeometry g;
    qreal middle = row.center().y();
    g.pickBox =
        QRectF(row.left() + kLeading, middle - PickBox::kSide / 2, PickBox::kSide, PickBox::kSide);
    g.size = QRectF(row.right() - kTrailing - kSizeWidth, row.top(), kSizeWidth, row.height());
    g.badge = QRectF(g.size.left() - kSpacing - kBadgeWidth, row.top(), kBadgeWidth, row.height());
    qreal textLeft = g.pickBox.right() + kSpacing;
    qreal textRight = g.badge.left() - kSpacing - kMinSpacer - kSpacing;
    g.text = QRectF(textLeft, row.top(), std::max<qreal>(0, textRight - textLeft), row.height());
    return g;
}

qreal CategoryRowGeometry::captionHeight() {
    return kCaptionAbove + Caption::idealSize(CategoryRows::kCaption).height() + kCaptionBelow;
}

QSize CategoryRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    bool caption = index.data(CategoryRows::CaptionRole).toBool();
    qreal height = caption ? CategoryRowGeometry::captionHeight() : CategoryRowGeometry::kHeight;
    return QSize(option.rect.width(), static_cast<int>(std::ceil(height)));
}

void CategoryRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    if (index.data(CategoryRows::CaptionRole).toBool())
        paintCaption(*painter, option.rect);
    else
        paintItem(*painter, option.rect, index);
    painter->restore();
}

void CategoryRowDelegate::paintCaption(QPainter& painter, const QRectF& rect) {
    QRectF label(rect.left() + kCaptionInset, rect.top() + kCaptionAbove,
                 rect.width() - 2 * kCaptionInset, rect.height() - kCaptionAbove - kCaptionBelow);
    Caption::paint(painter, label, CategoryRows::kCaption);
}

void CategoryRowDelegate::paintItem(QPainter& painter, const QRectF& rect,
                                    const QModelIndex& index) {
    bool focused = index.data(CategoryRows::FocusedRole).toBool();
    bool removable = index.data(CategoryRows::RemovableRole).toBool();
    if (focused) {
        painter.fillRect(rect, Theme::sidebar());
        painter.fillRect(QRectF(rect.left(), rect.top(), kFocusBar, rect.height()),
                         Theme::signal());
    }
    Shapes::hairline(painter, QRectF(rect.left(), rect.bottom() - 1, rect.width(), 1),
                     Qt::Horizontal);

    CategoryRowGeometry g = CategoryRowGeometry::of(rect);
    PickBox::paint(painter, g.pickBox, index.data(CategoryRows::PickedRole).toBool(), removable);

    paintTitleAndDetail(
        painter, g.text, {index.data(Qt::DisplayRole).toString(), nameFont(), Theme::ink()},
        {index.data(CategoryRows::DetailRole).toString(), detailFont(), Theme::faint()}, kLineGap);

    auto verdict = static_cast<Verdict>(index.data(CategoryRows::VerdictRole).toInt());
    QSizeF badge = VerdictBadge::idealSize(verdict);
    VerdictBadge::paint(painter, QPointF(g.badge.left(), g.badge.center().y() - badge.height() / 2),
                        verdict);

    painter.setFont(Fonts::mono(13, QFont::Medium));
    painter.setPen(removable ? Theme::ink() : Theme::muted());
    painter.drawText(g.size, Qt::AlignRight | Qt::AlignVCenter,
                     index.data(CategoryRows::SizeRole).toString());
}

CategoryList::CategoryList(CategoryRows* rows, QWidget* parent) : RowStack(parent), rows_(rows) {
    setModel(rows);
    setItemDelegate(new CategoryRowDelegate(this));
    setMouseTracking(false);
    setAccessibleName("Items");
    connect(this, &RowStack::rowEntered, this, &CategoryList::focusRequested);
    connect(this, &RowStack::rowAction, this, [this](int row, const QString& action) {
        if (action == PaintedRow::kShowDetails)
            emit focusRequested(row);
        else
            emit toggleRequested(row);
    });
}

void CategoryList::revealFocused() {
    if (rows_->focusedRow() >= 0) scrollTo(rows_->index(rows_->focusedRow()));
}

void CategoryList::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || rows_->isCaption(index.row())) return;
    const ScanItem* item = rows_->item(index.row());
    bool onBox = CategoryRowGeometry::of(visualRect(index)).pickBox.contains(event->position());
    if (onBox && item && item->isRemovable())
        emit toggleRequested(index.row());
    else
        emit focusRequested(index.row());
}

// Presses are answered above; the list's own handling would select and drag.
void CategoryList::mouseReleaseEvent(QMouseEvent*) {}
void CategoryList::mouseMoveEvent(QMouseEvent*) {}
void CategoryList::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

} // namespace kelvora
