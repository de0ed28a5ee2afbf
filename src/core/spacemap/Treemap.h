#pragma once

#include <vector>

namespace kelvora::Treemap {

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    double area() const { return width * height; }
    bool operator==(const Rect&) const = default;
};

// Tiles `rect` with one rectangle per size, in the sizes' order, each with an area
// proportional to its size, growing rows while that keeps them closer to squares.
std::vector<Rect> layout(const std::vector<double>& sizes, const Rect& rect);

} // namespace kelvora::Treemap
