#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "design/RollingNumber.h"
#include "design/TextFlow.h"
#include "window/OverviewContent.h"
#endif

#include <QAbstractButton>
#include <QWidget>

#include <optional>
#include <vector>

namespace kelvora {

class AppModel;
class DialView;
class Scrolling;

// One category of the overview's card; the whole 64 px strip opens the category.
class OverviewRowButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int kHeight = 64;

    explicit OverviewRowButton(QWidget* parent = nullptr);

    const Overview::Row& row() const { return row_; }
    void setRow(Overview::Row row);

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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Overview::Row row_;
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
    OverviewRowButton* rowButton(JunkKind kind) const;
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
    // A button for each category there can be, shown when the category is listed.
    std::vector<OverviewRowButton*> buttons_;
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
