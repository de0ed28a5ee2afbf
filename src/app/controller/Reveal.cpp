#include "controller/Reveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QStringList>
#include <QUrl>

#include <cstdlib>

namespace kelvora {

namespace {

void openFolderOf(const URL& url) {
    URL folder = url.path() == "/" ? url : url.deletingLastPathComponent();
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.path())));
}

// The file manager is asked without waiting for its answer: a slow or stuck one must never
// hold the window. Only a refusal falls back to opening the folder.
bool askFileManager(const std::vector<URL>& urls) {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address || !*address) return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1",
                                                       "/org/freedesktop/FileManager1",
                                                       "org.freedesktop.FileManager1", "ShowItems");
    QStringList items;
    for (const URL& url : urls)
        items << QUrl::fromLocalFile(QString::fromStdString(url.path())).toString();
    call << items << QString();
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000));
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, [answer, first = urls.front()] {
        if (answer->isError()) openFolderOf(first);
        answer->deleteLater();
    });
    return true;
}

} // namespace

void revealInFileManager(const URL& url) {
    revealInFileManager(std::vector<URL>{url});
}

void revealInFileManager(const std::vector<URL>& urls) {
    if (!urls.empty() && !askFileManager(urls)) openFolderOf(urls.front());
}

} // namespace kelvora
