// Opening a scene through the editor's real entry points (the command line at
// start-up and the open dialog's result): mesh references survive, a file that
// cannot be opened leaves the scene as it was and says why, good files load
// exactly as the engine loads them.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/Platform.h"
#include "app/StatusLine.h"
#include "app/GuiIds.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "app/WorkProgress.h"
#include "app/MessageKeyTable.h"
#include "events/ClipboardCommands.h"
#include "files/OpenFile.h"
#include "files/SceneClipboard.h"
#include "files/OpenRefusalMessage.h"
#include "files/SceneSave.h"
#include "files/SceneScan.h"
#include "scene/TextNodeData.h"
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
    // The engine's UTF-32 text as ASCII (every character here is); the
    // editor's saves are 8-bit text already.
    if (bytes.compare(0, 4, std::string("\xFF\xFE\0\0", 4)) != 0)
        return bytes;
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

// Each refusal has its own message in both languages; "None" has none, and a
// value outside a key table gets the table's fallback.
class OpenRefusalKeys : public sorn::test::EditorTest {};

TEST_F(OpenRefusalKeys, EveryRefusalHasItsOwnTranslatedMessage) {
    using sorn::SceneRefusal;
    // Every refusal, from the first after None to the last, has a key of its
    // own with a distinct text in both languages.
    std::vector<SceneRefusal> refusals;
    for (int r = static_cast<int>(SceneRefusal::None) + 1; r <= static_cast<int>(SceneRefusal::NotAnArchive); ++r)
        refusals.push_back(static_cast<SceneRefusal>(r));
    EXPECT_EQ(sorn::openRefusalKey(SceneRefusal::None), nullptr);
    std::set<std::wstring> refusalKeys;
    for (SceneRefusal refusal : refusals) {
        const wchar_t* key = sorn::openRefusalKey(refusal);
        ASSERT_NE(key, nullptr);
        refusalKeys.insert(key);
    }
    EXPECT_EQ(refusalKeys.size(), refusals.size());
    for (const wchar_t* language : {L"en", L"fr"}) {
        sorn::loadLanguage(language);
        std::set<std::wstring> texts;
        for (const std::wstring& key : refusalKeys) {
            const irr::core::stringw text = sorn::translate(key.c_str());
            EXPECT_NE(text, irr::core::stringw(L"___")) << language;
            texts.insert(text.c_str());
        }
        EXPECT_EQ(texts.size(), refusalKeys.size()) << language;
    }
    sorn::loadLanguage(sorn::FallbackLanguage);

    enum class Colour { Red, Green, Blue };
    const sorn::MessageKey<Colour> keys[] = {{Colour::Red, L"red"}, {Colour::Blue, L"blue"}};
    EXPECT_EQ(std::wstring(sorn::messageKeyFor(keys, Colour::Blue, L"other")), L"blue");
    EXPECT_EQ(std::wstring(sorn::messageKeyFor(keys, Colour::Red, L"other")), L"red");
    EXPECT_EQ(std::wstring(sorn::messageKeyFor(keys, Colour::Green, L"other")), L"other");
}

class OpenSceneTest : public sorn::test::EditorTest {
protected:
    OpenSceneTest() { startInSetUp = false; }

    // The open message box (modal: the engine puts it under a modal screen),
    // or another one by its caption's key; null when none is shown.
    gui::IGUIElement* refusalBox(gui::IGUIElement* from = nullptr, const wchar_t* caption = L"open_failed_caption") {
        for (gui::IGUIElement* element : (from ? from : gui()->getRootGUIElement())->getChildren()) {
            if (element->getType() == gui::EGUIET_MESSAGE_BOX &&
                core::stringw(element->getText()) == sorn::translate(caption))
                return element;
            if (gui::IGUIElement* inside = refusalBox(element, caption))
                return inside;
        }
        return nullptr;
    }

    // The open message box's text (or another one's), or empty when none is shown.
    core::stringw refusalShown(const wchar_t* caption = L"open_failed_caption") {
        core::stringw text;
        if (gui::IGUIElement* box = refusalBox(nullptr, caption))
            for (gui::IGUIElement* part : box->getChildren())
                if (part->getType() == gui::EGUIET_STATIC_TEXT)
                    text += part->getText();
        return text;
    }

