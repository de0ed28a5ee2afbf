#pragma once

#include <QWidget>

namespace kelvora {

// A thin progress bar: a 6 px chip-coloured capsule across the width it is given with an
// ink capsule from the leading edge. Any positive fraction shows at least a 4 px stub;
// above 1 it fills the track. Silent to assistive technology: the text beside it says it.
class Meter : public QWidget {
    Q_OBJECT

public:
    explicit Meter(double fraction = 0, QWidget* parent = nullptr);

    double fraction() const { return fraction_; }
    void setFraction(double fraction);

    static constexpr qreal kHeight = 6;
    // The width of the ink capsule on a track of `trackWidth`.
    static qreal fillWidth(double fraction, qreal trackWidth);
    static void paint(QPainter& painter, const QRectF& track, double fraction);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double fraction_;
};

} // namespace kelvora
