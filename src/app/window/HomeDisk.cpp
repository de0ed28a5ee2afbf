#include "window/HomeDisk.h"

#include <QStorageInfo>

namespace kelvora::HomeDisk {

namespace {
constexpr const char* kUnnamed = "Home disk";
}

std::string label(const std::string& home, bool forPicture) {
    if (forPicture) return kUnnamed;
    static const std::string read = [&] {
        QString name = QStorageInfo(QString::fromStdString(home)).name().trimmed();
        return name.isEmpty() ? std::string(kUnnamed) : name.toStdString();
    }();
    return read;
}

} // namespace kelvora::HomeDisk
