// A text node's text and colour, which the engine's scene writer leaves out,
// travel with the scene as the node's user data: saved through the save
// window in a decimal-comma locale and opened again, they come back.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <clocale>
#include <map>
#include <string>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "files/OpenFile.h"
#include "files/TextNodeData.h"
#include "scene/NodeCatalogue.h"
#include "support/EditorFixture.h"

using namespace irr;

namespace sorn {
namespace {

class TextNodeDataTest : public test::EditorTest {
protected:
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        EditorTest::TearDown();
    }

    void saveThroughSaveWindow(const std::string& path) {
        chooseMenuCommand(ids::CmdSave);
        auto* box = static_cast<gui::IGUIEditBox*>(findElement(ids::SavePathEdit));
        ASSERT_NE(box, nullptr);
        box->setText(widePath(path).c_str());
        clickButton(ids::SaveButton);
        ASSERT_TRUE(test::fileExists(path));
    }

    // The scene's text nodes, by name.
    std::map<std::string, scene::ISceneNode*> textNodes() {
        std::map<std::string, scene::ISceneNode*> found;
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            if (node->getType() == scene::ESNT_TEXT)
                found[node->getName()] = node;
        return found;
    }

    void reopen(const std::string& path) {
        chooseMenuCommand(ids::CmdNewScene);
        activePasses(2);
        ASSERT_TRUE(textNodes().empty());
        ASSERT_TRUE(openFile(path, false));
    }
};

TEST_F(TextNodeDataTest, TextAndColourSurviveASaveInADecimalCommaLocale) {
    clickButton(ids::ButtonOpenSceneBox);
    clickButton(ids::ButtonOpenToolBox);
    scene::ISceneNode* typed = addNode(scene::ESNT_TEXT, 0);
    typed->setName("Typed");
    scene::ISceneNode* coloured = addNode(scene::ESNT_TEXT, 0);
    coloured->setName("Coloured");
    scene::ISceneNode* untouched = addNode(scene::ESNT_TEXT, 0);
    untouched->setName("Untouched");
    activePasses(2);

    const std::wstring text = L"Gr\u00fc\u00dfe, 1,5 \"<&>\" \u2603";
    pickInTree(typed);
    findElement(ids::TextEdit)->setText(text.c_str());
    clickButton(ids::TextApply);
    setTextNodeData(static_cast<scene::ITextSceneNode*>(coloured), L"2,25", video::SColor(0x80102030));

    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    const std::string path = appFolder.file("texts.irr");
    saveThroughSaveWindow(path);
    std::setlocale(LC_ALL, "C");

    reopen(path);
    auto nodes = textNodes();
    ASSERT_EQ(nodes.size(), 3u);
    const TextNodeRecord* back = findTextNodeData(nodes["Typed"]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), text);
    EXPECT_EQ(back->colour, kDefaultTextColour);
    back = findTextNodeData(nodes["Coloured"]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), L"2,25") << "commas in a text are no decimal commas";
    EXPECT_EQ(back->colour, video::SColor(0x80102030));
    back = findTextNodeData(nodes["Untouched"]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), L"Text");
}

TEST_F(TextNodeDataTest, SceneWithoutTheRecordOpensWithTheDefaultText) {
    scene::ISceneNode* node = addNode(scene::ESNT_TEXT, 0);
    setTextNodeData(static_cast<scene::ITextSceneNode*>(node), L"not saved", video::SColor(0xFF00FF00));
    const std::string path = appFolder.file("plain.irr");
    ASSERT_TRUE(smgr()->saveScene(path.c_str())); // no user-data hooks
    reopen(path);
    auto nodes = textNodes();
    ASSERT_EQ(nodes.size(), 1u);
    const TextNodeRecord* back = findTextNodeData(nodes.begin()->second);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), L"Text");
    EXPECT_EQ(back->colour, kDefaultTextColour);
}

TEST_F(TextNodeDataTest, OnlyTextNodesCarryARecord) {
    scene::ISceneNode* cube = addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* text = addNode(scene::ESNT_TEXT, 0);
    EXPECT_EQ(textNodeUserData()->createUserData(cube), nullptr);
    io::IAttributes* userData = textNodeUserData()->createUserData(text);
    ASSERT_NE(userData, nullptr);
    EXPECT_EQ(core::stringw(userData->getAttributeAsStringW("Text")), core::stringw(L"Text"));
    EXPECT_EQ(userData->getAttributeAsColor("Color"), kDefaultTextColour);
    userData->drop();

    // A record read for another node type is ignored.
    io::IAttributes* foreign = editor.device->getFileSystem()->createEmptyAttributes();
    foreign->addString("Text", "cube text");
    textNodeUserData()->OnReadUserData(cube, foreign);
    foreign->drop();
    EXPECT_EQ(findTextNodeData(cube), nullptr);
}

TEST_F(TextNodeDataTest, ANewTextNodeStartsWithTheDefaultRecord) {
    scene::ISceneNode* first = addNode(scene::ESNT_TEXT, 0);
    setTextNodeData(static_cast<scene::ITextSceneNode*>(first), L"old", video::SColor(0xFF0000FF));
    // A node made later, wherever the allocator puts it, never shows what an
    // earlier node at the same address had.
    first->remove();
    scene::ISceneNode* second = addNode(scene::ESNT_TEXT, 0);
    ASSERT_NE(findTextNodeData(second), nullptr);
    EXPECT_EQ(std::wstring(findTextNodeData(second)->text.c_str()), L"Text");
}

} // namespace
} // namespace sorn
