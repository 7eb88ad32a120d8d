// Opening a scene through the editor's real entry points (the command line at
// start-up and the open dialog's result): mesh references survive, a file that
// cannot be opened leaves the scene as it was and says why, good files load
// exactly as the engine loads them.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/GuiIds.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/OpenFile.h"
#include "files/SceneSave.h"
#include "files/SceneScan.h"
#include "scene/AnimationPlayback.h"
#include "support/EditorFixture.h"
#include "support/TestImages.h"

using namespace irr;
using sorn::editor;
namespace fs = std::filesystem;

namespace {

const std::string kEngineMedia = SORN_IRRLICHT_MEDIA;

// A file-open dialog as the engine reports it once the user chose a file.
class ChosenFileDialog : public gui::IGUIFileOpenDialog {
public:
    ChosenFileDialog(gui::IGUIEnvironment* gui, s32 id, const core::stringw& file)
        : gui::IGUIFileOpenDialog(gui, gui->getRootGUIElement(), id, core::rect<s32>(0, 0, 10, 10)),
          file_(file) {}
    const wchar_t* getFileName() const override { return file_.c_str(); }
    const io::path& getDirectoryName() override { return directory_; }

private:
    core::stringw file_;
    io::path directory_;
};

// A one-triangle model in the engine's OBJ format.
const char kTriangle[] = "v 0 0 0\nv 10 0 0\nv 0 10 0\nf 1 2 3\n";

std::string textOf(const std::string& bytes) {
    // The engine's UTF-32 text as ASCII (every character here is).
    std::string out;
    for (size_t i = 4; i + 3 < bytes.size(); i += 4)
        out += bytes[i];
    return out;
}

// The scene files the tests open, made by the tests.
struct Corpus {
    sorn::test::TempDir dir;
    std::string good;

    Corpus() {
        fs::create_directory(dir.file("scenes"));
        sorn::test::writeFile(dir.file("scenes/triangle.obj"), kTriangle);
        // Saved by the engine from inside the scene's folder: the mesh path is relative.
        IrrlichtDevice* device = createDevice(video::EDT_NULL);
        device->getLogger()->setLogLevel(ELL_NONE);
        io::IFileSystem* files = device->getFileSystem();
        const io::path previous = files->getWorkingDirectory();
        files->changeWorkingDirectoryTo(dir.file("scenes").c_str());
        scene::ISceneManager* smgr = device->getSceneManager();
        scene::IMeshSceneNode* node = smgr->addMeshSceneNode(smgr->getMesh("triangle.obj"));
        node->setName("Triangle");
        good = dir.file("scenes/level.irr");
        smgr->saveScene(good.c_str());
        files->changeWorkingDirectoryTo(previous);
        device->drop();
    }

