// Saving a scene through a temporary file: a full disk, a failing write at any
// point, a read-only place or a file of the old temporary name never cost the
// user the scene that was there, and a failure is never reported as success.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "app/GuiIds.h"
#include "app/Translate.h"
#include "app/PathText.h"
#include "events/SaveWindow.h"
#include "files/SceneSave.h"
#include "files/SceneTextWriteFile.h"
#include "support/EditorFixture.h"
#include "support/FileSystemFaults.h"

using namespace irr;
using sorn::editor;
using sorn::saveSceneFile;
using sorn::test::folderEntries;
using sorn::test::readFile;
using sorn::test::TempDir;
using sorn::test::writeFile;
namespace fs = std::filesystem;
namespace ids = sorn::ids;

namespace {

const char* const kSaved =
    "Post-Traitement=\nOuverture du fichier------->OK\nEcriture------->OK\nFile successfully renamed";
const char* const kCannotCreate = "Post-Traitement=\nOuverture du fichier------->Error\n";
const char* const kCannotWrite = "Post-Traitement=\nOuverture du fichier------->OK\nEcriture------->Error\n";

class SceneSaveTest : public sorn::test::EditorTest {
protected:
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        EditorTest::TearDown();
    }

    // Numbers with decimal commas, so that the post-processing rewrites too.
    bool decimalCommaLocale() { return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr; }

    std::string save(const std::string& path, bool* result = nullptr) {
        testing::internal::CaptureStdout();
        const bool saved = saveSceneFile(path);
        if (result)
            *result = saved;
        return testing::internal::GetCapturedStdout();
    }

    // File > Save as the user does it: the path typed, the Save button pressed.
    std::string saveFromWindow(const std::string& path) {
        sorn::saveWindow.open();
        sorn::findElement(ids::SavePathEdit)->setText(sorn::widePath(path).c_str());
        testing::internal::CaptureStdout();
        clickButton(ids::SaveButton);
        // A file that is there is replaced once the user says so.
        if (gui::IGUIElement* question = sorn::findElement(ids::ReplaceFileBox)) {
            postGuiEvent(gui::EGET_MESSAGEBOX_YES, question);
            question->remove();
        }
        return testing::internal::GetCapturedStdout();
    }

    // The message that the scene was not saved, ending with the reason and
    // the system's own words for it.
    bool saveFailedShown(const wchar_t* reasonKey, const char* systemReason) {
        const std::wstring caption = std::wstring(sorn::translate(L"window_save_failed_caption").c_str()) + L"\n";
        const std::wstring ending = (sorn::translate(reasonKey) + L" (" + core::stringw(systemReason) + L")").c_str();
        for (const std::wstring& box : messageBoxes())
            if (box.rfind(caption, 0) == 0 && box.size() >= ending.size() &&
                box.compare(box.size() - ending.size(), ending.size(), ending) == 0)
                return true;
        return false;
    }

    void addCubes(int count) {
        for (int i = 0; i < count; ++i)
            smgr()->addCubeSceneNode(10.f, nullptr, -1, core::vector3df(1.5f * i, 2.25f, -3.5f))->setName("Cube");
    }

    TempDir folder;
};

TEST_F(SceneSaveTest, ReplacesTheSceneThroughATemporaryFileBesideIt) {
    const std::string path = folder.file("level.irr");
    addCubes(1);
    bool result = false;
    EXPECT_EQ(save(path, &result), kSaved);
    EXPECT_TRUE(result);
    addCubes(1);
    EXPECT_EQ(save(path, &result), kSaved);
    EXPECT_TRUE(result);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"level.irr"});
    const std::string text = readFile(path);
    EXPECT_EQ(text.compare(0, 21, "<?xml version=\"1.0\"?>"), 0) << "8-bit text without a byte-order mark";
    EXPECT_NE(text.find("value=\"Cube\""), std::string::npos);
}

