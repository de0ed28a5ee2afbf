#pragma once

#include "design/RollingNumber.h"
#include "window/SimpleLayout.h"
#include "window/SimpleState.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <utility>

class QVariantAnimation;

namespace kelvora {

class AccessPoll;
class AppModel;
class DialView;
class ForecastLine;
class SignalButton;
class SpinnerClock;
class TextLinkButton;
class TileView;

// The one-screen view of the window: the disk dial with the free space, a summary of what
// the app is doing and what its one button will do, four tiles of the categories it cleans
// by default, and a footnote of what else it found. It keeps nothing of its own: at every
// change of the controller it works its state out again (SimpleState) and lays it out
// (SimpleLayout); its buttons only set the controller's flags or call its operations.
// "Clean up" answers Return while something is picked and ready to clean.
class SimpleView : public QWidget {
    Q_OBJECT

public:
    explicit SimpleView(AppModel& model, QWidget* parent = nullptr);

    const SimpleState& state() const { return state_; }
    const SimpleLayout& currentLayout() const { return layout_; }

    QSize sizeHint() const override { return {1280, 768}; }
    // The height everything needs at a width, with the bottom margin: a shorter frame
    // scrolls the view instead of cutting its last lines off.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void watchAccess(bool wanted);
    std::string readAccessNote() const;
    void apply(SimpleState state);
    void arrange();
    void followMeter(double fraction);
    void openDetailed(std::optional<JunkKind> category, bool shelf);

    void paintDialRegion(QPainter& painter) const;
    void paintSummary(QPainter& painter) const;
    void paintFootnote(QPainter& painter) const;

    AppModel& model_;
    SimpleState state_;
    SimpleLayout layout_;
    bool applied_ = false;
    // The height needed at the width laid out last: a scroll area asks for it often.
    std::pair<int, int> neededHeight_{-1, 0};

    DialView* dial_;
    ForecastLine* forecast_;
    SignalButton* clean_;
    TextLinkButton* seeInside_;
    SignalButton* freeNow_;
    TextLinkButton* openShelf_;
    TextLinkButton* shareReceipt_;
    TextLinkButton* review_;
    TextLinkButton* allowMail_;
    std::array<TileView*, 4> tiles_{};
    RollingNumber freeSpace_{this};

    QPointer<AccessPoll> accessPoll_;
    std::string accessNote_;

    SpinnerClock* spinner_;
    double meterShown_ = 0;
    QPointer<QVariantAnimation> meterAnimation_;
};

} // namespace kelvora
