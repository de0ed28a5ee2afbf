#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "window/SidebarContent.h"
#endif

#include <QAbstractButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <utility>
#include <vector>

namespace kelvora {

class AppModel;
class Scrolling;
class SidebarRows;

// One row of the sidebar: symbol, title and figure; the whole 32 px strip takes the click.
class SidebarRowButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kHeight = 32;
    // The least a row gives way to in a column too short for every row at full height.
    static constexpr int kTightHeight = 28;

    explicit SidebarRowButton(QWidget* parent = nullptr);

    const Sidebar::Row& row() const { return row_; }
    void setRow(Sidebar::Row row);

    static void paint(QPainter& painter, const QRectF& rect, const Sidebar::Row& row);
    // The title as a row of `width` shows it: whole, unless even beside its figure with only
    // a stack gap between them it does not fit, then cut short with an ellipsis.
    static QString shownTitle(const Sidebar::Row& row, qreal width);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Sidebar::Row row_;
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
    // The button of a row as it is listed now; none when it is not.
    SidebarRowButton* button(Sidebar::Destination destination,
                             std::optional<JunkKind> kind = std::nullopt) const;
    // The rectangle of the disk bar.
    QRectF diskBar() const;

    void refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    SidebarRowButton* buttonFor(const Sidebar::Row& row) const;
    // Where the disk footer's hairline runs; the rows end above it.
    qreal footerTop() const;

    AppModel& model_;
    std::vector<Sidebar::Row> rows_;
    Sidebar::DiskFooter footer_;
    // A button for every row there can be: the overview, each category, each tool.
    std::vector<SidebarRowButton*> buttons_;
    SidebarRows* rowsArea_;
    Scrolling* scrolling_;
};

} // namespace kelvora
