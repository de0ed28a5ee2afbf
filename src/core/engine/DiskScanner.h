#pragma once

#include "engine/HeldOpen.h"
#include "model/InstalledApp.h"
#include "model/ScanResult.h"
#include "platform/AppImages.h"
#include "platform/Date.h"
#include "platform/DesktopEntries.h"
#include "platform/FileSystem.h"
#include "platform/Hash.h"
#include "platform/SandboxApps.h"
#include "platform/StopToken.h"
#include "platform/Url.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace kelvora {

class ScanFolderLog;

// The running count of files one scan looked at; every lister and sizer adds to it.
struct FileCounter {
    int64_t count = 0;
};

// Last-used and date-added dates of an application.
struct AppUsage {
    std::optional<Date> lastOpened;
    std::optional<Date> added;
    bool operator==(const AppUsage&) const = default;
};

struct SimulatorDevice {
    std::string udid;
    std::string name;
    std::string runtime;
    bool isAvailable = true;
    bool isBooted = false;
    std::optional<Date> lastBooted;
    URL folder;
    bool operator==(const SimulatorDevice&) const = default;
};

// What the container engine reports it could reclaim, in bytes.
struct DockerUsage {
    std::string tool;
    int64_t images = 0;
    int64_t buildCache = 0;
    int64_t stoppedContainers = 0;
    int64_t total = 0;
    bool operator==(const DockerUsage&) const = default;
};

struct MailAccount {
    std::string name;
    ScanItem::MailInfo::Copy copy = ScanItem::MailInfo::Copy::unknown;
    bool operator==(const MailAccount&) const = default;
};
using MailAccounts = std::map<std::string, MailAccount>;

struct ToolOutput {
    int32_t status = 0;
    std::string output;
};

using ItemsAndAccess = std::pair<std::vector<ScanItem>, FolderAccess>;
using ProgressFunction = std::function<void(const std::string& step, int index)>;

// The settings of a scan and its outside world as replaceable functions; every category
// scanner is a method of it. A plain value: copy it, change settings, scan.
struct DiskScanner {
    URL home;
    URL tempDirectory;
    std::function<std::vector<RunningApp>()> runningApps;
    std::function<Date()> now;
    double logAge = 604800;
    std::optional<std::string> ownBundleID;
    std::vector<URL> applicationFolders;
    std::function<std::optional<AppUsage>(const URL&)> appUsage;
    URL downloadsFolder;
    double downloadsAge = 604800;
    std::vector<std::string> neverTouch;
    std::vector<URL> duplicateFolders;
    bool privateFoldersAllowed = true;
    int64_t duplicateMinSize = 1'000'000;
    int64_t largeSize = 1'000'000'000;
    int64_t oldSize = 200'000'000;
    double oldAge = 31536000;
    double staleAfter = 15552000;
    double projectStaleAfter = 7776000;
    std::function<std::vector<SimulatorDevice>()> simulators;
    bool includeDocker = false;
    std::function<std::optional<DockerUsage>()> docker;
    double aiSessionAge = 2592000;
    std::optional<std::string> ollamaTool;
    URL appleModelsFolder;
    std::function<bool(const std::string&)> isInstalled;
    double leftoverQuietPeriod = 1209600;
    std::function<MailAccounts()> mailAccounts;
    double screenshotAge = 2592000;
    int64_t messagesMinSize = 5'000'000;
    std::function<int64_t(const URL&)> purgeableSpace;
    std::function<std::vector<Date>()> localSnapshots;
    int macOSMajorVersion = 0;
    std::function<std::vector<std::string>()> processPaths;
    // This user's running processes with the files they hold: an item checked for use
    // that holds one of those files is in use by that process.
    OpenFilesFunction openFiles;
    // Once set, a scan takes no further step and every walk of this scanner ends at the
    // next folder or file; what it returns then is incomplete and meant to be dropped.
    StopToken stop;

    // Empty functions take the live sources; no application folders means the default two.
    DiskScanner(URL home, URL tempDirectory,
                std::optional<std::vector<URL>> applicationFolders = std::nullopt,
                std::function<std::vector<RunningApp>()> runningApps = {},
                std::function<std::optional<AppUsage>(const URL&)> appUsage = {},
                std::function<Date()> now = {});

    // A scanner of the current user's home with every live source.
    static DiskScanner live();

