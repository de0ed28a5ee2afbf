#pragma once

#include "snapshot/SnapshotOptions.h"

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

// The options of a window snapshot, read from the whole command line; nothing when
// "--snapshot" has no value.
std::optional<SnapshotOptions> snapshotOptions(const Arguments& arguments);
// What is wrong with a snapshot's command line that would otherwise draw a picture nobody
// asked for: a "--category" word that names no category. The message lists the names.
std::optional<std::string> snapshotProblem(const Arguments& arguments);

// "--welcome n": step n - 1 held to 0...2; nothing unless the text is a decimal integer
// within 64 bits (an optional sign, then digits only).
std::optional<int> welcomeStep(std::string_view text);
// "--size WxH": two decimal numbers of at most five digits; a window is never smaller than
// 1100 x 720, so smaller numbers give that.
std::optional<WindowSize> windowSize(std::string_view text);
// "--forecast x": a C-locale floating-point number that takes up the whole text.
std::optional<double> forecastDays(std::string_view text);

} // namespace kelvora
