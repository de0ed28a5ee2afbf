#include "login/SandboxLaunch.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <array>

namespace kelvora {

namespace {

// The long options `flatpak run` reads, its own and the sandbox's, each between blanks, by
// whether they take a value.
constexpr std::string_view kFlatpakRunFlags =
    " user system verbose ostree-verbose devel log-session-bus log-system-bus log-a11y-bus "
    "no-a11y-bus a11y-bus no-session-bus session-bus sandbox die-with-parent clear-env "
    "no-documents-portal file-forwarding parent-expose-pids parent-share-pids no-desktop ";
constexpr std::string_view kFlatpakRunValued =
    " installation arch command cwd branch runtime runtime-version commit runtime-commit "
    "parent-pid instance-id-fd app-path app-fd usr-path usr-fd bind-fd ro-bind-fd share unshare "
    "socket nosocket socket-if device nodevice device-if allow disallow filesystem nofilesystem "
    "env env-fd unset-env own-name talk-name no-talk-name system-own-name system-talk-name "
    "system-no-talk-name a11y-own-name add-policy remove-policy usb nousb usb-list "
    "usb-list-file persist ";
// Its short options, none of which takes a value: -u (--user), -v, -d (--devel), -p.
constexpr std::string_view kFlatpakRunShortFlags = "uvdp";

bool isOneOf(std::string_view name, std::string_view names) {
    return names.find(" " + std::string(name) + " ") != std::string_view::npos;
}

// Where the app's word stands among the words of `flatpak run` from `at`: after its options,
// each value the rest of its option's word after "=" or else the next word, and an optional
// "--". None where an option is one flatpak does not take, lacks its value or is a flag
// given one: what flatpak makes of such words is not for Kelvora to guess.
std::optional<size_t> flatpakRunAppWord(const std::vector<std::string>& words, size_t at) {
    bool ended = false; // by "--"
    for (; at < words.size(); ++at) {
        const std::string& word = words[at];
        if (word.empty() || word[0] != '-') return at;
        if (ended) return std::nullopt;
        if (word == "--") {
            ended = true;
        } else if (startsWith(word, "--")) {
            const size_t equals = word.find('=');
            const std::string_view name = std::string_view(word).substr(2, equals - 2);
            if (isOneOf(name, kFlatpakRunFlags)) {
                if (equals != std::string::npos) return std::nullopt;
            } else if (!isOneOf(name, kFlatpakRunValued)) {
                return std::nullopt;
            } else if (equals == std::string::npos && ++at == words.size()) {
                return std::nullopt;
            }
        } else if (word.size() < 2 ||
                   word.find_first_not_of(kFlatpakRunShortFlags, 1) != std::string::npos) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Flatpak's ids have at least three parts ("org.telegram.desktop").
bool looksLikeFlatpakID(const std::string& word) {
    return std::count(word.begin(), word.end(), '.') >= 2 &&
           word.find_first_of("/=") == std::string::npos;
}

std::optional<std::string> nonEmpty(std::optional<std::string> value) {
    if (value && trimmed(*value).empty()) return std::nullopt;
    return value;
}

// The image an installation exports for an icon name: the size nearest a row's, drawn
// sharp, first; a drawing, which not every system can read, last.
std::optional<std::string> exportedIcon(const URL& installation, const std::string& icon) {
    if (icon.empty() || icon.find('/') != std::string::npos) return std::nullopt;
    const URL hicolor = installation.appending("exports/share/icons/hicolor", true);
    static constexpr std::array<std::string_view, 6> sizes = {"128x128", "256x256", "64x64",
                                                              "512x512", "48x48",   "scalable"};
    for (std::string_view size : sizes) {
        const std::string extension = size == "scalable" ? ".svg" : ".png";
        const std::string file =
            joinPath(hicolor.path(), std::string(size) + "/apps/" + icon + extension);
        if (fileInfo(file)) return file;
    }
    return std::nullopt;
}

bool readable(const URL& folder) {
    ListError error = listingError(folder, true);
    return error == ListError::none || error == ListError::notFound;
}

} // namespace

std::optional<std::string> SandboxLaunch::flatpakID(const DesktopEntry& entry) {
    if (auto id = nonEmpty(entry.value("X-Flatpak"))) return trimmed(*id);
    const std::vector<std::string> words =
        commandThroughEnv(entry.execWords().value_or(std::vector<std::string>()));
    if (words.size() < 3 || lastComponent(words[0]) != "flatpak" || words[1] != "run")
        return std::nullopt;
    const auto app = flatpakRunAppWord(words, 2);
    if (!app || !looksLikeFlatpakID(words[*app])) return std::nullopt;
    return words[*app];
}

std::optional<std::string> SandboxLaunch::snapCommand(const DesktopEntry& entry) {
    if (auto name = nonEmpty(entry.value("X-SnapInstanceName"))) return trimmed(*name);
    std::vector<std::string> words =
        commandThroughEnv(entry.execWords().value_or(std::vector<std::string>()));
    if (words.empty()) return std::nullopt;
    if (startsWith(words[0], "/snap/bin/")) return lastComponent(words[0]);
    if (lastComponent(words[0]) != "snap" || words.size() < 3 || words[1] != "run")
        return std::nullopt;
    auto command = std::find_if(words.begin() + 2, words.end(),
                                [](const std::string& word) { return !startsWith(word, "-"); });
    if (command == words.end()) return std::nullopt;
    return *command;
}

std::optional<SandboxLaunch> SandboxLaunches::of(const DesktopEntry& entry,
                                                 const std::string& locale) const {
    if (auto id = SandboxLaunch::flatpakID(entry)) return flatpak(*id, locale);
    if (auto command = SandboxLaunch::snapCommand(entry)) return snap(*command, locale);
    return std::nullopt;
}

const SandboxLaunches::Flatpaks& SandboxLaunches::flatpaks() const {
    if (!flatpaks_) {
        const auto known = SandboxApps::knownFlatpakInstallations(roots_, places_);
        flatpaks_ =
            Flatpaks{SandboxApps::readableFolders(known), SandboxApps::everyFlatpakApp(known)};
    }
    return *flatpaks_;
}

SandboxLaunch SandboxLaunches::flatpak(const std::string& id, const std::string& locale) const {
    SandboxLaunch launch{SandboxApp::Kind::flatpak, id, std::nullopt, std::nullopt, false};
    for (const URL& installation : flatpaks().installations) {
        auto entry = DesktopEntry::read(SandboxApps::flatpakEntries(installation).path() + "/" +
                                        id + ".desktop");
        if (!entry) continue;
        launch.name = nonEmpty(entry->localized("Name", locale));
        if (auto icon = nonEmpty(entry->value("Icon")))
            launch.icon = exportedIcon(installation, *icon).value_or(*icon);
        break;
    }
    const auto& apps = flatpaks().apps;
    launch.installedNowhere =
        apps && std::none_of(apps->begin(), apps->end(),
                             [&](const SandboxApp& app) { return app.id == id; });
    return launch;
}

SandboxLaunch SandboxLaunches::snap(const std::string& command, const std::string& locale) const {
    // "code.url-handler" is the application url-handler of the snap code.
    const std::string name = command.substr(0, command.find('.'));
    const std::string app =
        command.find('.') == std::string::npos ? command : command.substr(command.find('.') + 1);
    SandboxLaunch launch{SandboxApp::Kind::snap, name, std::nullopt, std::nullopt, false};
    const URL folder = SandboxApps::snapEntries(roots_);
    std::optional<DesktopEntry> entry =
        DesktopEntry::read(joinPath(folder.path(), name + "_" + app + ".desktop"));
    for (const FileInfo& file : entry ? std::vector<FileInfo>() : listFolder(folder).entries)
        if (startsWith(file.name, name + "_") && endsWith(file.name, ".desktop"))
            if ((entry = DesktopEntry::read(file.url.path()))) break;
    if (entry) {
        launch.name = nonEmpty(entry->localized("Name", locale));
        launch.icon = nonEmpty(entry->value("Icon"));
    }
    const auto snaps = SandboxApps::snaps(roots_);
    launch.installedNowhere = SandboxApps::hasSnapd(roots_) && readable(roots_.snapMounts) &&
                              readable(roots_.snapd.appending("snaps", true)) &&
                              std::none_of(snaps.begin(), snaps.end(),
                                           [&](const SandboxApp& snap) { return snap.id == name; });
    return launch;
}

} // namespace kelvora