    void closeMessages(const wchar_t* caption = L"open_failed_caption") {
        while (gui::IGUIElement* box = refusalBox(nullptr, caption))
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

// Opening shows the progress window only once it has taken half a second:
// then it names the file and says how far the reading and the nodes are;
// a quick open shows nothing. Either way the scene opens and the window goes.
TEST_F(OpenSceneTest, ALongOpenShowsHowFarItIsAndAQuickOneShowsNothing) {
    start();
    for (unsigned long long step : {0ull, 1000ull}) {
        sorn::test::SlowWork slow(step, [&] { EXPECT_NE(sorn::findElement(sorn::ids::ProgressWindow), nullptr); });
        chooseInOpenDialog(corpus.good);
        EXPECT_NE(smgr()->getSceneNodeFromName("Triangle"), nullptr) << step;
        EXPECT_EQ(sorn::findElement(sorn::ids::ProgressWindow), nullptr) << step;
        ASSERT_EQ(slow.shown.empty(), step == 0);
        if (step == 0)
            continue;
        const std::wstring opening = L"Opening level.irr";
        const auto nodesMade = std::make_pair(opening, std::wstring(L"1 of 1 nodes"));
        EXPECT_GE(std::count(slow.shown.begin(), slow.shown.end(), nodesMade), 1);
        EXPECT_EQ(slow.shown.front().first, opening);
        EXPECT_NE(slow.shown.front().second.find(L" MB read"), std::wstring::npos) << "bytes of the file's size";
    }
}

TEST_F(OpenSceneTest, RefusedFilesFromTheDialogLeaveTheSceneAndSayWhy) {
    start();
    scene::ISceneNode* cube = smgr()->addCubeSceneNode();
    cube->setName("mine");
    editor.selectedNode = cube;
    const io::path folder = smgr()->getFileSystem()->getWorkingDirectory();
    std::vector<Refused> cases = refusedFiles(corpus.good);
    cases.push_back({"pipe.irr", "", L"open_failed_not_a_file"});
    // A model that no loader reads is found out before the scene goes.
    cases.push_back({"empty.md2", "", L"open_failed_nothing_loaded"});
    cases.push_back({"notes.txt", "text", L"open_failed_no_loader"});
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

// A scene naming a file the check refuses (a pipe: refused before any check
// starts) is found out as the scene is read, before the engine parses it:
// opened from the dialog, added to the scene or pasted, nothing of the
// current scene changes and the refused file is named.
TEST_F(OpenSceneTest, ASceneNamingARefusedFileLeavesTheSceneAsItWas) {
    start();
    scene::ISceneNode* cube = smgr()->addCubeSceneNode();
    cube->setName("mine");
    editor.selectedNode = cube;
    const io::path folder = smgr()->getFileSystem()->getWorkingDirectory();
    const std::string pipe = corpus.dir.file("scenes/pipe.obj");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string text = "<irr_scene><node type=\"mesh\"><attributes><string name=\"Name\" value=\"Piped\"/>"
                             "<string name=\"Mesh\" value=\"" + pipe + "\"/></attributes></node></irr_scene>";
    const std::string path = corpus.make("scenes/piped.irr", text);
    for (const char* way : {"dialog", "added", "pasted"}) {
        if (std::string(way) == "dialog")
            chooseInOpenDialog(path);
        else if (std::string(way) == "added")
            EXPECT_FALSE(sorn::openFile(path, false)) << way;
        else
            EXPECT_EQ(sorn::pasteSceneText(text, smgr()->getRootSceneNode()).refusal,
                      sorn::SceneRefusal::Unreadable);
        EXPECT_EQ(userNodeNames(), std::set<std::string>{"mine"}) << way;
        EXPECT_EQ(editor.selectedNode, cube) << way;
        EXPECT_EQ(smgr()->getFileSystem()->getWorkingDirectory(), folder) << way;
        EXPECT_NE(refusalShown(L"file_refused_caption").find(sorn::widePath(pipe).c_str()), -1) << way;
        EXPECT_EQ(refusalShown(), core::stringw()) << way;
        closeMessages(L"file_refused_caption");
    }
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

// A file of the engine's sample media, unpacked from its gzip copy.
std::string unpackedMedia(io::IFileSystem* files, const std::string& name) {
    files->addFileArchive((kEngineMedia + "/" + name + ".gz").c_str(), false, true, io::EFAT_GZIP);
    io::IReadFile* in = files->createAndOpenFile(name.c_str());
    std::string bytes;
    if (in) {
        bytes.resize(static_cast<size_t>(in->getSize()));
        in->read(&bytes[0], static_cast<u32>(bytes.size()));
        in->drop();
    }
    return bytes;
}

// The lines of a saved scene as text, each without its indentation.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const size_t start = text.find_first_not_of('\t', at);
        const size_t stop = end > at && text[end - 1] == '\r' ? end - 1 : end;
        lines.push_back(start < stop ? text.substr(start, stop - start) : std::string());
        at = end + 1;
    }
    return lines;
}

// Particle systems with every affector kind, rates above 200, a zero
// direction and a rate of 0, an animated mesh with a frame loop, names and a
// text node's text with one character after an entity: saved, opened and
// saved again by the editor, all of it is there and the two files are alike.
TEST_F(OpenSceneTest, WhatTheEnginesReaderDropsComesBackAfterAnOpenAndIsSavedAgain) {
    start();
    io::IFileSystem* files = smgr()->getFileSystem();
    const std::string folder = corpus.dir.file("scenes");
    const std::string model = unpackedMedia(files, "sydney.md2");
    ASSERT_GT(model.size(), 1000u);
    sorn::test::writeFile(folder + "/sydney.md2", model);
    ASSERT_TRUE(files->changeWorkingDirectoryTo(folder.c_str()));

    auto* fountain = smgr()->addParticleSystemSceneNode(false);
    fountain->setName("R&D");
    scene::IParticleEmitter* point = fountain->createPointEmitter(
        core::vector3df(0.f, 0.f, 0.f), 500, 600, video::SColor(255, 1, 2, 3), video::SColor(255, 4, 5, 6), 1000, 2000, 30);
    fountain->setEmitter(point);
    point->drop();
    scene::IParticleAffector* affectors[] = {
        fountain->createAttractionAffector(core::vector3df(1.f, 2.f, 3.f), 7.f, false, true, false, true),
        fountain->createFadeOutParticleAffector(video::SColor(0, 10, 20, 30), 1234),
        fountain->createGravityAffector(core::vector3df(0.f, -0.5f, 0.f), 777),
        fountain->createRotationAffector(core::vector3df(4.f, 5.f, 6.f), core::vector3df(1.f, 1.f, 1.f)),
        fountain->createScaleParticleAffector(core::dimension2df(3.f, 4.f)),
    };
    for (scene::IParticleAffector* affector : affectors) {
        fountain->addAffector(affector);
        affector->drop();
    }
    scene::ISceneNode* holder = smgr()->addEmptySceneNode();
    holder->setName("holder");
    auto* ring = smgr()->addParticleSystemSceneNode(false, holder);
    ring->setName("x<y");
    scene::IParticleEmitter* ringEmitter = ring->createRingEmitter(
        core::vector3df(1.f, 2.f, 3.f), 4.f, 5.f, core::vector3df(0.f, 0.02f, 0.f), 0, 20000);
    ring->setEmitter(ringEmitter);
    ringEmitter->drop();
    auto* sydney = smgr()->addAnimatedMeshSceneNode(smgr()->getMesh("sydney.md2"), ring);
    ASSERT_NE(sydney, nullptr);
    sydney->setName("Sydney");
    ASSERT_TRUE(sydney->setFrameLoop(10, 40));
    auto* note = smgr()->addTextSceneNode(gui()->getBuiltInFont(), L"", video::SColor(255, 255, 255, 255));
    sorn::setTextNodeData(note, L"x<y", video::SColor(255, 9, 8, 7));
    note->setName("Tom&Jerry");

    const std::string first = folder + "/first.irr";
    ASSERT_TRUE(sorn::saveSceneFile(first, sorn::textNodeUserData()));
    smgr()->getRootSceneNode()->removeAll();
    sorn::forgetTextNodeData();
    ASSERT_TRUE(sorn::openFile(first, false));

    auto* system = static_cast<scene::IParticleSystemSceneNode*>(smgr()->getSceneNodeFromName("R&D"));
    ASSERT_NE(system, nullptr) << "the name comes back whole";
    ASSERT_EQ(system->getType(), scene::ESNT_PARTICLE_SYSTEM);
    ASSERT_NE(system->getEmitter(), nullptr);
    EXPECT_EQ(system->getEmitter()->getDirection(), core::vector3df(0.f, 0.f, 0.f));
    EXPECT_EQ(system->getEmitter()->getMinParticlesPerSecond(), 500u);
    EXPECT_EQ(system->getEmitter()->getMaxParticlesPerSecond(), 600u);
    std::vector<scene::E_PARTICLE_AFFECTOR_TYPE> kinds;
    for (scene::IParticleAffector* affector : system->getAffectors())
        kinds.push_back(affector->getType());
    const std::vector<scene::E_PARTICLE_AFFECTOR_TYPE> everyKind = {
        scene::EPAT_ATTRACT, scene::EPAT_FADE_OUT, scene::EPAT_GRAVITY, scene::EPAT_ROTATE, scene::EPAT_SCALE};
    EXPECT_EQ(kinds, everyKind);
    if (kinds == everyKind) {
        auto* fade = static_cast<scene::IParticleFadeOutAffector*>(*(++system->getAffectors().begin()));
        EXPECT_EQ(fade->getTargetColor(), video::SColor(0, 10, 20, 30));
        EXPECT_EQ(fade->getFadeOutTime(), 1234u);
    }
    auto* reopenedRing = static_cast<scene::IParticleSystemSceneNode*>(smgr()->getSceneNodeFromName("x<y"));
    ASSERT_NE(reopenedRing, nullptr);
    EXPECT_EQ(reopenedRing->getParent(), smgr()->getSceneNodeFromName("holder"));
    EXPECT_EQ(reopenedRing->getEmitter()->getMinParticlesPerSecond(), 0u);
    EXPECT_EQ(reopenedRing->getEmitter()->getMaxParticlesPerSecond(), 20000u);
    EXPECT_TRUE(reopenedRing->getAffectors().empty());
    auto* reopenedSydney = static_cast<scene::IAnimatedMeshSceneNode*>(smgr()->getSceneNodeFromName("Sydney"));
    ASSERT_NE(reopenedSydney, nullptr);
    EXPECT_EQ(reopenedSydney->getStartFrame(), 10);
    EXPECT_EQ(reopenedSydney->getEndFrame(), 40);
    scene::ISceneNode* reopenedNote = smgr()->getSceneNodeFromName("Tom&Jerry");
    ASSERT_NE(reopenedNote, nullptr);
    const sorn::TextNodeRecord* text = sorn::findTextNodeData(reopenedNote);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, core::stringw(L"x<y"));

    const std::string second = folder + "/second.irr";
    ASSERT_TRUE(sorn::saveSceneFile(second, sorn::textNodeUserData()));
    const std::vector<std::string> before = linesOf(textOf(sorn::test::readFile(first)));
    const std::vector<std::string> after = linesOf(textOf(sorn::test::readFile(second)));
    EXPECT_EQ(after, before);
    EXPECT_NE(std::find(after.begin(), after.end(), "<enum name=\"Affector\" value=\"Scale\" />"), after.end());
}

// A file from the engine's sample media, unpacked to target.
void unpackMedia(io::IFileSystem* files, const std::string& name, const std::string& target) {
    const bool packed = !sorn::test::fileExists(kEngineMedia + "/" + name);
    if (packed)
        ASSERT_TRUE(files->addFileArchive((kEngineMedia + "/" + name + ".gz").c_str(), false, true, io::EFAT_GZIP));
    io::IReadFile* in = files->createAndOpenFile(packed ? name.c_str() : (kEngineMedia + "/" + name).c_str());
    ASSERT_NE(in, nullptr) << name;
    std::string bytes(static_cast<size_t>(in->getSize()), '\0');
    in->read(&bytes[0], static_cast<u32>(bytes.size()));
    in->drop();
    if (packed)
        files->removeFileArchive(files->getFileArchiveCount() - 1);
    sorn::test::writeFile(target, bytes);
}

// The files the sample scene names, from its folder.
const char* const kSampleMedia[] = {"room.3ds", "wall.jpg", "particlewhite.bmp", "rockwall.jpg", "particlered.bmp"};

// The message boxes' texts under a caption.
std::vector<core::stringw> messagesCaptioned(gui::IGUIElement* from, const core::stringw& caption) {
    std::vector<core::stringw> texts;
    for (gui::IGUIElement* element : from->getChildren()) {
        if (element->getType() == gui::EGUIET_MESSAGE_BOX && caption == element->getText()) {
            core::stringw text;
            for (gui::IGUIElement* child : element->getChildren())
                if (child->getType() == gui::EGUIET_STATIC_TEXT)
                    text += child->getText();
            texts.push_back(text);
        }
        for (const core::stringw& inside : messagesCaptioned(element, caption))
            texts.push_back(inside);
    }
    return texts;
}

// The engine's sample scene opened by the editor where its "../../media/"
// files are missing, and saved again, gives the same bytes as the engine's
// own load and save where they are there: every path, every material. The
// user is told once which files are missing.
TEST(OpenSceneRoundTrip, EngineSampleSceneWithItsMediaMissingSavesAsTheEngineDoesWithThem) {
    sorn::test::TempDir withMedia;
    sorn::test::TempDir without;
    for (const sorn::test::TempDir* dir : {&withMedia, &without})
        fs::create_directories(dir->file("a/b"));
    fs::create_directories(withMedia.file("media"));
    IrrlichtDevice* engine = createDevice(video::EDT_NULL);
    engine->getLogger()->setLogLevel(ELL_NONE);
    io::IFileSystem* files = engine->getFileSystem();
    unpackMedia(files, "example.irr", withMedia.file("a/b/example.irr"));
    unpackMedia(files, "example.irr", without.file("a/b/example.irr"));
    for (const char* name : kSampleMedia)
        unpackMedia(files, name, withMedia.file(std::string("media/") + name));
    files->changeWorkingDirectoryTo(withMedia.file("a/b").c_str());
    ASSERT_TRUE(engine->getSceneManager()->loadScene("example.irr"));
    ASSERT_TRUE(engine->getSceneManager()->saveScene(withMedia.file("a/b/saved.irr").c_str()));
    engine->drop();

    sorn::resetEditorState();
    editor.device = createDevice(video::EDT_NULL);
    editor.device->getLogger()->setLogLevel(ELL_NONE);
    editor.sceneManager = editor.device->getSceneManager();
    editor.device->getFileSystem()->changeWorkingDirectoryTo(without.file("a/b").c_str());
    EXPECT_TRUE(sorn::openFile(without.file("a/b/example.irr"), false));
    const std::vector<core::stringw> told =
        messagesCaptioned(editor.device->getGUIEnvironment()->getRootGUIElement(),
                          sorn::translate(L"missing_files_caption"));
    ASSERT_EQ(told.size(), 1u) << "one message";
    for (const char* name : kSampleMedia)
        EXPECT_NE(told[0].find((core::stringw(L"../../media/") + name).c_str()), -1) << name;
    ASSERT_TRUE(editor.sceneManager->saveScene(without.file("a/b/saved.irr").c_str()));
    // Saved elsewhere, the paths are relative to the new folder, as for files that loaded.
    ASSERT_TRUE(editor.sceneManager->saveScene(without.file("moved.irr").c_str()));
    sorn::forgetTextNodeData(); // the nodes' user data holds them
    editor.device->drop();
    sorn::resetEditorState();

    // The same, with the affectors the engine's reader dropped given back
    // from the file.
    const std::string originalBytes = sorn::test::readFile(without.file("a/b/example.irr"));
    std::string originalText; // the sample is UTF-16, all of it ASCII
    for (size_t i = 2; i < originalBytes.size(); i += 2)
        originalText += originalBytes[i];
    const std::vector<std::string> original = linesOf(originalText);
    const std::vector<std::string> byEditor = linesOf(textOf(sorn::test::readFile(without.file("a/b/saved.irr"))));
    const auto affectorsOf = [](const std::vector<std::string>& lines, bool take) {
        std::vector<std::string> kept;
        bool inAffector = false;
        for (const std::string& line : lines) {
            if (line.find("name=\"Affector\"") != std::string::npos)
                inAffector = true;
            else if (line == "</attributes>")
                inAffector = false;
            if (inAffector == take)
                kept.push_back(line);
        }
        return kept;
    };
    EXPECT_FALSE(affectorsOf(original, true).empty());
    EXPECT_EQ(affectorsOf(byEditor, true), affectorsOf(original, true));
    EXPECT_EQ(affectorsOf(byEditor, false), linesOf(textOf(sorn::test::readFile(withMedia.file("a/b/saved.irr")))));
    EXPECT_GT(sorn::test::readFile(without.file("a/b/saved.irr")).size(), 10000u);
    const std::string moved = textOf(sorn::test::readFile(without.file("moved.irr")));
    EXPECT_NE(moved.find("name=\"Mesh\" value=\"media/room.3ds\""), std::string::npos);
    EXPECT_NE(moved.find("name=\"Texture1\" value=\"media/wall.jpg\""), std::string::npos);
}

// A terrain whose height map is missing (of each kind the driver writes) is
// named in the message and saved with the height map's name as the file had it.
TEST_F(OpenSceneTest, AMissingHeightMapIsToldAndSavedBackAsTheFileHadIt) {
    start();
    std::string body;
    for (const char* name : {"maps/gone.bmp", "maps/gone.png", "../gone.tga"})
        body += std::string("<node type=\"terrain\"><attributes><string name=\"Heightmap\" value=\"") + name +
                "\" /><vector3d name=\"Scale\" value=\"1, 1, 1\" /><bool name=\"Visible\" value=\"true\" />"
                "</attributes></node>";
    chooseInOpenDialog(corpus.make("terrain.irr", "<irr_scene>" + body + "</irr_scene>"));
    const std::vector<core::stringw> told =
        messagesCaptioned(gui()->getRootGUIElement(), sorn::translate(L"missing_files_caption"));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(L"maps/gone.png"), -1);
    activePasses(2);
    const std::string saved = corpus.dir.file("saved.irr");
    ASSERT_TRUE(sorn::saveSceneFile(saved, sorn::textNodeUserData()));
    const std::string text = textOf(sorn::test::readFile(saved));
    for (const char* name : {"maps/gone.bmp", "maps/gone.png", "../gone.tga"})
        EXPECT_NE(text.find(std::string("name=\"Heightmap\" value=\"") + name + "\""), std::string::npos) << name;
    // The placeholders served the load only.
    EXPECT_EQ(editor.device->getFileSystem()->createAndOpenFile("maps/gone.bmp"), nullptr);
}

