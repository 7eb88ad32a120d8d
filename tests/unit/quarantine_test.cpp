// The quarantine: hostile files made here from the engine's sample media are
// loaded by the file check program, never by the editor; the editor stays up,
// the scene stays as it was and the user is told which file and why. Good
// files pass and load as before.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/GuiIds.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/OpenFile.h"
#include "files/Quarantine.h"
#include "files/UserTexture.h"
#include "files/VerdictCacheFile.h"
#include "files/check/ContentHash.h"
#include "app/DataLocation.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"

using namespace irr;
using sorn::FileVerdict;
using sorn::UntrustedKind;
using sorn::editor;
using sorn::test::readFile;
using sorn::test::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kEngineMedia = SORN_IRRLICHT_MEDIA;

// A file of the engine's media, unpacked with the engine's gzip reader.
std::string mediaBytes(const std::string& name) {
    if (name.size() < 3 || name.compare(name.size() - 3, 3, ".gz") != 0)
        return readFile(kEngineMedia + "/" + name);
    IrrlichtDevice* device = createDevice(video::EDT_NULL);
    device->getLogger()->setLogLevel(ELL_NONE);
    io::IFileSystem* files = device->getFileSystem();
    std::string bytes;
    const std::string inner = name.substr(0, name.size() - 3);
    if (files->addFileArchive((kEngineMedia + "/" + name).c_str(), false, true, io::EFAT_GZIP)) {
        if (io::IReadFile* in = files->createAndOpenFile(inner.c_str())) {
            bytes.resize(static_cast<size_t>(in->getSize()));
            in->read(&bytes[0], static_cast<u32>(bytes.size()));
            in->drop();
        }
    }
    device->drop();
    EXPECT_FALSE(bytes.empty()) << "cannot unpack " << name;
    return bytes;
}

