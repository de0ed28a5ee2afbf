#include "window/Application.h"

#include "artwork/Artwork.h"
#include "controller/AppModel.h"
#include "controller/Prefs.h"
#include "controller/Updater.h"
#include "design/Fonts.h"
#include "menubar/MenuBarExtra.h"
#include "menubar/MenuBarModel.h"
#include "onboarding/SettingsView.h"
#include "platform/AppPaths.h"
#include "window/AppEvents.h"
#include "window/MainWindow.h"
#include "window/SingleInstance.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvora {

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int) {
    char byte = 1;
    [[maybe_unused]] auto written = write(signalPipe[1], &byte, 1);
}

// A terminate or interrupt signal ends the event loop, so the application quits as if
// its last window had been closed on purpose.
void quitOnTerminate(QApplication& app) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] auto got = read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void bringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

std::vector<URL> urlsOf(const QStringList& paths) {
    std::vector<URL> urls;
    for (const QString& path : paths)
        urls.push_back(URL::fileURL(path.toStdString()).standardized());
    return urls;
}

// A fresh settings view each time the window opens: it starts from the stored list, a
// fresh reading of the helper and no error.
void openSettings(QPointer<SettingsView>& settings, AppModel& model, MenuBarExtra& extra,
                  MainWindow& window) {
    if (!settings) {
        settings = new SettingsView(model);
        settings->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(settings, &SettingsView::showMenuBarChanged, &extra,
                         &MenuBarExtra::follow);
        QObject::connect(settings, &SettingsView::welcomeShown, &window,
                         [&window] { bringForward(window); });
    }
    bringForward(*settings);
}

// Without a display Qt ends the process with an abort; say so in plain words instead.
bool displayNamed(int argc, char** argv) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(name); value && *value) return true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0) return true;
    return false;
}

} // namespace

// Made absolute here: a running copy that is handed them has another working folder, and
// a relative path would reach the cleaner as no file on this disk.
QStringList openedPaths(const QStringList& arguments) {
    QStringList paths;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments[i].startsWith('-'))
            paths << QDir::cleanPath(QFileInfo(arguments[i]).absoluteFilePath());
    return paths;
}

int runApplication(int argc, char** argv) {
    if (!displayNamed(argc, argv)) {
        std::fprintf(stderr,
                     "Kelvora needs a graphical display, and none is set (DISPLAY or "
                     "WAYLAND_DISPLAY).\nStart it from a desktop session, or under a virtual "
                     "display: xvfb-run %s\n",
                     argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(kAppName);
    QApplication::setDesktopFileName(kBundleID);

    QStringList paths = openedPaths(QApplication::arguments());
    SingleInstance instance;
    if (!instance.claimOrForward(paths)) return 0;

    Fonts::registerFonts();
    QApplication::setWindowIcon(Artwork::appIcon());
    Prefs::applyAppearance();
    AppModel model(DiskScanner::live(), Cleaner(DiskScanner::liveRunningApps),
                   UndoShelf(UndoShelf::defaultRoot(), 7));
    Updater updater;
    MainWindow window(model, updater);
    MenuBarModel menu;
    MenuBarExtra extra(menu, model, [&window] { bringForward(window); });
    QPointer<SettingsView> settings;
    QObject::connect(&window, &MainWindow::settingsRequested, &window,
                     [&] { openSettings(settings, model, extra, window); });
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window,
                     [&window] { bringForward(window); });

    extra.quitWithLastWindow();
    quitOnTerminate(app);

    window.show();
    if (!paths.isEmpty()) emit AppEvents::shared().kelvoraOpenApps(urlsOf(paths));
    int status = QApplication::exec();
    delete settings;
    // Scans, searches and measurements only read: they stop where they are and need not
    // hold up the quit. A clean-up finishes the item in hand, so nothing is left half
    // moved, and is waited for; the shelf's own records cover what it had not reached.
    model.stopWork();
    if (!model.isChangingFiles()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

} // namespace kelvora
