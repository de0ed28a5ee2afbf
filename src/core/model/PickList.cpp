#include "model/PickList.h"

#include "platform/Saturating.h"

#include <nlohmann/json.hpp>

namespace kelvora {

namespace {
bool usesIncluded(JunkKind kind) {
    return !JunkKinds::pickedByDefault(kind);
}
} // namespace

bool PickList::isPicked(const ScanItem& item) const {
    if (!item.isRemovable()) return false;
    if (usesIncluded(item.kind)) return included.count(item.location) > 0;
    return excluded.count(item.location) == 0;
}

std::vector<ScanItem> PickList::picked(const ScanResult& result,
                                       std::optional<JunkKind> kind) const {
    std::vector<ScanItem> out;
    forEachPicked(result, kind, [&](const ScanItem& item) { out.push_back(item); });
    return out;
}

int64_t PickList::pickedBytes(const ScanResult& result, std::optional<JunkKind> kind) const {
    int64_t total = 0;
    forEachPicked(result, kind, [&](const ScanItem& item) { addSaturating(total, item.bytes); });
    return total;
}

void PickList::set(const ScanItem& item, bool wanted) {
    if (!item.isRemovable()) return;
    if (usesIncluded(item.kind)) {
        if (wanted)
            included.insert(item.location);
        else
            included.erase(item.location);
    } else {
        if (wanted)
            excluded.erase(item.location);
        else
            excluded.insert(item.location);
    }
}

void PickList::toggle(const ScanItem& item) {
    set(item, !isPicked(item));
}

void PickList::pickAll(JunkKind kind, const ScanResult& result, bool wanted) {
    for (const auto& item : result.items)
        if (item.kind == kind) set(item, wanted);
}

std::string PickList::toJson() const {
    nlohmann::json doc = {{"excluded", nlohmann::json::array()},
                          {"included", nlohmann::json::array()}};
    for (const auto& url : excluded)
        doc["excluded"].push_back(url.absoluteString());
    for (const auto& url : included)
        doc["included"].push_back(url.absoluteString());
    return doc.dump();
}

std::optional<PickList> PickList::fromJson(const std::string& text) {
    auto doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) return std::nullopt;
    PickList picks;
    for (auto [key, set] :
         {std::pair{"excluded", &picks.excluded}, {"included", &picks.included}}) {
        auto it = doc.find(key);
        if (it == doc.end() || !it->is_array()) return std::nullopt;
        for (const auto& value : *it) {
            if (!value.is_string()) return std::nullopt;
            auto url = URL::parse(value.get<std::string>());
            if (!url) return std::nullopt;
            set->insert(*url);
        }
    }
    return picks;
}

} // namespace kelvora
