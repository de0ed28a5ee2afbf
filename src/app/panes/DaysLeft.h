#pragma once

#include "panes/ShelfText.h"

#include <QWidget>

namespace kelvora {

// The days-left bar of a clean-up: a row of small squares, as many filled as days are left,
// all of them in the accent colour on the last day. Assistive technology reads the whole bar
// as one element, "3 of 7 days left".
class DaysLeft : public QWidget {
    Q_OBJECT

public:
    explicit DaysLeft(QWidget* parent = nullptr);

    void setCount(ShelfText::DaysLeftCount count);
    ShelfText::DaysLeftCount count() const { return count_; }

    static void paint(QPainter& painter, QPointF topLeft, ShelfText::DaysLeftCount count);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ShelfText::DaysLeftCount count_;
};

} // namespace kelvora