TEST_F(OpenSceneTest, ManyMissingFilesAreToldInOneMessageCutWithACount) {
    start();
    std::string body;
    for (int i = 0; i < 13; ++i)
        body += "<node type=\"cube\"><materials><attributes><texture name=\"Texture1\" value=\"gone/" +
                std::to_string(i) + ".png\" /></attributes></materials></node>";
    const std::string path = corpus.make("many.irr", "<irr_scene>" + body + "</irr_scene>");
    chooseInOpenDialog(path);
    const std::vector<core::stringw> told =
        messagesCaptioned(gui()->getRootGUIElement(), sorn::translate(L"missing_files_caption"));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(L"gone/9.png"), -1);
    EXPECT_EQ(told[0].find(L"gone/10.png"), -1);
    core::stringw more = sorn::translate(L"missing_files_more");
    more.replace(L"%d", L"3");
    EXPECT_NE(told[0].find(more.c_str()), -1) << core::stringc(told[0]).c_str();
    // Each cube shows its placeholder, and a new scene takes them away.
    scene::ISceneNode* cube = smgr()->getSceneNodeFromType(scene::ESNT_CUBE);
    ASSERT_NE(cube, nullptr);
    video::ITexture* placeholder = cube->getMaterial(0).getTexture(0);
    ASSERT_NE(placeholder, nullptr);
    const io::path name = placeholder->getName();
    closeMessages(L"missing_files_caption");
    chooseMenuCommand(sorn::ids::CmdNewScene);
    activePasses(2);
    EXPECT_EQ(editor.device->getVideoDriver()->findTexture(name), nullptr);

    // "0" is how the engine writes a layer without a texture: nothing is missing.
    const std::string plain = corpus.make(
        "plain.irr", "<irr_scene><node type=\"cube\"><materials><attributes><texture name=\"Texture1\" "
                     "value=\"0\" /></attributes></materials></node></irr_scene>");
    chooseInOpenDialog(plain);
    EXPECT_TRUE(messagesCaptioned(gui()->getRootGUIElement(), sorn::translate(L"missing_files_caption")).empty());
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
    // Stopped, time passes and nothing moves; the save is the file's text itself.
    runFor(3000);
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_EQ(shownBy(nodes[i]), authored[i]);
        EXPECT_EQ(sorn::heldAnimatorCount(nodes[i]), 1u) << authored[i] << ": the animator is held aside";
    }
    const std::string whileStopped = saved("stopped.irr");
    EXPECT_EQ(whileStopped, textOf(sorn::test::readFile(folder.file("animated.irr"))));

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

