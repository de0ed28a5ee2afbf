#include "catalog/Catalog.h"

#include "catalog/PlainWords.h"

#include <map>

namespace kelvora {

namespace {

using AIKind = ScanItem::AIInfo::Kind;
using DevKind = ScanItem::DeveloperInfo::Kind;
using SystemKind = ScanItem::SystemInfo::Kind;

std::string folderName(const ScanItem& item) {
    return item.location.lastPathComponent();
}

// Cache folders named after a tool rather than an application.
const std::map<std::string, std::string>& knownCaches() {
    static const std::map<std::string, std::string> names = {
        {"Homebrew", "Homebrew downloads"},
        {"pip", "Python packages (pip)"},
        {"org.python.python", "Python"},
        {"Google", "Google apps"},
        {"ms-playwright", "Playwright browsers"},
        {"node-gyp", "Node build tools"},
        {"typescript", "TypeScript"},
    };
    return names;
}

std::string mailName(const ScanItem& item) {
    if (!item.mail()) return folderName(item);
    switch (item.mail()->kind) {
    case ScanItem::MailInfo::Kind::mailAttachments:
        return "Mail attachments: " + item.mail()->name;
    case ScanItem::MailInfo::Kind::mailDownloads:
        return "Attachments you opened from Mail";
    case ScanItem::MailInfo::Kind::messages:
        return "Messages attachments from " + item.mail()->name;
    }
    return folderName(item);
}

std::string leftoverName(const ScanItem& item) {
    if (!item.leftover()) return folderName(item);
    if (item.leftover()->isLoginItem()) return "Login item: " + item.leftover()->name;
    return item.leftover()->name;
}

std::string aiSessionsName(const ScanItem::AIInfo& ai) {
    if (ai.tool == "Claude Code") return "Claude Code chats in " + ai.detail;
    if (ai.tool == "Codex") return "Codex " + ai.detail;
    if (ai.tool == "Antigravity")
        return ai.detail == "project chats" ? "Antigravity project chats"
                                            : "Antigravity " + ai.detail + " chats";
    if (ai.tool == "Cursor" || ai.tool == "Windsurf") return ai.tool + " project chats";
    if (ai.tool == "Gemini CLI") return "Gemini CLI chats";
    return ai.tool + " " + ai.detail;
}

} // namespace

std::string Catalog::cachesName(const ScanItem& item) const {
    return cacheName(folderName(item));
}

std::string Catalog::cacheName(const std::string& folder) const {
    if (auto known = knownCaches().find(folder); known != knownCaches().end()) return known->second;
    // On this system a cache folder is often named like its application's desktop entry
    // ("spotify"), not after a bundle identifier: any name is looked up.
    return applicationName(folder).value_or(folder);
}

std::string Catalog::name(const ScanItem& item) const {
    switch (item.kind) {
    case JunkKind::caches:
        return cachesName(item);
    case JunkKind::logs:
        return folderName(item) == "DiagnosticReports" ? "Crash reports"
                                                       : folderName(item) + " logs";
    case JunkKind::tempFiles:
        return item.targets.size() < 2 ? "Leftover AI model" : "Leftover AI models";
    case JunkKind::mail:
        return mailName(item);
    case JunkKind::screenshots:
        return "Screenshots from " + (item.photo() ? item.photo()->name : "a month ago");
    case JunkKind::photos:
        return "Extras of " + (item.photo() ? item.photo()->name : folderName(item));
    case JunkKind::developer:
        return developerName(item);
    case JunkKind::ai:
        return aiName(item);
    case JunkKind::systemData:
        return systemName(item);
    case JunkKind::apps:
        return item.app() ? item.app()->name : folderName(item);
    case JunkKind::leftovers:
        return leftoverName(item);
    case JunkKind::downloads:
    case JunkKind::duplicates:
    case JunkKind::largeFiles:
    case JunkKind::trash:
        break;
    }
    return folderName(item);
}

std::string Catalog::developerName(const ScanItem& item) {
    if (!item.developer()) return folderName(item);
    const auto& dev = *item.developer();
    switch (dev.kind) {
    case DevKind::derivedData:
        return "Xcode build data for " + dev.owner;
    case DevKind::deviceSupport:
        return "Device symbols for " + dev.owner;
    case DevKind::simulator:
        return "Simulator: " + dev.owner;
    case DevKind::dockerImages:
        return "Unused Docker images";
    case DevKind::dockerBuildCache:
        return "Docker build cache";
    case DevKind::dockerContainers:
        return "Stopped Docker containers";
    default:
        return folderName(item) + " in " + dev.owner;
    }
}

std::string Catalog::aiName(const ScanItem& item) {
    if (!item.ai()) return folderName(item);
    const auto& ai = *item.ai();
    switch (ai.kind) {
    case AIKind::sessions:
        return aiSessionsName(ai);
    case AIKind::cache:
        return ai.tool + " caches";
    case AIKind::oldVersion:
        return "Old " + ai.tool + " " + PlainWords::plural("version", ai.count);
    case AIKind::updateLeftover:
        return ai.tool + " update download";
    case AIKind::model:
        return ai.tool + " model: " + ai.detail;
    case AIKind::appleIntelligence:
        return "Apple Intelligence models";
    }
    return folderName(item);
}

std::string Catalog::systemName(const ScanItem& item) {
    if (!item.system()) return folderName(item);
    const auto& system = *item.system();
    switch (system.kind) {
    case SystemKind::macOSInstaller:
        return "macOS " + system.name + " installer";
    case SystemKind::deviceBackup:
        return system.detail == "private" ? system.name : "Backup of " + system.name;
    case SystemKind::deviceUpdate:
        return "Update file: " + system.name;
    case SystemKind::purgeable:
    case SystemKind::dockerDisk:
        break;
    }
    return system.name;
}

} // namespace kelvora
