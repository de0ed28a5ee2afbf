#include "controller/Reveal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QStringList>
#include <QUrl>

#include <cstdlib>

namespace kelvora {

namespace {

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
    return bus.call(call, QDBus::Block, 3000).type() == QDBusMessage::ReplyMessage;
}

} // namespace

void revealInFileManager(const URL& url) {
    revealInFileManager(std::vector<URL>{url});
}

void revealInFileManager(const std::vector<URL>& urls) {
    if (urls.empty() || askFileManager(urls)) return;
    const URL& url = urls.front();
    URL folder = url.path() == "/" ? url : url.deletingLastPathComponent();
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.path())));
}

} // namespace kelvora
