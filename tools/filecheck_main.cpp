#include "files/FileCheck.h"

int main(int argc, char** argv) {
    return sorn::runFileCheck(argc, argv);
}
