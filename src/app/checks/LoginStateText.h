#pragma once

#include "login/LoginItem.h"

#include <optional>
#include <string>

namespace kelvora {

// "running(pid: <pid>)", "waiting", "off", "off(pid: <pid>)" while what it started still runs,
// or "notLoaded".
std::string loginStateText(const LoginItem::State& state);

// The first login item the live reader lists with this label (and source, when given).
std::optional<LoginItem> findLoginItem(const std::string& label,
                                       std::optional<LoginItem::Source> source = std::nullopt);

std::string currentUserDomain(); // "gui/<uid>"

} // namespace kelvora
