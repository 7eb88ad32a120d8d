#include <cstdio>

#include "startup/Startup.h"

int main(int argc, char** argv) {
    // Trace lines reach a console or a pipe as soon as they are printed.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return sorn::runEditor(argc, argv);
}
