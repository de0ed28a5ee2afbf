#pragma once

#include "login/LoginItem.h"

#include <QFont>
#include <QPointF>
#include <QSizeF>

class QPainter;

namespace kelvora::StateBadge {

// The small label of a login item's state ("RUNNING", "OFF"…): monospaced capitals on a
// rounded chip, inverted (panel on ink) while the item runs. Never wrapped or shrunk.
QFont font();
QSizeF idealSize(const LoginItem& item);
// Paints the badge at its ideal size with its top left at `topLeft`.
void paint(QPainter& painter, QPointF topLeft, const LoginItem& item);

} // namespace kelvora::StateBadge
