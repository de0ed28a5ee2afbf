#pragma once

#include "login/LoginItem.h"

#include <vector>

namespace kelvora::LoginItemsOrder {

// The order the login items tool lists them in: applications, then background agents, then
// system daemons; running items first and switched-off ones last; then by name.
std::vector<LoginItem> sorted(std::vector<LoginItem> items);

} // namespace kelvora::LoginItemsOrder
