#include "window/ModeSwitch.h"

#include "design/Accessibility.h"
#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

// One segment: a plain button that paints its title, and its pill when chosen; its whole
// rectangle takes the click, Space or Return.
class Segment : public Focus::Ringed<QAbstractButton> {
public:
    Segment(AppModel::ViewMode mode, QWidget* parent) : Ringed(parent) {
        setText(ModeSwitch::title(mode));
        setObjectName(ModeSwitch::title(mode));
        setCheckable(true);
        setAccessibleName(text());
        setFocusPolicy(Qt::TabFocus);
        Focus::pressOnReturn(*this);
        Accessibility::markToggle(*this, QAccessible::RadioButton);
    }

protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        ModeSwitch::paintSegment(painter, rect(), text(), isChecked(), showsFocusRing());
    }
};

qreal segmentWidth(AppModel::ViewMode mode) {
    return std::ceil(QFontMetricsF(ModeSwitch::font()).horizontalAdvance(ModeSwitch::title(mode)) +
                     2 * ModeSwitch::kSidePadding);
}

} // namespace

ModeSwitch::ModeSwitch(QWidget* parent)
    : QWidget(parent), simple_(new Segment(AppModel::ViewMode::simple, this)),
      detailed_(new Segment(AppModel::ViewMode::detailed, this)) {
    setObjectName("ModeSwitch");
    setAccessibleName("View");
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(simple_, &QAbstractButton::clicked, this,
            [this] { emit chosen(AppModel::ViewMode::simple); });
    connect(detailed_, &QAbstractButton::clicked, this,
            [this] { emit chosen(AppModel::ViewMode::detailed); });
    setMode(AppModel::ViewMode::simple);
}

QString ModeSwitch::title(AppModel::ViewMode mode) {
    return mode == AppModel::ViewMode::simple ? "Simple" : "Detailed";
}

QFont ModeSwitch::font() {
    return Fonts::text(13, QFont::Medium);
}

ModeSwitch::Geometry ModeSwitch::geometry() {
    const qreal simple = segmentWidth(AppModel::ViewMode::simple);
    const qreal detailed = segmentWidth(AppModel::ViewMode::detailed);
    Geometry g;
    g.simple = QRectF(kPadding, kPadding, simple, kSegmentHeight);
    g.detailed = QRectF(g.simple.right() + kGap, kPadding, detailed, kSegmentHeight);
    g.size = QSizeF(g.detailed.right() + kPadding, kSegmentHeight + 2 * kPadding);
    return g;
}

void ModeSwitch::paintSegment(QPainter& painter, const QRectF& rect, const QString& title,
                              bool selected, bool focusRing) {
    if (selected) {
        // A soft shadow one pixel below the pill lifts it off the plate.
        Shapes::fillRounded(painter, rect.translated(0, 1).adjusted(-0.5, -0.5, 0.5, 0.5), 7,
                            QColor(0, 0, 0, 18));
        Shapes::fillRounded(painter, rect.translated(0, 1), 7, QColor(0, 0, 0, 14));
        Shapes::fillRounded(painter, rect, 7, Theme::panel());
    }
    painter.setFont(font());
    painter.setPen(selected ? Theme::ink() : Theme::muted());
    painter.drawText(rect, Qt::AlignCenter, title);
    if (focusRing) Focus::paintRing(painter, rect, 7);
}

void ModeSwitch::setMode(AppModel::ViewMode mode) {
    mode_ = mode;
    simple_->setChecked(mode == AppModel::ViewMode::simple);
    detailed_->setChecked(mode == AppModel::ViewMode::detailed);
    update();
}

QAbstractButton* ModeSwitch::segment(AppModel::ViewMode mode) const {
    return mode == AppModel::ViewMode::simple ? simple_ : detailed_;
}

QSize ModeSwitch::sizeHint() const {
    QSizeF size = geometry().size;
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void ModeSwitch::resizeEvent(QResizeEvent*) {
    const Geometry g = geometry();
    simple_->setGeometry(g.simple.toAlignedRect());
    detailed_->setGeometry(g.detailed.toAlignedRect());
}

void ModeSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, QRectF(QPointF(), geometry().size), 9, Theme::chip());
}

} // namespace kelvora
