// Post-processing of saved scenes: decimal commas in numbers become points in
// every file encoding the engine reads, while text of the user's own keeps its
// commas, and the saved file is never lost.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "files/DecimalCommas.h"
#include "files/SceneFileTrace.h"
#include "files/ScenePostProcess.h"
#include "support/EditorFixture.h"
#include "support/FileSystemFaults.h"

using sorn::postProcessScene;
using sorn::test::readFile;
using sorn::test::TempDir;
using sorn::test::writeFile;
namespace fs = std::filesystem;

namespace {

enum class Form { Utf32LE, Utf32BE, Utf16LE, Utf16BE, Utf8Bom, Bytes };

// ASCII text stored the way the given form stores it, byte-order mark first.
std::string encode(const std::string& text, Form form) {
    std::string out;
    auto unit = [&out](unsigned long c, int size, bool big) {
        for (int i = 0; i < size; ++i) {
            int shift = big ? 8 * (size - 1 - i) : 8 * i;
            out += static_cast<char>((c >> shift) & 0xFF);
        }
    };
    int size = 1;
    bool big = false;
    switch (form) {
    case Form::Utf32LE: size = 4; break;
    case Form::Utf32BE: size = 4; big = true; break;
    case Form::Utf16LE: size = 2; break;
    case Form::Utf16BE: size = 2; big = true; break;
    case Form::Utf8Bom: out = "\xEF\xBB\xBF"; break;
    case Form::Bytes: break;
    }
    if (size > 1)
        unit(0xFEFF, size, big);
    for (unsigned char c : text)
        unit(c, size, big);
    return out;
}

const char* const kSavedScene =
    "<?xml version=\"1.0\"?>\n"
    "<irr_scene>\n"
    "\t<attributes>\n"
    "\t\t<colorf name=\"AmbientLight\" value=\"0,000000, 1,000000, 0,000000, 0,500000\" />\n"
    "\t\t<float name=\"FogStart\" value=\"50,000000\" />\n"
    "\t</attributes>\n"
    "\t<node type=\"cube\">\n"
    "\t\t<attributes>\n"
    "\t\t\t<string name=\"Name\" value=\"a,b 1,5, 2,25\" />\n"
    "\t\t\t<int name=\"Id\" value=\"-1\" />\n"
    "\t\t\t<vector3d name=\"Position\" value=\"1,500000, 2,250000, -3,000000\" />\n"
    "\t\t\t<color name=\"Ambient\" value=\"ffffffff\" />\n"
    "\t\t\t<texture name=\"Texture1\" value=\"maps/v1,2/wall,3.png\" />\n"
    "\t\t\t<enum name=\"Type\" value=\"solid\" />\n"
    "\t\t\t<matrix name=\"M\" value=\"1,0, 0,0, 0,0, 1,0\"/>\n"
    "\t\t\t<vector2d name='Size' value='7,5, 8,25'/>\n"
    "\t\t</attributes>\n"
    "\t\t<!-- <float name=\"x\" value=\"4,5\" /> -->\n"
    "\t</node>\n"
    "\t<text>255, 255, 1,5</text>\n"
    "</irr_scene>\n";

const char* const kPostProcessedScene =
    "<?xml version=\"1.0\"?>\n"
    "<irr_scene>\n"
    "\t<attributes>\n"
    "\t\t<colorf name=\"AmbientLight\" value=\"0.000000, 1.000000, 0.000000, 0.500000\" />\n"
    "\t\t<float name=\"FogStart\" value=\"50.000000\" />\n"
    "\t</attributes>\n"
    "\t<node type=\"cube\">\n"
    "\t\t<attributes>\n"
    "\t\t\t<string name=\"Name\" value=\"a,b 1,5, 2,25\" />\n"
    "\t\t\t<int name=\"Id\" value=\"-1\" />\n"
    "\t\t\t<vector3d name=\"Position\" value=\"1.500000, 2.250000, -3.000000\" />\n"
    "\t\t\t<color name=\"Ambient\" value=\"ffffffff\" />\n"
    "\t\t\t<texture name=\"Texture1\" value=\"maps/v1,2/wall,3.png\" />\n"
    "\t\t\t<enum name=\"Type\" value=\"solid\" />\n"
    "\t\t\t<matrix name=\"M\" value=\"1.0, 0.0, 0.0, 1.0\"/>\n"
    "\t\t\t<vector2d name='Size' value='7.5, 8.25'/>\n"
    "\t\t</attributes>\n"
    "\t\t<!-- <float name=\"x\" value=\"4,5\" /> -->\n"
    "\t</node>\n"
    "\t<text>255, 255, 1,5</text>\n"
    "</irr_scene>\n";

std::string captureTrace(const std::wstring& path, bool* result = nullptr) {
    testing::internal::CaptureStdout();
    bool done = postProcessScene(path.c_str());
    if (result)
        *result = done;
    return testing::internal::GetCapturedStdout();
}

std::wstring wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

ino_t inodeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

size_t entryCount(const std::string& folder) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

const char* const kTraceRewritten =
    "Post-Traitement=\nOuverture du fichier------->OK\nEcriture------->OK\nFile successfully renamed";
// A file that needs no change is left in place and reported as completed.
const char* const kTraceUnchanged = kTraceRewritten;
const char* const kTraceCannotOpen = "Post-Traitement=\nOuverture du fichier------->Error\n";
const char* const kTraceCannotWrite = "Post-Traitement=\nOuverture du fichier------->OK\nEcriture------->Error\n";

// The progress lines that saving and post-processing share: the steps run in
// order, the first that fails ends the run with "Error", and a failed
// replacement is the only step whose success prints nothing.
TEST(SceneFileTrace, StepsRunInOrderAndStopAtTheFirstFailure) {
    struct Case {
        int failingStep; // 0: none
        bool result;
        std::string steps;
        const char* trace;
    };
    const Case cases[] = {
        {0, true, "owr", kTraceRewritten},
        {1, false, "o", kTraceCannotOpen},
        {2, false, "ow", kTraceCannotWrite},
        {3, false, "owr", "Post-Traitement=\nOuverture du fichier------->OK\nEcriture------->OK\nError\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failingStep);
        std::string ran;
        auto step = [&](char name, int number) {
            return [&ran, &c, name, number] {
                ran += name;
                return c.failingStep != number;
            };
        };
        testing::internal::CaptureStdout();
        const bool result = sorn::traceSceneFileSteps(step('o', 1), step('w', 2), step('r', 3));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.trace);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(ran, c.steps);
    }
}

class PostProcessForm : public testing::TestWithParam<Form> {
protected:
    TempDir dir;
};

TEST_P(PostProcessForm, DecimalCommasInNumbersBecomePointsAndEverythingElseStays) {
    const std::string path = dir.file("level.irr");
    writeFile(path, encode(kSavedScene, GetParam()));
    bool result = false;
    EXPECT_EQ(captureTrace(wide(path), &result), kTraceRewritten);
    EXPECT_TRUE(result);
    EXPECT_EQ(readFile(path), encode(kPostProcessedScene, GetParam()));
    EXPECT_EQ(entryCount(dir.path()), 1u);
}

TEST_P(PostProcessForm, SecondRunAndCommaFreeFilesAreLeftUntouched) {
    const std::string path = dir.file("level.irr");
    writeFile(path, encode(kSavedScene, GetParam()));
    captureTrace(wide(path));
    const ino_t firstInode = inodeOf(path);
    bool result = false;
    EXPECT_EQ(captureTrace(wide(path), &result), kTraceUnchanged);
    EXPECT_TRUE(result);
    EXPECT_EQ(readFile(path), encode(kPostProcessedScene, GetParam()));
    EXPECT_EQ(inodeOf(path), firstInode) << "a file needing no change must not be rewritten";
}

INSTANTIATE_TEST_SUITE_P(Encodings, PostProcessForm,
                         testing::Values(Form::Utf32LE, Form::Utf32BE, Form::Utf16LE, Form::Utf16BE,
                                         Form::Utf8Bom, Form::Bytes));

// The rewriter must give the same result however the file is cut into blocks,
// including cuts inside a character and right after a comma.
TEST(DecimalCommaRewriter, ResultDoesNotDependOnWhereBlocksEnd) {
    for (Form form : {Form::Utf32LE, Form::Utf16LE, Form::Bytes}) {
        const std::string input = encode(kSavedScene, form);
        const std::string expected = encode(kPostProcessedScene, form);
        std::mt19937 random(42);
        for (int round = 0; round < 200; ++round) {
            std::string output;
            std::string pending;
            sorn::DecimalCommaRewriter rewriter{sorn::detectEncoding(
                reinterpret_cast<const unsigned char*>(input.data()), input.size())};
            size_t position = 0;
            while (position < input.size()) {
                size_t take = std::min<size_t>(input.size() - position, 1 + random() % 9);
                pending += input.substr(position, take);
                position += take;
                size_t final = rewriter.feed(reinterpret_cast<unsigned char*>(&pending[0]), pending.size());
                output += pending.substr(0, final);
                pending.erase(0, final);
            }
            rewriter.finish();
            output += pending;
            ASSERT_EQ(output, expected) << "form " << static_cast<int>(form) << " round " << round;
        }
    }
}

TEST(DecimalCommaRewriter, CommaAtTheVeryEndStaysAComma) {
    std::string text = encode("<float value=\"1,", Form::Utf16LE);
    sorn::DecimalCommaRewriter rewriter{sorn::detectEncoding(
        reinterpret_cast<const unsigned char*>(text.data()), text.size())};
    size_t final = rewriter.feed(reinterpret_cast<unsigned char*>(&text[0]), text.size());
    EXPECT_EQ(final, text.size() - 2) << "the comma waits for its follower";
    rewriter.finish();
    EXPECT_FALSE(rewriter.changed());
    EXPECT_EQ(text, encode("<float value=\"1,", Form::Utf16LE));
}

TEST(PostProcess, CommaOnTheBoundaryOfLargeFileBlocksIsRewritten) {
    TempDir dir;
    // Commas land on every unit position around the 1 MiB read blocks.
    std::string scene = "<?xml version=\"1.0\"?>\n<irr_scene>\n";
    std::string expected = scene;
    while (scene.size() < 700000) {
        scene += "<float name=\"F\" value=\"12,5\" /><vector3d name=\"P\" value=\"1,25, -0,5, 3,0\" />\n";
        expected += "<float name=\"F\" value=\"12.5\" /><vector3d name=\"P\" value=\"1.25, -0.5, 3.0\" />\n";
    }
    scene += "</irr_scene>\n";
    expected += "</irr_scene>\n";
    const std::string path = dir.file("big.irr");
    writeFile(path, encode(scene, Form::Utf32LE));
    EXPECT_EQ(captureTrace(wide(path)), kTraceRewritten);
    EXPECT_TRUE(readFile(path) == encode(expected, Form::Utf32LE));
}

TEST(PostProcess, KeepsTheAccessRightsOfTheSavedFile) {
    TempDir dir;
    const std::string path = dir.file("level.irr");
    writeFile(path, encode(kSavedScene, Form::Utf32LE));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    captureTrace(wide(path));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST(PostProcess, NonAsciiPathIsUsedAsItIs) {
    TempDir dir;
    const std::string path = dir.file("sc\xC3\xA8ne, 1.irr"); // "scène, 1.irr" in UTF-8
    writeFile(path, encode(kSavedScene, Form::Utf32LE));
    std::wstring widePath = wide(dir.path()) + L"/sc\u00E8ne, 1.irr";
    EXPECT_EQ(captureTrace(widePath), kTraceRewritten);
    EXPECT_EQ(readFile(path), encode(kPostProcessedScene, Form::Utf32LE));
    EXPECT_EQ(entryCount(dir.path()), 1u) << "no file under a name cut to low bytes";
}

// Failures: "Error", the saved file byte for byte as it was, no temporary file.
class PostProcessFailure : public testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous_ = cwd;
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        original = encode(kSavedScene, Form::Utf32LE);
    }
    void TearDown() override { (void)chdir(previous_.c_str()); }

