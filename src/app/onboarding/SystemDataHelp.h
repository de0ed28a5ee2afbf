#pragma once

#include "design/SheetFrame.h"
#include "model/ScanResult.h"
#include "onboarding/Sketch.h"

#include <functional>
#include <optional>
#include <vector>

namespace kelvora {

// The sheet that explains what Kelvora's System Data category counts on this computer, part
// by part. There is no system storage setting here that names "System Data", so the sheet
// says only what the scan found; its one button, or Return, calls `close`. In a short window
// its words scroll and "Got it" stays in view.
class SystemDataHelp : public SheetFrame {
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
    // The sheet's title, and its name to assistive technology.
    static inline const QString kTitle = QStringLiteral("What is “System Data”?");
    // The words of the sheet in reading order, as assistive technology reads them.
    static QString spoken(const Words& words);
    // One explanation row at a width, its top left at the origin.
    static Sketch point(const Point& point, qreal width);
    // The words of the sheet, 520 wide, from its top to the room above "Got it".
    static Sketch drawn(const Words& words);
    // What the sheet shows above its button.
    const Sketch& sketch() const;
};

} // namespace kelvora
