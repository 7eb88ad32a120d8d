// What the material and light tabs write survives a save through the save
// window and an opening of the saved scene: the tabs show it again.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "files/OpenFile.h"
#include "scene/NodeCatalogue.h"
#include "support/EditorFixture.h"

using namespace irr;

namespace sorn {
namespace {

class MaterialLightSaveTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
    }

    scene::ISceneNode* userNode(scene::ESCENE_NODE_TYPE type) {
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            if (node->getType() == type && !node->isDebugObject())
                return node;
        return nullptr;
    }

    void setText(s32 id, const std::string& text) { findElement(id)->setText(widePath(text).c_str()); }
};

TEST_F(MaterialLightSaveTest, TabValuesComeBackFromTheSavedScene) {
    const std::string texture = appFolder.file("st\xC3\xB4ne.jpg");
    test::writeFile(texture, test::readFile(std::string(SORN_IRRLICHT_MEDIA) + "/wall.jpg"));

    scene::ISceneNode* cube = addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* light = addNode(scene::ESNT_LIGHT, 0);
    activePasses(2);

    pickInTree(cube);
    setText(ids::MaterialTexturePath, texture);
    clickButton(ids::MaterialTextureSet);
    static_cast<gui::IGUICheckBox*>(findElement(ids::MaterialFirstFlagBox))->setChecked(true);     // wire frame
    static_cast<gui::IGUICheckBox*>(findElement(ids::MaterialFirstFlagBox + 3))->setChecked(false); // lighting
    clickButton(ids::MaterialFlagsSet);
    auto* type = static_cast<gui::IGUIComboBox*>(findElement(ids::MaterialTypeCombo));
    type->setSelected(1);
    postGuiEvent(gui::EGET_COMBO_BOX_CHANGED, type);

    pickInTree(light);
    static_cast<gui::IGUIComboBox*>(findElement(ids::LightTypeCombo))->setSelected(1);
    setText(0x500d1, "255,255,0,0");
    setText(0x500d7, "321.5");
    setText(0x500db, "33.25");
    clickButton(ids::LightApply);

    chooseMenuCommand(ids::CmdSave);
    const std::string path = appFolder.file("tabs.irr");
    setText(ids::SavePathEdit, path);
    clickButton(ids::SaveButton);
    ASSERT_TRUE(test::fileExists(path));

    chooseMenuCommand(ids::CmdNewScene);
    activePasses(2);
    ASSERT_EQ(userNode(scene::ESNT_CUBE), nullptr);
    ASSERT_TRUE(openFile(path, false));
    editor.sceneViewRefresh.schedule();
    activePasses(2);

    pickInTree(userNode(scene::ESNT_CUBE));
    EXPECT_EQ(narrowPath(findElement(ids::MaterialTexturePath)->getText()), texture);
    EXPECT_TRUE(static_cast<gui::IGUICheckBox*>(findElement(ids::MaterialFirstFlagBox))->isChecked());
    EXPECT_FALSE(static_cast<gui::IGUICheckBox*>(findElement(ids::MaterialFirstFlagBox + 3))->isChecked());
    EXPECT_EQ(static_cast<gui::IGUIComboBox*>(findElement(ids::MaterialTypeCombo))->getSelected(), 1);

    pickInTree(userNode(scene::ESNT_LIGHT));
    EXPECT_EQ(static_cast<gui::IGUIComboBox*>(findElement(ids::LightTypeCombo))->getSelected(), 1);
    EXPECT_EQ(std::wstring(findElement(0x500d1)->getText()), L"255,255,0,0");
    EXPECT_EQ(std::wstring(findElement(0x500d7)->getText()), L"321.500000");
    EXPECT_EQ(std::wstring(findElement(0x500db)->getText()), L"33.250000");
}

// Every value of a channel typed into the light tab reads back as typed after
// a save and a reopen (the scene holds channel / 255 with six decimals): 64
// lights whose diffuse colours hold the 256 values, four to a colour.
TEST_F(MaterialLightSaveTest, EveryChannelValueTypedReadsBackTheSameAfterASaveAndReopen) {
    constexpr int kLights = 64;
    const auto typed = [](int light) {
        std::wstring text;
        for (int channel = 0; channel < 4; ++channel)
            text += (channel ? L"," : L"") + std::to_wstring(4 * light + channel);
        return text;
    };
    std::vector<scene::ISceneNode*> lights;
    for (int i = 0; i < kLights; ++i)
        lights.push_back(addNode(scene::ESNT_LIGHT, 0));
    activePasses(2);
    for (int i = 0; i < kLights; ++i) {
        pickInTree(lights[i]);
        findElement(0x500d1)->setText(typed(i).c_str());
        clickButton(ids::LightApply);
    }

    chooseMenuCommand(ids::CmdSave);
    const std::string path = appFolder.file("colours.irr");
    setText(ids::SavePathEdit, path);
    clickButton(ids::SaveButton);
    ASSERT_TRUE(test::fileExists(path));
    chooseMenuCommand(ids::CmdNewScene);
    activePasses(2);
    ASSERT_TRUE(openFile(path, false));
    editor.sceneViewRefresh.schedule();
    activePasses(2);

    std::vector<scene::ISceneNode*> reopened;
    for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
        if (node->getType() == scene::ESNT_LIGHT && !node->isDebugObject())
            reopened.push_back(node);
    ASSERT_EQ(reopened.size(), static_cast<size_t>(kLights));
    for (int i = 0; i < kLights; ++i) {
        pickInTree(reopened[i]);
        EXPECT_EQ(std::wstring(findElement(0x500d1)->getText()), typed(i));
    }
}

} // namespace
} // namespace sorn
