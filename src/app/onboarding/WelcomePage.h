#pragma once

#include "onboarding/Sketch.h"

namespace kelvora::WelcomePage {

// The large title every welcome step opens with.
QFont titleFont();
// A step's sketch moved to the middle of the room the footer leaves it.
Sketch centred(Sketch sketch, QSizeF room);

} // namespace kelvora::WelcomePage
