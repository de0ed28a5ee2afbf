#pragma once

#include "onboarding/SketchView.h"

#include "model/ScanResult.h"

#include <functional>
#include <optional>
#include <vector>

namespace kelvora {

// The sheet that explains what Kelvora's System Data category counts on this computer, part
// by part. There is no system storage setting here that names "System Data", so the sheet
// says only what the scan found; its one button, or Return, calls `close`.
class SystemDataHelp : public SketchView {
    Q_OBJECT

public:
    struct Point {
        QString symbol;
        QString title;
        QString text;
        bool operator==(const Point&) const = default;
    };
    struct Words {
        QString intro;
        std::vector<Point> points; // one per kind of part the category holds, in its order
        QString closing;
        bool operator==(const Words&) const = default;
    };
    // What the sheet says of a scan's System Data; none where the category does not show,
    // and then the sheet is not reachable.
    static std::optional<Words> words(const ScanResult* result);

    SystemDataHelp(Words words, std::function<void()> close, QWidget* parent = nullptr);

    static constexpr qreal kWidth = 520;
    // One explanation row at a width, its top left at the origin.
    static Sketch point(const Point& point, qreal width);
    // The whole sheet, 520 wide.
    static Sketch sheet(const Words& words);

    QSize sizeHint() const override;

protected:
    Sketch layout(QSizeF size) const override;

private:
    Words words_;
};

} // namespace kelvora
