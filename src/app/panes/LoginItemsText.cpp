#include "panes/LoginItemsText.h"

#include "catalog/PlainWords.h"
#include "design/QtString.h"
#include "model/Format.h"
#include "platform/FileSystem.h"

#include <algorithm>

namespace kelvora::LoginItemsText {

namespace {

using Kind = LoginItem::State::Kind;

} // namespace

QString sectionTitle(Section section) {
    switch (section) {
    case Section::apps:
        return "Apps that open at login";
    case Section::background:
        return "Running in the background";
    case Section::everyone:
        break;
    }
    return "For everyone on this computer";
}

QString countsLine(const std::vector<LoginItem>& items) {
    auto starting = std::count_if(items.begin(), items.end(),
                                  [](const LoginItem& item) { return item.isActiveAtLogin(); });
    auto running = std::count_if(items.begin(), items.end(),
                                 [](const LoginItem& item) { return item.isRunning(); });
    return toQString(PlainWords::fill("%lld %@ when you log in · %lld running now",
                                      {Format::count(static_cast<int64_t>(starting)),
                                       starting == 1 ? "starts" : "start",
                                       Format::count(static_cast<int64_t>(running))}));
}

std::vector<Section> shownSections(const std::vector<LoginItem>& items) {
    std::vector<Section> shown = {Section::apps};
    for (Section section : {Section::background, Section::everyone})
        if (std::any_of(items.begin(), items.end(), [section](const LoginItem& item) {
                return LoginItemsOrder::section(item.source) == section;
            }))
            shown.push_back(section);
    return shown;
}

Action action(const LoginItem& item, int shelfDays) {
    if (item.isLeftover())
        return {
            Action::Kind::remove, "Remove",
            toQString(PlainWords::fill("Moves it onto the Undo Shelf for %lld days", {shelfDays}))};
    if (item.canSwitchHere())
        return item.isOff() ? Action{Action::Kind::turnOn, "Turn on", {}}
                            : Action{Action::Kind::turnOff, "Turn off", {}};
    return {Action::Kind::settings, "Settings…",
            item.source == LoginItem::Source::systemDaemon
                ? "Only an administrator can switch this one"
                : "Switch this one in its app’s settings"};
}

QString badgeLabel(const LoginItem& item) {
    if (item.isPlaceholder) return "EMPTY";
    if (item.programMissing) return item.isOff() ? "OFF" : "LEFTOVER";
    switch (item.state.kind) {
    case Kind::running:
        return "RUNNING";
    case Kind::off:
        return "OFF";
    case Kind::notLoaded:
        return "NOT RUNNING";
    case Kind::waiting:
        break;
    }
    return item.source == LoginItem::Source::openAtLogin ? "ON" : "WAITING";
}

QString badgeSpoken(const LoginItem& item) {
    if (item.isPlaceholder) return "An empty file that does nothing";
    if (item.programMissing) return item.isOff() ? "Switched off" : "Left behind by a removed app";
    switch (item.state.kind) {
    case Kind::running:
        return "Running now, process " + QString::number(item.state.pid);
    case Kind::off:
        return "Switched off";
    case Kind::notLoaded:
        return "Not running; nothing has started it this session";
    case Kind::waiting:
        break;
    }
    return item.source == LoginItem::Source::openAtLogin ? "Opens at login"
                                                         : "Ready, starts when needed";
}

std::vector<Fact> facts(const LoginItem& item) {
    std::vector<Fact> shown;
    shown.push_back({"Now", badgeLabel(item), true});
    QString atLogin = item.isOff()          ? "Doesn’t start"
                      : !item.startsAtLogin ? "Only when needed"
                                            : "Starts";
    shown.push_back({"At login", atLogin, false});
    if (item.owner) shown.push_back({"Belongs to", toQString(*item.owner), false});
    QString kind;
    switch (item.source) {
    case LoginItem::Source::userAgent:
        kind = "Launch agent, yours";
        break;
    case LoginItem::Source::globalAgent:
        kind = "Launch agent, all users";
        break;
    case LoginItem::Source::systemDaemon:
        kind = "System service";
        break;
    case LoginItem::Source::appHelper:
        kind = "App’s login helper";
        break;
    case LoginItem::Source::openAtLogin:
        kind = "Opens at login";
        break;
    }
    shown.push_back({"Kind", kind, false});
    return shown;
}

std::vector<Block> blocks(const LoginItem& item, const std::string& home) {
    std::vector<Block> shown;
    if (item.file)
        shown.push_back(
            {"Where", toQString(PlainWords::homeRelativePath(item.file->path(), home))});
    if (item.program && (!item.file || item.program->path() != item.file->path()))
        shown.push_back(
            {"Runs", toQString(PlainWords::homeRelativePath(item.program->path(), home))});
    if (item.source != LoginItem::Source::openAtLogin)
        shown.push_back({"Label", toQString(item.label)});
    return shown;
}

std::optional<QString> notLoadedNote(const LoginItem& item) {
    if (item.state.kind != Kind::notLoaded || item.programMissing) return std::nullopt;
    return toQString(PlainWords::fill(
        "Nothing has started it this session: this computer doesn’t start launch agents at "
        "login.%@",
        {item.canSwitchHere() ? " Turning it off here makes sure it stays off." : ""}));
}

std::optional<QString> switchNote(const LoginItem& item) {
    if (item.canSwitchHere()) return std::nullopt;
    if (item.source == LoginItem::Source::systemDaemon)
        return "This runs for everyone on the computer, so only an administrator can switch it "
               "off, and Kelvora leaves it as it is.";
    return toQString(
        PlainWords::fill("%@ manages this helper. Switch it off in the app’s settings.",
                         {item.owner.value_or("Its app")}));
}

std::optional<std::string> appBundle(const LoginItem& item) {
    const std::optional<URL>& place = item.program ? item.program : item.file;
    if (!place) return std::nullopt;
    const std::string& path = place->path();
    auto end = path.find(".app");
    if (end == std::string::npos) return std::nullopt;
    std::string bundle = path.substr(0, end + 4);
    if (!fileExists(bundle)) return std::nullopt;
    return bundle;
}

} // namespace kelvora::LoginItemsText
