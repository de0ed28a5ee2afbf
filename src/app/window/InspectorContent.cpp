#include "window/InspectorContent.h"

#include "catalog/PlainWords.h"
#include "platform/AppImages.h"

namespace kelvora {

namespace {

using Style = Fact::Style;

Fact text(std::string label, std::string value, Style style = Style::text) {
    return {std::move(label), style, std::move(value), Verdict::safe};
}

std::string count(int64_t n) {
    return Format::count(n);
}

void appFacts(const Catalog& catalog, const ScanItem::AppInfo& app, std::vector<Fact>& facts) {
    facts.push_back(
        text("Last opened", app.lastOpened ? catalog.relativeDate(*app.lastOpened) : "Never"));
    // An AppImage's menu entry and icon are no leftovers: they go with it.
    const bool appImage = AppImages::hasAppImageName(app.bundleID);
    facts.push_back(text(appImage ? "Files with it" : "Leftover files", count(app.leftoverCount)));
}

void largeFileFacts(const Catalog& catalog, const ScanItem::LargeFileInfo& file,
                    std::vector<Fact>& facts) {
    facts.push_back(text(
        "Last opened", file.lastOpened ? catalog.relativeDate(*file.lastOpened)
                                       : "Not since " + PlainWords::shortMonthDate(file.modified)));
}

void duplicateFacts(const Catalog& catalog, const ScanItem::DuplicateInfo& copy,
                    std::vector<Fact>& facts) {
    facts.push_back(text("Copies", count(copy.copies)));
    facts.push_back(
        text("Kept copy", catalog.homeRelativePath(copy.keptCopy.path()), Style::stacked));
}

void mailFacts(const ScanItem::MailInfo& mail, std::vector<Fact>& facts) {
    bool messages = mail.kind == ScanItem::MailInfo::Kind::messages;
    facts.push_back(text(messages ? "Year" : "From", mail.name, Style::oneLine));
    facts.push_back(text("Files", count(mail.count)));
}

void leftoverFacts(const ScanItem::LeftoverInfo& leftover, std::vector<Fact>& facts) {
    using Kind = ScanItem::LeftoverInfo::Kind;
    const char* label = leftover.isLoginItem()               ? "Label"
                        : leftover.kind == Kind::appImage    ? "AppImage"
                        : leftover.kind == Kind::flatpakData ? "App ID"
                        : leftover.kind == Kind::snapData    ? "Snap"
                                                             : "Bundle ID";
    facts.push_back(text(label, leftover.id, Style::middleCut));
    facts.push_back(text("Files", count(leftover.files)));
}

void systemFacts(const Catalog& catalog, const ScanItem::SystemInfo& system,
                 std::vector<Fact>& facts) {
    using Kind = ScanItem::SystemInfo::Kind;
    if (system.kind == Kind::deviceBackup && system.detail != "private")
        facts.push_back(
            text("Device", system.detail.empty() ? system.name : system.detail, Style::oneLine));
    if (!system.date) return;
    std::string label = system.kind == Kind::purgeable      ? "Newest snapshot"
                        : system.kind == Kind::deviceBackup ? "Backed up"
                                                            : "Date";
    facts.push_back(text(label, catalog.relativeDate(*system.date)));
}

void aiFacts(const Catalog& catalog, const ScanItem::AIInfo& ai, std::vector<Fact>& facts) {
    facts.push_back(text("Tool", ai.tool, Style::oneLine));
    if (ai.kind == ScanItem::AIInfo::Kind::sessions)
        facts.push_back(text("Chats", count(ai.count)));
    if (ai.lastUsed) facts.push_back(text("Last used", catalog.relativeDate(*ai.lastUsed)));
}

void developerFacts(const Catalog& catalog, const ScanItem::DeveloperInfo& developer,
                    std::vector<Fact>& facts) {
    using Kind = ScanItem::DeveloperInfo::Kind;
    facts.push_back(text("Belongs to", developer.owner, Style::oneLine));
    if (!developer.lastActivity) return;
    bool used = developer.kind == Kind::simulator || developer.kind == Kind::derivedData;
    facts.push_back(
        text(used ? "Last used" : "Last changed", catalog.relativeDate(*developer.lastActivity)));
}

std::string shownPath(const Catalog& catalog, const ScanItem& item) {
    return catalog.homeRelativePath(Catalog::place(item).path());
}

} // namespace

std::vector<Fact> InspectorContent::factsOf(const Catalog& catalog, const ScanItem& item) {
    std::vector<Fact> facts;
    facts.push_back({"Verdict", Style::badge, {}, item.verdict()});
    facts.push_back(text("Comes back?", Catalog::comesBack(item)));
    if (item.app())
        appFacts(catalog, *item.app(), facts);
    else if (item.largeFile())
        largeFileFacts(catalog, *item.largeFile(), facts);
    else if (item.duplicate())
        duplicateFacts(catalog, *item.duplicate(), facts);
    else if (item.mail())
        mailFacts(*item.mail(), facts);
    else if (item.leftover())
        leftoverFacts(*item.leftover(), facts);
    else if (item.system())
        systemFacts(catalog, *item.system(), facts);
    else if (item.ai())
        aiFacts(catalog, *item.ai(), facts);
    else if (item.developer())
        developerFacts(catalog, *item.developer(), facts);
    else if (item.download())
        facts.push_back(
            text("Type", item.download()->fileKind == ScanItem::DownloadInfo::FileKind::installer
                             ? "Installer"
                             : "Archive"));
    else
        facts.push_back(text(
            "Items inside",
            count(item.trash() ? item.trash()->files : static_cast<int64_t>(item.targets.size()))));
    return facts;
}

InspectorContent::Second InspectorContent::secondOf(const ScanItem& item, const PickList& picks,
                                                    const Unlockable& unlockable) {
    if (item.isRemovable()) return picks.isPicked(item) ? Second::keep : Second::pick;
    // An application that is running cannot be handed over and moved; it is left alone
    // like any other item in use until it is quit.
    if (!item.lockedReason || item.inUseBy || item.targets.empty()) return Second::none;
    bool installer =
        item.system() && item.system()->kind == ScanItem::SystemInfo::Kind::macOSInstaller;
    if (item.kind != JunkKind::apps && !installer) return Second::none;
    return unlockable(item.targets.front()) ? Second::password : Second::none;
}

std::string InspectorContent::title(Second second) {
    switch (second) {
    case Second::pick:
        return "Pick this";
    case Second::keep:
        return "Keep this";
    case Second::password:
        return "Remove with password…";
    case Second::none:
        break;
    }
    return {};
}

InspectorContent InspectorContent::of(const Catalog& catalog, const PickList& picks,
                                      const ScanItem& item, const Unlockable& unlockable) {
    InspectorContent content;
    content.name = catalog.name(item);
    content.size = Format::sizeParts(item.bytes);
    content.explanation = catalog.explanation(item);
    content.facts = factsOf(catalog, item);
    if (item.action) {
        content.whereCaption = "How it’s removed";
        content.whereText = item.action->commandLine();
    } else if (item.location.isFileURL()) {
        content.whereCaption = "Where";
        content.whereText = shownPath(catalog, item);
    }
    content.showInFolder = item.location.isFileURL();
    content.second = secondOf(item, picks, unlockable);
    return content;
}

} // namespace kelvora
