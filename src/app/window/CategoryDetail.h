#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for one category's list with its inspector until it is drawn.
class CategoryDetail : public QWidget {
    Q_OBJECT

public:
    explicit CategoryDetail(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
