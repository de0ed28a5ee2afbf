#pragma once

#include "model/JunkKind.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// The process's command line as the modes read it: whole arguments compared exactly, a
// flag's value always the next argument. Element 0, the executable, is searched too.
class Arguments {
public:
    explicit Arguments(std::vector<std::string> list) : list_(std::move(list)) {}
    Arguments(int argc, char** argv);

    // The argument after the first occurrence of the flag; nothing when the flag is
    // absent or last. The value may itself look like a flag.
    std::optional<std::string> valueAfter(std::string_view flag) const;
    bool contains(std::string_view flag) const;
    const std::vector<std::string>& list() const { return list_; }

private:
    std::vector<std::string> list_;
};

// The size of the window a snapshot draws, in points.
struct WindowSize {
    int width = 1280;
    int height = 820;
    bool operator==(const WindowSize&) const = default;
};

// The options of a window snapshot, read from the whole command line.
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

    // Nothing when "--snapshot" has no value.
    static std::optional<SnapshotOptions> from(const Arguments& arguments);
    bool operator==(const SnapshotOptions&) const = default;
};

// "--welcome n": step n - 1 held to 0...2; nothing unless the text is a decimal integer
// within 64 bits (an optional sign, then digits only).
std::optional<int> welcomeStep(std::string_view text);
// "--size WxH": two decimal numbers of at most five digits; a window is never smaller than
// 1100 x 720, so smaller numbers give that.
std::optional<WindowSize> windowSize(std::string_view text);
// "--forecast x": a C-locale floating-point number that takes up the whole text.
std::optional<double> forecastDays(std::string_view text);

} // namespace kelvora
