#include "MetadataQuery.h"

#include "platform/Iso8601.h"
#include "platform/Text.h"

#include <cctype>
#include <charconv>
#include <functional>

namespace kelvora::mdfind {

namespace {

enum class Attribute {
    contentTypeTree,
    contentType,
    isScreenCapture,
    size,
    contentChanged,
    lastUsed,
    name
};
enum class Operator { equal, notEqual, less, lessOrEqual, greater, greaterOrEqual };

struct Value {
    enum class Kind { number, text, date, any };
    Kind kind = Kind::any;
    int64_t number = 0;
    std::string text;
    Date date{};
    bool ignoreCase = false;
    bool ignoreDiacritics = false;
};

struct Comparison {
    Attribute attribute;
    Operator op;
    Value value;
};

} // namespace

struct MetadataQuery::Node {
    enum class Kind { comparison, all, any };
    Kind kind = Kind::comparison;
    Comparison comparison{};
    std::vector<std::shared_ptr<const Node>> parts;
};

namespace {

using NodePtr = std::shared_ptr<const MetadataQuery::Node>;

struct ParseError {
    std::string reason;
};

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    NodePtr parseQuery() {
        NodePtr node = parseAny();
        skipBlanks();
        if (at_ < text_.size()) fail("unexpected \"" + text_.substr(at_, 20) + "\"");
        return node;
    }

private:
    [[noreturn]] void fail(const std::string& reason) { throw ParseError{reason}; }

    void skipBlanks() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
            ++at_;
    }

    bool take(const std::string& token) {
        skipBlanks();
        if (text_.compare(at_, token.size(), token) != 0) return false;
        at_ += token.size();
        return true;
    }

    NodePtr combine(MetadataQuery::Node::Kind kind, std::vector<NodePtr> parts) {
        if (parts.size() == 1) return parts.front();
        auto node = std::make_shared<MetadataQuery::Node>();
        node->kind = kind;
        node->parts = std::move(parts);
        return node;
    }

    NodePtr parseAny() {
        std::vector<NodePtr> parts = {parseAll()};
        while (take("||"))
            parts.push_back(parseAll());
        return combine(MetadataQuery::Node::Kind::any, std::move(parts));
    }

    NodePtr parseAll() {
        std::vector<NodePtr> parts = {parseTerm()};
        while (take("&&"))
            parts.push_back(parseTerm());
        return combine(MetadataQuery::Node::Kind::all, std::move(parts));
    }

    NodePtr parseTerm() {
        if (take("(")) {
            if (++depth_ > kMaxDepth) fail("parentheses nested too deeply");
            NodePtr inner = parseAny();
            if (!take(")")) fail("missing \")\"");
            --depth_;
            return inner;
        }
        auto node = std::make_shared<MetadataQuery::Node>();
        node->comparison = parseComparison();
        return node;
    }

    Comparison parseComparison() {
        skipBlanks();
        size_t start = at_;
        while (at_ < text_.size() && std::isalnum(static_cast<unsigned char>(text_[at_])))
            ++at_;
        std::string name = text_.substr(start, at_ - start);
        if (name.empty()) fail("expected an attribute at \"" + text_.substr(start, 20) + "\"");
        Attribute attribute = attributeNamed(name);
        Operator op = parseOperator();
        Value value = parseValue();
        check(attribute, op, value, name);
        return {attribute, op, value};
    }

    Attribute attributeNamed(const std::string& name) {
        static const std::pair<const char*, Attribute> attributes[] = {
            {"kMDItemContentTypeTree", Attribute::contentTypeTree},
            {"kMDItemContentType", Attribute::contentType},
            {"kMDItemIsScreenCapture", Attribute::isScreenCapture},
            {"kMDItemFSSize", Attribute::size},
            {"kMDItemFSContentChangeDate", Attribute::contentChanged},
            {"kMDItemLastUsedDate", Attribute::lastUsed},
            {"kMDItemFSName", Attribute::name},
        };
        for (const auto& [known, attribute] : attributes)
            if (name == known) return attribute;
        fail("unknown attribute " + name);
    }

    Operator parseOperator() {
        static const std::pair<const char*, Operator> operators[] = {
            {"==", Operator::equal},       {"!=", Operator::notEqual},
            {"<=", Operator::lessOrEqual}, {">=", Operator::greaterOrEqual},
            {"<", Operator::less},         {">", Operator::greater},
        };
        for (const auto& [token, op] : operators)
            if (take(token)) return op;
        fail("expected a comparison at \"" + text_.substr(at_, 20) + "\"");
    }

