#include "onboarding/AccessNote.h"

#include "catalog/Catalog.h"
#include "controller/Permissions.h"

#include <QStringList>

namespace kelvora::AccessNote {

QString text(const std::vector<std::string>& closedFolders, const Catalog& catalog) {
    const QString lead = "This computer has no Full Disk Access list to switch: Kelvora reads "
                         "what your account may open";
    if (closedFolders.empty()) return lead + ", and every folder it looks in is open to it now.";
    QStringList shown;
    for (const auto& folder : closedFolders)
        shown << QString::fromStdString(catalog.homeRelativePath(folder));
    return lead +
           ". These folders are closed to it now; make sure they belong to you and that "
           "you may open them (ls -ld shows both): " +
           shown.join(", ") + ".";
}

QString current(const Catalog& catalog) {
    return text(Permissions::closedFolders(), catalog);
}

std::optional<QString> follow(const std::optional<QString>& shown, bool granted,
                              const Catalog& catalog) {
    if (!shown || granted) return shown;
    return current(catalog);
}

} // namespace kelvora::AccessNote
