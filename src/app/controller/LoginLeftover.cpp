#include "controller/LoginLeftover.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace kelvora {

ScanItem leftoverItem(const LoginItem& item) {
    auto info = fileInfo(*item.file);
    ScanItem scanItem;
    scanItem.kind = JunkKind::leftovers;
    scanItem.location = *item.file;
    scanItem.targets = {*item.file};
    scanItem.bytes = std::max<int64_t>(info ? info->logicalSize : 1, 1);
    scanItem.baseVerdict = Verdict::youDecide;
    scanItem.record = ScanItem::LeftoverInfo{
        ScanItem::LeftoverInfo::Kind::launchAgent, item.label, item.name, {"LaunchAgents"}, {}};
    return scanItem;
}

} // namespace kelvora
