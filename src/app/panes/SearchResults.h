#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "search/PlainQuery.h"
#endif

#include <QAbstractListModel>
#include <QHash>
#include <QIcon>
#include <QStyledItemDelegate>

#include <functional>
#include <unordered_set>
#include <vector>

namespace kelvora {

// The hits of the last search as rows, with whether each is picked and the words under its
// name. It resets only when the hits change; a change of picks repaints the rows.
class SearchHitsModel : public QAbstractListModel {
    Q_OBJECT

public:
    struct Row {
        PlainQuery::Hit hit;
        QString name;
        QString place; // folder, then the change date
        QString size;
        bool picked = false;
    };

    explicit SearchHitsModel(QObject* parent = nullptr);

    // `describe` gives the words under a hit's name.
    void set(const std::vector<PlainQuery::Hit>& hits, const std::unordered_set<URL>& picks,
             const std::function<QString(const PlainQuery::Hit&)>& describe);
    const Row& row(int index) const { return rows_[static_cast<size_t>(index)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<PlainQuery::Hit> hits_;
    std::vector<Row> rows_;
};

// Paints one hit: pick box, file icon, name and where it lies, size; a hairline below.
class SearchHitDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit SearchHitDelegate(QObject* parent = nullptr);

    static qreal rowHeight();
    // Where the pick box of a row lies, its 28 px square.
    static QRectF pickBox(const QRectF& row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QIcon iconOf(const URL& url) const;
    mutable QHash<QString, QIcon> icons_;
};

} // namespace kelvora
