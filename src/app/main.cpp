#include "window/Application.h"

int main(int argc, char** argv) {
    return kelvora::runApplication(argc, argv);
}
