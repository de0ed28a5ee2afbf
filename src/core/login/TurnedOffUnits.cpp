#include "login/TurnedOffUnits.h"

#include "login/SystemdUnits.h"
#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace kelvora {

namespace {

// A name read back goes into paths and onto systemctl's command line: only a unit's own
// name, never a path or an option; and JSON holds only text.
bool isPlainUnitName(const std::string& name) {
    return SystemdUnits::isUnitName(name) && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos && name.front() != '-' && name.front() != '.' &&
           isValidUtf8(name);
}

std::vector<std::string> normalized(std::vector<std::string> names) {
    std::erase_if(names, [](const std::string& name) { return !isPlainUnitName(name); });
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::vector<std::string> decode(const std::optional<std::string>& bytes) {
    if (!bytes) return {};
    const auto doc = nlohmann::json::parse(*bytes, nullptr, false);
    const auto units = doc.is_object() ? doc.find("units") : doc.end();
    if (units == doc.end() || !units->is_array()) return {};
    std::vector<std::string> names;
    for (const auto& unit : *units)
        if (unit.is_string()) names.push_back(unit.get<std::string>());
    return normalized(std::move(names));
}

std::vector<std::string> read(const URL& file) {
    return decode(readFile(file.path(), TurnedOffUnits::kMaxFileBytes));
}

} // namespace

URL TurnedOffUnits::defaultFile() {
    return URL::fileURL(joinPath(AppPaths::appDataFolder(), "turned-off-units.json"));
}

std::vector<std::string> TurnedOffUnits::names() const {
    return read(file);
}

void TurnedOffUnits::remember(const std::string& unit) const {
    keepOnly([&](std::vector<std::string> names) {
        names.push_back(unit);
        return names;
    });
}

void TurnedOffUnits::forget(const std::string& unit) const {
    keepOnly([&](std::vector<std::string> names) {
        std::erase(names, unit);
        return names;
    });
}

std::vector<std::string> TurnedOffUnits::keepOnly(
    const std::function<std::vector<std::string>(const std::vector<std::string>&)>& stillOff)
    const {
    const std::vector<std::string> now = read(file);
    std::vector<std::string> kept = normalized(stillOff(now));
    if (kept == now) return kept;
    changeLockedFile(file.path(), kMaxFileBytes,
                     [&](const std::optional<std::string>& bytes) -> std::optional<std::string> {
                         const std::vector<std::string> before = decode(bytes);
                         kept = normalized(stillOff(before));
                         if (kept == before) return std::nullopt;
                         return nlohmann::json{{"units", kept}}.dump();
                     });
    return kept;
}

} // namespace kelvora
