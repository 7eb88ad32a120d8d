#include "app/Startup.h"

int main(int argc, char** argv) {
    return sorn::runEditor(argc, argv);
}