    std::string make(const std::string& name, const std::string& text) const {
        sorn::test::writeFile(dir.file(name), text);
        return dir.file(name);
    }
};

std::string deepScene(int levels) {
    std::string text = "<irr_scene>";
    for (int i = 0; i < levels; ++i)
        text += "<node type=\"empty\">";
    for (int i = 0; i < levels; ++i)
        text += "</node>";
    return text + "</irr_scene>";
}

std::string oneNode(const std::string& type, const std::string& name, const std::string& value) {
    return "<irr_scene><node type=\"" + type + "\"><attributes><int name=\"" + name + "\" value=\"" + value +
           "\"/></attributes></node></irr_scene>";
}

// A hostile or broken file and the reason the editor gives for refusing it.
struct Refused {
    const char* name;
    std::string text;
    const wchar_t* key;
};

std::vector<Refused> refusedFiles(const std::string& good) {
    const std::string bytes = sorn::test::readFile(good);
    std::string splineBlock = "<irr_scene><node type=\"empty\"><animators><attributes>";
    for (int i = 1; i <= 5000; ++i)
        splineBlock += "<vector3d name=\"Point" + std::to_string(i) + "\" value=\"1, 1, 1\"/>";
    splineBlock += "</attributes></animators></node></irr_scene>";
    std::string emptyNodes = "<irr_scene>";
    for (int i = 0; i < 100000; ++i)
        emptyNodes += "<node type=\"empty\"/>";
    emptyNodes += "</irr_scene>";
    return {
        {"truncated.irr", bytes.substr(0, bytes.size() / 2), L"open_failed_not_a_scene"},
        {"foreign.irr", "<?xml version=\"1.0\"?><lang><string name=\"a\" value=\"b\"/></lang>",
         L"open_failed_not_a_scene"},
        {"deep.irr", deepScene(100000), L"open_failed_too_deep"},
        {"empty-nodes.irr", emptyNodes, L"open_failed_too_deep"},
        {"subdivide.irr", oneNode("volumeLight", "subDivideU", "100000000"), L"open_failed_out_of_bounds"},
        {"negative.irr", oneNode("volumeLight", "subDivideV", "-4"), L"open_failed_out_of_bounds"},
        {"dome.irr", oneNode("skyDome", "HorizontalResolution", "-1"), L"open_failed_out_of_bounds"},
        {"sphere.irr", oneNode("sphere", "PolyCountX", "65536"), L"open_failed_out_of_bounds"},
        {"smooth.irr", oneNode("terrain", "SmoothFactor", "2000000000"), L"open_failed_out_of_bounds"},
        {"particles.irr", oneNode("particleSystem", "MaxParticlesPerSecond", "2000000000"),
         L"open_failed_out_of_bounds"},
        {"spline.irr", splineBlock, L"open_failed_out_of_bounds"},
    };
}

class OpenSceneTest : public sorn::test::EditorTest {
protected:
    OpenSceneTest() { startInSetUp = false; }

    // The open message box (modal: the engine puts it under a modal screen), or null.
    gui::IGUIElement* refusalBox(gui::IGUIElement* from = nullptr) {
        for (gui::IGUIElement* element : (from ? from : gui()->getRootGUIElement())->getChildren()) {
            if (element->getType() == gui::EGUIET_MESSAGE_BOX &&
                core::stringw(element->getText()) == sorn::translate(L"open_failed_caption"))
                return element;
            if (gui::IGUIElement* inside = refusalBox(element))
                return inside;
        }
        return nullptr;
    }

    // The open message box's text, or empty when none is shown.
    core::stringw refusalShown() {
        core::stringw text;
        if (gui::IGUIElement* box = refusalBox())
            for (gui::IGUIElement* part : box->getChildren())
                if (part->getType() == gui::EGUIET_STATIC_TEXT)
                    text += part->getText();
        return text;
    }

    void closeMessages() {
        while (gui::IGUIElement* box = refusalBox())
            box->getParent()->remove();
    }

    void chooseInOpenDialog(const std::string& path) {
        ChosenFileDialog* dialog = new ChosenFileDialog(gui(), sorn::ids::DialogOpenScene, sorn::widePath(path));
        postGuiEvent(gui::EGET_FILE_SELECTED, dialog);
        dialog->remove();
        dialog->drop();
    }

    // The names of the nodes a user sees: the editor's own (debug objects and
    // everything under them) left out.
    std::set<std::string> userNodeNames(scene::ISceneNode* from = nullptr) {
        std::set<std::string> names;
        for (scene::ISceneNode* child : (from ? from : smgr()->getRootSceneNode())->getChildren()) {
            if (child->isDebugObject())
                continue;
            names.insert(child->getName());
            const std::set<std::string> below = userNodeNames(child);
            names.insert(below.begin(), below.end());
        }
        return names;
    }