    Value parseValue() {
        skipBlanks();
        Value value;
        if (take("*")) return value;
        if (take("$time.iso(")) {
            size_t close = text_.find(')', at_);
            if (close == std::string::npos) fail("missing \")\" after $time.iso(");
            std::optional<Date> date = parseIso8601(text_.substr(at_, close - at_));
            if (!date) fail("not a date: " + text_.substr(at_, close - at_));
            at_ = close + 1;
            value.kind = Value::Kind::date;
            value.date = *date;
            return value;
        }
        if (take("\"")) {
            value.kind = Value::Kind::text;
            value.text = quotedText();
            while (at_ < text_.size() && (text_[at_] == 'c' || text_[at_] == 'd'))
                (text_[at_++] == 'c' ? value.ignoreCase : value.ignoreDiacritics) = true;
            return value;
        }
        size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])))
            ++at_;
        auto [end, error] = std::from_chars(text_.data() + start, text_.data() + at_, value.number);
        if (error != std::errc() || end != text_.data() + at_)
            fail("expected a value at \"" + text_.substr(start, 20) + "\"");
        value.kind = Value::Kind::number;
        return value;
    }

    std::string quotedText() {
        std::string out;
        while (at_ < text_.size() && text_[at_] != '"') {
            if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
            out += text_[at_++];
        }
        if (at_ >= text_.size()) fail("unclosed quote");
        ++at_;
        return out;
    }

    // Each attribute takes the kind of value it holds.
    void check(Attribute attribute, Operator op, const Value& value, const std::string& name) {
        using K = Value::Kind;
        bool equality = op == Operator::equal || op == Operator::notEqual;
        bool fits = false;
        switch (attribute) {
        case Attribute::contentTypeTree:
        case Attribute::contentType:
        case Attribute::name:
            fits = equality && (value.kind == K::text || value.kind == K::any);
            break;
        case Attribute::isScreenCapture:
            fits = equality && value.kind != K::text && value.kind != K::date;
            break;
        case Attribute::size:
            fits = value.kind == K::number || (equality && value.kind == K::any);
            break;
        case Attribute::contentChanged:
        case Attribute::lastUsed:
            fits = value.kind == K::date || (equality && value.kind == K::any);
            break;
        }
        if (!fits) fail("cannot compare " + name + " that way");
    }

    static constexpr int kMaxDepth = 64;
    const std::string& text_;
    size_t at_ = 0;
    int depth_ = 0;
};

template <typename T> bool compare(const T& left, Operator op, const T& right) {
    switch (op) {
    case Operator::equal:
        return left == right;
    case Operator::notEqual:
        return left != right;
    case Operator::less:
        return left < right;
    case Operator::lessOrEqual:
        return left <= right;
    case Operator::greater:
        return left > right;
    case Operator::greaterOrEqual:
        return left >= right;
    }
    return false;
}

// "== *" asks whether the attribute is set, "!= *" whether it is not.
bool presence(bool isSet, Operator op) {
    return op == Operator::equal ? isSet : !isSet;
}

bool textMatches(const std::string& actual, const Value& value) {
    return wildcardMatch(value.text, actual, value.ignoreCase, value.ignoreDiacritics);
}

bool evaluate(const Comparison& c, const FileMetadata& file) {
    const Value& v = c.value;
    bool any = v.kind == Value::Kind::any;
    bool equal = c.op == Operator::equal;
    switch (c.attribute) {
    case Attribute::contentTypeTree: {
        if (any) return presence(true, c.op);
        bool found = false;
        for (const auto& type : file.contentTypeTree())
            found = found || textMatches(type, v);
        return equal == found;
    }
    case Attribute::contentType:
        if (any) return presence(true, c.op);
        return equal == textMatches(file.contentType(), v);
    case Attribute::name:
        if (any) return presence(true, c.op);
        return equal == textMatches(file.name(), v);
    case Attribute::isScreenCapture:
        if (any) return presence(file.isScreenCapture(), c.op);
        return compare<int64_t>(file.isScreenCapture() ? 1 : 0, c.op, v.number);
    case Attribute::size: {
        std::optional<int64_t> size = file.size();
        if (any) return presence(size.has_value(), c.op);
        return size && compare(*size, c.op, v.number);
    }
    case Attribute::contentChanged:
        if (any) return presence(true, c.op);
        return compare(file.contentChanged(), c.op, v.date);
    case Attribute::lastUsed: {
        std::optional<Date> lastUsed = file.lastUsed();
        if (any) return presence(lastUsed.has_value(), c.op);
        return lastUsed && compare(*lastUsed, c.op, v.date);
    }
    }
    return false;
}

