// Every test process uses the file check program of the built runtime folder
// (the tests do not run from beside it).
#include <gtest/gtest.h>

#include "files/Quarantine.h"

namespace {

class FileCheckProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override { sorn::setFileCheckProgram(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck"); }
};

const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new FileCheckProgramEnvironment);

} // namespace
