#pragma once

#include <QObject>
#include <QRect>

#include <functional>

class QSystemTrayIcon;

namespace kelvora {

class AppModel;
class MenuBarModel;
class MenuBarView;

// The menu bar extra of this desktop: an icon in the system tray whose click drops down the
// popup, shown while the "showMenuBar" setting is on. Where the desktop has no tray the
// icon cannot show, and the application behaves as if the setting were off: closing its
// last window quits it.
class MenuBarExtra : public QObject {
    Q_OBJECT

public:
    // `openWindow` shows the main window again and brings the application to the front.
    MenuBarExtra(MenuBarModel& menu, AppModel& app, std::function<void()> openWindow,
                 QObject* parent = nullptr);
    ~MenuBarExtra() override;

    // Shows or hides the icon as the setting now says.
    void follow();
    // Closing the last window leaves the application running in the tray.
    static bool keepsRunning();
    // From now on the application quits with its last window unless it keeps running.
    void quitWithLastWindow();

    // Refreshes the model and drops the popup down beside the icon.
    void openPopup();

    // Where a popup of `size` goes for an icon at `anchor` on a screen whose free area is
    // `area`: below the icon when it sits in the upper half, above it otherwise, centred on
    // it, and moved in to lie wholly inside the area on every edge (from its top left
    // corner when it is larger than the area).
    static QRect popupPlace(const QRect& anchor, const QRect& area, const QSize& size);

    QSystemTrayIcon* icon() const { return icon_; }
    MenuBarView* popup() const { return popup_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    MenuBarModel& menu_;
    std::function<void()> openWindow_;
    QSystemTrayIcon* icon_;
    MenuBarView* popup_; // a window of its own, deleted with this
};

} // namespace kelvora
