#include "window/RootTexts.h"

#include "model/Format.h"
#include "panes/Copy.h"
#include "window/AppEvents.h"

namespace kelvora::RootTexts {

int shelfDays(const AppModel& model) {
    const Catalog& catalog = model.catalog();
    return catalog.settings ? catalog.settings().shelfDays : Catalog::Settings{}.shelfDays;
}

Confirmation freeUp(const AppModel& model) {
    const ScanResult* result = model.result();
    std::string title = "Clean up";
    if (result) title += " " + Format::size(model.picks().pickedBytes(*result));
    return {title, Copy::confirmMessage(result, model.picks(), shelfDays(model)), title};
}

Confirmation emptyShelf(const AppModel& model) {
    return {"Empty the Undo Shelf?",
            "Everything on the shelf is removed for good and its space frees up now. You won’t "
            "be able to put any of it back.",
            "Free " + Format::size(model.shelfBytes()) + " now"};
}

bool showsShelfButton(const AppModel& model) {
    return model.shelfBytes() >= 1;
}

std::string shelfButtonTitle(int64_t shelfBytes) {
    return "Undo Shelf · " + Format::size(shelfBytes);
}

bool canCheckAgain(const AppModel& model) {
    return model.phase().is(AppModel::Phase::Kind::ready) ||
           model.phase().is(AppModel::Phase::Kind::done);
}

std::optional<URL> droppedApplication(const std::vector<URL>& dropped) {
    if (dropped.empty() || !dropped.front().isFileURL()) return std::nullopt;
    if (!isApplicationFile(dropped.front())) return std::nullopt;
    return dropped.front();
}

} // namespace kelvora::RootTexts