    // ---- Environment and shared helpers ----
    static std::vector<RunningApp> liveRunningApps();
    static std::set<std::string> runningProcessNames();
    static DiskSpace diskSpace(const URL& url);
    static const std::vector<std::string>& privateFolderNames();
    // One of the home's user folders by the name above or "Movies", "Music", "Pictures":
    // where the system's user-dirs.dirs puts it, else home/name.
    URL userFolder(const std::string& name) const;
    // The home's private folders, where they are on this system.
    std::vector<URL> privateFolders() const;
    bool mayRead(const URL& url) const;
    std::vector<URL> regularFiles(const URL& url, FileCounter& counter) const;
    // The same files with the values read while listing them, for callers that would
    // otherwise read each file's values a second time.
    std::vector<FileInfo> regularFileInfos(const URL& url, FileCounter& counter) const;

    // ---- Tool runner and process helpers ----
    // Runs a tool to its end; none when it cannot start, runs out of time or is stopped,
    // and then the tool and everything it started are ended.
    static std::optional<ToolOutput> runTool(const std::string& tool,
                                             const std::vector<std::string>& arguments,
                                             double timeout, const StopToken& stop = {});
    static std::vector<std::string> runningProcessPaths();
    // systemctl with its whole arguments ("--user" or "--system" first): its output, or
    // nothing when this computer has none or it does not answer in time.
    static std::optional<ToolOutput> liveSystemctl(const std::vector<std::string>& arguments);
    // The live processes holding files, each named as programNames names it.
    static std::vector<RunningProcess> liveOpenFiles();
    // What the user knows each running program (an executable's name) by: the name of the
    // desktop entry it belongs to (AppNames::entryFor), else the program's own.
    static std::map<std::string, std::string> programNames(const std::set<std::string>& programs);
    std::optional<Date> modificationDate(const URL& url) const;
    std::optional<Date> newestChange(const URL& folder, FileCounter& counter) const;

    // ---- Size measurement ----
    // What removing each group of URLs frees, measured in one parallel walk.
    std::vector<int64_t> freedSizes(const std::vector<std::vector<URL>>& groups,
                                    FileCounter& counter) const;
    struct Measured {
        int64_t bytes = 0;     // what removing the group frees, its folders' own blocks too
        int64_t files = 0;     // regular files met
        int64_t fileBytes = 0; // what its files alone free
        // Folders holding nothing, or files that free nothing: no item worth offering.
        bool freesNothing() const { return fileBytes < 1; }
    };
    // The same walk, keeping how many files each group holds.
    std::vector<Measured> measure(const std::vector<std::vector<URL>>& groups,
                                  FileCounter& counter) const;

    // ---- Scan pipeline ----
    static const std::vector<std::string>& scanSteps();
    ScanResult scan(const ProgressFunction& progress = {}) const;
    std::vector<ScanItem> scanCachesOnly() const;

    // ---- Folders the scan looks in ----
    // Where a scan finds what it offers: the home folder, the user's own folders (any of
    // which may itself be a link, such as a Downloads kept on a data disk), the folders
    // named in the settings, the application folders and the temporary folder.
    std::vector<URL> scanFolders() const;
    // The deepest of the folders that holds the target below it; none outside them all.
    static std::optional<URL> scanFolderOf(const URL& target, const std::vector<URL>& folders);
    // Notes in each item the folders its targets were found in: as the scan's listings saw
    // them where a log of those is given and reached them, else as they resolve now.
    void noteScanFolders(std::vector<ScanItem>& items, const ScanFolderLog* listed = nullptr) const;
    // Drops every item that is, or lies on, a file system mounted inside the folder it was
    // found in (a bind mount of the same disk included), since a clean-up never crosses into
    // one; outside those folders, every item that is itself a mount point.
    static void dropMountedItems(std::vector<ScanItem>& items);
    ScanItem noted(ScanItem item) const;

