#pragma once

#include <string>

namespace kelvora {

// Tells whoever started the program, on standard error, about a setting of the system that
// it does not follow and why; each line once per run, however often it is met.
void logOnce(const std::string& line);

} // namespace kelvora