    TempDir dir;
    std::string original;

private:
    std::string previous_;
};

TEST_F(PostProcessFailure, ReadOnlyFileOrFolder) {
    writeFile("level.irr", original);
    if (!sorn::test::setImmutable("level.irr", true))
        GTEST_SKIP() << "chattr +i is not allowed here: read-only cases not tested";
    bool result = true;
    EXPECT_EQ(captureTrace(L"level.irr", &result), kTraceCannotWrite);
    EXPECT_FALSE(result);
    sorn::test::setImmutable("level.irr", false);
    ASSERT_TRUE(sorn::test::setImmutable(".", true));
    EXPECT_EQ(captureTrace(L"level.irr"), kTraceCannotWrite);
    sorn::test::setImmutable(".", false);
    EXPECT_EQ(readFile("level.irr"), original);
    EXPECT_EQ(entryCount("."), 1u);
}

// A file or a link named "<name>_tmpf.tmp" beside the scene is the user's:
// the post-processing leaves it as it is.
TEST_F(PostProcessFailure, FileOrLinkOfTheOldTemporaryNameIsUntouched) {
    writeFile("level.irr", original);
    writeFile("level_tmpf.tmp", "the user's own file");
    EXPECT_EQ(captureTrace(L"level.irr"), kTraceRewritten);
    EXPECT_EQ(readFile("level_tmpf.tmp"), "the user's own file");

    fs::create_directory("sub");
    writeFile("sub/level.irr", original);
    writeFile("victim", "elsewhere");
    fs::create_symlink("../victim", "sub/level_tmpf.tmp");
    EXPECT_EQ(captureTrace(L"sub/level.irr"), kTraceRewritten);
    EXPECT_EQ(readFile("victim"), "elsewhere");
    EXPECT_TRUE(fs::is_symlink("sub/level_tmpf.tmp"));
    EXPECT_EQ(readFile("sub/level.irr"), encode(kPostProcessedScene, Form::Utf32LE));
}

