#include "controller/ShelfLabels.h"

namespace kelvora::ShelfLabels {

std::string categoryTitle(JunkKind kind) {
    switch (kind) {
    case JunkKind::caches:
        return "App caches";
    case JunkKind::logs:
        return "Old logs";
    case JunkKind::tempFiles:
        return "Leftover temp files";
    case JunkKind::downloads:
        return "Old downloads";
    case JunkKind::mail:
        return "Mail & Messages attachments";
    case JunkKind::screenshots:
        return "Old screenshots";
    case JunkKind::photos:
        return "Similar photos";
    case JunkKind::duplicates:
        return "Duplicates";
    case JunkKind::largeFiles:
        return "Large & old files";
    case JunkKind::developer:
        return "Developer files";
    case JunkKind::ai:
        return "AI files";
    case JunkKind::systemData:
        return "System Data";
    case JunkKind::apps:
        return "Apps you don’t use";
    case JunkKind::leftovers:
        return "Leftovers of removed apps";
    case JunkKind::trash:
        return "Trash";
    }
    return "";
}

std::string name(const ScanItem& item) {
    switch (item.kind) {
    case JunkKind::apps:
        return item.app ? item.app->name : item.location.lastPathComponent();
    case JunkKind::leftovers:
        if (!item.leftover) break;
        if (item.leftover->kind == ScanItem::LeftoverInfo::Kind::launchAgent)
            return "Login item: " + item.leftover->name;
        return item.leftover->name;
    case JunkKind::photos:
        return "Extras of " + (item.photo ? item.photo->name : item.location.lastPathComponent());
    default:
        break;
    }
    return categoryTitle(item.kind);
}

} // namespace kelvora::ShelfLabels
