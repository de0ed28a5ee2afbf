#pragma once

#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "design/Design.h"

#include <QApplication>
#include <QTest>

#include <atomic>

namespace kelvora::testing {

// A controller over a fixture home whose access test answers what the test says, and names
// the folders the test says are closed, for the views that watch the permission.
class OnboardingTest : public ControllerTest {
protected:
    OnboardingTest() { Fonts::registerFonts(KELVORA_FONTS_DIR); }

    std::unique_ptr<AppModel> makeModel() {
        AppModel::Tools custom = tools();
        custom.hasFullDiskAccess = [this] { return granted.load(); };
        custom.closedFolders = [this] { return closed; };
        return ControllerTest::makeModel(std::move(custom));
    }

    // A widget as a still picture draws it, in one appearance.
    static QImage picture(QWidget& widget, QSize size, Appearance appearance) {
        Theme::Scope scope(appearance);
        Snapshot::setSnapshot(&widget, true);
        return Render::widget(widget, size);
    }

    // A widget shown as a window with the keyboard's focus, for keys and clicks.
    static void showActive(QWidget& window, QSize size) {
        window.resize(size);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    static QRectF placeOf(const QWidget* widget, const QWidget* root) {
        return QRectF(widget->mapTo(root, QPoint(0, 0)), widget->size());
    }

    static const char* name(Appearance appearance) {
        return appearance == Appearance::light ? "light" : "dark";
    }

    std::atomic<bool> granted{true};
    // What the access test finds closed; read on the main thread only.
    std::vector<std::string> closed;
};

} // namespace kelvora::testing
