#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <optional>

class QAbstractScrollArea;
class QScrollArea;
class QScrollBar;
class QVariantAnimation;

namespace kelvora {

// The vertical scroll container of every long pane. In the window its content scrolls
// under a ThinScroller, never sideways. In a still picture there is no scroll
// area: the content gets the full width, its whole natural height from the top, and is
// clipped to this frame, so the picture shows the top of the content, never an empty area.
//
//     auto* scrolling = new Scrolling(content, pane);
class Scrolling : public QWidget {
    Q_OBJECT

public:
    explicit Scrolling(QWidget* content = nullptr, QWidget* parent = nullptr);

    QWidget* content() const { return content_; }
    void setContent(QWidget* content);
    // The scroll area holding the content in the window; none in a still picture.
    QScrollArea* scrollArea() const { return scrollArea_; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();
    void placeForPicture();

    QPointer<QWidget> content_;
    QScrollArea* scrollArea_ = nullptr;
};

// The thin scroller drawn over the right edge of a scroll area, in place of the platform's
// scroll bars: a capsule that shows while the content moves or the pointer is over the
// area, then fades, and takes no width from the content. Drag it, click beside it to page,
// or wheel over it. Every scroll area of the window has one: Scrolling and RowStack attach
// it themselves; any other scroll area calls, once,
//
//     ThinScroller::attach(area);
//
// The area keeps its platform scroll bars hidden: they still hold the range and position,
// so wheel, keys and focus scroll it as before. Nothing shows in a still picture.
class ThinScroller : public QWidget {
    Q_OBJECT

public:
    // The strip along the edge that takes the mouse while the scroller shows.
    static constexpr int kStrip = 12;

    // The scroller of `area`, made on the first call.
    static ThinScroller* attach(QAbstractScrollArea* area);
    // The scroller attached to `area`, if any.
    static ThinScroller* of(const QAbstractScrollArea* area);

    // The thumb inside a strip for a range: as long as the page is to the content, at least
    // 24 px, placed as the value is in the range; wider while held or hovered. Empty when
    // nothing scrolls.
    static QRectF thumb(const QRectF& strip, int minimum, int maximum, int pageStep, int value,
                        bool wide);

    bool isShowing() const { return isVisible() && opacity_ > 0; }
    // Shows it for a moment, as after a scroll; nothing when there is nothing to scroll.
    void flash();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    explicit ThinScroller(QAbstractScrollArea* area);

    QScrollBar* bar() const;
    bool scrolls() const;
    QRectF currentThumb() const;
    void place();
    void fadeOut();
    void setOpacity(qreal opacity);

    QAbstractScrollArea* area_;
    QTimer idle_;
    QVariantAnimation* fade_;
    qreal opacity_ = 0;
    bool hovered_ = false;
    // Where in the thumb it was taken hold of, while it is dragged.
    std::optional<qreal> grip_;
};

} // namespace kelvora
