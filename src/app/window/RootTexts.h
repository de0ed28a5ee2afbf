#pragma once

#ifndef Q_MOC_RUN
#include "controller/AppModel.h"
#endif

#include <optional>
#include <string>
#include <vector>

namespace kelvora::RootTexts {

// What a confirmation of the window root says and offers.
struct Confirmation {
    std::string title;
    std::string message; // may be empty
    std::string confirm; // the title of the button that acts
    bool operator==(const Confirmation&) const = default;
};

// The days a clean-up stays on the shelf, as the controller's texts say it.
int shelfDays(const AppModel& model);

// "Clean up 12.6 GB", or "Clean up" before there is a result, with what it will do.
Confirmation freeUp(const AppModel& model);
// "Empty the Undo Shelf?", offering "Free <size> now".
Confirmation emptyShelf(const AppModel& model);
inline constexpr const char* kShelfAlertTitle = "Undo Shelf";

// The header's shelf button: shown only while the shelf holds a byte or more.
bool showsShelfButton(const AppModel& model);
std::string shelfButtonTitle(int64_t shelfBytes);
// "Check again" waits while a scan or a clean-up runs.
bool canCheckAgain(const AppModel& model);

// The application a drop asks to remove: only the first dropped item counts, and only an
// application bundle (extension exactly "app"), an AppImage or a menu entry (".desktop").
std::optional<URL> droppedApplication(const std::vector<URL>& dropped);
inline constexpr const char* kDropLabel = "Drop an app to remove it with its leftovers";

} // namespace kelvora::RootTexts
