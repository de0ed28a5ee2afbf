#include "panes/StateBadge.h"

#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Theme.h"
#include "panes/LoginItemsText.h"

#include <QFontMetricsF>
#include <QPainter>

namespace kelvora::StateBadge {

namespace {

constexpr qreal kHeight = 22;
constexpr qreal kPadding = 8;
constexpr qreal kRadius = 5;

} // namespace

QFont font() {
    QFont font = Fonts::mono(10.5, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    return font;
}

QSizeF idealSize(const LoginItem& item) {
    return {QFontMetricsF(font()).horizontalAdvance(LoginItemsText::badgeLabel(item)) +
                2 * kPadding,
            kHeight};
}

void paint(QPainter& painter, QPointF topLeft, const LoginItem& item) {
    QRectF rect(topLeft, idealSize(item));
    bool running = item.isRunning();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, rect, kRadius, running ? Theme::ink() : Theme::chip(),
                        Theme::line());
    painter.setFont(font());
    painter.setPen(running ? Theme::panel() : Theme::ink());
    painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, LoginItemsText::badgeLabel(item));
    painter.restore();
}

} // namespace kelvora::StateBadge
