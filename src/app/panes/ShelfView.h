#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the Undo Shelf pane until it is drawn.
class ShelfView : public QWidget {
    Q_OBJECT

public:
    explicit ShelfView(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
