#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace kelvora {

using Json = nlohmann::json;

enum class PlistFormat { xml, binary };

// Property lists come in as JSON values: dictionaries, arrays, strings, integers, reals and
// booleans as themselves, dates as ISO-8601 text, data as base64 text.
std::optional<Json> parsePlist(const std::string& bytes);
std::optional<Json> readPlist(const std::string& path);
// Writes a JSON value as a property list (for fixtures and the stand-in tools).
bool writePlist(const Json& value, const std::string& path, PlistFormat format = PlistFormat::xml);
std::string plistText(const Json& value, PlistFormat format = PlistFormat::xml);

// Small readers for the shapes the scanners look at.
std::optional<std::string> plistString(const Json& dict, const std::string& key);
std::optional<bool> plistBool(const Json& dict, const std::string& key);

} // namespace kelvora
