#include "checks/LoginStateText.h"

#include "login/LoginItemScanner.h"

#include <unistd.h>

namespace kelvora {

std::string loginStateText(const LoginItem::State& state) {
    switch (state.kind) {
    case LoginItem::State::Kind::running:
        return "running(pid: " + std::to_string(state.pid) + ")";
    case LoginItem::State::Kind::waiting:
        return "waiting";
    case LoginItem::State::Kind::off:
        return state.pid > 0 ? "off(pid: " + std::to_string(state.pid) + ")" : "off";
    case LoginItem::State::Kind::notLoaded:
        return "notLoaded";
    }
    return "notLoaded";
}

std::optional<LoginItem> findLoginItem(const std::string& label,
                                       std::optional<LoginItem::Source> source) {
    for (const LoginItem& item : LoginItemScanner::live().scan())
        if (item.label == label && (!source || item.source == *source)) return item;
    return std::nullopt;
}

std::string currentUserDomain() {
    return "gui/" + std::to_string(getuid());
}

} // namespace kelvora
