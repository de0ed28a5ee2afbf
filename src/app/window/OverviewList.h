#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "design/PaintedRows.h"
#include "design/RollingNumber.h"
#include "design/TextFlow.h"
#include "window/OverviewContent.h"
#endif

#include <QWidget>

#include <optional>
#include <vector>

namespace kelvora {

class AppModel;
class DialView;
class Scrolling;

// The overview's card of categories, painted. To the keyboard it is one stop of Tab: the
// arrows move from category to category, Return or Space opens the one it is on as a
// click does, and that row wears the ring. Assistive technology hears a list of items,
// each with the category's figure and "Show details".
class OverviewRows : public QWidget, public PaintedRows {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 64;

    explicit OverviewRows(QWidget* parent = nullptr);

    const std::vector<Overview::Row>& rows() const { return rows_; }
    void setRows(std::vector<Overview::Row> rows);
    // The row of a category as listed now; none when it is not.
    const Overview::Row* row(JunkKind kind) const;
    // Where a category's row lies in this list; empty for one not listed.
    QRect rowRect(JunkKind kind) const;

    static void paint(QPainter& painter, const QRectF& rect, const Overview::Row& row);
    // Where the row's parts go: the icon tile, the meter's track, the size's frame.
    struct Geometry {
        QRectF tile;
        QRectF text;
        QRectF badge;
        QRectF meter;
        QRectF size;
        QRectF chevron;
    };
    static Geometry geometry(const QRectF& rect);
    // The rows' height with the hairlines between them.
    static qreal height(const std::vector<Overview::Row>& rows);

    int paintedRowCount() const override { return static_cast<int>(rows_.size()); }
    PaintedRow paintedRow(int row) const override;
    QRect paintedRowRect(int row) const override;
    void actOnRow(int row, const QString& action) override;

signals:
    void opened(kelvora::JunkKind kind);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::vector<Overview::Row> rows_;
    std::vector<QRect> places_;
};

// What the overview pane holds, laid out for its width: the summary card with the dial,
// the card of categories, and the notice about items in use.
class OverviewPane : public QWidget {
    Q_OBJECT

public:
    explicit OverviewPane(AppModel& model, QWidget* parent = nullptr);

    void setContent(const Overview::Summary& summary, std::optional<double> forecastDays,
                    std::vector<Overview::Row> rows, std::optional<std::string> notice);

    const Overview::Summary& summary() const { return summary_; }
    const std::vector<Overview::Row>& rows() const { return rows_; }
    DialView* dial() const { return dial_; }
    OverviewRows* list() const { return list_; }
    QRectF summaryCard() const { return summaryCard_; }
    QRectF categoryCard() const { return categoryCard_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Layout {
        QRectF summaryCard;
        QRectF dial;
        QRectF text; // the column beside the dial
        qreal numberTop = 0;
        qreal foundTop = 0;
        qreal forecastTop = 0;
        qreal hintTop = 0;
        TextFlow hint;
        QRectF categoryCard;
        qreal noticeTop = 0;
        TextFlow notice;
        qreal height = 0;
    };
    Layout layoutFor(qreal width) const;
    void relayout();

    AppModel& model_;
    Overview::Summary summary_;
    std::optional<double> forecastDays_;
    std::vector<Overview::Row> rows_;
    std::optional<std::string> notice_;
    Layout layout_;
    QRectF summaryCard_;
    QRectF categoryCard_;
    DialView* dial_;
    RollingNumber number_{this};
    OverviewRows* list_;
};

// The detailed view's overview: how much the picks free against the disk, and every listed
// category with what it holds and what is picked in it. A click on a category opens it.
class OverviewList : public QWidget {
    Q_OBJECT

public:
    explicit OverviewList(AppModel& model, QWidget* parent = nullptr);

    OverviewPane* pane() const { return pane_; }
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    AppModel& model_;
    OverviewPane* pane_;
    Scrolling* scrolling_;
};

} // namespace kelvora
