// The atomic file writer: a file is replaced by a complete, flushed copy or
// not at all, and no temporary file outlives a failure.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/AtomicFile.h"
#include "support/EditorFixture.h"
#include "support/FileSystemFaults.h"

using sorn::AtomicFile;
using sorn::WriteFailure;
using sorn::test::folderEntries;
using sorn::test::readFile;
using sorn::test::TempDir;
using sorn::test::writeFile;
namespace fs = std::filesystem;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

bool replaceWith(const std::string& target, const std::string& content) {
    AtomicFile file(target);
    return file.create() && file.write(content.data(), content.size()) && file.commit();
}

TEST(AtomicFile, ReplacesTheTargetAndKeepsItsAccessRights) {
    TempDir dir;
    const std::string target = dir.file("scene.irr");
    writeFile(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    AtomicFile file(target);
    ASSERT_TRUE(file.create());
    EXPECT_EQ(fs::path(file.temporaryPath()).parent_path(), fs::path(dir.path())) << "beside the target";
    EXPECT_EQ(readFile(target), "old") << "untouched until the rename";
    ASSERT_TRUE(file.write("new content", 11));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(readFile(target), "new content");
    EXPECT_EQ(modeOf(target), 0640u);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"scene.irr"});
}

TEST(AtomicFile, NewFileTakesTheUsualRights) {
    TempDir dir;
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(replaceWith(dir.file("new.irr"), "x"));
    ::umask(mask);
    EXPECT_EQ(modeOf(dir.file("new.irr")), 0644u);
}

TEST(AtomicFile, AbandonedOrFailedWritesLeaveTheTargetAndNoTemporaryFile) {
    TempDir dir;
    const std::string target = dir.file("config.xml");
    writeFile(target, "settings");
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.create());
        ASSERT_TRUE(file.write("half", 4));
    } // never committed
    EXPECT_EQ(readFile(target), "settings");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"config.xml"});

    for (long failAt = 0; failAt < 3; ++failAt) {
        sorn::test::WriteFaults faults(failAt);
        AtomicFile file(target);
        ASSERT_TRUE(file.create());
        bool written = true;
        for (int block = 0; block < 3; ++block)
            written = file.write("0123456789", 10) && written;
        EXPECT_FALSE(written) << failAt;
        EXPECT_FALSE(file.commit()) << failAt;
        EXPECT_EQ(file.failure(), WriteFailure::DiskFull);
    }
    EXPECT_EQ(readFile(target), "settings");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"config.xml"});
}

TEST(AtomicFile, ShortWritesAreCompleted) {
    TempDir dir;
    const std::string target = dir.file("a.irr");
    std::string content(100000, 'x');
    ASSERT_TRUE(replaceWith(target, content));
    EXPECT_EQ(readFile(target), content);
}

TEST(AtomicFile, ALinkAtTheTargetStaysAndTheFileItNamesIsReplaced) {
    TempDir dir;
    fs::create_directory(dir.file("real"));
    writeFile(dir.file("real/level.irr"), "old");
    fs::create_symlink("real/level.irr", dir.file("level.irr"));
    ASSERT_TRUE(replaceWith(dir.file("level.irr"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir.file("level.irr")));
    EXPECT_EQ(readFile(dir.file("real/level.irr")), "new");
    EXPECT_EQ(folderEntries(dir.file("real")), std::vector<std::string>{"level.irr"});
}

TEST(AtomicFile, VeryLongNamesStillGetATemporaryFile) {
    TempDir dir;
    const std::string target = dir.file(std::string(250, 'n') + ".irr");
    ASSERT_TRUE(replaceWith(target, "long"));
    EXPECT_EQ(readFile(target), "long");
    EXPECT_EQ(folderEntries(dir.path()).size(), 1u);
}

TEST(AtomicFile, TargetsThatCannotBeReplacedAreReportedWithTheirCause) {
    TempDir dir;
    fs::create_directory(dir.file("folder.xml"));
    AtomicFile folder(dir.file("folder.xml"));
    EXPECT_FALSE(folder.create());
    EXPECT_EQ(folder.failure(), WriteFailure::NotAFile);

    AtomicFile missing(dir.file("no/such/folder/config.xml"));
    EXPECT_FALSE(missing.create());
    EXPECT_EQ(missing.failure(), WriteFailure::MissingFolder);

    ASSERT_EQ(mkfifo(dir.file("pipe.irr").c_str(), 0600), 0);
    AtomicFile pipe(dir.file("pipe.irr"));
    EXPECT_FALSE(pipe.create());
    EXPECT_EQ(pipe.failure(), WriteFailure::NotAFile);
    EXPECT_EQ(folderEntries(dir.path()), (std::vector<std::string>{"folder.xml", "pipe.irr"}));
}

TEST(AtomicFile, ReadOnlyFileAndFolderAreReported) {
    TempDir dir;
    const std::string target = dir.file("config.xml");
    writeFile(target, "settings");
    if (!sorn::test::setImmutable(target, true))
        GTEST_SKIP() << "chattr +i is not allowed here: read-only cases not tested";
    {
        AtomicFile file(target);
        EXPECT_FALSE(file.create() && file.write("x", 1) && file.commit());
        EXPECT_EQ(file.failure(), WriteFailure::ReadOnly);
    }
    sorn::test::setImmutable(target, false);
    ASSERT_TRUE(sorn::test::setImmutable(dir.path(), true));
    {
        AtomicFile file(target);
        EXPECT_FALSE(file.create());
        EXPECT_EQ(file.failure(), WriteFailure::ReadOnly);
    }
    sorn::test::setImmutable(dir.path(), false);
    EXPECT_EQ(readFile(target), "settings");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"config.xml"});
}

TEST(AtomicFile, FullFileSystemLeavesTheOldFile) {
    sorn::test::TinyFileSystem disk("64k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs is not allowed here: real full disk not tested";
    const std::string target = disk.path() + "/scene.irr";
    const std::string old(60 * 1024, 'o');
    writeFile(target, old);
    ASSERT_EQ(readFile(target), old);
    {
        AtomicFile file(target);
        ASSERT_TRUE(file.create());
        const std::string bigger(62 * 1024, 'n');
        EXPECT_FALSE(file.write(bigger.data(), bigger.size()) && file.commit());
        EXPECT_EQ(file.failure(), WriteFailure::DiskFull);
    }
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(folderEntries(disk.path()), std::vector<std::string>{"scene.irr"});
}

} // namespace
