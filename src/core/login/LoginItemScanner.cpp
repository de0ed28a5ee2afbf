#include "login/LoginItemScanner.h"

#include "engine/DiskScanner.h"
#include "login/AutostartEntries.h"
#include "login/LoginItemNames.h"
#include "platform/AppBundle.h"
#include "platform/AppPaths.h"
#include "platform/DesktopEntries.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/ProgramSearch.h"
#include "platform/StandIns.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace kelvora {

namespace {

constexpr double kReadTimeout = 15;
constexpr double kOpenAtLoginTimeout = 60;
constexpr const char* kOsascript = "/usr/bin/osascript";

// Splits at `separator` into at most `limit` pieces, the last keeping any further
// separators, and drops empty pieces.
std::vector<std::string> splitPieces(const std::string& line, char separator, size_t limit) {
    std::vector<std::string> raw;
    size_t start = 0;
    while (raw.size() + 1 < limit) {
        size_t end = line.find(separator, start);
        if (end == std::string::npos) break;
        raw.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    raw.push_back(line.substr(start));
    std::vector<std::string> pieces;
    for (auto& piece : raw)
        if (!piece.empty()) pieces.push_back(std::move(piece));
    return pieces;
}

std::optional<int32_t> parseInt32(const std::string& text) {
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') ++begin;
    int32_t value = 0;
    auto [next, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || next != end || begin == end) return std::nullopt;
    return value;
}

} // namespace

LoginItemScanner::LoginItemScanner(URL home, std::optional<std::vector<URL>> folders,
                                   Launchctl launchctl)
    : home(home), applicationFolders(folders ? *folders
                                             : std::vector<URL>{URL::fileURL("/Applications"),
                                                                home.appending("Applications")}),
      uid(static_cast<uint32_t>(getuid())), launchctl(std::move(launchctl)),
      configHome(URL::fileURL(AppPaths::configHome(), true)), configDirs(kelvora::configDirs()),
      userUnitFolders(UnitFolders::otherUser(HomeFolders(home).data())),
      desktops(currentDesktops()), locale(messagesLocale()), systemctl(DiskScanner::liveSystemctl),
      programRuns(ProcessTable::programRuns),
      sandbox(SandboxRoots::live(URL::fileURL(AppPaths::applicationSupport(), true))),
      applicationEntries(DesktopEntries::folders(AppPaths::applicationSupport())) {}

LoginItemScanner LoginItemScanner::live() {
    return LoginItemScanner(URL::fileURL(AppPaths::home(), true), std::nullopt, liveLaunchctl);
}

std::vector<LoginItem> LoginItemScanner::scan() const {
    auto ask = [this](std::vector<std::string> arguments) {
        return launchctl ? launchctl(arguments).value_or("") : std::string();
    };
    Snapshot snapshot;
    snapshot.listed = parseList(ask({"list"}));
    snapshot.userDisabled = parseDisabled(ask({"print-disabled", "gui/" + std::to_string(uid)}));
    snapshot.systemDisabled = parseDisabled(ask({"print-disabled", "system"}));

    const DiskPlaces disks = disksNow();
    std::vector<LoginItem> items;
    std::unordered_set<std::string> seen;
    const std::pair<URL, LoginItem::Source> folders[] = {
        {home.appending("Library").appending("LaunchAgents"), LoginItem::Source::userAgent},
        {globalAgents, LoginItem::Source::globalAgent},
        {systemDaemons, LoginItem::Source::systemDaemon},
    };
    for (const auto& [folder, source] : folders) {
        for (const auto& plist : plists(folder)) {
            LaunchJob job(plist, home.path());
            seen.insert(job.label);
            auto state = source == LoginItem::Source::systemDaemon
                             ? daemonState(job.label, snapshot)
                             : agentState(job.label, snapshot);
            items.push_back(item(job, source, state, disks));
        }
    }
    appendLinuxItems(items, disks);
    for (const auto& helper : appHelpers()) {
        if (seen.count(helper.label)) continue;
        if (!snapshot.listed.count(helper.label) && !snapshot.userDisabled.count(helper.label))
            continue;
        seen.insert(helper.label);
        auto texts = LoginItemNames::describe(helper.label, helper.url, helper.owner, true);
        items.push_back(LoginItem{LoginItem::Source::appHelper, helper.label, helper.url,
                                  helper.url, false, helper.owner, texts.name, texts.purpose,
                                  agentState(helper.label, snapshot), true, false});
    }
    appendOpenAtLogin(items);
    LoginItemNames::partAlike(items);
    return items;
}

struct LoginItemScanner::LinuxPlaces {
    AutostartEntries autostart;
    SystemdUnits units;
};

DiskPlaces LoginItemScanner::disksNow() const {
    return diskPlaces ? *diskPlaces : DiskPlaces::live();
}

LoginItemScanner::LinuxPlaces LoginItemScanner::linuxPlaces(std::vector<ProgramRun> runs,
                                                            const DiskPlaces& disks) const {
    // The user's manager may give what it starts folders of its own on PATH, as the session
    // gives them to what it starts.
    std::vector<std::string> managerPath;
    if (systemctl)
        if (auto answer = systemctl({"--user", "show-environment"}); answer && answer->status == 0)
            managerPath = SystemdUnits::managerPath(answer->output);
    ProgramPlaces programs = sessionProgramPlaces(home.path(), managerPath, disks);
    AutostartEntries autostart{
        configHome.appending("autostart", true), {}, desktops, locale, runs, programs, sandbox};
    for (const URL& folder : configDirs)
        autostart.systemFolders.push_back(folder.appending("autostart", true));
    const URL userFolder = configHome.appending("systemd", true).appending("user", true);
    SystemdUnits units;
    units.home = home;
    units.userFolder = userFolder;
    units.systemFolder = systemUnits;
    units.systemctl = systemctl;
    units.runs = std::move(runs);
    units.userSearchPath = {userFolder};
    for (const URL& folder : configDirs)
        units.userSearchPath.push_back(folder.appending("systemd", true).appending("user", true));
    units.userSearchPath.insert(units.userSearchPath.end(), userUnitFolders.begin(),
                                userUnitFolders.end());
    units.systemSearchPath = {systemUnits};
    units.systemSearchPath.insert(units.systemSearchPath.end(), systemUnitFolders.begin(),
                                  systemUnitFolders.end());
    units.programs = std::move(programs);
    return {std::move(autostart), std::move(units)};
}

void LoginItemScanner::appendLinuxItems(std::vector<LoginItem>& items,
                                        const DiskPlaces& disks) const {
    LinuxPlaces places =
        linuxPlaces(programRuns ? programRuns() : std::vector<ProgramRun>(), disks);
    places.units.turnedOff = turnedOffUnits.keepOnly(
        [&](const std::vector<std::string>& names) { return places.units.stillTurnedOff(names); });
    std::vector<LoginItem> listed;
    for (auto&& found :
         {places.autostart.items(), places.units.userItems(), places.units.systemItems()})
        listed.insert(listed.end(), found.begin(), found.end());
    addProgramIcons(listed);
    items.insert(items.end(), listed.begin(), listed.end());
}

void LoginItemScanner::addProgramIcons(std::vector<LoginItem>& items) const {
    auto wants = [](const LoginItem& item) {
        return !item.icon && item.program && !isGenericTool(item.program->path());
    };
    if (std::none_of(items.begin(), items.end(), wants)) return;
    const auto apps = DesktopEntries::applications(applicationEntries);
    for (LoginItem& item : items) {
        if (!wants(item)) continue;
        const std::string name = item.program->lastPathComponent();
        auto app = std::find_if(apps.begin(), apps.end(), [&](const auto& app) {
            return !app.icon.empty() && !app.program.empty() &&
                   lastComponent(app.program) == name && !startsAnotherProgram(app.program);
        });
        if (app != apps.end()) item.icon = app->icon;
    }
}

std::vector<LoginItem> LoginItemScanner::linuxLeftovers() const {
    LinuxPlaces places = linuxPlaces({}, disksNow());
    // What systemd says of a unit decides its state, never whether its program is there.
    places.units.systemctl = nullptr;
    std::vector<LoginItem> leftovers;
    for (auto&& found : {places.autostart.items(), places.units.userItems()})
        std::copy_if(found.begin(), found.end(), std::back_inserter(leftovers),
                     [](const LoginItem& item) { return item.isLeftover(); });
    return leftovers;
}

void LoginItemScanner::appendOpenAtLogin(std::vector<LoginItem>& items) const {
    if (!openAtLogin) return;
    auto apps = openAtLogin();
    if (!apps) return;
    std::unordered_set<std::string> present;
    for (const auto& app : *apps)
        present.insert(app.path);
    for (const auto& app : turnedOffApps) {
        if (present.count(app.path)) continue;
        URL url = URL::fileURL(app.path);
        items.push_back(LoginItem{LoginItem::Source::openAtLogin, app.name, url, url, false,
                                  app.name, app.name, "Kelvora stopped it opening when you log in.",
                                  LoginItem::State::off(), true, false,
                                  LoginItem::Mechanism::systemEvents});
    }
    for (const auto& app : *apps) {
        URL url = URL::fileURL(app.path);
        // A link left to a removed application is gone too, so the link is followed.
        struct stat info {};
        bool exists = !app.path.empty() && stat(app.path.c_str(), &info) == 0;
        items.push_back(LoginItem{
            LoginItem::Source::openAtLogin, app.name, url, url, !exists, app.name, app.name,
            exists ? "Opens when you log in." : "Was set to open at login, but the app is gone.",
            LoginItem::State::waiting(), true, false, LoginItem::Mechanism::systemEvents});
    }
}

LoginItem::State LoginItemScanner::agentState(const std::string& label,
                                              const Snapshot& snapshot) const {
    if (auto disabled = snapshot.userDisabled.find(label);
        disabled != snapshot.userDisabled.end() && disabled->second)
        return LoginItem::State::off();
    auto listed = snapshot.listed.find(label);
    if (listed == snapshot.listed.end()) return LoginItem::State::notLoaded();
    if (listed->second) return LoginItem::State::running(*listed->second);
    return LoginItem::State::waiting();
}

LoginItem::State LoginItemScanner::daemonState(const std::string& label,
                                               const Snapshot& snapshot) const {
    if (auto disabled = snapshot.systemDisabled.find(label);
        disabled != snapshot.systemDisabled.end() && disabled->second)
        return LoginItem::State::off();
    auto output = launchctl ? launchctl({"print", "system/" + label}) : std::nullopt;
    if (!output) return LoginItem::State::notLoaded();
    if (auto pid = parsePID(*output)) return LoginItem::State::running(*pid);
    return LoginItem::State::waiting();
}

// In name order, as the listing comes.
std::vector<URL> LoginItemScanner::plists(const URL& folder) {
    std::vector<URL> files;
    for (const auto& entry : listFolder(folder).entries)
        if (entry.url.pathExtension() == "plist") files.push_back(entry.url);
    return files;
}

LoginItem LoginItemScanner::item(const LaunchJob& job, LoginItem::Source source,
                                 LoginItem::State state, const DiskPlaces& disks) const {
    bool missing = isProgramMissing(job.program, disks);
    std::optional<std::string> owner;
    if (job.program) owner = LoginItemNames::appName(*job.program);
    for (size_t i = 0; !owner && i < job.associatedBundleIDs.size(); ++i)
        owner = LoginItemNames::appName(job.associatedBundleIDs[i], applicationFolders);
    auto texts = LoginItemNames::describe(job.label, job.program, owner, job.startsAtLogin);
    if (job.isEmpty)
        texts.purpose = LoginItemNames::kEmptyJobPurpose;
    else if (missing)
        texts.purpose = LoginItemNames::kLeftBehindPurpose;
    return LoginItem{source,     job.label,     job.plist, job.program,       missing,    owner,
                     texts.name, texts.purpose, state,     job.startsAtLogin, job.isEmpty};
}

std::vector<LoginItemScanner::Helper> LoginItemScanner::appHelpers() const {
    std::vector<Helper> helpers;
    for (const auto& folder : applicationFolders) {
        for (const auto& app : listFolder(folder).entries) {
            if (app.url.pathExtension() != "app") continue;
            URL loginItems =
                app.url.appending("Contents").appending("Library").appending("LoginItems");
            for (const auto& entry : listFolder(loginItems).entries)
                if (auto id = bundleIdentifier(entry.url))
                    helpers.push_back(
                        {*id, entry.url, app.url.deletingPathExtension().lastPathComponent()});
        }
    }
    return helpers;
}

std::optional<std::string>
LoginItemScanner::liveLaunchctl(const std::vector<std::string>& arguments) {
    auto result = DiskScanner::runTool("/bin/launchctl", arguments, kReadTimeout);
    if (!result || result->status != 0) return std::nullopt;
    return repairedUtf8(result->output);
}

const std::string& LoginItemScanner::openAtLoginScript() {
    static const std::string script = "set out to \"\"\n"
                                      "tell application \"System Events\"\n"
                                      "    repeat with anItem in login items\n"
                                      "        set out to out & (name of anItem) & tab & (path "
                                      "of anItem) & linefeed\n"
                                      "    end repeat\n"
                                      "end tell\n"
                                      "return out";
    return script;
}

std::optional<std::vector<LoginItemScanner::OpenAtLoginApp>> LoginItemScanner::liveOpenAtLogin() {
    auto result =
        DiskScanner::runTool(kOsascript, {"-e", openAtLoginScript()}, kOpenAtLoginTimeout);
    if (!result || result->status != 0) return std::nullopt;
    return parseOpenAtLogin(repairedUtf8(result->output));
}

bool LoginItemScanner::hasSystemEvents() {
    return isSystemTool(kOsascript) && fileExists("/System/Library/CoreServices/System Events.app");
}

std::vector<LoginItemScanner::OpenAtLoginApp>
LoginItemScanner::parseOpenAtLogin(const std::string& output) {
    std::vector<OpenAtLoginApp> apps;
    for (const auto& line : splitNonEmpty(output, '\n')) {
        auto pieces = splitPieces(line, '\t', 2);
        if (pieces.size() == 2) apps.push_back({pieces[0], pieces[1]});
    }
    return apps;
}

std::optional<int32_t> LoginItemScanner::parsePID(const std::string& text) {
    static const std::regex pattern(R"(\n\s*pid = (\d+))");
    std::smatch match;
    if (!std::regex_search(text, match, pattern)) return std::nullopt;
    return parseInt32(match[1].str());
}

std::unordered_map<std::string, std::optional<int32_t>>
LoginItemScanner::parseList(const std::string& text) {
    std::unordered_map<std::string, std::optional<int32_t>> listed;
    auto lines = splitNonEmpty(text, '\n');
    for (size_t i = 1; i < lines.size(); ++i) {
        auto pieces = splitPieces(lines[i], '\t', 3);
        if (pieces.size() != 3) continue;
        listed[pieces[2]] = parseInt32(pieces[0]);
    }
    return listed;
}

std::unordered_map<std::string, bool> LoginItemScanner::parseDisabled(const std::string& text) {
    static const std::regex pattern(R"xx("([^"]+)"\s*=>\s*(\w+))xx");
    std::unordered_map<std::string, bool> disabled;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        std::string word = (*it)[2].str();
        disabled[(*it)[1].str()] = word == "disabled" || word == "true";
    }
    return disabled;
}

} // namespace kelvora
