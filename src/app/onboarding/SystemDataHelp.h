#pragma once

#include "onboarding/SketchView.h"

#include <functional>
#include <vector>

namespace kelvora {

// The sheet that explains what the system's storage settings call "System Data" and which
// of its parts Kelvora lists. Every text is fixed; its one button, or Return, calls `close`.
class SystemDataHelp : public SketchView {
    Q_OBJECT

public:
    explicit SystemDataHelp(std::function<void()> close, QWidget* parent = nullptr);

    struct Point {
        QString symbol;
        QString title;
        QString text;
    };
    static constexpr qreal kWidth = 520;
    static const std::vector<Point>& points();
    // One explanation row at a width, its top left at the origin.
    static Sketch point(const Point& point, qreal width);
    // The whole sheet, 520 wide.
    static Sketch sheet();

    QSize sizeHint() const override;

protected:
    Sketch layout(QSizeF size) const override;
};

} // namespace kelvora
