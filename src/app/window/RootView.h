#pragma once

#ifndef Q_MOC_RUN
#include "controller/AppModel.h"
#endif

#include "design/Focus.h"
#include "window/SheetOverlay.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

namespace kelvora {

class HeaderBar;

// The content of the main window. It shows the first-run welcome, or the header bar above
// the simple or the detailed view, and answers the controller's flags: the free-up and
// empty-shelf confirmations and the "Undo Shelf" alert as window-modal message boxes, the
// System Data explanation, the uninstall sheet and the receipt sheet as overlays that dim
// the window. The whole window takes dropped applications, to remove them with their
// leftovers, as it takes applications opened with Kelvora.
class RootView : public QWidget {
    Q_OBJECT

public:
    // The welcome opens at `welcomeStep` (0 to 2) whenever it is shown.
    RootView(AppModel& model, int welcomeStep, QWidget* parent = nullptr);

    static constexpr int kWelcomeTop = 52;

    QWidget* welcome() const { return welcome_; }
    HeaderBar* header() const { return header_; }
    // The simple or the detailed view; none while the welcome shows.
    QWidget* mainView() const { return mainView_; }
    SheetOverlay* systemDataSheet() const { return systemData_; }
    SheetOverlay* uninstallSheet() const { return uninstall_; }
    SheetOverlay* receiptSheet() const { return receipt_; }
    QMessageBox* freeUpConfirmation() const { return freeUpBox_; }
    QMessageBox* emptyShelfConfirmation() const { return emptyShelfBox_; }
    QMessageBox* shelfAlert() const { return alertBox_; }
    bool dropTargeted() const { return dropTargeted_; }
    // Texts and symbols inside that draw no colour of their own take the ink of the
    // appearance in force now.
    void applyForeground();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void refresh();
    void showWelcomeOrWork();
    void showMainView();
    void showSheets();
    void showDialogs();
    void setDropTargeted(bool on);
    void placeLayers();
    // Puts up a sheet, or takes it down when `make` gives none; `same` tells whether the
    // sheet up now still shows what the controller asks for. Escape calls `close`.
    void showSheet(QPointer<SheetOverlay>& slot, bool wanted, bool same,
                   const std::function<QWidget*()>& make, std::function<void()> close);
    // To the control that opened the closed sheet, else into the main view.
    void handFocusBack();
    // Into the main view's first list or control; the header's mode switch when it has none,
    // and `later` the view's first control once it shows one.
    void enterMainView(bool later = false);
    void enterWhenReady();

    AppModel& model_;
    int welcomeStep_;
    QPointer<QWidget> welcome_;
    QWidget* work_ = nullptr;
    HeaderBar* header_ = nullptr;
    QPointer<QWidget> mainView_;
    // What holds the main view in the window: the scroll frame of the simple view, or the
    // detailed view itself.
    QPointer<QWidget> mainFrame_;
    std::optional<AppModel::ViewMode> shownMode_;
    DropOverlay* dropOverlay_;
    bool dropTargeted_ = false;

    QPointer<SheetOverlay> systemData_;
    QPointer<SheetOverlay> uninstall_;
    std::optional<ScanItem> uninstallItem_;
    QPointer<SheetOverlay> receipt_;
    std::optional<Receipt> receiptShown_;
    bool sheetClosed_ = false;
    QPointer<QWidget> handBackTo_;

    // What holds the keyboard until the main view shows a control, and how it came there.
    struct StandIn {
        QPointer<QWidget> control;
        Focus::Input how = Focus::Input::none;
    } standIn_;

    QPointer<QMessageBox> freeUpBox_;
    QPointer<QMessageBox> emptyShelfBox_;
    QPointer<QMessageBox> alertBox_;
};

} // namespace kelvora
