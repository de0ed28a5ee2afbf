#pragma once

#include <QPointer>
#include <QWidget>

namespace kelvora {

class Scrolling;

// The card every sheet is drawn on: its body above its foot, the row of buttons. Given less
// height than it asks for (a short window), the body scrolls and the foot stays where it is
// at the bottom, so the buttons are never cut off. The body starts at the card's top and the
// foot follows it, so at full height a sheet looks as one piece. The card is `ground` with a
// 1 px `line` border; body and foot draw only their content on it. Assistive technology
// hears a dialog, under the name the sheet gives itself.
//
//     class Help : public SheetFrame {
//         Help() { setParts(new HelpText, new HelpButtons); }
//     };
class SheetFrame : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal kRadius = 14;

    QWidget* body() const { return body_; }
    QWidget* foot() const { return foot_; }
    Scrolling* scrolling() const { return scrolling_; }

    // As wide as the wider part, as tall as both.
    QSize sizeHint() const override;
    // The foot and a little of the body.
    QSize minimumSizeHint() const override;

protected:
    explicit SheetFrame(QWidget* parent = nullptr);
    // Called once by the sheet; the frame owns both. Each part is sized by its size hint
    // (or its fixed size) and tells the frame of a change by resizing.
    void setParts(QWidget* body, QWidget* foot);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();

    Scrolling* scrolling_;
    QPointer<QWidget> body_;
    QPointer<QWidget> foot_;
};

} // namespace kelvora
