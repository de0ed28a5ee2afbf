#include "onboarding/AccessNote.h"

#include "catalog/Catalog.h"

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

} // namespace kelvora::AccessNote
