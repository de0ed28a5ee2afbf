#include "onboarding/WelcomePage.h"

namespace kelvora::WelcomePage {

QFont titleFont() {
    return Type::font(40, QFont::DemiBold, -0.8);
}

Sketch centred(Sketch sketch, QSizeF room) {
    sketch.translate({0, (room.height() - sketch.size.height()) / 2});
    return sketch;
}

} // namespace kelvora::WelcomePage