TEST_F(PostProcessFailure, InputThatCannotBeRead) {
    bool result = true;
    EXPECT_EQ(captureTrace(L"missing.irr", &result), kTraceCannotOpen);
    EXPECT_FALSE(result);
    fs::create_directory("folder.irr");
    EXPECT_EQ(captureTrace(L"folder.irr"), kTraceCannotOpen);
    ASSERT_EQ(mkfifo("pipe.irr", 0600), 0);
    EXPECT_EQ(captureTrace(L"pipe.irr"), kTraceCannotOpen) << "a pipe must not hang the editor";
    EXPECT_EQ(entryCount("."), 2u);
    if (geteuid() != 0) {
        writeFile("locked.irr", original);
        ASSERT_EQ(::chmod("locked.irr", 0), 0);
        EXPECT_EQ(captureTrace(L"locked.irr"), kTraceCannotOpen);
        ::chmod("locked.irr", 0600);
        EXPECT_EQ(readFile("locked.irr"), original);
    }
}

TEST_F(PostProcessFailure, ShortWriteOfTheTemporaryFile) {
    std::string big = "<irr_scene>";
    while (big.size() < 200000)
        big += "<float name=\"F\" value=\"1,5\" />";
    big += "</irr_scene>";
    original = encode(big, Form::Utf16LE);
    writeFile("level.irr", original);

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    sighandler_t previousHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100000; // the copy cannot grow past this
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool result = true;
    std::string trace = captureTrace(L"level.irr", &result);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(trace, kTraceCannotWrite);
    EXPECT_FALSE(result);
    EXPECT_EQ(readFile("level.irr"), original);
    EXPECT_EQ(entryCount("."), 1u);
}

} // namespace