bool evaluate(const MetadataQuery::Node& node, const FileMetadata& file) {
    switch (node.kind) {
    case MetadataQuery::Node::Kind::comparison:
        return evaluate(node.comparison, file);
    case MetadataQuery::Node::Kind::all:
        for (const auto& part : node.parts)
            if (!evaluate(*part, file)) return false;
        return true;
    case MetadataQuery::Node::Kind::any:
        for (const auto& part : node.parts)
            if (evaluate(*part, file)) return true;
        return false;
    }
    return false;
}

// ---- Wildcards over folded characters ----

// A byte of a broken sequence stands for itself, so a name that is not valid text still
// matches its own bytes.
std::u32string decodeUTF8(const std::string& text) {
    std::u32string out;
    for (size_t i = 0; i < text.size();) {
        CodePoint c = codePointAt(text, i);
        out += c.valid ? c.value : static_cast<unsigned char>(text[i]);
        i += c.length;
    }
    return out;
}

// Base letters of U+00C0 to U+017F, lower-cased; a blank keeps the character as it is.
constexpr char32_t kLatinBase[] =
    U"aaaaaaaceeeeiiiidnooooo ouuuuytsaaaaaaaceeeeiiiidnooooo ouuuuyty"
    U"aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllll"
    U"llllnnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

static_assert(sizeof(kLatinBase) / sizeof(char32_t) == 0x180 - 0xC0 + 1);

// Upper-case letters of Latin-1 and Latin Extended-A, whose pairs alternate in blocks.
bool isUpperLatin(char32_t c) {
    if (c >= 0xC0 && c <= 0xDE) return c != 0xD7;
    if (c >= 0x100 && c <= 0x137) return c % 2 == 0;
    if (c >= 0x139 && c <= 0x148) return c % 2 == 1;
    if (c >= 0x14A && c <= 0x177) return c % 2 == 0;
    if (c == 0x178) return true;
    if (c >= 0x179 && c <= 0x17E) return c % 2 == 1;
    return false;
}

char32_t lowercased(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c - U'A' + U'a';
    // Greek and Cyrillic capitals lie a fixed distance below their small letters.
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
    if (c == 0x3C2) return 0x3C3; // final sigma
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (!isUpperLatin(c)) return c;
    if (c <= 0xDE) return c + 0x20;
    if (c == 0x178) return 0xFF;
    return c + 1;
}

char32_t fold(char32_t c, bool ignoreCase, bool ignoreDiacritics) {
    if (ignoreDiacritics && c >= 0xC0 && c <= 0x17F && kLatinBase[c - 0xC0] != U' ') {
        char32_t base = kLatinBase[c - 0xC0];
        return !ignoreCase && isUpperLatin(c) ? base - U'a' + U'A' : base;
    }
    return ignoreCase ? lowercased(c) : c;
}

std::u32string folded(const std::string& text, bool ignoreCase, bool ignoreDiacritics) {
    std::u32string out = decodeUTF8(text);
    // Names written decomposed carry their accents as marks after the letter.
    if (ignoreDiacritics) std::erase_if(out, [](char32_t c) { return c >= 0x300 && c <= 0x36F; });
    for (char32_t& c : out)
        c = fold(c, ignoreCase, ignoreDiacritics);
    return out;
}

} // namespace

bool wildcardMatch(const std::string& patternText, const std::string& subject, bool ignoreCase,
                   bool ignoreDiacritics) {
    std::u32string pattern = folded(patternText, ignoreCase, ignoreDiacritics);
    std::u32string text = folded(subject, ignoreCase, ignoreDiacritics);
    // Greedy match with backtracking to the last star: linear for the usual "*part*".
    size_t p = 0, t = 0, star = std::u32string::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::u32string::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

std::variant<MetadataQuery, std::string> MetadataQuery::parse(const std::string& text) {
    try {
        MetadataQuery query;
        query.root_ = Parser(text).parseQuery();
        return query;
    } catch (const ParseError& error) {
        return error.reason;
    }
}

bool MetadataQuery::matches(const FileMetadata& file) const {
    return evaluate(*root_, file);
}

} // namespace kelvora::mdfind
