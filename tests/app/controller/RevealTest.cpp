#include "controller/Reveal.h"
#include "app/controller/RevealTest.h"
#include "app/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDesktopServices>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelvora::testing {
namespace {

// A session bus of the test's own, ended with the test.
struct PrivateBus {
    std::string address;
    int pid = 0;
    PrivateBus() {
        FILE* daemon = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        if (!daemon) return;
        char line[512] = {};
        if (std::fgets(line, sizeof line, daemon)) address = std::string(line, strcspn(line, "\n"));
        if (std::fgets(line, sizeof line, daemon)) pid = std::atoi(line);
        pclose(daemon);
    }
    ~PrivateBus() {
        if (pid > 0) kill(pid, SIGTERM);
    }
};

// Showing a file asks the file manager and goes on at once: the window never waits for its
// answer, and a file manager that answers keeps the folder from opening a second time.
TEST(RevealTest, ShowingAFileNeverWaitsForTheFileManagersAnswer) {
    PrivateBus bus;
    if (bus.address.empty() || bus.pid <= 0) GTEST_SKIP() << "dbus-daemon could not start";
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.address.c_str(), 1);
    eventLoop();
    QDBusConnection service =
        QDBusConnection::connectToBus(QString::fromStdString(bus.address), "file-manager");
    FakeFileManager fileManager;
    ASSERT_TRUE(service.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));
    FolderOpener opener;
    QDesktopServices::setUrlHandler("file", &opener, "open");

    revealInFileManager(URL::fileURL("/tmp/report.txt"));
    EXPECT_TRUE(fileManager.shown.isEmpty()) << "the call went on its way without waiting";
    ASSERT_TRUE(waitUntil([&] { return !fileManager.shown.isEmpty(); }));
    EXPECT_EQ(fileManager.shown, QStringList{"file:///tmp/report.txt"});
    settle();
    EXPECT_TRUE(opener.opened.isEmpty()) << opener.opened.join(", ").toStdString();

    QDesktopServices::unsetUrlHandler("file");
    QDBusConnection::disconnectFromBus("file-manager");
}

} // namespace
} // namespace kelvora::testing