// Pasted text is untrusted like an opened file: every text the open refuses,
// pasted under the root, makes nothing and gives the open's reason.
class PasteRefusedTest : public OpenSceneTest, public testing::WithParamInterface<int> {};

TEST_P(PasteRefusedTest, MakesNothingAndGivesTheOpensReason) {
    start();
    const Refused refused = refusedFiles(corpus.good)[static_cast<size_t>(GetParam())];
    const std::set<std::string> before = userNodeNames();
    const sorn::PastedNodes pasted = sorn::pasteSceneText(refused.text, smgr()->getRootSceneNode());
    EXPECT_TRUE(pasted.nodes.empty()) << refused.name;
    EXPECT_STREQ(sorn::openRefusalKey(pasted.refusal), refused.key) << refused.name;
    EXPECT_EQ(userNodeNames(), before) << refused.name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, PasteRefusedTest, testing::Range(0, 11));

// What a clipboard may hold, and what pasting it under the root makes.
struct PastedText {
    const char* what;
    std::string text;
    std::vector<std::string> names; // the nodes made directly under the root, in order
    sorn::SceneRefusal refusal;
};

const std::string kCubeNode =
    "<node type=\"cube\"><attributes><string name=\"Name\" value=\"Crate\" /><vector3d name=\"Position\" "
    "value=\"1.5, 2, 3\" /><vector3d name=\"Scale\" value=\"1, 1, 1\" /><bool name=\"Visible\" value=\"true\" />"
    "</attributes></node>";

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i)
        all += text;
    return all;
}

