#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the search pane until it is drawn.
class SearchView : public QWidget {
    Q_OBJECT

public:
    explicit SearchView(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
