#pragma once

#include <QImage>

#include <string>

namespace kelvora::AppIcon {

// The icon a menu or autostart entry names, drawn at most `pixels` square: an image file
// where it names a path, read only when that is a plain file of a size any icon has (so a
// pipe or a device is never opened), else the icon of that name in the icon theme. Null
// where it names none that can be found.
QImage image(const std::string& icon, int pixels);

} // namespace kelvora::AppIcon
