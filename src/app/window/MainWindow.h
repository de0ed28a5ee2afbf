#pragma once

#include <QMainWindow>

class QAction;
class QLabel;
class QPushButton;

namespace kelvora {

class AppModel;
class Updater;

// The single main window. Until the window's own views exist it shows the controller's
// state in plain text; it carries the menu commands and takes dropped applications.
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

    // The support address the "Contact Support…" command writes to.
    static QString supportMailURL();

signals:
    void settingsRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void refresh();

    AppModel& model_;
    Updater& updater_;
    QLabel* state_ = nullptr;
    QPushButton* continueButton_ = nullptr;
    QAction* checkForUpdates_ = nullptr;
    QAction* settings_ = nullptr;
    QAction* checkAgain_ = nullptr;
    QAction* showWelcome_ = nullptr;
    QAction* systemData_ = nullptr;
    QAction* contactSupport_ = nullptr;
};

// The controller's state in a few plain lines.
QString describeState(const AppModel& model);

} // namespace kelvora
