#include "window/Application.h"

#include <QApplication>
#include <QMainWindow>

namespace kelvora {

int runApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvora");
    QMainWindow window;
    window.setObjectName("main");
    window.setWindowTitle("Kelvora");
    window.resize(1280, 820);
    window.setMinimumSize(1100, 720);
    window.show();
    return QApplication::exec();
}

} // namespace kelvora