namespace {

// The quick first pass finds a digit-comma-digit wherever a block starts,
// in every form, and is not fooled by a comma byte inside another character.
TEST(DigitCommaDigitScan, FindsDecimalCommasAtEveryBlockOffsetOnly) {
    for (Form form : {Form::Utf32LE, Form::Utf32BE, Form::Utf16LE, Form::Utf16BE, Form::Bytes}) {
        const std::string with = encode("<float value=\"1,5\"/>", form);
        const std::string without = encode("<string value=\"a,b, 1, 2\"/>", form);
        const sorn::TextEncoding encoding =
            sorn::detectEncoding(reinterpret_cast<const unsigned char*>(with.data()), with.size());
        for (size_t cut = 0; cut < with.size(); ++cut) {
            // A block that begins at `cut` sees the file from there on.
            const auto* tail = reinterpret_cast<const unsigned char*>(with.data() + cut);
            const size_t comma = with.find(',');
            const bool whole = cut + encoding.unitSize <= comma - (encoding.bigEndian ? encoding.unitSize - 1 : 0);
            EXPECT_EQ(sorn::holdsDigitCommaDigit(tail, with.size() - cut, cut, encoding), whole)
                << static_cast<int>(form) << " cut " << cut;
        }
        EXPECT_FALSE(sorn::holdsDigitCommaDigit(reinterpret_cast<const unsigned char*>(without.data()),
                                                without.size(), 0, encoding));
    }
    // U+2C31 between digits in UTF-32LE holds a 0x2C byte that is no comma.
    const std::string misaligned("\xFF\xFE\0\0" "1\0\0\0" "\x31\x2C\0\0" "5\0\0\0", 16);
    EXPECT_FALSE(sorn::holdsDigitCommaDigit(reinterpret_cast<const unsigned char*>(misaligned.data()),
                                            misaligned.size(), 0, {4, false}));
}

} // namespace
