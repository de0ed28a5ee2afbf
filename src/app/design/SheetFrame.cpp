#include "design/SheetFrame.h"

#include "design/Accessibility.h"
#include "design/Scrolling.h"
#include "design/Shapes.h"
#include "design/Theme.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>

namespace kelvora {

namespace {

constexpr int kLeastBody = 120;

QSize hintOf(const QWidget* part) {
    return part ? part->sizeHint().expandedTo(part->minimumSize()) : QSize();
}

} // namespace

SheetFrame::SheetFrame(QWidget* parent)
    : QWidget(parent), scrolling_(new Scrolling(nullptr, this)) {
    scrolling_->setObjectName("sheetBody");
    Accessibility::markRole(*this, QAccessible::Dialog);
}

void SheetFrame::setParts(QWidget* body, QWidget* foot) {
    body_ = body;
    foot_ = foot;
    scrolling_->setContent(body);
    foot->setParent(this);
    for (QWidget* part : {body, foot})
        part->installEventFilter(this);
    arrange();
    updateGeometry();
}

QSize SheetFrame::sizeHint() const {
    QSize body = hintOf(body_), foot = hintOf(foot_);
    return {std::max(body.width(), foot.width()), body.height() + foot.height()};
}

QSize SheetFrame::minimumSizeHint() const {
    QSize body = hintOf(body_), foot = hintOf(foot_);
    return {std::max(body.width(), foot.width()),
            std::min(body.height(), kLeastBody) + foot.height()};
}

// A part that took another size, or a foot whose layout changed (a line shown under its
// buttons), changes what the sheet asks for.
bool SheetFrame::eventFilter(QObject* watched, QEvent* event) {
    const bool resized = (watched == body_ || watched == foot_) && event->type() == QEvent::Resize;
    const bool footChanged = watched == foot_ && event->type() == QEvent::LayoutRequest;
    const bool result = QWidget::eventFilter(watched, event);
    if (resized || footChanged) {
        if (watched == foot_ && hintOf(foot_).height() != foot_->height()) arrange();
        updateGeometry();
    }
    return result;
}

void SheetFrame::arrange() {
    const int foot = foot_ ? hintOf(foot_).height() : 0;
    const int body = std::max(0, height() - foot);
    scrolling_->setGeometry(0, 0, width(), body);
    if (foot_) foot_->setGeometry(0, body, width(), foot);
}

void SheetFrame::resizeEvent(QResizeEvent*) {
    arrange();
}

void SheetFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, rect(), kRadius, Theme::ground(), Theme::line());
}

} // namespace kelvora
