#pragma once

#include "platform/Url.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// What the App caches category knows, for answering of a cache folder as it does.
struct CacheRules {
    // The folders whose sub-folders are app caches; none given: the home's Library/Caches and
    // the system's cache folder ($XDG_CACHE_HOME, ~/.cache).
    std::vector<URL> roots;
    // The name a cache folder goes by in the category (its application's or tool's), if any.
    std::function<std::optional<std::string>(const std::string& folderName)> name;
};

// What the folder or file is and whether it may be cleared; nothing for a place the
// guide does not know. An empty locator asks the installed applications. A cache folder, the
// desktop's Trash and the user folders (under the names user-dirs.dirs gives them) are
// answered by the rules the categories follow.
std::optional<Answer> explain(const URL& url, const URL& home, const AppLocator& locateApp = {},
                              const CacheRules& caches = {});

} // namespace kelvora::FolderGuide
