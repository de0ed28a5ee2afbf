#include "catalog/AppNames.h"

#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

namespace kelvora::AppNames {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

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

struct DesktopEntry {
    std::optional<std::string> name;
    bool hidden = false;
};

// Only the keys of the [Desktop Entry] group count; the actions' groups have names too.
DesktopEntry readDesktopEntry(const std::string& text) {
    DesktopEntry entry;
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

} // namespace

std::vector<std::string> desktopEntryFolders() {
    std::string dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty()) dataHome = joinPath(AppPaths::home(), ".local/share");
    std::string dataDirs = environment("XDG_DATA_DIRS");
    if (dataDirs.empty()) dataDirs = "/usr/local/share:/usr/share";

    std::vector<std::string> bases = {dataHome};
    for (const auto& dir : splitNonEmpty(dataDirs, ':'))
        bases.push_back(dir);
    // Flatpak adds its exports to the session's data folders; a session started some other
    // way still has them.
    for (const auto& exports : {joinPath(dataHome, "flatpak/exports/share"),
                                std::string("/var/lib/flatpak/exports/share")})
        bases.push_back(exports);

    std::vector<std::string> folders;
    for (const auto& base : bases) {
        std::string folder = standardizedPath(joinPath(base, "applications"));
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

std::optional<std::string> desktopEntryName(const std::string& identifier,
                                            const std::vector<std::string>& folders) {
    if (identifier.empty() || identifier.find('/') != std::string::npos) return std::nullopt;
    for (const auto& folder : folders) {
        auto text = readFile(joinPath(folder, identifier + ".desktop"));
        if (!text) continue;
        // The first entry of an identifier hides those of later folders, also when it
        // is hidden itself: that is how a user deletes a system-wide entry.
        DesktopEntry entry = readDesktopEntry(*text);
        if (entry.hidden) return std::nullopt;
        // An entry without a name still says the application is installed.
        return entry.name && !entry.name->empty() ? *entry.name : identifier;
    }
    return std::nullopt;
}

std::optional<std::string> bundleName(const std::string& identifier,
                                      const std::vector<URL>& applicationFolders) {
    auto bundle = DiskScanner::applicationURL(identifier, applicationFolders);
    if (!bundle) return std::nullopt;
    return replacingAll(bundle->lastPathComponent(), ".app", "");
}

Lookup live(std::vector<URL> applicationFolders) {
    return [folders = std::move(applicationFolders)](const std::string& identifier) {
        if (auto name = bundleName(identifier, folders)) return name;
        return desktopEntryName(identifier, desktopEntryFolders());
    };
}

} // namespace kelvora::AppNames
