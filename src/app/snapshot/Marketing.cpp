#include "snapshot/Marketing.h"

#include "model/PickList.h"

#include <algorithm>
#include <random>

namespace kelvora::Marketing {

namespace {

constexpr double kAge = 25'056'000; // 290 days

URL library() {
    return home().appending("Library", true);
}

int cacheEntryCount() {
    static std::random_device source;
    return std::uniform_int_distribution<int>(40, 400)(source);
}

ScanItem cache(const std::string& name, int64_t bytes, bool rebuilds,
               std::optional<std::string> inUse = std::nullopt) {
    ScanItem item;
    item.kind = JunkKind::caches;
    item.location = library().appending("Caches/" + name, true);
    int count = cacheEntryCount();
    for (int i = 0; i < count; ++i)
        item.targets.push_back(item.location.appending(std::to_string(i)));
    item.bytes = bytes;
    item.inUseBy = std::move(inUse);
    item.baseVerdict = rebuilds ? Verdict::rebuilds : Verdict::safe;
    return item;
}

ScanItem plain(JunkKind kind, URL location, int64_t bytes, Verdict verdict,
               std::optional<URL> target = std::nullopt) {
    ScanItem item;
    item.kind = kind;
    item.targets = {target.value_or(location)};
    item.location = std::move(location);
    item.bytes = bytes;
    item.baseVerdict = verdict;
    return item;
}

std::vector<ScanItem> items(Date d) {
    using Download = ScanItem::DownloadInfo;
    const URL you = home();
    std::vector<ScanItem> list;
    list.push_back(cache("com.spotify.client", 2'140'000'000, false));
    list.push_back(cache("Google", 1'830'000'000, false, "Google Chrome"));
    list.push_back(cache("Homebrew", 1'210'000'000, true));
    list.push_back(cache("com.tinyspeck.slackmacgap", 940'000'000, false));
    list.push_back(cache("pip", 620'000'000, true));
    list.push_back(cache("org.mozilla.firefox", 480'000'000, false));
    list.push_back(cache("com.figma.Desktop", 310'000'000, false));
    list.push_back(plain(JunkKind::logs, library().appending("Logs/DiagnosticReports", true),
                         120'000'000, Verdict::safe,
                         library().appending("Logs/DiagnosticReports/a.ips")));
    list.push_back(plain(JunkKind::tempFiles,
                         URL::fileURL("/var/folders/xy/T/onnxruntime-0B6F2E1A-7C3D-4E5F-8A9B-"
                                      "112233445566-4242-0001.mlmodelc",
                                      true),
                         1'790'000'000, Verdict::safe, URL::fileURL("/var/folders/xy/T/a")));

    ScanItem figma = plain(JunkKind::downloads, you.appending("Downloads/Figma-124.3.dmg"),
                           214'000'000, Verdict::youDecide);
    figma.record = Download{Download::FileKind::installer, Download::Reason::appInstalled("Figma")};
    list.push_back(figma);
    ScanItem xcode = plain(JunkKind::downloads, you.appending("Downloads/Xcode_16.xip"),
                           3'420'000'000, Verdict::youDecide);
    xcode.record = Download{Download::FileKind::archive, Download::Reason::unpacked("Xcode")};
    list.push_back(xcode);

    ScanItem blender = plain(JunkKind::apps, you.appending("Applications/Blender.app", true),
                             1'120'000'000, Verdict::youDecide);
    blender.record = ScanItem::AppInfo{"Blender", "org.blenderfoundation.blender", d, 4};
    list.push_back(blender);

    ScanItem modules =
        plain(JunkKind::developer, you.appending("Code/portfolio-site/node_modules", true),
              640'000'000, Verdict::rebuilds);
    modules.record =
        ScanItem::DeveloperInfo{ScanItem::DeveloperInfo::Kind::nodeModules, "portfolio-site", d};
    list.push_back(modules);

    ScanItem chats =
        plain(JunkKind::ai, you.appending(".claude/projects/-Users-you-Code-portfolio-site", true),
              220'000'000, Verdict::youDecide, you.appending(".claude/projects/x.jsonl"));
    chats.record = ScanItem::AIInfo{
        ScanItem::AIInfo::Kind::sessions, "Claude Code", "portfolio-site", 38, d, {}};
    list.push_back(chats);

    ScanItem footage = plain(JunkKind::largeFiles, you.appending("Movies/Wedding raw footage.mov"),
                             6'300'000'000, Verdict::youDecide);
    footage.record = ScanItem::LargeFileInfo{ScanItem::LargeFileInfo::Reason::large, d, d};
    list.push_back(footage);

    list.push_back(plain(JunkKind::trash, you.appending(".Trash/Old exports", true), 1'380'000'000,
                         Verdict::youDecide));
    return list;
}

} // namespace

const URL& home() {
    static const URL you = URL::fileURL("/Users/you", true);
    return you;
}

ScanResult result() {
    ScanResult result;
    result.items = items(addSeconds(currentDate(), -kAge));
    std::stable_sort(result.items.begin(), result.items.end(),
                     [](const ScanItem& a, const ScanItem& b) { return a.bytes > b.bytes; });
    result.trashAccess = FolderAccess::ok;
    result.mailAccess = FolderAccess::ok;
    result.downloadsAccess = FolderAccess::ok;
    result.disk = DiskSpace{494'380'000'000, 61'200'000'000};
    result.filesLookedAt = 214'386;
    result.duration = 6.4;
    return result;
}

CleanReport report(const ScanResult& result) {
    CleanReport report;
    int64_t total = 0;
    for (const ScanItem& item : PickList{}.picked(result)) {
        report.byKind[item.kind] += item.bytes;
        total += item.bytes;
        if (item.goesOnShelf()) report.shelved += item.bytes;
    }
    report.freed = total - report.shelved;
    return report;
}

} // namespace kelvora::Marketing
