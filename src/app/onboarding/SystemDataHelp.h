#pragma once

#include "design/SheetFrame.h"
#include "onboarding/Sketch.h"

#include <functional>
#include <vector>

namespace kelvora {

// The sheet that explains what the system's storage settings call "System Data" and which
// of its parts Kelvora lists. Every text is fixed; its one button, or Return, calls `close`.
// In a short window its words scroll and "Got it" stays in view.
class SystemDataHelp : public SheetFrame {
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
    // The words of the sheet, 520 wide, from its top to the room above "Got it".
    static Sketch words();
    // What the sheet shows above its button.
    const Sketch& sketch() const;
};

} // namespace kelvora
