#include "snapshot/DemoData.h"

#include "clean/ShelfManifest.h"

#include "catalog/Catalog.h"
#include "clean/Cleaner.h"
#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"

#include <QUuid>

#include <algorithm>
#include <charconv>
#include <regex>

namespace kelvora::Snapshot {

namespace {

constexpr double kDay = 86'400;
constexpr int64_t kWebsiteScale = 260;

struct DemoFile {
    const char* path;
    int64_t bytes;
};

URL makeDemoFolder() {
    std::string uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
    return URL::fileURL(AppPaths::temporaryDirectory(), true)
        .appending("kelvora-demo-" + uuid, true);
}

// Failures are passed over: a demo with a file missing simply shows one item fewer.
void writeDemoFiles(const URL& home, std::initializer_list<DemoFile> files) {
    for (const DemoFile& file : files) {
        std::string path = home.appending(file.path).path();
        createDirectories(parentPath(path));
        writeFileAtomically(path, std::string(static_cast<size_t>(file.bytes), '\x01'));
    }
}

void writeApplications(const URL& home) {
    for (const char* name : {"Figma", "Google Chrome", "Zoom"}) {
        std::string plist = std::string("Applications/") + name + ".app/Contents/Info.plist";
        writeDemoFiles(home, {{plist.c_str(), 1024}});
    }
}

CleanReport cleanAll(const DiskScanner& scanner, const URL& folder, const UndoShelf& shelf,
                     Date now) {
    const Catalog catalog;
    const Cleaner cleaner([] { return std::vector<RunningApp>(); });
    const ScanResult result = scanner.scan();
    return cleaner.clean(
        itemsInside(result.items, folder), shelf,
        [&catalog](const ScanItem& item) { return catalog.name(item); }, now);
}

bool isInside(const URL& url, const std::vector<std::string>& folders) {
    return url.isFileURL() && std::any_of(folders.begin(), folders.end(), [&](const auto& f) {
               return url.path() != f && isSameOrInside(url.path(), f);
           });
}

std::string escapedSlashes(const std::string& path) {
    std::string escaped;
    for (char c : path)
        escaped += c == '/' ? std::string("\\/") : std::string(1, c);
    return escaped;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string scaledBytes(const std::string& digits) {
    int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) value = 0;
    int64_t scaled = 0;
    if (__builtin_mul_overflow(value, kWebsiteScale, &scaled)) scaled = INT64_MAX;
    return std::to_string(scaled);
}

} // namespace

DiskScanner demoScanner(const URL& folder,
                        std::function<std::optional<AppUsage>(const URL&)> usage) {
    const URL home = folder.appending("home", true);
    DiskScanner scanner(
        home, folder.appending("tmp", true), std::vector<URL>{home.appending("Applications", true)},
        [] { return std::vector<RunningApp>(); }, std::move(usage));
    scanner.simulators = [] { return std::vector<SimulatorDevice>(); };
    scanner.docker = [] { return std::optional<DockerUsage>(); };
    scanner.mailAccounts = [] { return MailAccounts(); };
    scanner.purgeableSpace = [](const URL&) { return int64_t{0}; };
    scanner.localSnapshots = [] { return std::vector<Date>(); };
    scanner.processPaths = [] { return std::vector<std::string>(); };
    scanner.ollamaTool.reset();
    scanner.appleModelsFolder = folder.appending("models", true);
    // Only the demo's own applications: a snapshot comes out the same on every machine.
    scanner.desktopApplications = [] { return std::vector<DesktopEntries::Application>(); };
    scanner.desktopEntryFolders = [] { return std::vector<std::string>(); };
    scanner.sandboxRoots =
        SandboxRoots::under(folder.appending("system", true), HomeFolders(home).data());
    return scanner;
}

std::vector<ScanItem> itemsInside(const std::vector<ScanItem>& items, const URL& folder) {
    const std::vector<std::string> forms = {folder.path(), folder.resolvingSymlinks().path()};
    std::vector<ScanItem> inside;
    for (const ScanItem& item : items) {
        bool targetsInside = std::all_of(item.targets.begin(), item.targets.end(),
                                         [&](const URL& url) { return isInside(url, forms); });
        if (!item.action && isInside(item.location, forms) && targetsInside) inside.push_back(item);
    }
    return inside;
}

DemoDownloads demoDownloads() {
    const URL folder = makeDemoFolder();
    const URL home = folder.appending("home", true);
    writeApplications(home);
    writeDemoFiles(home, {{"Downloads/Figma-124.3.dmg", 3'276'800},
                          {"Downloads/googlechrome.dmg", 2'457'600},
                          {"Downloads/zoomusInstallerFull.pkg", 1'126'400},
                          {"Downloads/SomeDriver-2.1.pkg", 921'600},
                          {"Downloads/Holiday photos.zip", 2'867'200},
                          {"Downloads/Holiday photos/IMG_0001.jpg", 10'240},
                          {"Downloads/Invoice March.pdf", 102'400}});
    const Date added = addSeconds(currentDate(), -40 * kDay);
    DiskScanner scanner = demoScanner(folder, [added](const URL& url) {
        AppUsage usage{std::nullopt, added};
        if (url.lastPathComponent() == "SomeDriver-2.1.pkg") usage.lastOpened = added;
        return std::optional<AppUsage>(usage);
    });
    return {folder, scanner.scan()};
}

DemoShelf demoShelf() {
    const URL folder = makeDemoFolder();
    const URL home = folder.appending("home", true);
    const UndoShelf shelf(folder.appending("shelf", true), 7);
    const DiskScanner scanner =
        demoScanner(folder, [](const URL&) { return std::optional<AppUsage>(); });

    writeDemoFiles(home, {{".Trash/Holiday video.mov", 2'457'600},
                          {".Trash/Screen Recording 2026-09-14.mov", 1'536'000}});
    cleanAll(scanner, folder, shelf, addSeconds(currentDate(), -6 * kDay));

    writeDemoFiles(home, {{"Library/Caches/Homebrew/downloads/wget.tar.gz", 1'843'200},
                          {".Trash/Figma.dmg", 2'150'400},
                          {".Trash/Old invoice.pdf", 307'200},
                          {".Trash/Drafts/chapter-2.docx", 460'800}});
    CleanReport report = cleanAll(scanner, folder, shelf, currentDate());
    return {folder, shelf, std::move(report)};
}

std::string dressedManifest(std::string text, const std::vector<std::string>& homePaths) {
    for (const std::string& path : homePaths) {
        replaceAll(text, escapedSlashes(path), "\\/Users\\/you");
        replaceAll(text, path, "/Users/you");
    }
    static const std::regex bytes(R"re("bytes"\s*:\s*(\d+))re");
    std::string dressed;
    auto last = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), bytes), end; it != end; ++it) {
        dressed.append(last, (*it)[0].first);
        dressed += "\"bytes\":" + scaledBytes((*it)[1].str());
        last = (*it)[0].second;
    }
    dressed.append(last, text.cend());
    return dressed;
}

void dressForWebsite(const UndoShelf& shelf, const URL& demoHome) {
    const Listing listing = listFolder(shelf.root);
    const std::vector<std::string> forms = {"/private" + demoHome.path(),
                                            demoHome.resolvingSymlinks().path(), demoHome.path()};
    for (const auto& entry : listing.entries) {
        const std::string manifest = entry.url.appending("manifest.json").path();
        auto text = readFile(manifest, kMaxManifestBytes);
        if (!text) continue;
        writeFileAtomically(manifest, dressedManifest(std::move(*text), forms));
    }
}

} // namespace kelvora::Snapshot
