#pragma once

namespace kelvora {

// Starts the windowed application and returns its exit status.
int runApplication(int argc, char** argv);

} // namespace kelvora
