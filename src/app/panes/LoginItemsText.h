#pragma once

#include "controller/LoginItemsOrder.h"
#include "login/LoginItem.h"
#include "login/LoginSettings.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace kelvora::LoginItemsText {

using Section = LoginItemsOrder::Section;

inline const QString kTitle = "Login items";
inline const QString kRefresh = "Refresh";
inline const QString kLoading = "Reading what starts at login…";
inline const QString kFootnote = "Turning something off keeps it from starting at login, and a "
                                 "background service also stops now. Its file stays put, so you "
                                 "can turn it back on here.";
inline const QString kAskTitle = "See which apps open when you log in";
// Shown only where System Events exists (AppModel::asksForOpenAtLogin).
inline const QString kAskDetail =
    "Kelvora asks System Events for the list. macOS will check with you first.";
inline const QString kAskButton = "Check apps";
inline const QString kNoApps = "No apps open at login.";
inline const QString kSelected = "Selected";
inline const QString kNothingSelected = "Click an item to see what it is and what it runs.";
inline const QString kShowInFolder = "Show in Folder";

// The settings button names what it opens: the desktop's own tool, or the folder.
QString settingsTitle(LoginSettings::Place place);
QString sectionTitle(Section section);
// "3 start when you log in · 2 running now": what is really set to start (not off, not
// missing its program) and everything running, whether or not it starts at login.
QString countsLine(const std::vector<LoginItem>& items);
// The sections the list shows: the applications always, the others when they hold items.
std::vector<Section> shownSections(const std::vector<LoginItem>& items);

// The one thing an item's button does, with its title and its tooltip (empty for none).
struct Action {
    enum class Kind { remove, turnOn, turnOff, settings };
    Kind kind = Kind::settings;
    QString title;
    QString tooltip;
    bool operator==(const Action&) const = default;
};
Action action(const LoginItem& item, int shelfDays);

// What the state badge shows ("RUNNING") and what assistive technology reads for it. An item
// switched off while what it started still runs shows as running.
QString badgeLabel(const LoginItem& item);
QString badgeSpoken(const LoginItem& item);
// What assistive technology reads for a row after its name: its purpose, then its state.
QString rowDescription(const LoginItem& item);

// One fact of the inspector; the "Now" fact shows the state badge instead of a text.
struct Fact {
    QString label;
    QString value;
    bool isBadge = false;
    bool operator==(const Fact&) const = default;
};
// "Starts" exactly for the items the header counts as starting when you log in.
QString atLogin(const LoginItem& item);
std::vector<Fact> facts(const LoginItem& item);

// A titled block of the inspector holding a path or a label.
struct Block {
    QString title;
    QString value;
    bool operator==(const Block&) const = default;
};
// "Where" the file lies and what it "Runs", home shown as "~", and its "Label".
std::vector<Block> blocks(const LoginItem& item, const std::string& home);

// Why an item did not start this session, or that one switched off runs on until it ends;
// why it can't be switched here, or else what switching it does where that writes a file or
// stops it.
std::optional<QString> stateNote(const LoginItem& item);
std::optional<QString> switchNote(const LoginItem& item);
std::optional<QString> switchEffect(const LoginItem& item);

// The application an item belongs to: the path up to and including the first ".app" of
// its program (or file), when that exists.
std::optional<std::string> appBundle(const LoginItem& item);

} // namespace kelvora::LoginItemsText
