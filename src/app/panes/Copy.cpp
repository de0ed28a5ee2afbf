#include "panes/Copy.h"

#include "catalog/PlainWords.h"
#include "design/LocaleDates.h"
#include "model/Format.h"
#include "platform/Saturating.h"

#include <algorithm>
#include <array>

namespace kelvora::Copy {

namespace {

// The bytes of the picks of `kind` (of every kind when none) that go on the shelf, or
// that don't.
int64_t pickedBytes(const ScanResult& result, const PickList& picks, std::optional<JunkKind> kind,
                    bool onShelf) {
    int64_t total = 0;
    picks.forEachPicked(result, kind, [&](const ScanItem& item) {
        if (item.goesOnShelf() == onShelf) total = saturatingAdd(total, item.bytes);
    });
    return total;
}

std::vector<const ScanItem*> picked(const ScanResult& result, const PickList& picks, JunkKind kind,
                                    bool shelfOnly) {
    std::vector<const ScanItem*> items;
    picks.forEachPicked(result, kind, [&](const ScanItem& item) {
        if (!shelfOnly || item.goesOnShelf()) items.push_back(&item);
    });
    return items;
}

// What the picked rows of a kind hold, as the shelf sentence counts them: a month of
// screenshots its shots and, apart, its screen recordings; a group of similar photos its
// extras; any other row one thing.
struct Held {
    int64_t things = 0;
    int64_t recordings = 0;
};

Held countPicked(const ScanResult& result, const PickList& picks, JunkKind kind, bool shelfOnly) {
    Held held;
    picks.forEachPicked(result, kind, [&](const ScanItem& item) {
        if (shelfOnly && !item.goesOnShelf()) return;
        const ScanItem::PhotoInfo* photo = item.photo();
        int64_t things = 1;
        if (kind == JunkKind::screenshots || kind == JunkKind::photos) {
            const int64_t recorded = photo && kind == JunkKind::screenshots ? photo->recordings : 0;
            things = (photo ? photo->count : static_cast<int64_t>(item.targets.size())) - recorded;
            held.recordings = saturatingAdd(held.recordings, recorded);
        }
        held.things = saturatingAdd(held.things, things);
    });
    return held;
}

std::string plural(int64_t count, const char* one, const char* many) {
    return count == 1 ? one : many;
}

std::string part(JunkKind kind, int64_t count) {
    const std::string n = Format::count(count);
    switch (kind) {
    case JunkKind::downloads:
        return n + " old download" + plural(count, "", "s");
    case JunkKind::largeFiles:
        return n + " large or old file" + plural(count, "", "s");
    case JunkKind::duplicates:
        return n + " duplicate cop" + plural(count, "y", "ies");
    case JunkKind::apps:
        return n + " app" + plural(count, "", "s") + " with " + plural(count, "its", "their") +
               " leftover files";
    case JunkKind::ai:
        return n + " set" + plural(count, "", "s") + " of old AI chats";
    case JunkKind::mail:
        return n + " set" + plural(count, "", "s") + " of attachments";
    case JunkKind::screenshots:
        return n + " old screenshot" + plural(count, "", "s");
    case JunkKind::photos:
        return n + " similar photo" + plural(count, "", "s");
    case JunkKind::systemData:
        return n + " device backup" + plural(count, "", "s");
    default:
        return {};
    }
}

} // namespace

std::string joinParts(const std::vector<std::string>& parts) {
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += i + 1 == parts.size() ? " and " : ", ";
        text += parts[i];
    }
    return text;
}

std::vector<TextFlow::Run> flowRuns(const std::vector<Run>& runs) {
    std::vector<TextFlow::Run> out;
    for (const auto& run : runs)
        out.push_back({QString::fromStdString(run.text),
                       run.accent ? std::optional(Token::signalText) : std::nullopt});
    return out;
}

std::string shelfParts(const ScanResult& result, const PickList& picks) {
    // Screenshots and similar photos go on the shelf too; they get parts of their own so the
    // sentence never names a size "from" nothing.
    static constexpr std::array kinds{
        JunkKind::downloads, JunkKind::largeFiles, JunkKind::duplicates,  JunkKind::apps,
        JunkKind::ai,        JunkKind::mail,       JunkKind::screenshots, JunkKind::photos,
        JunkKind::leftovers, JunkKind::systemData};
    std::vector<std::string> parts;
    for (JunkKind kind : kinds) {
        const bool shelfOnly = kind == JunkKind::ai || kind == JunkKind::systemData;
        if (kind == JunkKind::leftovers) {
            for (auto& leftovers : leftoverParts(picked(result, picks, kind, shelfOnly)))
                parts.push_back(std::move(leftovers));
            continue;
        }
        const Held held = countPicked(result, picks, kind, shelfOnly);
        if (held.things >= 1) parts.push_back(part(kind, held.things));
        if (held.recordings >= 1)
            parts.push_back(PlainWords::counted(held.recordings, "old screen recording"));
    }
    if (picks.pickedBytes(result, JunkKind::trash) >= 1) parts.emplace_back("the Trash");
    return joinParts(parts);
}