// A save that takes long shows the progress window naming the file and the
// nodes written of all the writer meets; the file is the same either way.
TEST_F(SceneSaveTest, ALongSaveShowsTheNodesWrittenAndWritesTheSameFile) {
    const std::string path = folder.file("big level.irr");
    addCubes(3);
    std::vector<std::string> files;
    for (unsigned long long step : {0ull, 1000ull}) {
        sorn::test::SlowWork slow(step);
        bool result = false;
        EXPECT_EQ(save(path, &result), kSaved);
        EXPECT_TRUE(result);
        files.push_back(readFile(path));
        EXPECT_EQ(slow.shown.empty(), step == 0);
        EXPECT_EQ(sorn::findElement(ids::ProgressWindow), nullptr) << "gone once saved";
        if (slow.shown.empty())
            continue;
        EXPECT_EQ(slow.shown.back().first, L"Saving big level.irr");
        unsigned done = 0, total = 0;
        ASSERT_EQ(std::swscanf(slow.shown.back().second.c_str(), L"%u of %u nodes", &done, &total), 2)
            << slow.shown.back().second;
        EXPECT_EQ(done, total) << "every node the writer met was counted";
        EXPECT_GE(total, 4u) << "the scene and its three cubes";
    }
    EXPECT_EQ(files[0], files[1]);
}

// A name with characters past ASCII (a model file "Café.obj", a scene from an
// exporter) is written as the bytes the engine holds, which its reader gives
// back: the engine's own writer widens them with their sign, giving no
// character at all.
TEST_F(SceneSaveTest, NamesPastAsciiAreWrittenAsTheirBytes) {
    const std::string path = folder.file("accents.irr");
    addCubes(1);
    smgr()->getSceneNodeFromName("Cube")->setName("Caf\xE9 \xFF\x80");
    bool result = false;
    save(path, &result);
    ASSERT_TRUE(result);
    const std::string text = readFile(path);
    EXPECT_NE(text.find("value=\"Caf\xE9 \xFF\x80\""), std::string::npos);
    smgr()->getRootSceneNode()->removeAll();
    ASSERT_TRUE(smgr()->loadScene(path.c_str()));
    EXPECT_NE(smgr()->getSceneNodeFromName("Caf\xE9 \xFF\x80"), nullptr);
}

// Every block a save writes, the engine's and the post-processing's, fails in turn.
TEST_F(SceneSaveTest, WriteFailureAtEveryBlockKeepsTheOldSceneByteForByte) {
    const bool rewriting = decimalCommaLocale();
    const std::string path = folder.file("level.irr");
    addCubes(1);
    ASSERT_EQ(save(path), kSaved);
    const std::string old = readFile(path);
    addCubes(100); // a scene of several blocks

    long calls = 0;
    {
        sorn::test::WriteFaults counting(-1);
        ASSERT_EQ(save(folder.file("count.irr")), kSaved);
        calls = sorn::test::WriteFaults::calls();
    }
    fs::remove(folder.file("count.irr"));
    ASSERT_GT(calls, 3);
    for (long failAt = 0; failAt < calls; ++failAt) {
        sorn::test::WriteFaults faults(failAt);
        bool result = true;
        ASSERT_EQ(save(path, &result), kCannotWrite) << "write " << failAt << " of " << calls;
        ASSERT_FALSE(result);
        ASSERT_EQ(readFile(path), old) << "write " << failAt;
        ASSERT_EQ(folderEntries(folder.path()), std::vector<std::string>{"level.irr"}) << "write " << failAt;
    }
    std::cout << "[ note ] " << calls << " write calls failed in turn\n";
    if (!rewriting)
        std::cout << "[ note ] no de_DE.UTF-8 locale: the post-processing's own writes were not failed\n";
}

TEST_F(SceneSaveTest, FilesOfTheOldTemporaryNameAndLinksThereAreUntouched) {
    decimalCommaLocale();
    addCubes(2);
    fs::create_directory(folder.file("plain"));
    writeFile(folder.file("plain/level_tmpf.tmp"), "the user's own file");
    fs::create_directory(folder.file("linked"));
    writeFile(folder.file("victim.txt"), "elsewhere");
    fs::create_symlink(folder.file("victim.txt"), folder.file("linked/level_tmpf.tmp"));

    for (const char* sub : {"plain", "linked"})
        EXPECT_EQ(save(folder.file(std::string(sub) + "/level.irr")), kSaved) << sub;
    EXPECT_EQ(readFile(folder.file("plain/level_tmpf.tmp")), "the user's own file");
    EXPECT_EQ(folderEntries(folder.file("plain")), (std::vector<std::string>{"level.irr", "level_tmpf.tmp"}));
    EXPECT_TRUE(fs::is_symlink(folder.file("linked/level_tmpf.tmp")));
    EXPECT_EQ(readFile(folder.file("victim.txt")), "elsewhere");
    EXPECT_EQ(folderEntries(folder.file("linked")), (std::vector<std::string>{"level.irr", "level_tmpf.tmp"}));
}

