#pragma once

#include "controller/AppModel.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

namespace kelvora::testing {

inline ScanItem foundItem(JunkKind kind, const std::string& path, int64_t bytes,
                          Verdict verdict = Verdict::safe) {
    ScanItem item;
    item.kind = kind;
    item.location = URL::fileURL(path);
    item.targets = {item.location};
    item.bytes = bytes;
    item.baseVerdict = verdict;
    return item;
}

// A made-up computer like the one of the marketing pictures: seven caches (one in use), logs,
// a temp file, two downloads, an app, a node_modules folder, AI chats, a large film and the
// Trash. The default picks come to 12.6 GB, 5.0 GB of it for the Undo Shelf.
inline ScanResult demoResult() {
    const std::string lib = "/Users/you/Library/";
    ScanResult result;
    auto cache = [&](const std::string& name, int64_t bytes, Verdict verdict = Verdict::safe) {
        return foundItem(JunkKind::caches, lib + "Caches/" + name, bytes, verdict);
    };
    ScanItem chrome = cache("Google", 1'830'000'000);
    chrome.inUseBy = "Google Chrome";
    ScanItem chats = foundItem(JunkKind::ai, "/Users/you/.claude/projects/portfolio", 220'000'000,
                               Verdict::youDecide);
    chats.record = ScanItem::AIInfo{};
    result.items = {
        foundItem(JunkKind::largeFiles, "/Users/you/Movies/Wedding raw footage.mov", 6'300'000'000,
                  Verdict::youDecide),
        foundItem(JunkKind::downloads, "/Users/you/Downloads/Xcode_16.xip", 3'420'000'000,
                  Verdict::youDecide),
        cache("com.spotify.client", 2'140'000'000),
        chrome,
        foundItem(JunkKind::tempFiles, "/var/folders/xy/T/onnxruntime.mlmodelc", 1'790'000'000),
        foundItem(JunkKind::trash, "/Users/you/.Trash/Old exports", 1'380'000'000,
                  Verdict::youDecide),
        cache("Homebrew", 1'210'000'000, Verdict::rebuilds),
        foundItem(JunkKind::apps, "/Users/you/Applications/Blender.app", 1'120'000'000,
                  Verdict::youDecide),
        cache("com.tinyspeck.slackmacgap", 940'000'000),
        foundItem(JunkKind::developer, "/Users/you/Code/portfolio-site/node_modules", 640'000'000,
                  Verdict::rebuilds),
        cache("pip", 620'000'000, Verdict::rebuilds),
        cache("org.mozilla.firefox", 480'000'000),
        cache("com.figma.Desktop", 310'000'000),
        chats,
        foundItem(JunkKind::downloads, "/Users/you/Downloads/Figma-124.3.dmg", 214'000'000,
                  Verdict::youDecide),
        foundItem(JunkKind::logs, lib + "Logs/DiagnosticReports", 120'000'000),
    };
    result.disk = {494'380'000'000, 61'200'000'000};
    result.filesLookedAt = 214'386;
    result.duration = 6.4;
    return result;
}

// What cleaning the default picks of a result reports when everything goes.
inline CleanReport cleanedDefaults(const ScanResult& result) {
    CleanReport report;
    for (const auto& item : PickList().picked(result)) {
        (item.goesOnShelf() ? report.shelved : report.freed) += item.bytes;
        report.byKind[item.kind] += item.bytes;
    }
    return report;
}

// A shelf under `dir` holding one clean-up that counts `bytes`: its file is small, but the
// shelf counts what the item said it freed.
inline UndoShelf shelfHolding(const TempDir& dir, int64_t bytes) {
    UndoShelf shelf(URL::fileURL(dir / "Undo Shelf", true), 7);
    ScanItem item = foundItem(JunkKind::downloads, dir.write("Downloads/old.zip"), bytes);
    shelf.shelve({{item, "old.zip"}}, currentDate());
    return shelf;
}

} // namespace kelvora::testing