    // ---- Caches, logs, temp files and the Trash ----
    std::vector<ScanItem> scanCaches(const std::vector<RunningApp>& apps,
                                     FileCounter& counter) const;
    static std::optional<RunningApp> appUsing(const std::string& cacheFolder,
                                              const std::vector<RunningApp>& apps);
    std::vector<ScanItem> scanLogs(FileCounter& counter) const;
    std::vector<ScanItem> scanTempLeftovers(FileCounter& counter) const;
    static std::optional<int32_t> onnxOwnerPID(const std::string& folderName);
    ItemsAndAccess scanTrash(FileCounter& counter) const;
    // A folder whose sub-folders are the application caches. Anywhere but its usual place
    // in the home it may hold what is no cache: what it offers goes only onto the shelf.
    struct CacheRoot {
        URL folder;
        bool shelfOnly = false;
    };
    // home/"Library/Caches", then the cache folder of this system, each only when no link
    // leads into it and it neither is, holds nor lies in a folder of the user's own.
    std::vector<CacheRoot> cacheRoots() const;
    // The same folders alone.
    std::vector<URL> cacheRootFolders() const;
    // Cache folders whose contents their tool downloads again, or builds again, when needed.
    static const std::set<std::string>& downloadCaches();
    // A cache folder of that table, its name in any letter case.
    static bool isDownloadCache(const std::string& folderName);
    // Of those, the caches a tool builds again on this computer rather than downloads.
    static bool isBuiltHere(const std::string& folderName);

    // ---- Applications, leftovers, downloads ----
    // An application bundle and, when it sits in a folder of its own, that folder.
    struct AppBundleEntry {
        URL app;
        std::optional<URL> installFolder;
        bool operator==(const AppBundleEntry&) const = default;
    };
    struct InstalledAppKey {
        std::string key; // the name lower-cased, letters and digits only
        std::string name;
        // An application bundle's key, which a disk image or installer package may also
        // match by its first words; any other matches only a whole package name.
        bool bundle = true;
    };
    // An AppImage application and what goes with it. Only what lies in the user's own
    // folders goes along when it is removed.
    struct AppImageApp {
        URL file;
        std::string name;         // the Name of a menu entry that runs it, else its package's
        std::vector<URL> entries; // the user's menu and autostart entries that run it
        std::vector<URL> links;   // links to it in the AppImage folders
        std::vector<URL> icons;   // the entries' icons in the user's icons, named by no other entry
        std::vector<URL> data;    // its portable-mode folders beside it
        std::string icon;         // the Icon of the first entry that runs it and names one
        // Everything but the file itself, in the order above.
        std::vector<URL> companions() const;
    };
    struct NamedSupportFolder {
        std::string name;
        std::vector<std::string> folders;
    };
    std::vector<ScanItem> scanApps(const std::vector<RunningApp>& apps, FileCounter& counter) const;
    std::vector<AppBundleEntry> appBundles() const;
    static std::vector<AppBundleEntry> appBundles(const URL& folder);
    std::vector<URL> leftoverFiles(const std::string& bundleID, const std::string& name) const;
    static bool canMove(const URL& url);
    static std::optional<AppUsage> spotlightUsage(const URL& url);
    // Every AppImage of the AppImage folders or run by a desktop entry, once each.
    std::vector<AppImageApp> appImages() const;
    // The AppImage at `file`; none when it is no AppImage.
    std::optional<AppImageApp> appImage(const URL& file) const;
    // What the AppImage of a list of applications left now that its file is gone; none when
    // it is still there or left nothing.
    std::optional<AppImageApp> goneAppImage(const InstalledApp& app) const;
    // The item of an AppImage, unmeasured: the file, then what goes with it.
    ScanItem appImageItem(const AppImageApp& app, std::optional<Date> lastOpened,
                          const std::vector<RunningApp>& apps) const;
    // When the AppImage at `file` was last opened, by the rule below.
    std::optional<Date> appImageUsage(const URL& file) const;
    // When an AppImage was last opened: the later of the date recorded for it and of its
    // access and modification times, or none when nothing says it was ever run (it was not
    // read since it was written, and no date was recorded).
    static std::optional<Date> appImageLastOpened(std::optional<Date> recorded, Date accessed,
                                                  Date modified);
    // The folders whose entries are installed applications: the application folders, the
    // AppImage folders and the application folders of Flatpak and Snap.
    std::vector<URL> installedAppFolders() const;
    // The installed application with this bundle identifier, searched in the given folders.
    static std::optional<URL> applicationURL(const std::string& bundleID,
                                             const std::vector<URL>& folders);
    std::vector<ScanItem> scanLeftovers(const std::vector<RunningApp>& apps,
                                        FileCounter& counter) const;
    std::set<std::string> installedMakers() const;
    std::vector<ScanItem> leftoverLaunchAgents(FileCounter& counter) const;
    // The user's autostart entries and systemd units whose program is gone, as the login
    // items list offers them: a unit with the links that enable it.
    std::vector<ScanItem> leftoverLoginItems(FileCounter& counter) const;
    // The data folders in the home of Flatpak apps and snaps that are no longer installed.
    std::vector<ScanItem> sandboxLeftovers(const std::vector<RunningApp>& apps,
                                           FileCounter& counter) const;
    static std::string readableName(const std::string& bundleID);
    static const std::map<std::string, NamedSupportFolder>& namedSupportFolders();
    ItemsAndAccess scanDownloads(FileCounter& counter) const;
    std::vector<InstalledAppKey> installedAppKeys() const;
    static std::optional<std::string> matchingApp(const std::string& installerName,
                                                  const std::vector<InstalledAppKey>& installed);
    // The AppImages that are installed applications: those a desktop entry runs and those
    // running now.
    std::set<FileIdentity> appImagesInUse() const;
    std::optional<ScanItem::DownloadInfo>
    judgeDownload(const FileInfo& entry, const std::set<std::string>& names,
                  const std::vector<InstalledAppKey>& installed, Date cutoff) const;

