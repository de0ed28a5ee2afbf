#include "onboarding/AccessNote.h"

#include "catalog/Catalog.h"
#include "controller/AppModel.h"
#include "platform/Url.h"

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

QString named(const std::vector<std::string>& closedFolders, const std::string& home) {
    QStringList names;
    for (const auto& folder : closedFolders) {
        const std::string name = lastComponent(folder);
        const bool trash =
            name == ".Trash" || (name == "files" && lastComponent(parentPath(folder)) == "Trash");
        const QString shown = trash ? QString("the Trash")
                              : standardizedPath(folder) == standardizedPath(home)
                                  ? QString("your home folder")
                                  : QString::fromStdString(name);
        if (!names.contains(shown)) names << shown;
    }
    if (names.size() < 2) return names.join("");
    const QString last = names.takeLast();
    return names.join(", ") + " and " + last;
}

QString check() {
    return "Make sure each belongs to you and that you may open it: ls -ld shows both, and "
           "chown or chmod u+rwx puts them right.";
}

} // namespace kelvora::AccessNote
