#include "panes/SpaceMapFolder.h"

#include "panes/SpaceMapText.h"

namespace kelvora {

bool SpaceMapFolder::show(const std::shared_ptr<const SpaceMap>& map,
                          const std::optional<URL>& folder) {
    std::optional<URL> resolved;
    if (map && folder) resolved = folder->resolvingSymlinks();
    if (map == map_ && resolved == folder_) return false;
    map_ = map;
    folder_ = resolved;
    children_.clear();
    if (map_ && folder_) {
        children_ = map_->children(*folder_);
        ++listings_;
    }
    tiles_ = SpaceMapTiles::tiles(SpaceMapText::measured(children_), maxTiles_);
    privateLine_ = SpaceMapText::privateLine(children_);
    laidOutFor_.reset();
    return true;
}

const std::vector<QRectF>& SpaceMapFolder::rectangles(QSizeF area) {
    if (laidOutFor_ != area) {
        rectangles_ = SpaceMapTiles::rectangles(tiles_, area);
        laidOutFor_ = area;
    }
    return rectangles_;
}

} // namespace kelvora
