#include "panes/UninstallSheet.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

UninstallSheet::UninstallSheet(AppModel&, const ScanItem&, QWidget* parent) : QWidget(parent) {
    setObjectName("UninstallSheet");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Uninstall", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
