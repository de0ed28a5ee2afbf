#include "controller/AppModel.h"

#include "PhotoPrinter.h"
#include "clean/AdminUnlock.h"
#include "controller/Permissions.h"
#include "controller/ShelfSweeper.h"
#include "login/LoginItemSwitch.h"
#include "platform/AppPaths.h"
#include "window/Reveal.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>

namespace kelvora {

namespace {

// Photos smaller than this are icons and thumbnails, not shots worth comparing.
constexpr int64_t kPhotoMinSize = 80000;
constexpr int64_t kPhotoLimit = 5000;

AppModel::AdminOutcome releaseAsAdministrator(const std::string& command, const std::string&) {
    AdminUnlock::Outcome outcome = AdminUnlock::runAsAdministrator(command).get();
    if (outcome.succeeded) return {};
    if (outcome.errorNumber == AdminUnlock::kCancelled)
        return {AppModel::AdminOutcome::Kind::cancelled, {}};
    return {AppModel::AdminOutcome::Kind::failed, outcome.message};
}

bool isNumber(const char* name) {
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
    return true;
}

std::optional<std::string> linkTarget(const std::string& path) {
    char buffer[4096];
    ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    if (length <= 0) return std::nullopt;
    return std::string(buffer, static_cast<size_t>(length));
}

// What every process we may look at holds open, from its descriptors under /proc.
std::unordered_set<std::string> liveOpenFiles() {
    std::unordered_set<std::string> paths;
    DIR* proc = opendir("/proc");
    if (!proc) return paths;
    while (dirent* process = readdir(proc)) {
        if (!isNumber(process->d_name)) continue;
        std::string fdFolder = std::string("/proc/") + process->d_name + "/fd";
        DIR* fds = opendir(fdFolder.c_str());
        if (!fds) continue;
        while (dirent* fd = readdir(fds))
            if (auto target = linkTarget(fdFolder + "/" + fd->d_name);
                target && target->front() == '/')
                paths.insert(*target);
        closedir(fds);
    }
    closedir(proc);
    return paths;
}

std::vector<LoginItem>
readLiveLoginItems(bool readOpenAtLogin,
                   const std::vector<LoginItemScanner::OpenAtLoginApp>& turnedOff) {
    LoginItemScanner scanner(URL::fileURL(AppPaths::home(), true), std::nullopt,
                             LoginItemScanner::liveLaunchctl);
    if (readOpenAtLogin) scanner.openAtLogin = LoginItemScanner::liveOpenAtLogin;
    scanner.turnedOffApps = turnedOff;
    return scanner.scan();
}

} // namespace

AppModel::Tools AppModel::Tools::live() {
    Tools tools;
    tools.search = [](const PlainQuery& query, const URL& home, int limit) {
        return query.run(home, limit);
    };
    tools.findPhotos = [](const std::vector<URL>& folders,
                          const std::function<void(double)>& progress) {
        auto photos = SimilarPhotos::photos(folders, kPhotoMinSize, kPhotoLimit);
        return SimilarPhotos::find(photos, PhotoPrinter::live(), progress);
    };
    tools.measure = [](const URL& root, const std::set<std::string>& skipping,
                       const SpaceMap::Progress& progress) {
        return SpaceMap::measure(root, skipping, progress);
    };
    tools.readLoginItems = readLiveLoginItems;
    tools.switchLoginItem = [](const LoginItem& item, bool on) {
        return LoginItemSwitch().set(item, on);
    };
    tools.releaseAsAdmin = releaseAsAdministrator;
    tools.reveal = [](const URL& url) { revealInFileManager(url); };
    tools.revealSeveral = [](const std::vector<URL>& urls) { revealInFileManager(urls); };
    tools.setSweeper = [](bool on) { return ShelfSweeper::set(on); };
    tools.hasFullDiskAccess = Permissions::hasFullDiskAccess;
    tools.openFiles = liveOpenFiles;
    tools.readSettings = [] { return SettingsStore::standard().read(); };
    return tools;
}

} // namespace kelvora
