#include "controller/AppModel.h"

#include "PhotoPrinter.h"
#include "clean/AdminUnlock.h"
#include "controller/Permissions.h"
#include "controller/Reveal.h"
#include "controller/ShelfSweeper.h"
#include "login/LoginItemSwitch.h"
#include "login/LoginSettings.h"
#include "platform/AppPaths.h"
#include "platform/DesktopEntry.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/ProcessTable.h"
#include "platform/ProgramSearch.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

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

LoginSettings liveLoginSettings() {
    return LoginSettings::find(currentDesktops(), findOnPath,
                               joinPath(AppPaths::configHome(), "autostart"));
}

// The desktop's own settings where they are installed; otherwise, or when they do not start,
// the autostart folder, made first so that there is always something to open.
void openLiveLoginSettings() {
    LoginSettings settings = liveLoginSettings();
    if (!settings.command.empty()) {
        QStringList arguments;
        for (size_t i = 1; i < settings.command.size(); ++i)
            arguments << QString::fromStdString(settings.command[i]);
        if (QProcess::startDetached(QString::fromStdString(settings.command.front()), arguments))
            return;
    }
    createDirectories(settings.folder);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(settings.folder)));
}

} // namespace

AppModel::Tools::ReadLoginItems
AppModel::Tools::loginReader(std::function<LoginItemScanner()> makeScanner) {
    return [makeScanner](bool readOpenAtLogin,
                         const std::vector<LoginItemScanner::OpenAtLoginApp>& turnedOff) {
        LoginItemScanner scanner = makeScanner();
        if (readOpenAtLogin) scanner.openAtLogin = LoginItemScanner::liveOpenAtLogin;
        scanner.turnedOffApps = turnedOff;
        return scanner.scan();
    };
}

AppModel::Tools AppModel::Tools::live() {
    Tools tools;
    tools.search = [](const PlainQuery& query, const URL& home, int limit, const StopToken& stop) {
        return query.run(home, limit, stop);
    };
    tools.findPhotos = [](const std::vector<URL>& folders,
                          const std::function<void(double)>& progress, const StopToken& stop) {
        const URL ownData = HomeFolders(URL::fileURL(AppPaths::home(), true)).ownData();
        auto photos = SimilarPhotos::photos(folders, kPhotoMinSize, kPhotoLimit, {ownData}, stop);
        return SimilarPhotos::find(photos, PhotoPrinter::live(), progress, stop);
    };
    tools.measure = [](const URL& root, const std::set<std::string>& skipping,
                       const SpaceMap::Progress& progress, const StopToken& stop) {
        return SpaceMap::measure(root, skipping, progress, stop);
    };
    tools.readLoginItems = loginReader(LoginItemScanner::live);
    tools.switchLoginItem = [](const LoginItem& item, bool on) {
        return LoginItemSwitch().set(item, on);
    };
    tools.openLoginSettings = openLiveLoginSettings;
    tools.loginSettingsPlace = [] { return liveLoginSettings().place; };
    tools.hasSystemEvents = LoginItemScanner::hasSystemEvents;
    tools.releaseAsAdmin = releaseAsAdministrator;
    tools.reveal = [](const URL& url) { revealInFileManager(url); };
    tools.revealSeveral = [](const std::vector<URL>& urls) { revealInFileManager(urls); };
    tools.setSweeper = [](bool on) { return ShelfSweeper::set(on); };
    tools.hasFullDiskAccess = Permissions::hasFullDiskAccess;
    tools.closedFolders = Permissions::closedFolders;
    tools.openFiles = ProcessTable::holdingFiles;
    tools.readSettings = [] { return SettingsStore::standard().read(); };
    return tools;
}

} // namespace kelvora
