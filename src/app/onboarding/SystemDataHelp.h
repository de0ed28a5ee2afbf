#pragma once

#include <QWidget>

#include <functional>

namespace kelvora {

// A plain placeholder for the System Data explanation until it is drawn.
class SystemDataHelp : public QWidget {
    Q_OBJECT

public:
    explicit SystemDataHelp(std::function<void()> close, QWidget* parent = nullptr);
};

} // namespace kelvora
