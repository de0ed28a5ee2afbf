#pragma once

#include "login/LoginItem.h"

#include <QLocale>

#include <vector>

namespace kelvora::LoginItemsOrder {

// The three groups the login items tool lists, in its order.
enum class Section { apps, background, everyone };

// Applications' helpers and open-at-login applications, then agents, then system daemons.
Section section(LoginItem::Source source);

// The order the login items tool lists them in: applications, then background agents, then
// system daemons; running items first and switched-off ones last; then by name, letter case
// aside, as the user's language orders names.
std::vector<LoginItem> sorted(std::vector<LoginItem> items);
// The same in a given language.
std::vector<LoginItem> sorted(std::vector<LoginItem> items, const QLocale& locale);

} // namespace kelvora::LoginItemsOrder