std::vector<PastedText> pastedTexts() {
    return {
        {"bare node", kCubeNode, {"Crate"}, sorn::SceneRefusal::None},
        {"bare nodes after a declaration and a comment",
         "\n<?xml version=\"1.0\"?>\n<!-- from a text editor -->\n" + kCubeNode + "\n" + kCubeNode,
         {"Crate", "Crate"}, sorn::SceneRefusal::None},
        {"whole document", "<?xml version=\"1.0\"?><irr_scene>" + kCubeNode + "</irr_scene>", {"Crate"},
         sorn::SceneRefusal::None},
        // Each is passed over where it stands, never by a search of the rest.
        {"many declarations before the node", repeated("<?x?>\n", 20000) + kCubeNode, {"Crate"},
         sorn::SceneRefusal::None},
        {"name beyond ASCII in UTF-8",
         "<node type=\"empty\"><attributes><string name=\"Name\" value=\"Caf\xC3\xA9\" /></attributes></node>",
         {"Caf\xE9"}, sorn::SceneRefusal::None},
        {"plain text", "Crate at 1, 2, 3", {}, sorn::SceneRefusal::NotAScene},
        {"empty text", "", {}, sorn::SceneRefusal::NotAScene},
        {"markup that is no scene", "<html><body>Crate</body></html>", {}, sorn::SceneRefusal::NotAScene},
        {"a node left open", "<node type=\"cube\"><attributes>", {}, sorn::SceneRefusal::NotAScene},
        {"huge number", "<node type=\"sphere\"><attributes><int name=\"PolyCountX\" value=\"99999999999999\" />"
                        "</attributes></node>", {}, sorn::SceneRefusal::ValueOutOfBounds},
        {"deep nesting", deepScene(5000), {}, sorn::SceneRefusal::NestedTooDeeply},
        {"a model that is not there",
         "<node type=\"mesh\"><attributes><string name=\"Name\" value=\"Ghost\" /><string name=\"Mesh\" "
         "value=\"nowhere/ghost.obj\" /></attributes></node>",
         {"Ghost"}, sorn::SceneRefusal::None},
    };
}