    // ---- Installed applications and uninstalling ----
    std::vector<InstalledApp> installedApps() const;
    // The removal item of one application bundle with its leftovers, or none when the
    // application may not be removed.
    std::optional<ScanItem> uninstallItem(const URL& bundle) const;
    // Why an application may not be removed: it is no bundle with an identifier that can be
    // read, or it is Kelvora itself or an application that came with the system. None when
    // it may.
    // Flatpak apps, snaps and what the system's package manager installed are removed by
    // those tools, never here.
    enum class AppRefusal { notAnApp, kelvora, system, flatpak, snap, packageManager };
    std::optional<AppRefusal> appRefusal(const URL& bundle) const;
    // The name an application is shown by: a desktop entry's Name, else the file's name
    // without its extension.
    static std::string appDisplayName(const URL& app);
    // The AppImage a dropped file stands for: itself, or the one a desktop entry runs.
    std::optional<URL> appImageBehind(const URL& app) const;
    // The applications of the older list whose identifier the newer list no longer has.
    static std::vector<InstalledApp> removed(const std::vector<InstalledApp>& older,
                                             const std::vector<InstalledApp>& newer);
    // What an application removed elsewhere left in the user's Library, or, for an AppImage,
    // a Flatpak app or a snap, in the home; none when nothing.
    std::optional<ScanItem> leftovers(const InstalledApp& removedApp) const;
    std::optional<ScanItem> appImageLeftovers(const InstalledApp& removedApp) const;
    // The leftovers item of files an application removed elsewhere left, at least 1 byte.
    ScanItem removedAppItem(ScanItem::LeftoverInfo::Kind kind, const std::string& id,
                            const std::string& name, const std::vector<URL>& files) const;
    // The Flatpak app or snap an entry of a list of applications stands for, by where it was.
    std::optional<SandboxApp> sandboxAppAt(const InstalledApp& app) const;
    // The data a Flatpak app or snap keeps in the home, once it is installed nowhere; none
    // while it is, or when it kept nothing.
    std::optional<ScanItem> sandboxLeftover(const SandboxApp& app) const;
    // The ids that Flatpak's installations, or snapd, hold now; none when the tool is not on
    // this computer, so that nothing says which of its apps are gone.
    std::optional<std::set<std::string>> sandboxInstalled(SandboxApp::Kind kind) const;

