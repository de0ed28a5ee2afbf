#include "engine/PathRules.h"

#include "platform/Text.h"

#include <algorithm>
#include <sys/stat.h>
#include <unordered_set>

namespace kelvora {

bool walkOrder(const std::string& a, const std::string& b) {
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        if (a[i] == b[i]) continue;
        if (a[i] == '/') return true;
        if (b[i] == '/') return false;
        return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    }
    return a.size() < b.size();
}

std::vector<std::string> bothForms(const URL& url) {
    std::vector<std::string> forms{url.standardized().path()};
    if (url.isFileURL()) {
        std::string resolved = url.standardized().resolvingSymlinks().path();
        if (resolved != forms.front()) forms.push_back(std::move(resolved));
    }
    return forms;
}

namespace {

bool isLink(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

} // namespace

bool reachedThroughLink(const URL& base, const URL& folder) {
    const std::string top = base.standardized().path();
    const std::string target = folder.standardized().path();
    if (!isSameOrInside(target, top) || target == top) return isLink(target);
    std::string path = top;
    for (const auto& name : splitNonEmpty(std::string_view(target).substr(top.size()), '/')) {
        path = joinPath(path, name);
        if (isLink(path)) return true;
    }
    return false;
}

NeverTouch::NeverTouch(const std::vector<std::string>& entries) {
    for (const auto& entry : entries) {
        if (entry.empty()) continue;
        for (auto& form : bothForms(URL::fileURL(entry))) {
            if (std::find(paths_.begin(), paths_.end(), form) == paths_.end())
                paths_.push_back(std::move(form));
        }
    }
}

bool NeverTouch::touches(const URL& url) const {
    for (const auto& place : bothForms(url)) {
        for (const auto& protectedPath : paths_) {
            if (isSameOrInside(place, protectedPath) || isSameOrInside(protectedPath, place))
                return true;
        }
    }
    return false;
}

bool NeverTouch::covers(const ScanItem& item, bool fileURLsOnly) const {
    const auto tested = [&](const URL& url) {
        return (url.isFileURL() || !fileURLsOnly) && touches(url);
    };
    return tested(item.location) || std::any_of(item.targets.begin(), item.targets.end(), tested);
}

void removeCachesCoveredBy(const std::vector<ScanItem>& aiItems, std::vector<ScanItem>& items) {
    std::unordered_set<std::string> covered;
    for (const auto& item : aiItems)
        covered.insert(item.location.resolvingSymlinks().path());
    if (covered.empty()) return;
    std::erase_if(items, [&](const ScanItem& item) {
        return item.kind == JunkKind::caches &&
               covered.count(item.location.resolvingSymlinks().path()) > 0;
    });
}

} // namespace kelvora
