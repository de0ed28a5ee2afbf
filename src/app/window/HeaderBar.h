#pragma once

#include <QRectF>
#include <QWidget>

#include <optional>

namespace kelvora {

class AppModel;
class ModeSwitch;
class OutlineButton;

// The bar across the top of the working window: the mode switch in the middle of the
// window, and at the right the Undo Shelf button (while the shelf holds anything) and
// "Check again".
class HeaderBar : public QWidget {
    Q_OBJECT

public:
    explicit HeaderBar(AppModel& model, QWidget* parent = nullptr);

    static constexpr qreal kHeight = 52;
    static constexpr qreal kEdge = 18;
    static constexpr qreal kLeftSpace = 80 + 230;
    static constexpr qreal kButtonGroup = 310;
    static constexpr qreal kButtonGap = 8;
    static constexpr qreal kButtonHeight = 32;
    static constexpr qreal kButtonFont = 13;

    struct Layout {
        QRectF modeSwitch;
        std::optional<QRectF> shelfButton;
        QRectF checkAgain;
    };
    // Where everything sits in a bar of `width`: the fixed spaces left of the switch match
    // the button group's width, so the switch stays at the middle of the window.
    static Layout layout(qreal width, QSizeF switchSize, std::optional<qreal> shelfButtonWidth,
                         qreal checkAgainWidth);

    ModeSwitch* modeSwitch() const { return modeSwitch_; }
    OutlineButton* shelfButton() const { return shelfButton_; }
    OutlineButton* checkAgainButton() const { return checkAgain_; }

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void place();

    // What the buttons show now, so a change of anything else moves nothing.
    struct Shown {
        bool showsShelf = false;
        QString shelfTitle;
        bool checkAgainEnabled = true;
    };

    AppModel& model_;
    std::optional<Shown> shown_;
    ModeSwitch* modeSwitch_;
    OutlineButton* shelfButton_;
    OutlineButton* checkAgain_;
};

} // namespace kelvora
