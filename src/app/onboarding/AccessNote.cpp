#include "onboarding/AccessNote.h"

#include "catalog/Catalog.h"
#include "controller/AppModel.h"

#include <QStringList>

namespace kelvora::AccessNote {

QString closed(const std::vector<std::string>& closedFolders, const Catalog& catalog) {
    if (closedFolders.empty()) return "Every folder Kelvora looks in is open to it now.";
    QStringList shown;
    for (const auto& folder : closedFolders)
        shown << QString::fromStdString(catalog.homeRelativePath(folder));
    return "Closed to Kelvora now: " + shown.join(", ") + ".";
}

QString current(const AppModel& model) {
    return closed(model.closedFolders(), model.catalog());
}

QString check() {
    return "Make sure each belongs to you and that you may open it: ls -ld shows both, and "
           "chown or chmod u+rwx puts them right.";
}

} // namespace kelvora::AccessNote
