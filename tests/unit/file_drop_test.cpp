// Files dropped on the window: the uri list a file manager hands over, decoded
// to local paths, and each path opened as the File and Scene menus open it.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/StatusLine.h"
#include "app/Translate.h"
#include "app/UriList.h"
#include "events/FileDropCommands.h"
#include "events/MenuCommands.h"
#include "events/SceneFileCommands.h"
#include "events/UnsavedChanges.h"
#include "events/UndoCommands.h"
#include "scene/NodeCatalogue.h"
#include "scene/UndoHistory.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
using sorn::test::writeFile;

namespace {

// ---- The uri list ------------------------------------------------------------

struct UriListCase {
    const char* name;
    std::string list;
    std::vector<std::string> paths;
    size_t refused;
};

const std::string kHost = "workstation";

const UriListCase kUriListCases[] = {
    {"one file", "file:///home/ann/level.irr\r\n", {"/home/ann/level.irr"}, 0},
    {"several files, CRLF and LF, no last line break",
     "file:///a/one.irr\r\nfile:///a/two.obj\nfile:///a/three.pk3",
     {"/a/one.irr", "/a/two.obj", "/a/three.pk3"},
     0},
    {"spaces and UTF-8 percent-encoded", "file:///home/ann/Sc%C3%A8nes%20%E2%82%AC/mod%C3%A8le%201.obj\r\n",
     {"/home/ann/Sc\xC3\xA8nes \xE2\x82\xAC/mod\xC3\xA8le 1.obj"},
     0},
    {"lower-case escapes and an escaped percent", "file:///a/50%25%2fb%c3%a9.obj", {"/a/50%/b\xC3\xA9.obj"}, 0},
    {"UTF-8 left unescaped by the source", "file:///a/\xC3\xA9t\xC3\xA9.irr", {"/a/\xC3\xA9t\xC3\xA9.irr"}, 0},
    {"localhost, this host, upper-case scheme and host",
     "file://localhost/a/x.obj\r\nfile://workstation/a/y.obj\r\nFILE://WORKSTATION/a/z.obj\r\n",
     {"/a/x.obj", "/a/y.obj", "/a/z.obj"},
     0},
    {"short form without a host", "file:/a/x.obj", {"/a/x.obj"}, 0},
    {"comments, blank lines and surrounding blanks",
     "# dragged from a file manager\r\n\r\n  file:///a/x.obj  \r\n\r\n#file:///a/y.obj\r\n",
     {"/a/x.obj"},
     0},
    {"query and fragment are no part of the name", "file:///a/x.obj?line=3\r\nfile:///a/y.obj#top",
     {"/a/x.obj", "/a/y.obj"},
     0},
    {"other schemes are refused",
     "http://example.com/a.irr\r\nsmb://server/share/b.obj\r\ntrash:///c.obj\r\nfile:///a/ok.obj\r\n",
     {"/a/ok.obj"},
     3},
    {"another machine's file is refused", "file://elsewhere/a/x.obj\r\nfile:///a/y.obj", {"/a/y.obj"}, 1},
    {"broken escapes are refused", "file:///a/%zz.obj\r\nfile:///a/%4\r\nfile:///a/%\r\nfile:///a/ok%41.obj",
     {"/a/okA.obj"},
     3},
    {"an encoded NUL is refused", "file:///a/evil%00.irr\r\n", {}, 1},
    {"relative and empty paths are refused", "file:relative/x.obj\r\nfile://\r\nfile:///\r\nfile:",
     {"/"},
     3},
    {"plain text is no list", "/home/ann/level.irr\r\nlevel.irr\r\n", {}, 2},
    {"nothing at all", "", {}, 0},
};

TEST(UriListTest, DecodesLocalFilesAndRefusesTheRest) {
    for (const UriListCase& c : kUriListCases) {
        SCOPED_TRACE(c.name);
        const sorn::DroppedFileList list = sorn::decodeUriList(c.list, kHost);
        EXPECT_EQ(list.paths, c.paths);
        EXPECT_EQ(list.refused, c.refused);
        EXPECT_EQ(list.beyondLimit, 0u);
        EXPECT_FALSE(list.transferFailed);
    }
}

TEST(UriListTest, HugeListsKeepTheFirstFilesAndCountTheRest) {
    std::string list;
    const size_t count = sorn::kMaxDroppedFiles + 40;
    for (size_t i = 0; i < count; ++i)
        list += "file:///models/m" + std::to_string(i) + ".obj\r\n";
    const sorn::DroppedFileList decoded = sorn::decodeUriList(list, kHost);
    ASSERT_EQ(decoded.paths.size(), sorn::kMaxDroppedFiles);
    EXPECT_EQ(decoded.paths.front(), "/models/m0.obj");
    EXPECT_EQ(decoded.paths.back(), "/models/m" + std::to_string(sorn::kMaxDroppedFiles - 1) + ".obj");
    EXPECT_EQ(decoded.beyondLimit, 40u);

    // One line of a megabyte, and a path past the longest a file can have.
    const std::string longPath = "/" + std::string(sorn::kMaxDroppedPathLength, 'a');
    const sorn::DroppedFileList tooLong =
        sorn::decodeUriList("file://" + longPath + "\r\nfile:///" + std::string(1 << 20, 'b'), kHost);
    EXPECT_TRUE(tooLong.paths.empty());
    EXPECT_EQ(tooLong.refused, 2u);
}

// ---- Opening what was dropped ------------------------------------------------

TEST(DroppedKindTest, TheExtensionTellsSceneArchiveOrModel) {
    const std::pair<const char*, sorn::DroppedKind> cases[] = {
        {"/a/level.irr", sorn::DroppedKind::Scene},     {"/a/LEVEL.IRR", sorn::DroppedKind::Scene},
        {"/a/map.pk3", sorn::DroppedKind::Archive},     {"/a/Map.PK3", sorn::DroppedKind::Archive},
        {"/a/data.zip", sorn::DroppedKind::Archive},    {"/a/data.pak", sorn::DroppedKind::Archive},
        {"/a/data.npk", sorn::DroppedKind::Archive},    {"/a/ship.obj", sorn::DroppedKind::Model},
        {"/a/model.tar.gz", sorn::DroppedKind::Model},  {"/a/noextension", sorn::DroppedKind::Model},
        {"/a/scenes.irr/ship.md2", sorn::DroppedKind::Model},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sorn::droppedKindOf(c.first), c.second) << c.first;
}

const char kTriangle[] = "v 0 0 0\nv 10 0 0\nv 0 10 0\nf 1 2 3\n";

void putLittleEndian(std::string& bytes, u32 value) {
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

// A Quake pak archive holding one file: header, the file, the directory.
std::string pakHolding(const std::string& name, const std::string& content) {
    std::string pak = "PACK";
    putLittleEndian(pak, 12 + static_cast<u32>(content.size()));
    putLittleEndian(pak, 64);
    pak += content;
    std::string entryName = name;
    entryName.resize(56, '\0');
    pak += entryName;
    putLittleEndian(pak, 12);
    putLittleEndian(pak, static_cast<u32>(content.size()));
    return pak;
}

std::string sceneWithCubeNamed(const std::string& name) {
    return "<?xml version=\"1.0\"?>\n<irr_scene><node type=\"cube\"><attributes>"
           "<string name=\"Name\" value=\"" + name + "\"/>"
           "<vector3d name=\"Scale\" value=\"1.000000, 1.000000, 1.000000\"/>"
           "<bool name=\"Visible\" value=\"true\"/>"
           "</attributes></node></irr_scene>\n";
}

class FileDropTest : public sorn::test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        sorn::resetDroppedFiles();
    }
    void TearDown() override {
        sorn::resetDroppedFiles();
        EditorTest::TearDown();
    }

