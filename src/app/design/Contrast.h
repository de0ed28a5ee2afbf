#pragma once

#include <QColor>

namespace kelvora::Contrast {

// The contrast ratio of two opaque colours as accessibility guidelines measure it, from 1
// (the same) to 21 (black on white). Text needs 4.5, large or bold text and controls 3.
double ratio(const QColor& a, const QColor& b);

// What `top` drawn at `opacity` over `under` comes out as.
QColor over(const QColor& top, double opacity, const QColor& under);

} // namespace kelvora::Contrast