// The reproduction: a 64 KiB file system holding a good 60 KB scene, two
// nodes added, File > Save over it.
TEST_F(SceneSaveTest, FullDiskSaveFailsWithAMessageAndKeepsTheScene) {
    sorn::test::TinyFileSystem disk("64k");
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs is not allowed here: real full disk not tested";
    const std::string staging = folder.file("good.irr");
    std::string good;
    // Cubes, then smaller empty nodes, up to a scene of about 60 KB.
    while (good.size() < 56 * 1024) {
        if (good.size() < 40 * 1024)
            addCubes(1);
        else
            smgr()->addEmptySceneNode()->setName("Empty");
        ASSERT_EQ(save(staging), kSaved);
        good = readFile(staging);
    }
    ASSERT_LE(good.size(), 62u * 1024) << "one cube wrote more than expected";
    const std::string path = disk.path() + "/scene.irr";
    writeFile(path, good);
    ASSERT_EQ(readFile(path), good) << "the good scene fits the small disk";

    addCubes(2);
    const std::string trace = saveFromWindow(path);
    EXPECT_NE(trace.find("Error\n"), std::string::npos) << trace;
    EXPECT_EQ(trace.find("File successfully renamed"), std::string::npos) << trace;
    EXPECT_TRUE(saveFailedShown(L"window_settings_error_disk_full", "No space left on device"));
    EXPECT_NE(sorn::findElement(ids::SaveWindow), nullptr) << "the window stays open to choose another place";
    EXPECT_EQ(readFile(path), good);
    EXPECT_EQ(folderEntries(disk.path()), std::vector<std::string>{"scene.irr"});
}

TEST_F(SceneSaveTest, ReadOnlyFileOrFolderIsReportedAndKeepsTheScene) {
    const std::string path = folder.file("level.irr");
    addCubes(1);
    ASSERT_EQ(save(path), kSaved);
    const std::string old = readFile(path);
    addCubes(1);
    if (!sorn::test::setImmutable(path, true))
        GTEST_SKIP() << "chattr +i is not allowed here: read-only cases not tested";
    bool result = true;
    EXPECT_EQ(save(path, &result), kCannotCreate);
    EXPECT_FALSE(result);
    sorn::test::setImmutable(path, false);
    ASSERT_TRUE(sorn::test::setImmutable(folder.path(), true));
    const std::string trace = saveFromWindow(path);
    sorn::test::setImmutable(folder.path(), false);
    EXPECT_EQ(trace, kCannotCreate);
    EXPECT_TRUE(saveFailedShown(L"window_settings_error_read_only", "Operation not permitted"));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"level.irr"});
}

TEST_F(SceneSaveTest, SaveIntoAFolderThatIsNotThereSaysSo) {
    addCubes(1);
    const std::string path = folder.file("no such folder/level.irr");
    saveFromWindow(path);
    EXPECT_TRUE(saveFailedShown(L"window_settings_error_missing_folder", "No such file or directory"));
    EXPECT_FALSE(fs::exists(folder.file("no such folder")));
}

} // namespace

