#include "clean/ShelfNames.h"

#include "platform/Text.h"
#include "platform/Url.h"

namespace kelvora {

std::string truncatedUtf8(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

std::string nameWithin(const std::string& base, const std::string& marker,
                       const std::string& extension, std::size_t maxBytes) {
    std::string suffix = marker + (extension.empty() ? "" : "." + extension);
    if (base.size() + suffix.size() <= maxBytes) return base + suffix;
    // An extension too long to keep whole is not a real extension: shorten everything.
    if (suffix.size() >= maxBytes / 2) {
        std::string whole = base + (extension.empty() ? "" : "." + extension);
        return truncatedUtf8(whole, maxBytes - marker.size()) + marker;
    }
    return truncatedUtf8(base, maxBytes - suffix.size()) + suffix;
}

std::string wholeExtension(const std::string& name) {
    std::string last = extensionOf(name);
    if (last.empty()) return last;
    std::string inner = extensionOf(name.substr(0, name.size() - last.size() - 1));
    return equalsIgnoringCase(inner, "tar") ? inner + "." + last : last;
}

std::string restoredName(const std::string& name, long n, std::size_t maxBytes) {
    if (n <= 0) return name;
    std::string extension = wholeExtension(name);
    std::string base =
        extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    std::string marker = n == 1 ? " (restored)" : " (restored " + std::to_string(n) + ")";
    return nameWithin(base, marker, extension, maxBytes);
}

std::string storedName(std::size_t item, std::size_t target, const std::string& name) {
    std::string prefix = std::to_string(item) + "-" + std::to_string(target) + "-";
    std::string extension = extensionOf(name);
    std::string base =
        extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    return nameWithin(prefix + base, "", extension);
}

} // namespace kelvora