    Corpus corpus;
};

TEST_F(OpenSceneTest, CommandLineSceneFromAnotherFolderKeepsItsMeshAndSavesTheReference) {
    const std::string before = textOf(sorn::test::readFile(corpus.good));
    ASSERT_NE(before.find("value=\"triangle.obj\""), std::string::npos) << before;
    start({corpus.good});
    scene::IMeshSceneNode* node =
        static_cast<scene::IMeshSceneNode*>(smgr()->getSceneNodeFromName("Triangle"));
    ASSERT_NE(node, nullptr);
    ASSERT_NE(node->getMesh(), nullptr) << "the mesh path resolved against the scene's folder";
    EXPECT_EQ(node->getMesh()->getMeshBufferCount(), 1u);
    EXPECT_EQ(refusalShown(), core::stringw());

    const std::string again = corpus.dir.file("scenes/again.irr");
    ASSERT_TRUE(smgr()->saveScene(again.c_str()));
    EXPECT_NE(textOf(sorn::test::readFile(again)).find("name=\"Mesh\" value=\"triangle.obj\""), std::string::npos);
}

TEST_F(OpenSceneTest, RefusedFilesFromTheDialogLeaveTheSceneAndSayWhy) {
    start();
    scene::ISceneNode* cube = smgr()->addCubeSceneNode();
    cube->setName("mine");
    editor.selectedNode = cube;
    const io::path folder = smgr()->getFileSystem()->getWorkingDirectory();
    std::vector<Refused> cases = refusedFiles(corpus.good);
    cases.push_back({"pipe.irr", "", L"open_failed_unreadable"});
    // A model that no loader reads is found out before the scene goes.
    cases.push_back({"empty.md2", "", L"open_failed_unreadable"});
    for (const Refused& c : cases) {
        const std::string path = std::string(c.name) == "pipe.irr" ? corpus.dir.file("pipe.irr")
                                                                   : corpus.make(c.name, c.text);
        if (std::string(c.name) == "pipe.irr")
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        const auto entries = std::distance(fs::directory_iterator(corpus.dir.path()), fs::directory_iterator());
        chooseInOpenDialog(path);
        const core::stringw shown = refusalShown();
        EXPECT_NE(shown.find(sorn::translate(c.key).c_str()), -1) << c.name;
        EXPECT_NE(shown.find(sorn::widePath(path).c_str()), -1) << c.name;
        EXPECT_EQ(userNodeNames(), std::set<std::string>{"mine"}) << c.name;
        EXPECT_EQ(editor.selectedNode, cube) << c.name;
        EXPECT_EQ(smgr()->getFileSystem()->getWorkingDirectory(), folder) << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(corpus.dir.path()), fs::directory_iterator()), entries)
            << "nothing written";
        closeMessages();
        activePasses(3);
    }
    // The editor carries on: a good scene opens from the same dialog.
    chooseInOpenDialog(corpus.good);
    EXPECT_EQ(refusalShown(), core::stringw());
    activePasses(3);
    EXPECT_EQ(userNodeNames(), std::set<std::string>{"Triangle"});
}

class RefusedOnTheCommandLineTest : public OpenSceneTest, public testing::WithParamInterface<int> {};

TEST_P(RefusedOnTheCommandLineTest, EditorStartsWithItsOwnSceneAndSaysWhy) {
    const Refused c = refusedFiles(corpus.good)[static_cast<size_t>(GetParam())];
    const std::string path = corpus.make(c.name, c.text);
    start({path});
    EXPECT_NE(refusalShown().find(sorn::translate(c.key).c_str()), -1) << c.name;
    EXPECT_TRUE(userNodeNames().empty()) << c.name;
    EXPECT_NE(smgr()->getSceneNodeFromName("Sorn::Grid"), nullptr);
    activePasses(3);
    EXPECT_TRUE(editor.device->run());
}

INSTANTIATE_TEST_SUITE_P(Corpus, RefusedOnTheCommandLineTest, testing::Range(0, 11));

