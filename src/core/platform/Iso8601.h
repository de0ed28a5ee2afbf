#pragma once

#include "platform/Date.h"

#include <optional>
#include <string>

namespace kelvora {

// "2026-12-06T10:15:13Z": UTC, whole seconds.
std::string formatIso8601(Date date);
// Accepts "Z" or a "+hh:mm"/"+hhmm" offset and optional fractional seconds.
std::optional<Date> parseIso8601(const std::string& text);

} // namespace kelvora
