#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "controller/SettingsStore.h"
#include "onboarding/SettingsLayout.h"
#endif

#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;

namespace kelvora {

class AppModel;
class ChoiceButton;
class OutlineButton;
class RemoveButton;
class Scrolling;
class SegmentedControl;
class SettingsNoticeBar;
class SettingsPage;
class SpokenText;
class SwitchButton;
class TextLinkButton;

// The settings window's content: the ages and holds that steer the scan and the Undo Shelf,
// the helper that empties the shelf while the window is closed, the folders no scan may
// touch, the scheduled clean, the menu bar extra and the appearance. Every change is
// written to the settings at once; the appearance, the helper and the menu bar extra also
// change at once, the rest at the next scan. Every control shows what the file holds, as
// the controller read it back: a change that was not saved shows as it was, and says why.
// Tab goes down the column as it reads, and a window opened from the keyboard starts with the
// keyboard on its first control. Escape and Ctrl+W close the window. The window opens at its
// default size held inside the screen's free area and stays there; a shorter window scrolls
// its column. Assistive technology reads the never-touch list's explanation and its rows.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    // What the window reaches outside the settings file, each with a live default.
    struct Services {
        std::function<ShelfSweeper::Status()> helperStatus;
        // Nothing on success, else the reason.
        std::function<std::optional<std::string>(bool on)> setHelper;
        // The paths the user chose, in the order chosen; none when cancelled.
        std::function<std::optional<QStringList>(QWidget* parent)> chooseFiles;
        std::function<void()> applyAppearance;
        std::function<void()> openLoginItems;

        static Services live();
    };

    // The smallest window: as wide as the column is drawn, and a few sections tall.
    static constexpr QSize kSmallestSize{static_cast<int>(SettingsLayout::kWidth), 400};

    explicit SettingsView(AppModel& model, QWidget* parent = nullptr);
    SettingsView(AppModel& model, Services services, QWidget* parent = nullptr);

    const SettingsState& state() const { return state_; }
    const SettingsLayout& layout() const;
    SettingsPage* page() const { return page_; }
    // Above the column; hidden while there is nothing to say about the settings file.
    SettingsNoticeBar* noticeBar() const { return notice_; }
    Scrolling* scrolling() const { return scrolling_; }

    QSize sizeHint() const override;

    // Shows the settings as the controller holds them now.
    void reread();

signals:
    void showMenuBarChanged(bool shown);
    // "Show the welcome again" was pressed: the host closes this window.
    void welcomeShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void apply();
    void placeControls();
    // The controls of the column from top to bottom, and left to right along a row.
    std::vector<QWidget*> controlsInOrder() const;
    void rebuildRemoveButtons();
    void sayNeverTouch();

    // Hands a write to the controller, which reads the file back; false when not saved.
    bool saved(const SettingsStore::Write& write);
    void choose(SettingsText::Choice which, int value);
    void flip(SettingsLayout::Switch which);
    void chooseAppearance(int index);
    void setHelper(bool on);
    void add();
    void remove(const std::string& path);

    AppModel& model_;
    Services services_;
    SettingsState state_;
    Scrolling* scrolling_;
    SettingsNoticeBar* notice_;
    SettingsPage* page_;
    std::map<SettingsText::Choice, ChoiceButton*> choices_;
    std::map<SettingsLayout::Switch, SwitchButton*> switches_;
    SegmentedControl* appearance_;
    SpokenText* neverTouchNote_;
    SpokenText* neverTouchList_;
    OutlineButton* add_;
    OutlineButton* showWelcome_;
    TextLinkButton* openLoginItems_;
    std::vector<RemoveButton*> removeButtons_;
};

// Says what went wrong with the settings file, above the column.
class SettingsNoticeBar : public QWidget {
    Q_OBJECT

public:
    explicit SettingsNoticeBar(const SettingsState& state, QWidget* parent = nullptr);

    const std::optional<SettingsBanner>& banner() const { return banner_; }
    // Lays out anew for the state and the current width, and shows itself only with a notice.
    void relayout();

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const SettingsState& state_;
    std::optional<SettingsBanner> banner_;
};

// The scrolled column of the settings window: paints the texts and the list box of its
// layout; the controls are its children.
class SettingsPage : public QWidget {
    Q_OBJECT

public:
    explicit SettingsPage(const SettingsState& state, QWidget* parent = nullptr);

    const SettingsLayout& layout() const { return layout_; }
    // Lays out anew for the state and the current width.
    void relayout();

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

signals:
    void laidOut();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    const SettingsState& state_;
    SettingsLayout layout_;
};

} // namespace kelvora
