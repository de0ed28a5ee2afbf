#include "catalog/AppNames.h"

#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/ProgramSearch.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <sys/stat.h>

namespace kelvora::AppNames {

namespace {

using Application = DesktopEntries::Application;

std::string lastPart(const std::string& id) {
    const auto parts = splitNonEmpty(id, '.');
    return parts.empty() ? id : parts.back();
}

// Folders named after their maker or a family of programs, not after any one program: each
// stands for the first of its programs that is installed.
const std::map<std::string, std::vector<std::string>>& folderNamesOfNoProgram() {
    static const std::map<std::string, std::vector<std::string>> table = {
        {"mozilla",
         {"firefox", "firefox-esr", "org.mozilla.firefox", "thunderbird", "org.mozilla.Thunderbird",
          "net.thunderbird.Thunderbird"}},
    };
    return table;
}

const Application* matching(const std::string& name, const std::vector<Application>& apps) {
    if (name.empty()) return nullptr;
    using Rule = bool (*)(const std::string&, const Application&);
    static const Rule rules[] = {
        [](const std::string& n, const Application& a) { return a.id == n; },
        [](const std::string& n, const Application& a) { return equalsIgnoringCase(a.id, n); },
        [](const std::string& n, const Application& a) {
            return equalsIgnoringCase(lastPart(a.id), n);
        },
        [](const std::string& n, const Application& a) {
            return !a.program.empty() && !startsAnotherProgram(a.program) &&
                   equalsIgnoringCase(lastComponent(a.program), n);
        },
        [](const std::string& n, const Application& a) {
            return equalsIgnoringCase(a.startupWMClass, n);
        },
    };
    for (Rule rule : rules)
        for (const Application& app : apps)
            if (rule(name, app)) return &app;
    return nullptr;
}

// What tells whether a folder changed: where it is and when its list of entries last did.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    bool operator==(const Stamp& other) const {
        return device == other.device && inode == other.inode &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

Stamp stampOf(const std::string& folder) {
    struct stat status {};
    if (stat(folder.c_str(), &status) != 0) return {};
    return {status.st_dev, status.st_ino, status.st_mtim};
}

} // namespace

std::vector<std::string> desktopEntryFolders() {
    return DesktopEntries::folders(AppPaths::applicationSupport());
}

std::shared_ptr<const std::vector<Application>> installedEntries() {
    static std::mutex guard;
    static std::vector<std::string> readFolders;
    static std::vector<Stamp> readStamps;
    static std::shared_ptr<const std::vector<Application>> read;

    const std::vector<std::string> folders = desktopEntryFolders();
    std::vector<Stamp> stamps;
    for (const auto& folder : folders)
        stamps.push_back(stampOf(folder));
    {
        const std::lock_guard lock(guard);
        if (read && folders == readFolders && stamps == readStamps) return read;
    }
    auto fresh =
        std::make_shared<const std::vector<Application>>(DesktopEntries::applications(folders));
    const std::lock_guard lock(guard);
    readFolders = folders;
    readStamps = stamps;
    read = fresh;
    return fresh;
}

const Application* entryFor(const std::string& name, const std::vector<Application>& apps) {
    if (const Application* app = matching(name, apps)) return app;
    const auto& table = folderNamesOfNoProgram();
    const auto row = std::find_if(table.begin(), table.end(), [&](const auto& entry) {
        return equalsIgnoringCase(entry.first, name);
    });
    if (row == table.end()) return nullptr;
    for (const std::string& program : row->second)
        if (const Application* app = matching(program, apps)) return app;
    return nullptr;
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
        // A path is never a folder's or a program's own name.
        if (identifier.find('/') != std::string::npos) return std::optional<std::string>();
        const auto entries = installedEntries();
        const Application* app = entryFor(identifier, *entries);
        return app ? std::optional<std::string>(app->name) : std::nullopt;
    };
}

} // namespace kelvora::AppNames
