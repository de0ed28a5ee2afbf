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
#include <QUrl>

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

void MainWindow::buildMenus() {
    QMenu* appMenu = menuBar()->addMenu("Kelvora");
    checkForUpdates_ =
        appMenu->addAction("Check for Updates…", this, [this] { updater_.checkForUpdates(); });
    appMenu->addSeparator();
    settings_ = appMenu->addAction("Settings…", QKeySequence(Qt::CTRL | Qt::Key_Comma), this,
                                   &MainWindow::settingsRequested);
    appMenu->addSeparator();
    appMenu->addAction("Quit Kelvora", QKeySequence::Quit, QCoreApplication::instance(),
                       &QCoreApplication::quit);

    QMenu* fileMenu = menuBar()->addMenu("File");
    checkAgain_ = fileMenu->addAction("Check Again", QKeySequence(Qt::CTRL | Qt::Key_R), &model_,
                                      &AppModel::scan);

    QMenu* helpMenu = menuBar()->addMenu("Help");
    showWelcome_ =
        helpMenu->addAction("Show Welcome", &model_, [this] { model_.setShowingWelcome(true); });
    systemData_ = helpMenu->addAction("What Is System Data?", &model_,
                                      [this] { model_.setShowingSystemDataHelp(true); });
    helpMenu->addSeparator();
    contactSupport_ = helpMenu->addAction("Contact Support…", this, [] {
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
    if (!event->spontaneous() && !model_.showingWelcome()) model_.scan();
}

} // namespace kelvora
