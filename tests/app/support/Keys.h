#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace kelvora::testing {

// Presses Tab in a window until `target` has the focus, at least once so the keyboard
// brought it there (a window's first focus comes with its activation instead); whether it
// got there within `most` presses.
inline bool tabTo(QWidget& window, const QWidget& target, int most = 8) {
    for (int presses = 0; presses < most; ++presses) {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : &window, Qt::Key_Tab);
        if (target.hasFocus()) return true;
    }
    return false;
}

} // namespace kelvora::testing
