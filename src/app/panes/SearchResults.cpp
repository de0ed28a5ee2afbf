#include "panes/SearchResults.h"

#include "design/Accessibility.h"
#include "design/Fonts.h"
#include "design/PickBox.h"
#include "design/RowStack.h"
#include "design/RowText.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "model/Format.h"
#include "panes/SearchText.h"

#include <QAccessibleActionInterface>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kSide = 18;
constexpr qreal kTop = 9;
constexpr qreal kSpacing = 12;
constexpr qreal kIcon = 26;
constexpr qreal kMinSpacer = 10;

QFont nameFont() {
    return Fonts::text(13.5, QFont::Medium);
}
QFont placeFont() {
    return Fonts::text(12);
}
QFont sizeFont() {
    return Fonts::mono(13, QFont::DemiBold);
}

} // namespace

SearchHitsModel::SearchHitsModel(QObject* parent) : QAbstractListModel(parent) {}

void SearchHitsModel::set(const std::vector<PlainQuery::Hit>& hits,
                          const std::unordered_set<URL>& picks,
                          const std::function<QString(const PlainQuery::Hit&)>& describe) {
    if (hits != hits_) {
        beginResetModel();
        hits_ = hits;
        rows_.clear();
        rows_.reserve(hits.size());
        for (const auto& hit : hits)
            rows_.push_back({hit, QString::fromStdString(hit.url.lastPathComponent()),
                             describe(hit), QString::fromStdString(Format::size(hit.bytes)),
                             picks.count(hit.url) > 0});
        endResetModel();
        return;
    }
    int first = -1, last = -1;
    for (size_t i = 0; i < rows_.size(); ++i) {
        bool picked = picks.count(rows_[i].hit.url) > 0;
        if (picked == rows_[i].picked) continue;
        rows_[i].picked = picked;
        if (first < 0) first = static_cast<int>(i);
        last = static_cast<int>(i);
    }
    if (first >= 0) emit dataChanged(index(first), index(last));
}

int SearchHitsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant SearchHitsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const Row& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return row.name;
    case Qt::AccessibleDescriptionRole:
        return row.place + " · " + row.size + " · " + Accessibility::pickValue(row.picked);
    case Qt::CheckStateRole:
        return row.picked ? Qt::Checked : Qt::Unchecked;
    case RowStack::ActionsRole:
        return QStringList{QAccessibleActionInterface::toggleAction(), SearchText::kShowInFolder};
    default:
        return {};
    }
}

SearchHitDelegate::SearchHitDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

qreal SearchHitDelegate::rowHeight() {
    qreal text = QFontMetricsF(nameFont()).height() + 2 + QFontMetricsF(placeFont()).height();
    return std::ceil(std::max({PickBox::kSide, kIcon, text}) + 2 * kTop);
}

QRectF SearchHitDelegate::pickBox(const QRectF& row) {
    return QRectF(row.left() + kSide, row.center().y() - PickBox::kSide / 2, PickBox::kSide,
                  PickBox::kSide);
}

QSize SearchHitDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), static_cast<int>(rowHeight())};
}

void SearchHitDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    const auto* model = qobject_cast<const SearchHitsModel*>(index.model());
    if (!model) return;
    const SearchHitsModel::Row& row = model->row(index.row());
    QRectF rect = option.rect;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    Shapes::hairline(*painter, QRectF(rect.left(), rect.bottom() - 1, rect.width(), 1),
                     Qt::Horizontal);

    QRectF box = pickBox(rect);
    PickBox::paint(*painter, box, row.picked, true);
    QRectF icon(box.right() + kSpacing, rect.center().y() - kIcon / 2, kIcon, kIcon);
    QIcon fileIcon = iconOf(row.hit.url);
    if (!fileIcon.isNull())
        fileIcon.paint(painter, icon.toRect());
    else
        Symbols::paint(*painter, "doc", icon, 18, Theme::muted());

    QFontMetricsF sizeMetrics(sizeFont());
    qreal sizeWidth = sizeMetrics.horizontalAdvance(row.size);
    qreal sizeLeft = rect.right() - kSide - sizeWidth;
    painter->setFont(sizeFont());
    painter->setPen(Theme::ink());
    painter->drawText(QRectF(sizeLeft, rect.top(), sizeWidth + 1, rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, row.size);

    qreal textLeft = icon.right() + kSpacing;
    qreal textWidth = std::max(0.0, sizeLeft - kSpacing - kMinSpacer - kSpacing - textLeft);
    paintTitleAndDetail(*painter, QRectF(textLeft, rect.top(), textWidth, rect.height()),
                        {row.name, nameFont(), Theme::ink(), Qt::ElideMiddle},
                        {row.place, placeFont(), Theme::muted(), Qt::ElideMiddle}, 2);
    painter->restore();
}

// Icons go by the kind of file, so one is made per extension rather than per hit.
QIcon SearchHitDelegate::iconOf(const URL& url) const {
    QString extension = QString::fromStdString(url.pathExtension()).toLower();
    auto found = icons_.find(extension);
    if (found != icons_.end()) return *found;
    QIcon icon = QFileIconProvider().icon(QFileInfo(QString::fromStdString(url.path())));
    icons_.insert(extension, icon);
    return icon;
}

} // namespace kelvora
