#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the similar photos pane until it is drawn.
class SimilarPhotosView : public QWidget {
    Q_OBJECT

public:
    explicit SimilarPhotosView(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
