#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

// ASCII case folding: identifiers, extensions and tool output are compared this way.
std::string lowercased(std::string text);
bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);
// Without leading and trailing blanks, tabs and line ends.
std::string trimmed(std::string_view text);
// The pieces between separators, empty pieces dropped.
std::vector<std::string> splitNonEmpty(std::string_view text, char separator);

} // namespace kelvora