// The engine's sample scene opened by the editor and saved again gives the
// same bytes as the engine's own load and save.
TEST(OpenSceneRoundTrip, EngineSampleSceneLoadsAsTheEngineLoadsIt) {
    sorn::test::TempDir dir;
    IrrlichtDevice* engine = createDevice(video::EDT_NULL);
    engine->getLogger()->setLogLevel(ELL_NONE);
    io::IFileSystem* files = engine->getFileSystem();
    ASSERT_TRUE(files->addFileArchive((kEngineMedia + "/example.irr.gz").c_str(), false, true, io::EFAT_GZIP));
    io::IReadFile* in = files->createAndOpenFile("example.irr");
    ASSERT_NE(in, nullptr);
    std::string bytes(static_cast<size_t>(in->getSize()), '\0');
    in->read(&bytes[0], static_cast<u32>(bytes.size()));
    in->drop();
    sorn::test::writeFile(dir.file("example.irr"), bytes);
    files->changeWorkingDirectoryTo(dir.path().c_str());
    ASSERT_TRUE(engine->getSceneManager()->loadScene("example.irr"));
    ASSERT_TRUE(engine->getSceneManager()->saveScene(dir.file("by-engine.irr").c_str()));
    engine->drop();

    sorn::resetEditorState();
    editor.device = createDevice(video::EDT_NULL);
    editor.device->getLogger()->setLogLevel(ELL_NONE);
    editor.sceneManager = editor.device->getSceneManager();
    editor.device->getFileSystem()->changeWorkingDirectoryTo(dir.path().c_str());
    EXPECT_TRUE(sorn::openFile(dir.file("example.irr"), false));
    ASSERT_TRUE(editor.sceneManager->saveScene(dir.file("by-editor.irr").c_str()));
    editor.device->drop();
    sorn::resetEditorState();
    EXPECT_EQ(sorn::test::readFile(dir.file("by-editor.irr")), sorn::test::readFile(dir.file("by-engine.irr")));
    EXPECT_GT(sorn::test::readFile(dir.file("by-editor.irr")).size(), 10000u);
}

} // namespace

namespace {

// Nodes with an animator of every kind the engine reads from a file, each at
// its own place, turned, and with its own texture.
using MakeAnimator = scene::ISceneNodeAnimator* (*)(scene::ISceneManager*, const core::array<video::ITexture*>&);
struct AnimatedNode {
    const char* name;
    core::vector3df position, rotation;
    MakeAnimator make;
    bool playingMovesIt; // what the node shows changes while the animation plays
};
const core::vector3df kStraightEnd(100, 0, 0);
const AnimatedNode kAnimatedNodes[] = {
    {"Spinner", {10, 0, 0}, {0, 15, 0}, [](auto s, auto&) { return s->createRotationAnimator({0, 1, 0}); }, true},
    {"Circler", {20, 5, 0}, {}, [](auto s, auto&) { return s->createFlyCircleAnimator({0, 0, 0}, 50.f); }, true},
    {"Straight", {30, 0, -3}, {5, 0, 0},
     [](auto s, auto&) { return s->createFlyStraightAnimator({0, 0, 0}, kStraightEnd, 1000, false); }, true},
    {"Spline", {40, 1, 2}, {},
     [](auto s, auto&) {
         core::array<core::vector3df> points;
         for (const core::vector3df& p : {core::vector3df(0, 0, 0), kStraightEnd, core::vector3df(100, 0, 100)})
             points.push_back(p);
         return s->createFollowSplineAnimator(0, points);
     }, true},
    {"Flicker", {50, 0, 0}, {0, 30, 0}, [](auto s, auto& t) { return s->createTextureAnimator(t, 100, true); }, true},
    {"Doomed", {60, 0, 0}, {}, [](auto s, auto&) { return s->createDeleteAnimator(1000); }, false},
    {"Bumper", {70, 2, 0}, {}, [](auto s, auto&) { return s->createSceneNodeAnimator("collisionResponse"); }, false},
};

// What a node shows of what animators change: place, turn and first texture.
std::string shownBy(scene::ISceneNode* node) {
    const core::vector3df& p = node->getPosition();
    const core::vector3df& r = node->getRotation();
    video::ITexture* texture = node->getMaterial(0).getTexture(0);
    std::ostringstream out;
    out << p.X << " " << p.Y << " " << p.Z << " / " << r.X << " " << r.Y << " " << r.Z << " / "
        << (texture ? texture->getName().getPath().c_str() : "");
    return out.str();
}

class AnimatedSceneTest : public OpenSceneTest {
protected:
    // The scene, written by the engine, opened through the open dialog.
    void SetUp() override {
        OpenSceneTest::SetUp();
        start();
        for (const char* image : {"base.png", "a.png", "b.png"})
            ASSERT_TRUE(sorn::test::writeTestImage(folder.file(image), video::SColor(255, image[0], 40, 40)));
        IrrlichtDevice* engine = createDevice(video::EDT_NULL);
        engine->getLogger()->setLogLevel(ELL_NONE);
        engine->getFileSystem()->changeWorkingDirectoryTo(folder.path().c_str());
        scene::ISceneManager* engineScene = engine->getSceneManager();
        core::array<video::ITexture*> textures;
        textures.push_back(engine->getVideoDriver()->getTexture("a.png"));
        textures.push_back(engine->getVideoDriver()->getTexture("b.png"));
        for (const AnimatedNode& n : kAnimatedNodes) {
            scene::ISceneNode* node = engineScene->addCubeSceneNode(10.f, nullptr, -1, n.position, n.rotation);
            node->setName(n.name);
            node->setMaterialTexture(0, engine->getVideoDriver()->getTexture("base.png"));
            scene::ISceneNodeAnimator* animator = n.make(engineScene, textures);
            node->addAnimator(animator);
            animator->drop();
            authored.push_back(shownBy(node));
        }
        ASSERT_TRUE(engineScene->saveScene(folder.file("animated.irr").c_str()));
        engine->drop();
        chooseInOpenDialog(folder.file("animated.irr"));
        ASSERT_EQ(refusalShown(), core::stringw());
        for (const AnimatedNode& n : kAnimatedNodes) {
            nodes.push_back(smgr()->getSceneNodeFromName(n.name));
            ASSERT_NE(nodes.back(), nullptr) << n.name;
        }
    }

