#include "window/MainWindow.h"

#include "controller/AppModel.h"
#include "controller/Updater.h"
#include "window/RootView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>

namespace kelvora {

QString MainWindow::supportMailURL() {
    return "mailto:support@kelvora.app?subject=Kelvora%20help";
}

MainWindow::MainWindow(AppModel& model, Updater& updater, QWidget* parent)
    : QMainWindow(parent), model_(model), updater_(updater) {
    setObjectName("main");
    setWindowTitle("Kelvora");
    setMinimumSize(kSmallestSize);
    openOnScreen();
    root_ = new RootView(model_, 0, this);
    setCentralWidget(root_);
    buildMenus();
    model_.follow({&AppModel::navigationChanged, &AppModel::scanChanged}, this,
                  &MainWindow::refresh);
    refresh();
}

QSize MainWindow::firstSize(const QSize& available) {
    return kDefaultSize.boundedTo(available).expandedTo(kSmallestSize);
}

// A window larger than the screen would hide its own foot and buttons: it opens within the
// screen's free area, centred on it.
void MainWindow::openOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(kDefaultSize);
        return;
    }
    const QRect area = screen->availableGeometry();
    resize(firstSize(area.size()));
    move(area.topLeft() + QPoint(std::max(0, (area.width() - width()) / 2),
                                 std::max(0, (area.height() - height()) / 2)));
}

MainWindow::ScreenFit MainWindow::fitIn(const QRect& area, const QMargins& frame,
                                        const QRect& geometry) {
    const QSize room = area.marginsRemoved(frame).size().expandedTo({1, 1});
    const QSize minimum = kSmallestSize.boundedTo(room);
    const QSize size = geometry.size().boundedTo(room).expandedTo(minimum);
    const QSize outer = size.grownBy(frame);
    const QPoint corner = geometry.topLeft() - QPoint(frame.left(), frame.top());
    // A frame larger than the area keeps its top left corner, title bar and all, in it.
    const QPoint inside(
        std::max(area.left(), std::min(corner.x(), area.right() + 1 - outer.width())),
        std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - outer.height())));
    return {minimum, QRect(inside + QPoint(frame.left(), frame.top()), size)};
}

// The screen or its free area may change under the window (a panel added, another monitor):
// the window fits again each time.
void MainWindow::followScreen(QScreen* screen) {
    disconnect(screenArea_);
    if (screen)
        screenArea_ = connect(screen, &QScreen::availableGeometryChanged, this,
                              &MainWindow::fitToScreen, Qt::QueuedConnection);
    QTimer::singleShot(0, this, &MainWindow::fitToScreen);
}

void MainWindow::fitToScreen() {
    QWindow* window = windowHandle();
    if (!window || !window->screen() || !isVisible()) return;
    fittedFrame_ = window->frameMargins();
    const ScreenFit fit = fitIn(window->screen()->availableGeometry(), fittedFrame_, geometry());
    if (minimumSize() != fit.minimum) setMinimumSize(fit.minimum);
    // A maximised or full-screen window is the window manager's to place.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    if (geometry() != fit.geometry) setGeometry(fit.geometry);
}

// Each menu and command has its access key, underlined when Alt is held: Alt and the letter
// open a menu, the letter alone then picks a command in it.
void MainWindow::buildMenus() {
    QMenu* appMenu = menuBar()->addMenu("&Kelvora");
    checkForUpdates_ =
        appMenu->addAction("Check for &Updates…", this, [this] { updater_.checkForUpdates(); });
    appMenu->addSeparator();
    settings_ = appMenu->addAction("&Settings…", QKeySequence(Qt::CTRL | Qt::Key_Comma), this,
                                   &MainWindow::settingsRequested);
    appMenu->addSeparator();
    appMenu->addAction("&Quit Kelvora", QKeySequence::Quit, QCoreApplication::instance(),
                       &QCoreApplication::quit);

    QMenu* fileMenu = menuBar()->addMenu("&File");
    checkAgain_ = fileMenu->addAction("Check &Again", QKeySequence(Qt::CTRL | Qt::Key_R), &model_,
                                      &AppModel::scan);

    QMenu* helpMenu = menuBar()->addMenu("&Help");
    showWelcome_ =
        helpMenu->addAction("Show &Welcome", &model_, [this] { model_.setShowingWelcome(true); });
    systemData_ = helpMenu->addAction("What Is System &Data?", &model_,
                                      [this] { model_.setShowingSystemDataHelp(true); });
    helpMenu->addSeparator();
    contactSupport_ = helpMenu->addAction("&Contact Support…", this, [] {
        QUrl url(supportMailURL());
        if (url.isValid()) QDesktopServices::openUrl(url);
    });
}

void MainWindow::refresh() {
    checkAgain_->setEnabled(!model_.showingWelcome() && model_.canScan());
    checkForUpdates_->setEnabled(updater_.canCheck());
    // The question has an answer here only while the category shows.
    systemData_->setVisible(model_.canShowSystemDataHelp());
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && windowHandle()) {
        connect(windowHandle(), &QWindow::screenChanged, this, &MainWindow::followScreen,
                Qt::UniqueConnection);
        followScreen(windowHandle()->screen());
    }
    if (!event->spontaneous() && !model_.showingWelcome()) model_.scan();
}

// The window manager tells the frame by moving the window into it; a move the user makes
// keeps the frame, and the window stays where it was put.
void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    if (windowHandle() && windowHandle()->frameMargins() != fittedFrame_)
        QTimer::singleShot(0, this, &MainWindow::fitToScreen);
}

} // namespace kelvora
