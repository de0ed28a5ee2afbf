#include "design/Scrolling.h"

#include "design/Motion.h"
#include "design/Shapes.h"
#include "design/Snapshot.h"
#include "design/Theme.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace kelvora {

Scrolling::Scrolling(QWidget* content, QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (content) setContent(content);
}

void Scrolling::setContent(QWidget* content) {
    if (content_ == content) return;
    if (scrollArea_ && scrollArea_->widget() == content_) scrollArea_->takeWidget();
    delete content_;
    content_ = content;
    if (content_) {
        content_->setParent(this);
        content_->installEventFilter(this);
    }
    arrange();
}

QSize Scrolling::sizeHint() const {
    return content_ ? content_->sizeHint() : QWidget::sizeHint();
}

// Whether this is a picture is known only once the widget hangs in its final tree, so the
// arrangement is settled when it is polished (before it is first shown or rendered) and
// checked again whenever it moves to another parent or is resized.
bool Scrolling::event(QEvent* event) {
    if (event->type() == QEvent::Polish || event->type() == QEvent::ParentChange) arrange();
    return QWidget::event(event);
}

// In a picture the content's height follows what it holds, so a change of its layout
// places it again.
bool Scrolling::eventFilter(QObject* watched, QEvent* event) {
    if (watched == content_ && event->type() == QEvent::LayoutRequest && !scrollArea_)
        placeForPicture();
    return QWidget::eventFilter(watched, event);
}

void Scrolling::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void Scrolling::arrange() {
    bool picture = Snapshot::isSnapshot(this);
    if (picture) {
        if (scrollArea_) {
            if (scrollArea_->widget()) scrollArea_->takeWidget();
            delete scrollArea_;
            scrollArea_ = nullptr;
        }
        if (content_) {
            content_->setParent(this);
            content_->setAutoFillBackground(false);
            placeForPicture();
            content_->show();
        }
        return;
    }
    if (!scrollArea_) {
        scrollArea_ = new QScrollArea(this);
        scrollArea_->setFrameShape(QFrame::NoFrame);
        scrollArea_->setWidgetResizable(true);
        scrollArea_->viewport()->setAutoFillBackground(false);
        // Not a stop of Tab: it would be one without a name or a ring. The keyboard reaches
        // what it holds, and the area scrolls to show whatever has the focus.
        scrollArea_->setFocusPolicy(Qt::NoFocus);
        ThinScroller::attach(scrollArea_);
        scrollArea_->show();
    }
    scrollArea_->setGeometry(rect());
    if (content_ && scrollArea_->widget() != content_) {
        scrollArea_->setWidget(content_);
        // The pane behind shows through, in the window as in a picture.
        content_->setAutoFillBackground(false);
    }
}

void Scrolling::placeForPicture() {
    int width = this->width();
    int natural = content_->hasHeightForWidth() ? content_->heightForWidth(width)
                                                : content_->sizeHint().height();
    natural = std::max(natural, content_->minimumSizeHint().height());
    content_->setGeometry(0, 0, width, std::max(natural, height()));
}

// ---- ThinScroller ----

namespace {

constexpr qreal kEdge = 3; // between the thumb and the area's edges
constexpr qreal kThin = 6; // the thumb's width at rest
constexpr qreal kWide = 8; // while hovered or held
constexpr qreal kMinLength = 24;
constexpr int kIdleMs = 1000; // shown this long after the last movement
constexpr int kFadeMs = 200;
constexpr double kRestAlpha = 0.38;
constexpr double kActiveAlpha = 0.55;

// Assistive technology meets the scroller as the scroll bar it stands for, with its value.
class ScrollerAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    ScrollerAccessible(QWidget* scroller, QScrollBar* bar)
        : QAccessibleWidget(scroller, QAccessible::ScrollBar), bar_(bar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return bar_->value(); }
    void setCurrentValue(const QVariant& value) override { bar_->setValue(value.toInt()); }
    QVariant maximumValue() const override { return bar_->maximum(); }
    QVariant minimumValue() const override { return bar_->minimum(); }
    QVariant minimumStepSize() const override { return bar_->singleStep(); }

private:
    QPointer<QScrollBar> bar_;
};

QAccessibleInterface* scrollerAccessible(const QString&, QObject* object) {
    auto* scroller = qobject_cast<ThinScroller*>(object);
    if (!scroller) return nullptr;
    auto* area = qobject_cast<QAbstractScrollArea*>(scroller->parentWidget());
    return area ? new ScrollerAccessible(scroller, area->verticalScrollBar()) : nullptr;
}

} // namespace

ThinScroller* ThinScroller::attach(QAbstractScrollArea* area) {
    if (ThinScroller* existing = of(area)) return existing;
    return new ThinScroller(area);
}

