#pragma once

#include "model/JunkKind.h"
#include "platform/Date.h"
#include "platform/Url.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kelvora {

// One found item: where it is, what removing it touches and frees, and why it may
// not be removed now, with at most one per-category record.
struct ScanItem {
    struct AppInfo {
        std::string name;
        std::string bundleID;
        std::optional<Date> lastOpened;
        int leftoverCount = 0;
        // The Icon of the menu entry that runs it: a name in the icon theme or a file; empty
        // where it has none.
        std::string icon;
        bool operator==(const AppInfo&) const = default;
    };

    struct DownloadInfo {
        enum class FileKind { installer, archive };
        // Why the download can go: the app it installs is installed, the archive was
        // unpacked, or it was opened (with the date).
        struct Reason {
            enum class Case { appInstalled, unpacked, opened };
            Case which = Case::opened;
            std::string name;
            Date date{};
            static Reason appInstalled(std::string app) {
                return {Case::appInstalled, std::move(app), {}};
            }
            static Reason unpacked(std::string item) {
                return {Case::unpacked, std::move(item), {}};
            }
            static Reason opened(Date when) { return {Case::opened, {}, when}; }
            bool operator==(const Reason& other) const {
                if (which != other.which) return false;
                return which == Case::opened ? date == other.date : name == other.name;
            }
        };
        FileKind fileKind = FileKind::installer;
        Reason reason;
        bool operator==(const DownloadInfo&) const = default;
    };

    struct DuplicateInfo {
        URL keptCopy;
        int copies = 0;
        bool operator==(const DuplicateInfo&) const = default;
    };

    struct LargeFileInfo {
        enum class Reason { large, old };
        Reason reason = Reason::large;
        std::optional<Date> lastOpened;
        Date modified{};
        bool operator==(const LargeFileInfo&) const = default;
    };

    struct DeveloperInfo {
        enum class Kind {
            nodeModules,
            pythonEnv,
            rustTarget,
            swiftBuild,
            pods,
            webBuild,
            gradleBuild,
            flutterBuild,
            derivedData,
            deviceSupport,
            simulator,
            dockerImages,
            dockerBuildCache,
            dockerContainers,
        };
        Kind kind = Kind::nodeModules;
        std::string owner;
        std::optional<Date> lastActivity;
        bool operator==(const DeveloperInfo&) const = default;
    };

    struct AIInfo {
        enum class Kind { sessions, cache, oldVersion, updateLeftover, model, appleIntelligence };
        Kind kind = Kind::sessions;
        std::string tool;
        std::string detail;
        int count = 0;
        std::optional<Date> lastUsed;
        std::vector<std::string> owners;
        bool operator==(const AIInfo&) const = default;
    };

    struct PhotoInfo {
        std::string name;
        int count = 0;
        int recordings = 0;
        std::optional<URL> keptPhoto;
        bool operator==(const PhotoInfo&) const = default;
    };

    struct MailInfo {
        enum class Kind { mailAttachments, mailDownloads, messages };
        enum class Copy { onServer, onlyHere, unknown };
        Kind kind = Kind::mailAttachments;
        std::string name;
        Copy copy = Copy::unknown;
        int count = 0;
        int videos = 0;
        int photos = 0;
        bool operator==(const MailInfo&) const = default;
    };

    struct LeftoverInfo {
        // What an application left: its files in the Library, a launch agent whose program is
        // gone, the menu entries and icons of an AppImage that is gone, the data folder in the
        // home of a Flatpak app or a snap that is no longer installed, or a desktop autostart
        // entry or systemd user unit whose program is gone.
        enum class Kind {
            appFiles,
            launchAgent,
            appImage,
            flatpakData,
            snapData,
            autostartEntry,
            userUnit
        };
        Kind kind = Kind::appFiles;
        std::string id;
        std::string name;
        std::vector<std::string> places;
        std::optional<Date> lastChanged;
        int64_t files = 0; // the regular files it holds, as a trashed folder's are counted
        bool operator==(const LeftoverInfo&) const = default;
        bool isLoginItem() const {
            return kind == Kind::launchAgent || kind == Kind::autostartEntry ||
                   kind == Kind::userUnit;
        }
    };

    struct SystemInfo {
        enum class Kind { purgeable, macOSInstaller, deviceBackup, deviceUpdate, dockerDisk };
        Kind kind = Kind::purgeable;
        std::string name;
        std::string detail;
        std::optional<Date> date;
        int count = 0;
        bool operator==(const SystemInfo&) const = default;
    };

    // What one thing thrown in the Trash holds: the files of a trashed folder, 1 for a file.
    struct TrashInfo {
        int64_t files = 0;
        bool operator==(const TrashInfo&) const = default;
    };

    // A command that removes the item instead of deleting its targets.
    struct Action {
        std::string tool;
        std::vector<std::string> arguments;
        // The tool's last path component and every argument, joined by single blanks.
        std::string commandLine() const;
        bool operator==(const Action&) const = default;
    };

    // A folder the scan looked in and what it was when the scan listed it (device and inode
    // 0 when it was swapped during the scan). A removal starts from it and crosses no link
    // below it, so a link made after the scan cannot redirect the removal.
    struct ScanFolder {
        URL folder;
        uint64_t device = 0;
        uint64_t inode = 0;
        bool operator==(const ScanFolder&) const = default;
    };

