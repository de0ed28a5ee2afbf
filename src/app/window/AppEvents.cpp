#include "window/AppEvents.h"

#include "platform/AppImages.h"

namespace kelvora {

AppEvents& AppEvents::shared() {
    static AppEvents* events = new AppEvents;
    return *events;
}

bool isApplicationFile(const URL& url) {
    return url.pathExtension() == "app" || url.pathExtension() == "desktop" ||
           AppImages::hasAppImageName(url.lastPathComponent());
}

std::optional<URL> firstApplication(const std::vector<URL>& urls) {
    for (const auto& url : urls)
        if (isApplicationFile(url)) return url;
    return std::nullopt;
}

} // namespace kelvora
