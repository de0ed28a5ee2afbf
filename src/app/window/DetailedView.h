#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;
class PickFooter;

// What the detailed view's main column shows; the tools win over the scan flow, in this
// order.
enum class DetailedPane {
    search,
    photos,
    loginItems,
    spaceMap,
    shelf,
    scanning,
    done,
    category,
    overview
};
DetailedPane detailedPane(const AppModel& model);
// The pick footer sits under the lists while there is a result to pick from: not while
// scanning, not after a clean-up, never under a tool.
bool showsPickFooter(const AppModel& model);

// The second mode of the window: the sidebar, a hairline, and the main column with the
// pane the controller asks for and the pick footer under it; a hairline along the top
// parts it from the header. A pane the keyboard opens takes the keyboard into its first
// list or control.
class DetailedView : public QWidget {
    Q_OBJECT

public:
    explicit DetailedView(AppModel& model, QWidget* parent = nullptr);

    DetailedPane pane() const { return pane_; }
    QWidget* paneWidget() const { return paneWidget_; }
    QWidget* sidebar() const { return sidebar_; }
    PickFooter* pickFooter() const { return footer_; }

    // The space map pane draws at most this many tiles here.
    static constexpr int kMapTiles = 28;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    QWidget* makePane(DetailedPane pane);
    void enterPane();

    AppModel& model_;
    QWidget* sidebar_;
    QWidget* column_;
    QWidget* topRule_;
    PickFooter* footer_;
    QWidget* paneWidget_ = nullptr;
    DetailedPane pane_ = DetailedPane::overview;
};

} // namespace kelvora