    // A drop of the given files, opened by the next frame loop step.
    void drop(const std::vector<std::string>& paths) {
        sorn::DroppedFileList list;
        list.paths = paths;
        sorn::queueDroppedFiles(list);
    }
    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = files.file(name);
        writeFile(path, bytes);
        return path;
    }
    // The names of the user's nodes at the top of the scene, in order.
    std::vector<std::string> topNodes() {
        std::vector<std::string> names;
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            if (!node->isDebugObject() && node->getType() != scene::ESNT_CAMERA)
                names.push_back(node->getName());
        return names;
    }
    gui::IGUIElement* question() { return sorn::findElement(sorn::ids::UnsavedChangesBox); }
    void answer(gui::EGUI_EVENT_TYPE button) {
        sorn::onUnsavedChangesAnswer(button);
        if (gui::IGUIElement* box = question())
            box->remove();
    }
    void closeMessages() {
        for (gui::IGUIElement* child : gui()->getRootGUIElement()->getChildren())
            if (child->getType() == gui::EGUIET_MODAL_SCREEN) {
                child->remove();
                return closeMessages();
            }
    }
    bool messageShown() {
        for (gui::IGUIElement* child : gui()->getRootGUIElement()->getChildren())
            if (child->getType() == gui::EGUIET_MODAL_SCREEN && child->isVisible())
                return true;
        return false;
    }
    sorn::test::TempDir files;
};

TEST_F(FileDropTest, ArchivesFirstThenOneSceneThenTheModelsJoinIt) {
    const std::string model = file("ship.obj", kTriangle);
    const std::string scene = file("level.irr", sceneWithCubeNamed("Crate"));
    const std::string second = file("other.irr", sceneWithCubeNamed("Other"));
    const std::string archive = file("pack.pak", pakHolding("inside/boat.obj", kTriangle));
    io::IFileSystem* fileSystem = smgr()->getFileSystem();
    const u32 archivesBefore = fileSystem->getFileArchiveCount();
    smgr()->addCubeSceneNode()->setName("Before");
    sorn::forgetSceneHistory();

    // The list as a file manager may order it: models, scenes, the archive last.
    drop({model, scene, second, archive});
    sorn::openDroppedFiles();
    activePasses(2);
    // The archive is mounted (its file reachable by name), the first scene
    // replaced the one before, and the model joined that scene; the second
    // scene was left out, and the status line says so.
    EXPECT_EQ(fileSystem->getFileArchiveCount(), archivesBefore + 1);
    EXPECT_TRUE(fileSystem->existFile("boat.obj"));
    EXPECT_EQ(topNodes(), (std::vector<std::string>{"Crate", "ship.obj"}));
    EXPECT_EQ(sorn::droppedFilesWaiting(), 0u);
    EXPECT_EQ(sorn::historyNote(), sorn::translate(L"status_drop_one_scene"));
    EXPECT_FALSE(messageShown());
    // The model was added as Scene > Add > Model adds it: one undo step.
    EXPECT_TRUE(sorn::undoHistory.canUndo());
}

