#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "window/FooterContent.h"
#endif

#include <QWidget>

namespace kelvora {

class AppModel;
class SignalButton;

// The bar under the overview and the category lists: how many items are picked out of
// those that could be, what they free, what happens to them, and the button that asks for
// the clean-up (the window's confirmation does the rest).
class PickFooter : public QWidget {
    Q_OBJECT

public:
    explicit PickFooter(AppModel& model, QWidget* parent = nullptr);

    static constexpr int kHeight = 68;

    const FooterContent& content() const { return content_; }
    SignalButton* button() const { return button_; }

    void refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButton();

    AppModel& model_;
    FooterContent content_;
    SignalButton* button_;
};

} // namespace kelvora