    // ---- User files, duplicates, large and old files, Mail, screenshots ----
    struct Candidate {
        URL url;
        int64_t size = 0;
        int64_t allocated = 0;
        std::string inode;
        Date created{};
        Date modified{};
        uint64_t links = 1; // hard links of the file, wherever they lie
        Date accessed{};
    };
    std::vector<Candidate> userFiles(const std::unordered_set<std::string>& excluding,
                                     FileCounter& counter) const;
    std::vector<ScanItem> scanDuplicates(const std::vector<Candidate>& candidates) const;
    std::vector<ScanItem> scanLargeAndOld(const std::vector<Candidate>& candidates,
                                          Date cutoff) const;
    ItemsAndAccess scanMail(const std::vector<RunningApp>& apps, FileCounter& counter) const;
    static MailAccounts liveMailAccounts();
    std::vector<ScanItem> scanScreenshots(FileCounter& counter) const;
    // Whether a file's contents live only in cloud storage; unset means never,
    // as no file here is a cloud placeholder.
    std::function<bool(const std::string& path)> isDataless;
    // The applications the desktop lists, for telling which downloaded installers have
    // done their job; by default those of the home's data folder and the system's.
    std::function<std::vector<DesktopEntries::Application>()> desktopApplications;
    // Where Flatpak and Snap keep their applications; by default this computer's places.
    SandboxRoots sandboxRoots;
    // The folders of every application entry, each entry read even where an earlier folder's
    // of the same name hides it: by default the desktop's (DesktopEntries::folders). The
    // exports of Flatpak's installations are added to them.
    std::function<std::vector<std::string>()> desktopEntryFolders;
    // What tells a file that is surely gone from one on a disk not attached now; by default
    // this computer's mount tables, read when asked.
    std::function<DiskPlaces()> diskPlaces;
    // The folders a desktop entry's program is looked up in (PATH's form).
    std::string programSearchPath;
    // systemctl, asked by the leftovers scan what PATH the user's service manager gives the
    // programs it starts; empty: it is not asked (the live scanner asks liveSystemctl).
    std::function<std::optional<ToolOutput>(const std::vector<std::string>&)> systemctl;
    // When a file was last opened: the date recorded for it, else, as this system records
    // none, its access time where that is later than its modification (it was read since
    // it was written). Nothing says it was last used when it was modified.
    static std::optional<Date> lastOpenedDate(std::optional<Date> recorded, Date accessed,
                                              Date modified);
    static std::optional<std::string> fingerprint(const URL& url, int64_t size);
    static std::optional<std::string> contentDigest(const URL& url);
    static bool looksLikeBackupFolder(const std::string& name);
    static const Candidate& bestCopy(const std::vector<const Candidate*>& group,
                                     const URL& downloads);
    std::optional<URL> mailStore() const;
    static std::vector<URL> attachmentFolders(const URL& accountFolder);
    std::vector<ScanItem> mailAttachmentItems(bool inUse, FileCounter& counter) const;
    std::vector<ScanItem> mailDownloadItem(bool inUse, FileCounter& counter) const;
    std::vector<ScanItem> messagesItems(bool inUse, FileCounter& counter) const;
    static MailAccounts parseMailAccounts(const std::string& output);
    static const std::set<std::string>& videoTypes();
    static const std::set<std::string>& photoTypes();
    static const std::set<std::string>& screenshotTypes();
    // What the desktop's screenshot tool calls its folder in the Pictures folder and its
    // files ("Screenshot from %s"), as one language translates them.
    struct ScreenshotWords {
        const char* language;
        const char* folder;
        std::vector<const char*> prefixes; // each followed by the date the shot was taken
    };
    static const std::vector<ScreenshotWords>& screenshotWords();
    // Named as screenshot tools name their files: in English, or as the desktop's tool does
    // in any language of screenshotWords.
    static bool hasScreenshotName(const std::string& name);
    // Whether a file lies in the Pictures folder's Screenshots folder, under the name of any
    // language: every picture there is a screenshot.
    static bool inScreenshotsFolder(const URL& file, const URL& pictures);
    std::vector<URL> screenshotFolders() const;
    std::optional<std::string> screenshotSaveLocation() const;

    // Which of the Mac's own apps and places the home holds.
    MacPlaces macPlaces() const;

    // ---- Developer files ----
    std::vector<ScanItem> scanProjects(const std::vector<std::string>& processPaths,
                                       FileCounter& counter) const;
    std::vector<ScanItem> scanDerivedData(FileCounter& counter) const;
    std::vector<ScanItem> scanDeviceSupport(FileCounter& counter) const;
    std::vector<ScanItem> scanSimulators(FileCounter& counter) const;
    static std::vector<SimulatorDevice> liveSimulators(const URL& home);
    static std::optional<DockerUsage> liveDocker(const URL& home);
    std::vector<ScanItem> scanDocker(const std::optional<DockerUsage>& usage) const;
    static std::vector<SimulatorDevice> parseSimulators(const std::string& output,
                                                        const URL& devicesFolder);
    static std::string runtimeName(const std::string& identifier);
    static std::optional<DockerUsage> parseDockerUsage(const std::string& output,
                                                       const std::string& tool);
    static int64_t dockerBytes(const std::string& text);
    // Where the container engine's tool is looked for, in order.
    static std::vector<std::string> dockerToolCandidates(const URL& home);
    // The space report of the first executable candidate.
    static std::optional<DockerUsage> askDocker(const std::vector<std::string>& candidates);

