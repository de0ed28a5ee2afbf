#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "design/TextFlow.h"
#include "window/FooterContent.h"
#endif

#include <QRectF>
#include <QWidget>

namespace kelvora {

class AppModel;
class SignalButton;

// Where the parts of a pick footer `width` wide go: the button at the right, and left of it
// the count line over the shelf note, the pair centred on the footer's height. The note
// wraps onto a second line where one is too short for it (in the smallest window), so it
// is never cut; the count line is one line, cut short at its end where it is too long.
struct PickFooterLayout {
    QRectF button;
    QRectF countLine;
    QString count; // the count line as it fits
    PlacedText note;

    static PickFooterLayout of(const FooterContent& content, qreal width);
};

// The bar under the overview and the category lists: how many items are picked out of
// those that could be, what they free, what happens to them, and the button that asks for
// the clean-up (the window's confirmation does the rest).
class PickFooter : public QWidget {
    Q_OBJECT

public:
    explicit PickFooter(AppModel& model, QWidget* parent = nullptr);

    static constexpr int kHeight = 68;

    const FooterContent& content() const { return content_; }
    const PickFooterLayout& placed() const { return placed_; }
    SignalButton* button() const { return button_; }

    void refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    AppModel& model_;
    FooterContent content_;
    PickFooterLayout placed_;
    SignalButton* button_;
};

} // namespace kelvora
