#include "files/check/FileCheck.h"

int main(int argc, char** argv) {
    return sorn::runFileCheck(argc, argv);
}
