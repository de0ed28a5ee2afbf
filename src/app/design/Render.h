#pragma once

#include "platform/FileSystem.h"

#include <QImage>
#include <QSize>

#include <functional>
#include <string>

class QApplication;
class QPainter;
class QWidget;

namespace kelvora {

// Drawing still pictures off screen: what the command-line renderers and the tests use to
// turn a view into a PNG. Pictures are made at device-pixel ratio 2 by default, so a 400 × 206
// view gives an 800 × 412 image, with everything placed in logical pixels.
namespace Render {

// The process's widget application, made on first use for a process that has none. It
// runs on the offscreen platform unless QT_QPA_PLATFORM names another, so it needs no
// display. Call before anything else of Qt's when the process may have no application yet;
// it cannot turn an existing non-GUI application into one.
QApplication& application();

// Renders a widget, resized to `size` (its own size hint when invalid), with its layouts
// settled first. A window is shown without reaching the screen, so it is laid out as in
// use. Transparent where the widget paints nothing.
QImage widget(QWidget& widget, QSize size = {}, qreal scale = 2);
// Renders what `draw` paints in logical pixels on a transparent `size`.
QImage picture(QSize size, const std::function<void(QPainter&)>& draw, qreal scale = 2);

// Writes the image as a PNG whose recorded resolution gives its logical size (72 dots per
// inch for each unit of device-pixel ratio), replacing any file there. On failure the
// reason reads "Could not write <path>: <why>".
FileResult writePng(const QImage& image, const std::string& path);

} // namespace Render
} // namespace kelvora