    // ---- AI files and local models ----
    std::vector<ScanItem> scanAI(const std::vector<RunningApp>& apps, FileCounter& counter) const;
    static std::optional<std::string> findOllama();
    struct AIApp {
        std::string name;
        std::vector<std::string> owners; // bundle identifiers and process names
        std::string support;             // relative to the home folder
    };
    static const std::vector<AIApp>& aiApps();
    struct OldSessions {
        std::vector<URL> targets;
        int count = 0;
        std::optional<Date> lastUsed;
    };
    using Companions = std::function<std::vector<URL>(const std::string& sessionName)>;
    std::vector<ScanItem> claudeCodeSessions(FileCounter& counter) const;
    std::vector<ScanItem> codexSessions(FileCounter& counter) const;
    std::vector<ScanItem> antigravitySessions(FileCounter& counter) const;
    std::vector<ScanItem> claudeScratchWorkspaces(FileCounter& counter) const;
    std::vector<ScanItem> geminiCLISessions(FileCounter& counter) const;
    std::vector<ScanItem> editorWorkspaceHistory(const std::vector<RunningApp>& apps,
                                                 FileCounter& counter) const;
    std::vector<ScanItem> aiAppCaches(const std::vector<RunningApp>& apps,
                                      FileCounter& counter) const;
    std::vector<ScanItem> codexCaches(const std::vector<RunningApp>& apps,
                                      FileCounter& counter) const;
    std::vector<ScanItem> aiUpdateLeftovers(const std::vector<RunningApp>& apps,
                                            FileCounter& counter) const;
    std::vector<ScanItem> oldAIVersions(FileCounter& counter) const;
    std::vector<ScanItem> appleIntelligenceModels(FileCounter& counter) const;
    OldSessions oldSessions(const URL& folder, const std::string& fileExtension,
                            const Companions& companions, FileCounter& counter) const;
    bool isOldSession(Date date) const;
    std::optional<ScanItem> sessionItem(const URL& location, const std::vector<URL>& targets,
                                        const std::string& tool, const std::string& detail,
                                        int count, std::optional<Date> lastUsed,
                                        const std::vector<std::string>& owners,
                                        FileCounter& counter) const;
    std::optional<ScanItem> aiItem(ScanItem::AIInfo::Kind kind, const URL& location,
                                   const std::vector<URL>& targets, const std::string& tool,
                                   const std::string& detail, int count,
                                   const std::vector<std::string>& owners,
                                   const std::vector<RunningApp>& apps, FileCounter& counter) const;
    static std::string claudeProjectName(const std::string& encodedName, const URL& home);
    std::vector<ScanItem> huggingFaceModels(FileCounter& counter) const;
    std::vector<ScanItem> lmStudioModels(FileCounter& counter) const;
    std::vector<ScanItem> ollamaModels() const;
    std::optional<ScanItem> modelItem(const URL& folder, const std::string& tool,
                                      const std::string& name, FileCounter& counter) const;
    static std::string ollamaName(const URL& manifest, const URL& manifests);
    // A layer digest names a blob file only in the form "algorithm:hex".
    static bool isWellFormedDigest(const std::string& digest);

    // ---- System Data ----
    std::vector<ScanItem> purgeableItem() const;
    std::vector<ScanItem> macOSInstallers(FileCounter& counter) const;
    std::vector<ScanItem> deviceBackups(FileCounter& counter) const;
    std::vector<ScanItem> deviceUpdates(FileCounter& counter) const;
    std::vector<ScanItem> dockerDiskItem(const std::optional<DockerUsage>& usage) const;
    static int64_t livePurgeable(const URL& url);
    static std::vector<Date> liveSnapshots();
    static std::vector<Date> parseSnapshots(const std::string& output);
};

} // namespace kelvora

template <> struct std::hash<kelvora::SimulatorDevice> {
    std::size_t operator()(const kelvora::SimulatorDevice& v) const noexcept {
        return kelvora::hashAll(v.udid, v.name, v.runtime, v.isAvailable, v.isBooted, v.lastBooted,
                                v.folder);
    }
};
template <> struct std::hash<kelvora::DockerUsage> {
    std::size_t operator()(const kelvora::DockerUsage& v) const noexcept {
        return kelvora::hashAll(v.tool, v.images, v.buildCache, v.stoppedContainers, v.total);
    }
};
