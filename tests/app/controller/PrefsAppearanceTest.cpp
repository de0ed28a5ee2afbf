#include "controller/Prefs.h"
#include "design/Theme.h"

#include "app/support/IsolatedHome.h"

#include <QApplication>
#include <QPalette>
#include <gtest/gtest.h>

using namespace kelvora;

namespace {

QApplication& application() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "kelvora_app_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

TEST(PrefsAppearanceTest, DarkDarkensTheWindowAndOtherTextsFollowTheSystem) {
    kelvora::testing::IsolatedHome env;
    application();
    const bool systemIsDark = QApplication::palette().color(QPalette::Window).lightness() < 128;

    Prefs::setString(Prefs::Key::appearance, "dark");
    Prefs::applyAppearance();
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 60);

    Prefs::setString(Prefs::Key::appearance, "sepia");
    Prefs::applyAppearance();
    EXPECT_EQ(
        QApplication::palette().color(QPalette::Window),
        Theme::palette(systemIsDark ? Appearance::dark : Appearance::light).color(QPalette::Window))
        << "the desktop's shade, in the application's own colours";

    Prefs::setString(Prefs::Key::appearance, "light");
    Prefs::applyAppearance();
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 150);
}

} // namespace
