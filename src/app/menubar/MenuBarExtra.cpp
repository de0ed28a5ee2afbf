#include "menubar/MenuBarExtra.h"

#include "controller/Prefs.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "menubar/MenuBarModel.h"
#include "menubar/MenuBarView.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>

namespace kelvora {

namespace {

// Tray panels are light on some desktops and dark on others: the gauge stands on an accent
// square that shows on either.
QIcon trayIcon() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        QRectF box(0, 0, side, side);
        Shapes::fillRounded(painter, box.adjusted(1, 1, -1, -1), side * 0.24,
                            Theme::color(Token::signal, Appearance::light));
        Symbols::paint(painter, "gauge.with.dots.needle.33percent", box, side * 0.62,
                       Theme::color(Token::onSignal, Appearance::light));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

MenuBarExtra::MenuBarExtra(MenuBarModel& menu, AppModel& app, std::function<void()> openWindow,
                           QObject* parent)
    : QObject(parent), menu_(menu), openWindow_(std::move(openWindow)),
      icon_(new QSystemTrayIcon(trayIcon(), this)), popup_(new MenuBarView(menu, app)) {
    icon_->setToolTip("Kelvora");
    popup_->setWindowFlags(Qt::Popup);
    popup_->setAttribute(Qt::WA_QuitOnClose, false);
    popup_->setAccessibleName("Kelvora");
    // The popup grows once its check ends (the offer and its button): placed again then, it
    // stays on screen.
    popup_->installEventFilter(this);
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::Context) openPopup();
            });
    connect(popup_, &MenuBarView::openRequested, this, [this] {
        popup_->hide();
        openWindow_();
    });
    connect(popup_, &MenuBarView::quitRequested, this, [this] {
        popup_->hide();
        QCoreApplication::quit();
    });
    follow();
}

MenuBarExtra::~MenuBarExtra() {
    delete popup_;
}

void MenuBarExtra::follow() {
    bool shown = Prefs::showMenuBar();
    icon_->setVisible(shown);
    if (!shown) popup_->hide();
}

bool MenuBarExtra::keepsRunning() {
    return Prefs::showMenuBar() && QSystemTrayIcon::isSystemTrayAvailable();
}

void MenuBarExtra::quitWithLastWindow() {
    QApplication::setQuitOnLastWindowClosed(false);
    connect(qApp, &QGuiApplication::lastWindowClosed, this, [] {
        if (!keepsRunning()) QCoreApplication::quit();
    });
}

void MenuBarExtra::openPopup() {
    menu_.refresh();
    popup_->adjustSize();
    place();
    popup_->show();
    popup_->raise();
    popup_->activateWindow();
}

QRect MenuBarExtra::popupPlace(const QRect& anchor, const QRect& area, const QSize& size) {
    constexpr int kGap = 4;
    int x = anchor.center().x() - size.width() / 2;
    int y = anchor.center().y() < area.center().y() ? anchor.bottom() + 1 + kGap
                                                    : anchor.top() - kGap - size.height();
    // The last place that keeps the right and bottom edges inside; the top left wins when
    // the popup is larger than the area.
    x = std::max(area.left(), std::min(x, area.left() + area.width() - size.width()));
    y = std::max(area.top(), std::min(y, area.top() + area.height() - size.height()));
    return QRect(QPoint(x, y), size);
}

bool MenuBarExtra::eventFilter(QObject* watched, QEvent* event) {
    if (watched == popup_ && event->type() == QEvent::Resize && popup_->isVisible()) place();
    return QObject::eventFilter(watched, event);
}

// At the pointer when the tray does not say where its icon is.
void MenuBarExtra::place() {
    QRect anchor = icon_->geometry();
    if (!anchor.isValid()) anchor = QRect(QCursor::pos(), QSize(1, 1));
    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(anchor.topLeft(), QSize(1, 1));
    QRect placed = popupPlace(anchor, area, popup_->frameGeometry().size());
    popup_->move(placed.topLeft());
}

} // namespace kelvora
