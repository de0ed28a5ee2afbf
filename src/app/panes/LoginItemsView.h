#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "login/LoginItem.h"
#endif

#include <QWidget>

class QStackedLayout;

namespace kelvora {

class AppModel;
class LoginItemInspector;
class LoginItemsHeader;
class LoginItemsList;
class Scrolling;

// The login items pane: a header with the counts, the desktop's settings of what starts and
// "Refresh"; the sections of what starts at login or runs in the background, each row with
// its state and one button; and the inspector of the selected item on the right. It keeps
// nothing of its own: the list, the selection and the error are the controller's, which
// loads the list when the pane opens.
class LoginItemsView : public QWidget {
    Q_OBJECT

public:
    explicit LoginItemsView(AppModel& model, QWidget* parent = nullptr);

    // Does what the item's one button says: remove a leftover, turn it on or off, or send
    // the user to the system's settings.
    static void perform(AppModel& model, const LoginItem& item);
    // Opens the desktop's settings of what starts at login, or the autostart folder.
    static void openSettings(AppModel& model);

    LoginItemsList* list() const { return list_; }
    LoginItemInspector* inspector() const { return inspector_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    AppModel& model_;
    LoginItemsHeader* header_;
    QStackedLayout* content_;
    QWidget* loading_;
    Scrolling* scrolling_;
    LoginItemsList* list_;
    LoginItemInspector* inspector_;
};

} // namespace kelvora
