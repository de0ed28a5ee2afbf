#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

namespace kelvora {

// A location: a file URL for files and folders, or a URL of a scheme of our own
// ("kelvora-system:purgeable", "docker:images") for items that stand for space.
class URL {
public:
    URL() = default;

    static URL fileURL(std::string path, bool isDirectory = false);
    // Anything with a scheme; an absolute path is read as a file URL.
    static std::optional<URL> parse(const std::string& text);

    bool isFileURL() const { return scheme_ == "file"; }
    const std::string& scheme() const { return scheme_; }
    // For file URLs: the decoded POSIX path, without a trailing slash (but "/" stays).
    // For other schemes: the text after the colon.
    const std::string& path() const { return path_; }
    bool hasDirectoryPath() const { return directory_; }
    std::string absoluteString() const;

    std::string lastPathComponent() const;
    std::string pathExtension() const;
    URL deletingLastPathComponent() const;
    URL deletingPathExtension() const;
    URL appending(const std::string& component, bool isDirectory = false) const;
    std::string fileSystemPath() const { return path_; }

    // Lexically normalised: no ".", "..", empty or trailing components.
    URL standardized() const;
    // Symbolic links of the longest existing prefix resolved; the rest kept as it is.
    URL resolvingSymlinks() const;

    bool operator==(const URL& other) const {
        return scheme_ == other.scheme_ && path_ == other.path_;
    }
    auto operator<=>(const URL& other) const {
        if (auto c = scheme_ <=> other.scheme_; c != 0) return c;
        return path_ <=> other.path_;
    }

private:
    URL(std::string scheme, std::string path, bool directory)
        : scheme_(std::move(scheme)), path_(std::move(path)), directory_(directory) {}

    std::string scheme_;
    std::string path_;
    bool directory_ = false;
};

std::string standardizedPath(const std::string& path);
std::string lastComponent(const std::string& path);
std::string extensionOf(const std::string& name);
std::string parentPath(const std::string& path);
std::string joinPath(const std::string& folder, const std::string& component);
// True when path is folder itself or lies below it; every path lies below "/".
bool isSameOrInside(const std::string& path, const std::string& folder);
// The deepest of `folders` that holds `path` below it (never `path` itself), each folder's
// path given by `pathOf`; null when none does.
template <class Folders, class PathOf>
auto deepestHolding(const std::string& path, const Folders& folders, PathOf pathOf)
    -> decltype(&*std::begin(folders)) {
    decltype(&*std::begin(folders)) deepest = nullptr;
    for (const auto& folder : folders) {
        const std::string& place = pathOf(folder);
        if (path == place || !isSameOrInside(path, place)) continue;
        if (!deepest || place.size() > pathOf(*deepest).size()) deepest = &folder;
    }
    return deepest;
}
// Starts at "/" and has no empty, "." or ".." component on the way: it names one place
// without any path arithmetic.
bool isPlainAbsolutePath(const std::string& path);

// Percent-encoding of a path as it appears in a file URL's text.
std::string percentEncodePath(const std::string& path);
std::optional<std::string> percentDecode(const std::string& text);

} // namespace kelvora

template <> struct std::hash<kelvora::URL> {
    std::size_t operator()(const kelvora::URL& url) const noexcept {
        return std::hash<std::string>()(url.scheme()) * 31 ^ std::hash<std::string>()(url.path());
    }
};
