#include "design/WindowFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace kelvora::WindowFit {

namespace {

class Keeper : public QObject {
public:
    Keeper(QWidget& window, QSize smallest)
        : QObject(&window), window_(window), smallest_(smallest) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && !event->spontaneous() && window_.windowHandle()) {
            connect(window_.windowHandle(), &QWindow::screenChanged, this, &Keeper::follow,
                    Qt::UniqueConnection);
            follow(window_.windowHandle()->screen());
        }
        // The window manager tells the frame by moving the window into it; a move the user
        // makes keeps the frame, and the window stays where it was put.
        if (event->type() == QEvent::Move && window_.windowHandle() &&
            window_.windowHandle()->frameMargins() != fittedFrame_)
            QTimer::singleShot(0, this, &Keeper::fit);
        return false;
    }

private:
    void follow(QScreen* screen) {
        disconnect(screenArea_);
        if (screen)
            screenArea_ = connect(screen, &QScreen::availableGeometryChanged, this, &Keeper::fit,
                                  Qt::QueuedConnection);
        QTimer::singleShot(0, this, &Keeper::fit);
    }

    void fit() {
        // A window drawn off screen (a picture) has no screen to fit.
        QWindow* handle = window_.windowHandle();
        if (!handle || !handle->screen() || !window_.isVisible() ||
            window_.testAttribute(Qt::WA_DontShowOnScreen))
            return;
        fittedFrame_ = handle->frameMargins();
        const Fit fit = fitIn(handle->screen()->availableGeometry(), fittedFrame_,
                              window_.geometry(), smallest_);
        if (window_.minimumSize() != fit.minimum) window_.setMinimumSize(fit.minimum);
        if (window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
        if (window_.geometry() != fit.geometry) window_.setGeometry(fit.geometry);
    }

    QWidget& window_;
    QSize smallest_;
    // The frame the window was last fitted for; the window manager tells it only after the
    // window is shown, and the fit is made again when it changes.
    QMargins fittedFrame_;
    QMetaObject::Connection screenArea_;
};

} // namespace

QSize firstSize(QSize wanted, QSize smallest, QSize available) {
    return wanted.boundedTo(available).expandedTo(smallest);
}

Fit fitIn(const QRect& area, const QMargins& frame, const QRect& geometry, QSize smallest) {
    const QSize room = area.marginsRemoved(frame).size().expandedTo({1, 1});
    const QSize minimum = smallest.boundedTo(room);
    const QSize size = geometry.size().boundedTo(room).expandedTo(minimum);
    const QSize outer = size.grownBy(frame);
    const QPoint corner = geometry.topLeft() - QPoint(frame.left(), frame.top());
    // A frame larger than the area keeps its top left corner, title bar and all, in it.
    const QPoint inside(
        std::max(area.left(), std::min(corner.x(), area.right() + 1 - outer.width())),
        std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - outer.height())));
    return {minimum, QRect(inside + QPoint(frame.left(), frame.top()), size)};
}

void keep(QWidget& window, QSize wanted, QSize smallest) {
    window.setMinimumSize(smallest);
    new Keeper(window, smallest);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    window.resize(firstSize(wanted, smallest, area.size()));
    window.move(area.topLeft() + QPoint(std::max(0, (area.width() - window.width()) / 2),
                                        std::max(0, (area.height() - window.height()) / 2)));
}

} // namespace kelvora::WindowFit
