#include "panes/SimilarPhotosRows.h"

#include "design/Fonts.h"
#include "design/PickBox.h"
#include "design/QtString.h"
#include "design/RowStack.h"
#include "design/Shapes.h"
#include "design/Snapshot.h"
#include "design/Spoken.h"
#include "design/Theme.h"
#include "model/Format.h"
#include "panes/PhotoThumbnails.h"
#include "panes/SimilarPhotosText.h"

#include <QAccessibleActionInterface>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kelvora {

namespace {

constexpr qreal kSidePadding = 18;
constexpr qreal kSpacing = 14;
constexpr qreal kMinimumGap = 8;
constexpr qreal kFigureSpacing = 3;

QFont sizeFont() {
    return Fonts::mono(13, QFont::DemiBold);
}

QFont countFont() {
    return Fonts::text(12);
}

QFont badgeFont() {
    QFont font = Fonts::mono(9.5, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    return font;
}

qreal widthOf(const QFont& font, const std::string& text) {
    return QFontMetricsF(font).horizontalAdvance(toQString(text));
}

} // namespace

namespace PhotoRows {

PhotoRowLayout layout(const QRectF& row, const SimilarPhotos::Group& group) {
    PhotoRowLayout parts;
    qreal middle = row.center().y();
    auto square = [middle](qreal left, qreal side) {
        return QRectF(left, middle - side / 2, side, side);
    };
    qreal x = row.left() + kSidePadding;
    parts.pickBox = square(x, PickBox::kSide);
    x += PickBox::kSide + kSpacing;
    parts.keep = square(x, kKeepSide);
    QFontMetricsF badge(badgeFont());
    QSizeF badgeSize(badge.horizontalAdvance(SimilarPhotosText::kKeep) + 10, badge.height() + 4);
    parts.badge = QRectF(
        QPointF(parts.keep.left() + 4, parts.keep.bottom() - 4 - badgeSize.height()), badgeSize);
    x += kKeepSide;
    size_t shown = std::min(group.extras.size(), SimilarPhotosText::kShownExtras);
    for (size_t i = 0; i < shown; ++i) {
        x += kSpacing;
        parts.extras.push_back(square(x, kExtraSide));
        x += kExtraSide;
    }
    if (auto more = SimilarPhotosText::overflow(group.extras.size())) {
        QFontMetricsF metrics(countFont());
        x += kSpacing;
        parts.overflow = QRectF(x, middle - metrics.height() / 2,
                                metrics.horizontalAdvance(toQString(*more)), metrics.height());
        x = parts.overflow.right();
    }
    qreal width = std::max(widthOf(sizeFont(), Format::size(group.bytes)),
                           widthOf(countFont(), SimilarPhotosText::extras(group.extras.size())));
    qreal height =
        QFontMetricsF(sizeFont()).height() + kFigureSpacing + QFontMetricsF(countFont()).height();
    qreal right = std::max(row.right() - kSidePadding, x + kMinimumGap + width);
    parts.figures = QRectF(right - width, middle - height / 2, width, height);
    return parts;
}

void paintThumbnail(QPainter& painter, const QRectF& square, const QImage& image) {
    painter.save();
    QPainterPath shape = Shapes::continuousRect(square, kCornerRadius);
    if (image.isNull()) {
        painter.fillPath(shape, Theme::chip());
    } else {
        painter.setClipPath(shape, Qt::IntersectClip);
        QSizeF cover = QSizeF(image.size()).scaled(square.size(), Qt::KeepAspectRatioByExpanding);
        QRectF target(square.center() - QPointF(cover.width() / 2, cover.height() / 2), cover);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        painter.setClipping(false);
    }
    Shapes::fillRounded(painter, square, kCornerRadius, Qt::transparent, Theme::line(), 1);
    painter.restore();
}

} // namespace PhotoRows

// ---- Model ----

bool PhotoGroupRows::update(const std::vector<SimilarPhotos::Group>& groups,
                            const std::unordered_set<URL>& picks, bool canPick) {
    if (groups != groups_) {
        beginResetModel();
        groups_ = groups;
        picks_ = picks;
        canPick_ = canPick;
        endResetModel();
        return true;
    }
    if (picks == picks_ && canPick == canPick_) return false;
    bool allChanged = canPick != canPick_;
    std::unordered_set<URL> before = std::move(picks_);
    picks_ = picks;
    canPick_ = canPick;
    for (int row = 0; row < rowCount(); ++row) {
        const URL& keep = groups_[row].keep;
        if (allChanged || before.count(keep) != picks_.count(keep))
            emit dataChanged(index(row), index(row));
    }
    return true;
}

int PhotoGroupRows::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(groups_.size());
}