namespace {

// What the engine's scene writer writes for text: a byte-order mark, then
// each character as four bytes, its 8-bit text widened with the sign.
std::string engineWideText(const std::u32string& text) {
    std::string bytes("\xFF\xFE\0\0", 4);
    for (char32_t c : text) {
        const uint32_t unit = c >= 0x80 && c <= 0xFF ? 0xFFFFFF00u | c : static_cast<uint32_t>(c);
        for (int k = 0; k < 4; ++k)
            bytes += static_cast<char>(unit >> (8 * k) & 0xFF);
    }
    return bytes;
}

// Written in pieces of the given size, as the engine writes a few characters at a time.
std::string throughSceneText(const std::string& wide, size_t piece) {
    std::vector<char> memory(4096);
    io::IFileSystem* files = editor.device->getFileSystem();
    io::IWriteFile* inner = files->createMemoryWriteFile(memory.data(), static_cast<s32>(memory.size()), "m.irr");
    auto* file = new sorn::SceneTextWriteFile(inner);
    for (size_t at = 0; at < wide.size(); at += piece) {
        const u32 size = static_cast<u32>(std::min(piece, wide.size() - at));
        EXPECT_EQ(file->write(wide.data() + at, size), static_cast<s32>(size));
    }
    file->drop();
    const std::string written(memory.data(), static_cast<size_t>(inner->getPos()));
    inner->drop();
    return written;
}

} // namespace

// Each text reaches the file as its reader needs it: the engine's 8-bit text
// as its bytes, custom property texts as UTF-8, a name that the editor would
// take for UTF-8 as UTF-8 too. The same whatever pieces the writer writes.
TEST_F(SceneSaveTest, EachTextOfTheSceneGoesAsItsReaderNeedsIt) {
    const std::string kBlock = "<userData><attributes>";
    const struct {
        std::u32string markup;
        std::string written;
    } cases[] = {
        {U"<?xml version=\"1.0\"?>\n<irr_scene>", "<?xml version=\"1.0\"?>\n<irr_scene>"},
        {U"<string name=\"Name\" value=\"Caf\u00E9\" />", "<string name=\"Name\" value=\"Caf\xE9\" />"},
        {U"<string name=\"Name\" value=\"\u00C3\u00A9 \u00E9\"/>", "<string name=\"Name\" value=\"\xC3\xA9 \xE9\"/>"},
        {U"<string name=\"Name\" value=\"\u00C3\u00A9\"/>", "<string name=\"Name\" value=\"\xC3\x83\xC2\xA9\"/>"},
        {U"<string name=\"Mesh\" value=\"\u00C3\u00A9.obj\"/>", "<string name=\"Mesh\" value=\"\xC3\xA9.obj\"/>"},
        {U"<texture name=\"Texture1\" value=\"\u00C3\u00A9.jpg\"/>", "<texture name=\"Texture1\" value=\"\xC3\xA9.jpg\"/>"},
        {U"<enum name=\"\u00E9\" value=\"x\u00E9\"/>", "<enum name=\"\xE9\" value=\"x\xE9\"/>"},
        {U"<userData><attributes><string name=\"\u00E9\" value=\"\u20AC\u00E9 \U0001F3AE\"/>",
         kBlock + "<string name=\"\xE9\" value=\"\xE2\x82\xAC\xC3\xA9 \xF0\x9F\x8E\xAE\"/>"},
        {U"<userData><attributes><stringwarray name=\"t\" count=\"1\" value0=\"\u00E9\"/>",
         kBlock + "<stringwarray name=\"t\" count=\"1\" value0=\"\xC3\xA9\"/>"},
        {U"<userData><attributes><texture name=\"t\" value=\"\u00E9\"/><string name=\"Name\" value=\"\u00E9\"/>",
         kBlock + "<texture name=\"t\" value=\"\xE9\"/><string name=\"Name\" value=\"\xC3\xA9\"/>"},
        {U"<userData><a/></userData><string name=\"s\" value=\"\u00E9\"/>",
         "<userData><a/></userData><string name=\"s\" value=\"\xE9\"/>"},
        {U"<userData/><string name=\"s\" value=\"\u00E9\"/>", "<userData/><string name=\"s\" value=\"\xE9\"/>"},
        {U"<string name=\"s\" value=\"\u03A9\"/>", "<string name=\"s\" value=\"\xCE\xA9\"/>"},
    };
    for (const auto& c : cases) {
        const std::string wide = engineWideText(c.markup);
        for (size_t piece : {1, 3, 4, 7, 4096})
            EXPECT_EQ(throughSceneText(wide, piece), c.written) << c.written << " in pieces of " << piece;
    }
    // Text that is not the engine's wide text goes on as it is.
    EXPECT_EQ(throughSceneText("<a b=\"\xE9\"/>", 2), "<a b=\"\xE9\"/>");
}
