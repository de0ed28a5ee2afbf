#include "login/LoginLeftover.h"

#include "login/SystemdUnits.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace kelvora {

namespace {

using Kind = ScanItem::LeftoverInfo::Kind;

// What started it, and the folder the user knows it from.
std::pair<Kind, std::string> kindOf(const LoginItem& item) {
    switch (item.mechanism) {
    case LoginItem::Mechanism::autostart:
        return {Kind::autostartEntry, "autostart"};
    case LoginItem::Mechanism::systemdUnit:
        return {Kind::userUnit, "systemd/user"};
    case LoginItem::Mechanism::launchd:
    case LoginItem::Mechanism::systemEvents:
        break;
    }
    return {Kind::launchAgent, "LaunchAgents"};
}

} // namespace

ScanItem leftoverItem(const LoginItem& item) {
    ScanItem scanItem;
    scanItem.kind = JunkKind::leftovers;
    scanItem.location = *item.file;
    scanItem.targets = SystemdUnits::leftoverTargets(item);
    int64_t bytes = 0;
    for (const URL& target : scanItem.targets)
        if (auto info = fileInfo(target)) bytes += info->logicalSize;
    scanItem.bytes = std::max<int64_t>(bytes, 1);
    scanItem.baseVerdict = Verdict::youDecide;
    auto [kind, place] = kindOf(item);
    scanItem.record = ScanItem::LeftoverInfo{kind, item.label, item.name, {place}, {}};
    return scanItem;
}

} // namespace kelvora
