#include "catalog/Catalog.h"

#include "catalog/PlainWords.h"
#include "engine/DiskScanner.h"
#include "model/Format.h"
#include "platform/AppImages.h"

namespace kelvora {

namespace {

using PlainWords::fill;
using AIKind = ScanItem::AIInfo::Kind;
using DevKind = ScanItem::DeveloperInfo::Kind;
using SystemKind = ScanItem::SystemInfo::Kind;
using MailKind = ScanItem::MailInfo::Kind;
using MailCopy = ScanItem::MailInfo::Copy;

std::string mailExplanation(const ScanItem::MailInfo& mail, int holdDays) {
    switch (mail.kind) {
    case MailKind::mailAttachments:
        if (mail.copy == MailCopy::onServer)
            return fill("Attachments Mail saved from %@. The mail server keeps every one, so "
                        "opening the email downloads it again. They wait on the Undo Shelf for "
                        "%lld days first.",
                        {mail.name, holdDays});
        if (mail.copy == MailCopy::onlyHere)
            return fill("Attachments from %@. This computer may hold the only copy, so only "
                        "remove them if you’re sure. They wait on the Undo Shelf for %lld days "
                        "first.",
                        {mail.name == "On My Mac" ? "mailboxes stored On My Mac"
                                                  : mail.name + ", a POP account",
                         holdDays});
        return fill("Attachments Mail saved from an account Kelvora couldn’t identify. If it’s "
                    "POP, these may be the only copies. They wait on the Undo Shelf for %lld days "
                    "first.",
                    {holdDays});
    case MailKind::mailDownloads:
        return "Copies Mail made when you opened or previewed attachments. The originals stay in "
               "the emails, so nothing is lost.";
    case MailKind::messages:
        break;
    }
    return fill("Photos, videos and files over 5 MB that you sent or received in %@. The messages "
                "stay, but their bubbles show as missing. To get them back, put them back from "
                "the Undo Shelf within %lld days; Messages in iCloud may also keep a copy. To "
                "stop them piling up, set Messages › Settings › Keep messages.",
                {mail.name, holdDays});
}

std::string leftoverExplanation(const ScanItem::LeftoverInfo& leftover, int holdDays) {
    using Kind = ScanItem::LeftoverInfo::Kind;
    switch (leftover.kind) {
    case Kind::launchAgent:
    case Kind::autostartEntry:
    case Kind::userUnit:
        return fill("A login item whose program is gone, usually because its app was removed. "
                    "It does nothing but %@ still tries to start it. If you remove it, it "
                    "waits on the Undo Shelf for %lld days first.",
                    {leftover.kind == Kind::launchAgent      ? "launchd"
                     : leftover.kind == Kind::autostartEntry ? "your desktop"
                                                             : "systemd",
                     holdDays});
    case Kind::appImage:
        return fill("The AppImage %@ is gone, but its menu entry and icon stayed, and the menu "
                    "still lists an app that no longer starts. They wait on the Undo Shelf for "
                    "%lld days first, so you can put them back.",
                    {leftover.id, holdDays});
    case Kind::flatpakData:
        return fill("%@ isn’t installed in any of this computer’s Flatpak installations. This is "
                    "the data it kept in your home folder; uninstalling a Flatpak app leaves it "
                    "unless you ask for its data to be deleted. If you install it again, you’d "
                    "start fresh. It waits on the Undo Shelf for %lld days first, so you can put "
                    "it back.",
                    {leftover.id, holdDays});
    case Kind::snapData:
        return fill("The snap %@ isn’t installed anymore. This is the data it kept in your home "
                    "folder. If you install it again, you’d start fresh. It waits on the Undo "
                    "Shelf for %lld days first, so you can put it back.",
                    {leftover.id, holdDays});
    case Kind::appFiles:
        break;
    }
    return fill("%@ (%@) isn’t installed, and nothing from its maker is. These are its settings "
                "and data from when it was. If you install it again, you’d start fresh. They "
                "wait on the Undo Shelf for %lld days first, so you can put them back.",
                {leftover.name, leftover.id, holdDays});
}

std::string inUseSentence(const std::string& user) {
    return fill("%@ is using this right now, so Kelvora leaves it alone. Quit it and check "
                "again to include it.",
                {user});
}

constexpr const char* kLockedSentence =
    "An administrator installed this, so removing it takes an administrator’s password. Use "
    "Remove with password: your desktop asks for it in its own window, Kelvora never sees the "
    "password, and the app still goes onto the Undo Shelf.";

// A cache its tool makes again from sources on this computer: nothing is downloaded.
bool isBuiltHere(const ScanItem& item) {
    return item.kind == JunkKind::caches &&
           DiskScanner::isBuiltHere(item.location.lastPathComponent());
}

std::string stateExplanation(const ScanItem& item, int holdDays) {
    if (item.inUseBy) return inUseSentence(*item.inUseBy);
    if (item.lockedReason) return kLockedSentence;
    switch (item.baseVerdict) {
    case Verdict::safe:
        return "Removing this loses nothing. If the app needs it again, it makes a fresh copy.";
    case Verdict::rebuilds:
        if (isBuiltHere(item))
            return "Safe to remove, but the tool builds it again on this computer the next time "
                   "it needs it, which takes a while.";
        return "Safe to remove, but it downloads again the next time the tool needs it.";
    case Verdict::youDecide:
        return fill("This doesn’t come back on its own. It waits on the Undo Shelf for %lld "
                    "days, then it’s removed for good.",
                    {holdDays});
    case Verdict::inUse:
        return inUseSentence("An app");
    case Verdict::locked:
        break;
    }
    return kLockedSentence;
}

} // namespace

std::string Catalog::explanation(const ScanItem& item) const {
    const int hold = settings().shelfDays;
    const Verdict verdict = item.verdict();
    const bool removable = item.isRemovable();

    if (item.duplicate() && verdict == Verdict::safe)
        return fill("An identical copy stays at %@, so removing this one loses nothing. It waits "
                    "on the Undo Shelf for %lld days, so you can put it back.",
                    {homeRelativePath(item.duplicate()->keptCopy.path()), hold});
    if (item.largeFile() && verdict == Verdict::youDecide)
        return fill("%@. Only you know if you still need it. If you remove it, it waits on the "
                    "Undo Shelf for %lld days first.",
                    {largeFileDetail(item), hold});
    if (item.download() && verdict == Verdict::youDecide)
        return downloadExplanation(*item.download(), hold);
    if (item.developer() && removable) return developerExplanation(*item.developer());
    if (item.ai() && (removable || item.ai()->kind == AIKind::appleIntelligence))
        return aiExplanation(*item.ai());
    if (item.kind == JunkKind::screenshots && removable)
        return fill("Screenshots and recordings you took over a month ago and left where they "
                    "landed. Only you know if you still need them; they wait on the Undo Shelf "
                    "for %lld days first.",
                    {hold});
    if (item.photo() && item.photo()->keptPhoto && removable)
        return fill("Shots that look the same as %@, which has the most detail and stays. They "
                    "wait on the Undo Shelf for %lld days first.",
                    {item.photo()->keptPhoto->lastPathComponent(), hold});
    if (item.mail() && removable) return mailExplanation(*item.mail(), hold);
    if (item.leftover() && removable) return leftoverExplanation(*item.leftover(), hold);
    if (item.system() && (item.system()->kind != SystemKind::macOSInstaller || removable))
        return systemExplanation(item, *item.system());
    if (item.app() && verdict == Verdict::youDecide) return appExplanation(*item.app(), hold);
    return stateExplanation(item, hold);
}

std::string Catalog::downloadExplanation(const ScanItem::DownloadInfo& info, int holdDays) const {
    using Case = ScanItem::DownloadInfo::Reason::Case;
    std::string reason;
    switch (info.reason.which) {
    case Case::appInstalled:
        reason = fill("%@ is already installed, so this installer has done its job.",
                      {info.reason.name});
        break;
    case Case::unpacked:
        reason = fill("Its contents are already unpacked next to it, in “%@”.", {info.reason.name});
        break;
    case Case::opened:
        reason = fill("You opened this %@ and haven’t needed it since.",
                      {relativeDate(info.reason.date)});
        break;
    }
    return reason +
           fill(" It waits on the Undo Shelf for %lld days, so you can put it back.", {holdDays});
}

std::string Catalog::appExplanation(const ScanItem::AppInfo& info, int holdDays) const {
    std::string text = info.lastOpened ? fill("You last opened %@ %@.",
                                              {info.name, relativeDate(*info.lastOpened)})
                                       : fill("You’ve never opened %@.", {info.name});
    if (info.leftoverCount >= 1 && AppImages::hasAppImageName(info.bundleID))
        text += fill(" Removing it also takes along %@ that belong to it, such as its menu "
                     "entry and icon.",
                     {PlainWords::counted(info.leftoverCount, "file")});
    else if (info.leftoverCount >= 1)
        text += fill(" Removing it also clears the %@ it keeps in your Library.",
                     {PlainWords::counted(info.leftoverCount, "file")});
    return text + fill(" It waits on the Undo Shelf for %lld days, so you can put it back exactly "
                       "as it was.",
                       {holdDays});
}

std::string Catalog::developerExplanation(const ScanItem::DeveloperInfo& info) {
    const std::string& owner = info.owner;
    switch (info.kind) {
    case DevKind::nodeModules:
    case DevKind::webBuild:
        return fill("Packages and build files for %@. Running npm install (or yarn, pnpm, bun) in "
                    "the project brings them back.",
                    {owner});
    case DevKind::pythonEnv:
        return fill("A Python environment for %@. Its packages are listed in the project, so pip "
                    "install or uv sync makes it again.",
                    {owner});
    case DevKind::rustTarget:
    case DevKind::swiftBuild:
    case DevKind::gradleBuild:
    case DevKind::flutterBuild:
        return fill("Build output for %@. The next build makes it again; that build just takes "
                    "longer.",
                    {owner});
    case DevKind::pods:
        return fill("CocoaPods packages for %@. Running pod install brings them back.", {owner});
    case DevKind::derivedData:
        return fill("Xcode’s build data and index for %@. Xcode makes it again the next time you "
                    "open and build the project.",
                    {owner});
    case DevKind::deviceSupport:
        return fill("Debug symbols Xcode copied from a device running %@. If you plug that device "
                    "in again, Xcode copies them again.",
                    {owner});
    case DevKind::simulator:
        return "Removed with Xcode’s own simctl, like deleting it in Xcode. You can add it again "
               "under Devices and Simulators; apps and data you put on it go with it.";
    case DevKind::dockerImages:
        return "Images no container uses. Docker pulls or builds them again when you next need "
               "them. Volumes are never touched.";
    case DevKind::dockerBuildCache:
        return "Layers Docker kept to make builds faster. The next build makes them again. "
               "Volumes are never touched.";
    case DevKind::dockerContainers:
        break;
    }
    return "Containers that have stopped. Anything written inside them, outside a volume, goes "
           "with them. Volumes are never touched.";
}

std::string Catalog::aiExplanation(const ScanItem::AIInfo& info) const {
    const std::string& tool = info.tool;
    const Settings set = settings();
    switch (info.kind) {
    case AIKind::sessions:
        if (info.detail == "project chats")
            return fill("%@’s AI chats and editor state (open tabs, layout) for projects you "
                        "haven’t opened in over %lld days. The projects’ own files aren’t "
                        "touched. It waits on the Undo Shelf for %lld days first.",
                        {tool, set.aiSessionDays, set.shelfDays});
        return fill("Conversation history %@ saved, untouched for over %lld days. You’d only miss "
                    "it to reopen or search an old chat. It waits on the Undo Shelf for %lld days "
                    "first, and anything used in the last day is never listed.",
                    {tool, set.aiSessionDays, set.shelfDays});
    case AIKind::cache:
        return fill("Files %@ keeps to open faster. It makes them again as needed. Kelvora only "
                    "clears them while %@ is closed.",
                    {tool, tool});
    case AIKind::oldVersion:
        return fill("An older copy of %@ kept after an update. The current version stays, along "
                    "with whichever one your claude command uses.",
                    {tool});
    case AIKind::updateLeftover:
        return fill("An update %@ downloaded and already installed. If a newer one comes, it "
                    "downloads that one fresh.",
                    {tool});
    case AIKind::model:
        if (tool == "Ollama")
            return "A model you downloaded with Ollama. Kelvora removes it with ollama rm, so "
                   "layers other models share stay. To get it back, pull it again, which can "
                   "take a while.";
        return fill("A model you downloaded with %@. It’s removed straight away, not kept on the "
                    "Undo Shelf, since it’s often several GB. To get it back, download it again.",
                    {tool});
    case AIKind::appleIntelligence:
        break;
    }
    return "Apple’s on-device models for Writing Tools, summaries and Image Playground. macOS "
           "downloads and removes them itself, so Kelvora never touches them. To stop using the "
           "space, turn off Apple Intelligence in System Settings › Apple Intelligence & Siri; "
           "macOS may keep some models for a while after.";
}

std::string Catalog::systemExplanation(const ScanItem& item,
                                       const ScanItem::SystemInfo& info) const {
    const std::string& name = info.name;
    auto holdSentence = [&] {
        return fill("If you remove it, it waits on the Undo Shelf for %lld days first.",
                    {settings().shelfDays});
    };
    switch (info.kind) {
    case SystemKind::purgeable:
        return "macOS counts this as used, but frees it by itself the moment an app needs room: "
               "local Time Machine snapshots (kept about a day), iCloud files it can download "
               "again, and caches it manages. You never need to clear it, so Kelvora leaves it "
               "to macOS.";
    case SystemKind::macOSInstaller:
        if (info.detail == "upgrade")
            return fill("An installer for macOS %@, newer than the macOS on this computer. Keep "
                        "it if you plan to upgrade soon; otherwise you can download it again from "
                        "the App Store. It’s removed straight away, not kept on the Undo Shelf.",
                        {name});
        return fill("An installer for macOS %@. This computer already runs it or newer, so it’s "
                    "no longer needed. You can download it again from the App Store. It’s removed "
                    "straight away.",
                    {name});
    case SystemKind::deviceBackup:
        if (info.detail == "private")
            return "Finder keeps iPhone and iPad backups in a folder macOS protects. Allow Full "
                   "Disk Access for Kelvora in System Settings › Privacy & Security so it can "
                   "show what each backup is and how big.";
        if (info.count == 1)
            return fill("The newest backup of %@. If the device is lost or reset, this is what "
                        "restores it, unless it also backs up to iCloud. ",
                        {name}) +
                   holdSentence();
        return fill("An older backup of %@. A newer one exists, so this one is only needed to go "
                    "back to an earlier state. ",
                    {name}) +
               holdSentence();
    case SystemKind::deviceUpdate:
        return "A software update Finder downloaded for an iPhone or iPad. It’s only used while "
               "updating or restoring a device, and Finder downloads it again when needed.";
    case SystemKind::dockerDisk:
        break;
    }
    return "Docker Desktop keeps every image, container and volume in one disk image. Kelvora "
           "can’t look inside it, but Docker can free it: turn on Include Docker in Settings to "
           "see unused images and build cache under Developer files, or use Docker Desktop › "
           "Troubleshoot.";
}

std::string Catalog::comesBack(const ScanItem& item) {
    const bool removable = item.isRemovable();
    if (item.duplicate() && removable) return "You keep the other copy";
    if (item.developer() && removable) {
        switch (item.developer()->kind) {
        case DevKind::nodeModules:
        case DevKind::pythonEnv:
        case DevKind::pods:
        case DevKind::webBuild:
            return "Yes, when you install again";
        case DevKind::deviceSupport:
            return "Yes, when you plug it in";
        case DevKind::simulator:
            return "Add it again in Xcode";
        case DevKind::dockerImages:
            return "Yes, pulled again";
        case DevKind::dockerContainers:
            return "No";
        default:
            return "Yes, when you build again";
        }
    }
    if (item.ai() && removable) {
        switch (item.ai()->kind) {
        case AIKind::sessions:
            return "Only from the Undo Shelf";
        case AIKind::cache:
        case AIKind::updateLeftover:
            return "Yes, on its own";
        case AIKind::oldVersion:
            return "Not needed; the newest stays";
        case AIKind::model:
            return "Download it again";
        case AIKind::appleIntelligence:
            return "Not removed";
        }
    }
    if (item.system() && removable) {
        switch (item.system()->kind) {
        case SystemKind::macOSInstaller:
            return "Download it again";
        case SystemKind::deviceBackup:
            return "Only from the Undo Shelf";
        case SystemKind::deviceUpdate:
            return "Yes, downloads again";
        case SystemKind::purgeable:
        case SystemKind::dockerDisk:
            return "Not removed";
        }
    }
    if (item.inUseBy || item.lockedReason) return "Not removed";
    switch (item.baseVerdict) {
    case Verdict::safe:
        return "Yes, on its own";
    case Verdict::rebuilds:
        return isBuiltHere(item) ? "Yes, when you build again" : "Yes, downloads again";
    case Verdict::youDecide:
        return "Only from the Undo Shelf";
    case Verdict::inUse:
    case Verdict::locked:
        break;
    }
    return "Not removed";
}

std::string Catalog::spokenVerdict(Verdict verdict) {
    switch (verdict) {
    case Verdict::safe:
        return "Safe to remove";
    case Verdict::rebuilds:
        return "Comes back when it’s needed";
    case Verdict::youDecide:
        // Whatever is cleaned waits on the Undo Shelf, so "can't be brought back" would be
        // untrue; what the verdict means is that nothing recreates it by itself.
        return "Doesn’t come back on its own";
    case Verdict::inUse:
        return "In use, left alone";
    case Verdict::locked:
        break;
    }
    return "Locked, needs an administrator to remove";
}

std::string Catalog::spokenVerdict(const ScanItem& item) {
    if (item.verdict() != Verdict::rebuilds) return spokenVerdict(item.verdict());
    std::string answer = comesBack(item);
    if (!answer.empty() && answer.front() >= 'A' && answer.front() <= 'Z')
        answer.front() = static_cast<char>(answer.front() - 'A' + 'a');
    return "Comes back: " + answer;
}

} // namespace kelvora
