#include "platform/DesktopEntry.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

namespace kelvora {

namespace {

// A string value as GLib's key files read it: \s, \n, \t, \r and \\ are read, any other
// backslash stays with the character after it, and a value that ends in a lone backslash
// cannot be read.
std::optional<std::string> unescaped(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (i + 1 == value.size()) return std::nullopt;
        switch (char next = value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            // Not an escape of the string rules: Exec's quoting reads it later.
            out += '\\';
            out += next;
            break;
        }
    }
    return out;
}

// Each line of a text with where it starts; a last line without a line end counts.
struct Line {
    size_t start = 0;
    size_t end = 0; // one past the line's last character, before its '\n'
};

std::vector<Line> linesOf(std::string_view text) {
    std::vector<Line> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back({start, end});
        start = end + 1;
    }
    return lines;
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> keyLine(std::string_view line) {
    const std::string text = trimmed(line);
    if (text.empty() || text[0] == '#' || text[0] == '[') return std::nullopt;
    const size_t equals = text.find('=');
    if (equals == std::string::npos) return std::nullopt;
    return KeyLine{trimmed(std::string_view(text).substr(0, equals)),
                   trimmed(std::string_view(text).substr(equals + 1))};
}

bool isGroupHeader(std::string_view line) {
    const std::string text = trimmed(line);
    return !text.empty() && text[0] == '[';
}

// A key line of a group, with where its parts lie in the text.
struct KeySpan {
    std::string key;
    std::string rawValue;
    size_t start = 0;      // of the line
    size_t contentEnd = 0; // before the line's end, "\n" or "\r\n"
    size_t valueStart = 0;
    size_t valueEnd = 0; // before any blanks after the value
};

struct GroupSpans {
    std::vector<KeySpan> keys;       // in file order
    std::optional<size_t> headerEnd; // of the group's first header, before its line end
    std::string lineEnd = "\n";      // the text's own: a text with any CRLF writes CRLF
};

GroupSpans groupSpans(std::string_view all, std::string_view group) {
    GroupSpans spans;
    if (all.find("\r\n") != std::string_view::npos) spans.lineEnd = "\r\n";
    bool inGroup = false;
    for (const Line& line : linesOf(all)) {
        size_t contentEnd = line.end;
        if (contentEnd > line.start && all[contentEnd - 1] == '\r') --contentEnd;
        const std::string_view content = all.substr(line.start, contentEnd - line.start);
        if (isGroupHeader(content)) {
            inGroup = trimmed(content) == group;
            if (inGroup && !spans.headerEnd) spans.headerEnd = contentEnd;
            continue;
        }
        if (!inGroup) continue;
        auto found = keyLine(content);
        if (!found) continue;
        size_t valueStart = line.start + content.find('=') + 1;
        while (valueStart < contentEnd && (all[valueStart] == ' ' || all[valueStart] == '\t'))
            ++valueStart;
        size_t valueEnd = contentEnd;
        while (valueEnd > valueStart && (all[valueEnd - 1] == ' ' || all[valueEnd - 1] == '\t'))
            --valueEnd;
        spans.keys.push_back(
            {found->key, found->value, line.start, contentEnd, valueStart, valueEnd});
    }
    return spans;
}

// The launcher fills in field codes on the string, before its words are read: "%%" is "%",
// and the others (%f, %U, %i…) name no program, so they are left out.
std::string withoutFieldCodes(std::string_view exec) {
    std::string out;
    for (size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            out += exec[i];
        } else if (exec[++i] == '%') {
            out += '%';
        }
    }
    return out;
}

// The words of a command line as GLib's shell parsing reads them: blanks and newlines part
// words; outside quotes a backslash keeps the next character (a newline after it goes too);
// single quotes keep everything; in double quotes a backslash escapes only $ ` " \ and a
// newline. A '#' first in the text or after a space or newline begins a comment up to the
// line's end. None for a quote left open or a backslash that ends the text.
std::optional<std::vector<std::string>> shellWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    auto finish = [&] {
        if (inWord) words.push_back(std::move(word));
        word.clear();
        inWord = false;
    };
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
        } else if (c == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\n')) {
            i = std::min(line.find('\n', i), line.size()); // the newline goes with it
        } else if (c == '\\') {
            if (++i == line.size()) return std::nullopt;
            if (line[i] == '\n') continue;
            word += line[i];
            inWord = true;
        } else if (c == '\'') {
            const size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            word.append(line.substr(i + 1, close - i - 1));
            inWord = true;
            i = close;
        } else if (c == '"') {
            inWord = true;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                const bool escapes =
                    line[i] == '\\' && i + 1 < line.size() &&
                    std::string_view("$`\"\\\n").find(line[i + 1]) != std::string_view::npos;
                word += line[escapes ? ++i : i];
            }
            if (i == line.size()) return std::nullopt;
        } else {
            word += c;
            inWord = true;
        }
    }
    finish();
    return words;
}

bool isEnv(const std::string& word) {
    return word == "env" || endsWith(word, "/env");
}

enum class EnvOption { flag, withArgument, unknown };

