#pragma once

#include "panes/ShelfLayout.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace kelvora {

class AppModel;
class DaysLeft;
class SignalButton;
class TextLinkButton;

// The content of the Undo Shelf pane, at its full height: the summary card, then the empty
// state or one card per clean-up. It paints from its layout and only the rows in view; the
// entries' "Put back" buttons are painted and answer clicks on their place, while the few
// controls of the summary and the section headers are real buttons.
class ShelfPage : public QWidget {
    Q_OBJECT

public:
    explicit ShelfPage(AppModel& model, QWidget* parent = nullptr);

    // Reads the controller again; lays out anew only when what it shows has changed.
    void refresh();
    const ShelfLayout& layout() const { return layout_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    struct SectionControls {
        DaysLeft* bar;
        TextLinkButton* putAllBack;
    };

    void relayout();
    void placeControls();
    // While the shelf works in the background its buttons say so and take no presses.
    void showBusy(bool busy);
    void putBack(ShelfLayout::Place place);
    void putAllBack(size_t section);
    void paintSummary(QPainter& painter) const;
    void paintEmpty(QPainter& painter) const;
    void paintSection(QPainter& painter, const ShelfLayout::Section& section,
                      const QRectF& area) const;
    void paintRow(QPainter& painter, const ShelfLayout::Section& section, int index) const;

    AppModel& model_;
    ShelfInput input_;
    ShelfLayout layout_;
    SignalButton* free_;
    std::vector<SectionControls> controls_;
    std::optional<ShelfLayout::Place> pressed_;
    bool busy_ = false;
    mutable std::optional<std::pair<int, int>> heightCache_; // width, height
};

} // namespace kelvora
