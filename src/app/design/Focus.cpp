#include "design/Focus.h"

#include "design/Shapes.h"
#include "design/Theme.h"

namespace kelvora::Focus {

void paintRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color) {
    Shapes::fillRounded(painter, rect, radius, {}, color.isValid() ? color : Theme::signal(), 2);
}

} // namespace kelvora::Focus
