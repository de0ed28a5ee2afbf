#pragma once

#include "model/JunkKind.h"

#include <optional>
#include <string>

namespace kelvora {

// The size of the window a snapshot draws, in points.
struct WindowSize {
    int width = 1280;
    int height = 820;
    bool operator==(const WindowSize&) const = default;
};

// The options of a window snapshot, as the command line gives them.
struct SnapshotOptions {
    enum class Mode { simple, detailed };
    enum class Demo { none, shelf, done, downloads };

    std::string output;
    bool dark = false;
    Mode mode = Mode::simple;
    std::optional<JunkKind> category;
    Demo demo = Demo::none;
    std::optional<int> welcomeStep;
    std::optional<std::string> spaceMap;
    bool loginItems = false;
    bool receipt = false;
    std::optional<double> forecastDays;
    bool marketing = false;
    std::optional<std::string> search;
    WindowSize size;

    bool operator==(const SnapshotOptions&) const = default;
};

} // namespace kelvora
