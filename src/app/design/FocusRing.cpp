#include "design/FocusRing.h"

#include "design/Shapes.h"
#include "design/Theme.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainter>

namespace kelvora::Focus {

void paintRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color) {
    Shapes::fillRounded(painter, rect, radius, {}, color.isValid() ? color : Theme::signal(), 2);
}

namespace {

// Where a halo around `control` can lie: its parent, unless the ring would be cut at the
// parent's edge, then further up, but never past the edge of a scrolled area.
QWidget* haloHost(QWidget& control, QMargins outset) {
    QWidget* host = control.parentWidget();
    while (host && !host->isWindow() && host->parentWidget()) {
        const QRect ring =
            QRect(control.mapTo(host, QPoint(0, 0)), control.size()).marginsAdded(outset);
        const bool scrolls = qobject_cast<QAbstractScrollArea*>(host->parentWidget()) != nullptr;
        if (host->rect().contains(ring) || scrolls) break;
        host = host->parentWidget();
    }
    return host;
}

} // namespace

Halo::Halo(QWidget* control, QMargins outset, qreal radius)
    : QWidget(haloHost(*control, outset)), control_(control), outset_(outset), radius_(radius) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    // The control and its parents up to the one the halo lies on: moving any moves the ring.
    for (QWidget* step = control; step && step != parentWidget(); step = step->parentWidget())
        step->installEventFilter(this);
    // It may lie on a widget that outlives the control.
    connect(control, &QObject::destroyed, this, [this] {
        hide();
        deleteLater();
    });
}

void Halo::setLit(bool lit) {
    lit_ = lit;
    follow();
}

void Halo::follow() {
    const bool shown = lit_ && control_ && control_->isVisible();
    if (shown) {
        setGeometry(QRect(control_->mapTo(parentWidget(), QPoint(0, 0)), control_->size())
                        .marginsAdded(outset_));
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

void lightHalo(QPointer<Halo>& halo, QWidget& control, bool lit, QMargins outset, qreal radius) {
    if (!halo && lit && control.parentWidget()) halo = new Halo(&control, outset, radius);
    if (halo) halo->setLit(lit);
}

} // namespace kelvora::Focus
