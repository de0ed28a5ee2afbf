#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>

namespace kelvora {

namespace {

using Kind = ScanItem::DeveloperInfo::Kind;

struct BuildFolderRule {
    std::set<std::string> names;
    std::vector<std::string> recipes; // one of these must stand beside the folder
    Kind kind;
};

// The first matching row wins; a row whose recipes are all missing lets later rows try.
const std::vector<BuildFolderRule>& buildFolderRules() {
    static const std::vector<BuildFolderRule> rules = {
        {{"node_modules"}, {"package.json"}, Kind::nodeModules},
        {{".next", ".nuxt", ".svelte-kit", ".parcel-cache", ".turbo", ".angular"},
         {"package.json"},
         Kind::webBuild},
        {{"target"}, {"Cargo.toml"}, Kind::rustTarget},
        {{".build"}, {"Package.swift"}, Kind::swiftBuild},
        {{"Pods"}, {"Podfile"}, Kind::pods},
        {{"build", ".gradle"},
         {"build.gradle", "build.gradle.kts", "settings.gradle", "settings.gradle.kts"},
         Kind::gradleBuild},
        {{"build", ".dart_tool"}, {"pubspec.yaml"}, Kind::flutterBuild},
    };
    return rules;
}

const std::set<std::string>& pythonRecipes() {
    static const std::set<std::string> names = {
        "requirements.txt", "requirements-dev.txt", "pyproject.toml", "Pipfile",    "setup.py",
        "setup.cfg",        "environment.yml",      "uv.lock",        "poetry.lock"};
    return names;
}

const std::set<std::string>& projectMarkers() {
    static const std::set<std::string> names = {
        ".git",           "package.json", "Cargo.toml",       "Package.swift", "Podfile",
        "pyproject.toml", "build.gradle", "build.gradle.kts", "pubspec.yaml",  "requirements.txt"};
    return names;
}

const std::set<std::string>& notProjectFolders() {
    static const std::set<std::string> names = {"Library", "Applications", "Pictures",
                                                "Music",   "Movies",       "Public"};
    return names;
}

constexpr int kDeepestLevel = 12;

bool holdsAny(const std::set<std::string>& names, const std::set<std::string>& wanted) {
    return std::any_of(wanted.begin(), wanted.end(),
                       [&](const std::string& name) { return names.count(name) > 0; });
}

bool holdsPythonRecipe(const std::set<std::string>& siblings) {
    if (holdsAny(siblings, pythonRecipes())) return true;
    return std::any_of(siblings.begin(), siblings.end(), [](const std::string& name) {
        return startsWith(name, "requirements") && endsWith(name, ".txt");
    });
}

std::optional<Kind> buildFolderKind(const URL& entry, bool isFolder,
                                    const std::set<std::string>& siblings) {
    if (!isFolder) return std::nullopt;
    std::string name = entry.lastPathComponent();
    for (const auto& rule : buildFolderRules()) {
        if (!rule.names.count(name)) continue;
        for (const auto& recipe : rule.recipes)
            if (siblings.count(recipe)) return rule.kind;
    }
    if (!fileExists(entry.appending("pyvenv.cfg").path())) return std::nullopt;
    if (holdsPythonRecipe(siblings)) return Kind::pythonEnv;
    return std::nullopt;
}

struct Found {
    URL url;
    Kind kind;
    URL project;
};

struct ProjectWalk {
    std::vector<Found> found;
    std::map<std::string, Date> activity; // project root path -> newest change seen
    FileCounter& counter;
    const StopToken& stop;

