#include "clean/ShelfNames.h"

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
                       const std::string& extension) {
    std::string suffix = marker + (extension.empty() ? "" : "." + extension);
    if (base.size() + suffix.size() <= kMaxNameBytes) return base + suffix;
    // An extension too long to keep whole is not a real extension: shorten everything.
    if (suffix.size() >= kMaxNameBytes / 2) {
        std::string whole = base + (extension.empty() ? "" : "." + extension);
        return truncatedUtf8(whole, kMaxNameBytes - marker.size()) + marker;
    }
    return truncatedUtf8(base, kMaxNameBytes - suffix.size()) + suffix;
}

std::string storedName(std::size_t item, std::size_t target, const std::string& name) {
    std::string prefix = std::to_string(item) + "-" + std::to_string(target) + "-";
    std::string extension = extensionOf(name);
    std::string base =
        extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    return nameWithin(prefix + base, "", extension);
}

} // namespace kelvora
