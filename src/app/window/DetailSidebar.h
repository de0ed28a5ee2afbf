#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "window/SidebarContent.h"
#endif

#include <QAbstractButton>
#include <QWidget>

#include <vector>

namespace kelvora {

class AppModel;

// One row of the sidebar: symbol, title and figure; the whole 32 px strip takes the click.
class SidebarRowButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kHeight = 32;

    explicit SidebarRowButton(QWidget* parent = nullptr);

    const Sidebar::Row& row() const { return row_; }
    void setRow(Sidebar::Row row);

    static void paint(QPainter& painter, const QRectF& rect, const Sidebar::Row& row);

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

    AppModel& model_;
    std::vector<Sidebar::Row> rows_;
    Sidebar::DiskFooter footer_;
    // A button for every row there can be: the overview, each category, each tool.
    std::vector<SidebarRowButton*> buttons_;
    std::vector<QRectF> captions_;
};

} // namespace kelvora