void put32(std::string& bytes, size_t offset, unsigned long value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

struct HostileFile {
    const char* name;
    UntrustedKind kind;
    FileVerdict expected;
};

// The hostile corpus; every file refused, each for its reason.
const HostileFile kHostileFiles[] = {
    {"cut.x", UntrustedKind::Model, FileVerdict::Crashed},
    {"negative-faces.obj", UntrustedKind::Model, FileVerdict::Crashed},
    {"huge-texcoords.md2", UntrustedKind::Model, FileVerdict::TooLarge},
    {"huge-frames.md2", UntrustedKind::Model, FileVerdict::TooLarge},
    {"random.oct", UntrustedKind::Model, FileVerdict::TooLarge},
    {"lying-header.bmp", UntrustedKind::Image, FileVerdict::TooLarge},
    {"lying-header.bmp", UntrustedKind::HeightMap, FileVerdict::TooLarge},
    {"fifo.obj", UntrustedKind::Model, FileVerdict::Unreadable},
};

// Files that hang a loader: the CPU-time limit or the wall clock ends them.
const HostileFile kHangingFiles[] = {
    {"truncated.b3d", UntrustedKind::Model, FileVerdict::TookTooLong},
    {"fifo-materials.obj", UntrustedKind::Model, FileVerdict::TookTooLong},
};

// Writes the corpus into folder.
void makeHostileCorpus(const std::string& folder) {
    const std::string x = mediaBytes("earth.x.gz");
    writeFile(folder + "/cut.x", x.substr(0, 1000));
    writeFile(folder + "/negative-faces.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -5 -6 -70000\n");
    const std::string md2 = mediaBytes("sydney.md2.gz");
    std::string texcoords = md2;
    put32(texcoords, 28, 0xFFFFFFFFul);
    writeFile(folder + "/huge-texcoords.md2", texcoords);
    std::string frames = md2;
    put32(frames, 16, 0xFFFFFFF0ul);
    writeFile(folder + "/huge-frames.md2", frames);
    std::string random(20 * 1024, '\0');
    unsigned long state = 12345;
    for (char& c : random) {
        state = state * 1103515245ul + 12345ul;
        c = static_cast<char>((state >> 16) & 0xFF);
    }
    writeFile(folder + "/random.oct", random);
    std::string bmp = mediaBytes("terrain-heightmap.bmp.gz");
    put32(bmp, 18, 100000);
    put32(bmp, 22, 100000);
    writeFile(folder + "/lying-header.bmp", bmp);
    ASSERT_EQ(mkfifo((folder + "/fifo.obj").c_str(), 0600), 0);

    const std::string b3d = mediaBytes("ninja.b3d.gz");
    writeFile(folder + "/truncated.b3d", b3d.substr(0, b3d.size() / 2));
    ASSERT_EQ(mkfifo((folder + "/materials.mtl").c_str(), 0600), 0);
    writeFile(folder + "/fifo-materials.obj", "mtllib materials.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
}

// Short limits, so that the hanging files cost seconds; ample memory still.
sorn::QuarantineLimits shortLimits() {
    sorn::QuarantineLimits limits = sorn::defaultQuarantineLimits();
    limits.check.cpuSeconds = 2;
    limits.check.wallSeconds = 8;
    return limits;
}

// The texts of the message boxes anywhere in the GUI (a modal one sits in a
// modal screen), or empty when there is none.
void collectMessageTexts(gui::IGUIElement* element, std::wstring& text) {
    for (gui::IGUIElement* child : element->getChildren()) {
        if (child->getType() == gui::EGUIET_MESSAGE_BOX) {
            for (gui::IGUIElement* part : child->getChildren())
                if (part->getType() == gui::EGUIET_STATIC_TEXT)
                    text += part->getText();
        }
        collectMessageTexts(child, text);
    }
}

std::wstring messageBoxText() {
    std::wstring text;
    if (editor.device)
        collectMessageTexts(editor.device->getGUIEnvironment()->getRootGUIElement(), text);
    return text;
}

std::wstring reasonText(FileVerdict verdict) {
    switch (verdict) {
    case FileVerdict::Crashed:
        return sorn::translate(L"file_refused_crashed").c_str();
    case FileVerdict::TooLarge:
        return sorn::translate(L"file_refused_too_large").c_str();
    case FileVerdict::TookTooLong:
        return sorn::translate(L"file_refused_too_long").c_str();
    case FileVerdict::NotChecked:
        return sorn::translate(L"file_refused_not_checked").c_str();
    default:
        return sorn::translate(L"file_refused_unreadable").c_str();
    }
}

std::string verdictName(FileVerdict verdict) {
    const char* names[] = {"Safe", "NotLoadable", "Unreadable", "Crashed", "TooLarge", "TookTooLong", "NotChecked"};
    return names[static_cast<int>(verdict)];
}

// The editor-wide state on the null driver, in a fresh working folder.
class QuarantineTest : public sorn::test::NullDeviceTest {
protected:
    void SetUp() override {
        NullDeviceTest::SetUp();
        editor.device->getLogger()->setLogLevel(ELL_NONE);
        char cwd[4096];
        previous_ = getcwd(cwd, sizeof cwd) ? cwd : ".";
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        sorn::forgetFileVerdicts();
        sorn::setQuarantineLimits(sorn::defaultQuarantineLimits());
        // Each test keeps its verdicts apart from the others'.
        previousCache_ = sorn::verdictCacheFolder();
        sorn::setVerdictCacheFolder(dir.file("cache/sorn-editor"));
    }
    void TearDown() override {
        sorn::forgetFileVerdicts();
        sorn::setVerdictCacheFolder(previousCache_);
        sorn::setFileCheckProgram(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck");
        sorn::setQuarantineLimits(sorn::defaultQuarantineLimits());
        (void)chdir(previous_.c_str());
        NullDeviceTest::TearDown();
    }

    // A fresh run of the editor that cannot check anything: a verdict it
    // gives comes from what earlier runs kept.
    void freshRunWithoutChecks() {
        sorn::forgetFileVerdicts();
        sorn::setFileCheckProgram(unrunnableProgram());
    }
    // The check program's very bytes, which cannot be run (no execute
    // right): the same checker, but no check can start.
    std::string unrunnableProgram() {
        const std::string copy = dir.file("unrunnable-filecheck");
        if (!fs::exists(copy)) {
            fs::copy_file(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck", copy);
            fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
        }
        return copy;
    }

    sorn::test::TempDir dir;
    std::string previous_;
    std::string previousCache_;
};

// Rewrites the file in place with other bytes of the same length and puts
// its modification time back: only its content tells it apart.
void rewriteKeepingSizeAndTime(const std::string& path, const std::string& bytes) {
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    ASSERT_EQ(static_cast<long long>(bytes.size()), static_cast<long long>(before.st_size));
    writeFile(path, bytes);
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    ASSERT_EQ(after.st_size, before.st_size);
}

TEST(FileVerdictFromWaitStatus, EveryEndOfTheCheckProgramHasItsVerdict) {
    struct Case {
        int status;
        bool killedForTime;
        double cpuSeconds;
        const char* errorText;
        FileVerdict expected;
    };
    auto exited = [](int code) { return code << 8; };
    const Case cases[] = {
        {exited(0), false, 0.1, "", FileVerdict::Safe},
        {exited(2), false, 0.1, "", FileVerdict::NotLoadable},
        {exited(3), false, 0.1, "", FileVerdict::TooLarge},
        {exited(86), false, 0.1, "==1==ERROR: AddressSanitizer: requested allocation size 0x1 exceeds",
         FileVerdict::TooLarge},
        {exited(86), false, 0.1, "==1==ERROR: AddressSanitizer: allocation-size-too-big on 0x1",
         FileVerdict::TooLarge},
        {exited(86), false, 0.1, "==1==ERROR: AddressSanitizer: SEGV on unknown address", FileVerdict::Crashed},
        {exited(4), false, 0.1, "", FileVerdict::NotChecked},
        {exited(127), false, 0.0, "", FileVerdict::NotChecked},
        {exited(1), false, 0.1, "", FileVerdict::Crashed},
        {SIGSEGV, false, 0.1, "", FileVerdict::Crashed},
        {SIGABRT, false, 0.1, "", FileVerdict::Crashed},
        {SIGXCPU, false, 15.0, "", FileVerdict::TookTooLong},
        {SIGKILL, true, 0.0, "", FileVerdict::TookTooLong},
        {SIGKILL, false, 17.0, "", FileVerdict::TookTooLong},
        {SIGKILL, false, 0.5, "", FileVerdict::TooLarge},
    };
    for (const Case& c : cases)
        EXPECT_EQ(verdictName(sorn::verdictFromWaitStatus(c.status, c.killedForTime, c.cpuSeconds, 15, c.errorText)),
                  verdictName(c.expected))
            << "status " << c.status << " " << c.errorText;
}

TEST_F(QuarantineTest, HostileFilesAreRefusedEachForItsReasonAndGoodFilesPass) {
    makeHostileCorpus(dir.path());
    writeFile(dir.file("sydney.md2"), mediaBytes("sydney.md2.gz"));
    writeFile(dir.file("ninja.b3d"), mediaBytes("ninja.b3d.gz"));
    writeFile(dir.file("room.3ds"), mediaBytes("room.3ds.gz"));
    writeFile(dir.file("terrain.bmp"), mediaBytes("terrain-heightmap.bmp.gz"));
    writeFile(dir.file("wall.jpg"), mediaBytes("wall.jpg"));

    std::vector<sorn::UntrustedFile> files;
    std::vector<FileVerdict> expected;
    for (const HostileFile& file : kHostileFiles) {
        files.push_back({file.name, file.kind});
        expected.push_back(file.expected);
    }
    const sorn::UntrustedFile good[] = {
        {"sydney.md2", UntrustedKind::Model}, {"ninja.b3d", UntrustedKind::Model},
        {"room.3ds", UntrustedKind::Model},   {dir.file("wall.jpg"), UntrustedKind::Image},
        {"terrain.bmp", UntrustedKind::HeightMap},
    };
    for (const sorn::UntrustedFile& file : good) {
        files.push_back(file);
        expected.push_back(FileVerdict::Safe);
    }
    files.push_back({"missing.obj", UntrustedKind::Model});
    expected.push_back(FileVerdict::NotLoadable);
    files.push_back({".", UntrustedKind::Image});
    expected.push_back(FileVerdict::Unreadable);

    const std::vector<FileVerdict> verdicts = sorn::checkUntrustedFiles(files);
    ASSERT_EQ(verdicts.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(verdictName(verdicts[i]), verdictName(expected[i])) << files[i].path;
        EXPECT_EQ(sorn::isRefused(verdicts[i]), expected[i] != FileVerdict::Safe && expected[i] != FileVerdict::NotLoadable)
            << files[i].path;
    }
    EXPECT_EQ(editor.sceneManager->getMeshCache()->getMeshCount(), 0u) << "the editor itself loaded nothing";
}

// This engine reads a device as an empty file (its size is 0): a material
// library named /dev/zero costs nothing, the check passes the model and the
// editor adds it, without a message.
TEST_F(QuarantineTest, AMaterialLibraryOnADeviceReadsAsEmpty) {
    writeFile(dir.file("zero-materials.obj"), "mtllib /dev/zero\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    EXPECT_EQ(verdictName(sorn::checkUntrustedFile("zero-materials.obj", UntrustedKind::Model)),
              verdictName(FileVerdict::Safe));
    ASSERT_TRUE(sorn::openFile("zero-materials.obj", false));
    EXPECT_NE(editor.sceneManager->getSceneNodeFromName("zero-materials.obj"), nullptr);
    EXPECT_TRUE(messageBoxText().empty());
}

TEST_F(QuarantineTest, HangingLoadersAreStoppedByTheLimits) {
    makeHostileCorpus(dir.path());
    sorn::setQuarantineLimits(shortLimits());
    std::vector<sorn::UntrustedFile> files;
    for (const HostileFile& file : kHangingFiles)
        files.push_back({file.name, file.kind});
    const std::vector<FileVerdict> verdicts = sorn::checkUntrustedFiles(files);
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(verdictName(verdicts[i]), verdictName(kHangingFiles[i].expected)) << files[i].path;
}

TEST_F(QuarantineTest, AFileIsCheckedOnceUntilItChanges) {
    // The check that loaded a file before does not keep it: the same name
    // with other bytes is read again, and its crash is seen.
    writeFile(dir.file("changing.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    EXPECT_EQ(sorn::checkUntrustedFile("changing.obj", UntrustedKind::Model), FileVerdict::Safe);
    writeFile(dir.file("changing.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -5 -6 -70000\n");
    EXPECT_EQ(verdictName(sorn::checkUntrustedFile("changing.obj", UntrustedKind::Model)),
              verdictName(FileVerdict::Crashed));
    writeFile(dir.file("sydney.md2"), mediaBytes("sydney.md2.gz"));
    EXPECT_EQ(sorn::checkUntrustedFile("sydney.md2", UntrustedKind::Model), FileVerdict::Safe);
    // Without a program that runs a new check could not run: the verdict
    // comes from what was kept, under either name of the file.
    sorn::setFileCheckProgram(unrunnableProgram());
    EXPECT_EQ(sorn::checkUntrustedFile("sydney.md2", UntrustedKind::Model), FileVerdict::Safe);
    EXPECT_EQ(sorn::checkUntrustedFile(dir.file("sydney.md2"), UntrustedKind::Model), FileVerdict::Safe);
    // Another kind of load is another check.
    EXPECT_EQ(sorn::checkUntrustedFile("sydney.md2", UntrustedKind::Image), FileVerdict::NotChecked);
    // A changed file is checked again, also one rewritten with the same
    // size and time; the bytes checked before are known again.
    writeFile(dir.file("sydney.md2"), mediaBytes("sydney.md2.gz") + "more");
    EXPECT_EQ(sorn::checkUntrustedFile("sydney.md2", UntrustedKind::Model), FileVerdict::NotChecked);
    std::string rewritten = mediaBytes("sydney.md2.gz");
    rewritten.back() ^= 1;
    ASSERT_NO_FATAL_FAILURE(rewriteKeepingSizeAndTime(dir.file("sydney.md2"), rewritten + "more"));
    EXPECT_EQ(sorn::checkUntrustedFile("sydney.md2", UntrustedKind::Model), FileVerdict::NotChecked);
    writeFile(dir.file("sydney.md2"), mediaBytes("sydney.md2.gz"));
    EXPECT_EQ(sorn::checkUntrustedFile("sydney.md2", UntrustedKind::Model), FileVerdict::Safe);
}

// The admit of an open takes the key each file had as its check began, but
// only while the file keeps its size and time, and never after the open.
TEST_F(QuarantineTest, KeysTakenAsChecksBeganServeTheirOpenOnly) {
    const std::string crash = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -5 -6 -70000\n";
    std::string good = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    good += "#" + std::string(crash.size() - good.size() - 2, ' ') + "\n"; // as long as crash
    ASSERT_EQ(good.size(), crash.size());
    enum class Between { Nothing, ResizedToACrash, OpenEndedThenRewritten };
    const struct {
        Between between;
        FileVerdict verdict;
    } cases[] = {
        {Between::Nothing, FileVerdict::Safe},
        {Between::ResizedToACrash, FileVerdict::Crashed},
        {Between::OpenEndedThenRewritten, FileVerdict::Crashed},
    };
    int index = 0;
    for (const auto& c : cases) {
        const std::string name = "begun" + std::to_string(index++) + ".obj";
        writeFile(dir.file(name), good);
        sorn::beginUntrustedCheck(name, UntrustedKind::Model);
        if (c.between == Between::ResizedToACrash) {
            writeFile(dir.file(name), crash + "\n");
        } else if (c.between == Between::OpenEndedThenRewritten) {
            sorn::forgetBegunFileKeys();
            ASSERT_NO_FATAL_FAILURE(rewriteKeepingSizeAndTime(dir.file(name), crash));
        }
        EXPECT_EQ(verdictName(sorn::checkUntrustedFile(name, UntrustedKind::Model)), verdictName(c.verdict)) << name;
    }
}

// Verdicts a new check would give again are kept in the cache folder for
// later runs, under the file's content and the checker: a rewritten file, a
// rebuilt check program or other limits are checked again, and what the
// machine or the user decided (no program, the wall clock) is not kept.
TEST_F(QuarantineTest, LastingVerdictsAreKeptAcrossRunsForTheSameContentAndChecker) {
    makeHostileCorpus(dir.path());
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    writeFile(dir.file("triangle.obj"), triangle);
    writeFile(dir.file("unchecked.obj"), triangle + triangle);
    const std::string program = std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck";
    sorn::QuarantineLimits quickWall = shortLimits();
    quickWall.check.wallSeconds = 1;
    struct Case {
        const char* file;
        UntrustedKind kind;
        std::string program;
        sorn::QuarantineLimits limits;
        FileVerdict verdict;
        bool kept;
    };
    const Case cases[] = {
        {"triangle.obj", UntrustedKind::Model, program, shortLimits(), FileVerdict::Safe, true},
        {"cut.x", UntrustedKind::Model, program, shortLimits(), FileVerdict::Crashed, true},
        {"huge-texcoords.md2", UntrustedKind::Model, program, shortLimits(), FileVerdict::TooLarge, true},
        {"unchecked.obj", UntrustedKind::Model, dir.file("no-program"), shortLimits(), FileVerdict::NotChecked, false},
        {"fifo-materials.obj", UntrustedKind::Model, program, quickWall, FileVerdict::TookTooLong, false},
    };
    for (const Case& c : cases) {
        sorn::forgetFileVerdicts();
        sorn::setQuarantineLimits(c.limits);
        sorn::setFileCheckProgram(c.program);
        EXPECT_EQ(verdictName(sorn::checkUntrustedFile(c.file, c.kind)), verdictName(c.verdict)) << c.file;
        freshRunWithoutChecks();
        EXPECT_EQ(verdictName(sorn::checkUntrustedFile(c.file, c.kind)),
                  verdictName(c.kept ? c.verdict : FileVerdict::NotChecked))
            << c.file << " kept: " << c.kept;
    }
    EXPECT_EQ(fs::status(dir.file("cache/sorn-editor")).permissions() & fs::perms::all, fs::perms::owner_all);

    // Another checker: other limits, or the program rebuilt.
    sorn::forgetFileVerdicts();
    sorn::QuarantineLimits otherMemory = shortLimits();
    otherMemory.check.memoryMegabytes = 512;
    sorn::setQuarantineLimits(otherMemory);
    sorn::setFileCheckProgram(unrunnableProgram());
    EXPECT_EQ(sorn::checkUntrustedFile("triangle.obj", UntrustedKind::Model), FileVerdict::NotChecked);
    sorn::forgetFileVerdicts();
    sorn::setQuarantineLimits(shortLimits());
    const std::string copy = dir.file("rebuilt-filecheck");
    writeFile(copy, "#!/bin/sh\nexit 4\n");
    ASSERT_EQ(chmod(copy.c_str(), 0700), 0);
    sorn::setFileCheckProgram(copy);
    EXPECT_EQ(sorn::checkUntrustedFile("triangle.obj", UntrustedKind::Model), FileVerdict::NotChecked);

    // The same file, rewritten in place with the same size and time.
    freshRunWithoutChecks();
    sorn::setQuarantineLimits(shortLimits());
    EXPECT_EQ(sorn::checkUntrustedFile("triangle.obj", UntrustedKind::Model), FileVerdict::Safe);
    std::string other = triangle;
    other[2] = '9';
    ASSERT_NO_FATAL_FAILURE(rewriteKeepingSizeAndTime(dir.file("triangle.obj"), other));
    freshRunWithoutChecks();
    EXPECT_EQ(sorn::checkUntrustedFile("triangle.obj", UntrustedKind::Model), FileVerdict::NotChecked);
    // The same bytes under another name and time are known.
    writeFile(dir.file("renamed.obj"), triangle);
    EXPECT_EQ(sorn::checkUntrustedFile("renamed.obj", UntrustedKind::Model), FileVerdict::Safe);
    EXPECT_EQ(sorn::checkUntrustedFile("renamed.obj", UntrustedKind::Image), FileVerdict::NotChecked)
        << "another kind of load";
}

// A cached verdict brings no decoded image: the engine decodes the image
// itself, and the texture is the file's.
TEST_F(QuarantineTest, AnImageKnownFromAnEarlierRunIsDecodedByTheEngine) {
    writeFile(dir.file("wall.jpg"), mediaBytes("wall.jpg"));
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    ASSERT_TRUE(sorn::admitUntrustedFile("wall.jpg", UntrustedKind::Image));
    video::ITexture* checked = driver->getTexture("wall.jpg");
    ASSERT_NE(checked, nullptr);
    const core::dimension2du size = checked->getOriginalSize();
    driver->removeTexture(checked); // a new run holds no texture
    freshRunWithoutChecks();
    const u32 before = driver->getTextureCount();
    ASSERT_TRUE(sorn::admitUntrustedFile("wall.jpg", UntrustedKind::Image));
    EXPECT_EQ(driver->getTextureCount(), before) << "nothing made ahead of the load";
    video::ITexture* loaded = driver->getTexture("wall.jpg");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->getOriginalSize(), size);
}

// An opened scene's mesh and texture are loaded from the bytes their
// verdicts were found for: a file rewritten between the admit and the
// engine's load, after a check or with a kept verdict, by its own name,
// through a linked folder or from a scene's folder the open moves into after
// the admit (as File > Open does), does not reach the engine (the null driver's
// textures have no size: a texture made at all tells the image's bytes were
// read, not the text that replaced them).
// Once the open ends the engine reads the disk again.
TEST_F(QuarantineTest, TheEngineLoadsTheBytesThatWereCheckedEvenWhenTheFileChangesAfter) {
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::string quad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3\nf 1 3 4\n";
    fs::create_directory(dir.file("media"));
    fs::create_directory_symlink(dir.file("media"), dir.file("linked"));
    const struct {
        const char* what;
        const char* folder;
        bool keptFromAnEarlierRun;
        bool intoTheScenesFolder;
    } cases[] = {
        {"checked in this open", "media", false, false},
        {"kept from an earlier run", "media", true, false},
        {"through a linked folder", "linked", true, false},
        {"from the scene's folder", "media", false, true},
    };
    io::IFileSystem* files = editor.device->getFileSystem();
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    scene::ISceneManager* smgr = editor.sceneManager;
    int index = 0;
    for (const auto& c : cases) {
        const std::string mesh = std::string(c.folder) + "/tri" + std::to_string(index) + ".obj";
        const std::string image = std::string(c.folder) + "/wall" + std::to_string(index++) + ".jpg";
        writeFile(dir.file(mesh), triangle);
        writeFile(dir.file(image), mediaBytes("wall.jpg"));
        // A scene in its files' folder names them from there.
        const std::string sceneFolder = c.intoTheScenesFolder ? dir.file(c.folder) : dir.path();
        const std::string scene = sceneFolder + "/served.irr";
        const size_t named = c.intoTheScenesFolder ? std::strlen(c.folder) + 1 : 0;
        writeFile(scene, "<irr_scene><node type=\"mesh\"><attributes><string name=\"Name\" value=\"Served\"/>"
                         "<string name=\"Mesh\" value=\"" + mesh.substr(named) + "\"/></attributes><materials>"
                         "<attributes><texture name=\"Texture1\" value=\"" + image.substr(named) + "\"/>"
                         "</attributes></materials></node></irr_scene>");
        if (c.keptFromAnEarlierRun) {
            ASSERT_TRUE(sorn::admitUntrustedFiles({{mesh, UntrustedKind::Model}, {image, UntrustedKind::Image}}));
            driver->removeAllTextures();
            freshRunWithoutChecks();
        }
        const u32 archives = editor.device->getFileSystem()->getFileArchiveCount();
        const sorn::SceneGate rewriteAfterTheAdmit = [&](const sorn::SceneScan& scan) {
            const bool admitted = sorn::admitSceneReferences(scan, c.intoTheScenesFolder ? sceneFolder : "");
            if (c.intoTheScenesFolder)
                files->changeWorkingDirectoryTo(sceneFolder.c_str());
            writeFile(dir.file(mesh), quad);
            writeFile(dir.file(image), "no image at all");
            return admitted;
        };
        sorn::FileRefusal why;
        const bool loaded = sorn::loadSceneInOnePass(scene, smgr->getRootSceneNode(), rewriteAfterTheAdmit, why,
                                                     sorn::sceneReferenceHook(c.intoTheScenesFolder ? sceneFolder : ""));
        files->changeWorkingDirectoryTo(dir.path().c_str());
        ASSERT_TRUE(loaded) << c.what;
        auto* node = static_cast<scene::IMeshSceneNode*>(smgr->getSceneNodeFromName("Served"));
        ASSERT_NE(node, nullptr) << c.what;
        ASSERT_NE(node->getMesh(), nullptr) << c.what;
        EXPECT_EQ(node->getMesh()->getMeshBuffer(0)->getVertexCount(), 3u) << c.what;
        EXPECT_NE(node->getMaterial(0).getTexture(0), nullptr) << c.what;
        EXPECT_EQ(editor.device->getFileSystem()->getFileArchiveCount(), archives) << c.what;
        node->remove();
        // The open is over: the next load reads the file as it is now.
        smgr->getMeshCache()->clear();
        scene::IAnimatedMesh* now = smgr->getMesh(mesh.c_str());
        ASSERT_NE(now, nullptr) << c.what;
        EXPECT_EQ(now->getMesh(0)->getMeshBuffer(0)->getVertexCount(), 4u) << c.what;
        smgr->getMeshCache()->clear();
        driver->removeAllTextures();
        EXPECT_EQ(driver->getTexture(image.c_str()), nullptr) << c.what;
        sorn::forgetFileVerdicts();
        sorn::setFileCheckProgram(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck");
    }
}

TEST(VerdictCacheFolder, XdgCacheHomeWhenAbsoluteElseTheHomeCache) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/x/cache", "/home/u", "/x/cache/sorn-editor"}, {"", "/home/u", "/home/u/.cache/sorn-editor"},
        {nullptr, "/home/u", "/home/u/.cache/sorn-editor"}, {"relative", "/home/u", "/home/u/.cache/sorn-editor"},
        {nullptr, nullptr, ""},                            {"/x/cache", nullptr, "/x/cache/sorn-editor"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sorn::chooseCacheFolder(c.xdg, c.home), c.expected) << (c.xdg ? c.xdg : "(unset)");
}

// The hash of a file's content is the same however it is read, and any
// changed byte, an added byte or a move of bytes gives another.
TEST(ContentHash, PiecesGiveTheWholesHashAndEveryByteCounts) {
    std::string bytes;
    for (int i = 0; i < 200; ++i)
        bytes.push_back(static_cast<char>(i * 37 + 11));
    const std::uint64_t whole = sorn::hashBytes(bytes.data(), bytes.size());
    for (size_t piece : {1u, 3u, 7u, 8u, 31u, 32u, 33u, 199u}) {
        sorn::ContentHash pieces;
        for (size_t at = 0; at < bytes.size(); at += piece)
            pieces.add(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(pieces.value(), whole) << "pieces of " << piece;
    }
    for (size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] ^= 1;
        EXPECT_NE(sorn::hashBytes(changed.data(), changed.size()), whole) << "byte " << at;
    }
    std::string swapped = bytes;
    std::swap(swapped[3], swapped[150]);
    EXPECT_NE(sorn::hashBytes(swapped.data(), swapped.size()), whole);
    EXPECT_NE(sorn::hashBytes(bytes.data(), bytes.size() - 1), whole);
    const std::string zeros(64, '\0');
    EXPECT_NE(sorn::hashBytes(zeros.data(), 64), sorn::hashBytes(zeros.data(), 63)) << "the length counts";
    sorn::test::TempDir dir;
    writeFile(dir.file("bytes"), bytes);
    std::uint64_t read = 0;
    long long size = 0;
    ASSERT_TRUE(sorn::hashFile(dir.file("bytes"), read, size));
    EXPECT_EQ(read, whole);
    EXPECT_EQ(size, 200);
    EXPECT_FALSE(sorn::hashFile(dir.path(), read, size)) << "a folder";
    // Read whole and kept, whatever size the file was thought to have, but
    // not beyond the size it may have.
    for (long long expected : {0LL, 1LL, 199LL, 200LL, 4096LL}) {
        const int fd = ::open(dir.file("bytes").c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        sorn::FileBytes kept;
        std::uint64_t keptHash = 0;
        EXPECT_FALSE(sorn::readAndHashOpenFile(fd, std::min(expected, 100LL), 100, kept, keptHash)) << expected;
        EXPECT_EQ(kept.data(), nullptr) << expected;
        ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
        EXPECT_TRUE(sorn::readAndHashOpenFile(fd, expected, 1 << 20, kept, keptHash)) << expected;
        ::close(fd);
        EXPECT_EQ(keptHash, whole) << expected;
        ASSERT_EQ(kept.size(), bytes.size()) << expected;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(kept.data()), kept.size()), bytes) << expected;
    }
    // The memory of bytes let go is read into again rather than fresh pages.
    const unsigned char* first = nullptr;
    for (int read = 0; read < 2; ++read) {
        const int fd = ::open(dir.file("bytes").c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        sorn::FileBytes kept;
        std::uint64_t keptHash = 0;
        ASSERT_TRUE(sorn::readAndHashOpenFile(fd, 200, 1 << 20, kept, keptHash));
        ::close(fd);
        if (read == 0)
            first = kept.data();
        else
            EXPECT_EQ(kept.data(), first);
    }
}

sorn::VerdictKey keyNumber(std::uint64_t number) {
    return {number, static_cast<long long>(number % 1000), UntrustedKind::Model, 42};
}

// A cache file that is damaged, foreign, too large, or no file at all is
// ignored, and the next write replaces it with a sound one.
TEST(VerdictCacheFile, OnlyASoundFileIsReadAndAnyOtherIsReplaced) {
    sorn::test::TempDir dir;
    sorn::VerdictStore one;
    one.put(keyNumber(1), FileVerdict::Safe, 5);
    const std::string sound = one.encode();
    std::string flipped = sound, version = sound;
    flipped[sound.size() - 9] ^= 4;
    version[4] = 9;
    std::string huge = sound;
    huge.resize(sorn::VerdictStore::kMaxFileBytes + 40, '\0');
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        bool writable;
    };
    const auto bytes = [](std::string content) { return [content](const std::string& path) { writeFile(path, content); }; };
    const Case cases[] = {
        {"empty", bytes(""), true},
        {"foreign", bytes("<?xml version=\"1.0\"?><settings/>"), true},
        {"truncated", bytes(sound.substr(0, sound.size() - 1)), true},
        {"a flipped bit", bytes(flipped), true},
        {"another version", bytes(version), true},
        {"too large", bytes(huge), true},
        {"a link to nothing", [&](const std::string& path) { fs::create_symlink(dir.file("nowhere"), path); }, true},
        {"a FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }, false},
        {"a folder", [](const std::string& path) { fs::create_directory(path); }, false},
    };
    for (const Case& c : cases) {
        const std::string folder = dir.file(std::string("c") + std::to_string(&c - cases));
        fs::create_directory(folder);
        c.make(folder + "/verdicts");
        sorn::VerdictStore read;
        read.put(keyNumber(7), FileVerdict::Safe, 1);
        EXPECT_FALSE(sorn::readVerdictCache(folder, read)) << c.what;
        EXPECT_TRUE(read.empty()) << c.what;
        sorn::VerdictStore other;
        other.put(keyNumber(2), FileVerdict::Crashed, 6);
        EXPECT_EQ(sorn::writeVerdictCache(folder, other), c.writable) << c.what;
        if (!c.writable)
            continue;
        ASSERT_TRUE(sorn::readVerdictCache(folder, read)) << c.what;
        EXPECT_EQ(read.size(), 1u) << c.what;
        ASSERT_NE(read.find(keyNumber(2)), nullptr) << c.what;
        EXPECT_EQ(*read.find(keyNumber(2)), FileVerdict::Crashed);
    }
    // A sound file is read, and the file stays bounded: the oldest go.
    sorn::VerdictStore many;
    for (std::uint64_t i = 0; i < sorn::VerdictStore::kMaxVerdicts + 10; ++i)
        many.put(keyNumber(i), FileVerdict::Safe, static_cast<std::int64_t>(i));
    sorn::VerdictStore back;
    ASSERT_TRUE(back.decode(many.encode()));
    EXPECT_EQ(back.size(), sorn::VerdictStore::kMaxVerdicts);
    EXPECT_EQ(back.find(keyNumber(9)), nullptr);
    EXPECT_NE(back.find(keyNumber(10)), nullptr);
}

// Two editors writing the cache at once lose none of each other's verdicts
// and never leave a torn file.
TEST(VerdictCacheFile, TwoWritersAtOnceKeepEverything) {
    sorn::test::TempDir dir;
    const std::string folder = dir.file("new/sorn-editor");
    constexpr int kWrites = 25;
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            bool all = true;
            for (int i = 0; i < kWrites; ++i) {
                sorn::VerdictStore one;
                one.put(keyNumber(static_cast<std::uint64_t>(w * 1000 + i)), FileVerdict::Safe, i);
                all = sorn::writeVerdictCache(folder, one) && all;
            }
            _exit(all ? 0 : 1);
        }
    }
    for (pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    sorn::VerdictStore read;
    ASSERT_TRUE(sorn::readVerdictCache(folder, read));
    EXPECT_EQ(read.size(), 2u * kWrites);
}

TEST_F(QuarantineTest, AProgramThatCannotStartRefusesTheFileAndSaysSo) {
    writeFile(dir.file("sydney.md2"), mediaBytes("sydney.md2.gz"));
    sorn::setFileCheckProgram(dir.file("no-such-program"));
    EXPECT_FALSE(sorn::admitUntrustedFile("sydney.md2", UntrustedKind::Model));
    const std::wstring text = messageBoxText();
    EXPECT_NE(text.find(L"sydney.md2"), std::wstring::npos);
    EXPECT_NE(text.find(reasonText(FileVerdict::NotChecked)), std::wstring::npos) << sorn::narrowPath(text.c_str());
    // Not kept: once the program is there, the file passes.
    sorn::setFileCheckProgram(std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck");
    EXPECT_TRUE(sorn::admitUntrustedFile("sydney.md2", UntrustedKind::Model));
}

TEST_F(QuarantineTest, FilesInsideMountedArchivesAreCheckedThroughTheArchive) {
    writeFile(dir.file("map.pk3"), mediaBytes("map-20kdm2.pk3.gz"));
    EXPECT_EQ(sorn::checkUntrustedFile("20kdm2.bsp", UntrustedKind::Model), FileVerdict::NotLoadable)
        << "not mounted yet: nowhere to be found";
    ASSERT_TRUE(sorn::openFile("map.pk3", false));
    EXPECT_EQ(sorn::checkUntrustedFile("20kdm2.bsp", UntrustedKind::Model), FileVerdict::Safe);
    ASSERT_TRUE(sorn::openFile("20kdm2.bsp", false));
    EXPECT_STREQ((*editor.sceneManager->getRootSceneNode()->getChildren().getLast())->getName(), "20kdm2.bsp");
}

TEST_F(QuarantineTest, ListedFilesShareOneMessageNamingEachRefusedFile) {
    makeHostileCorpus(dir.path());
    writeFile(dir.file("sydney.md2"), mediaBytes("sydney.md2.gz"));
    EXPECT_FALSE(sorn::admitUntrustedFiles({{"cut.x", UntrustedKind::Model},
                                            {"sydney.md2", UntrustedKind::Model},
                                            {"fifo.obj", UntrustedKind::Model},
                                            {"cut.x", UntrustedKind::Model}}));
    const std::wstring text = messageBoxText();
    EXPECT_NE(text.find(sorn::translate(L"file_refused_text").c_str()), std::wstring::npos);
    EXPECT_NE(text.find(L"cut.x: " + reasonText(FileVerdict::Crashed)), std::wstring::npos) << std::string(text.begin(), text.end());
    EXPECT_NE(text.find(L"fifo.obj: " + reasonText(FileVerdict::Unreadable)), std::wstring::npos);
    EXPECT_EQ(text.find(L"sydney.md2"), std::wstring::npos);
    EXPECT_EQ(text.find(L"cut.x"), text.rfind(L"cut.x")) << "each file named once";
    EXPECT_TRUE(sorn::admitUntrustedFiles({{"sydney.md2", UntrustedKind::Model}, {"missing.obj", UntrustedKind::Model}}));
}

TEST_F(QuarantineTest, UserTexturesGoThroughTheQuarantine) {
    makeHostileCorpus(dir.path());
    writeFile(dir.file("wall.jpg"), mediaBytes("wall.jpg"));
    EXPECT_EQ(sorn::loadUserTexture("lying-header.bmp"), nullptr);
    EXPECT_NE(messageBoxText().find(L"lying-header.bmp: " + reasonText(FileVerdict::TooLarge)), std::wstring::npos);
    EXPECT_EQ(editor.device->getVideoDriver()->findTexture(
                  editor.device->getFileSystem()->getAbsolutePath("lying-header.bmp")),
              nullptr);
    EXPECT_NE(sorn::loadUserTexture("wall.jpg"), nullptr);
}

// A checked image's texture is made from the check's own decode: asking the
// engine for it afterwards reads the file no more (here it is no image by then).
TEST_F(QuarantineTest, ACheckedImageIsNotDecodedAgain) {
    writeFile(dir.file("wall.jpg"), mediaBytes("wall.jpg"));
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    const io::path absolute = editor.device->getFileSystem()->getAbsolutePath("wall.jpg");
    ASSERT_TRUE(sorn::admitUntrustedFile("wall.jpg", UntrustedKind::Image));
    EXPECT_NE(driver->findTexture(absolute), nullptr);
    writeFile(dir.file("wall.jpg"), "no image any more");
    video::ITexture* texture = driver->getTexture("wall.jpg");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getName().getPath(), absolute) << "the name a texture loaded from the file has";
}

// A refused file keeps everything of the list from loading, and the
// textures made ahead of the load go too.
TEST_F(QuarantineTest, TexturesMadeAheadGoWhenAFileBesideThemIsRefused) {
    makeHostileCorpus(dir.path());
    writeFile(dir.file("wall.jpg"), mediaBytes("wall.jpg"));
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    const u32 before = driver->getTextureCount();
    EXPECT_FALSE(sorn::admitUntrustedFiles({{"wall.jpg", UntrustedKind::Image}, {"cut.x", UntrustedKind::Model}}));
    EXPECT_EQ(driver->findTexture(editor.device->getFileSystem()->getAbsolutePath("wall.jpg")), nullptr);
    EXPECT_EQ(driver->getTextureCount(), before);
    // Its verdict is kept: asked for alone, the engine loads it itself.
    EXPECT_TRUE(sorn::admitUntrustedFile("wall.jpg", UntrustedKind::Image));
    EXPECT_NE(driver->getTexture("wall.jpg"), nullptr);
}

// Opening each hostile file the way a user does: on the command line, or
// chosen in the add-model and add-animated-model dialogs.
enum class EntryPoint { CommandLine, AddModelDialog, AddAnimatedModelDialog };

class HostileFileTest : public sorn::test::EditorTest,
                        public testing::WithParamInterface<std::tuple<HostileFile, EntryPoint>> {
protected:
    void SetUp() override {
        startInSetUp = false;
        EditorTest::SetUp();
        sorn::forgetFileVerdicts();
        sorn::setQuarantineLimits(shortLimits());
    }
    void TearDown() override {
        sorn::setQuarantineLimits(sorn::defaultQuarantineLimits());
        EditorTest::TearDown();
    }

    // Chooses the file in the open dialog's list and clicks OK.
    void chooseInDialog(s32 commandId, s32 dialogId, const std::string& name) {
        chooseMenuCommand(commandId);
        gui::IGUIElement* dialog = sorn::findElement(dialogId);
        ASSERT_NE(dialog, nullptr);
        gui::IGUIListBox* list = nullptr;
        for (gui::IGUIElement* child : dialog->getChildren())
            if (child->getType() == gui::EGUIET_LIST_BOX)
                list = static_cast<gui::IGUIListBox*>(child);
        ASSERT_NE(list, nullptr);
        s32 index = -1;
        for (u32 i = 0; i < list->getItemCount(); ++i)
            if (sorn::narrowPath(list->getListItem(i)) == name)
                index = static_cast<s32>(i);
        ASSERT_GE(index, 0) << name << " is not listed";
        list->setSelected(index);
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = list;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = gui::EGET_LISTBOX_CHANGED;
        dialog->OnEvent(event);
        // Then the dialog's OK button.
        for (gui::IGUIElement* child : dialog->getChildren())
            if (child->getType() == gui::EGUIET_BUTTON && core::stringw(child->getText()) == L"OK")
                event.GUIEvent.Caller = child;
        ASSERT_NE(event.GUIEvent.Caller, list);
        event.GUIEvent.EventType = gui::EGET_BUTTON_CLICKED;
        // The dialog removes itself while handling the click, as it does
        // under the engine's own dispatch, which holds it meanwhile.
        dialog->grab();
        dialog->OnEvent(event);
        dialog->drop();
    }

    u32 userNodeCount() const {
        u32 count = 0;
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            count += node->isDebugObject() ? 0 : 1;
        return count;
    }
};

TEST_P(HostileFileTest, EditorStaysUpSceneUnchangedAndTheUserIsTold) {
    const HostileFile file = std::get<0>(GetParam());
    const EntryPoint entry = std::get<1>(GetParam());
    makeHostileCorpus(appFolder.path());
    if (entry == EntryPoint::CommandLine) {
        start({file.name});
        EXPECT_EQ(userNodeCount(), 0u);
    } else {
        start();
        const u32 before = userNodeCount();
        const u32 meshes = smgr()->getMeshCache()->getMeshCount();
        const bool animated = entry == EntryPoint::AddAnimatedModelDialog;
        chooseInDialog(animated ? sorn::ids::CmdAddAnimatedModel : sorn::ids::CmdAddModel,
                       animated ? sorn::ids::DialogAddAnimatedMesh : sorn::ids::DialogAddStaticMesh, file.name);
        EXPECT_EQ(userNodeCount(), before);
        EXPECT_EQ(smgr()->getMeshCache()->getMeshCount(), meshes);
    }
    EXPECT_EQ(smgr()->getSceneNodeFromName(file.name), nullptr);
    const std::wstring text = messageBoxText();
    const bool toldByCheck =
        text.find(sorn::widePath(file.name).c_str() + std::wstring(L": ") + reasonText(file.expected)) !=
        std::wstring::npos;
    // A file that is no regular file is already refused by the open's own
    // readability check, whose message names it.
    const bool toldByOpen = file.expected == FileVerdict::Unreadable &&
                            text.find(sorn::widePath(file.name).c_str()) != std::wstring::npos;
    EXPECT_TRUE(toldByCheck || toldByOpen) << sorn::narrowPath(text.c_str());
    activePasses(3); // the editor carries on
    EXPECT_NE(sorn::findElement(sorn::ids::MenuBar), nullptr);
}

std::vector<std::tuple<HostileFile, EntryPoint>> hostileCases() {
    std::vector<std::tuple<HostileFile, EntryPoint>> cases;
    for (EntryPoint entry : {EntryPoint::CommandLine, EntryPoint::AddModelDialog, EntryPoint::AddAnimatedModelDialog}) {
        for (const HostileFile& file : kHostileFiles)
            if (file.kind == UntrustedKind::Model) // images have their own test
                cases.emplace_back(file, entry);
        for (const HostileFile& file : kHangingFiles)
            cases.emplace_back(file, entry);
    }
    return cases;
}

using HostileCase = std::tuple<HostileFile, EntryPoint>;

std::string hostileCaseName(const testing::TestParamInfo<HostileCase>& info) {
    std::string name = std::get<0>(info.param).name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    const char* entries[] = {"CommandLine", "AddModelDialog", "AddAnimatedModelDialog"};
    return name + "_" + entries[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileFileTest, testing::ValuesIn(hostileCases()), hostileCaseName);

} // namespace
