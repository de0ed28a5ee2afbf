#include "design/Focus.h"

#include "design/Shapes.h"
#include "design/Theme.h"

#include <QEvent>
#include <QPainter>

namespace kelvora::Focus {

void paintRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color) {
    Shapes::fillRounded(painter, rect, radius, {}, color.isValid() ? color : Theme::signal(), 2);
}

Halo::Halo(QWidget* control, QMargins outset, qreal radius)
    : QWidget(control->parentWidget()), control_(control), outset_(outset), radius_(radius) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    control->installEventFilter(this);
}

void Halo::setLit(bool lit) {
    lit_ = lit;
    follow();
}

void Halo::follow() {
    const bool shown = lit_ && control_ && control_->isVisible();
    if (shown) {
        setGeometry(control_->geometry().marginsAdded(outset_));
        raise();
    }
    setVisible(shown);
}

bool Halo::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        follow();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Halo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintRing(painter, QRectF(rect()), radius_);
}

} // namespace kelvora::Focus
