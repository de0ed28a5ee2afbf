#include "panes/SpaceMapTiles.h"

#include "catalog/PlainWords.h"
#include "model/Format.h"
#include "spacemap/Treemap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace kelvora::SpaceMapTiles {

namespace {

SpaceMapTile tileOf(const SpaceMap::Entry& entry) {
    return {entry.url.path(), entry, entry.name, entry.bytes.value_or(0), 1};
}

} // namespace

std::vector<SpaceMapTile> tiles(const std::vector<SpaceMap::Entry>& measured, int maxTiles) {
    size_t own = std::min(measured.size(), static_cast<size_t>(std::max(maxTiles, 0)));
    std::vector<SpaceMapTile> list;
    list.reserve(own + 1);
    for (size_t i = 0; i < own; ++i)
        list.push_back(tileOf(measured[i]));
    if (own == measured.size()) return list;

    SpaceMapTile rest{"rest", std::nullopt, "", 0, 0};
    for (size_t i = own; i < measured.size(); ++i) {
        rest.bytes += measured[i].bytes.value_or(0);
        ++rest.count;
    }
    rest.name = PlainWords::counted(rest.count, "more item");
    list.push_back(std::move(rest));
    std::stable_sort(list.begin(), list.end(), [](const SpaceMapTile& a, const SpaceMapTile& b) {
        return a.bytes > b.bytes;
    });
    return list;
}

std::vector<double> weights(const std::vector<SpaceMapTile>& tiles) {
    double total = 0;
    for (const auto& tile : tiles)
        total += static_cast<double>(tile.bytes);
    std::vector<double> result;
    result.reserve(tiles.size());
    for (const auto& tile : tiles)
        result.push_back(std::max(static_cast<double>(tile.bytes), total * kMinimumShare));
    return result;
}

std::vector<QRectF> rectangles(const std::vector<SpaceMapTile>& tiles, QSizeF area) {
    std::vector<Treemap::Rect> laid =
        Treemap::layout(weights(tiles), {0, 0, area.width(), area.height()});
    std::vector<QRectF> result;
    result.reserve(laid.size());
    for (const auto& rect : laid)
        result.emplace_back(rect.x, rect.y, rect.width, rect.height);
    return result;
}

QRectF drawn(const QRectF& rectangle) {
    return {rectangle.topLeft(), QSizeF(std::max(rectangle.width() - kGap, 0.0),
                                        std::max(rectangle.height() - kGap, 0.0))};
}

std::vector<int> readingOrder(const std::vector<QRectF>& rectangles) {
    std::vector<int> order(rectangles.size());
    std::iota(order.begin(), order.end(), 0);
    // Tops are compared whole, so tiles a rounding apart still count as one line.
    auto line = [&](int i) { return std::lround(rectangles[static_cast<size_t>(i)].top()); };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        if (line(a) != line(b)) return line(a) < line(b);
        return rectangles[static_cast<size_t>(a)].left() <
               rectangles[static_cast<size_t>(b)].left();
    });
    return order;
}

TileShade shade(size_t rank) {
    static const std::array<std::pair<unsigned, unsigned>, 9> shades = {{
        {0x1A1A18, 0xF6F5F1},
        {0x2E2D2A, 0xF6F5F1},
        {0x42413D, 0xF6F5F1},
        {0x55534D, 0xF6F5F1},
        {0x6B6963, 0xFFFFFF},
        {0x8C897F, 0x1A1A18},
        {0xA8A49A, 0x1A1A18},
        {0xC4C0B6, 0x1A1A18},
        {0xD9D6CE, 0x1A1A18},
    }};
    const auto& [fill, text] = shades[std::min<size_t>(rank, shades.size() - 1)];
    return {QColor::fromRgb(fill), QColor::fromRgb(text)};
}

bool showsLabel(QSizeF size) {
    return size.width() > 90 && size.height() > 44;
}

std::string helpText(const SpaceMapTile& tile) {
    return tile.name + " · " + Format::size(tile.bytes);
}

std::string accessibleLabel(const SpaceMapTile& tile) {
    return tile.name + ", " + Format::size(tile.bytes);
}

} // namespace kelvora::SpaceMapTiles