EnvOption longEnvOption(std::string_view name, bool hasValue) {
    for (std::string_view flag : {"ignore-environment", "null", "debug", "list-signal-handling"})
        if (name == flag) return hasValue ? EnvOption::unknown : EnvOption::flag;
    // Their signal lists come only after "=".
    for (std::string_view signals : {"block-signal", "default-signal", "ignore-signal"})
        if (name == signals) return EnvOption::flag;
    for (std::string_view taking : {"unset", "chdir", "split-string"})
        if (name == taking) return EnvOption::withArgument;
    return EnvOption::unknown;
}

// A split string's words, when it holds nothing that env's own quoting, escapes, variables
// or comments would read otherwise than plain blanks between words.
std::optional<std::vector<std::string>> splitString(std::string_view text) {
    if (text.find_first_of(R"(\'"$#)") != std::string_view::npos) return std::nullopt;
    return splitNonEmpty(replacingAll(std::string(text), "\t", " "), ' ');
}

// Reads one env's options and assignments; the command after them, or none when a word
// cannot be read for sure.
std::optional<std::vector<std::string>> afterEnv(std::vector<std::string> words) {
    size_t at = 1;
    // Takes the option's argument, from the rest of its word or the next word; a split
    // string's words then stand in its place and are read as options again.
    auto take = [&](char option, std::optional<std::string> argument) {
        if (!argument) {
            if (at + 1 >= words.size()) return false;
            argument = words[at + 1];
            words.erase(words.begin() + static_cast<std::ptrdiff_t>(at));
        }
        words.erase(words.begin() + static_cast<std::ptrdiff_t>(at));
        if (option != 'S') return true;
        auto split = splitString(*argument);
        if (!split) return false;
        words.insert(words.begin() + static_cast<std::ptrdiff_t>(at), split->begin(), split->end());
        return true;
    };
    while (at < words.size()) {
        const std::string word = words[at];
        if (word == "--") {
            ++at;
            break;
        }
        if (word == "-") { // as -i
            ++at;
            continue;
        }
        if (startsWith(word, "--")) {
            const size_t equals = word.find('=');
            const std::string name = word.substr(2, equals - std::min(equals, size_t{2}));
            switch (longEnvOption(name, equals != std::string::npos)) {
            case EnvOption::flag:
                ++at;
                continue;
            case EnvOption::withArgument:
                if (!take(name == "split-string" ? 'S' : 'u',
                          equals == std::string::npos ? std::nullopt
                                                      : std::optional(word.substr(equals + 1))))
                    return std::nullopt;
                continue;
            case EnvOption::unknown:
                return std::nullopt;
            }
        }
        if (word.size() < 2 || word[0] != '-') break;
        bool taken = false;
        for (size_t i = 1; i < word.size() && !taken; ++i) {
            const char option = word[i];
            if (option == 'i' || option == '0' || option == 'v') continue;
            if (option != 'u' && option != 'C' && option != 'S') return std::nullopt;
            if (!take(option,
                      i + 1 < word.size() ? std::optional(word.substr(i + 1)) : std::nullopt))
                return std::nullopt;
            taken = true;
        }
        if (!taken) ++at;
    }
    while (at < words.size() && words[at].find('=') != std::string::npos) {
        if (words[at][0] == '=') return std::nullopt;
        ++at;
    }
    // A command that looks like an option is more likely a word misread.
    if (at < words.size() && words[at][0] == '-') return std::nullopt;
    return std::vector<std::string>(words.begin() + static_cast<std::ptrdiff_t>(at), words.end());
}

bool namesAny(const std::vector<std::string>& names, const std::vector<std::string>& desktops) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return std::any_of(desktops.begin(), desktops.end(), [&](const std::string& desktop) {
            return equalsIgnoringCase(name, desktop);
        });
    });
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::read(const std::string& path, std::string_view group) {
    BoundedRead read = readFileAtMost(path, kMaxBytes);
    if (!read.ok()) return std::nullopt;
    return parse(std::move(read.bytes), group);
}

DesktopEntry DesktopEntry::parse(std::string text, std::string_view group) {
    DesktopEntry entry;
    entry.text_ = std::move(text);
    entry.group_ = group;
    for (KeySpan& span : groupSpans(entry.text_, group).keys)
        entry.keys_.push_back({std::move(span.key), std::move(span.rawValue)});
    return entry;
}

const std::string* DesktopEntry::rawValue(std::string_view key) const {
    for (auto each = keys_.rbegin(); each != keys_.rend(); ++each)
        if (each->key == key) return &each->rawValue;
    return nullptr;
}

std::optional<std::string> DesktopEntry::value(std::string_view key) const {
    const std::string* raw = rawValue(key);
    return raw ? unescaped(*raw) : std::nullopt;
}

