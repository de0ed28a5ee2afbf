#pragma once

#include <QWidget>

class QTimer;

namespace kelvora {

// The indeterminate progress indicator of the panes: spokes fading behind the leading
// one, turning while shown. Still in a picture and under reduced motion.
class Spinner : public QWidget {
    Q_OBJECT

public:
    // `size` is the side of its square: 16 for the small one, 32 for the regular one.
    explicit Spinner(int size, QWidget* parent = nullptr);

    QSize sizeHint() const override { return {size_, size_}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int size_;
    int phase_ = 0;
    QTimer* timer_;
};

} // namespace kelvora
