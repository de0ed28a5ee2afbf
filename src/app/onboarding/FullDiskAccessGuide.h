#pragma once

#include <QString>
#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the guide to reading private folders until it is drawn.
class FullDiskAccessGuide : public QWidget {
    Q_OBJECT

public:
    explicit FullDiskAccessGuide(AppModel& model, const QString& unlocks,
                                 QWidget* parent = nullptr);
};

} // namespace kelvora
