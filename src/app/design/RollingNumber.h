#pragma once

#include "design/Motion.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QPainter;
class QRectF;
#include <QVariantAnimation>
class QWidget;

namespace kelvora {

// Makes a number a view shows roll to its new value: the digits that change slide up and
// out while their successors slide up from below, on a spring. Only a change of the shown
// string rolls; in a still picture or under reduced motion the new text simply replaces
// the old. The view owns one per number it shows:
//
//     RollingNumber total_{this};                 // member of the view
//     total_.setValue(QString::fromStdString(Format::size(bytes)));  // whenever it changes
//     total_.paint(painter, rect, Qt::AlignLeft); // in paintEvent, with font and pen set
class RollingNumber : public QObject {
    Q_OBJECT

public:
    explicit RollingNumber(QWidget* view);

    static constexpr Motion::Spring kSpring{0.45, 0.85};

    QString value() const { return value_; }
    void setValue(const QString& value);
    bool isRolling() const { return animation_ != nullptr; }

    // Draws the number in `rect` with the painter's font and pen.
    void paint(QPainter& painter, const QRectF& rect, Qt::Alignment alignment) const;

private:
    QWidget* view_;
    QString value_;
    QString previous_;
    double progress_ = 1;
    QPointer<QVariantAnimation> animation_;
};

} // namespace kelvora