ThinScroller* ThinScroller::of(const QAbstractScrollArea* area) {
    return area ? area->findChild<ThinScroller*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

ThinScroller::ThinScroller(QAbstractScrollArea* area)
    : QWidget(area), area_(area), fade_(new QVariantAnimation(this)) {
    static const bool installed = [] {
        QAccessible::installFactory(scrollerAccessible);
        return true;
    }();
    (void)installed;
    setObjectName("ThinScroller");
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    idle_.setSingleShot(true);
    idle_.setInterval(kIdleMs);
    connect(&idle_, &QTimer::timeout, this, &ThinScroller::fadeOut);
    fade_->setDuration(kFadeMs);
    connect(fade_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setOpacity(value.toReal()); });

    QScrollBar* bar = area->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &ThinScroller::flash);
    connect(bar, &QScrollBar::rangeChanged, this, [this] {
        if (!scrolls()) setOpacity(0);
        update();
    });
    area->installEventFilter(this);
    area->viewport()->installEventFilter(this);
    hide();
}

QScrollBar* ThinScroller::bar() const {
    return area_->verticalScrollBar();
}

bool ThinScroller::scrolls() const {
    return bar()->maximum() > bar()->minimum() && !Snapshot::isSnapshot(area_);
}

QRectF ThinScroller::thumb(const QRectF& strip, int minimum, int maximum, int pageStep, int value,
                           bool wide) {
    if (maximum <= minimum) return {};
    qreal width = wide ? kWide : kThin;
    qreal track = strip.height() - 2 * kEdge;
    qreal range = static_cast<qreal>(maximum) - minimum;
    qreal page = std::max(pageStep, 1);
    qreal length = std::clamp(track * page / (range + page), std::min(kMinLength, track), track);
    qreal share = std::clamp((value - minimum) / range, 0.0, 1.0);
    return QRectF(strip.right() - kEdge - width, strip.top() + kEdge + (track - length) * share,
                  width, length);
}

QRectF ThinScroller::currentThumb() const {
    const QScrollBar* b = bar();
    return thumb(QRectF(rect()), b->minimum(), b->maximum(), b->pageStep(), b->value(),
                 hovered_ || grip_.has_value());
}

void ThinScroller::place() {
    QRect viewport = area_->viewport()->geometry();
    setGeometry(viewport.right() + 1 - kStrip, viewport.top(), kStrip, viewport.height());
    raise();
}

void ThinScroller::flash() {
    if (!scrolls()) return;
    fade_->stop();
    place();
    setOpacity(1);
    if (!hovered_ && !grip_) idle_.start();
}

void ThinScroller::fadeOut() {
    if (hovered_ || grip_) return;
    if (!Motion::animates(this)) return setOpacity(0);
    fade_->setStartValue(opacity_);
    fade_->setEndValue(0.0);
    fade_->start();
}

void ThinScroller::setOpacity(qreal opacity) {
    opacity_ = opacity;
    setVisible(opacity_ > 0);
    update();
}

bool ThinScroller::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
        if (isVisible()) place();
        break;
    case QEvent::Show:
    case QEvent::Enter:
        if (watched == area_) flash();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void ThinScroller::paintEvent(QPaintEvent*) {
    QRectF shape = currentThumb();
    if (shape.isEmpty() || opacity_ <= 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ink = Theme::ink();
    ink.setAlphaF(static_cast<float>((hovered_ || grip_ ? kActiveAlpha : kRestAlpha) * opacity_));
    painter.fillPath(Shapes::capsule(shape), ink);
}

void ThinScroller::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    QRectF shape = currentThumb();
    qreal y = event->position().y();
    if (y >= shape.top() && y <= shape.bottom()) {
        grip_ = y - shape.top();
        idle_.stop();
        update();
    } else {
        bar()->triggerAction(y < shape.top() ? QScrollBar::SliderPageStepSub
                                             : QScrollBar::SliderPageStepAdd);
    }
    event->accept();
}

void ThinScroller::mouseMoveEvent(QMouseEvent* event) {
    if (!grip_) return QWidget::mouseMoveEvent(event);
    QScrollBar* b = bar();
    QRectF shape = currentThumb();
    qreal travel = height() - 2 * kEdge - shape.height();
    if (travel <= 0) return;
    qreal share = std::clamp((event->position().y() - *grip_ - kEdge) / travel, 0.0, 1.0);
    b->setValue(b->minimum() +
                static_cast<int>(std::lround(share * (b->maximum() - b->minimum()))));
    event->accept();
}

void ThinScroller::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !grip_) return QWidget::mouseReleaseEvent(event);
    grip_.reset();
    update();
    if (!hovered_) idle_.start();
    event->accept();
}

void ThinScroller::wheelEvent(QWheelEvent* event) {
    QCoreApplication::sendEvent(bar(), event);
}

void ThinScroller::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    idle_.stop();
    fade_->stop();
    if (scrolls()) setOpacity(1);
    QWidget::enterEvent(event);
}

void ThinScroller::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    if (!grip_) idle_.start();
    QWidget::leaveEvent(event);
}

} // namespace kelvora