QVariant PhotoGroupRows::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const SimilarPhotos::Group& group = groups_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return toQString(group.keep.lastPathComponent());
    case Qt::AccessibleDescriptionRole:
        return Spoken::join({toQString(Format::size(group.bytes)),
                             toQString(SimilarPhotosText::extras(group.extras.size()))});
    case Qt::CheckStateRole:
        return isPicked(index.row()) ? Qt::Checked : Qt::Unchecked;
    case RowStack::ActionsRole:
        if (!canPick_) return QStringList{SimilarPhotosText::kShowInFolder};
        return QStringList{QAccessibleActionInterface::toggleAction(),
                           SimilarPhotosText::kShowInFolder};
    default:
        return {};
    }
}

// ---- Delegate ----

PhotoGroupDelegate::PhotoGroupDelegate(ThumbnailLoader& thumbnails, QObject* parent)
    : QStyledItemDelegate(parent), thumbnails_(thumbnails) {}

QSize PhotoGroupDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), static_cast<int>(PhotoRows::kHeight)};
}

void PhotoGroupDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const auto* rows = static_cast<const PhotoGroupRows*>(index.model());
    const SimilarPhotos::Group& group = rows->group(index.row());
    bool picked = rows->isPicked(index.row());
    bool now = Snapshot::isSnapshot(option.widget);
    QRectF row = option.rect;
    PhotoRowLayout parts = PhotoRows::layout(row, group);
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    PickBox::paint(p, parts.pickBox, picked, rows->canPick());

    auto pixels = [](qreal side) { return static_cast<int>(side * 2); };
    PhotoRows::paintThumbnail(p, parts.keep,
                              thumbnails_.image(group.keep, pixels(PhotoRows::kKeepSide), now));
    Shapes::fillRounded(p, parts.badge, 3, Theme::ink());
    p.setFont(badgeFont());
    p.setPen(Theme::panel());
    p.drawText(parts.badge, Qt::AlignCenter, SimilarPhotosText::kKeep);

    p.save();
    p.setOpacity(picked ? PhotoRows::kPickedExtrasOpacity : 1.0);
    for (size_t i = 0; i < parts.extras.size(); ++i)
        PhotoRows::paintThumbnail(
            p, parts.extras[i],
            thumbnails_.image(group.extras[i], pixels(PhotoRows::kExtraSide), now));
    p.restore();

    if (auto more = SimilarPhotosText::overflow(group.extras.size())) {
        p.setFont(countFont());
        p.setPen(Theme::muted());
        p.drawText(parts.overflow, Qt::AlignLeft | Qt::AlignVCenter, toQString(*more));
    }

    QFontMetricsF sizeMetrics(sizeFont());
    QRectF sizeLine(parts.figures.left(), parts.figures.top(), parts.figures.width(),
                    sizeMetrics.height());
    p.setFont(sizeFont());
    p.setPen(Theme::ink());
    p.drawText(sizeLine, Qt::AlignRight | Qt::AlignVCenter, toQString(Format::size(group.bytes)));
    p.setFont(countFont());
    p.setPen(Theme::muted());
    p.drawText(QRectF(parts.figures.left(), sizeLine.bottom() + kFigureSpacing,
                      parts.figures.width(), parts.figures.bottom() - sizeLine.bottom()),
               Qt::AlignRight | Qt::AlignVCenter,
               toQString(SimilarPhotosText::extras(group.extras.size())));

    Shapes::hairline(p, QRectF(row.left(), row.bottom() - 1, row.width(), 1), Qt::Horizontal);
    p.restore();
}

bool PhotoGroupDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                     const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonRelease) return false;
    auto* rows = static_cast<PhotoGroupRows*>(model);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton || !rows->canPick()) return false;
    PhotoRowLayout parts = PhotoRows::layout(option.rect, rows->group(index.row()));
    if (!parts.pickBox.contains(mouse->position())) return false;
    emit toggled(index.row());
    return true;
}

} // namespace kelvora
