#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QRect>
#include <QSize>

class QAction;
class QScreen;

namespace kelvora {

class AppModel;
class RootView;
class Updater;

// The single main window: the window root as its content, and the menu commands.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(AppModel& model, Updater& updater, QWidget* parent = nullptr);

    QAction* checkForUpdatesAction() const { return checkForUpdates_; }
    QAction* checkAgainAction() const { return checkAgain_; }
    QAction* showWelcomeAction() const { return showWelcome_; }
    QAction* systemDataAction() const { return systemData_; }
    QAction* contactSupportAction() const { return contactSupport_; }
    QAction* settingsAction() const { return settings_; }
    RootView* root() const { return root_; }

    // The support address the "Contact Support…" command writes to.
    static QString supportMailURL();

    static constexpr QSize kDefaultSize{1280, 820};
    static constexpr QSize kSmallestSize{1100, 720};
    // The size the window opens at on a screen whose free area (less panels and docks) is
    // `available`: the default size held inside it, never below the smallest window.
    static QSize firstSize(const QSize& available);

signals:
    void settingsRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildMenus();
    void refresh();

    AppModel& model_;
    Updater& updater_;
    RootView* root_ = nullptr;
    QAction* checkForUpdates_ = nullptr;
    QAction* settings_ = nullptr;
    QAction* checkAgain_ = nullptr;
    QAction* showWelcome_ = nullptr;
    QAction* systemData_ = nullptr;
    QAction* contactSupport_ = nullptr;
};

} // namespace kelvora
