#include "controller/Prefs.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QWidget>

namespace kelvora::Prefs {

namespace {

QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x1e, 0x1e, 0x20), base(0x16, 0x16, 0x18), text(0xec, 0xec, 0xee);
    const QColor accent(0x3d, 0x8b, 0xfd), muted(0x80, 0x80, 0x86);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, muted);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, accent);
    palette.setColor(QPalette::Disabled, QPalette::Text, muted);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, muted);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, muted);
    return palette;
}

} // namespace

void applyAppearance() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    switch (appearance()) {
    case Appearance::system:
        // An empty palette hands the colours back to the desktop's theme.
        QApplication::setPalette(QPalette());
        break;
    case Appearance::light:
        QApplication::setPalette(QApplication::style()->standardPalette());
        break;
    case Appearance::dark:
        QApplication::setPalette(darkPalette());
        break;
    }
    // The views draw with colours looked up at paint time, not from the palette, so a
    // palette that did not change (or a widget that ignores it) is repainted all the same.
    for (QWidget* widget : QApplication::allWidgets())
        widget->update();
}

} // namespace kelvora::Prefs
