#include "design/LocaleNumbers.h"
#include "entry/Arguments.h"
#include "entry/Modes.h"
#include "window/Application.h"

int main(int argc, char** argv) {
    kelvora::LocaleNumbers::groupCountsByLocale();
    kelvora::Arguments arguments(argc, argv);
    if (auto status = kelvora::runCommandLineMode(arguments)) return *status;
    return kelvora::runApplication(argc, argv);
}
