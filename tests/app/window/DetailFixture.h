#pragma once

#include "app/design/Pictures.h"
#include "app/support/IsolatedHome.h"
#include "controller/AppModel.h"
#include "design/Fonts.h"

#include <QCoreApplication>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace kelvora::testing {

// A finding of an imaginary computer whose home is /Users/you, like the ones the window's
// pictures are made from: every figure the views show is known in advance.
inline const std::string kHome = "/Users/you";

inline ScanItem found(JunkKind kind, const std::string& path, int64_t bytes,
                      Verdict verdict = Verdict::safe) {
    ScanItem item;
    item.kind = kind;
    item.location = URL::fileURL(path.front() == '/' ? path : kHome + "/" + path);
    item.targets = {item.location};
    item.bytes = bytes;
    item.baseVerdict = verdict;
    return item;
}

inline ScanItem cache(const std::string& name, int64_t bytes, Verdict verdict = Verdict::safe,
                      std::optional<std::string> inUseBy = std::nullopt) {
    ScanItem item = found(JunkKind::caches, "Library/Caches/" + name, bytes, verdict);
    item.targets = {item.location.appending("0"), item.location.appending("1"),
                    item.location.appending("2")};
    item.inUseBy = std::move(inUseBy);
    return item;
}

// Sixteen items of 22.7 GB: the default picks are eleven of them, 12,624,000,000 bytes,
// out of fifteen that could go (the Google cache is in use).
inline ScanResult marketingLike(Date seen = currentDate()) {
    using V = Verdict;
    ScanResult result;
    auto& items = result.items;
    items = {
        cache("com.spotify.client", 2'140'000'000),
        cache("Google", 1'830'000'000, V::safe, "Google Chrome"),
        cache("Homebrew", 1'210'000'000, V::rebuilds),
        cache("com.tinyspeck.slackmacgap", 940'000'000),
        cache("pip", 620'000'000, V::rebuilds),
        cache("org.mozilla.firefox", 480'000'000),
        cache("com.figma.Desktop", 310'000'000),
        found(JunkKind::logs, "Library/Logs/DiagnosticReports", 120'000'000),
        found(JunkKind::tempFiles,
              "/var/folders/xy/T/onnxruntime-0B6F2E1A-7C3D-4E5F-8A9B-112233445566-4242-"
              "0001.mlmodelc",
              1'790'000'000),
        found(JunkKind::downloads, "Downloads/Figma-124.3.dmg", 214'000'000, V::youDecide),
        found(JunkKind::downloads, "Downloads/Xcode_16.xip", 3'420'000'000, V::youDecide),
        found(JunkKind::apps, "Applications/Blender.app", 1'120'000'000, V::youDecide),
        found(JunkKind::developer, "Code/portfolio-site/node_modules", 640'000'000, V::rebuilds),
        found(JunkKind::ai, ".claude/projects/-Users-you-Code-portfolio-site", 220'000'000,
              V::youDecide),
        found(JunkKind::largeFiles, "Movies/Wedding raw footage.mov", 6'300'000'000, V::youDecide),
        found(JunkKind::trash, ".Trash/Old exports", 1'380'000'000, V::youDecide)};
    items[8].targets = {URL::fileURL("/var/folders/xy/T/a")};
    items[9].record = ScanItem::DownloadInfo{ScanItem::DownloadInfo::FileKind::installer,
                                             ScanItem::DownloadInfo::Reason::appInstalled("Figma")};
    items[10].record = ScanItem::DownloadInfo{ScanItem::DownloadInfo::FileKind::archive,
                                              ScanItem::DownloadInfo::Reason::unpacked("Xcode")};
    items[11].record = ScanItem::AppInfo{"Blender", "org.blenderfoundation.blender", seen, 4};
    items[12].record =
        ScanItem::DeveloperInfo{ScanItem::DeveloperInfo::Kind::nodeModules, "portfolio-site", seen};
    items[13].record = ScanItem::AIInfo{
        ScanItem::AIInfo::Kind::sessions, "Claude Code", "portfolio-site", 38, seen, {}};
    items[14].record = ScanItem::LargeFileInfo{ScanItem::LargeFileInfo::Reason::large, seen, seen};
    std::stable_sort(items.begin(), items.end(),
                     [](const ScanItem& a, const ScanItem& b) { return a.bytes > b.bytes; });
    result.disk = {494'380'000'000, 61'200'000'000};
    result.filesLookedAt = 214'386;
    result.duration = 6.4;
    return result;
}

// The marketing finding with something in every category the sidebar can list (fourteen:
// similar photos are the photo tool's), as on a well-used home. Not picked by default, the
// leftovers show their 12.3 GB beside the longest short title.
inline ScanResult everyCategory(Date seen = currentDate()) {
    using V = Verdict;
    ScanResult result = marketingLike(seen);
    auto& items = result.items;
    items.push_back(
        found(JunkKind::mail, "Library/Mail/V10/Attachments", 2'140'000'000, V::youDecide));
    items.push_back(found(JunkKind::screenshots, "Desktop/Screenshot from 2024-03-01.png",
                          456'000'000, V::youDecide));
    items.push_back(found(JunkKind::duplicates, "Documents/Report copy.pdf", 88'000'000));
    items.push_back(
        found(JunkKind::systemData, "/Library/Updates/042-11223", 23'400'000'000, V::youDecide));
    items.push_back(found(JunkKind::leftovers, "Library/Application Support/OldTool",
                          12'340'000'000, V::youDecide));
    std::stable_sort(items.begin(), items.end(),
                     [](const ScanItem& a, const ScanItem& b) { return a.bytes > b.bytes; });
    return result;
}

// A controller showing a fixed result, as the snapshots use: it reads and saves nothing.
struct DetailModel {
    IsolatedHome home;
    std::unique_ptr<AppModel> model;

    // `shelved`: the bytes of one clean-up already on the shelf.
    explicit DetailModel(ScanResult result = marketingLike(),
                         std::optional<AppModel::Phase> phase = std::nullopt, int holdDays = 7,
                         int64_t shelved = 0) {
        guiApplication();
        Fonts::registerFonts(KELVORA_FONTS_DIR);
        UndoShelf shelf(URL::fileURL(home.data() + "/Kelvora/Undo Shelf", true), holdDays);
        if (shelved > 0) {
            ScanItem item = found(JunkKind::largeFiles, home.dir().write("home/kept.mov"), shelved);
            shelf.shelve({{item, "kept.mov"}}, currentDate());
        }
        model = std::make_unique<AppModel>(std::move(result), AppModel::ViewMode::detailed,
                                           std::move(shelf), phase);
    }

    AppModel& operator*() { return *model; }
    AppModel* operator->() { return model.get(); }
    const ScanItem& item(const std::string& path) const {
        std::string full = path.front() == '/' ? path : kHome + "/" + path;
        for (const ScanItem& it : model->result()->items)
            if (it.location.path() == full) return it;
        throw std::runtime_error("no item " + path);
    }
};

// Lets the views take in what the controller announced.
inline void takeInChanges() {
    for (int round = 0; round < 3; ++round)
        QCoreApplication::sendPostedEvents();
}

} // namespace kelvora::testing
