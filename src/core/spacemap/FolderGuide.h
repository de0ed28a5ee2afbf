#pragma once

#include "platform/Url.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace kelvora::FolderGuide {

enum class Advice { clearable, yours, leaveIt };

std::string rawValue(Advice advice);
std::optional<Advice> adviceFromRawValue(const std::string& text);

struct Answer {
    std::string title;
    std::string text;
    Advice advice = Advice::leaveIt;
    bool operator==(const Answer&) const = default;
};

// Well-known places, keyed by their path under the home folder.
const std::map<std::string, Answer>& places();
// Well-known folder names, wherever they are found.
const std::map<std::string, Answer>& names();

// Finds an installed application by bundle identifier.
using AppLocator = std::function<std::optional<URL>(const std::string& bundleID)>;

// What the folder or file is and whether it may be cleared; nothing for a place the
// guide does not know. An empty locator asks the installed applications.
std::optional<Answer> explain(const URL& url, const URL& home, const AppLocator& locateApp = {});

} // namespace kelvora::FolderGuide
