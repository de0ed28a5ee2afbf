#include "window/SheetOverlay.h"

#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Theme.h"
#include "window/RootTexts.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <optional>

namespace kelvora {

SheetOverlay::SheetOverlay(QWidget* sheet, QWidget* parent, QWidget* opener,
                           std::function<void()> close)
    : QWidget(parent), sheet_(sheet), opener_(opener), close_(std::move(close)) {
    setObjectName("SheetOverlay");
    sheet_->setParent(this);
    sheet_->installEventFilter(this);
    setGeometry(parent->rect());
    follow();
    sheet_->show();
    // Keys go to the sheet, not to the window it covers. A sheet may open a while after it was
    // asked for (an uninstall is prepared off the main thread): the keyboard that asked rings
    // its answer all the same.
    QPushButton* answer = nullptr;
    for (QPushButton* button : sheet_->findChildren<QPushButton*>())
        if (button->isDefault() && button->isVisibleTo(sheet_) && button->isEnabled())
            answer = button;
    if (answer && Focus::lastInput() == Focus::Input::keyboard)
        Focus::give(*answer, Focus::Input::keyboard);
    else
        sheet_->setFocus(Qt::OtherFocusReason);
}

QRect SheetOverlay::sheetRect(QSize size, QSize sheetSize) {
    const int margin = static_cast<int>(kMargin);
    QSize fitted(std::min(sheetSize.width(), std::max(0, size.width() - 2 * margin)),
                 std::min(sheetSize.height(), std::max(0, size.height() - 2 * margin)));
    return QRect(QPoint((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2),
                 fitted);
}

void SheetOverlay::follow() {
    if (sheet_) sheet_->setGeometry(sheetRect(size(), sheet_->sizeHint()));
}

void SheetOverlay::resizeEvent(QResizeEvent*) {
    follow();
}

// A sheet that asks for another size says so to its parent, this overlay.
bool SheetOverlay::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) follow();
    return QWidget::event(event);
}

bool SheetOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sheet_ && event->type() == QEvent::LayoutRequest) follow();
    return QWidget::eventFilter(watched, event);
}

void SheetOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && close_) {
        close_();
        return;
    }
    auto* body = sheet_ ? sheet_->findChild<QScrollArea*>() : nullptr;
    std::optional<QAbstractSlider::SliderAction> step;
    switch (event->key()) {
    case Qt::Key_Up:
        step = QAbstractSlider::SliderSingleStepSub;
        break;
    case Qt::Key_Down:
        step = QAbstractSlider::SliderSingleStepAdd;
        break;
    case Qt::Key_PageUp:
        step = QAbstractSlider::SliderPageStepSub;
        break;
    case Qt::Key_PageDown:
        step = QAbstractSlider::SliderPageStepAdd;
        break;
    default:
        break;
    }
    if (!body || !body->isVisible() || !step) return QWidget::keyPressEvent(event);
    body->verticalScrollBar()->triggerAction(*step);
}

void SheetOverlay::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), QColor(0, 0, 0, kDimAlpha));
}

DropOverlay::DropOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName("DropOverlay");
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DropOverlay::paint(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = rect.adjusted(kInset, kInset, -kInset, -kInset);
    // The 2 px line lies inside the frame's edge.
    QPen pen(Theme::signal(), 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setDashPattern({8.0 / 2, 6.0 / 2});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(Shapes::continuousRect(frame.adjusted(1, 1, -1, -1), 15));

    const QFont font = Fonts::text(18, QFont::DemiBold);
    const QString label = RootTexts::kDropLabel;
    const QSizeF text = QFontMetricsF(font).size(Qt::TextSingleLine, label);
    const QRectF plate(frame.center() - QPointF(text.width() / 2 + 14, text.height() / 2 + 14),
                       text + QSizeF(28, 28));
    Shapes::fillRounded(painter, plate, 10, Theme::panel());
    painter.setFont(font);
    painter.setPen(Theme::ink());
    painter.drawText(plate, Qt::AlignCenter, label);
    painter.restore();
}

void DropOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect());
}

} // namespace kelvora
