#include "model/InstalledApp.h"

#include "platform/Hash.h"

namespace kelvora {

nlohmann::json InstalledApp::json() const {
    return {{"bundleID", bundleID}, {"name", name}, {"path", path}};
}

std::optional<InstalledApp> InstalledApp::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) return std::nullopt;
    InstalledApp app;
    for (auto [key, field] : {std::pair{"bundleID", &app.bundleID}, std::pair{"name", &app.name},
                              std::pair{"path", &app.path}}) {
        auto it = json.find(key);
        if (it == json.end() || !it->is_string()) return std::nullopt;
        *field = it->get<std::string>();
    }
    return app;
}

} // namespace kelvora

std::size_t
std::hash<kelvora::InstalledApp>::operator()(const kelvora::InstalledApp& v) const noexcept {
    return kelvora::hashAll(v.bundleID, v.name, v.path);
}
