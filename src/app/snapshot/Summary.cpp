#include "snapshot/Summary.h"

#include "catalog/PlainWords.h"
#include "design/Fonts.h"
#include "model/Format.h"

#include <charconv>
#include <functional>

namespace kelvora::Snapshot {

namespace {

constexpr size_t kSizeColumn = 9;

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// Seconds with one decimal and a point, whatever the process locale says.
std::string tenths(double seconds) {
    char buffer[64];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 1);
    return error == std::errc() ? std::string(buffer, end) : std::string("0.0");
}

std::string size(int64_t bytes) {
    return Format::size(bytes);
}

using Detail = std::function<std::string(const ScanItem&)>;

void itemLines(std::string& out, const std::vector<ScanItem>& items, const Catalog& catalog,
               const Detail& detail, const std::function<std::string(const ScanItem&)>& column,
               const std::function<std::string(const ScanItem&)>& suffix) {
    for (const ScanItem& item : items)
        out += "  " + column(item) + " " + catalog.name(item) + " · " + detail(item) +
               suffix(item) + "\n";
}

std::string sizeOf(const ScanItem& item) {
    return sizeColumn(size(item.bytes));
}

std::string none(const ScanItem&) {
    return {};
}

std::string inUseList(const std::vector<ScanItem>& items) {
    std::string list;
    for (const ScanItem& item : items) {
        if (!list.empty()) list += ", ";
        list += item.location.lastPathComponent() + " (" + item.inUseBy.value_or("?") + ")";
    }
    return list;
}

} // namespace

std::string sizeColumn(const std::string& text) {
    std::string column;
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (startsCharacter(text[i]) && characters++ == kSizeColumn) break;
        column += text[i];
    }
    return column + std::string(kSizeColumn - std::min(characters, kSizeColumn), ' ');
}

std::string summary(const ScanResult& result, const Catalog& catalog, FaceFlags faces) {
    auto loaded = [](bool flag) { return flag ? "loaded" : "missing"; };
    std::string out;
    out +=
        std::string("Fonts: Doto ") + loaded(faces.doto) + ", Geist " + loaded(faces.geist) + "\n";
    // A printed summary is read by scripts too: the count in plain digits, whatever the locale.
    out += "Scanned " + std::to_string(result.filesLookedAt) + " " +
           PlainWords::plural("file", result.filesLookedAt) + " in " + tenths(result.duration) +
           " s\n";
    out += "Disk: " + size(result.disk.available) + " free of " + size(result.disk.total) + "\n";
    for (JunkKind kind : JunkKinds::allCases())
        out += "  " + JunkKinds::rawValue(kind) + ": " + size(result.reclaimable(kind)) + "\n";
    out += result.trashAccess == FolderAccess::ok ? "  trash access: ok\n"
                                                  : "  trash access: closed to Kelvora\n";
    out += "Total: " + size(result.reclaimable()) + "\n";

    out += "Largest items:\n";
    for (size_t i = 0; i < result.items.size() && i < 8; ++i) {
        const ScanItem& item = result.items[i];
        out += "  " + sizeOf(item) + " " + item.location.path() +
               (item.inUseBy ? "  [in use: " + *item.inUseBy + "]" : "") + "\n";
    }

    auto heading = [&](const std::string& title, JunkKind kind) {
        out += title + " (" + std::to_string(result.itemsOf(kind).size()) + "):\n";
    };
    Detail detail = [&](const ScanItem& item) { return catalog.detail(item); };

    heading("Developer files", JunkKind::developer);
    itemLines(
        out, result.itemsOf(JunkKind::developer), catalog,
        [&](const ScanItem& item) { return catalog.developerDetail(item); }, sizeOf, none);

    const auto mail = result.itemsOf(JunkKind::mail);
    out +=
        result.mailAccess == FolderAccess::blocked
            ? std::string("Mail & Messages: closed to Kelvora\n")
            : "Mail & Messages: " + PlainWords::counted(static_cast<int64_t>(mail.size()), "item") +
                  "\n";
    itemLines(
        out, mail, catalog, detail,
        [](const ScanItem& item) {
            return item.bytes == 0 && item.lockedReason ? sizeColumn("—") : sizeOf(item);
        },
        none);

    heading("Leftovers of removed apps", JunkKind::leftovers);
    itemLines(out, result.itemsOf(JunkKind::leftovers), catalog, detail, sizeOf, none);

    heading("System Data", JunkKind::systemData);
    itemLines(
        out, result.itemsOf(JunkKind::systemData), catalog,
        [&](const ScanItem& item) { return catalog.systemDetail(item); }, sizeOf,
        [](const ScanItem& item) {
            return item.verdict() == Verdict::locked ? " [explained only]" : "";
        });

    heading("AI files", JunkKind::ai);
    itemLines(
        out, result.itemsOf(JunkKind::ai), catalog,
        [&](const ScanItem& item) { return catalog.aiDetail(item); }, sizeOf,
        [](const ScanItem& item) -> std::string {
            if (item.verdict() == Verdict::inUse) return " [in use]";
            if (item.verdict() == Verdict::locked) return " [explained only]";
            return "";
        });

    const auto inUse = result.inUseItems();
    out += "In use, left alone (" + std::to_string(inUse.size()) + "): " + inUseList(inUse) + "\n";
    return out;
}

void printSummary(const ScanResult& result, const std::function<void(const std::string&)>& print) {
    const std::string text = summary(result, Catalog(), {Fonts::hasDoto(), Fonts::hasGeist()});
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        print(text.substr(start, end - start));
    }
}

} // namespace kelvora::Snapshot
