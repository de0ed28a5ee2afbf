#include "entry/Arguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace kelvora {

Arguments::Arguments(int argc, char** argv) {
    for (int i = 0; i < argc; ++i)
        list_.emplace_back(argv[i] ? argv[i] : "");
}

std::optional<std::string> Arguments::valueAfter(std::string_view flag) const {
    auto it = std::find(list_.begin(), list_.end(), flag);
    if (it == list_.end() || std::next(it) == list_.end()) return std::nullopt;
    return *std::next(it);
}

bool Arguments::contains(std::string_view flag) const {
    return std::find(list_.begin(), list_.end(), flag) != list_.end();
}

std::optional<int> welcomeStep(std::string_view text) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::string signedText = (negative ? "-" : "") + std::string(digits);
    int64_t number = 0;
    auto [end, error] =
        std::from_chars(signedText.data(), signedText.data() + signedText.size(), number);
    if (error != std::errc() || end != signedText.data() + signedText.size()) return std::nullopt;
    if (number <= 1) return 0;
    return static_cast<int>(std::min<int64_t>(number - 1, 2));
}

std::optional<WindowSize> windowSize(std::string_view text) {
    size_t cross = text.find('x');
    if (cross == std::string_view::npos) return std::nullopt;
    auto number = [](std::string_view digits) -> std::optional<int> {
        if (digits.empty() || digits.size() > 5 ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        int value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return value;
    };
    auto width = number(text.substr(0, cross));
    auto height = number(text.substr(cross + 1));
    if (!width || !height) return std::nullopt;
    return WindowSize{std::max(*width, 1100), std::max(*height, 720)};
}

std::optional<double> forecastDays(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::string copy(text);
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    char* end = nullptr;
    double value = strtod_l(copy.c_str(), &end, cLocale);
    if (end == copy.c_str() || *end != '\0') return std::nullopt;
    // A leading blank is skipped by strtod but does not belong to a number.
    if (std::isspace(static_cast<unsigned char>(copy.front()))) return std::nullopt;
    return value;
}

std::optional<std::string> snapshotProblem(const Arguments& arguments) {
    auto category = arguments.valueAfter("--category");
    if (!category || JunkKinds::fromRawValue(*category)) return std::nullopt;
    std::string names;
    for (JunkKind kind : JunkKinds::allCases())
        names += (names.empty() ? "" : ", ") + JunkKinds::rawValue(kind);
    return "There is no category \"" + *category + "\". The categories are: " + names + ".";
}

std::optional<SnapshotOptions> snapshotOptions(const Arguments& arguments) {
    using Mode = SnapshotOptions::Mode;
    using Demo = SnapshotOptions::Demo;
    auto output = arguments.valueAfter("--snapshot");
    if (!output) return std::nullopt;
    SnapshotOptions options;
    options.output = *output;
    if (auto category = arguments.valueAfter("--category"))
        options.category = JunkKinds::fromRawValue(*category);
    options.dark = arguments.contains("--dark");
    options.mode =
        arguments.contains("--detailed") || options.category ? Mode::detailed : Mode::simple;
    if (arguments.contains("--demo-shelf"))
        options.demo = Demo::shelf;
    else if (arguments.contains("--demo-done"))
        options.demo = Demo::done;
    else if (arguments.contains("--demo-downloads"))
        options.demo = Demo::downloads;
    if (auto step = arguments.valueAfter("--welcome"))
        options.welcomeStep = kelvora::welcomeStep(*step);
    options.spaceMap = arguments.valueAfter("--space-map");
    options.loginItems = arguments.contains("--login-items");
    options.receipt = arguments.contains("--receipt");
    if (auto days = arguments.valueAfter("--forecast"))
        options.forecastDays = kelvora::forecastDays(*days);
    options.marketing = arguments.contains("--marketing");
    options.search = arguments.valueAfter("--search");
    if (auto size = arguments.valueAfter("--size"))
        options.size = kelvora::windowSize(*size).value_or(WindowSize{});
    return options;
}

} // namespace kelvora
