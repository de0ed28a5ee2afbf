#include "window/SingleInstance.h"

#include "platform/AppPaths.h"
#include "window/AppEvents.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <cstdlib>

namespace kelvora {

namespace {

constexpr const char* kObjectPath = "/app/kelvora/Kelvora";

// Without an address Qt would try to start a bus of its own; we only use one that exists.
bool hasSessionBus() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    return address && *address && QDBusConnection::sessionBus().isConnected();
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

bool SingleInstance::claimOrForward(const QStringList& paths) {
    if (!hasSessionBus()) return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The object is in place before the name is claimed, so a start that finds the name
    // always finds someone to answer.
    bus.registerObject(kObjectPath, this, QDBusConnection::ExportAllSlots);
    if (bus.registerService(kBundleID)) return true;
    bus.unregisterObject(kObjectPath);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kBundleID, kObjectPath, kBundleID, "OpenApps");
    call << paths;
    QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    // A copy that does not answer cannot take the files; this start goes on by itself.
    return reply.type() != QDBusMessage::ReplyMessage;
}

void SingleInstance::OpenApps(const QStringList& paths) {
    std::vector<URL> urls;
    for (const QString& path : paths)
        urls.push_back(URL::fileURL(path.toStdString()));
    emit raiseRequested();
    if (!urls.empty()) emit AppEvents::shared().kelvoraOpenApps(urls);
}

} // namespace kelvora
