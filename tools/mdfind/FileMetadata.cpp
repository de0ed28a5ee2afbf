#include "FileMetadata.h"

#include "engine/DiskScanner.h"
#include "platform/AppImages.h"
#include "platform/AppPaths.h"
#include "platform/DesktopEntries.h"
#include "platform/FileIdentity.h"
#include "platform/HomeFolders.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

namespace kelvora::mdfind {

namespace {

struct TypeRow {
    const char* type;
    std::vector<const char*> conformsTo;
    std::vector<const char*> extensions;
};

const std::vector<const char*> kMovie = {"public.movie", "public.audiovisual-content",
                                         "public.content", "public.data", "public.item"};
const std::vector<const char*> kAudio = {"public.audio", "public.audiovisual-content",
                                         "public.content", "public.data", "public.item"};
const std::vector<const char*> kImage = {"public.image", "public.content", "public.data",
                                         "public.item"};
const std::vector<const char*> kArchive = {"public.archive", "public.data", "public.item"};
const std::vector<const char*> kComposite = {"public.composite-content", "public.content",
                                             "public.data", "public.item"};
const std::vector<const char*> kSpreadsheet = {"public.spreadsheet", "public.content",
                                               "public.data", "public.item"};
const std::vector<const char*> kPresentation = {"public.presentation", "public.content",
                                                "public.data", "public.item"};
const std::vector<const char*> kText = {"public.text", "public.content", "public.data",
                                        "public.item"};

const std::vector<TypeRow>& typeRows() {
    static const std::vector<TypeRow> rows = {
        {"com.apple.quicktime-movie", kMovie, {"mov", "qt"}},
        {"public.mpeg-4", kMovie, {"mp4"}},
        {"com.apple.m4v-video", kMovie, {"m4v"}},
        {"public.avi", kMovie, {"avi"}},
        {"public.mpeg", kMovie, {"mpg", "mpeg"}},
        {"org.matroska.mkv", kMovie, {"mkv"}},
        {"org.webmproject.webm", kMovie, {"webm"}},
        {"public.3gpp", kMovie, {"3gp"}},
        {"com.microsoft.windows-media-wmv", kMovie, {"wmv"}},
        {"public.jpeg", kImage, {"jpg", "jpeg"}},
        {"public.png", kImage, {"png"}},
        {"public.heic", kImage, {"heic"}},
        {"public.heif", kImage, {"heif"}},
        {"com.compuserve.gif", kImage, {"gif"}},
        {"public.tiff", kImage, {"tif", "tiff"}},
        {"com.microsoft.bmp", kImage, {"bmp"}},
        {"org.webmproject.webp", kImage, {"webp"}},
        {"public.svg-image", kImage, {"svg"}},
        {"com.adobe.photoshop-image", kImage, {"psd"}},
        {"com.adobe.raw-image", kImage, {"dng", "cr2", "cr3", "nef", "arw", "raf", "orf"}},
        {"com.adobe.pdf", kComposite, {"pdf"}},
        {"public.zip-archive", kArchive, {"zip"}},
        {"org.gnu.gnu-zip-archive", kArchive, {"gz", "tgz"}},
        {"public.tar-archive", kArchive, {"tar"}},
        {"public.bzip2-archive", kArchive, {"bz2"}},
        {"org.tukaani.xz-archive", kArchive, {"xz"}},
        {"org.7-zip.7-zip-archive", kArchive, {"7z"}},
        {"com.rarlab.rar-archive", kArchive, {"rar"}},
        {"com.apple.disk-image-udif",
         {"com.apple.disk-image", "public.disk-image", "public.data", "public.item"},
         {"dmg"}},
        {"public.mp3", kAudio, {"mp3"}},
        {"com.apple.m4a-audio", kAudio, {"m4a"}},
        {"com.microsoft.waveform-audio", kAudio, {"wav"}},
        {"public.aiff-audio", kAudio, {"aif", "aiff"}},
        {"org.xiph.flac", kAudio, {"flac"}},
        {"public.aac-audio", kAudio, {"aac"}},
        {"org.xiph.ogg-vorbis", kAudio, {"ogg", "oga"}},
        {"org.xiph.opus", kAudio, {"opus"}},
        {"com.microsoft.word.doc", kComposite, {"doc"}},
        {"org.openxmlformats.wordprocessingml.document", kComposite, {"docx"}},
        {"org.oasis-open.opendocument.text", kComposite, {"odt"}},
        {"com.apple.iwork.pages.sffpages", kComposite, {"pages"}},
        {"com.microsoft.excel.xls", kSpreadsheet, {"xls"}},
        {"org.openxmlformats.spreadsheetml.sheet", kSpreadsheet, {"xlsx"}},
        {"org.oasis-open.opendocument.spreadsheet", kSpreadsheet, {"ods"}},
        {"com.apple.iwork.numbers.sffnumbers", kSpreadsheet, {"numbers"}},
        {"com.microsoft.powerpoint.ppt", kPresentation, {"ppt"}},
        {"org.openxmlformats.presentationml.presentation", kPresentation, {"pptx"}},
        {"org.oasis-open.opendocument.presentation", kPresentation, {"odp"}},
        {"com.apple.iwork.keynote.sffkey", kPresentation, {"key"}},
        {"public.plain-text", kText, {"txt", "text"}},
        {"net.daringfireball.markdown", kText, {"md", "markdown"}},
        {"public.comma-separated-values-text", kText, {"csv"}},
    };
    return rows;
}

const std::map<std::string, const TypeRow*>& rowsByExtension() {
    static const std::map<std::string, const TypeRow*> table = [] {
        std::map<std::string, const TypeRow*> byExtension;
        for (const TypeRow& row : typeRows())
            for (const char* extension : row.extensions)
                byExtension[extension] = &row;
        return byExtension;
    }();
    return table;
}

// Programs that run from their one file: the user's AppImages, and what a menu entry runs.
const std::vector<std::string> kAppImage = {"org.appimage.appimage", "com.apple.application",
                                            "public.executable", "public.data", "public.item"};
const std::vector<std::string> kMenuProgram = {"public.unix-executable", "com.apple.application",
                                               "public.executable", "public.data", "public.item"};

// What the desktop's menu entries run, by identity, so an app is known whatever its file is
// called.
const std::set<FileIdentity>& menuPrograms() {
    static const std::set<FileIdentity> programs = [] {
        std::set<FileIdentity> found;
        const HomeFolders places(URL::fileURL(AppPaths::home(), true));
        const char* path = std::getenv("PATH");
        for (const auto& app :
             DesktopEntries::applications(DesktopEntries::folders(places.data().path())))
            if (auto file = AppImages::programFile(app.program, path ? path : ""))
                if (auto identity = identityOf(*file)) found.insert(*identity);
        return found;
    }();
    return programs;
}

std::vector<std::string> programTypes(const FileInfo& info) {
    if (!info.isRegularFile() || (info.mode & 0111) == 0) return {};
    if (AppImages::hasAppImageName(info.name)) return kAppImage;
    if (!menuPrograms().count(FileIdentity{info.device, info.inode})) return {};
    return AppImages::isAppImage(info.url.path()) ? kAppImage : kMenuProgram;
}

int64_t contentLength(const URL& folder) {
    int64_t total = 0;
    std::vector<URL> pending = {folder};
    while (!pending.empty()) {
        URL current = pending.back();
        pending.pop_back();
        for (const FileInfo& entry : listFolder(current).entries) {
            if (entry.isDirectory())
                pending.push_back(entry.url);
            else if (entry.isRegularFile())
                total += entry.logicalSize;
        }
    }
    return total;
}

// The same recorded date the scanners read.
std::optional<Date> recordedLastUse(const URL& url) {
    std::optional<AppUsage> usage = DiskScanner::spotlightUsage(url);
    return usage ? usage->lastOpened : std::nullopt;
}

// The Pictures folder of the searching user, whose Screenshots folder the desktop's tool saves in.
const URL& picturesFolder() {
    static const URL folder = HomeFolders(URL::fileURL(AppPaths::home(), true)).user("Pictures");
    return folder;
}

} // namespace

std::vector<std::string> contentTypeTree(const std::string& name, bool isDirectory) {
    std::string extension = lowercased(extensionOf(name));
    if (isDirectory) {
        if (extension == "app")
            return {"com.apple.application-bundle",
                    "com.apple.application",
                    "com.apple.bundle",
                    "com.apple.package",
                    "public.directory",
                    "public.item"};
        if (!isPackageName(name)) return {"public.folder", "public.directory", "public.item"};
    }
    auto it = rowsByExtension().find(extension);
    // A document saved as a package (Pages, Numbers, Keynote) is typed like the flat file.
    if (it == rowsByExtension().end()) {
        if (isDirectory) return {"com.apple.package", "public.directory", "public.item"};
        return {"public.data", "public.item"};
    }
    std::vector<std::string> tree = {it->second->type};
    for (const char* type : it->second->conformsTo)
        tree.push_back(type);
    if (isDirectory) tree.push_back("com.apple.package");
    return tree;
}

// As the screenshot scanner tells them: by the names screenshot tools give their files, or
// by the folder the desktop's tool saves in.
bool isScreenCapture(const URL& url) {
    const std::string name = url.lastPathComponent();
    const bool shot = DiskScanner::hasScreenshotName(name) ||
                      DiskScanner::inScreenshotsFolder(url, picturesFolder());
    return shot && DiskScanner::screenshotTypes().count(lowercased(extensionOf(name))) > 0;
}

FileMetadata::FileMetadata(FileInfo info) : info_(std::move(info)), tree_(programTypes(info_)) {
    if (tree_.empty()) tree_ = mdfind::contentTypeTree(info_.name, info_.isDirectory());
}

bool FileMetadata::isScreenCapture() const {
    return !info_.isDirectory() && mdfind::isScreenCapture(info_.url);
}

std::optional<int64_t> FileMetadata::size() const {
    if (!size_) {
        if (!info_.isDirectory())
            size_ = info_.logicalSize;
        else if (info_.isPackage)
            size_ = contentLength(info_.url);
        else
            size_ = std::optional<int64_t>();
    }
    return *size_;
}

std::optional<Date> FileMetadata::lastUsed() const {
    if (!lastUsed_) {
        const std::optional<Date> recorded = recordedLastUse(info_.url);
        // An application's own times are not its use: opening it reads what is inside. A
        // program that runs from its one file is read when it runs.
        if (contentType() == "com.apple.application-bundle")
            lastUsed_ = recorded;
        else if (tree_ == kAppImage || tree_ == kMenuProgram)
            lastUsed_ = DiskScanner::appImageLastOpened(recorded, info_.accessed, info_.modified);
        else
            lastUsed_ = DiskScanner::lastOpenedDate(recorded, info_.accessed, info_.modified)
                            .value_or(info_.modified);
    }
    return *lastUsed_;
}

} // namespace kelvora::mdfind
