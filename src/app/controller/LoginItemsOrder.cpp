#include "controller/LoginItemsOrder.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

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

// The C locale orders by code, which puts every accented name after "z"; a user who chose
// no language gets the common order of names instead.
QLocale collationLocale(const QLocale& locale) {
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                           : locale;
}

} // namespace

std::vector<LoginItem> sorted(std::vector<LoginItem> items) {
    return sorted(std::move(items), QLocale());
}

std::vector<LoginItem> sorted(std::vector<LoginItem> items, const QLocale& locale) {
    QCollator collator(collationLocale(locale));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(items.size());
    for (const LoginItem& item : items)
        keys.push_back(collator.sortKey(QString::fromStdString(item.name)));
    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t i, size_t j) {
        const LoginItem& a = items[i];
        const LoginItem& b = items[j];
        if (section(a.source) != section(b.source)) return section(a.source) < section(b.source);
        if (stateRank(a) != stateRank(b)) return stateRank(a) < stateRank(b);
        return keys[i].compare(keys[j]) < 0;
    });
    std::vector<LoginItem> result;
    result.reserve(items.size());
    for (size_t index : order)
        result.push_back(std::move(items[index]));
    return result;
}

} // namespace kelvora::LoginItemsOrder
