#include "spacemap/Treemap.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace kelvora::Treemap {

namespace {

double sum(const std::vector<double>& values) {
    return std::accumulate(values.begin(), values.end(), 0.0);
}

// The worst aspect ratio of the rectangles a row would get along a side of this length.
double worst(const std::vector<double>& row, double side) {
    double s = sum(row);
    double largest = *std::max_element(row.begin(), row.end());
    double smallest = *std::min_element(row.begin(), row.end());
    if (s <= 0 || smallest <= 0) return std::numeric_limits<double>::infinity();
    double side2 = side * side;
    return std::max(side2 * largest / (s * s), (s * s) / (side2 * smallest));
}

// Zero areas (or a used-up free rectangle) give zero extents rather than 0 / 0.
double ratio(double a, double b) {
    return b > 0 ? a / b : 0;
}

// Lays a finished row along the shorter side of the free rectangle and shrinks it.
void place(const std::vector<double>& row, Rect& free, std::vector<Rect>& result) {
    double s = sum(row);
    if (free.width >= free.height) {
        double width = ratio(s, free.height);
        double y = free.y;
        for (double area : row) {
            double height = ratio(area, width);
            result.push_back({free.x, y, width, height});
            y += height;
        }
        free.x += width;
        free.width = std::max(0.0, free.width - width);
    } else {
        double height = ratio(s, free.width);
        double x = free.x;
        for (double area : row) {
            double width = ratio(area, height);
            result.push_back({x, free.y, width, height});
            x += width;
        }
        free.y += height;
        free.height = std::max(0.0, free.height - height);
    }
}

} // namespace

std::vector<Rect> layout(const std::vector<double>& sizes, const Rect& rect) {
    if (sizes.empty()) return {};
    double total = sum(sizes);
    if (!(total > 0) || !(rect.width > 0) || !(rect.height > 0))
        return std::vector<Rect>(sizes.size(), Rect{});

    std::vector<double> areas;
    areas.reserve(sizes.size());
    for (double size : sizes)
        areas.push_back(rect.width * rect.height / total * size);

    std::vector<Rect> result;
    result.reserve(sizes.size());
    std::vector<double> row;
    Rect free = rect;
    size_t i = 0;
    while (i < areas.size()) {
        double side = std::min(free.width, free.height);
        if (row.empty()) {
            row.push_back(areas[i++]);
            continue;
        }
        std::vector<double> grown = row;
        grown.push_back(areas[i]);
        if (worst(grown, side) <= worst(row, side)) {
            row = std::move(grown);
            ++i;
        } else {
            place(row, free, result);
            row.clear();
        }
    }
    if (!row.empty()) place(row, free, result);
    return result;
}

} // namespace kelvora::Treemap
