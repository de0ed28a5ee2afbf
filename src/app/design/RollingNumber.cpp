#include "design/RollingNumber.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>
#include <QWidget>

#include <algorithm>

namespace kelvora {

namespace {

// Where each character of `text` starts when the whole text is aligned in `rect`.
std::vector<qreal> characterPositions(const QFontMetricsF& metrics, const QString& text,
                                      const QRectF& rect, Qt::Alignment alignment) {
    qreal width = metrics.horizontalAdvance(text);
    qreal left = rect.left();
    if (alignment & Qt::AlignRight) left = rect.right() - width;
    if (alignment & Qt::AlignHCenter) left = rect.center().x() - width / 2;
    std::vector<qreal> positions;
    for (qsizetype i = 0; i <= text.size(); ++i)
        positions.push_back(left + metrics.horizontalAdvance(text.left(i)));
    return positions;
}

} // namespace

RollingNumber::RollingNumber(QWidget* view) : QObject(view), view_(view) {}

void RollingNumber::setValue(const QString& value) {
    if (value == value_) return;
    previous_ = value_;
    value_ = value;
    if (animation_) animation_->stop();
    if (!view_->isVisible() || !Motion::animates(view_) || previous_.isEmpty()) {
        progress_ = 1;
        view_->update();
        return;
    }
    progress_ = 0;
    animation_ = Motion::animate(this, kSpring, [this](double t) {
        progress_ = t;
        if (t >= 1) animation_ = nullptr;
        view_->update();
    });
}

void RollingNumber::paint(QPainter& painter, const QRectF& rect, Qt::Alignment alignment) const {
    Qt::Alignment vertical = alignment & Qt::AlignVertical_Mask;
    if (!vertical) vertical = Qt::AlignVCenter;
    if (progress_ >= 1 || previous_.isEmpty()) {
        painter.drawText(rect, alignment | vertical | Qt::TextSingleLine, value_);
        return;
    }
    QFontMetricsF metrics(painter.font());
    qreal lineHeight = metrics.height();
    qreal top = rect.top();
    if (vertical & Qt::AlignVCenter) top = rect.center().y() - lineHeight / 2;
    if (vertical & Qt::AlignBottom) top = rect.bottom() - lineHeight;
    auto oldAt = characterPositions(metrics, previous_, rect, alignment);
    auto newAt = characterPositions(metrics, value_, rect, alignment);

    // Characters are matched from the right, where the units and the last digits are.
    auto counterpart = [](const QString& text, const QString& other, qsizetype i) {
        qsizetype j = i - (text.size() - other.size());
        return j >= 0 && j < other.size() ? other[j] : QChar();
    };
    qreal t = std::clamp(progress_, 0.0, 1.0);
    qreal travel = lineHeight * 0.6;
    QColor color = painter.pen().color();
    auto draw = [&](QChar c, qreal x, qreal dy, qreal opacity) {
        painter.save();
        painter.setOpacity(painter.opacity() * opacity);
        painter.drawText(QRectF(x, top + dy, lineHeight * 2, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QString(c));
        painter.restore();
    };
    painter.save();
    painter.setPen(color);
    painter.setClipRect(rect.adjusted(0, -lineHeight, 0, lineHeight), Qt::IntersectClip);
    for (qsizetype i = 0; i < previous_.size(); ++i)
        if (counterpart(previous_, value_, i) != previous_[i])
            draw(previous_[i], oldAt[i], -travel * t, 1 - t);
    for (qsizetype i = 0; i < value_.size(); ++i) {
        bool changed = counterpart(value_, previous_, i) != value_[i];
        draw(value_[i], newAt[i], changed ? travel * (1 - t) : 0, changed ? t : 1);
    }
    painter.restore();
}

} // namespace kelvora
