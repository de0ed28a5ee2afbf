#pragma once

#include "model/ScanItem.h"
#include "platform/Url.h"

#include <string>
#include <vector>

namespace kelvora {

// Orders paths as a depth-first walk over name-sorted folders meets them: a
// folder comes right before everything inside it.
bool walkOrder(const std::string& a, const std::string& b);

// The standardized path and, when it differs, the path with links resolved, so
// that a link cannot carry something past a test on either form.
std::vector<std::string> bothForms(const URL& url);

// Whether a folder is reached from base through a symbolic link: any folder below base
// down to the folder itself. Outside base only the folder itself is looked at.
bool reachedThroughLink(const URL& base, const URL& folder);

// The user's never-touch list, matched on both the written and the resolved
// form of each path.
class NeverTouch {
public:
    explicit NeverTouch(const std::vector<std::string>& entries);

    bool empty() const { return paths_.empty(); }
    // Whether the item lies inside a protected path or holds one. With
    // fileURLsOnly, items without a file location are never covered.
    bool covers(const ScanItem& item, bool fileURLsOnly) const;

private:
    bool touches(const URL& url) const;
    std::vector<std::string> paths_;
};

// Drops the cache items that an AI item stands for (same place once links are
// resolved), so that one folder is offered once.
void removeCachesCoveredBy(const std::vector<ScanItem>& aiItems, std::vector<ScanItem>& items);

} // namespace kelvora
