#include "engine/DiskScanner.h"
#include "engine/FolderWalk.h"
#include "engine/ParallelWalk.h"
#include "engine/PathRules.h"
#include "platform/AppPaths.h"
#include "platform/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <map>
#include <unistd.h>

namespace kelvora {
namespace {

constexpr const char* kMailBundleID = "com.apple.mail";
constexpr const char* kMessagesBundleID = "com.apple.MobileSMS";
constexpr const char* kServerTypes[] = {"imap", "exchange",     "google", "yahoo",
                                        "aol",  "appleaccount", "icloud"};

bool isRunning(const std::vector<RunningApp>& apps, const std::string& bundleID) {
    return std::any_of(apps.begin(), apps.end(),
                       [&](const RunningApp& app) { return app.bundleID == bundleID; });
}

// The tab-separated fields of a line, empty ones kept so that each stays in its column.
std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= line.size()) {
        const size_t end = std::min(line.find('\t', start), line.size());
        pieces.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

bool isStoreName(const std::string& name) {
    return name.size() >= 2 && name[0] == 'V' &&
           std::all_of(name.begin() + 1, name.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

long long storeNumber(const std::string& name) {
    try {
        return std::stoll(name.substr(1));
    } catch (...) {
        return 0;
    }
}

Date dateOf(const struct statx_timestamp& time) {
    return dateFromTimestamp(time.tv_sec, time.tv_nsec);
}

void sortInWalkOrder(std::vector<URL>& urls) {
    std::sort(urls.begin(), urls.end(),
              [](const URL& a, const URL& b) { return walkOrder(a.path(), b.path()); });
}

// Finds the "Attachments" folders below account folders, all accounts at once on
// every worker. Only folder names are read, and a found folder is not entered.
class AttachmentSearch final : public FolderVisitor {
public:
    explicit AttachmentSearch(int workers) : found_(workers) {}

    unsigned statusMask() const override { return 0; }
    bool wantsFile(unsigned char) const override { return false; }
    bool shouldEnter(int worker, const WalkFolder& parent, const std::string& path,
                     const char* name) override {
        if (std::strcmp(name, "Attachments") == 0) {
            found_[worker].emplace_back(parent.root, URL::fileURL(path, true));
            return false;
        }
        return !isPackageName(name);
    }
    void file(int, const WalkFolder&, const char*, const struct statx&) override {}

    std::vector<std::vector<URL>> byRoot(size_t roots) const {
        std::vector<std::vector<URL>> folders(roots);
        for (const auto& worker : found_)
            for (const auto& [root, url] : worker)
                folders[root].push_back(url);
        for (auto& list : folders)
            sortInWalkOrder(list);
        return folders;
    }

private:
    std::vector<std::vector<std::pair<size_t, URL>>> found_;
};

std::vector<std::vector<URL>> attachmentFoldersOf(const std::vector<URL>& accountFolders,
                                                  const StopToken& stop = {}) {
    if (accountFolders.empty()) return {};
    std::vector<std::string> roots;
    for (const auto& folder : accountFolders)
        roots.push_back(folder.path());
    const int workers = walkWorkerCount();
    AttachmentSearch search(workers);
    FolderWalk::run(roots, search, workers, stop);
    return search.byRoot(roots.size());
}

struct DatedFile {
    URL url;
    Date modified;
};

// Regular files of at least minSize bytes below a folder with their dates, in walk
// order; every regular file met is counted.
class LargeFileSearch final : public FolderVisitor {
public:
    LargeFileSearch(int64_t minSize, int workers) : minSize_(minSize), workers_(workers) {}

    unsigned statusMask() const override { return STATX_SIZE | STATX_MTIME; }
    bool wantsFile(unsigned char type) const override { return type == DT_REG; }
    void file(int worker, const WalkFolder& folder, const char* name,
              const struct statx& status) override {
        auto& mine = workers_[worker];
        ++mine.count;
        if (static_cast<int64_t>(status.stx_size) < minSize_) return;
        mine.files.push_back({URL::fileURL(joinPath(folder.path, name)), dateOf(status.stx_mtime)});
    }

    std::vector<DatedFile> files(FileCounter& counter) const {
        std::vector<DatedFile> all;
        for (const auto& worker : workers_) {
            counter.count += worker.count;
            all.insert(all.end(), worker.files.begin(), worker.files.end());
        }
        std::sort(all.begin(), all.end(), [](const DatedFile& a, const DatedFile& b) {
            return walkOrder(a.url.path(), b.url.path());
        });
        return all;
    }

private:
    struct alignas(64) Worker {
        int64_t count = 0;
        std::vector<DatedFile> files;
    };
    int64_t minSize_;
    std::vector<Worker> workers_;
};

std::vector<DatedFile> largeFilesBelow(const URL& url, int64_t minSize, FileCounter& counter,
                                       const StopToken& stop) {
    const auto info = fileInfo(url);
    if (!info || info->isSymlink()) return {};
    if (info->isRegularFile()) {
        ++counter.count;
        if (info->logicalSize < minSize) return {};
        return {{url, info->modified}};
    }
    if (!info->isDirectory()) return {};
    const int workers = walkWorkerCount();
    LargeFileSearch search(minSize, workers);
    FolderWalk::run({url.path()}, search, workers, stop);
    return search.files(counter);
}

ScanItem mailItem(URL location, std::vector<URL> targets, int64_t bytes, bool inUse,
                  const char* inUseName, Verdict verdict, ScanItem::MailInfo info) {
    ScanItem item;
    item.kind = JunkKind::mail;
    item.location = std::move(location);
    item.targets = std::move(targets);
    item.bytes = bytes;
    if (inUse) item.inUseBy = inUseName;
    item.baseVerdict = verdict;
    item.record = std::move(info);
    return item;
}

} // namespace

const std::set<std::string>& DiskScanner::videoTypes() {
    static const std::set<std::string> types = {"mov", "mp4", "m4v", "avi", "3gp", "hevc"};
    return types;
}

const std::set<std::string>& DiskScanner::photoTypes() {
    static const std::set<std::string> types = {"heic", "jpg",  "jpeg", "png",
                                                "gif",  "webp", "tiff", "dng"};
    return types;
}

std::optional<URL> DiskScanner::mailStore() const {
    const Listing mail = listFolder(home.appending("Library").appending("Mail"));
    std::optional<URL> store;
    long long best = -1;
    for (const auto& entry : mail.entries) {
        if (!isStoreName(entry.name)) continue;
        const long long number = storeNumber(entry.name);
        if (number > best) {
            best = number;
            store = entry.url;
        }
    }
    return store;
}

std::vector<URL> DiskScanner::attachmentFolders(const URL& accountFolder) {
    return attachmentFoldersOf({accountFolder}).front();
}

std::vector<ScanItem> DiskScanner::mailAttachmentItems(bool inUse, FileCounter& counter) const {
    const auto store = mailStore();
    if (!store) return {};
    const MailAccounts accounts = mailAccounts ? mailAccounts() : MailAccounts{};
    std::vector<FileInfo> accountFolders;
    std::vector<URL> accountURLs;
    for (const auto& entry : listFolder(*store).entries) {
        // A linked account folder would lead the clean outside the Mail store.
        if (!entry.isDirectory()) continue;
        if (entry.name.size() != 36 && entry.name != "Mailboxes") continue;
        accountFolders.push_back(entry);
        accountURLs.push_back(entry.url);
    }
    std::vector<std::pair<FileInfo, std::vector<URL>>> pairs;
    auto found = attachmentFoldersOf(accountURLs, stop);
    for (size_t i = 0; i < accountFolders.size(); ++i) {
        if (!found[i].empty()) pairs.emplace_back(accountFolders[i], std::move(found[i]));
    }
    std::vector<std::vector<URL>> groups;
    for (const auto& pair : pairs)
        groups.push_back(pair.second);
    const auto measured = measure(groups, counter);

    std::vector<ScanItem> items;
    for (size_t i = 0; i < pairs.size(); ++i) {
        if (measured[i].freesNothing()) continue;
        const auto& [account, folders] = pairs[i];
        MailAccount owner{"A Mail account", ScanItem::MailInfo::Copy::unknown};
        if (account.name == "Mailboxes") {
            owner = {"On My Mac", ScanItem::MailInfo::Copy::onlyHere};
        } else if (auto known = accounts.find(account.name); known != accounts.end()) {
            owner = known->second;
        }
        // The files are counted as looked at once more, as they were when listed apart
        // from the measuring.
        const int64_t files = measured[i].files;
        counter.count += files;
        const Verdict verdict = owner.copy == ScanItem::MailInfo::Copy::onServer
                                    ? Verdict::rebuilds
                                    : Verdict::youDecide;
        items.push_back(mailItem(account.url, folders, measured[i].bytes, inUse, "Mail", verdict,
                                 {ScanItem::MailInfo::Kind::mailAttachments, owner.name, owner.copy,
                                  static_cast<int>(files), 0, 0}));
    }
    return items;
}

std::vector<ScanItem> DiskScanner::mailDownloadItem(bool inUse, FileCounter& counter) const {
    const URL folder =
        home.appending("Library/Containers/com.apple.mail/Data/Library/Mail Downloads");
    // listFolder never follows a link, so a linked folder lists as nothing.
    std::vector<URL> entries;
    for (const auto& entry : listFolder(folder).entries)
        entries.push_back(entry.url);
    if (entries.empty()) return {};
    const Measured measured = measure({entries}, counter).front();
    if (measured.freesNothing()) return {};
    const int64_t bytes = measured.bytes;
    const int count = static_cast<int>(entries.size());
    return {mailItem(folder, std::move(entries), bytes, inUse, "Mail", Verdict::safe,
                     {ScanItem::MailInfo::Kind::mailDownloads, "Opened attachments",
                      ScanItem::MailInfo::Copy::onServer, count, 0, 0})};
}

std::vector<ScanItem> DiskScanner::messagesItems(bool inUse, FileCounter& counter) const {
    const URL attachments =
        home.appending("Library").appending("Messages").appending("Attachments");
    std::map<int, std::vector<URL>, std::greater<>> byYear;
    for (const auto& file : largeFilesBelow(attachments, messagesMinSize, counter, stop))
        byYear[Calendar::local(file.modified).year].push_back(file.url);
    std::vector<std::vector<URL>> groups;
    for (const auto& [year, files] : byYear)
        groups.push_back(files);
    const auto sizes = freedSizes(groups, counter);

    std::vector<ScanItem> items;
    size_t index = 0;
    for (const auto& [year, files] : byYear) {
        const int64_t bytes = sizes[index++];
        if (bytes < 1) continue;
        int videos = 0;
        int photos = 0;
        for (const auto& file : files) {
            const std::string extension = lowercased(file.pathExtension());
            videos += videoTypes().count(extension) ? 1 : 0;
            photos += photoTypes().count(extension) ? 1 : 0;
        }
        const std::string name = std::to_string(year);
        items.push_back(mailItem(
            attachments.appending(name), files, bytes, inUse, "Messages", Verdict::youDecide,
            {ScanItem::MailInfo::Kind::messages, name, ScanItem::MailInfo::Copy::unknown,
             static_cast<int>(files.size()), videos, photos}));
    }
    return items;
}

ItemsAndAccess DiskScanner::scanMail(const std::vector<RunningApp>& apps,
                                     FileCounter& counter) const {
    for (const char* folder : {"Mail", "Messages"}) {
        if (listFolder(home.appending("Library").appending(folder)).error ==
            ListError::permissionDenied)
            return {{}, FolderAccess::blocked};
    }
    const bool mailRuns = isRunning(apps, kMailBundleID);
    std::vector<ScanItem> items = mailAttachmentItems(mailRuns, counter);
    for (auto& item : mailDownloadItem(mailRuns, counter))
        items.push_back(std::move(item));
    for (auto& item : messagesItems(isRunning(apps, kMessagesBundleID), counter))
        items.push_back(std::move(item));
    return {std::move(items), FolderAccess::ok};
}

MailAccounts DiskScanner::parseMailAccounts(const std::string& output) {
    MailAccounts accounts;
    for (const auto& line : splitNonEmpty(output, '\n')) {
        const auto columns = fields(line);
        if (columns.size() != 3) continue;
        const std::string type = lowercased(columns[2]);
        ScanItem::MailInfo::Copy copy;
        if (type.find("pop") != std::string::npos) {
            copy = ScanItem::MailInfo::Copy::onlyHere;
        } else if (std::any_of(
                       std::begin(kServerTypes), std::end(kServerTypes),
                       [&](const char* word) { return type.find(word) != std::string::npos; })) {
            copy = ScanItem::MailInfo::Copy::onServer;
        } else {
            continue;
        }
        accounts[columns[0]] = {columns[1].empty() ? "Mail account" : columns[1], copy};
    }
    return accounts;
}

MailAccounts DiskScanner::liveMailAccounts() {
    const std::string database = joinPath(AppPaths::home(), "Library/Accounts/Accounts4.sqlite");
    if (access(database.c_str(), R_OK) != 0) return {};
    const std::string query =
        "SELECT a.ZIDENTIFIER, COALESCE(a.ZUSERNAME, a.ZACCOUNTDESCRIPTION, ''), t.ZIDENTIFIER\n"
        "FROM ZACCOUNT a JOIN ZACCOUNTTYPE t ON a.ZACCOUNTTYPE = t.Z_PK;";
    const auto result =
        runTool("/usr/bin/sqlite3", {"-readonly", "-separator", "\t", database, query}, 10);
    if (!result || result->status != 0) return {};
    return parseMailAccounts(result->output);
}

} // namespace kelvora
