#pragma once

#include <QColor>
#include <QPalette>

namespace kelvora {

// The twelve colours every view draws with, each a light and a dark value.
enum class Token {
    ground,     // window background
    panel,      // cards and panels
    sidebar,    // sidebar background
    ink,        // primary text and dark strokes
    muted,      // secondary text
    faint,      // tertiary text, captions
    line,       // hairlines and borders
    track,      // empty part of meters and of the dial
    chip,       // fills of chips and badges
    signal,     // the orange accent
    signalText, // text drawn in the accent colour
    onSignal,   // text on an accent fill: dark in both appearances
};

enum class Appearance { light, dark };

// Colours are looked up at every draw, never kept: a view calls `Theme::ink()` (or
// `Theme::color(Token::ink)`) inside its paint code, so a change of appearance shows at the
// next repaint.
namespace Theme {

// The appearance in force now: the one a `Theme::Scope` forces, else dark when the
// application palette's window colour is dark. The palette follows the appearance setting
// (Prefs::applyAppearance), and for "system" the desktop's own colours.
Appearance appearance();

QColor color(Token token);
QColor color(Token token, Appearance appearance);
// The 0xRRGGBB value of a token in one appearance.
unsigned rgb(Token token, Appearance appearance);

inline QColor ground() {
    return color(Token::ground);
}
inline QColor panel() {
    return color(Token::panel);
}
inline QColor sidebar() {
    return color(Token::sidebar);
}
inline QColor ink() {
    return color(Token::ink);
}
inline QColor muted() {
    return color(Token::muted);
}
inline QColor faint() {
    return color(Token::faint);
}
inline QColor line() {
    return color(Token::line);
}
inline QColor track() {
    return color(Token::track);
}
inline QColor chip() {
    return color(Token::chip);
}
inline QColor signal() {
    return color(Token::signal);
}
inline QColor signalText() {
    return color(Token::signalText);
}
inline QColor onSignal() {
    return color(Token::onSignal);
}

// The application's palette in one appearance, from the tokens: windows in `ground`, fields
// and menus in `panel`, text in `ink`, and what is selected or hovered (a menu's item, a
// list's row, a field's selection) in the `signal` accent with `onSignal` on it. The
// appearance setting applies it (Prefs::applyAppearance).
QPalette palette(Appearance appearance);

// Forces one appearance while it lives, whatever the palette says: pictures that must come
// out the same on every desktop (artwork, snapshots) draw inside one. Scopes nest; use them
// on the main thread only.
class Scope {
public:
    explicit Scope(Appearance appearance);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    const Appearance* previous_;
    Appearance appearance_;
};

} // namespace Theme
} // namespace kelvora