    void noteActivity(const URL& project, Date date) {
        auto [it, inserted] = activity.emplace(project.path(), date);
        if (!inserted && date > it->second) it->second = date;
    }
};

// A toolkit that ships its own installation (a "bin" folder with an engine version file)
// is not a project and holds no build output of the user's.
bool isToolkitInstallation(const URL& folder, const std::set<std::string>& names) {
    return names.count("bin") && fileExists(folder.appending("bin/internal/engine.version").path());
}

void noteGitActivity(const URL& gitFolder, const URL& project, ProjectWalk& walk) {
    for (const char* file : {"index", "HEAD", "logs/HEAD"})
        if (auto info = fileInfo(gitFolder.appending(file)))
            walk.noteActivity(project, info->modified);
}

void walkForProjects(const URL& folder, const std::optional<URL>& callerProject, int depth,
                     ProjectWalk& walk) {
    if (depth > kDeepestLevel || walk.stop.stopped()) return;
    Listing listing = listFolder(folder);
    if (!listing.ok()) return;
    std::set<std::string> names;
    for (const auto& entry : listing.entries)
        names.insert(entry.name);
    if (isToolkitInstallation(folder, names)) return;

    std::optional<URL> project = callerProject;
    if (!project && holdsAny(names, projectMarkers())) project = folder;

    for (const auto& entry : listing.entries) {
        if (entry.name == ".DS_Store" || entry.isSymlink()) continue;
        bool isFolder = entry.isDirectory();
        if (project) {
            if (auto kind = buildFolderKind(entry.url, isFolder, names)) {
                walk.found.push_back({folder.appending(entry.name, true), *kind, *project});
                continue;
            }
            if (!isFolder) walk.noteActivity(*project, entry.modified);
            if (entry.name == ".git") noteGitActivity(entry.url, *project, walk);
        }
        if (!isFolder) {
            ++walk.counter.count;
            continue;
        }
        if (entry.name.front() != '.' && !entry.isPackage)
            walkForProjects(entry.url, project, depth + 1, walk);
    }
}

std::vector<URL> projectFolders(const DiskScanner& scanner) {
    std::vector<URL> folders;
    for (const auto& entry : listFolder(scanner.home).entries) {
        if (entry.name.front() == '.' || notProjectFolders().count(entry.name)) continue;
        if (!scanner.mayRead(entry.url)) continue;
        if (entry.isDirectory() && !entry.isPackage) folders.push_back(entry.url);
    }
    return folders;
}

// The name of the executable of the first process started from inside the folder.
std::optional<std::string> processInside(const URL& folder,
                                         const std::vector<std::string>& processPaths) {
    std::string prefix = folder.resolvingSymlinks().path() + "/";
    for (const auto& path : processPaths)
        if (startsWith(path, prefix)) return lastComponent(path);
    return std::nullopt;
}

} // namespace

std::vector<ScanItem> DiskScanner::scanProjects(const std::vector<std::string>& processPaths,
                                                FileCounter& counter) const {
    ProjectWalk walk{{}, {}, counter, stop};
    for (const auto& folder : projectFolders(*this))
        walkForProjects(folder, std::nullopt, 0, walk);

    Date cutoff = addSeconds(now(), -projectStaleAfter);
    std::vector<std::pair<const Found*, Date>> stale;
    std::vector<std::vector<URL>> groups;
    for (const auto& found : walk.found) {
        auto activity = walk.activity.find(found.project.path());
        if (activity == walk.activity.end() || !(activity->second < cutoff)) continue;
        stale.emplace_back(&found, activity->second);
        groups.push_back({found.url});
    }
    // One walk for all of them, so that the folders are measured side by side.
    const auto sizes = measure(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < stale.size(); ++i) {
        if (sizes[i].freesNothing()) continue;
        const auto& [found, lastActivity] = stale[i];
        ScanItem item;
        item.kind = JunkKind::developer;
        item.location = found->url;
        item.targets = {found->url};
        item.bytes = sizes[i].bytes;
        item.inUseBy = processInside(found->url, processPaths);
        item.baseVerdict = Verdict::rebuilds;
        item.record =
            ScanItem::DeveloperInfo{found->kind, found->project.lastPathComponent(), lastActivity};
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
