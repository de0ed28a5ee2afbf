#pragma once

#include "platform/Url.h"

namespace kelvora {

// Shows the item selected in the desktop's file manager; where no file manager answers
// on the session bus, opens the folder that holds it.
void revealInFileManager(const URL& url);

} // namespace kelvora
