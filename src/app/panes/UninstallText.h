#pragma once

#include "model/CleanReport.h"
#include "model/ScanItem.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvora::UninstallText {

// What the uninstall sheet shows below its file list.
enum class State {
    report,         // the removal ran; its outcome
    inUse,          // the application is open
    adminInstalled, // only an administrator's password releases it
    ready,          // one press moves it all onto the shelf
};

State state(const ScanItem& item, const std::optional<CleanReport>& report);

// The application's name, else the removed application's name, else the file's name.
std::string displayName(const ScanItem& item);
// "Remove <name>?" for an application, "Clean up after <name>?" for what one left behind.
std::string title(const ScanItem& item);
std::string subtitle(const ScanItem& item);

// The files that go, as the user reads their places: the first seven, then
// "and <n> more" when there are others.
struct FileList {
    std::vector<std::string> paths;
    std::optional<std::string> more;
};
FileList files(const ScanItem& item, const std::string& home);

// The sentence of the state; `shelfDays` is the shelf's hold.
std::string message(const ScanItem& item, const std::optional<CleanReport>& report, int shelfDays);
// The primary button of the ready state.
std::string moveTitle(const ScanItem& item);

} // namespace kelvora::UninstallText