    JunkKind kind = JunkKind::caches;
    URL location;
    std::vector<URL> targets;
    int64_t bytes = 0;
    std::optional<std::string> inUseBy;
    Verdict baseVerdict = Verdict::safe;
    std::optional<std::string> lockedReason;
    // The facts of the item's category; none for caches, logs and temp files.
    // One record at a time keeps an item as small as its largest record, so a result of
    // many thousands of items stays cheap to hold.
    using Record = std::variant<std::monostate, AppInfo, DownloadInfo, DuplicateInfo, LargeFileInfo,
                                DeveloperInfo, AIInfo, PhotoInfo, MailInfo, LeftoverInfo,
                                SystemInfo, TrashInfo>;
    Record record;
    std::optional<Action> action;
    // The folders the targets were found in; empty for items made outside a scan.
    std::vector<ScanFolder> scannedIn;
    // Found where it only may be what it seems (a cache folder other than the usual one):
    // removed only onto the Undo Shelf, from where it can be put back.
    bool shelfOnly = false;

    // The record of each kind, or null when the item carries another or none.
    const AppInfo* app() const { return std::get_if<AppInfo>(&record); }
    AppInfo* app() { return std::get_if<AppInfo>(&record); }
    const DownloadInfo* download() const { return std::get_if<DownloadInfo>(&record); }
    DownloadInfo* download() { return std::get_if<DownloadInfo>(&record); }
    const DuplicateInfo* duplicate() const { return std::get_if<DuplicateInfo>(&record); }
    DuplicateInfo* duplicate() { return std::get_if<DuplicateInfo>(&record); }
    const LargeFileInfo* largeFile() const { return std::get_if<LargeFileInfo>(&record); }
    LargeFileInfo* largeFile() { return std::get_if<LargeFileInfo>(&record); }
    const DeveloperInfo* developer() const { return std::get_if<DeveloperInfo>(&record); }
    DeveloperInfo* developer() { return std::get_if<DeveloperInfo>(&record); }
    const AIInfo* ai() const { return std::get_if<AIInfo>(&record); }
    AIInfo* ai() { return std::get_if<AIInfo>(&record); }
    const PhotoInfo* photo() const { return std::get_if<PhotoInfo>(&record); }
    PhotoInfo* photo() { return std::get_if<PhotoInfo>(&record); }
    const MailInfo* mail() const { return std::get_if<MailInfo>(&record); }
    MailInfo* mail() { return std::get_if<MailInfo>(&record); }
    const LeftoverInfo* leftover() const { return std::get_if<LeftoverInfo>(&record); }
    LeftoverInfo* leftover() { return std::get_if<LeftoverInfo>(&record); }
    const SystemInfo* system() const { return std::get_if<SystemInfo>(&record); }
    SystemInfo* system() { return std::get_if<SystemInfo>(&record); }
    const TrashInfo* trash() const { return std::get_if<TrashInfo>(&record); }

    const URL& id() const { return location; }
    Verdict verdict() const;
    bool isRemovable() const;
    bool goesOnShelf() const;
    // Whether a clean-up without the Undo Shelf may remove it: removable, and not kept for
    // the shelf alone.
    bool isRemovableWithoutShelf() const;

    bool operator==(const ScanItem&) const = default;
};

// Case names of the records' enumerations (their stored and printed form).
std::string rawValue(ScanItem::DownloadInfo::FileKind value);
std::string rawValue(ScanItem::DeveloperInfo::Kind value);
std::string rawValue(ScanItem::AIInfo::Kind value);
std::string rawValue(ScanItem::MailInfo::Kind value);
std::string rawValue(ScanItem::MailInfo::Copy value);
std::string rawValue(ScanItem::LeftoverInfo::Kind value);
std::string rawValue(ScanItem::SystemInfo::Kind value);
std::string rawValue(ScanItem::LargeFileInfo::Reason value);
std::optional<ScanItem::DeveloperInfo::Kind> developerKindFromRawValue(std::string_view text);
std::optional<ScanItem::AIInfo::Kind> aiKindFromRawValue(std::string_view text);
std::optional<ScanItem::MailInfo::Copy> mailCopyFromRawValue(std::string_view text);

} // namespace kelvora

template <> struct std::hash<kelvora::ScanItem::AppInfo> {
    std::size_t operator()(const kelvora::ScanItem::AppInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::DownloadInfo> {
    std::size_t operator()(const kelvora::ScanItem::DownloadInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::DuplicateInfo> {
    std::size_t operator()(const kelvora::ScanItem::DuplicateInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::LargeFileInfo> {
    std::size_t operator()(const kelvora::ScanItem::LargeFileInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::DeveloperInfo> {
    std::size_t operator()(const kelvora::ScanItem::DeveloperInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::AIInfo> {
    std::size_t operator()(const kelvora::ScanItem::AIInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::PhotoInfo> {
    std::size_t operator()(const kelvora::ScanItem::PhotoInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::MailInfo> {
    std::size_t operator()(const kelvora::ScanItem::MailInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::LeftoverInfo> {
    std::size_t operator()(const kelvora::ScanItem::LeftoverInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::SystemInfo> {
    std::size_t operator()(const kelvora::ScanItem::SystemInfo& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::TrashInfo> {
    std::size_t operator()(const kelvora::ScanItem::TrashInfo& v) const noexcept {
        return std::hash<int64_t>()(v.files);
    }
};
template <> struct std::hash<kelvora::ScanItem::ScanFolder> {
    std::size_t operator()(const kelvora::ScanItem::ScanFolder& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem::Action> {
    std::size_t operator()(const kelvora::ScanItem::Action& v) const noexcept;
};
template <> struct std::hash<kelvora::ScanItem> {
    std::size_t operator()(const kelvora::ScanItem& v) const noexcept;
};
