#include "catalog/Catalog.h"

#include "catalog/PlainWords.h"
#include "engine/DiskScanner.h"
#include "model/Format.h"
#include "platform/AppImages.h"
#include "platform/Text.h"

#include <charconv>

namespace kelvora {

namespace {

using PlainWords::counted;
using PlainWords::fill;
using AIKind = ScanItem::AIInfo::Kind;
using DevKind = ScanItem::DeveloperInfo::Kind;
using SystemKind = ScanItem::SystemInfo::Kind;

std::string folderName(const ScanItem& item) {
    return item.location.lastPathComponent();
}

int64_t targetCount(const ScanItem& item) {
    return static_cast<int64_t>(item.targets.size());
}

// Only the parts with a number of 1 or more, joined by `separator`.
std::string joinedParts(const std::vector<std::pair<int64_t, const char*>>& parts,
                        std::string_view separator) {
    std::vector<std::string> shown;
    for (const auto& [count, noun] : parts)
        if (count >= 1) shown.push_back(counted(count, noun));
    return joined(shown, separator);
}

std::string mailDetail(const ScanItem& item) {
    if (!item.mail()) return "Attachments";
    const auto& mail = *item.mail();
    switch (mail.kind) {
    case ScanItem::MailInfo::Kind::mailAttachments: {
        const char* where =
            mail.copy == ScanItem::MailInfo::Copy::onServer   ? "kept on the mail server"
            : mail.copy == ScanItem::MailInfo::Copy::onlyHere ? "only on this computer"
                                                              : "account type unknown";
        return counted(mail.count, "attachment") + " · " + where;
    }
    case ScanItem::MailInfo::Kind::mailDownloads:
        return counted(mail.count, "file") + " · copies; the originals stay in the emails";
    case ScanItem::MailInfo::Kind::messages: {
        int64_t others = static_cast<int64_t>(mail.count) - mail.videos - mail.photos;
        return joinedParts({{mail.videos, "video"}, {mail.photos, "photo"}, {others, "other file"}},
                           ", ") +
               " over 5 MB";
    }
    }
    return "Attachments";
}

std::string screenshotsDetail(const ScanItem& item) {
    if (!item.photo()) return "Old screenshots";
    int64_t shots = static_cast<int64_t>(item.photo()->count) - item.photo()->recordings;
    return joinedParts({{shots, "screenshot"}, {item.photo()->recordings, "screen recording"}},
                       ", ");
}

std::string photosDetail(const ScanItem& item) {
    int64_t shots = item.photo() ? item.photo()->count : targetCount(item);
    return counted(shots, "near-identical shot") + " · the best one stays";
}

std::string developerLabel(const ScanItem& item) {
    switch (item.developer()->kind) {
    case DevKind::nodeModules:
        return "Node packages";
    case DevKind::pythonEnv:
        return "Python environment";
    case DevKind::rustTarget:
        return "Rust build output";
    case DevKind::swiftBuild:
        return "Swift build output";
    case DevKind::pods:
        return "CocoaPods packages";
    case DevKind::webBuild:
        return "Web build cache";
    case DevKind::gradleBuild:
        return "Gradle build output";
    case DevKind::flutterBuild:
        return "Flutter build output";
    case DevKind::derivedData:
        return "Xcode DerivedData";
    case DevKind::deviceSupport:
        return "Copied from a device you plugged in";
    case DevKind::simulator:
        return "Xcode simulator";
    case DevKind::dockerImages:
    case DevKind::dockerBuildCache:
    case DevKind::dockerContainers:
        break;
    }
    return item.action ? item.action->commandLine() : "Docker";
}

// A whole decimal number with an optional sign and nothing else, as 64 bits.
std::optional<int64_t> wholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    }
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

std::string Catalog::detail(const ScanItem& item) const {
    switch (item.kind) {
    case JunkKind::caches:
        return cachesDetail(item);
    case JunkKind::logs:
        return counted(targetCount(item), "log file") + " older than a week";
    case JunkKind::tempFiles:
        return tempFilesDetail(item);
    case JunkKind::downloads:
        return downloadReason(item);
    case JunkKind::mail:
        return mailDetail(item);
    case JunkKind::screenshots:
        return screenshotsDetail(item);
    case JunkKind::photos:
        return photosDetail(item);
    case JunkKind::duplicates:
        return duplicateDetail(item);
    case JunkKind::largeFiles:
        return largeFileDetail(item);
    case JunkKind::developer:
        return developerDetail(item);
    case JunkKind::ai:
        return aiDetail(item);
    case JunkKind::systemData:
        return systemDetail(item);
    case JunkKind::apps:
        return appsDetail(item);
    case JunkKind::leftovers:
        return leftoverDetail(item);
    case JunkKind::trash:
        return item.bytes <= 0
                   ? "In the Trash · shares its space with a copy, so removing it frees nothing"
                   : "In the Trash";
    }
    return {};
}

std::string Catalog::cachesDetail(const ScanItem& item) const {
    std::string folder = folderName(item);
    if (splitNonEmpty(folder, '.').size() >= 3 && !appName(folder))
        return "From an app that’s no longer installed";
    return counted(targetCount(item), "item") + " inside";
}

std::string Catalog::tempFilesDetail(const ScanItem& item) const {
    auto pid = DiskScanner::onnxOwnerPID(folderName(item));
    std::string owner = pid ? std::to_string(*pid) : "?";
    std::string text = item.inUseBy ? fill("Process %@ is still running", {owner})
                                    : fill("Made by process %@, which has ended", {owner});
    if (item.targets.size() >= 2) text += " · " + counted(targetCount(item), "file");
    return text;
}

std::string Catalog::duplicateDetail(const ScanItem& item) const {
    if (!item.duplicate()) return "A copy of another file";
    std::string text = "Same as " + homeRelativePath(item.duplicate()->keptCopy.path());
    int extra = item.duplicate()->copies - 1;
    if (extra >= 2) text += fill(" · %lld extra copies", {extra});
    return text;
}

std::string Catalog::appsDetail(const ScanItem& item) const {
    std::string text = lastOpened(item);
    if (!item.app() || item.app()->leftoverCount < 1) return text;
    const bool appImage = AppImages::hasAppImageName(item.app()->bundleID);
    return text + " · plus " +
           counted(item.app()->leftoverCount, appImage ? "file" : "leftover item") +
           (appImage ? " with it" : "");
}

std::string Catalog::leftoverDetail(const ScanItem& item) const {
    if (!item.leftover()) return "Left by a removed app";
    const auto& leftover = *item.leftover();
    using Kind = ScanItem::LeftoverInfo::Kind;
    if (leftover.isLoginItem())
        return "Starts a program that’s gone · in " + joined(leftover.places, ", ");
    std::string text = leftover.kind == Kind::appImage      ? "AppImage gone · in "
                       : leftover.kind == Kind::flatpakData ? "Flatpak app not installed · in "
                       : leftover.kind == Kind::snapData    ? "Snap not installed · in "
                                                            : "App not installed · in ";
    text += joined(leftover.places, ", ");
    if (leftover.lastChanged)
        text += " · untouched since " + PlainWords::shortMonthDate(*leftover.lastChanged);
    return text;
}

std::string Catalog::downloadReason(const ScanItem& item) const {
    if (!item.download()) return "In Downloads";
    const auto& reason = item.download()->reason;
    using Case = ScanItem::DownloadInfo::Reason::Case;
    switch (reason.which) {
    case Case::appInstalled:
        return fill("%@ is installed", {reason.name});
    case Case::unpacked:
        return fill("Already unpacked to “%@”", {reason.name});
    case Case::opened:
        break;
    }
    return "Opened " + relativeDate(reason.date);
}

std::string Catalog::largeFileDetail(const ScanItem& item) const {
    if (!item.largeFile()) return "In your files";
    std::string folder = homeRelativePath(item.location.deletingLastPathComponent().path());
    if (item.largeFile()->lastOpened)
        return fill("Opened %@ · in %@", {relativeDate(*item.largeFile()->lastOpened), folder});
    return fill("Not opened since %@ · in %@",
                {PlainWords::longMonthDate(item.largeFile()->modified), folder});
}

std::string Catalog::lastOpened(const ScanItem& item) const {
    if (item.app() && item.app()->lastOpened)
        return "Last opened " + relativeDate(*item.app()->lastOpened);
    return "Never opened";
}

std::string Catalog::developerDetail(const ScanItem& item) const {
    if (!item.developer()) return "Developer files";
    const auto& dev = *item.developer();
    std::string label = developerLabel(item);
    if (dev.kind == DevKind::derivedData && !dev.lastActivity)
        return label + " · the project is gone";
    if (dev.kind == DevKind::simulator && item.baseVerdict == Verdict::safe)
        return label + " · its iOS version isn’t installed";
    if (!dev.lastActivity) return label;
    bool usedByDevice = dev.kind == DevKind::derivedData || dev.kind == DevKind::simulator ||
                        dev.kind == DevKind::deviceSupport;
    return fill("%@ · %@ %@", {label, usedByDevice ? "last used" : "project last changed",
                               relativeDate(*dev.lastActivity)});
}

std::string Catalog::aiDetail(const ScanItem& item) const {
    if (!item.ai()) return "AI files";
    const auto& ai = *item.ai();
    std::string lastUsed = ai.lastUsed ? " · last used " + relativeDate(*ai.lastUsed) : "";
    switch (ai.kind) {
    case AIKind::sessions: {
        const char* unit = ai.tool == "Claude"            ? "folder"
                           : ai.detail == "project chats" ? "project"
                                                          : "session";
        return fill("%@ untouched for %lld days",
                    {counted(ai.count, unit), settings().aiSessionDays}) +
               lastUsed;
    }
    case AIKind::cache:
        return item.inUseBy ? ai.tool + " is open" : fill("Rebuilt as %@ needs it", {ai.tool});
    case AIKind::oldVersion:
        return fill("Version %@ · the newest stays", {ai.detail});
    case AIKind::updateLeftover:
        return "Already installed · " + counted(targetCount(item), "file");
    case AIKind::model:
        return "Downloaded model" + lastUsed;
    case AIKind::appleIntelligence:
        return "Managed by macOS · explained, never removed";
    }
    return "AI files";
}

std::string Catalog::systemDetail(const ScanItem& item) const {
    if (!item.system()) return "System Data";
    const auto& system = *item.system();
    std::optional<std::string> date;
    if (system.date) date = relativeDate(*system.date);
    switch (system.kind) {
    case SystemKind::purgeable:
        if (system.count < 1) return "iCloud files, caches and the like";
        return "Includes " + counted(system.count, "local Time Machine snapshot");
    case SystemKind::macOSInstaller:
        return system.detail == "upgrade" ? "An upgrade you haven’t installed"
                                          : "For macOS you already have";
    case SystemKind::deviceBackup: {
        if (system.detail == "private")
            return "macOS keeps these private until Kelvora has Full Disk Access";
        std::vector<std::string> parts;
        if (!system.detail.empty()) parts.push_back(system.detail);
        if (date) parts.push_back("made " + *date);
        parts.push_back(system.count == 1 ? "newest backup of this device" : "older backup");
        return joined(parts, " · ");
    }
    case SystemKind::deviceUpdate:
        return "In " + system.detail + (date ? " · downloaded " + *date : "");
    case SystemKind::dockerDisk:
        if (auto unused = wholeNumber(system.detail); unused && *unused > 0)
            return Format::size(*unused) + " of it is unused";
        return "Images, containers and volumes";
    }
    return "System Data";
}

} // namespace kelvora
