// Every test process uses the file check program of the built runtime folder
// (the tests do not run from beside it), and keeps its file check verdicts in
// a cache folder of its own, never in the user's: tests run side by side.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "files/Quarantine.h"
#include "files/VerdictCacheFile.h"
#include "support/EditorFixture.h"

namespace {

class FileCheckProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        sorn::setFileCheckProgram(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck");
        cache_ = std::make_unique<sorn::test::TempDir>();
        const std::string folder = cache_->file("cache");
        setenv("XDG_CACHE_HOME", folder.c_str(), 1);
        sorn::setVerdictCacheFolder(folder + "/sorn-editor");
    }
    void TearDown() override {
        sorn::forgetFileVerdicts();
        cache_.reset();
    }

private:
    std::unique_ptr<sorn::test::TempDir> cache_;
};

const ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new FileCheckProgramEnvironment);

} // namespace
