#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// ASCII case folding: identifiers, extensions and tool output are compared this way.
std::string lowercased(std::string text);
bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);
// Equal but for letter case, folded as `lowercased` folds it: how identifiers are matched.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// Without leading and trailing blanks, tabs and line ends.
std::string trimmed(std::string_view text);
// The pieces between separators, empty pieces dropped.
std::vector<std::string> splitNonEmpty(std::string_view text, char separator);
// The pieces with the separator between each two.
std::string joined(const std::vector<std::string>& pieces, std::string_view separator);
// Every occurrence replaced, left to right; a replacement is not searched again.
std::string replacingAll(std::string text, std::string_view from, std::string_view to);
// Straight apostrophes written as the typographic ones names use ("Capture d’écran"), so a
// name typed with a straight one reads as the same name.
std::string typographicApostrophes(std::string text);

// One character of UTF-8 text: its code point and length in bytes. A broken sequence reads
// as one byte that is not valid.
struct CodePoint {
    char32_t value = 0;
    size_t length = 1;
    bool valid = false;
};
CodePoint codePointAt(std::string_view text, size_t at);
bool isValidUtf8(std::string_view text);
// Valid UTF-8, every byte of a broken sequence replaced by U+FFFD.
std::string repairedUtf8(std::string_view bytes);
// Letters and numbers of any script; without a Unicode locale every non-ASCII character
// counts as one.
bool isLetter(char32_t c);
bool isLetterOrNumber(char32_t c);

} // namespace kelvora
