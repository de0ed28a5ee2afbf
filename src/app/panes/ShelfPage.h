#pragma once

#include "controller/AppModel.h"
#include "design/PaintedRows.h"
#include "panes/ShelfLayout.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace kelvora {

class AppModel;
class DaysLeft;
class SignalButton;
class SpinnerClock;
class TextLinkButton;

// The content of the Undo Shelf pane, at its full height: the summary card, then the empty
// state or one card per clean-up. It paints from its layout and only the rows in view; the
// entries' "Put back" buttons are painted and answer clicks on their place (and, on the row
// the keyboard is on, Space and Return), while the few controls of the summary and the
// section headers are real buttons. To assistive technology its painted parts are rows:
// the summary, the empty state, each clean-up's header and each entry with its "Put back".
class ShelfPage : public QWidget, public PaintedRows {
    Q_OBJECT

public:
    explicit ShelfPage(AppModel& model, QWidget* parent = nullptr);

    // Reads the controller again; lays out anew only when what it shows has changed.
    void refresh();
    const ShelfLayout& layout() const { return layout_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

    int paintedRowCount() const override { return rowCount_; }
    PaintedRow paintedRow(int row) const override;
    QRect paintedRowRect(int row) const override;
    int paintedRowAt(const QPoint& point) const override;
    void actOnRow(int row, const QString& action) override;

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
    // What a painted row is: the summary, the empty state, a clean-up's header or an entry.
    struct RowPlace {
        enum class Kind { summary, empty, header, entry };
        Kind kind = Kind::summary;
        ShelfLayout::Place place; // the section, and the entry of an entry's row
    };
    RowPlace placeOf(int row) const;
    int rowOf(ShelfLayout::Place place) const;
    void countRows();

    void relayout();
    void placeControls();
    // While the shelf works in the background its buttons take no presses, and the one of
    // the running work turns its spinner: "Free … now" while emptying, the "Put back" or
    // "Put all back" that was pressed while putting back.
    void showBusy(AppModel::ShelfWork work);
    bool spinsOn(const std::string& sweep, const std::string* entry) const;
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
    AppModel::ShelfWork work_ = AppModel::ShelfWork::none;
    // The clean-up, and its entry unless all of it goes, that this page asked to put back.
    struct PuttingBack {
        std::string sweep;
        std::optional<std::string> entry;
    };
    std::optional<PuttingBack> puttingBack_;
    SpinnerClock* spinner_;
    std::vector<int> headerRows_; // the painted row of each clean-up's header
    int rowCount_ = 0;
    mutable std::optional<std::pair<int, int>> heightCache_; // width, height
};

} // namespace kelvora
