#include "login/LoginItemNames.h"

#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/ProgramSearch.h"
#include "platform/Text.h"

#include <map>

namespace kelvora {

namespace {

struct KnownAgent {
    std::string prefix;
    std::string name;
    std::string purpose;
};

const std::vector<KnownAgent>& knownAgents() {
    static const std::vector<KnownAgent> rows = {
        {"com.google.keystone", "Google Updater (old)",
         "Google’s older updater for Chrome and other Google apps."},
        {"com.google.GoogleUpdater", "Google Updater",
         "Keeps Chrome and other Google apps up to date."},
        {"com.microsoft.update", "Microsoft AutoUpdate",
         "Keeps Word, Excel, Teams and other Microsoft apps up to date."},
        {"com.microsoft.autoupdate", "Microsoft AutoUpdate",
         "Keeps Word, Excel, Teams and other Microsoft apps up to date."},
        {"com.adobe.ARMDC", "Adobe Acrobat Updater", "Keeps Adobe Acrobat and Reader up to date."},
        {"com.adobe.AdobeCreativeCloud", "Adobe Creative Cloud",
         "Opens Creative Cloud at login to sync files and fonts and update Adobe apps."},
        {"com.adobe.ccxprocess", "Adobe Creative Cloud helper",
         "Runs Creative Cloud’s background features, like tutorials and syncing."},
        {"com.adobe.GC", "Adobe Genuine Software check",
         "Checks that Adobe apps on this computer are licensed."},
        {"com.docker.vmnetd", "Docker networking",
         "Lets Docker containers reach the network. Docker Desktop installed it for every "
         "user."},
        {"com.docker.socket", "Docker socket",
         "Lets the docker command talk to Docker Desktop. Docker Desktop installed it for every "
         "user."},
        {"com.docker.helper", "Docker Desktop helper", "Starts Docker Desktop when you log in."},
        {"com.github.facebook.watchman", "Watchman",
         "Watches project files for changes. React Native and Jest tools started it."},
        {"org.openvpn.client", "OpenVPN Connect",
         "The background part of OpenVPN Connect, which keeps VPN connections up."},
        {"org.openvpn.helper", "OpenVPN helper",
         "Lets OpenVPN Connect change network settings for the VPN."},
        {"us.zoom", "Zoom", "Zoom’s background helper for updates and meetings."},
        {"com.dropbox", "Dropbox", "Keeps your Dropbox folder in sync."},
        {"com.screenpal", "ScreenPal", "Opens ScreenPal, the screen recorder, when you log in."},
        {"com.spotify", "Spotify", "Opens Spotify, or its helper, when you log in."},
        {std::string(kBundleID) + ".shelf", "Kelvora Undo Shelf helper",
         "Kelvora’s own helper. Empties Undo Shelf cleanups once their hold is up."},
    };
    return rows;
}

std::optional<LoginItemNames::Description> homebrewService(const std::string& label) {
    static const std::string prefix = "homebrew.mxcl.";
    if (!startsWith(label, prefix)) return std::nullopt;
    std::string rest = label.substr(prefix.size());
    std::vector<std::string> pieces;
    auto at = rest.find('@');
    for (auto piece : {rest.substr(0, at), at == std::string::npos ? "" : rest.substr(at + 1)})
        if (!piece.empty()) pieces.push_back(piece);
    // A label with no formula in it is shown as it is.
    if (pieces.empty()) return std::nullopt;
    const auto& names = LoginItemNames::formulaNames();
    auto known = names.find(pieces[0]);
    std::string display = known != names.end() ? known->second : pieces[0];
    if (pieces.size() == 2) display += " " + pieces[1];
    return LoginItemNames::Description{
        display + " (Homebrew)", "Runs " + display +
                                     " in the background. It was started with brew services; brew "
                                     "services stop " +
                                     rest + " also turns it off."};
}

bool isMainExecutable(const URL& program) {
    const std::string& path = program.path();
    return endsWith(path, ".app/Contents/MacOS/" + program.lastPathComponent()) &&
           path.find("/Contents/Library/") == std::string::npos;
}

LoginItemNames::Description ownedItem(const std::string& searchText,
                                      const std::optional<URL>& program, const std::string& owner,
                                      bool startsAtLogin) {
    if (searchText.find("updat") != std::string::npos)
        return {owner + " updater", "Checks for updates to " + owner + "."};
    if (program && isMainExecutable(*program) && startsAtLogin)
        return {owner, "Opens " + owner + " when you log in."};
    return {owner + " helper", "A background helper for " + owner + "."};
}

LoginItemNames::Description unownedItem(const std::string& label, const std::optional<URL>& program,
                                        bool startsAtLogin) {
    if (!program) return {label, "A background task with no program to run."};
    const std::string runs = program->lastPathComponent();
    // "true" or "sh" names nothing that tells one row from another; the label does.
    const std::string name = isGenericTool(runs) ? label : runs;
    if (startsAtLogin) return {name, "Runs “" + runs + "” when you log in."};
    return {name, "Runs “" + runs + "” in the background from time to time."};
}

} // namespace

LoginItemNames::Description LoginItemNames::describe(const std::string& label,
                                                     const std::optional<URL>& program,
                                                     const std::optional<std::string>& owner,
                                                     bool startsAtLogin) {
    if (auto texts = known(label)) return *texts;
    std::string searchText = lowercased(label + " " + (program ? program->path() : ""));
    if (owner) return ownedItem(searchText, program, *owner, startsAtLogin);
    return unownedItem(label, program, startsAtLogin);
}

std::optional<LoginItemNames::Description> LoginItemNames::known(const std::string& label) {
    for (const auto& row : knownAgents())
        if (startsWith(label, row.prefix)) return Description{row.name, row.purpose};
    return homebrewService(label);
}

LoginItemNames::Description
LoginItemNames::describeNamed(const std::string& label, const std::optional<URL>& program,
                              const std::optional<std::string>& ownName,
                              const std::optional<std::string>& ownPurpose, bool startsAtLogin,
                              bool programMissing) {
    Description texts = describe(label, program, std::nullopt, startsAtLogin);
    if (!known(label)) {
        if (ownName && !ownName->empty()) texts.name = *ownName;
        if (ownPurpose && !ownPurpose->empty()) texts.purpose = *ownPurpose;
    }
    if (programMissing) texts.purpose = kLeftBehindPurpose;
    return texts;
}

void LoginItemNames::partAlike(std::vector<LoginItem>& items) {
    std::map<std::string, int> rowsNamed;
    for (const LoginItem& item : items)
        ++rowsNamed[item.name];
    for (LoginItem& item : items)
        if (item.program && item.name == item.program->lastPathComponent() &&
            rowsNamed[item.name] > 1 && !known(item.label))
            item.name = item.label;
}

std::optional<std::string> LoginItemNames::appName(const URL& containing) {
    for (const auto& component : splitNonEmpty(containing.path(), '/'))
        if (component.size() > 4 && endsWith(component, ".app"))
            return component.substr(0, component.size() - 4);
    return std::nullopt;
}

std::optional<std::string> LoginItemNames::appName(const std::string& bundleID,
                                                   const std::vector<URL>& applicationFolders) {
    auto app = DiskScanner::applicationURL(bundleID, applicationFolders);
    if (!app) return std::nullopt;
    return app->deletingPathExtension().lastPathComponent();
}

const std::unordered_map<std::string, std::string>& LoginItemNames::formulaNames() {
    static const std::unordered_map<std::string, std::string> names = {
        {"postgresql", "PostgreSQL"},
        {"mysql", "MySQL"},
        {"mariadb", "MariaDB"},
        {"redis", "Redis"},
        {"mongodb-community", "MongoDB"},
        {"nginx", "nginx"},
        {"httpd", "Apache"},
        {"rabbitmq", "RabbitMQ"},
        {"elasticsearch", "Elasticsearch"},
        {"memcached", "Memcached"},
        {"php", "PHP"},
        {"dnsmasq", "dnsmasq"},
        {"unbound", "Unbound"},
        {"tor", "Tor"},
        {"syncthing", "Syncthing"},
        {"ollama", "Ollama"},
    };
    return names;
}

} // namespace kelvora