TEST_F(OpenSceneTest, PastedTextMakesTheNodesItHoldsAndNothingElse) {
    start();
    for (const PastedText& paste : pastedTexts()) {
        const size_t before = smgr()->getRootSceneNode()->getChildren().size();
        const sorn::PastedNodes pasted = sorn::pasteSceneText(paste.text, smgr()->getRootSceneNode());
        closeMessages(L"missing_files_caption");
        EXPECT_EQ(pasted.refusal, paste.refusal) << paste.what;
        std::vector<std::string> names;
        for (scene::ISceneNode* node : pasted.nodes) {
            names.push_back(node->getName());
            EXPECT_EQ(node->getParent(), smgr()->getRootSceneNode()) << paste.what;
        }
        EXPECT_EQ(names, paste.names) << paste.what;
        EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), before + paste.names.size()) << paste.what;
    }
}

TEST_F(OpenSceneTest, PastedValuesAreTheTextsAndTheParentKeepsItsOwn) {
    start();
    scene::ISceneNode* parent = smgr()->addEmptySceneNode();
    parent->setName("Parent");
    parent->setPosition(core::vector3df(10, 0, 0));
    const sorn::PastedNodes pasted = sorn::pasteSceneText(kCubeNode, parent);
    ASSERT_EQ(pasted.nodes.size(), 1u);
    EXPECT_EQ(pasted.nodes[0]->getParent(), parent);
    EXPECT_EQ(pasted.nodes[0]->getPosition(), core::vector3df(1.5f, 2, 3));
    EXPECT_TRUE(pasted.nodes[0]->isVisible());
    // The scene element's attributes went to a holder, never to the parent.
    EXPECT_STREQ(parent->getName(), "Parent");
    EXPECT_EQ(parent->getScale(), core::vector3df(1, 1, 1));
    EXPECT_TRUE(parent->isVisible());
    EXPECT_EQ(parent->getChildren().size(), 1u);
}

