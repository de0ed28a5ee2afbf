#pragma once

#ifndef Q_MOC_RUN
#include "photos/SimilarPhotos.h"
#endif

#include <QAbstractListModel>
#include <QImage>
#include <QRectF>
#include <QStyledItemDelegate>

#include <functional>
#include <unordered_set>
#include <vector>

namespace kelvora {

class ThumbnailLoader;

// Where the parts of a group row sit, from left to right.
struct PhotoRowLayout {
    QRectF pickBox;
    QRectF keep;
    QRectF badge; // "KEEP" over the kept shot's bottom-left corner
    std::vector<QRectF> extras;
    QRectF overflow; // "+n"; empty when every extra is shown
    QRectF figures;  // the size and the count of extras, right-aligned
};

namespace PhotoRows {

inline constexpr qreal kHeight = 94;
inline constexpr qreal kKeepSide = 74;
inline constexpr qreal kExtraSide = 58;
inline constexpr qreal kCornerRadius = 7;
inline constexpr double kPickedExtrasOpacity = 0.55;

PhotoRowLayout layout(const QRectF& row, const SimilarPhotos::Group& group);
// A thumbnail square: the picture filling it (cropped, aspect kept) or, while there is
// none, the chip colour; a hairline border inside its rounded edge.
void paintThumbnail(QPainter& painter, const QRectF& square, const QImage& image);

} // namespace PhotoRows

// The groups as rows, with whether each is picked.
class PhotoGroupRows : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // Resets only when the groups differ, and tells of changed picks row by row. True when
    // anything changed.
    bool update(const std::vector<SimilarPhotos::Group>& groups,
                const std::unordered_set<URL>& picks, bool canPick);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    const SimilarPhotos::Group& group(int row) const { return groups_[row]; }
    bool isPicked(int row) const { return picks_.count(groups_[row].keep) > 0; }
    bool canPick() const { return canPick_; }

private:
    std::vector<SimilarPhotos::Group> groups_;
    std::unordered_set<URL> picks_;
    bool canPick_ = true;
};

// Paints a group row: its pick box, the kept shot with its badge, up to five extras (faded
// when the group is picked) and its figures. A click on the pick box asks for the toggle.
class PhotoGroupDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    PhotoGroupDelegate(ThumbnailLoader& thumbnails, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void toggled(int row);

private:
    ThumbnailLoader& thumbnails_;
};

} // namespace kelvora
