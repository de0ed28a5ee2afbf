#include "login/UnitSettings.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>

namespace kelvora::UnitSettings {

namespace {

bool isComment(std::string_view line) {
    return !line.empty() && (line[0] == '#' || line[0] == ';');
}

// Each logical line of a unit's text: continued lines joined, blank and comment lines out.
std::vector<std::string> logicalLines(std::string_view text) {
    std::vector<std::string> raw;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        raw.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string> lines;
    for (size_t i = 0; i < raw.size(); ++i) {
        std::string line = trimmed(raw[i]);
        if (line.empty() || isComment(line)) continue;
        while (!line.empty() && line.back() == '\\') {
            line.back() = ' ';
            while (++i < raw.size() && isComment(trimmed(raw[i]))) {
            }
            if (i == raw.size()) break;
            line += trimmed(raw[i]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// The folders of one search path folder that may hold the unit's drop-ins, the most
// specific first.
std::vector<std::string> dropInFolderNames(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    const std::string type = name.substr(dot + 1);
    std::vector<std::string> names = {name + ".d"};
    const size_t at = name.find('@');
    const bool instance = at != std::string::npos && at + 1 < dot;
    if (instance) names.push_back(name.substr(0, at + 1) + "." + type + ".d");
    const std::string prefix = name.substr(0, at == std::string::npos ? dot : at);
    for (size_t dash = prefix.rfind('-'); dash != std::string::npos && dash > 0;
         dash = prefix.rfind('-', dash - 1)) {
        std::string folder = prefix.substr(0, dash + 1) + "." + type + ".d";
        if (folder != name + ".d") names.push_back(std::move(folder));
    }
    names.push_back(type + ".d");
    return names;
}

struct Word {
    std::string text;
    bool plain = true; // neither quoted nor escaped
};

std::optional<char> escaped(char c) {
    switch (c) {
    case '\\':
    case '"':
    case '\'':
    case ';':
        return c;
    case 's':
        return ' ';
    case 'n':
        return '\n';
    case 't':
        return '\t';
    case 'r':
        return '\r';
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'v':
        return '\v';
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<Word>> splitWords(std::string_view line) {
    std::vector<Word> words;
    Word word;
    bool inWord = false;
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (i + 1 == line.size()) return std::nullopt;
            auto meant = escaped(line[++i]);
            if (!meant) return std::nullopt;
            word.text += *meant;
            word.plain = false;
            inWord = true;
        } else if (quote) {
            if (c == quote)
                quote = 0;
            else
                word.text += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            word.plain = false;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(std::move(word));
            word = {};
            inWord = false;
        } else {
            word.text += c;
            inWord = true;
        }
    }
    if (quote) return std::nullopt;
    if (inWord) words.push_back(std::move(word));
    return words;
}

constexpr std::string_view kPrefixes = "-@:+!|";

} // namespace

std::vector<std::string> values(std::string_view text, std::string_view group,
                                std::string_view key) {
    std::vector<std::string> found;
    bool inGroup = false;
    for (const std::string& line : logicalLines(text)) {
        if (line.front() == '[') {
            inGroup = line == group;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inGroup || equals == std::string::npos) continue;
        if (trimmed(std::string_view(line).substr(0, equals)) == key)
            found.push_back(trimmed(std::string_view(line).substr(equals + 1)));
    }
    return found;
}

std::optional<std::vector<std::string>> dropIns(const std::string& name,
                                                const std::vector<std::string>& searchPath,
                                                const DiskPlaces& disks) {
    std::map<std::string, std::optional<std::string>> chosen; // file name -> path, none: masked
    for (const std::string& folder : searchPath) {
        const Presence here = presenceOf(folder, disks);
        if (here == Presence::unknown) return std::nullopt;
        if (here == Presence::gone) continue;
        for (const std::string& dropIn : dropInFolderNames(name)) {
            const std::string path = joinPath(folder, dropIn);
            const Listing listing = listFolderThroughLink(URL::fileURL(path, true));
            if (listing.error == ListError::notFound || listing.error == ListError::notAFolder) {
                // Only a link may lead on from here, perhaps onto a disk that is away.
                if (fileExists(path) && presenceOf(path, disks) == Presence::unknown)
                    return std::nullopt;
                continue;
            }
            if (!listing.ok()) return std::nullopt;
            for (const FileInfo& file : listing.entries) {
                if (!endsWith(file.name, ".conf") || chosen.count(file.name)) continue;
                const Presence presence = presenceOf(file.url.path(), disks);
                if (presence == Presence::unknown) return std::nullopt;
                if (presence == Presence::gone) continue;
                const bool masked = realPath(file.url.path()) == "/dev/null";
                chosen[file.name] = masked ? std::nullopt : std::optional(file.url.path());
            }
        }
    }
    std::vector<std::string> files;
    for (const auto& [fileName, path] : chosen)
        if (path) files.push_back(*path);
    return files;
}

Fragment fragment(const std::string& name, const std::vector<std::string>& searchPath,
                  const DiskPlaces& disks) {
    std::vector<std::string> names = {name};
    const size_t at = name.find('@'), dot = name.rfind('.');
    if (at != std::string::npos && dot != std::string::npos && at + 1 < dot)
        names.push_back(name.substr(0, at + 1) + name.substr(dot));
    for (const std::string& candidate : names)
        for (const std::string& folder : searchPath) {
            const std::string path = joinPath(folder, candidate);
            const Presence presence = presenceOf(path, disks);
            if (presence == Presence::present) return {presence, path};
            if (presence == Presence::unknown) return {presence, ""};
        }
    return {};
}

std::optional<std::vector<std::vector<std::string>>>
execStart(const std::vector<std::string>& texts,
          const std::function<std::string(const std::string&)>& expand) {
    std::vector<std::vector<std::string>> commands;
    for (const std::string& text : texts) {
        for (const std::string& value : values(text, "[Service]", "ExecStart")) {
            if (value.empty()) {
                commands.clear();
                continue;
            }
            auto words = splitWords(value);
            if (!words) return std::nullopt;
            std::vector<std::vector<Word>> lines(1);
            for (Word& word : *words) {
                if (word.plain && word.text == ";")
                    lines.emplace_back();
                else
                    lines.back().push_back(std::move(word));
            }
            for (std::vector<Word>& line : lines) {
                if (line.empty()) continue;
                std::string& program = line.front().text;
                const std::string prefixes =
                    program.substr(0, program.find_first_not_of(kPrefixes));
                program.erase(0, prefixes.size());
                if (program.empty() || prefixes.find('|') != std::string::npos) return std::nullopt;
                if (prefixes.find('@') != std::string::npos) {
                    if (line.size() < 2) return std::nullopt;
                    line.erase(line.begin() + 1);
                }
                std::vector<std::string> command;
                for (const Word& word : line)
                    command.push_back(expand(word.text));
                commands.push_back(std::move(command));
            }
        }
    }
    return commands;
}

} // namespace kelvora::UnitSettings
