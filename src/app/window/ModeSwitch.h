#pragma once

#ifndef Q_MOC_RUN
#include "controller/AppModel.h"
#endif

#include <QAbstractButton>
#include <QWidget>

namespace kelvora {

// The switch between the simple and the detailed view: two segments on a chip-coloured
// rounded plate, the chosen one lifted onto a panel-coloured pill. It shows the mode it is
// given and reports a click with `chosen`, also for the segment already chosen; the owner
// sets the mode. The keyboard reaches each segment with Tab, presses it with Space or
// Return, and rings it. Assistive technology finds one "View" group holding two buttons,
// the chosen one checked.
class ModeSwitch : public QWidget {
    Q_OBJECT

public:
    explicit ModeSwitch(QWidget* parent = nullptr);

    void setMode(AppModel::ViewMode mode);
    AppModel::ViewMode mode() const { return mode_; }
    QAbstractButton* segment(AppModel::ViewMode mode) const;

    static constexpr qreal kPadding = 3;
    static constexpr qreal kGap = 2;
    static constexpr qreal kSegmentHeight = 26;
    static constexpr qreal kSidePadding = 16;
    static QString title(AppModel::ViewMode mode);
    static QFont font();
    // The plate's size and each segment's rectangle inside it.
    struct Geometry {
        QSizeF size;
        QRectF simple;
        QRectF detailed;
    };
    static Geometry geometry();
    static void paintSegment(QPainter& painter, const QRectF& rect, const QString& title,
                             bool selected, bool focusRing = false);

    QSize sizeHint() const override;

signals:
    void chosen(kelvora::AppModel::ViewMode mode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    AppModel::ViewMode mode_ = AppModel::ViewMode::simple;
    QAbstractButton* simple_;
    QAbstractButton* detailed_;
};

} // namespace kelvora