// The copied text of several nodes is one UTF-8 document holding each of
// them once, whatever bytes their names hold, and pastes back as they were.
TEST_F(OpenSceneTest, CopiedTextIsUtf8AndPastesBackEveryNodeAndName) {
    start();
    const std::vector<std::string> names = {"Caf\xE9", "Caf\xC3\xA9", "Plain", std::string(300, 'n')};
    std::vector<scene::ISceneNode*> nodes;
    for (const std::string& name : names) {
        nodes.push_back(smgr()->addCubeSceneNode(10.f, nullptr, -1, core::vector3df(1, 2, 3)));
        nodes.back()->setName(name.c_str());
    }
    smgr()->addSphereSceneNode(5.f, 16, nodes[1])->setName("Inner");
    const std::string text = sorn::sceneTextOfNodes(nodes);
    EXPECT_EQ(text.rfind("<?xml", 0), 0u) << text.substr(0, 80);
    EXPECT_EQ(text.size() - text.rfind("</irr_scene>\n"), 13u) << "the document ends once, at its end";
    size_t nodeCount = 0;
    for (size_t at = text.find("<node "); at != std::string::npos; at = text.find("<node ", at + 1))
        ++nodeCount;
    EXPECT_EQ(nodeCount, names.size() + 1);
    // Every byte beyond ASCII is part of a whole UTF-8 character.
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3 : 0;
        ASSERT_NE(length, 0u) << "byte " << i;
        ASSERT_LE(i + length, text.size());
        for (size_t k = 1; k < length; ++k)
            ASSERT_EQ(static_cast<unsigned char>(text[i + k]) & 0xC0, 0x80) << "byte " << i + k;
        i += length;
    }
    EXPECT_NE(text.find("Caf\xC3\xA9\""), std::string::npos) << "the 8-bit name as its character";

    const sorn::PastedNodes pasted = sorn::pasteSceneText(text, smgr()->getRootSceneNode());
    ASSERT_EQ(pasted.nodes.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(std::string(pasted.nodes[i]->getName()), names[i]);
        EXPECT_EQ(pasted.nodes[i]->getPosition(), core::vector3df(1, 2, 3));
    }
    ASSERT_EQ(pasted.nodes[1]->getChildren().size(), 1u);
    EXPECT_STREQ((*pasted.nodes[1]->getChildren().begin())->getName(), "Inner");
}

// Exporters leave out what they do not set; a light without a type is a
// point light, as a new one is, and never the reader's -1.
TEST_F(OpenSceneTest, ALightReadWithoutItsTypeIsAPointLight) {
    start();
    const sorn::PastedNodes pasted = sorn::pasteSceneText(
        "<node type=\"light\"><attributes><string name=\"Name\" value=\"Lamp\" /></attributes></node>",
        smgr()->getRootSceneNode());
    ASSERT_EQ(pasted.nodes.size(), 1u);
    ASSERT_EQ(pasted.nodes[0]->getType(), scene::ESNT_LIGHT);
    u32 type = 0;
    std::memcpy(&type, &static_cast<scene::ILightSceneNode*>(pasted.nodes[0])->getLightData().Type, sizeof type);
    EXPECT_EQ(type, static_cast<u32>(video::ELT_POINT));
}

TEST_F(OpenSceneTest, PasteUnderANodeNearTheDepthBoundIsRefused) {
    start();
    scene::ISceneNode* parent = smgr()->getRootSceneNode();
    for (int i = 0; i < sorn::kMaxNodeDepth - 2; ++i)
        parent = smgr()->addEmptySceneNode(parent);
    EXPECT_EQ(sorn::pasteSceneText(deepScene(2), parent).refusal, sorn::SceneRefusal::None);
    const sorn::PastedNodes deeper = sorn::pasteSceneText(deepScene(3), parent);
    EXPECT_EQ(deeper.refusal, sorn::SceneRefusal::NestedTooDeeply);
    EXPECT_TRUE(deeper.nodes.empty());
}

