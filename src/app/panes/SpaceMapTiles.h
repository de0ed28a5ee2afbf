#pragma once

#ifndef Q_MOC_RUN
#include "spacemap/SpaceMap.h"
#endif

#include <QColor>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// One tile of the space map: a child of the folder shown, or the smallest children folded
// into one.
struct SpaceMapTile {
    std::string id;                       // the child's path; "rest" for the folded tile
    std::optional<SpaceMap::Entry> entry; // none for the folded tile
    std::string name;
    int64_t bytes = 0;
    int64_t count = 1; // children the tile stands for
    bool operator==(const SpaceMapTile&) const = default;
};

// The fixed colours of a tile, the same in both appearances.
struct TileShade {
    QColor fill;
    QColor text;
};

namespace SpaceMapTiles {

// Every tile leaves this much room to its right and below.
inline constexpr qreal kGap = 3;
// No tile weighs less than this share of the total, so the smallest stay visible.
inline constexpr double kMinimumShare = 0.004;

// The measured children (largest first) as tiles: the first `maxTiles` each on its own, the
// rest folded into one tile placed among the others by size.
std::vector<SpaceMapTile> tiles(const std::vector<SpaceMap::Entry>& measured, int maxTiles);
// What each tile weighs in the layout.
std::vector<double> weights(const std::vector<SpaceMapTile>& tiles);
// One rectangle per tile, in tile order, filling `area` from its top-left corner.
std::vector<QRectF> rectangles(const std::vector<SpaceMapTile>& tiles, QSizeF area);
// The part of a tile's rectangle that is drawn: the gap taken off, never below zero.
QRectF drawn(const QRectF& rectangle);

// The tiles' indices as a reader meets them: line by line from the top, each line from the
// left; the keyboard's arrows walk the tiles in this order.
std::vector<int> readingOrder(const std::vector<QRectF>& rectangles);

// The shade of the tile at `rank` in the list: the larger, the darker.
TileShade shade(size_t rank);
// Whether a tile drawn at this size has room for its name and size.
bool showsLabel(QSizeF size);
// The pointer's help: "Photos · 1.2 GB".
std::string helpText(const SpaceMapTile& tile);
// What assistive technology reads: "Photos, 1.2 GB".
std::string accessibleLabel(const SpaceMapTile& tile);

} // namespace SpaceMapTiles
} // namespace kelvora
