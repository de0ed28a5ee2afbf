#include "spacemap/FolderGuide.h"

#include "engine/DiskScanner.h"
#include "platform/HomeFolders.h"
#include "platform/Text.h"

#include <vector>

namespace kelvora::FolderGuide {

namespace {

struct Row {
    const char* key;
    const char* title;
    const char* text;
    Advice advice;
};

std::map<std::string, Answer> tableOf(const std::vector<Row>& rows) {
    std::map<std::string, Answer> table;
    for (const Row& row : rows)
        table.emplace(row.key, Answer{row.title, row.text, row.advice});
    return table;
}

const char* const kPythonEnvText =
    "A project’s Python packages. pip install or uv sync makes it again from the project’s "
    "requirements.";

const std::vector<Row>& nameRows() {
    static const std::vector<Row> rows = {
        {"node_modules", "Node packages",
         "A project’s installed npm packages. npm install (or yarn, pnpm, bun) brings them back. "
         "Kelvora’s Developer files lists them in projects you haven’t touched for months.",
         Advice::clearable},
        {".venv", "Python environment", kPythonEnvText, Advice::clearable},
        {"venv", "Python environment", kPythonEnvText, Advice::clearable},
        {".git", "Git history",
         "Every version of a project’s files. Keep it: it’s the project’s history.", Advice::yours},
        {"DerivedData", "Xcode build data", "Xcode makes this again on the next build.",
         Advice::clearable},
        {"Pods", "CocoaPods packages", "A project’s installed pods. pod install brings them back.",
         Advice::clearable},
        {"target", "Build output",
         "Compiled output, often from Rust. The next build makes it again.", Advice::clearable},
        {".next", "Next.js build cache", "Next.js makes this again on the next build or dev run.",
         Advice::clearable},
        {"__pycache__", "Python bytecode",
         "Compiled Python files. Python makes them again when the code runs.", Advice::clearable},
        {".build", "Swift build output", "The next swift build makes this again.",
         Advice::clearable},
    };
    return rows;
}

const std::vector<Row>& placeRows() {
    static const std::vector<Row> rows = {
        {"Library", "Your Library",
         "Where macOS and your apps keep settings, caches and data. Hidden in Finder because most "
         "of it isn’t meant to be touched by hand. Kelvora’s categories pick out the safe parts.",
         Advice::leaveIt},
        {"Library/Caches", "App caches",
         "Files apps keep so they open and load faster. They make them again as needed. "
         "Kelvora’s App caches category clears these, leaving caches of open apps alone.",
         Advice::clearable},
        {"Library/Application Support", "App data",
         "Where apps keep their own data: settings, databases, downloaded content. Each folder "
         "belongs to one app. Removing one resets that app; Kelvora’s Removed apps category lists "
         "folders whose app is gone.",
         Advice::leaveIt},
        {"Library/Containers", "Sandboxed apps’ data",
         "Data for App Store and other sandboxed apps, one folder per app. macOS guards these; "
         "remove an app to remove its container.",
         Advice::leaveIt},
        {"Library/Group Containers", "Data shared between apps",
         "Data that apps from one maker share with each other. macOS guards these; they go when "
         "the last app of the group is removed.",
         Advice::leaveIt},
        {"Library/Logs", "Logs",
         "Records apps write while they run, and crash reports. Old ones are safe to remove; "
         "Kelvora’s Old logs category does that.",
         Advice::clearable},
        {"Library/Mail", "Mail",
         "Your email, kept by the Mail app, with downloaded attachments. Kelvora’s Attachments "
         "category can clear attachments that download again from the server.",
         Advice::leaveIt},
        {"Library/Messages", "Messages",
         "Your chats and every photo, video and file in them. Kelvora lists big attachments by "
         "year; the messages themselves stay.",
         Advice::yours},
        {"Library/Mobile Documents", "iCloud Drive",
         "Files in iCloud Drive kept on this Mac. macOS can remove the local copy of files you "
         "don’t use and keep them in iCloud (Optimize Mac Storage).",
         Advice::yours},
        {"Library/Developer", "Xcode and developer tools",
         "Build data, simulators and device support files from Xcode. Much of it rebuilds; "
         "Kelvora’s Developer files category lists the stale parts.",
         Advice::clearable},
        {"Library/Developer/Xcode/DerivedData", "Xcode build data",
         "Build products and indexes of your Xcode projects. Xcode makes them again on the next "
         "build; Kelvora’s Developer files category lists them.",
         Advice::clearable},
        {"Library/Developer/CoreSimulator", "iOS simulators",
         "Simulated devices with their apps and data. Kelvora’s Developer files category lists "
         "the ones you no longer use.",
         Advice::clearable},
        {"Library/Application Support/MobileSync/Backup", "iPhone and iPad backups",
         "Backups Finder made of your devices. The newest one is what restores a device; older "
         "ones can usually go. Kelvora’s System Data category shows which is which.",
         Advice::yours},
        {"Library/Saved Application State", "Saved windows",
         "What each app had open when it quit, so its windows come back. Safe to clear; apps "
         "then open fresh.",
         Advice::clearable},
        {"Library/Preferences", "Settings",
         "Each app’s settings, one small file per app. Tiny; leave them, except ones Kelvora "
         "lists for apps you’ve removed.",
         Advice::leaveIt},
        {"Library/Containers/com.docker.docker", "Docker Desktop",
         "Docker’s disk image with all your images, containers and volumes. Free space inside it "
         "with Docker’s own tools.",
         Advice::leaveIt},
        {"Pictures/Photos Library.photoslibrary", "Photos library",
         "Every photo and video in the Photos app. Kelvora never touches it; use Photos to "
         "remove pictures, or turn on Optimize Mac Storage in its settings.",
         Advice::yours},
        {"Music/Music", "Music library",
         "Your Music app library. Manage it from Music; Kelvora leaves it alone.", Advice::yours},
        {"Movies/TV", "TV app downloads",
         "Films and shows downloaded in the TV app. Remove downloads from the TV app; they "
         "stream again whenever you like.",
         Advice::yours},
        {".Trash", "Trash",
         "Things you’ve already deleted, still taking space until the Trash is emptied.",
         Advice::clearable},
        {".cache", "Tool caches",
         "Caches for command-line tools (Hugging Face, pip, pre-commit and others). They "
         "download again when needed.",
         Advice::clearable},
        {".cache/huggingface", "Hugging Face models",
         "AI models and datasets downloaded from Hugging Face. Kelvora’s AI files category lists "
         "each model.",
         Advice::yours},
        {".ollama", "Ollama models",
         "Local AI models pulled with Ollama. Remove with ollama rm, or from Kelvora’s AI files "
         "category.",
         Advice::yours},
        {".npm", "npm cache",
         "Packages npm downloaded before. npm fetches them again when a project needs them.",
         Advice::clearable},
        {".cargo", "Rust toolchain and crates",
         "Rust’s package manager with the tools you installed and the crates it downloaded. "
         "cargo looks after it; leave it.",
         Advice::leaveIt},
        {".rustup", "Rust toolchains",
         "The Rust compilers installed with rustup. Remove old ones with rustup toolchain "
         "uninstall.",
         Advice::leaveIt},
        {".gradle", "Gradle cache",
         "Libraries and build caches Gradle downloaded. Gradle fetches them again on the next "
         "build.",
         Advice::clearable},
        {".m2", "Maven repository",
         "Libraries Maven downloaded. Maven fetches them again when a build needs them.",
         Advice::clearable},
        {".nvm", "Node versions",
         "Node.js versions installed with nvm. Remove old ones with nvm uninstall.",
         Advice::leaveIt},
        {".pyenv", "Python versions",
         "Python versions installed with pyenv. Remove old ones with pyenv uninstall.",
         Advice::leaveIt},
        {".docker", "Docker settings", "Docker’s settings and sign-ins. Small; leave it.",
         Advice::leaveIt},
        {".claude", "Claude Code",
         "Claude Code’s chats, settings, skills and plugins. Old chats are listed under AI "
         "files; the rest is yours.",
         Advice::yours},
        {".codex", "Codex",
         "Codex’s chats and settings. Old chats are listed under AI files; the rest is yours.",
         Advice::yours},
        {".gemini", "Gemini and Antigravity",
         "Chats and settings of Gemini’s command-line tool and Antigravity. Old chats are listed "
         "under AI files; the rest is yours.",
         Advice::yours},
        {".vscode", "VS Code extensions",
         "The extensions installed in VS Code. Remove ones you don’t use from inside VS Code.",
         Advice::leaveIt},
        {".cursor", "Cursor extensions",
         "The extensions installed in Cursor. Remove ones you don’t use from inside Cursor.",
         Advice::leaveIt},
        {".bun", "Bun",
         "The Bun runtime and the packages it downloaded. Its cache downloads again when needed.",
         Advice::clearable},
        {".android", "Android tools",
         "Settings and emulator images of the Android tools. Remove emulators from Android "
         "Studio’s Device Manager.",
         Advice::leaveIt},
        {"Library/Android/sdk", "Android SDK",
         "The Android SDK that Android Studio installed. Remove old platforms and system images "
         "from its SDK Manager.",
         Advice::leaveIt},
        {"Applications", "Your own apps",
         "Apps installed just for you. Kelvora’s Unused apps category lists ones you haven’t "
         "opened in months.",
         Advice::yours},
        {"Downloads", "Downloads",
         "Everything you’ve downloaded. Kelvora’s Old downloads category lists installers and "
         "zips you’ve already used.",
         Advice::yours},
        {"Desktop", "Desktop",
         "Files on your desktop. Yours to sort; Kelvora lists old screenshots and duplicates "
         "here.",
         Advice::yours},
        {"Documents", "Documents",
         "Your documents. Kelvora only lists duplicates and large old files here, and never "
         "picks them for you.",
         Advice::yours},
    };
    return rows;
}

struct ParentRule {
    const char* relativePath;
    const char* titleStart;
};

// A cache folder's own rule is the App caches category's (cacheAnswer).
const ParentRule kParentRules[] = {
    {"Library/Application Support", "Data for"},
    {"Library/Containers", "Data for"},
};

// Only names shaped like a reverse-domain bundle identifier are looked up.
std::optional<std::string> appName(const std::string& name, const AppLocator& locateApp) {
    if (splitNonEmpty(name, '.').size() < 3) return std::nullopt;
    std::optional<URL> app = locateApp(name);
    if (!app) return std::nullopt;
    return app->deletingPathExtension().lastPathComponent();
}

Answer parentRuleAnswer(const ParentRule& rule, const std::string& app) {
    std::string title = std::string(rule.titleStart) + " " + app;
    return {title,
            app + " keeps its data here. Removing it resets the app; if " + app +
                " is gone, Kelvora lists this under Removed apps.",
            Advice::leaveIt};
}

// The cache folders the App caches category never offers, and why.
const std::map<std::string, Answer>& keptCaches() {
    static const std::map<std::string, Answer> table = {
        {"doc",
         {"Files shared with sandboxed apps",
          "Where the desktop shows sandboxed apps the files you share with them. They are your "
          "own files, not a cache, so Kelvora never offers them.",
          Advice::yours}},
        {"ibus",
         {"Your input method’s learned words",
          "The words and phrases your input method learned from you. Nothing makes them again, "
          "so Kelvora never offers them.",
          Advice::leaveIt}},
        {"obexd",
         {"Files received over Bluetooth",
          "Files sent to this computer over Bluetooth. They are yours, so Kelvora never offers "
          "them.",
          Advice::yours}},
    };
    return table;
}

// A cache folder as the App caches category sees it: kept, downloaded again, built again
// here, or made again by its app.
Answer cacheAnswer(const std::string& folder, const std::string& app) {
    if (auto kept = keptCaches().find(folder); kept != keptCaches().end()) return kept->second;
    const std::string title = "Cache for " + app;
    if (DiskScanner::isBuiltHere(folder))
        return {title,
                "What was built on this computer, kept to save building it again. It builds "
                "again when needed, which takes a while; Kelvora’s App caches category can "
                "clear it.",
                Advice::clearable};
    if (DiskScanner::isDownloadCache(folder))
        return {title,
                "Downloads kept so they need not be fetched again. They download again when "
                "needed; Kelvora’s App caches category can clear them.",
                Advice::clearable};
    return {title,
            app +
                " keeps these to load faster and makes them again as needed. Kelvora’s App "
                "caches category can clear them while " +
                app + " is closed.",
            Advice::clearable};
}

// The user folders by the names the scanners give them, with what each is.
struct UserFolder {
    const char* role;
    const char* title;
    const char* text;
};

const std::vector<UserFolder>& userFolders() {
    static const std::vector<UserFolder> folders = {
        {"Downloads", "Downloads",
         "Everything you’ve downloaded. Kelvora’s Old downloads category lists installers and "
         "zips you’ve already used."},
        {"Desktop", "Desktop",
         "Files on your desktop. Yours to sort; Kelvora lists old screenshots and duplicates "
         "here."},
        {"Documents", "Documents",
         "Your documents. Kelvora only lists duplicates and large old files here, and never "
         "picks them for you."},
        {"Pictures", "Pictures",
         "Your pictures. Kelvora lists old screenshots, similar photos and duplicates here, and "
         "never picks them for you."},
        {"Movies", "Videos",
         "Your videos. Kelvora only lists duplicates and large old files here, and never picks "
         "them for you."},
        {"Music", "Music",
         "Your music. Kelvora only lists duplicates and large old files here, and never picks "
         "them for you."},
    };
    return folders;
}

std::optional<Answer> lookUp(const std::map<std::string, Answer>& table, const std::string& key) {
    auto it = table.find(key);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

std::optional<URL> liveAppLocator(const std::string& bundleID) {
    static const std::vector<URL> folders = DiskScanner::live().applicationFolders;
    return DiskScanner::applicationURL(bundleID, folders);
}

} // namespace

std::string rawValue(Advice advice) {
    switch (advice) {
    case Advice::clearable:
        return "clearable";
    case Advice::yours:
        return "yours";
    case Advice::leaveIt:
        return "leaveIt";
    }
    return "leaveIt";
}

std::optional<Advice> adviceFromRawValue(const std::string& text) {
    for (Advice advice : {Advice::clearable, Advice::yours, Advice::leaveIt})
        if (rawValue(advice) == text) return advice;
    return std::nullopt;
}

const std::map<std::string, Answer>& places() {
    static const std::map<std::string, Answer> table = tableOf(placeRows());
    return table;
}

const std::map<std::string, Answer>& names() {
    static const std::map<std::string, Answer> table = tableOf(nameRows());
    return table;
}

namespace {

bool samePlace(const std::string& path, const URL& folder) {
    return path == folder.resolvingSymlinks().path();
}

// Where the categories look, answered as they would: what is in a cache folder, the
// desktop's Trash, the user folders under their real names.
std::optional<Answer> categoryAnswer(const std::string& path, const URL& url,
                                     const HomeFolders& homeFolders,
                                     const std::vector<URL>& cacheRoots, const AppLocator& locator,
                                     const CacheRules& caches) {
    const std::string parent = url.deletingLastPathComponent().resolvingSymlinks().path();
    for (const URL& root : cacheRoots) {
        if (!samePlace(parent, root)) continue;
        const std::string name = url.lastPathComponent();
        std::optional<std::string> app = caches.name ? caches.name(name) : std::nullopt;
        if (!app) app = appName(name, locator);
        return cacheAnswer(name, app.value_or(name));
    }
    const URL trash = homeFolders.data().appending("Trash", true);
    if (samePlace(path, trash) || samePlace(path, trash.appending("files", true)))
        return lookUp(places(), ".Trash");
    for (const UserFolder& folder : userFolders()) {
        const URL shown = homeFolders.user(folder.role);
        if (!samePlace(path, shown)) continue;
        // A Mac home's "Movies" is the same place under its own name.
        const bool movies = shown.lastPathComponent() == "Movies";
        return Answer{movies ? "Movies" : folder.title, folder.text, Advice::yours};
    }
    return std::nullopt;
}

} // namespace

std::optional<Answer> explain(const URL& url, const URL& home, const AppLocator& locateApp,
                              const CacheRules& caches) {
    const AppLocator& locator = locateApp ? locateApp : AppLocator(liveAppLocator);
    std::string path = url.resolvingSymlinks().path();
    std::string homePath = home.resolvingSymlinks().path();
    std::string name = url.lastPathComponent();

    bool inHome = path.size() > homePath.size() + 1 &&
                  path.compare(0, homePath.size(), homePath) == 0 && path[homePath.size()] == '/';
    // A cache folder of the category, a known place, what a category makes of it (the cache
    // folder, the Trash and the user folders may lie outside the home), a known name, then
    // what its parent folder says of it.
    const HomeFolders homeFolders(home);
    std::vector<URL> cacheRoots = caches.roots;
    if (cacheRoots.empty())
        cacheRoots = {home.appending("Library/Caches", true), homeFolders.cache()};
    for (const URL& root : cacheRoots)
        if (samePlace(path, root)) return lookUp(places(), "Library/Caches");
    if (inHome)
        if (auto answer = lookUp(places(), path.substr(homePath.size() + 1))) return answer;
    if (auto answer = categoryAnswer(path, url, homeFolders, cacheRoots, locator, caches))
        return answer;
    if (auto answer = lookUp(names(), name)) return answer;
    if (inHome) {
        std::string parent = url.deletingLastPathComponent().resolvingSymlinks().path();
        for (const ParentRule& rule : kParentRules) {
            if (parent != homePath + "/" + rule.relativePath) continue;
            return parentRuleAnswer(rule, appName(name, locator).value_or(name));
        }
    }
    if (url.pathExtension() == "app")
        return Answer{"An app",
                      "Remove apps you don’t use from Kelvora’s Unused apps, or drag them onto "
                      "Kelvora to remove them with their leftovers.",
                      Advice::yours};
    if (url.pathExtension() == "photoslibrary")
        return lookUp(places(), "Pictures/Photos Library.photoslibrary");
    return std::nullopt;
}

} // namespace kelvora::FolderGuide
