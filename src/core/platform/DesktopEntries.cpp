#include "platform/DesktopEntries.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/Url.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace kelvora::DesktopEntries {

namespace {

constexpr std::string_view kSuffix = ".desktop";

// A desktop entry's value with its escapes read: \s, \n, \t, \r and \\.
std::string unescaped(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
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
        default:
            out += next;
            break;
        }
    }
    return out;
}

struct Entry {
    std::optional<std::string> name;
    bool hidden = false;
};

// Only the keys of the [Desktop Entry] group count; the actions' groups have names too.
Entry readEntry(const std::string& text) {
    Entry entry;
    bool inMainGroup = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = trimmed(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos) continue;
        std::string key = trimmed(std::string_view(line).substr(0, equals));
        std::string value = trimmed(std::string_view(line).substr(equals + 1));
        if (key == "Name" && !entry.name) entry.name = unescaped(value);
        if (key == "Hidden") entry.hidden = value == "true";
    }
    return entry;
}

// An entry without a name still says the application is installed.
std::string shownName(const Entry& entry, const std::string& id) {
    return entry.name && !entry.name->empty() ? *entry.name : id;
}

// The file of `name` in one folder, its letter case as given or, `ignoringCase`, any.
std::optional<std::string> entryFile(const std::string& folder, const std::string& name,
                                     bool ignoringCase) {
    const std::string exact = name + std::string(kSuffix);
    if (!ignoringCase) {
        if (fileInfo(joinPath(folder, exact))) return joinPath(folder, exact);
        return std::nullopt;
    }
    for (const FileInfo& entry : listFolder(URL::fileURL(folder, true)).entries)
        if (equalsIgnoringCase(entry.name, exact)) return entry.url.path();
    return std::nullopt;
}

} // namespace

std::vector<std::string> folders(const std::string& dataHome) {
    const char* dataDirsValue = std::getenv("XDG_DATA_DIRS");
    std::string dataDirs = dataDirsValue ? dataDirsValue : "";
    if (dataDirs.empty()) dataDirs = "/usr/local/share:/usr/share";

    std::vector<std::string> bases = {dataHome};
    for (const auto& dir : splitNonEmpty(dataDirs, ':'))
        bases.push_back(dir);
    // Flatpak adds its exports to the session's data folders; a session started some other
    // way still has them.
    for (const auto& exports : {joinPath(dataHome, "flatpak/exports/share"),
                                std::string("/var/lib/flatpak/exports/share")})
        bases.push_back(exports);

    std::vector<std::string> found;
    for (const auto& base : bases) {
        std::string folder = standardizedPath(joinPath(base, "applications"));
        if (std::find(found.begin(), found.end(), folder) == found.end()) found.push_back(folder);
    }
    return found;
}

std::optional<std::string> nameOf(const std::string& name,
                                  const std::vector<std::string>& folders) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    // The desktop knows an entry by its exact name; one that differs in case only comes next.
    for (bool ignoringCase : {false, true}) {
        for (const auto& folder : folders) {
            auto file = entryFile(folder, name, ignoringCase);
            auto text = file ? readFile(*file) : std::nullopt;
            if (!text) continue;
            // The first entry of a name hides those of later folders, also when it is hidden
            // itself: that is how a user deletes a system-wide entry.
            Entry entry = readEntry(*text);
            if (entry.hidden) return std::nullopt;
            return shownName(entry, name);
        }
    }
    return std::nullopt;
}

std::vector<Application> applications(const std::vector<std::string>& folders) {
    std::vector<Application> found;
    std::set<std::string> seen;
    for (const auto& folder : folders) {
        for (const FileInfo& file : listFolder(URL::fileURL(folder, true)).entries) {
            if (!endsWith(file.name, kSuffix) || file.isDirectory()) continue;
            std::string id = file.name.substr(0, file.name.size() - kSuffix.size());
            if (id.empty() || seen.count(id)) continue;
            auto text = readFile(file.url.path());
            if (!text) continue;
            seen.insert(id);
            Entry entry = readEntry(*text);
            if (!entry.hidden) found.push_back({id, shownName(entry, id)});
        }
    }
    return found;
}

} // namespace kelvora::DesktopEntries
