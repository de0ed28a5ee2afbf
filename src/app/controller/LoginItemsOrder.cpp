#include "controller/LoginItemsOrder.h"

#include "platform/Text.h"

#include <algorithm>

namespace kelvora::LoginItemsOrder {

Section section(LoginItem::Source source) {
    switch (source) {
    case LoginItem::Source::appHelper:
    case LoginItem::Source::openAtLogin:
        return Section::apps;
    case LoginItem::Source::userAgent:
    case LoginItem::Source::globalAgent:
        return Section::background;
    case LoginItem::Source::systemDaemon:
        break;
    }
    return Section::everyone;
}

namespace {

int stateRank(const LoginItem& item) {
    if (item.isRunning()) return 0;
    return item.isOff() ? 2 : 1;
}

} // namespace

std::vector<LoginItem> sorted(std::vector<LoginItem> items) {
    std::stable_sort(items.begin(), items.end(), [](const LoginItem& a, const LoginItem& b) {
        if (section(a.source) != section(b.source)) return section(a.source) < section(b.source);
        if (stateRank(a) != stateRank(b)) return stateRank(a) < stateRank(b);
        return lowercased(a.name) < lowercased(b.name);
    });
    return items;
}

} // namespace kelvora::LoginItemsOrder
