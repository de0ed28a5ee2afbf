#include "search/PhrasePattern.h"

namespace kelvora {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t digitsFrom(const std::string& text, size_t at) {
    size_t end = at;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return end;
}

} // namespace

PhrasePattern::Part PhrasePattern::words(std::vector<std::string> choices, bool captured) {
    return {Part::Kind::words, std::move(choices), false, captured, 0};
}

PhrasePattern::Part PhrasePattern::optionalWords(std::vector<std::string> choices) {
    return {Part::Kind::words, std::move(choices), true, false, 0};
}

PhrasePattern::Part PhrasePattern::count(std::vector<std::string> numberWords) {
    Part part = words(std::move(numberWords), true);
    part.digitsFirst = true;
    return part;
}

PhrasePattern::Part PhrasePattern::blanks() {
    return {Part::Kind::blanks, {}, false, false, 0};
}

PhrasePattern::Part PhrasePattern::number() {
    return {Part::Kind::number, {}, false, true, 0};
}

PhrasePattern::Part PhrasePattern::digits(size_t count) {
    return {Part::Kind::digits, {}, false, true, count};
}

// Runs of blanks and digits are taken whole: no part that follows one starts with a blank
// or a digit, so a shorter run could never match where the whole one fails.
std::optional<size_t> PhrasePattern::matchFrom(const std::string& text, size_t at, size_t index,
                                               std::vector<std::string>& captures) const {
    if (index == parts_.size()) return at;
    const Part& part = parts_[index];
    auto next = [&](size_t end) -> std::optional<size_t> {
        if (part.captured) captures.push_back(text.substr(at, end - at));
        std::optional<size_t> result = matchFrom(text, end, index + 1, captures);
        if (!result && part.captured) captures.pop_back();
        return result;
    };
    switch (part.kind) {
    case Part::Kind::words:
        if (size_t end = digitsFrom(text, at); part.digitsFirst && end > at)
            if (auto result = next(end)) return result;
        for (const auto& choice : part.choices)
            if (text.compare(at, choice.size(), choice) == 0)
                if (auto end = next(at + choice.size())) return end;
        if (part.optional) return matchFrom(text, at, index + 1, captures);
        return std::nullopt;
    case Part::Kind::blanks: {
        size_t end = at;
        while (end < text.size() && isBlank(text[end]))
            ++end;
        return matchFrom(text, end, index + 1, captures);
    }
    case Part::Kind::number: {
        size_t end = digitsFrom(text, at);
        if (end == at) return std::nullopt;
        if (end + 1 < text.size() && text[end] == '.' && isDigit(text[end + 1]))
            end = digitsFrom(text, end + 1);
        return next(end);
    }
    case Part::Kind::digits: {
        if (at + part.digitCount > text.size()) return std::nullopt;
        for (size_t i = at; i < at + part.digitCount; ++i)
            if (!isDigit(text[i])) return std::nullopt;
        return next(at + part.digitCount);
    }
    }
    return std::nullopt;
}

std::optional<PhrasePattern::Match> PhrasePattern::firstMatch(const std::string& text,
                                                              size_t from) const {
    for (size_t start = from; start <= text.size(); ++start) {
        std::vector<std::string> captures;
        if (auto end = matchFrom(text, start, 0, captures))
            return Match{start, *end, std::move(captures)};
    }
    return std::nullopt;
}

std::vector<PhrasePattern::Match> PhrasePattern::allMatches(const std::string& text) const {
    std::vector<Match> matches;
    size_t from = 0;
    while (auto match = firstMatch(text, from)) {
        from = match->end > match->start ? match->end : match->start + 1;
        matches.push_back(std::move(*match));
        if (from > text.size()) break;
    }
    return matches;
}

} // namespace kelvora