std::optional<std::string> DesktopEntry::localized(std::string_view key,
                                                   std::string_view locale) const {
    // lang_COUNTRY.ENCODING@MODIFIER: the encoding never takes part in the match.
    std::string name(locale);
    std::string modifier;
    if (size_t at = name.find('@'); at != std::string::npos) {
        modifier = name.substr(at);
        name.erase(at);
    }
    if (size_t dot = name.find('.'); dot != std::string::npos) name.erase(dot);
    std::string language = name.substr(0, name.find('_'));

    std::vector<std::string> tried;
    if (!modifier.empty()) tried.push_back(name + modifier);
    tried.push_back(name);
    if (language != name) {
        if (!modifier.empty()) tried.push_back(language + modifier);
        tried.push_back(language);
    }
    if (language != "C" && language != "POSIX" && !language.empty()) {
        for (const auto& each : tried)
            if (auto found = value(std::string(key) + "[" + each + "]")) return found;
    }
    return value(key);
}

bool DesktopEntry::flag(std::string_view key) const {
    return value(key) == "true";
}

std::vector<std::string> DesktopEntry::list(std::string_view key) const {
    std::vector<std::string> items;
    for (const auto& item : splitNonEmpty(value(key).value_or(""), ';')) {
        std::string each = trimmed(item);
        if (!each.empty()) items.push_back(each);
    }
    return items;
}

std::vector<std::string> DesktopEntry::keys() const {
    std::vector<std::string> names;
    for (const Key& each : keys_)
        if (std::find(names.begin(), names.end(), each.key) == names.end())
            names.push_back(each.key);
    return names;
}

std::optional<std::vector<std::string>> DesktopEntry::execWords(std::string_view key) const {
    const std::string* raw = rawValue(key);
    if (!raw) return std::vector<std::string>();
    const auto exec = unescaped(*raw);
    if (!exec) return std::nullopt;
    return shellWords(withoutFieldCodes(*exec));
}

std::optional<std::string> DesktopEntry::program(std::string_view key,
                                                 std::string_view marks) const {
    std::vector<std::string> words = execWords(key).value_or(std::vector<std::string>());
    if (!words.empty()) words.front().erase(0, words.front().find_first_not_of(marks));
    const std::vector<std::string> command = commandThroughEnv(std::move(words));
    if (command.empty() || command.front().empty()) return std::nullopt;
    return command.front();
}

bool DesktopEntry::showsIn(const std::vector<std::string>& desktops) const {
    const std::vector<std::string> only = list("OnlyShowIn");
    if (!only.empty() && !namesAny(only, desktops)) return false;
    return !namesAny(list("NotShowIn"), desktops);
}

std::string DesktopEntry::withValue(std::string_view key, std::string_view value) const {
    const std::vector<KeySpan> spans = groupSpans(text_, group_).keys;
    for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
        if (span->key != key) continue;
        std::string out = text_;
        out.replace(span->valueStart, span->valueEnd - span->valueStart, value);
        return out;
    }
    return withLineAdded(key, value);
}

std::string DesktopEntry::withValueReplaced(std::string_view key, std::string_view from,
                                            std::string_view to) const {
    const std::vector<KeySpan> spans = groupSpans(text_, group_).keys;
    std::string out = text_;
    // From the end, so that the places of the lines before stay where they were.
    for (auto span = spans.rbegin(); span != spans.rend(); ++span)
        if (span->key == key && span->rawValue == from)
            out.replace(span->valueStart, span->valueEnd - span->valueStart, to);
    return out;
}

std::string DesktopEntry::withLineAdded(std::string_view key, std::string_view value) const {
    const GroupSpans spans = groupSpans(text_, group_);
    const std::string line = std::string(key) + "=" + std::string(value);
    std::string out = text_;
    auto after = spans.keys.empty() ? spans.headerEnd : spans.keys.back().contentEnd;
    if (after) {
        // The new line ends as the one it follows did; that one ends as the text's lines do.
        const bool crlf = *after < out.size() ? out[*after] == '\r' : spans.lineEnd == "\r\n";
        out.insert(*after, (crlf ? "\r\n" : "\n") + line);
        return out;
    }
    if (!out.empty() && out.back() != '\n') out += spans.lineEnd;
    return out + group_ + spans.lineEnd + line + spans.lineEnd;
}

std::optional<std::string> DesktopEntry::withoutLastLine(std::string_view key,
                                                         std::string_view value) const {
    const GroupSpans spans = groupSpans(text_, group_);
    if (spans.keys.empty()) return std::nullopt;
    const KeySpan& last = spans.keys.back();
    const std::string line = std::string(key) + "=" + std::string(value);
    if (std::string_view(text_).substr(last.start, last.contentEnd - last.start) != line)
        return std::nullopt;
    // The line end before it goes with it, as withLineAdded put it there.
    size_t from = last.start;
    if (from > 0 && text_[from - 1] == '\n') --from;
    if (from > 0 && text_[from - 1] == '\r') --from;
    std::string out = text_;
    out.erase(from, last.contentEnd - from);
    return out;
}

std::vector<std::string> commandThroughEnv(std::vector<std::string> words) {
    while (!words.empty() && isEnv(words.front())) {
        auto command = afterEnv(words);
        if (!command) return words;
        words = std::move(*command);
    }
    return words;
}

std::string messagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "C";
}

std::vector<std::string> currentDesktops() {
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    return splitNonEmpty(value ? value : "", ':');
}

} // namespace kelvora
