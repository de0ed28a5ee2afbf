#include "login/LoginItem.h"

#include <array>

namespace kelvora {

namespace {

constexpr std::array<std::pair<LoginItem::Source, const char*>, 5> kSourceNames = {{
    {LoginItem::Source::userAgent, "userAgent"},
    {LoginItem::Source::globalAgent, "globalAgent"},
    {LoginItem::Source::systemDaemon, "systemDaemon"},
    {LoginItem::Source::appHelper, "appHelper"},
    {LoginItem::Source::openAtLogin, "openAtLogin"},
}};

} // namespace

std::string rawValue(LoginItem::Source source) {
    for (const auto& [value, name] : kSourceNames)
        if (value == source) return name;
    return {};
}

std::optional<LoginItem::Source> loginItemSource(const std::string& text) {
    for (const auto& [value, name] : kSourceNames)
        if (text == name) return value;
    return std::nullopt;
}

std::string LoginItem::id() const {
    return rawValue(source) + ":" + label;
}

bool LoginItem::isLeftover() const {
    bool usersOwn = source == Source::userAgent ||
                    (source == Source::openAtLogin && mechanism == Mechanism::autostart);
    return usersOwn && programMissing && !isPlaceholder;
}

bool LoginItem::canSwitchHere() const {
    return source == Source::userAgent || source == Source::globalAgent ||
           source == Source::openAtLogin;
}

bool LoginItem::isActiveAtLogin() const {
    return startsAtLogin && !programMissing && !desktopNote &&
           (state.kind == State::Kind::running || state.kind == State::Kind::waiting);
}

} // namespace kelvora

std::size_t
std::hash<kelvora::LoginItem>::operator()(const kelvora::LoginItem& item) const noexcept {
    std::size_t seed = 0;
    auto mix = [&seed](std::size_t value) {
        seed ^= value + 0x9e3779b9 + (seed << 6) + (seed >> 2);
    };
    mix(std::hash<int>()(static_cast<int>(item.source)));
    mix(std::hash<std::string>()(item.label));
    mix(item.file ? std::hash<kelvora::URL>()(*item.file) : 0);
    mix(item.program ? std::hash<kelvora::URL>()(*item.program) : 0);
    mix(item.programMissing);
    mix(item.owner ? std::hash<std::string>()(*item.owner) : 0);
    mix(std::hash<std::string>()(item.name));
    mix(std::hash<std::string>()(item.purpose));
    mix(std::hash<kelvora::LoginItem::State>()(item.state));
    mix(item.startsAtLogin);
    mix(item.isPlaceholder);
    mix(std::hash<int>()(static_cast<int>(item.mechanism)));
    mix(item.userCopy ? std::hash<kelvora::URL>()(*item.userCopy) : 0);
    mix(item.desktopNote ? std::hash<std::string>()(*item.desktopNote) : 0);
    mix(item.icon ? std::hash<std::string>()(*item.icon) : 0);
    return seed;
}
