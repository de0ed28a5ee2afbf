#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <locale>
#include <optional>
#include <stdexcept>

namespace kelvora {

std::string lowercased(std::string text) {
    // By hand rather than with tolower, which folds bytes of an 8-bit locale too.
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string trimmed(std::string_view text) {
    size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return {};
    size_t end = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(start, end - start + 1));
}

std::vector<std::string> splitNonEmpty(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::string joined(const std::vector<std::string>& pieces, std::string_view separator) {
    std::string text;
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i) text += separator;
        text += pieces[i];
    }
    return text;
}

std::string typographicApostrophes(std::string text) {
    return replacingAll(std::move(text), "'", "\u2019");
}

std::string replacingAll(std::string text, std::string_view from, std::string_view to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

CodePoint codePointAt(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || at + length > text.size()) return {};
    char32_t value = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return {};
        value = (value << 6) | (next & 0x3F);
    }
    // A character written longer than it needs, a surrogate half or one past the last code
    // point is not UTF-8, and a JSON writer refuses it.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return {value, length, true};
}

bool isValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        CodePoint c = codePointAt(text, i);
        if (!c.valid) return false;
        i += c.length;
    }
    return true;
}

std::string repairedUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        CodePoint c = codePointAt(bytes, i);
        if (c.valid)
            text.append(bytes.substr(i, c.length));
        else
            text += "\xEF\xBF\xBD";
        i += c.length;
    }
    return text;
}

namespace {
const std::optional<std::locale>& unicodeLocale() {
    static const std::optional<std::locale> unicode = []() -> std::optional<std::locale> {
        try {
            return std::locale("C.UTF-8");
        } catch (const std::runtime_error&) {
            return std::nullopt;
        }
    }();
    return unicode;
}
} // namespace

bool isLetter(char32_t c) {
    if (c < 0x80) return std::isalpha(static_cast<int>(c)) != 0;
    if (!unicodeLocale()) return true;
    return std::isalpha(static_cast<wchar_t>(c), *unicodeLocale());
}

bool isLetterOrNumber(char32_t c) {
    if (c < 0x80) return std::isalnum(static_cast<int>(c)) != 0;
    if (!unicodeLocale()) return true;
    return std::isalnum(static_cast<wchar_t>(c), *unicodeLocale());
}

} // namespace kelvora