// Ctrl+C, Ctrl+X and Ctrl+V as the engine delivers them, and the menu items.
class ClipboardKeysTest : public sorn::test::EditorTest {
protected:
    bool controlKey(EKEY_CODE key, bool down) {
        SEvent event;
        event.EventType = EET_KEY_INPUT_EVENT;
        event.KeyInput.Key = key;
        event.KeyInput.PressedDown = down;
        event.KeyInput.Control = true;
        event.KeyInput.Shift = false;
        event.KeyInput.Char = 0;
        return receiver.OnEvent(event);
    }
    void press(EKEY_CODE key) {
        EXPECT_TRUE(controlKey(key, true));
        EXPECT_TRUE(controlKey(key, false)) << "the release reaches the editing keys";
    }
    bool itemEnabled(s32 commandId) {
        s32 index = -1;
        gui::IGUIContextMenu* menu = menuHolding(commandId, &index);
        EXPECT_NE(menu, nullptr);
        return menu && menu->isItemEnabled(index);
    }
    scene::ISceneNode* cube() {
        if (!sorn::findElement(sorn::ids::SceneBoxWindow))
            chooseMenuCommand(sorn::ids::CmdSceneBox);
        chooseMenuCommand(sorn::ids::CmdAddCube);
        activePasses(2);
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            if (!node->isDebugObject() && std::string(node->getName()) == "Cube")
                return node;
        return nullptr;
    }
    unsigned cubes() {
        unsigned count = 0;
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            count += !node->isDebugObject() && node->getType() == scene::ESNT_CUBE;
        return count;
    }
};

TEST_F(ClipboardKeysTest, CopyPasteSelectsTheCopyAndUndoTakesItAway) {
    scene::ISceneNode* original = cube();
    ASSERT_NE(original, nullptr);
    sorn::updateClipboardMenuItems();
    EXPECT_FALSE(itemEnabled(sorn::ids::CmdCopy)) << "nothing selected";
    EXPECT_FALSE(itemEnabled(sorn::ids::CmdPaste)) << "nothing on the clipboard";
    original->setPosition(core::vector3df(4, 5, 6));
    pickInTree(original);
    sorn::updateClipboardMenuItems();
    EXPECT_TRUE(itemEnabled(sorn::ids::CmdCopy));
    EXPECT_TRUE(itemEnabled(sorn::ids::CmdCut));
    press(KEY_KEY_C);
    EXPECT_NE(sorn::platform::clipboardText().find("<node type=\"cube\""), std::string::npos);
    EXPECT_TRUE(itemEnabled(sorn::ids::CmdPaste));
    // Under the selected node; the copy becomes the selection.
    press(KEY_KEY_V);
    ASSERT_EQ(original->getChildren().size(), 1u);
    scene::ISceneNode* copy = *original->getChildren().begin();
    EXPECT_EQ(editor.selectedNode, copy);
    EXPECT_EQ(copy->getPosition(), core::vector3df(4, 5, 6));
    chooseMenuCommand(sorn::ids::CmdUndo);
    EXPECT_TRUE(original->getChildren().empty()) << "one undo takes the paste back";
    chooseMenuCommand(sorn::ids::CmdRedo);
    EXPECT_EQ(original->getChildren().size(), 1u);
}

TEST_F(ClipboardKeysTest, CutIsOneStepAndPasteBringsTheNodeBackAtTheRoot) {
    scene::ISceneNode* original = cube();
    ASSERT_NE(original, nullptr);
    smgr()->addSphereSceneNode(5.f, 16, original)->setName("Inner");
    pickInTree(original);
    press(KEY_KEY_X);
    EXPECT_EQ(cubes(), 0u);
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_EQ(editor.editMode, sorn::ids::ModeNone) << "the X of Ctrl+X started a move";
    chooseMenuCommand(sorn::ids::CmdUndo);
    EXPECT_EQ(cubes(), 1u);
    chooseMenuCommand(sorn::ids::CmdRedo);
    EXPECT_EQ(cubes(), 0u);
    chooseMenuCommand(sorn::ids::CmdPaste);
    ASSERT_EQ(cubes(), 1u);
    ASSERT_NE(editor.selectedNode, nullptr);
    EXPECT_EQ(editor.selectedNode->getParent(), smgr()->getRootSceneNode());
    ASSERT_EQ(editor.selectedNode->getChildren().size(), 1u);
    EXPECT_STREQ((*editor.selectedNode->getChildren().begin())->getName(), "Inner");
}

TEST_F(ClipboardKeysTest, TextThatIsNoSceneIsToldAndPastesNothing) {
    cube();
    sorn::platform::setClipboardText("just a note");
    press(KEY_KEY_V);
    EXPECT_EQ(cubes(), 1u);
    EXPECT_EQ(sorn::historyNote(), sorn::translate(L"status_paste_no_scene"));
    EXPECT_EQ(editor.selectedNode, nullptr);
}
