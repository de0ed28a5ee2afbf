#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// A fixed shape of words in a search phrase ("older than", blanks, a count, blanks, a unit),
// matched leftmost first with each part's choices tried in order. Hand-made rather than a
// regular expression so that a phrase of any length is matched in bounded stack depth.
class PhrasePattern {
public:
    struct Part {
        enum class Kind { words, blanks, number, digits };
        Kind kind = Kind::words;
        std::vector<std::string> choices;
        bool optional = false;
        bool captured = false;
        size_t digitCount = 0;
        bool digitsFirst = false; // a run of digits is tried before the words
    };

    // One of the words, in the order given.
    static Part words(std::vector<std::string> choices, bool captured = false);
    static Part optionalWords(std::vector<std::string> choices);
    // A run of digits or one of the words, captured.
    static Part count(std::vector<std::string> numberWords);
    // Any run of blanks, also none.
    static Part blanks();
    // Digits with an optional fraction ("1.5"), captured.
    static Part number();
    // Exactly this many digits, captured.
    static Part digits(size_t count);

    struct Match {
        size_t start = 0;
        size_t end = 0;
        std::vector<std::string> captures;
    };

    explicit PhrasePattern(std::vector<Part> parts) : parts_(std::move(parts)) {}

    std::optional<Match> firstMatch(const std::string& text, size_t from = 0) const;
    // Non-overlapping matches, left to right.
    std::vector<Match> allMatches(const std::string& text) const;

private:
    std::optional<size_t> matchFrom(const std::string& text, size_t at, size_t part,
                                    std::vector<std::string>& captures) const;

    std::vector<Part> parts_;
};

} // namespace kelvora
