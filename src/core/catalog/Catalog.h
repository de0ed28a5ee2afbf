#pragma once

#include "catalog/AppNames.h"
#include "model/JunkKind.h"
#include "model/ScanItem.h"
#include "model/ScanResult.h"
#include "platform/Date.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// The plain words of the application: the title, symbol and blurb of every category, and
// the name, detail line, explanation and "comes back" answer of every found item. Nothing is
// stored: each text is made from the item and from what the catalog is given, which it
// reads afresh at every call, so a changed setting or a newly installed application shows at
// the next redraw.
struct Catalog {
    struct CategoryInfo {
        std::string title;
        std::string symbol; // the name of a symbol; a view maps it to its glyph
        std::string blurb;
        Verdict verdict = Verdict::safe; // only safe, rebuilds or youDecide
        bool operator==(const CategoryInfo&) const = default;
    };

    // The settings the texts insert, with the application's defaults.
    struct Settings {
        int shelfDays = 7;
        int projectMonths = 3;
        int aiSessionDays = 30;
        bool operator==(const Settings&) const = default;
    };

    std::function<Settings()> settings;
    AppNames::Lookup applicationName;
    std::function<Date()> now;
    std::string home; // the path of the user's home folder, shown as "~"
    // The Mac's own apps and places this computer has, which some texts name; by default
    // none, and then they read what is true on this system.
    std::function<MacPlaces()> macPlaces;

    // What is not given is live: the default settings, the application bundles of
    // /Applications and ~/Applications with the desktop's entries, the clock and the home
    // folder of the current user.
    explicit Catalog(std::function<Settings()> settings = {}, AppNames::Lookup applicationName = {},
                     std::function<Date()> now = {}, std::string home = {});

    // ---- Categories ----
    CategoryInfo info(JunkKind kind) const;
    static std::string title(JunkKind kind);
    static std::string symbol(JunkKind kind);
    static Verdict verdict(JunkKind kind);
    // The sidebar's shorter title; the full title where there is none.
    static std::string shortTitle(JunkKind kind);
    // The categories the window lists, in their order: similar photos never (they have a
    // tool of their own), developer, AI, System Data, leftovers and screenshots only when the
    // result holds some, Mail and Messages only where the result found either app (or its
    // folder closed), the others always, also before the first scan (no result).
    static std::vector<JunkKind> visibleKinds(const ScanResult* result);

    // ---- Item names and detail lines ----
    std::string name(const ScanItem& item) const;
    // The name a cache folder goes by: a known tool's, else its application's, else its own.
    std::string cacheName(const std::string& folderName) const;
    std::string detail(const ScanItem& item) const;
    static std::string developerName(const ScanItem& item);
    static std::string aiName(const ScanItem& item);
    static std::string systemName(const ScanItem& item);
    std::string developerDetail(const ScanItem& item) const;
    std::string aiDetail(const ScanItem& item) const;
    std::string systemDetail(const ScanItem& item) const;
    std::string downloadReason(const ScanItem& item) const;
    std::string largeFileDetail(const ScanItem& item) const;
    std::string lastOpened(const ScanItem& item) const;

    // ---- Explanations ----
    // One paragraph: what the item is and what removing it does.
    std::string explanation(const ScanItem& item) const;
    // A few words: whether the item comes back after it is removed.
    static std::string comesBack(const ScanItem& item);
    // The verdict as a screen reader says it. A rebuilding item says how it comes back in
    // the words of comesBack, so what is read out and what the inspector shows agree.
    static std::string spokenVerdict(const ScanItem& item);
    // The same of a verdict alone, a category's.
    static std::string spokenVerdict(Verdict verdict);
    static std::string developerExplanation(const ScanItem::DeveloperInfo& info);
    std::string aiExplanation(const ScanItem::AIInfo& info) const;
    std::string systemExplanation(const ScanItem& item, const ScanItem::SystemInfo& info) const;

    // Where an item is on the disk, as the inspector shows it and the file manager opens it:
    // an application's removal root, the folder that holds all of a month's screenshots
    // (their location only names the month), else the item's location.
    static URL place(const ScanItem& item);

    // ---- Shared formats with this catalog's clock and home ----
    std::string relativeDate(Date date) const;
    std::string homeRelativePath(const std::string& path) const;

private:
    // The name of the installed application a bundle-identifier-like folder name belongs
    // to; nothing for a name of fewer than three dot-separated pieces.
    std::optional<std::string> appName(const std::string& folderName) const;
    std::string cachesName(const ScanItem& item) const;
    std::string cachesDetail(const ScanItem& item) const;
    std::string tempFilesDetail(const ScanItem& item) const;
    std::string duplicateDetail(const ScanItem& item) const;
    std::string appsDetail(const ScanItem& item) const;
    std::string leftoverDetail(const ScanItem& item) const;
    std::string downloadExplanation(const ScanItem::DownloadInfo& info, int holdDays) const;
    std::string appExplanation(const ScanItem::AppInfo& info, int holdDays) const;
};

} // namespace kelvora
