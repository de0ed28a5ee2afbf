#include "controller/AppModel.h"

#include "controller/Prefs.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"

#include <QFileSystemWatcher>

namespace kelvora {

namespace {

using Reading = SettingsStore::Reading;

// What the settings window says about the file, the most pressing first: a file that
// cannot be read blocks every change, a change just refused comes next, then damage.
std::optional<std::string> settingsNotice(const Reading& reading,
                                          const std::optional<std::string>& writeError,
                                          const std::optional<std::string>& damagedCopy,
                                          const std::string& file) {
    if (reading.state == Reading::State::unreadable)
        return "Kelvora can’t read its settings file " + file + " (" + reading.reason +
               "), so every setting shows its default and no change can be saved.";
    if (writeError)
        return "Kelvora couldn’t save the last change, so it is not in effect. " + *writeError +
               ".";
    if (reading.state == Reading::State::damaged)
        return "Kelvora’s settings file is damaged (" + reading.reason +
               "), so every setting shows its default. The file will be kept aside, not "
               "written over.";
    if (damagedCopy)
        return "Kelvora’s settings file was damaged, so every setting went back to its "
               "default. The damaged file is kept as " +
               *damagedCopy + ".";
    return std::nullopt;
}

// The picks have state of their own in the controller; a read that brings only new picks
// (after each pick saved) changes nothing the views show from the settings.
bool sameApartFromPicks(const Reading& a, const Reading& b) {
    // No file reads as one that holds nothing, as the first picks saved may make it.
    const auto state = [](const Reading& reading) {
        return reading.state == Reading::State::missing ? Reading::State::fine : reading.state;
    };
    if (state(a) != state(b) || a.reason != b.reason) return false;
    auto others = [](const nlohmann::json& settings) {
        return settings.size() - settings.count(Prefs::Key::picks);
    };
    if (others(a.document) != others(b.document)) return false;
    for (const auto& [key, value] : a.document.items()) {
        if (key == Prefs::Key::picks) continue;
        auto it = b.document.find(key);
        if (it == b.document.end() || *it != value) return false;
    }
    return true;
}

QString settingsFolder() {
    return QString::fromStdString(parentPath(SettingsStore::standard().file()));
}

} // namespace

void AppModel::rereadSettings() {
    Reading before = std::move(settings_);
    std::optional<std::string> said = settingsError_;
    settings_ = tools_.readSettings ? tools_.readSettings() : SettingsStore::standard().read();
    watchSettingsFolder();
    updateSettingsError();
    if (!sameApartFromPicks(before, settings_) || said != settingsError_) changed(Area::settings);
}

void AppModel::updateSettingsError() {
    auto notice = settingsNotice(settings_, settingsWriteError_, damagedSettingsCopy_,
                                 SettingsStore::standard().file());
    if (notice) notice = replacingAll(*notice, AppPaths::home() + "/", "~/");
    settingsError_ = std::move(notice);
}

bool AppModel::noteSettingsWrite(const SettingsStore::Write& write) {
    if (write.damagedCopy) damagedSettingsCopy_ = write.damagedCopy;
    if (write.result)
        settingsWriteError_.reset();
    else
        settingsWriteError_ = write.result.reason;
    rereadSettings();
    return bool(write.result);
}

void AppModel::folderChanged(const QString& folder) {
    if (folder == settingsFolder())
        settingsFolderChanged();
    else
        appsChanged();
}

// The folder is watched for a new file put in the old one's place, as every write does, and
// the file for a change in place (an editor's, or "echo >"). Writes of this process,
// temporary files and the lock change the folder too; only another file, or the same file
// changed, is read.
void AppModel::settingsFolderChanged() {
    if (SettingsStore::standard().stamp() != settings_.stamp) rereadSettings();
    watchSettingsFolder();
}

// A watch on the file ends with the file a write replaces: it is taken up again on the new.
void AppModel::settingsFileChanged(const QString& file) {
    if (watcher_) watcher_->removePath(file);
    settingsFolderChanged();
}

// A folder made only after start-up (by the first setting saved) is taken in then; so is
// the file, once there is one.
void AppModel::watchSettingsFolder() {
    if (!watcher_) return;
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &AppModel::settingsFileChanged,
            Qt::UniqueConnection);
    QString folder = settingsFolder();
    if (!watcher_->directories().contains(folder) && fileExists(folder.toStdString()))
        watcher_->addPath(folder);
    const std::string file = SettingsStore::standard().file();
    QString shown = QString::fromStdString(file);
    if (!watcher_->files().contains(shown) && fileInfo(SettingsStore::standard().writtenFile()))
        watcher_->addPath(shown);
}

} // namespace kelvora
