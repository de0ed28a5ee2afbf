#include "platform/DesktopEntries.h"

#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/Url.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace kelvora::DesktopEntries {

namespace {

constexpr std::string_view kSuffix = ".desktop";

// An entry without a name still says the application is installed.
std::string shownName(const DesktopEntry& entry, const std::string& id) {
    auto name = entry.localized("Name", messagesLocale());
    return name && !name->empty() ? *name : id;
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
            auto entry = file ? DesktopEntry::read(*file) : std::nullopt;
            if (!entry) continue;
            // The first entry of a name hides those of later folders, also when it is hidden
            // itself: that is how a user deletes a system-wide entry.
            if (entry->flag("Hidden")) return std::nullopt;
            return shownName(*entry, name);
        }
    }
    return std::nullopt;
}

namespace {

// Entries in subfolders (as Wine makes them, `wine/Programs/App/App.desktop`) have the
// identifier of their path below the folder with '-' for '/'. Linked subfolders are not
// entered, so a loop of links cannot hold the listing. Without the identifiers `seen` so far,
// every file counts.
void collect(const std::string& folder, const std::string& prefix, int depth,
             std::vector<Application>& found, std::set<std::string>* seen) {
    constexpr int kDeepestSubfolder = 4;
    for (const FileInfo& file : listFolder(URL::fileURL(folder, true)).entries) {
        if (file.isDirectory()) {
            if (depth < kDeepestSubfolder)
                collect(file.url.path(), prefix + file.name + "-", depth + 1, found, seen);
            continue;
        }
        if (!endsWith(file.name, kSuffix)) continue;
        std::string id = prefix + file.name.substr(0, file.name.size() - kSuffix.size());
        if (id.empty() || (seen && seen->count(id))) continue;
        auto entry = DesktopEntry::read(file.url.path());
        if (!entry) continue;
        if (seen) {
            seen->insert(id);
            if (entry->flag("Hidden")) continue;
        }
        found.push_back({id, shownName(*entry, id), file.url.path(), entry->program().value_or(""),
                         entry->value("StartupWMClass").value_or(""),
                         entry->value("Icon").value_or("")});
    }
}

} // namespace

std::vector<Application> applications(const std::vector<std::string>& folders) {
    std::vector<Application> found;
    std::set<std::string> seen;
    for (const auto& folder : folders)
        collect(folder, "", 0, found, &seen);
    return found;
}

std::vector<Application> everyEntry(const std::vector<std::string>& folders) {
    std::vector<Application> found;
    for (const auto& folder : folders)
        collect(folder, "", 0, found, nullptr);
    return found;
}

} // namespace kelvora::DesktopEntries
