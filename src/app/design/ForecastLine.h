#pragma once

#include <QWidget>

#include <optional>

namespace kelvora {

// The one-line warning of how long until the disk is full: a falling-chart symbol, then
// "At this rate, your disk is full in about 3 weeks.". Shown only for a forecast under 180
// days; under 30 days it is semibold ink, otherwise regular and muted. Without a forecast
// (or a distant one) the widget hides itself and takes no space.
class ForecastLine : public QWidget {
    Q_OBJECT

public:
    ForecastLine(std::optional<double> days, qreal size, QWidget* parent = nullptr);

    void setDays(std::optional<double> days);
    std::optional<double> days() const { return days_; }

    static bool isShown(std::optional<double> days);
    static bool isUrgent(double days);
    static QString title(double days);
    static QString helpText();
    static QFont font(double days, qreal size);
    static QColor color(double days);
    static QSizeF idealSize(double days, qreal size);
    // Paints the line from the leading edge of `rect`, vertically centred.
    static void paint(QPainter& painter, const QRectF& rect, double days, qreal size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    std::optional<double> days_;
    qreal size_;
};

} // namespace kelvora
