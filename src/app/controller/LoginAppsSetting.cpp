#include "controller/LoginAppsSetting.h"

#include "controller/Prefs.h"

namespace kelvora::Prefs {

namespace {

bool isTextObject(const nlohmann::json& value) {
    if (!value.is_object()) return false;
    for (const auto& [key, field] : value.items())
        if (!field.is_string()) return false;
    return true;
}

} // namespace

std::vector<LoginItemScanner::OpenAtLoginApp> turnedOffLoginApps() {
    auto stored = store().value(Key::turnedOffLoginApps);
    if (!stored || !stored->is_array()) return {};
    std::vector<LoginItemScanner::OpenAtLoginApp> apps;
    for (const auto& element : *stored) {
        if (!isTextObject(element)) return {};
        if (element.contains("name") && element.contains("path"))
            apps.push_back(
                {element["name"].get<std::string>(), element["path"].get<std::string>()});
    }
    return apps;
}

void setTurnedOffLoginApps(const std::vector<LoginItemScanner::OpenAtLoginApp>& apps) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& app : apps)
        list.push_back({{"name", app.name}, {"path", app.path}});
    store().set(Key::turnedOffLoginApps, list);
}

} // namespace kelvora::Prefs
