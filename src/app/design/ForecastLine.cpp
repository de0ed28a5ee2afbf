#include "design/ForecastLine.h"

#include "design/Fonts.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "model/Format.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

constexpr const char* kSymbol = "chart.line.downtrend.xyaxis";
constexpr qreal kGap = 6;

} // namespace

ForecastLine::ForecastLine(std::optional<double> days, qreal size, QWidget* parent)
    : QWidget(parent), days_(days), size_(size) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setToolTip(helpText());
    refresh();
}

void ForecastLine::setDays(std::optional<double> days) {
    days_ = days;
    refresh();
}

void ForecastLine::refresh() {
    setAccessibleName(isShown(days_) ? title(*days_) : QString());
    // A window of its own would pop up if shown bare; only a child hides to take no space.
    if (parentWidget()) setVisible(isShown(days_));
    updateGeometry();
    update();
}

bool ForecastLine::isShown(std::optional<double> days) {
    return days && *days < 180;
}

bool ForecastLine::isUrgent(double days) {
    return days < 30;
}

QString ForecastLine::title(double days) {
    return "At this rate, your disk is full in " + QString::fromStdString(Format::timeLeft(days)) +
           ".";
}

QString ForecastLine::helpText() {
    return "Worked out from how fast free space has been shrinking over the last few weeks, "
           "leaving out what Kelvora freed.";
}

QFont ForecastLine::font(double days, qreal size) {
    return Fonts::text(size, isUrgent(days) ? QFont::DemiBold : QFont::Normal);
}

QColor ForecastLine::color(double days) {
    return isUrgent(days) ? Theme::ink() : Theme::muted();
}

QSizeF ForecastLine::idealSize(double days, qreal size) {
    QFontMetricsF metrics(font(days, size));
    return {Symbols::extent(size) + kGap + metrics.horizontalAdvance(title(days)),
            std::max(metrics.height(), Symbols::extent(size))};
}

void ForecastLine::paint(QPainter& painter, const QRectF& rect, double days, qreal size) {
    qreal icon = Symbols::extent(size);
    QRectF iconBox(rect.left(), rect.center().y() - icon / 2, icon, icon);
    Symbols::paint(painter, kSymbol, iconBox, size, color(days));
    painter.save();
    painter.setFont(font(days, size));
    painter.setPen(color(days));
    QRectF textBox = rect.adjusted(icon + kGap, 0, 0, 0);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title(days));
    painter.restore();
}

QSize ForecastLine::sizeHint() const {
    if (!isShown(days_)) return {0, 0};
    QSizeF size = idealSize(*days_, size_);
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void ForecastLine::paintEvent(QPaintEvent*) {
    if (!isShown(days_)) return;
    QPainter painter(this);
    paint(painter, rect(), *days_, size_);
}

} // namespace kelvora
