#include "catalog/Catalog.h"

#include "catalog/PlainWords.h"

#include <array>

namespace kelvora {

namespace {

struct CategoryRow {
    const char* title;
    const char* shortTitle; // nullptr: the title
    const char* symbol;
    Verdict verdict;
};

// In the order of the categories.
constexpr std::array<CategoryRow, 15> kCategories = {{
    {"App caches", nullptr, "square.stack.3d.up", Verdict::safe},
    {"Old logs", nullptr, "doc.text.magnifyingglass", Verdict::safe},
    {"Leftover temp files", "Temp files", "cpu", Verdict::safe},
    {"Old downloads", "Old downloads", "arrow.down.circle", Verdict::youDecide},
    {"Mail & Messages attachments", "Attachments", "envelope", Verdict::youDecide},
    {"Old screenshots", "Screenshots", "camera.viewfinder", Verdict::youDecide},
    {"Similar photos", nullptr, "photo.on.rectangle.angled", Verdict::youDecide},
    {"Duplicates", nullptr, "doc.on.doc", Verdict::safe},
    {"Large & old files", "Large & old", "externaldrive", Verdict::youDecide},
    {"Developer files", "Developer", "chevron.left.forwardslash.chevron.right", Verdict::rebuilds},
    {"AI files", nullptr, "sparkles", Verdict::youDecide},
    {"System Data", nullptr, "internaldrive", Verdict::youDecide},
    {"Apps you don’t use", "Unused apps", "square.grid.2x2", Verdict::youDecide},
    {"Leftovers of removed apps", "Removed apps", "puzzlepiece.extension", Verdict::youDecide},
    {"Trash", nullptr, "trash", Verdict::youDecide},
}};

const CategoryRow& row(JunkKind kind) {
    return kCategories[static_cast<size_t>(kind)];
}

std::string blurb(JunkKind kind, const Catalog::Settings& settings, const MacPlaces& places) {
    using PlainWords::fill;
    switch (kind) {
    case JunkKind::caches:
        return "Files apps keep so they open faster. Apps make fresh ones as needed.";
    case JunkKind::logs:
        return "Records apps write while they run. Only files older than a week are picked.";
    case JunkKind::tempFiles:
        return "AI models and scratch files left behind by apps that have quit.";
    case JunkKind::downloads:
        return fill("Installers and zip files in Downloads that you’ve already used. They wait "
                    "on the Undo Shelf for %lld days.",
                    {settings.shelfDays});
    case JunkKind::mail:
        return "Attachments Mail downloaded, by account, and big photos, videos and files in "
               "Messages, by year. Mail attachments from server accounts download again when "
               "you open the email. All of it waits on the Undo Shelf. None is picked until you "
               "tick it.";
    case JunkKind::screenshots:
        return "Screenshots and screen recordings more than a month old, on your Desktop and in "
               "Downloads, Documents and Pictures. One line per month. They wait on the Undo "
               "Shelf. None is picked until you tick it.";
    case JunkKind::photos:
        if (places.photosLibrary)
            return "Near-identical shots outside the Photos library. The best of each group "
                   "stays.";
        return "Near-identical shots in your own folders. The best of each group stays.";
    case JunkKind::duplicates:
        return std::string("Files you have more than once") +
               (places.photosLibrary ? ", outside the Photos library" : " in your own folders") +
               ". The best copy stays. None is picked until you tick it.";
    case JunkKind::largeFiles:
        return "Files over 1 GB, and files over 200 MB nobody has opened in a year. None is "
               "picked until you tick it.";
    case JunkKind::developer:
        return fill(places.xcode
                        ? "Packages and build folders in projects untouched for %lld months, plus "
                          "old Xcode data. They come back when you next install or build. None is "
                          "picked until you tick it."
                        : "Packages and build folders in projects untouched for %lld months. They "
                          "come back when you next install or build. None is picked until you "
                          "tick it.",
                    {settings.projectMonths});
    case JunkKind::ai:
        return fill("Old chats from AI tools (untouched for %lld days), their caches and "
                    "leftover updates, and models you downloaded. Old chats wait on the Undo "
                    "Shelf. None is picked until you tick it.",
                    {settings.aiSessionDays});
    case JunkKind::systemData:
        return "The big parts of the gray “System Data” bar, in plain words: space macOS frees "
               "by itself, macOS installers, iPhone and iPad backups and updates, and Docker’s "
               "disk image. None is picked until you tick it.";
    case JunkKind::apps:
        return "Apps not opened in six months or more, with the files they leave around your "
               "computer. None is picked until you tick it.";
    case JunkKind::leftovers:
        return "Settings, data and login items left by apps that aren’t on your computer "
               "anymore. Kelvora only lists an app’s files when nothing from its maker is "
               "installed and nothing has touched them for two weeks. They wait on the Undo "
               "Shelf. None is picked until you tick it.";
    case JunkKind::trash:
        return fill("Already in the Trash, just never emptied. It waits on the Undo Shelf for "
                    "%lld days before it’s gone.",
                    {settings.shelfDays});
    }
    return {};
}

// Mail and Messages are the Mac's own apps: their category shows where either is, or where
// the scan was refused their folder.
bool hasMailOrMessages(const ScanResult& result) {
    return result.macPlaces.mail || result.macPlaces.messages ||
           result.mailAccess == FolderAccess::blocked;
}

// Listed only when the scan found some: most people have none of these.
bool listedOnlyWhenFound(JunkKind kind) {
    switch (kind) {
    case JunkKind::developer:
    case JunkKind::ai:
    case JunkKind::systemData:
    case JunkKind::leftovers:
    case JunkKind::screenshots:
    case JunkKind::mail:
        return true;
    default:
        return false;
    }
}

} // namespace

Catalog::CategoryInfo Catalog::info(JunkKind kind) const {
    return {title(kind), symbol(kind), blurb(kind, settings(), macPlaces()), verdict(kind)};
}

std::string Catalog::title(JunkKind kind) {
    return row(kind).title;
}

std::string Catalog::symbol(JunkKind kind) {
    return row(kind).symbol;
}

Verdict Catalog::verdict(JunkKind kind) {
    return row(kind).verdict;
}

std::string Catalog::shortTitle(JunkKind kind) {
    const CategoryRow& r = row(kind);
    return r.shortTitle ? r.shortTitle : r.title;
}

std::vector<JunkKind> Catalog::visibleKinds(const ScanResult* result) {
    std::vector<JunkKind> kinds;
    for (JunkKind kind : JunkKinds::allCases()) {
        if (kind == JunkKind::photos) continue;
        if (listedOnlyWhenFound(kind)) {
            bool found = kind == JunkKind::mail && result && hasMailOrMessages(*result);
            if (result && !found)
                for (const auto& item : result->items)
                    if (item.kind == kind) {
                        found = true;
                        break;
                    }
            if (!found) continue;
        }
        kinds.push_back(kind);
    }
    return kinds;
}

} // namespace kelvora
