#include "window/AppEvents.h"

namespace kelvora {

AppEvents& AppEvents::shared() {
    static AppEvents* events = new AppEvents;
    return *events;
}

std::optional<URL> firstApplication(const std::vector<URL>& urls) {
    for (const auto& url : urls)
        if (url.pathExtension() == "app") return url;
    return std::nullopt;
}

} // namespace kelvora
