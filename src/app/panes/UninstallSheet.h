#pragma once

#include "model/ScanItem.h"
#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the uninstall sheet until it is drawn.
class UninstallSheet : public QWidget {
    Q_OBJECT

public:
    explicit UninstallSheet(AppModel& model, const ScanItem& item, QWidget* parent = nullptr);
};

} // namespace kelvora
