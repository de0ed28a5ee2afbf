#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>

namespace kelvora {

namespace {

constexpr double kOneDay = 86400;

const DiskScanner::AIApp& aiApp(const std::string& name) {
    const auto& apps = DiskScanner::aiApps();
    return *std::find_if(apps.begin(), apps.end(),
                         [&](const auto& app) { return app.name == name; });
}

std::optional<Date> later(std::optional<Date> a, std::optional<Date> b) {
    if (!a) return b;
    if (!b) return a;
    return std::max(*a, *b);
}

// Every character that is neither a letter nor a number stands as one "-" in an encoded
// project path.
std::string encodedName(const std::string& name) {
    std::string out;
    for (size_t at = 0; at < name.size();) {
        auto [c, length, valid] = codePointAt(name, at);
        out += valid && isLetterOrNumber(c) ? name.substr(at, length) : "-";
        at += length;
    }
    return out;
}

} // namespace

bool DiskScanner::isOldSession(Date date) const {
    Date cutoff = addSeconds(now(), -std::max(aiSessionAge, kOneDay));
    return date < cutoff;
}

DiskScanner::OldSessions DiskScanner::oldSessions(const URL& folder,
                                                  const std::string& fileExtension,
                                                  const Companions& companions,
                                                  FileCounter& counter) const {
    OldSessions result;
    for (const auto& entry : listFolder(folder).entries) {
        if (entry.url.pathExtension() != fileExtension) continue;
        std::vector<URL> group = {entry.url};
        std::optional<Date> newest = modificationDate(entry.url);
        std::string name = entry.url.deletingPathExtension().lastPathComponent();
        // A session file named "...jsonl" must not make the folder above it a companion.
        bool ownName = !name.empty() && name != "." && name != "..";
        for (const auto& companion : ownName ? companions(name) : std::vector<URL>{}) {
            if (!fileInfo(companion)) continue;
            group.push_back(companion);
            // A companion folder is as recent as the newest change inside it.
            newest = later(newest, newestChange(companion, counter));
        }
        if (!newest || !isOldSession(*newest)) continue;
        result.targets.insert(result.targets.end(), group.begin(), group.end());
        result.count += 1;
        result.lastUsed = later(result.lastUsed, newest);
    }
    return result;
}

std::optional<ScanItem> DiskScanner::sessionItem(const URL& location,
                                                 const std::vector<URL>& targets,
                                                 const std::string& tool, const std::string& detail,
                                                 int count, std::optional<Date> lastUsed,
                                                 const std::vector<std::string>& owners,
                                                 FileCounter& counter) const {
    // Old chats are the user's to judge, and nothing running holds them.
    auto item = aiItem(ScanItem::AIInfo::Kind::sessions, location, targets, tool, detail, count,
                       owners, {}, counter);
    if (!item) return std::nullopt;
    item->baseVerdict = Verdict::youDecide;
    item->ai()->lastUsed = lastUsed;
    return item;
}

std::vector<ScanItem> DiskScanner::claudeCodeSessions(FileCounter& counter) const {
    std::vector<ScanItem> items;
    for (const auto& project : listFolder(home.appending(".claude/projects", true)).entries) {
        URL folder = project.url;
        auto sessions = oldSessions(
            folder, "jsonl",
            [&](const std::string& name) { return std::vector<URL>{folder.appending(name, true)}; },
            counter);
        if (sessions.targets.empty()) continue;
        if (auto item = sessionItem(folder, sessions.targets, "Claude Code",
                                    claudeProjectName(project.name, home), sessions.count,
                                    sessions.lastUsed, {"claude"}, counter))
            items.push_back(std::move(*item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::codexSessions(FileCounter& counter) const {
    std::vector<ScanItem> items;
    for (const char* name : {"sessions", "archived_sessions"}) {
        URL folder = home.appending(".codex", true).appending(name, true);
        std::vector<URL> kept;
        std::optional<Date> lastUsed;
        for (const auto& file : regularFiles(folder, counter)) {
            if (file.pathExtension() != "jsonl") continue;
            auto date = modificationDate(file);
            if (!date || !isOldSession(*date)) continue;
            kept.push_back(file);
            lastUsed = later(lastUsed, date);
        }
        if (kept.empty()) continue;
        std::string detail = std::string(name) == "sessions" ? "sessions" : "archived sessions";
        if (auto item = sessionItem(folder, kept, "Codex", detail, static_cast<int>(kept.size()),
                                    lastUsed, {"codex"}, counter))
            items.push_back(std::move(*item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::antigravitySessions(FileCounter& counter) const {
    std::vector<ScanItem> items;
    for (const auto& [store, detail] :
         {std::pair{"antigravity", "agent"}, std::pair{"antigravity-ide", "editor"}}) {
        URL base = home.appending(".gemini", true).appending(store, true);
        URL conversations = base.appending("conversations", true);
        auto sessions = oldSessions(
            conversations, "pb",
            [&](const std::string& name) {
                return std::vector<URL>{base.appending("brain/" + name, true)};
            },
            counter);
        if (sessions.targets.empty()) continue;
        if (auto item =
                sessionItem(conversations, sessions.targets, "Antigravity", detail, sessions.count,
                            sessions.lastUsed, aiApp("Antigravity").owners, counter))
            items.push_back(std::move(*item));
    }
    return items;
}

namespace {

// Entries of a folder untouched (everything inside them included) since the cutoff.
struct OldEntries {
    std::vector<URL> entries;
    std::optional<Date> lastUsed;
};

template <typename Keep>
OldEntries oldEntries(const DiskScanner& scanner, const URL& folder, FileCounter& counter,
                      Keep keep) {
    OldEntries result;
    for (const auto& entry : listFolder(folder).entries) {
        if (!keep(entry)) continue;
        auto date = scanner.newestChange(entry.url, counter);
        if (!date || !scanner.isOldSession(*date)) continue;
        result.entries.push_back(entry.url);
        result.lastUsed = later(result.lastUsed, date);
    }
    return result;
}

} // namespace

std::vector<ScanItem> DiskScanner::claudeScratchWorkspaces(FileCounter& counter) const {
    URL folder = home.appending("Library/Application Support/Claude/scratch-workspaces", true);
    auto old = oldEntries(*this, folder, counter, [](const FileInfo&) { return true; });
    if (old.entries.empty()) return {};
    auto item = sessionItem(folder, old.entries, "Claude", "task scratch folders",
                            static_cast<int>(old.entries.size()), old.lastUsed,
                            aiApp("Claude").owners, counter);
    return item ? std::vector<ScanItem>{*item} : std::vector<ScanItem>{};
}

std::vector<ScanItem> DiskScanner::editorWorkspaceHistory(const std::vector<RunningApp>& apps,
                                                          FileCounter& counter) const {
    std::vector<ScanItem> items;
    for (const auto& app : aiApps()) {
        if (app.name == "Claude") continue;
        URL folder = home.appending(app.support, true).appending("User/workspaceStorage", true);
        auto old = oldEntries(*this, folder, counter, [](const FileInfo& entry) {
            auto marker = fileInfo(entry.url.appending("workspace.json"));
            return marker && marker->isRegularFile();
        });
        if (old.entries.empty()) continue;
        auto item =
            sessionItem(folder, old.entries, app.name, "project chats",
                        static_cast<int>(old.entries.size()), old.lastUsed, app.owners, counter);
        if (!item) continue;
        // The editor keeps its history open while it runs; only its bundle identifier counts.
        for (const auto& running : apps) {
            if (item->inUseBy) break;
            for (const auto& owner : app.owners)
                if (equalsIgnoringCase(running.bundleID, owner)) {
                    item->inUseBy = running.name;
                    break;
                }
        }
        items.push_back(std::move(*item));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::geminiCLISessions(FileCounter& counter) const {
    URL folder = home.appending(".gemini/tmp", true);
    auto old = oldEntries(*this, folder, counter, [](const FileInfo&) { return true; });
    if (old.entries.empty()) return {};
    auto item =
        sessionItem(folder, old.entries, "Gemini CLI", "project chats",
                    static_cast<int>(old.entries.size()), old.lastUsed, {"gemini"}, counter);
    return item ? std::vector<ScanItem>{*item} : std::vector<ScanItem>{};
}

// "-Users-ann-code-my-app" is read back by walking the real folders, so "my_app" on disk
// keeps its own punctuation.
std::string DiskScanner::claudeProjectName(const std::string& encoded, const URL& home) {
    std::string folder = "/";
    std::string rest = encoded;
    while (!rest.empty() && rest.front() == '-') {
        rest.erase(0, 1);
        struct Candidate {
            std::string name;
            std::string form;
        };
        std::optional<Candidate> best;
        for (const auto& entry :
             listFolder(URL::fileURL(folder, true).resolvingSymlinks()).entries) {
            std::string form = encodedName(entry.name);
            bool matches = rest.compare(0, form.size(), form) == 0 &&
                           (rest.size() == form.size() || rest[form.size()] == '-');
            if (matches && (!best || form.size() > best->form.size())) best = {entry.name, form};
        }
        if (!best) break;
        folder = joinPath(folder, best->name);
        rest.erase(0, best->form.size());
    }
    if (rest.empty() && folder != "/") {
        if (standardizedPath(folder) == home.standardized().path()) return "your home folder";
        return lastComponent(folder);
    }
    auto pieces = splitNonEmpty(encoded, '-');
    return pieces.empty() ? encoded : pieces.back();
}

} // namespace kelvora