std::string confirmMessage(const ScanResult* result, const PickList& picks, int shelfDays) {
    if (!result) return {};
    const int64_t shelf = pickedBytes(*result, picks, std::nullopt, true);
    const int64_t removed =
        saturatingAdd(picks.pickedBytes(*result, JunkKind::developer),
                      saturatingAdd(pickedBytes(*result, picks, JunkKind::ai, false),
                                    pickedBytes(*result, picks, JunkKind::systemData, false)));
    const int64_t deleted = picks.pickedBytes(*result) - shelf - removed;

    std::vector<std::string> sentences;
    if (deleted >= 1)
        sentences.push_back(Format::size(deleted) +
                            " of caches, logs and temp files is deleted now. Apps rebuild these "
                            "on their own.");
    if (removed >= 1)
        sentences.push_back(Format::size(removed) +
                            " of developer, AI and System Data files is removed now: caches "
                            "rebuild, and builds, models and installers come back when you next "
                            "build or download them.");
    if (shelf >= 1)
        sentences.push_back(Format::size(shelf) + " from " + shelfParts(*result, picks) +
                            " moves to the Undo Shelf, where you can put anything back for " +
                            PlainWords::counted(shelfDays, "day") + ".");
    std::string message;
    for (const auto& sentence : sentences)
        message += (message.empty() ? "" : " ") + sentence;
    return message;
}

std::vector<std::string> leftoverParts(const std::vector<const ScanItem*>& items) {
    const int64_t loginItems = std::count_if(items.begin(), items.end(), [](const ScanItem* item) {
        return item->leftover() && item->leftover()->isLoginItem();
    });
    const int64_t apps = static_cast<int64_t>(items.size()) - loginItems;
    std::vector<std::string> parts;
    if (apps >= 1)
        parts.push_back(Format::count(apps) + " removed app" + plural(apps, "’s", "s’") +
                        " leftovers");
    if (loginItems >= 1) parts.push_back(PlainWords::counted(loginItems, "leftover login item"));
    return parts;
}

std::vector<Run> doneHeadline(const CleanReport& report) {
    const int64_t cleared = saturatingAdd(report.freed, report.shelved);
    if (cleared == 0 && (!report.failures.empty() || report.skippedInUse > 0))
        return {{"Nothing was cleared.", false}};
    return {{"Cleared ", false}, {Format::size(cleared), true}, {".", false}};
}

std::string done(const CleanReport& report, const DiskSpace& disk,
                 const std::optional<UndoShelf::Sweep>& sweep) {
    std::string text = "Your computer now has " + Format::size(disk.available) + " free.";
    if (sweep)
        text += " " + Format::size(sweep->bytes()) + " is on the Undo Shelf until " +
                releaseDate(*sweep) +
                ", so you can still put it back. That space frees up then, or now if you empty "
                "the shelf.";
    if (report.skippedInUse >= 1) {
        const bool one = report.skippedInUse == 1;
        text += " " + PlainWords::counted(report.skippedInUse, "item") + (one ? " was" : " were") +
                " opened by an app during cleaning, so Kelvora left " + (one ? "it" : "them") +
                " alone.";
    }
    if (!report.failures.empty()) text += " " + notMoved(report.failures);
    return text;
}

std::string notMoved(const std::vector<CleanReport::Failure>& failures) {
    if (failures.empty()) return {};
    std::string reason = failures.front().reason;
    if (!reason.empty() && reason.front() >= 'a' && reason.front() <= 'z')
        reason.front() = static_cast<char>(reason.front() - 'a' + 'A');
    if (!reason.empty() && reason.back() != '.') reason += '.';
    return PlainWords::counted(static_cast<int64_t>(failures.size()), "item") +
           " couldn’t be moved. " + reason;
}

std::string releaseDate(const UndoShelf::Sweep& sweep, const QLocale& locale) {
    return LocaleDates::weekdayDayMonth(LocaleDates::local(sweep.expires).date(), locale,
                                        LocaleDates::Names::abbreviated)
        .toStdString();
}

} // namespace kelvora::Copy
