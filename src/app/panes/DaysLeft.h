#pragma once

#include "panes/ShelfText.h"

#include <QWidget>

#include <optional>

namespace kelvora {

// The days-left bar of a clean-up: a row of small squares, as many filled as days are left,
// all of them in the accent colour on the last day; a long hold's squares wrap onto further
// rows. Assistive technology reads the whole bar as one element, "3 of 7 days left".
class DaysLeft : public QWidget {
    Q_OBJECT

public:
    explicit DaysLeft(QWidget* parent = nullptr);

    // `columns`: how many squares go in a row; none: all in one.
    void setCount(ShelfText::DaysLeftCount count, std::optional<int> columns = std::nullopt);
    ShelfText::DaysLeftCount count() const { return count_; }
    int columns() const;

    static void paint(QPainter& painter, QPointF topLeft, ShelfText::DaysLeftCount count,
                      int columns);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShelfText::DaysLeftCount count_;
    std::optional<int> columns_;
};

} // namespace kelvora
