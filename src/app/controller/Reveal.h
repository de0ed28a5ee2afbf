#pragma once

#include "platform/Url.h"

#include <vector>

namespace kelvora {

// Shows the item selected in the desktop's file manager; where no file manager answers
// on the session bus, opens the folder that holds it.
void revealInFileManager(const URL& url);
// Shows the items selected together; where no file manager answers, opens the folder of
// the first.
void revealInFileManager(const std::vector<URL>& urls);

} // namespace kelvora
