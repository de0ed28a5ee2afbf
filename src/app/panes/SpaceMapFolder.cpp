#include "panes/SpaceMapFolder.h"

#include "panes/SpaceMapText.h"

#include <algorithm>

namespace kelvora {

bool SpaceMapFolder::show(const std::shared_ptr<const SpaceMap>& map,
                          const std::optional<URL>& folder) {
    std::optional<URL> resolved;
    if (map && folder) resolved = folder->resolvingSymlinks();
    if (map == map_ && resolved == folder_) return false;
    if (map != map_) recent_.clear();
    map_ = map;
    folder_ = resolved;
    children_ = folder_ ? listing(*folder_) : std::make_shared<std::vector<SpaceMap::Entry>>();
    tiles_ = SpaceMapTiles::tiles(SpaceMapText::measured(*children_), maxTiles_);
    privateLine_ = SpaceMapText::privateLine(*children_);
    laidOutFor_.reset();
    return true;
}

SpaceMapFolder::Listing SpaceMapFolder::listing(const URL& folder) {
    auto it = std::find_if(recent_.begin(), recent_.end(),
                           [&](const auto& listed) { return listed.first == folder.path(); });
    if (it != recent_.end()) {
        recent_.splice(recent_.begin(), recent_, it);
        return recent_.front().second;
    }
    ++listings_;
    recent_.emplace_front(folder.path(),
                          std::make_shared<std::vector<SpaceMap::Entry>>(map_->children(folder)));
    if (recent_.size() > kRecentListings) recent_.pop_back();
    return recent_.front().second;
}

const std::vector<QRectF>& SpaceMapFolder::rectangles(QSizeF area) {
    if (laidOutFor_ != area) {
        rectangles_ = SpaceMapTiles::rectangles(tiles_, area);
        laidOutFor_ = area;
    }
    return rectangles_;
}

} // namespace kelvora
