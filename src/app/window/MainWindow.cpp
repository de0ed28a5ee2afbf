#include "window/MainWindow.h"

#include "controller/AppModel.h"
#include "controller/Updater.h"
#include "model/Format.h"
#include "window/AppEvents.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace kelvora {

namespace {

QString size(int64_t bytes) {
    return QString::fromStdString(Format::size(bytes));
}

QString phaseLine(const AppModel& model) {
    const AppModel::Phase& phase = model.phase();
    switch (phase.kind) {
    case AppModel::Phase::Kind::scanning:
        if (const auto& step = model.scanStep())
            return QString("Scanning: %1 (%2%)")
                .arg(QString::fromStdString(step->name))
                .arg(static_cast<int>(step->fraction * 100));
        return "Scanning…";
    case AppModel::Phase::Kind::ready:
        return QString("Found %1 items · %2 can go")
            .arg(phase.result->items.size())
            .arg(size(phase.result->reclaimable()));
    case AppModel::Phase::Kind::cleaning:
        return "Cleaning up…";
    case AppModel::Phase::Kind::done:
        return QString("Done: freed %1, %2 on the Undo Shelf")
            .arg(size(phase.report->freed))
            .arg(size(phase.report->shelved));
    }
    return {};
}

} // namespace

QString describeState(const AppModel& model) {
    if (model.showingWelcome()) return "Welcome to Kelvora.";
    QStringList lines{phaseLine(model)};
    lines << QString("Free: %1 of %2")
                 .arg(size(model.diskNow().available))
                 .arg(size(model.diskNow().total));
    lines << QString("Undo Shelf: %1").arg(size(model.shelfBytes()));
    if (const auto& notice = model.removedAppNotice())
        lines << QString::fromStdString(notice->title + ". " + notice->detail);
    if (const auto& error = model.shelfError()) lines << QString::fromStdString(*error);
    return lines.join('\n');
}

QString MainWindow::supportMailURL() {
    return "mailto:support@kelvora.app?subject=Kelvora%20help";
}

MainWindow::MainWindow(AppModel& model, Updater& updater, QWidget* parent)
    : QMainWindow(parent), model_(model), updater_(updater) {
    setObjectName("main");
    setWindowTitle("Kelvora");
    resize(1280, 820);
    setMinimumSize(1100, 720);
    setAcceptDrops(true);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    state_ = new QLabel(content);
    state_->setAlignment(Qt::AlignCenter);
    continueButton_ = new QPushButton("Continue", content);
    layout->addStretch();
    layout->addWidget(state_);
    layout->addWidget(continueButton_, 0, Qt::AlignHCenter);
    layout->addStretch();
    setCentralWidget(content);
    connect(continueButton_, &QPushButton::clicked, &model_, &AppModel::finishWelcome);

    buildMenus();
    connect(&model_, &AppModel::changed, this, &MainWindow::refresh);
    connect(&AppEvents::shared(), &AppEvents::kelvoraOpenApps, this,
            [this](const std::vector<URL>& urls) {
                if (auto app = firstApplication(urls)) model_.prepareUninstall(*app);
            });
    refresh();
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
    state_->setText(describeState(model_));
    continueButton_->setVisible(model_.showingWelcome());
    checkAgain_->setEnabled(!model_.showingWelcome() && model_.canScan());
    checkForUpdates_->setEnabled(updater_.canCheck());
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous() && !model_.showingWelcome()) model_.scan();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<URL> urls;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) urls.push_back(URL::fileURL(url.toLocalFile().toStdString()));
    if (urls.empty()) return;
    event->acceptProposedAction();
    emit AppEvents::shared().kelvoraOpenApps(urls);
}

} // namespace kelvora
