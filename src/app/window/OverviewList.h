#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the overview of every category until it is drawn.
class OverviewList : public QWidget {
    Q_OBJECT

public:
    explicit OverviewList(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
