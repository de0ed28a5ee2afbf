#pragma once

#include <QIcon>
#include <QImage>

#include <string>
#include <vector>

class QPainter;

namespace kelvora {

// The application's own pictures: its icon (a disk dial on a stone tile) and the
// background of its installer window. Both are drawn, not stored, in fixed colours that do
// not follow the appearance.
namespace Artwork {

inline constexpr int kBackgroundWidth = 660;
inline constexpr int kBackgroundHeight = 400;

struct IconFile {
    std::string name; // "icon_16x16.png", "icon_16x16@2x.png", …
    int points;
    int scale;
};
// The ten files of the icon set, in writing order.
const std::vector<IconFile>& iconFiles();

// Paints the icon filling a `side` × `side` square at the origin. Under 102.4 px a side the
// dial drops its scale marks and thickens its arc and needle, so it still reads.
void paintIcon(QPainter& painter, qreal side);
// Paints the installer-window background, 660 × 400 at the origin.
void paintBackground(QPainter& painter);

QImage iconImage(int points, int scale);
QImage backgroundImage(int scale);
// The icon at the sizes a desktop asks for, for the window and the tray.
QIcon appIcon();

// "--render-icon <folder>" and "--dmg-background <folder>": write the files into the folder
// (made when missing), print "Could not write <file>: <reason>" for each that fails, and
// "Wrote <folder>" only when all were written. The exit status: 0, or 1 after a failure.
int writeIconSet(const std::string& folder);
int writeBackground(const std::string& folder);

} // namespace Artwork
} // namespace kelvora
