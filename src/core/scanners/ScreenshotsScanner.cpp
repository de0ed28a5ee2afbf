#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"
#include "platform/Plist.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace kelvora {
namespace {

struct Month {
    int year = 0;
    int month = 0;
    auto operator<=>(const Month&) const = default;
};

bool isDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isRecording(const URL& url) {
    const std::string extension = lowercased(url.pathExtension());
    return extension == "mov" || extension == "mp4";
}

std::string monthName(const Month& month) {
    static const char* names[] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};
    return std::string(names[month.month - 1]) + " " + std::to_string(month.year);
}

// The folder's entries, then the entries of each of its sub-folders. The folder itself may
// be a link, as user folders kept on another disk are; links inside it are never followed.
std::vector<FileInfo> entriesOneLevelDown(const URL& folder) {
    const Listing listing = listFolderThroughLink(folder);
    std::vector<FileInfo> entries = listing.entries;
    for (const auto& entry : listing.entries) {
        if (!entry.isDirectory() || entry.isPackage) continue;
        const Listing inner = listFolder(entry.url);
        entries.insert(entries.end(), inner.entries.begin(), inner.entries.end());
    }
    return entries;
}

} // namespace

const std::vector<DiskScanner::ScreenshotWords>& DiskScanner::screenshotWords() {
    // GNOME's own translations of "Screenshots" and "Screenshot from %s"; older releases of its
    // tool wrote "de" where the newer write "du" in French.
    static const std::vector<ScreenshotWords> words = {
        {"en", "Screenshots", {"Screenshot from "}},
        {"fr", "Captures d’écran", {"Capture d’écran du ", "Capture d’écran de "}},
        {"de", "Bildschirmfotos", {"Bildschirmfoto vom "}},
        {"es", "Capturas de pantalla", {"Captura de pantalla de "}},
        {"it", "Schermate", {"Schermata del "}},
        {"pt", "Capturas de ecrã", {"Captura de ecrã de "}},
        {"pt_BR", "Capturas de tela", {"Captura de tela de "}},
        {"nl", "Schermafdrukken", {"Schermafdruk van "}},
        {"pl", "Zrzuty ekranu", {"Zrzut ekranu z "}},
        {"ru", "Снимки экрана", {"Снимок экрана от "}},
        {"ja", "スクリーンショット", {"スクリーンショット "}},
        {"zh_CN", "截图", {"截图 "}},
        {"zh_TW", "螢幕擷圖", {"螢幕擷圖 "}},
    };
    return words;
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "Capture d’écran du 2024-03-01 10-10-10.png": the translated words, then the date.
bool hasDesktopToolName(const std::string& name) {
    const std::string shown = typographicApostrophes(name);
    for (const auto& language : DiskScanner::screenshotWords())
        for (const char* prefix : language.prefixes) {
            const std::string_view words(prefix);
            if (startsWith(shown, words) && shown.size() > words.size() &&
                isDigit(shown[words.size()]))
                return true;
        }
    return false;
}

} // namespace

bool DiskScanner::hasScreenshotName(const std::string& name) {
    static const char* prefixes[] = {"Screenshot ", "Screen Shot ", "Screen Recording ",
                                     "CleanShot ", "Shottr "};
    if (std::any_of(std::begin(prefixes), std::end(prefixes),
                    [&](const char* prefix) { return startsWith(name, prefix); }))
        return true;
    if (hasDesktopToolName(name)) return true;
    // The KDE tool's own: "Screenshot_20240301_101010", the date and time it was taken.
    constexpr std::string_view kde = "Screenshot_";
    const std::string_view rest = std::string_view(name).substr(std::min(name.size(), kde.size()));
    return startsWith(name, kde) && rest.size() >= 15 && isDigits(rest.substr(0, 8)) &&
           rest[8] == '_' && isDigits(rest.substr(9, 6));
}

bool DiskScanner::inScreenshotsFolder(const URL& file, const URL& pictures) {
    const std::string folder = parentPath(file.path());
    if (parentPath(folder) != pictures.path()) return false;
    const std::string name = typographicApostrophes(lastComponent(folder));
    return std::any_of(screenshotWords().begin(), screenshotWords().end(),
                       [&](const ScreenshotWords& words) { return name == words.folder; });
}

