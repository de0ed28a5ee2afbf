#include "design/Theme.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>

namespace kelvora::Theme {

namespace {

struct Pair {
    unsigned light;
    unsigned dark;
};

// In the order of Token.
constexpr std::array<Pair, 12> kTokens{{
    {0xF4F2ED, 0x121211}, // ground
    {0xFFFFFF, 0x1A1A18}, // panel
    {0xECEAE4, 0x161615}, // sidebar
    {0x1A1A18, 0xEDEBE5}, // ink
    {0x4A4843, 0xA29F96}, // muted
    {0x6B6963, 0x8C897F}, // faint
    {0xDDD9D0, 0x2E2D2A}, // line
    {0xE6E2D9, 0x2A2926}, // track
    {0xEFECE5, 0x24231F}, // chip
    {0xE8590C, 0xFF6A1F}, // signal
    {0xB4440A, 0xFF8A4C}, // signalText
    {0x1A1A18, 0x121211}, // onSignal
}};

const Appearance* forced = nullptr;

} // namespace

Appearance appearance() {
    if (forced) return *forced;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return Appearance::light;
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128 ? Appearance::dark
                                                                                : Appearance::light;
}

unsigned rgb(Token token, Appearance appearance) {
    const Pair& pair = kTokens[static_cast<size_t>(token)];
    return appearance == Appearance::dark ? pair.dark : pair.light;
}

QColor color(Token token, Appearance appearance) {
    return QColor::fromRgb(rgb(token, appearance));
}

QColor color(Token token) {
    return color(token, appearance());
}

Scope::Scope(Appearance appearance) : previous_(forced), appearance_(appearance) {
    forced = &appearance_;
}

Scope::~Scope() {
    forced = previous_;
}

} // namespace kelvora::Theme
