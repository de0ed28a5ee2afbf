#include "panes/UninstallText.h"

#include "catalog/PlainWords.h"
#include "model/Format.h"
#include "panes/Copy.h"
#include "platform/AppImages.h"

namespace kelvora::UninstallText {

namespace {

constexpr size_t kListed = 7;

} // namespace

State state(const ScanItem& item, const std::optional<CleanReport>& report) {
    if (report) return State::report;
    if (item.inUseBy) return State::inUse;
    if (item.lockedReason) return State::adminInstalled;
    return State::ready;
}

std::string displayName(const ScanItem& item) {
    if (item.app()) return item.app()->name;
    if (item.leftover()) return item.leftover()->name;
    return item.location.lastPathComponent();
}

std::string title(const ScanItem& item) {
    return (item.kind == JunkKind::apps ? "Remove " : "Clean up after ") + displayName(item) + "?";
}

std::string subtitle(const ScanItem& item) {
    if (item.kind == JunkKind::apps) {
        int count = item.app() ? item.app()->leftoverCount : 0;
        // An AppImage keeps nothing in a Library: its menu entry and icon go with it.
        if (item.app() && AppImages::hasAppImageName(item.app()->bundleID))
            return PlainWords::fill(count == 1 ? "The app, plus %lld %@ that goes with it."
                                               : "The app, plus %lld %@ that go with it.",
                                    {Format::count(count), PlainWords::plural("file", count)});
        return PlainWords::fill("The app, plus %lld %@ it keeps in your Library.",
                                {Format::count(count), PlainWords::plural("file", count)});
    }
    int64_t count = static_cast<int64_t>(item.targets.size());
    const bool inLibrary = !item.leftover() ||
                           item.leftover()->kind == ScanItem::LeftoverInfo::Kind::appFiles ||
                           item.leftover()->kind == ScanItem::LeftoverInfo::Kind::launchAgent;
    return PlainWords::fill(
        inLibrary ? "%@ is gone, but left %lld %@ in your Library."
                  : "%@ is gone, but left %lld %@ in your home folder.",
        {displayName(item), Format::count(count), PlainWords::plural("item", count)});
}

FileList files(const ScanItem& item, const std::string& home) {
    FileList list;
    for (size_t i = 0; i < item.targets.size() && i < kListed; ++i)
        list.paths.push_back(PlainWords::homeRelativePath(item.targets[i].path(), home));
    if (item.targets.size() > kListed)
        list.more =
            "and " + Format::count(static_cast<int64_t>(item.targets.size() - kListed)) + " more";
    return list;
}

std::string message(const ScanItem& item, const std::optional<CleanReport>& report, int shelfDays) {
    switch (state(item, report)) {
    case State::report:
        if (!report->failures.empty()) return Copy::notMoved(report->failures);
        // The cleaner leaves an application alone that was opened after the sheet came up;
        // then nothing moved, and saying "Moved 0 KB" would read like a success.
        if (report->skippedInUse > 0 && report->shelved == 0)
            return displayName(item) + " is open, so nothing was moved. Quit it, then try again.";
        return PlainWords::fill("Moved %@ onto the Undo Shelf. You can put it back for %lld days.",
                                {Format::size(report->shelved), shelfDays});
    case State::inUse:
        return *item.inUseBy + " is open. Quit it, then try again.";
    case State::adminInstalled:
        return "An administrator installed this, so removing it takes an administrator’s "
               "password. Your desktop asks for it in its own window; Kelvora never sees the "
               "password.";
    case State::ready:
        break;
    }
    return PlainWords::fill("It all waits on the Undo Shelf for %lld days, then goes for good.",
                            {shelfDays});
}

std::string moveTitle(const ScanItem& item) {
    return "Move " + Format::size(item.bytes) + " to the Undo Shelf";
}

} // namespace kelvora::UninstallText
