#pragma once

#include <QColor>
#include <QObject>
#include <QPointF>
#include <QWidget>

#include <functional>

class QPainter;
class QTimer;

namespace kelvora {

// The indeterminate progress indicator: spokes round a centre, the one at the phase darkest
// and those behind it fading.
struct SpinnerShape {
    int spokes = 8;
    qreal inner = 3.5;     // from the centre to where a spoke starts
    qreal outer = 7;       // from the centre to where it ends
    qreal width = 1.8;     // of the pen
    qreal faintest = 0.25; // opacity of the spoke furthest behind the darkest

    // The 16 px spinner of a busy SignalButton and of status lines.
    static SpinnerShape small() { return {}; }
    // A spinner standing alone in a square of `side`.
    static SpinnerShape standing(qreal side);
};

// Paints the spinner round `center`; `phase` turns it a spoke at a time (a still picture
// passes 0).
void paintSpinner(QPainter& painter, QPointF center, const SpinnerShape& shape, const QColor& color,
                  int phase);
// The small spinner.
void paintSpinner(QPainter& painter, QPointF center, const QColor& color, int phase);

// Turns a spinner that a view paints itself: steps the phase every `intervalMs` while it is
// wanted, the view is shown and may animate (Motion::animates), and calls `stepped` to have
// it painted. Otherwise the phase rests at 0.
class SpinnerClock : public QObject {
    Q_OBJECT

public:
    SpinnerClock(QWidget* view, int intervalMs, std::function<void()> stepped);

    int phase() const { return phase_; }
    void setWanted(bool wanted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();

    QWidget* view_;
    QTimer* timer_;
    bool wanted_ = false;
    int phase_ = 0;
};

// A spinner standing alone, turning while it is shown.
class Spinner : public QWidget {
    Q_OBJECT

public:
    explicit Spinner(qreal side, QWidget* parent = nullptr);
    Spinner(qreal side, const SpinnerShape& shape, int intervalMs, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal side_;
    SpinnerShape shape_;
    SpinnerClock* clock_;
};

} // namespace kelvora