TEST_F(FileDropTest, ASceneOverUnsavedWorkWaitsForTheQuestion) {
    struct Case {
        const char* name;
        gui::EGUI_EVENT_TYPE answer;
        std::vector<std::string> nodesAfter;
    };
    const Case cases[] = {
        {"discard opens the scene, then adds the model", gui::EGET_MESSAGEBOX_NO, {"Crate", "ship.obj"}},
        {"cancel keeps the work and drops the rest of the drop", gui::EGET_MESSAGEBOX_CANCEL, {"Work"}},
    };
    const std::string model = file("ship.obj", kTriangle);
    const std::string scene = file("level.irr", sceneWithCubeNamed("Crate"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sorn::startNewScene();
        sorn::forgetSceneHistory();
        activePasses(2);
        scene::ISceneNode* work = sorn::addNode(scene::ESNT_CUBE, 0);
        work->setName("Work");
        sorn::recordNodesAdded({work});
        ASSERT_TRUE(sorn::undoHistory.hasUnsavedChanges());

        drop({model, scene});
        sorn::openDroppedFiles();
        ASSERT_NE(question(), nullptr) << "no question before the unsaved work goes";
        EXPECT_EQ(topNodes(), std::vector<std::string>{"Work"});
        EXPECT_EQ(sorn::droppedFilesWaiting(), 1u);
        // Passes while the question is open change nothing.
        sorn::openDroppedFiles();
        activePasses(2);
        EXPECT_EQ(topNodes(), std::vector<std::string>{"Work"});

        answer(c.answer);
        sorn::openDroppedFiles();
        activePasses(2);
        EXPECT_EQ(topNodes(), c.nodesAfter);
        EXPECT_EQ(sorn::droppedFilesWaiting(), 0u);
    }
}

TEST_F(FileDropTest, ADropWhileAModalWindowIsOpenWaitsForItToClose) {
    const std::string model = file("ship.obj", kTriangle);
    sorn::openFileDialog(sorn::ids::DialogOpenScene, L"file_open_dialog_open_scene");
    ASSERT_TRUE(messageShown());
    drop({model});
    for (int pass = 0; pass < 3; ++pass)
        sorn::openDroppedFiles();
    EXPECT_TRUE(topNodes().empty());
    EXPECT_EQ(sorn::droppedFilesWaiting(), 1u);
    closeMessages();
    sorn::openDroppedFiles();
    EXPECT_EQ(topNodes(), std::vector<std::string>{"ship.obj"});
}

TEST_F(FileDropTest, WhatCannotBeOpenedIsToldOneMessageAtATime) {
    const std::string folder = files.path();
    const std::string missing = files.file("gone.obj");
    const std::string model = file("ship.obj", kTriangle);
    const std::string badArchive = file("broken.zip", "PK\x03\x04 not really");
    drop({folder, missing, badArchive, model});
    // The broken archive comes first and is told; the rest waits behind the message.
    for (int message = 0; message < 3; ++message) {
        sorn::openDroppedFiles();
        EXPECT_TRUE(messageShown()) << "message " << message;
        EXPECT_TRUE(topNodes().empty());
        closeMessages();
    }
    sorn::openDroppedFiles();
    EXPECT_EQ(topNodes(), std::vector<std::string>{"ship.obj"});
    EXPECT_FALSE(messageShown());
}

TEST_F(FileDropTest, WhatADropLeftOutIsToldOnTheStatusLine) {
    struct Case {
        const char* name;
        sorn::DroppedFileList drop;
        const wchar_t* note;
    };
    sorn::DroppedFileList failed;
    failed.transferFailed = true;
    sorn::DroppedFileList refused;
    refused.refused = 2;
    sorn::DroppedFileList tooMany;
    tooMany.beyondLimit = 5;
    const Case cases[] = {
        {"the list never arrived", failed, L"status_drop_failed"},
        {"links that are no local files", refused, L"status_drop_not_files"},
        {"more files than one drop takes", tooMany, L"status_drop_too_many"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sorn::setHistoryNote(L"");
        sorn::queueDroppedFiles(c.drop);
        EXPECT_EQ(sorn::historyNote(), sorn::translate(c.note));
        EXPECT_EQ(sorn::droppedFilesWaiting(), 0u);
    }
}

} // namespace
