#pragma once

#include "FileMetadata.h"

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace kelvora::mdfind {

// A parsed query in the metadata query language: comparisons of attributes with values,
// combined with && and || (&& binding tighter) and grouped with parentheses.
class MetadataQuery {
public:
    // A query, or the reason the text is not one.
    static std::variant<MetadataQuery, std::string> parse(const std::string& text);
    bool matches(const FileMetadata& file) const;

    struct Node;

private:
    std::shared_ptr<const Node> root_;
};

// Case- and accent-insensitive when asked; "*" stands for any run of characters.
bool wildcardMatch(const std::string& pattern, const std::string& text, bool ignoreCase,
                   bool ignoreDiacritics);

} // namespace kelvora::mdfind
