#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace kelvora::WindowFit {

// The size a window opens at on a screen whose free area (less panels and docks) is
// `available`: its default size held inside it, never below its smallest.
QSize firstSize(QSize wanted, QSize smallest, QSize available);

// Where a window goes on a screen whose free area is `area`, drawn inside a frame of `frame`
// (the title bar and borders a window manager puts around it): the smallest window allowed
// there, and the window's own rectangle (without the frame) near `geometry`, no larger than
// the free area less the frame and moved so the frame lies wholly in it. `smallest` assumes
// a title bar drawn inside the window; with one outside, the window may be smaller rather
// than run past the screen's edge.
struct Fit {
    QSize minimum;
    QRect geometry;
    bool operator==(const Fit&) const = default;
};
Fit fitIn(const QRect& area, const QMargins& frame, const QRect& geometry, QSize smallest);

// Opens the top-level `window` at `wanted` held inside the free area of the primary screen
// and centred on it, and keeps it fitted to its screen's free area whenever it is shown, the
// window manager tells its frame, the window moves to another screen or the free area
// changes (a panel added). A maximised or full-screen window is the window manager's to
// place; a move the user makes within the free area stays.
void keep(QWidget& window, QSize wanted, QSize smallest);

} // namespace kelvora::WindowFit
