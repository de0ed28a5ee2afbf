#pragma once

#include "menubar/MenuBarLayout.h"

#include <QWidget>

namespace kelvora {

class AppModel;
class DialView;
class MenuBarModel;
class OutlineButton;
class SignalButton;
class SpinnerClock;
class TextLinkButton;

// The menu bar popup's content: how full the disk is and how long until it is full, the
// quick clean of app caches, the notice about an application removed elsewhere, and the
// ways into the window and out of the application. Fixed at 300 wide, as tall as its
// content. It acts only through the two models; opening the window and quitting are asked
// of whoever hosts it.
class MenuBarView : public QWidget {
    Q_OBJECT

public:
    MenuBarView(MenuBarModel& menu, AppModel& app, QWidget* parent = nullptr);

    const MenuBarLayout& layout() const { return layout_; }
    DialView* dial() const { return dial_; }

    QSize sizeHint() const override;

signals:
    void openRequested();
    void quitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void place(QWidget* widget, const std::optional<QRectF>& rect);

    MenuBarModel& menu_;
    AppModel& app_;
    std::optional<MenuBarInput> input_;
    MenuBarLayout layout_;
    DialView* dial_;
    SignalButton* signal_;
    OutlineButton* review_;
    TextLinkButton* dismiss_;
    TextLinkButton* open_;
    TextLinkButton* quit_;
    SpinnerClock* spinner_;
};

} // namespace kelvora
