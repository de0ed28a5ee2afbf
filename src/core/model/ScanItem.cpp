#include "model/ScanItem.h"

#include "platform/Hash.h"

#include <array>

namespace kelvora {

Verdict ScanItem::verdict() const {
    if (inUseBy) return Verdict::inUse;
    if (lockedReason) return Verdict::locked;
    return baseVerdict;
}

bool ScanItem::isRemovable() const {
    if (inUseBy || lockedReason) return false;
    // The Trash can be emptied even when its size reads 0.
    return bytes > 0 || kind == JunkKind::trash;
}

bool ScanItem::goesOnShelf() const {
    if (shelfOnly) return true;
    if (const AIInfo* record = ai()) return record->kind == AIInfo::Kind::sessions;
    if (const SystemInfo* record = system()) return record->kind == SystemInfo::Kind::deviceBackup;
    return JunkKinds::goesOnShelf(kind);
}

bool ScanItem::isRemovableWithoutShelf() const {
    return isRemovable() && !shelfOnly;
}

std::string ScanItem::Action::commandLine() const {
    std::string line = lastComponent(tool);
    for (const auto& argument : arguments)
        line += " " + argument;
    return line;
}

namespace {

template <typename E, size_t N>
std::string nameOf(E value, const std::array<const char*, N>& names) {
    return names[static_cast<size_t>(value)];
}

template <typename E, size_t N>
std::optional<E> fromName(std::string_view text, const std::array<const char*, N>& names) {
    for (size_t i = 0; i < N; ++i)
        if (text == names[i]) return static_cast<E>(i);
    return std::nullopt;
}

const std::array<const char*, 14> kDeveloperKinds = {
    "nodeModules", "pythonEnv",    "rustTarget",       "swiftBuild",      "pods",
    "webBuild",    "gradleBuild",  "flutterBuild",     "derivedData",     "deviceSupport",
    "simulator",   "dockerImages", "dockerBuildCache", "dockerContainers"};
const std::array<const char*, 6> kAIKinds = {"sessions",       "cache", "oldVersion",
                                             "updateLeftover", "model", "appleIntelligence"};
const std::array<const char*, 3> kMailCopies = {"onServer", "onlyHere", "unknown"};

} // namespace

std::string rawValue(ScanItem::DownloadInfo::FileKind value) {
    return nameOf(value, std::array<const char*, 2>{"installer", "archive"});
}
std::string rawValue(ScanItem::DeveloperInfo::Kind value) {
    return nameOf(value, kDeveloperKinds);
}
std::string rawValue(ScanItem::AIInfo::Kind value) {
    return nameOf(value, kAIKinds);
}
std::string rawValue(ScanItem::MailInfo::Kind value) {
    return nameOf(value,
                  std::array<const char*, 3>{"mailAttachments", "mailDownloads", "messages"});
}
std::string rawValue(ScanItem::MailInfo::Copy value) {
    return nameOf(value, kMailCopies);
}
std::string rawValue(ScanItem::LeftoverInfo::Kind value) {
    return nameOf(value,
                  std::array<const char*, 7>{"appFiles", "launchAgent", "appImage", "flatpakData",
                                             "snapData", "autostartEntry", "userUnit"});
}
std::string rawValue(ScanItem::SystemInfo::Kind value) {
    return nameOf(value, std::array<const char*, 5>{"purgeable", "macOSInstaller", "deviceBackup",
                                                    "deviceUpdate", "dockerDisk"});
}
std::string rawValue(ScanItem::LargeFileInfo::Reason value) {
    return nameOf(value, std::array<const char*, 2>{"large", "old"});
}
std::optional<ScanItem::DeveloperInfo::Kind> developerKindFromRawValue(std::string_view text) {
    return fromName<ScanItem::DeveloperInfo::Kind>(text, kDeveloperKinds);
}
std::optional<ScanItem::AIInfo::Kind> aiKindFromRawValue(std::string_view text) {
    return fromName<ScanItem::AIInfo::Kind>(text, kAIKinds);
}
std::optional<ScanItem::MailInfo::Copy> mailCopyFromRawValue(std::string_view text) {
    return fromName<ScanItem::MailInfo::Copy>(text, kMailCopies);
}

} // namespace kelvora

using namespace kelvora;

std::size_t std::hash<ScanItem::AppInfo>::operator()(const ScanItem::AppInfo& v) const noexcept {
    return hashAll(v.name, v.bundleID, v.lastOpened, v.leftoverCount, v.icon);
}
std::size_t
std::hash<ScanItem::DownloadInfo>::operator()(const ScanItem::DownloadInfo& v) const noexcept {
    auto which = v.reason.which;
    return which == ScanItem::DownloadInfo::Reason::Case::opened
               ? hashAll(v.fileKind, which, v.reason.date)
               : hashAll(v.fileKind, which, v.reason.name);
}
std::size_t
std::hash<ScanItem::DuplicateInfo>::operator()(const ScanItem::DuplicateInfo& v) const noexcept {
    return hashAll(v.keptCopy, v.copies);
}
std::size_t
std::hash<ScanItem::LargeFileInfo>::operator()(const ScanItem::LargeFileInfo& v) const noexcept {
    return hashAll(v.reason, v.lastOpened, v.modified);
}
std::size_t
std::hash<ScanItem::DeveloperInfo>::operator()(const ScanItem::DeveloperInfo& v) const noexcept {
    return hashAll(v.kind, v.owner, v.lastActivity);
}
std::size_t std::hash<ScanItem::AIInfo>::operator()(const ScanItem::AIInfo& v) const noexcept {
    return hashAll(v.kind, v.tool, v.detail, v.count, v.lastUsed, v.owners);
}
std::size_t
std::hash<ScanItem::PhotoInfo>::operator()(const ScanItem::PhotoInfo& v) const noexcept {
    return hashAll(v.name, v.count, v.recordings, v.keptPhoto);
}
std::size_t std::hash<ScanItem::MailInfo>::operator()(const ScanItem::MailInfo& v) const noexcept {
    return hashAll(v.kind, v.name, v.copy, v.count, v.videos, v.photos);
}
std::size_t
std::hash<ScanItem::LeftoverInfo>::operator()(const ScanItem::LeftoverInfo& v) const noexcept {
    return hashAll(v.kind, v.id, v.name, v.places, v.lastChanged, v.files);
}
std::size_t
std::hash<ScanItem::SystemInfo>::operator()(const ScanItem::SystemInfo& v) const noexcept {
    return hashAll(v.kind, v.name, v.detail, v.date, v.count);
}
std::size_t
std::hash<ScanItem::ScanFolder>::operator()(const ScanItem::ScanFolder& v) const noexcept {
    return hashAll(v.folder, v.device, v.inode);
}
std::size_t std::hash<ScanItem::Action>::operator()(const ScanItem::Action& v) const noexcept {
    return hashAll(v.tool, v.arguments);
}
std::size_t std::hash<ScanItem>::operator()(const ScanItem& v) const noexcept {
    return hashAll(v.kind, v.location, v.targets, v.bytes, v.inUseBy, v.baseVerdict, v.lockedReason,
                   v.record, v.action, v.scannedIn, v.shelfOnly);
}
