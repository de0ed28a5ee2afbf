#include "platform/UnitFolders.h"

#include "platform/AppPaths.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>

namespace kelvora::UnitFolders {

namespace {

// Far above any real unit file.
constexpr size_t kMaxUnitBytes = 1 << 20;

bool isMountUnit(const std::string& name) {
    return endsWith(name, ".mount") || endsWith(name, ".automount");
}

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// The mount points one unit file, or a link to one, stands for; the root is always mounted.
void addPointsOf(const FileInfo& unit, std::vector<std::string>& points) {
    std::vector<std::string> found;
    if (auto named = pathOfName(unit.name)) found.push_back(*named);
    BoundedRead read = readFileAtMost(unit.url.path(), kMaxUnitBytes);
    for (const char* group : {"[Mount]", "[Automount]"})
        if (auto where =
                read.ok() ? DesktopEntry::parse(read.bytes, group).value("Where") : std::nullopt;
            where && startsWith(*where, "/"))
            found.push_back(standardizedPath(*where));
    for (std::string& point : found)
        if (point != "/") points.push_back(std::move(point));
}

} // namespace

std::vector<URL> otherUser(const URL& dataHome) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string run = runtime && *runtime == '/' ? joinPath(runtime, "systemd") : "";
    std::vector<std::string> folders;
    auto inRuntime = [&](const char* name) {
        if (!run.empty()) folders.push_back(joinPath(run, name));
    };
    inRuntime("user.control");
    inRuntime("transient");
    inRuntime("generator.early");
    folders.push_back("/etc/systemd/user");
    inRuntime("user");
    folders.push_back("/run/systemd/user");
    inRuntime("generator");
    folders.push_back(joinPath(dataHome.path(), "systemd/user"));
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    for (const std::string& folder :
         splitNonEmpty(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share", ':'))
        if (folder.front() == '/') folders.push_back(joinPath(folder, "systemd/user"));
    folders.push_back("/usr/local/lib/systemd/user");
    folders.push_back("/usr/lib/systemd/user");
    inRuntime("generator.late");
    std::vector<URL> urls;
    for (const std::string& folder : folders)
        urls.push_back(URL::fileURL(folder, true));
    return urls;
}

std::vector<URL> otherSystem() {
    std::vector<URL> urls;
    for (const char* folder :
         {"/etc/systemd/system.control", "/run/systemd/system.control", "/run/systemd/transient",
          "/run/systemd/generator.early", "/etc/systemd/system.attached", "/run/systemd/system",
          "/run/systemd/system.attached", "/run/systemd/generator", "/usr/local/lib/systemd/system",
          "/usr/lib/systemd/system", "/lib/systemd/system", "/run/systemd/generator.late"})
        urls.push_back(URL::fileURL(folder, true));
    return urls;
}

std::vector<std::string> liveUser() {
    std::vector<std::string> folders = {joinPath(AppPaths::configHome(), "systemd/user")};
    for (const URL& folder : configDirs())
        folders.push_back(joinPath(folder.path(), "systemd/user"));
    for (const URL& folder : otherUser(URL::fileURL(AppPaths::applicationSupport(), true)))
        folders.push_back(folder.path());
    return folders;
}

std::vector<std::string> live() {
    std::vector<std::string> folders = liveUser();
    folders.push_back("/etc/systemd/system");
    for (const URL& folder : otherSystem())
        folders.push_back(folder.path());
    return folders;
}

std::optional<std::string> pathOfName(const std::string& unitName) {
    const size_t dot = unitName.rfind('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    const std::string escaped = unitName.substr(0, dot);
    if (escaped == "-") return "/";
    std::string path = "/";
    for (size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c == '-') {
            path += '/';
        } else if (c == '\\') {
            if (i + 3 >= escaped.size() || escaped[i + 1] != 'x') return std::nullopt;
            auto high = hexDigit(escaped[i + 2]), low = hexDigit(escaped[i + 3]);
            if (!high || !low || (*high == 0 && *low == 0)) return std::nullopt;
            path += static_cast<char>(*high * 16 + *low);
            i += 3;
        } else {
            path += c;
        }
    }
    // systemd takes only a normalised path from a name: no empty, "." or ".." component.
    const auto parts = splitNonEmpty(path, '/');
    if (path.find("//") != std::string::npos || path.back() == '/' ||
        std::any_of(parts.begin(), parts.end(),
                    [](const std::string& part) { return part == "." || part == ".."; }))
        return std::nullopt;
    return path;
}

std::vector<std::string> mountPoints(const std::vector<std::string>& folders) {
    std::vector<std::string> points;
    for (const std::string& folder : folders) {
        const Listing listing = listFolderThroughLink(URL::fileURL(folder, true));
        for (const FileInfo& entry : listing.entries) {
            if (entry.isDirectory() &&
                (endsWith(entry.name, ".wants") || endsWith(entry.name, ".requires"))) {
                for (const FileInfo& linked : listFolder(entry.url).entries)
                    if (isMountUnit(linked.name)) addPointsOf(linked, points);
            } else if (isMountUnit(entry.name)) {
                addPointsOf(entry, points);
            }
        }
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

} // namespace kelvora::UnitFolders
