#pragma once

#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kelvora {

// One row of the login items tool: something that starts by itself.
struct LoginItem {
    enum class Source { userAgent, globalAgent, systemDaemon, appHelper, openAtLogin };
    // What starts it, which decides how it is read and switched: a launchd job, the list of
    // apps that open at login, a desktop autostart entry or a systemd unit.
    enum class Mechanism { launchd, systemEvents, autostart, systemdUnit };

    struct State {
        enum class Kind { running, waiting, off, notLoaded };
        Kind kind = Kind::notLoaded;
        int32_t pid = 0; // running, or switched off while the process it started runs on

        static State running(int32_t pid) { return {Kind::running, pid}; }
        static State waiting() { return {Kind::waiting, 0}; }
        static State off() { return {Kind::off, 0}; }
        // Switched off, so it won't start at the next login, while what it started runs on.
        static State offRunning(int32_t pid) { return {Kind::off, pid}; }
        static State notLoaded() { return {Kind::notLoaded, 0}; }
        bool operator==(const State&) const = default;
    };

    Source source = Source::userAgent;
    std::string label;
    std::optional<URL> file;
    std::optional<URL> program;
    bool programMissing = false;
    std::optional<std::string> owner;
    std::string name;
    std::string purpose;
    State state;
    bool startsAtLogin = false;
    bool isPlaceholder = false;
    Mechanism mechanism = Mechanism::launchd;
    // For an autostart entry installed for everyone: the user's entry of the same name,
    // which stands in its place for this user.
    std::optional<URL> userCopy;
    // Why this desktop does not start it, when its OnlyShowIn or NotShowIn leave it out.
    std::optional<std::string> desktopNote;
    // The icon its entry, or its program's, names: a theme's icon name or an image file.
    std::optional<std::string> icon;

    bool operator==(const LoginItem&) const = default;

    std::string id() const;
    bool isLeftover() const;
    bool canSwitchHere() const;
    bool isOff() const { return state.kind == State::Kind::off; }
    bool isRunning() const { return state.kind == State::Kind::running || state.pid > 0; }
    bool isActiveAtLogin() const;
};

std::string rawValue(LoginItem::Source source);
std::optional<LoginItem::Source> loginItemSource(const std::string& rawValue);

} // namespace kelvora

template <> struct std::hash<kelvora::LoginItem::State> {
    std::size_t operator()(const kelvora::LoginItem::State& state) const noexcept {
        return std::hash<int>()(static_cast<int>(state.kind)) * 31 ^
               std::hash<int32_t>()(state.pid);
    }
};

template <> struct std::hash<kelvora::LoginItem> {
    std::size_t operator()(const kelvora::LoginItem& item) const noexcept;
};
