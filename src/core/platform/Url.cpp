#include "platform/Url.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace kelvora {

namespace {

std::string trimTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool isUnreserved(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/' ||
           c == '!' || c == '$' || c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' ||
           c == '+' || c == ',' || c == ';' || c == '=' || c == ':' || c == '@';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool validScheme(const std::string& scheme) {
    if (scheme.empty() || !std::isalpha(static_cast<unsigned char>(scheme[0]))) return false;
    for (char c : scheme)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    return true;
}

} // namespace

std::string percentEncodePath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (unsigned char c : path) {
        if (isUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string standardizedPath(const std::string& path) {
    if (path.empty()) return path;
    bool absolute = path[0] == '/';
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part.empty() || part == ".") {
        } else if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
        } else {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        out += parts[i];
    }
    if (out.empty()) out = absolute ? "/" : ".";
    return out;
}

std::string lastComponent(const std::string& path) {
    std::string trimmed = trimTrailingSlashes(path);
    if (trimmed == "/") return "/";
    auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string extensionOf(const std::string& name) {
    auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return "";
    if (name.find('/', dot) != std::string::npos) return "";
    return name.substr(dot + 1);
}

bool isSameOrInside(const std::string& path, const std::string& folder) {
    if (folder == "/") return !path.empty() && path[0] == '/';
    return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string parentPath(const std::string& path) {
    std::string trimmed = trimTrailingSlashes(path);
    auto slash = trimmed.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return trimmed.substr(0, slash);
}

bool isPlainAbsolutePath(const std::string& path) {
    if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos) return false;
    if (path == "/") return true;
    size_t start = 1;
    while (start <= path.size()) {
        size_t end = std::min(path.find('/', start), path.size());
        std::string_view component(path.data() + start, end - start);
        if (component.empty() || component == "." || component == "..") return false;
        start = end + 1;
    }
    return true;
}

std::string joinPath(const std::string& folder, const std::string& component) {
    if (folder.empty()) return component;
    if (component.empty()) return folder;
    if (folder.back() == '/') return folder + component;
    return folder + "/" + component;
}

URL URL::fileURL(std::string path, bool isDirectory) {
    if (path.empty()) path = ".";
    bool dir = isDirectory || (path.size() > 1 && path.back() == '/');
    return URL("file", trimTrailingSlashes(std::move(path)), dir);
}

std::optional<URL> URL::parse(const std::string& text) {
    if (text.empty()) return std::nullopt;
    if (text[0] == '/') return fileURL(text);
    auto colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    std::string scheme = text.substr(0, colon);
    if (!validScheme(scheme)) return std::nullopt;
    std::string rest = text.substr(colon + 1);
    if (scheme == "file") {
        if (rest.rfind("//", 0) == 0) {
            rest = rest.substr(2);
            auto slash = rest.find('/');
            if (slash == std::string::npos) return std::nullopt;
            std::string host = rest.substr(0, slash);
            if (!host.empty() && host != "localhost") return std::nullopt;
            rest = rest.substr(slash);
        }
        if (rest.empty() || rest[0] != '/') return std::nullopt;
        auto decoded = percentDecode(rest);
        if (!decoded) return std::nullopt;
        return fileURL(*decoded);
    }
    if (rest.empty()) return std::nullopt;
    return URL(scheme, rest, false);
}

std::string URL::absoluteString() const {
    if (!isFileURL()) return scheme_ + ":" + path_;
    std::string text = "file://" + percentEncodePath(path_);
    if (directory_ && path_ != "/") text += '/';
    return text;
}

std::string URL::lastPathComponent() const {
    return isFileURL() ? lastComponent(path_) : path_;
}

std::string URL::pathExtension() const {
    return extensionOf(lastPathComponent());
}

URL URL::deletingLastPathComponent() const {
    if (!isFileURL()) return *this;
    return URL("file", parentPath(path_), true);
}

URL URL::deletingPathExtension() const {
    std::string ext = pathExtension();
    if (ext.empty() || !isFileURL()) return *this;
    return URL("file", path_.substr(0, path_.size() - ext.size() - 1), directory_);
}

URL URL::appending(const std::string& component, bool isDirectory) const {
    return fileURL(joinPath(path_, component), isDirectory);
}

URL URL::standardized() const {
    if (!isFileURL()) return *this;
    return URL("file", standardizedPath(path_), directory_);
}

URL URL::resolvingSymlinks() const {
    if (!isFileURL()) return *this;
    std::string path = standardizedPath(path_);
    // Resolve the longest prefix that exists, then put the missing tail back on.
    std::string head = path, tail;
    while (true) {
        char resolved[PATH_MAX];
        if (realpath(head.c_str(), resolved)) {
            std::string out = resolved;
            if (!tail.empty()) out = joinPath(out, tail);
            return URL("file", out, directory_);
        }
        if (head == "/" || head == "." || head.empty()) break;
        std::string last = lastComponent(head);
        tail = tail.empty() ? last : joinPath(last, tail);
        head = parentPath(head);
    }
    return URL("file", path, directory_);
}

} // namespace kelvora
