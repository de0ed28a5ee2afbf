#pragma once

#include "panes/SpaceMapTiles.h"

#ifndef Q_MOC_RUN
#include "spacemap/SpaceMap.h"
#endif

#include <QRectF>
#include <QSizeF>

#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The folder the space map shows. Listing a folder reads the disk, and a big folder holds
// a hundred thousand entries, so it is listed once when the map or the folder changes and
// folded into tiles then; the tiles are laid out once per size. Painting only reads. The
// last few folders' listings are kept with the map, so going back up costs no new listing.
class SpaceMapFolder {
public:
    explicit SpaceMapFolder(int maxTiles) : maxTiles_(maxTiles) {}

    // Shows `folder` of `map`; lists it only when either differs from what is shown.
    // True when it listed.
    bool show(const std::shared_ptr<const SpaceMap>& map, const std::optional<URL>& folder);

    bool isEmpty() const { return !map_ || !folder_; }
    const std::shared_ptr<const SpaceMap>& map() const { return map_; }
    // The folder shown, symbolic links resolved.
    const std::optional<URL>& folder() const { return folder_; }
    const std::vector<SpaceMap::Entry>& children() const { return *children_; }
    const std::vector<SpaceMapTile>& tiles() const { return tiles_; }
    const std::optional<std::string>& privateLine() const { return privateLine_; }
    // How many times a folder was listed, for the benchmark and the tests.
    int listings() const { return listings_; }

    // The tiles' rectangles in an area of this size, worked out again only for a new size
    // or new tiles.
    const std::vector<QRectF>& rectangles(QSizeF area);

private:
    using Listing = std::shared_ptr<const std::vector<SpaceMap::Entry>>;
    static constexpr size_t kRecentListings = 4;
    Listing listing(const URL& folder);

    int maxTiles_;
    std::shared_ptr<const SpaceMap> map_;
    std::optional<URL> folder_;
    Listing children_ = std::make_shared<const std::vector<SpaceMap::Entry>>();
    std::list<std::pair<std::string, Listing>> recent_; // most recent first
    std::vector<SpaceMapTile> tiles_;
    std::optional<std::string> privateLine_;
    int listings_ = 0;
    std::optional<QSizeF> laidOutFor_;
    std::vector<QRectF> rectangles_;
};

} // namespace kelvora
