#include "panes/LoginItemsText.h"

#include "catalog/PlainWords.h"
#include "design/QtString.h"
#include "design/Spoken.h"
#include "model/Format.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>

namespace kelvora::LoginItemsText {

namespace {

using Kind = LoginItem::State::Kind;
using Mechanism = LoginItem::Mechanism;

bool isAutostart(const LoginItem& item) {
    return item.mechanism == Mechanism::autostart;
}

bool isUnit(const LoginItem& item) {
    return item.mechanism == Mechanism::systemdUnit;
}

QString kindOf(const LoginItem& item) {
    switch (item.source) {
    case LoginItem::Source::userAgent:
        if (isUnit(item))
            return endsWith(item.label, ".timer") ? "Timer, yours" : "Background service, yours";
        return "Launch agent, yours";
    case LoginItem::Source::globalAgent:
        return isAutostart(item) ? "Autostart entry, all users" : "Launch agent, all users";
    case LoginItem::Source::systemDaemon:
        return "System service";
    case LoginItem::Source::appHelper:
        return "App’s login helper";
    case LoginItem::Source::openAtLogin:
        break;
    }
    return "Opens at login";
}

} // namespace

QString settingsTitle(LoginSettings::Place place) {
    switch (place) {
    case LoginSettings::Place::gnomeStartup:
        return "Open Startup Applications";
    case LoginSettings::Place::kdeAutostart:
        return "Open Autostart settings";
    case LoginSettings::Place::folder:
        break;
    }
    return "Open the autostart folder";
}

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
    if (item.canSwitchHere() && item.isOff()) return {Action::Kind::turnOn, "Turn on", {}};
    // Off is written into the entry itself, which every desktop reads.
    if (item.canSwitchHere() && item.desktopNote)
        return {Action::Kind::turnOff, "Turn off everywhere",
                "Keeps it from starting on every desktop you log in to"};
    if (item.canSwitchHere()) return {Action::Kind::turnOff, "Turn off", {}};
    return {Action::Kind::settings, "Settings…",
            item.source == LoginItem::Source::systemDaemon
                ? "Only an administrator can switch this one"
                : "Switch this one in its app’s settings"};
}

QString badgeLabel(const LoginItem& item) {
    if (item.isPlaceholder) return "EMPTY";
    if (item.programMissing) return item.isOff() ? "OFF" : "LEFTOVER";
    if (item.isRunning()) return "RUNNING";
    switch (item.state.kind) {
    case Kind::running:
    case Kind::off:
        return "OFF";
    case Kind::notLoaded:
        return item.desktopNote ? "NOT ON THIS DESKTOP" : "NOT RUNNING";
    case Kind::waiting:
        break;
    }
    return item.source == LoginItem::Source::openAtLogin || isAutostart(item) ? "ON" : "WAITING";
}

QString badgeSpoken(const LoginItem& item) {
    if (item.isPlaceholder) return "An empty file that does nothing";
    if (item.programMissing) return item.isOff() ? "Switched off" : "Left behind by a removed app";
    const QString running = "Running now, process " + QString::number(item.state.pid);
    switch (item.state.kind) {
    case Kind::running:
        return running;
    case Kind::off:
        return item.isRunning() ? running + "; switched off, so it won’t start at the next login"
                                : "Switched off";
    case Kind::notLoaded:
        return item.desktopNote ? "Not on this desktop"
                                : "Not running; nothing has started it this session";
    case Kind::waiting:
        break;
    }
    if (item.source == LoginItem::Source::openAtLogin) return "Opens at login";
    return isAutostart(item) ? "Starts when you log in" : "Ready, starts when needed";
}

QString rowDescription(const LoginItem& item) {
    QString purpose = toQString(item.purpose).trimmed();
    if (!purpose.isEmpty() && !Spoken::endsSentence(purpose)) purpose += '.';
    return (purpose.isEmpty() ? QString() : purpose + ' ') + badgeSpoken(item) + '.';
}

QString atLogin(const LoginItem& item) {
    if (item.isOff()) return "Doesn’t start";
    if (item.desktopNote) return "Not on this desktop";
    if (item.programMissing || item.state.kind == Kind::notLoaded) return "Doesn’t start";
    if (!item.startsAtLogin) return "Only when needed";
    return "Starts";
}

std::vector<Fact> facts(const LoginItem& item) {
    std::vector<Fact> shown;
    shown.push_back({"Now", badgeLabel(item), true});
    shown.push_back({"At login", atLogin(item), false});
    if (item.owner) shown.push_back({"Belongs to", toQString(*item.owner), false});
    shown.push_back({"Kind", kindOf(item), false});
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

std::optional<QString> stateNote(const LoginItem& item) {
    if (item.isOff() && item.isRunning())
        return "It is switched off and won’t start at your next login, but what it started keeps "
               "running until you quit it or log out.";
    if (item.state.kind != Kind::notLoaded || item.programMissing) return std::nullopt;
    if (item.desktopNote) return toQString(*item.desktopNote);
    const char* why = isUnit(item)
                          ? "systemd doesn’t know this unit, so nothing starts it: its file may "
                            "hold a mistake, or systemd hasn’t read it since it was added.%@"
                          : "Nothing has started it this session: this computer doesn’t start "
                            "launch agents at login.%@";
    return toQString(PlainWords::fill(
        why, {item.canSwitchHere() ? " Turning it off here makes sure it stays off." : ""}));
}

std::optional<QString> switchNote(const LoginItem& item) {
    if (item.canSwitchHere()) return switchEffect(item);
    if (item.source == LoginItem::Source::systemDaemon)
        return "This runs for everyone on the computer, so only an administrator can switch it "
               "off, and Kelvora leaves it as it is.";
    return toQString(
        PlainWords::fill("%@ manages this helper. Switch it off in the app’s settings.",
                         {item.owner.value_or("Its app")}));
}

std::optional<QString> switchEffect(const LoginItem& item) {
    // Switched off while it runs: its state note says what that means.
    if (item.isLeftover() || (item.isOff() && item.isRunning())) return std::nullopt;
    if (isUnit(item))
        return "Turning it off runs systemctl --user disable --now: it stops now and no longer "
               "starts when you log in.";
    if (!isAutostart(item)) return std::nullopt;
    if (item.source == LoginItem::Source::globalAgent)
        return "It is installed for everyone. Turning it off writes a copy of it into your "
               "autostart folder that says Hidden=true, so it no longer starts for you; turning "
               "it on removes that copy.";
    return "Turning it off writes Hidden=true into its entry and leaves the rest of the file as "
           "it is. If it is running, it keeps running until you quit it or log out.";
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