const std::set<std::string>& DiskScanner::screenshotTypes() {
    static const std::set<std::string> types = {"png",  "jpg", "jpeg", "heic",
                                                "tiff", "gif", "mov",  "mp4"};
    return types;
}

std::optional<std::string> DiskScanner::screenshotSaveLocation() const {
    const auto preferences =
        readPlist(home.appending("Library/Preferences/com.apple.screencapture.plist").path());
    if (!preferences) return std::nullopt;
    return plistString(*preferences, "location");
}

std::vector<URL> DiskScanner::screenshotFolders() const {
    std::vector<URL> folders;
    for (const char* name : {"Desktop", "Downloads", "Documents", "Pictures"})
        folders.push_back(userFolder(name));
    if (auto location = screenshotSaveLocation(); location && !location->empty()) {
        std::string path = *location;
        if (path[0] == '~') path = home.path() + path.substr(1);
        // Compared where it really is: through a link in the home it may lie outside it.
        const URL saved = URL::fileURL(path, true).resolvingSymlinks();
        const std::string realHome = home.resolvingSymlinks().path();
        const bool insideHome = isSameOrInside(saved.path(), realHome) && saved.path() != realHome;
        if (insideHome && std::find(folders.begin(), folders.end(), saved) == folders.end())
            folders.push_back(saved);
    }
    std::erase_if(folders, [&](const URL& folder) { return !mayRead(folder); });
    return folders;
}

std::vector<ScanItem> DiskScanner::scanScreenshots(FileCounter& counter) const {
    const Date cutoff = addSeconds(now(), -screenshotAge);
    std::map<Month, std::vector<URL>, std::greater<>> byMonth;
    std::unordered_set<std::string> seen;
    // Where the desktop's own screenshot tool saves, under names of the user's language.
    const URL pictures = userFolder("Pictures");
    for (const auto& folder : screenshotFolders()) {
        for (const auto& entry : entriesOneLevelDown(folder)) {
            // A link is never taken for the file it points to, and must not claim
            // that file's place either, or the file met later would be passed over.
            if (entry.isSymlink()) continue;
            if (!hasScreenshotName(entry.name) && !inScreenshotsFolder(entry.url, pictures))
                continue;
            if (!screenshotTypes().count(lowercased(entry.url.pathExtension()))) continue;
            if (!entry.isRegularFile() || !(entry.modified < cutoff)) continue;
            // Resolving a path costs a call per folder in it, so only a file that passed
            // the tests above claims its place; another path to it passes the same tests.
            if (!seen.insert(entry.url.resolvingSymlinks().path()).second) continue;
            if (isDataless && isDataless(entry.url.path())) continue;
            ++counter.count;
            const CivilTime time = Calendar::local(entry.modified);
            byMonth[{time.year, time.month}].push_back(entry.url);
        }
    }
    std::vector<std::vector<URL>> groups;
    for (const auto& [month, files] : byMonth)
        groups.push_back(files);
    const auto sizes = freedSizes(groups, counter);

    std::vector<ScanItem> items;
    size_t index = 0;
    for (auto& [month, files] : byMonth) {
        const int64_t bytes = sizes[index++];
        if (bytes < 1) continue;
        std::sort(files.begin(), files.end(), [](const URL& a, const URL& b) {
            return a.lastPathComponent() < b.lastPathComponent();
        });
        const int recordings =
            static_cast<int>(std::count_if(files.begin(), files.end(), isRecording));
        ScanItem item;
        item.kind = JunkKind::screenshots;
        item.location =
            home.appending("Screenshots")
                .appending(std::to_string(month.year) + "-" + std::to_string(month.month));
        item.bytes = bytes;
        item.baseVerdict = Verdict::youDecide;
        item.record = ScanItem::PhotoInfo{monthName(month), static_cast<int>(files.size()),
                                          recordings, std::nullopt};
        item.targets = std::move(files);
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
