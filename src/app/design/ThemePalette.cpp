// The application's palette and face, applied from the appearance setting. Declared with the
// settings (Prefs::applyAppearance), made here from the design's tokens and text face.
#include "controller/Prefs.h"
#include "design/Fonts.h"
#include "design/Theme.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace kelvora {

QPalette Theme::palette(Appearance appearance) {
    auto token = [appearance](Token t) { return color(t, appearance); };
    QPalette palette;
    palette.setColor(QPalette::Window, token(Token::ground));
    palette.setColor(QPalette::WindowText, token(Token::ink));
    palette.setColor(QPalette::Base, token(Token::panel));
    palette.setColor(QPalette::AlternateBase, token(Token::sidebar));
    palette.setColor(QPalette::ToolTipBase, token(Token::panel));
    palette.setColor(QPalette::ToolTipText, token(Token::ink));
    palette.setColor(QPalette::PlaceholderText, token(Token::faint));
    palette.setColor(QPalette::Text, token(Token::ink));
    palette.setColor(QPalette::Button, token(Token::panel));
    palette.setColor(QPalette::ButtonText, token(Token::ink));
    palette.setColor(QPalette::BrightText, token(Token::panel));
    palette.setColor(QPalette::Light, token(Token::panel));
    palette.setColor(QPalette::Midlight, token(Token::chip));
    palette.setColor(QPalette::Mid, token(Token::line));
    palette.setColor(QPalette::Dark, token(Token::track));
    palette.setColor(QPalette::Shadow, token(Token::line));
    palette.setColor(QPalette::Highlight, token(Token::signal));
    palette.setColor(QPalette::HighlightedText, token(Token::onSignal));
    palette.setColor(QPalette::Link, token(Token::signalText));
    palette.setColor(QPalette::LinkVisited, token(Token::signalText));
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, token(Token::faint));
    return palette;
}

void Prefs::applyAppearance() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    kelvora::Appearance shade = kelvora::Appearance::light;
    switch (appearance()) {
    case Prefs::Appearance::system:
        // The desktop's own palette says whether it is light or dark.
        QApplication::setPalette(QPalette());
        shade = QApplication::palette().color(QPalette::Window).lightness() < 128
                    ? kelvora::Appearance::dark
                    : kelvora::Appearance::light;
        break;
    case Prefs::Appearance::light:
        break;
    case Prefs::Appearance::dark:
        shade = kelvora::Appearance::dark;
        break;
    }
    // The toolkit's own menus, pop-ups, dialogs and tooltips take the accent and the text
    // face like every other control.
    QApplication::setPalette(Theme::palette(shade));
    QApplication::setFont(Fonts::text(13));
    // The views draw with colours looked up at paint time, not from the palette, so a
    // palette that did not change (or a widget that ignores it) is repainted all the same.
    for (QWidget* widget : QApplication::allWidgets())
        widget->update();
}

} // namespace kelvora
