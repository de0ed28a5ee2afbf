#include "design/VerdictBadge.h"

#include "catalog/Catalog.h"

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
    const QString spoken = QString::fromStdString(Catalog::spokenVerdict(verdict));
    switch (verdict) {
    case Verdict::safe:
        return {"SAFE", Token::ink, Token::chip, std::nullopt, spoken};
    case Verdict::rebuilds:
        return {"REBUILDS", Token::muted, std::nullopt, Token::line, spoken};
    case Verdict::youDecide:
        return {"YOU DECIDE", Token::signalText, std::nullopt, Token::signal, spoken};
    case Verdict::inUse:
        return {"IN USE", Token::panel, Token::ink, std::nullopt, spoken};
    case Verdict::locked:
        return {"LOCKED", Token::panel, Token::ink, std::nullopt, spoken};
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
    Accessibility::markRole(*this, QAccessible::StaticText);
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