    // Frame passes with the engine's clock moved on 100 ms before each.
    void runFor(u32 milliseconds) {
        ITimer* timer = editor.device->getTimer();
        for (u32 passed = 0; passed < milliseconds; passed += 100) {
            timer->setTime(timer->getTime() + 100);
            activePasses(1);
        }
    }

    std::string saved(const char* name) {
        testing::internal::CaptureStdout();
        const bool written = sorn::saveSceneFile(folder.file(name));
        const std::string trace = testing::internal::GetCapturedStdout();
        EXPECT_TRUE(written) << trace;
        return sorn::test::readFile(folder.file(name));
    }

    sorn::test::TempDir folder;
    std::vector<scene::ISceneNode*> nodes;
    std::vector<std::string> authored; // as the file holds them
};

TEST_F(AnimatedSceneTest, OpensStoppedPlaysAndStopsAndEverySaveWritesTheFile) {
    // Stopped, time passes and nothing moves; the save is the file itself.
    runFor(3000);
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(shownBy(nodes[i]), authored[i]);
        EXPECT_EQ(sorn::heldAnimatorCount(nodes[i]), 1u) << authored[i] << ": the animator is held aside";
    }
    const std::string whileStopped = saved("stopped.irr");
    EXPECT_EQ(whileStopped, sorn::test::readFile(folder.file("animated.irr")));

    chooseMenuCommand(sorn::ids::CmdPlayAnimation);
    runFor(6000); // longer than a deletion animator read from a file waits
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(shownBy(nodes[i]) != authored[i], kAnimatedNodes[i].playingMovesIt) << authored[i];
        EXPECT_EQ(nodes[i]->getParent(), smgr()->getRootSceneNode()) << authored[i] << " is kept";
    }
    EXPECT_EQ(nodes[2]->getPosition(), kStraightEnd) << "flew to its end and stays there";
    const std::string circling = shownBy(nodes[1]);
    EXPECT_EQ(saved("playing.irr"), whileStopped);
    EXPECT_EQ(shownBy(nodes[1]), circling) << "the save gives the animated node its place back";

    chooseMenuCommand(sorn::ids::CmdPlayAnimation);
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ(shownBy(nodes[i]), authored[i]);
    EXPECT_EQ(saved("after-stop.irr"), whileStopped);

    // Playing again starts each animation afresh: the straight flight from its start.
    chooseMenuCommand(sorn::ids::CmdPlayAnimation);
    runFor(300);
    EXPECT_GT(nodes[2]->getPosition().X, 0.f);
    EXPECT_LT(nodes[2]->getPosition().X, kStraightEnd.X);
}

} // namespace
