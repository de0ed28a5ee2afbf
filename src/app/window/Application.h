#pragma once

#include <QStringList>

namespace kelvora {

// The files named on the command line (every argument after the program that is not an
// option), as absolute paths in the order given.
QStringList openedPaths(const QStringList& arguments);

// Starts the windowed application and returns its exit status.
int runApplication(int argc, char** argv);

} // namespace kelvora
