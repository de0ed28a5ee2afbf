#include "design/VerdictBadge.h"

#include "design/Accessibility.h"
#include "design/Fonts.h"
#include "design/Shapes.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kPadding = 8;
constexpr qreal kHeight = 22;
constexpr qreal kRadius = 5;

} // namespace

VerdictBadge::Look VerdictBadge::look(Verdict verdict) {
    switch (verdict) {
    case Verdict::safe:
        return {"SAFE", Token::ink, Token::chip, std::nullopt, "Safe to remove"};
    case Verdict::rebuilds:
        return {"REBUILDS", Token::muted, std::nullopt, Token::line,
                "Comes back by downloading again"};
    case Verdict::youDecide:
        // Whatever is cleaned waits on the Undo Shelf, so "can't be brought back" would
        // be untrue; what the verdict means is that nothing recreates it by itself.
        return {"YOU DECIDE", Token::signalText, std::nullopt, Token::signal,
                "Doesn’t come back on its own"};
    case Verdict::inUse:
        return {"IN USE", Token::panel, Token::ink, std::nullopt, "In use, left alone"};
    case Verdict::locked:
        return {"LOCKED", Token::panel, Token::ink, std::nullopt,
                "Locked, needs an administrator to remove"};
    }
    return {};
}

QFont VerdictBadge::font() {
    QFont font = Fonts::mono(10.5, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    return font;
}

QSizeF VerdictBadge::idealSize(Verdict verdict) {
    qreal textWidth = QFontMetricsF(font()).horizontalAdvance(look(verdict).text);
    return {std::ceil(textWidth + 2 * kPadding), kHeight};
}

void VerdictBadge::paint(QPainter& painter, QPointF topLeft, Verdict verdict) {
    Look badge = look(verdict);
    QRectF rect(topLeft, idealSize(verdict));
    Shapes::fillRounded(painter, rect, kRadius, badge.fill ? Theme::color(*badge.fill) : QColor(),
                        badge.border ? Theme::color(*badge.border) : QColor());
    painter.save();
    painter.setFont(font());
    painter.setPen(Theme::color(badge.textColor));
    painter.drawText(rect, Qt::AlignCenter, badge.text);
    painter.restore();
}

VerdictBadge::VerdictBadge(Verdict verdict, QWidget* parent) : QWidget(parent), verdict_(verdict) {
    Accessibility::install();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(look(verdict).accessibleLabel);
}

void VerdictBadge::setVerdict(Verdict verdict) {
    if (verdict == verdict_) return;
    verdict_ = verdict;
    setAccessibleName(look(verdict).accessibleLabel);
    updateGeometry();
    update();
}

QSize VerdictBadge::sizeHint() const {
    return idealSize(verdict_).toSize();
}

void VerdictBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, {0, 0}, verdict_);
}

} // namespace kelvora
