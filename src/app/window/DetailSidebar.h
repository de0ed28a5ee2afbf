#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "design/PaintedRows.h"
#include "window/SidebarContent.h"
#endif

#include <QRect>
#include <QString>
#include <QWidget>

#include <utility>
#include <vector>

namespace kelvora {

class AppModel;
class Scrolling;

// The sidebar's rows and their group labels, painted. To the keyboard it is one stop of
// Tab: the arrows (Home and End too) move between the rows, Return or Space opens the row
// as a click does, and the row the keyboard is on wears the ring. Assistive technology
// hears a list of items, each with its figure, whether it is selected, and "Open".
class SidebarList : public QWidget, public PaintedRows {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 32;
    // The least a row gives way to in a column too short for every row at full height.
    static constexpr int kTightRowHeight = 28;
    static inline const QString kOpen = QStringLiteral("Open");

    explicit SidebarList(QWidget* parent = nullptr);

    const std::vector<Sidebar::Row>& rows() const { return rows_; }
    void setRows(std::vector<Sidebar::Row> rows, std::vector<QRect> places,
                 std::vector<std::pair<QRectF, QString>> captions);
    // Where a row lies in this list; empty for one not listed.
    QRect rowRect(Sidebar::Destination destination,
                  std::optional<JunkKind> kind = std::nullopt) const;

    static void paintRow(QPainter& painter, const QRectF& rect, const Sidebar::Row& row);
    // The title as a row of `width` shows it: whole, unless even beside its figure with only
    // a stack gap between them it does not fit, then cut short with an ellipsis.
    static QString shownTitle(const Sidebar::Row& row, qreal width);

    int paintedRowCount() const override { return static_cast<int>(rows_.size()); }
    PaintedRow paintedRow(int row) const override;
    QRect paintedRowRect(int row) const override;
    void actOnRow(int row, const QString& action) override;

    QSize sizeHint() const override { return minimumSize(); }

signals:
    void opened(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::vector<Sidebar::Row> rows_;
    std::vector<QRect> places_;
    std::vector<std::pair<QRectF, QString>> captions_;
};

// The detailed view's left column: the overview, every listed category and the tools, each
// with its figure, so it doubles as a running tally of the scan; and at its foot the disk,
// how full it is and how much the picks would free.
class DetailSidebar : public QWidget {
    Q_OBJECT

public:
    explicit DetailSidebar(AppModel& model, QWidget* parent = nullptr);

    static constexpr int kWidth = 232;

    // Where the rows and their group labels sit in a column of a given height. The rows
    // keep their full height and spacing where they fit above the disk footer; in a shorter
    // column their spacing and height give way together, down to a tight least, before
    // they scroll.
    struct Layout {
        std::vector<QRect> rows; // one per row, in the scrolled rows area
        std::vector<std::pair<QRectF, QString>> captions;
        int contentHeight = 0; // of everything the rows area holds
        int rowsHeight = 0;    // of the room above the footer that shows it
        qreal footerTop = 0;   // where the footer's hairline lies

        bool scrolls() const { return contentHeight > rowsHeight; }
    };
    static Layout layout(const std::vector<Sidebar::Row>& rows, int height);

    const std::vector<Sidebar::Row>& rows() const { return rows_; }
    const Sidebar::DiskFooter& footer() const { return footer_; }
    SidebarList* list() const { return list_; }
    // The rectangle of the disk bar.
    QRectF diskBar() const;

    void refresh();

    QSize sizeHint() const override;

signals:
    // A row was opened, whether or not it was open already.
    void opened();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void open(int row);
    int selectedRow() const;
    // Where the disk footer's hairline runs; the rows end above it.
    qreal footerTop() const;

    AppModel& model_;
    std::vector<Sidebar::Row> rows_;
    Sidebar::DiskFooter footer_;
    SidebarList* list_;
    Scrolling* scrolling_;
    // The disk footer as assistive technology reads it; it draws nothing.
    QWidget* disk_;
};

} // namespace kelvora
