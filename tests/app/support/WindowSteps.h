#pragma once

#include "app/support/EventLoop.h"

#include "controller/AppModel.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/MainWindow.h"
#include "window/RootView.h"

#include <gtest/gtest.h>

#include <QTest>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvora::testing {

// Shows the window at the size, active as the desktop makes it, and waits for the scan that
// showing it starts.
inline void showAndScan(MainWindow& window, AppModel& model, QSize size = {1280, 820}) {
    window.resize(size);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << "the window shows";
    ASSERT_TRUE(waitUntil([&] { return model.phase().is(AppModel::Phase::Kind::ready); }))
        << "the scan that showing it starts ends";
}

inline DetailedView* detailedView(MainWindow& window) {
    return qobject_cast<DetailedView*>(window.root()->mainView());
}

// Clicks the sidebar's row of the detailed view the window shows.
inline void clickSidebarRow(MainWindow& window, Sidebar::Destination destination,
                            std::optional<JunkKind> kind = std::nullopt) {
    DetailedView* detailed = detailedView(window);
    ASSERT_TRUE(detailed) << "the window shows the detailed view";
    SidebarList* list = qobject_cast<DetailSidebar*>(detailed->sidebar())->list();
    QTest::mouseClick(list, Qt::LeftButton, {}, list->rowRect(destination, kind).center());
}

// The variables of a desktop session, which desktop and which language, for one test; the
// old ones are put back after.
class DesktopSession {
public:
    DesktopSession(const std::string& currentDesktop, const std::string& language) {
        set("XDG_CURRENT_DESKTOP", currentDesktop);
        set("LANG", language);
        set("LC_ALL", std::nullopt);
        set("LC_MESSAGES", std::nullopt);
    }
    ~DesktopSession() {
        for (const auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

private:
    void set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace kelvora::testing
