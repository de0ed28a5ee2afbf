#include "window/MainWindow.h"

#include "controller/AppModel.h"
#include "controller/Updater.h"
#include "design/WindowFit.h"
#include "window/RootView.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenuBar>
#include <QShowEvent>
#include <QUrl>

namespace kelvora {

QString MainWindow::supportMailURL() {
    return "mailto:support@kelvora.app?subject=Kelvora%20help";
}

MainWindow::MainWindow(AppModel& model, Updater& updater, QWidget* parent)
    : QMainWindow(parent), model_(model), updater_(updater) {
    setObjectName("main");
    setWindowTitle("Kelvora");
    // A window larger than the screen would hide its own foot and buttons.
    WindowFit::keep(*this, kDefaultSize, kSmallestSize);
    root_ = new RootView(model_, 0, this);
    setCentralWidget(root_);
    buildMenus();
    model_.follow({&AppModel::navigationChanged, &AppModel::scanChanged}, this,
                  &MainWindow::refresh);
    refresh();
}

QSize MainWindow::firstSize(const QSize& available) {
    return WindowFit::firstSize(kDefaultSize, kSmallestSize, available);
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
    if (!event->spontaneous() && !model_.showingWelcome()) model_.scan();
}

} // namespace kelvora
