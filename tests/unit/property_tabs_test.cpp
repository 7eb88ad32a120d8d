// The text, terrain, sky-dome and volume-light pages of the tool box: what
// they show, where their browse buttons send the chosen file, and what their
// update buttons write to the node.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/SceneScan.h"
#include "scene/TextNodeData.h"
#include "scene/NodeCatalogue.h"
#include "scene/NodeState.h"
#include "scene/UndoHistory.h"
#include "scene/UserDataEditing.h"
#include "events/UndoCommands.h"
#include "support/ChosenFileDialog.h"
#include "support/EditorFixture.h"
#include "support/TestImages.h"
#include "toolbox/ColourText.h"
#include "toolbox/VolumeLightTab.h"

using namespace irr;

namespace sorn {
namespace {

std::wstring textOf(s32 id) {
    gui::IGUIElement* element = findElement(id);
    return element ? std::wstring(element->getText()) : std::wstring(L"<missing>");
}

void setText(s32 id, const wchar_t* text) {
    gui::IGUIElement* element = findElement(id);
    ASSERT_NE(element, nullptr) << std::hex << id;
    element->setText(text);
}

class PropertyTabsTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
    }

    scene::ISceneNode* addAndPick(scene::ESCENE_NODE_TYPE type) {
        editor.selectedNode = nullptr;
        scene::ISceneNode* node = addNode(type, 0);
        activePasses(2);
        pickInTree(node);
        EXPECT_EQ(editor.selectedNode, node);
        return node;
    }

    gui::IGUITab* tab(s32 index) {
        auto* tabs = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
        return tabs ? tabs->getTab(index) : nullptr;
    }

    std::string textureFile(scene::ISceneNode* node) {
        video::ITexture* texture = node->getMaterial(0).getTexture(0);
        return texture ? std::string(texture->getName().getPath().c_str()) : std::string();
    }

    void chooseImage(const std::string& path) {
        auto* dialog = new test::ChosenFileDialog(gui(), ids::DialogToolBoxImage, widePath(path));
        postGuiEvent(gui::EGET_FILE_SELECTED, dialog);
        dialog->drop();
    }
};

// ---- Text tab ---------------------------------------------------------------

TEST_F(PropertyTabsTest, TextTabFollowsTheObjectTabAndShowsTheNodesText) {
    scene::ISceneNode* node = addAndPick(scene::ESNT_TEXT);
    ASSERT_NE(tab(1), nullptr);
    EXPECT_EQ(std::wstring(tab(1)->getText()), std::wstring(translate(L"window_toolbox_tab_text").c_str()));
    EXPECT_EQ(tab(1)->getElementFromId(ids::TextEdit, true), findElement(ids::TextEdit));
    EXPECT_EQ(textOf(ids::TextEdit), L"Text");

    setText(ids::TextEdit, L"Caf\u00e9 \u2603, 1,5");
    clickButton(ids::TextApply);
    ASSERT_NE(findTextNodeData(node), nullptr);
    EXPECT_EQ(std::wstring(findTextNodeData(node)->text.c_str()), L"Caf\u00e9 \u2603, 1,5") << "kept wide";
    EXPECT_EQ(findTextNodeData(node)->colour, kDefaultTextColour);
    EXPECT_EQ(textOf(ids::TextColourEdit), std::wstring(formatColourText(kDefaultTextColour).c_str()));
    setText(ids::TextColourEdit, L"12");
    clickButton(ids::TextApply);
    EXPECT_EQ(findTextNodeData(node)->colour, kDefaultTextColour) << "no colour keeps the colour";
    setText(ids::TextColourEdit, L"255,1,2,3");
    clickButton(ids::TextApply);
    EXPECT_EQ(findTextNodeData(node)->colour, video::SColor(255, 1, 2, 3));

    // Picked again, the box shows the node's own text: a small change keeps the rest.
    pickInTree(node);
    EXPECT_EQ(textOf(ids::TextEdit), L"Caf\u00e9 \u2603, 1,5");
    setText(ids::TextEdit, (textOf(ids::TextEdit) + L"!").c_str());
    clickButton(ids::TextApply);
    EXPECT_EQ(std::wstring(findTextNodeData(node)->text.c_str()), L"Caf\u00e9 \u2603, 1,5!");
    // Another text node shows its own.
    scene::ISceneNode* other = addAndPick(scene::ESNT_TEXT);
    setTextNodeText(static_cast<scene::ITextSceneNode*>(other), L"Second");
    pickInTree(node);
    pickInTree(other);
    EXPECT_EQ(textOf(ids::TextEdit), L"Second");
}

TEST_F(PropertyTabsTest, TextUpdateAfterTheNodeWasDeletedDoesNothing) {
    scene::ISceneNode* node = addAndPick(scene::ESNT_TEXT);
    setText(ids::TextEdit, L"gone");
    clickButton(ids::SceneBoxRemove);
    EXPECT_EQ(editor.selectedNode, nullptr);
    clickButton(ids::TextApply);
    EXPECT_EQ(std::wstring(findTextNodeData(node)->text.c_str()), L"Text");
}

// ---- Terrain tab and sky-dome rows -------------------------------------------

TEST_F(PropertyTabsTest, TerrainTabStartsEmptyAndAppliesTheChosenImage) {
    scene::ISceneNode* terrain = addAndPick(scene::ESNT_TERRAIN);
    ASSERT_NE(tab(1), nullptr);
    EXPECT_EQ(std::wstring(tab(1)->getText()), std::wstring(translate(L"window_toolbox_tab_terrain").c_str()));
    EXPECT_NE(tab(1)->getElementFromId(ids::ImagePathBrowse, true), nullptr);
    EXPECT_EQ(textOf(ids::ImagePathEdit), L"");

    const std::string ground = appFolder.file("ground.png");
    ASSERT_TRUE(test::writeTestImage(ground));
    clickButton(ids::ImagePathBrowse);
    EXPECT_EQ(editor.imageDialogTarget, ids::ImagePathDialogTarget);
    ASSERT_NE(findElement(ids::DialogToolBoxImage), nullptr);
    chooseImage(ground);
    EXPECT_EQ(textOf(ids::ImagePathEdit), std::wstring(widePath(ground).c_str()));
    EXPECT_EQ(textureFile(terrain), "") << "choosing a file applies nothing yet";

    clickButton(ids::ImagePathApply);
    EXPECT_EQ(textureFile(terrain), ground);
}

TEST_F(PropertyTabsTest, SkyDomeRowsShowItsImageOnTheObjectTab) {
    scene::ISceneNode* dome = addAndPick(scene::ESNT_SKY_DOME);
    gui::IGUIElement* box = findElement(ids::ImagePathEdit);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->getParent()->getID(), ids::ToolBoxFirstTab);
    ASSERT_NE(textureFile(dome), "");
    EXPECT_EQ(textOf(ids::ImagePathEdit), std::wstring(widePath(textureFile(dome)).c_str()));
}

struct ImagePathCase {
    const char* name;
    std::string (*path)(const std::string& folder);
    bool loads;
};

class ImagePathTest : public PropertyTabsTest, public testing::WithParamInterface<ImagePathCase> {};

TEST_P(ImagePathTest, SkyDomeUpdateLoadsOrRemovesTheImage) {
    scene::ISceneNode* dome = addAndPick(scene::ESNT_SKY_DOME);
    const std::string path = GetParam().path(appFolder.path());
    setText(ids::ImagePathEdit, widePath(path).c_str());
    clickButton(ids::ImagePathApply);
    EXPECT_EQ(textureFile(dome), GetParam().loads ? path : "");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ImagePathTest,
    testing::Values(
        ImagePathCase{"image",
                      [](const std::string& folder) {
                          std::string p = folder + "/d\xc3\xb4me.jpg";
                          test::writeTestImage(p);
                          return p;
                      },
                      true},
        ImagePathCase{"missing", [](const std::string& folder) { return folder + "/none.png"; }, false},
        ImagePathCase{"not_an_image",
                      [](const std::string& folder) {
                          test::writeFile(folder + "/text.png", "plain text");
                          return folder + "/text.png";
                      },
                      false},
        ImagePathCase{"folder", [](const std::string& folder) { return folder; }, false},
        ImagePathCase{"device", [](const std::string&) { return std::string("/dev/zero"); }, false}),
    [](const testing::TestParamInfo<ImagePathCase>& info) { return info.param.name; });

TEST_F(PropertyTabsTest, EmptyImageBoxChangesNothing) {
    scene::ISceneNode* dome = addAndPick(scene::ESNT_SKY_DOME);
    const std::string before = textureFile(dome);
    setText(ids::ImagePathEdit, L"");
    clickButton(ids::ImagePathApply);
    EXPECT_EQ(textureFile(dome), before);
}

// ---- Volume-light tab --------------------------------------------------------

class VolumeLightTest : public PropertyTabsTest {
protected:
    void SetUp() override {
        PropertyTabsTest::SetUp();
        light = static_cast<scene::IVolumeLightSceneNode*>(addAndPick(scene::ESNT_VOLUME_LIGHT));
        ASSERT_NE(light, nullptr);
    }
    scene::IVolumeLightSceneNode* light = nullptr;
};

TEST_F(VolumeLightTest, TabShowsTheColoursAndSubdivisions) {
    ASSERT_NE(tab(1), nullptr);
    EXPECT_EQ(std::wstring(tab(1)->getText()), std::wstring(translate(L"window_toolbox_tab_volume_light").c_str()));
    light->setTailColor(video::SColor(10, 20, 30, 40));
    light->setFootColor(video::SColor(255, 0, 230, 180));
    light->setSubDivideU(5);
    light->setSubDivideV(17);
    pickInTree(light);
    EXPECT_EQ(textOf(ids::VolumeLightTailEdit), L"10,20,30,40");
    EXPECT_EQ(textOf(ids::VolumeLightFootEdit), L"255,0,230,180");
    EXPECT_EQ(textOf(ids::VolumeLightSubDivUEdit), L"5");
    EXPECT_EQ(textOf(ids::VolumeLightSubDivVEdit), L"17");
}

TEST_F(VolumeLightTest, LowerButtonAppliesColoursAndSubdivisions) {
    setText(ids::VolumeLightTailEdit, L"255,255,0,0");
    setText(ids::VolumeLightFootEdit, L"255,0,0"); // three fields: the value 1
    setText(ids::VolumeLightSubDivUEdit, L"12.9");
    setText(ids::VolumeLightSubDivVEdit, L"3");
    clickButton(ids::VolumeLightApply);
    EXPECT_EQ(light->getTailColor(), video::SColor(255, 255, 0, 0));
    EXPECT_EQ(light->getFootColor(), video::SColor(1));
    EXPECT_EQ(light->getSubDivideU(), 12u);
    EXPECT_EQ(light->getSubDivideV(), 3u);
}

TEST_F(VolumeLightTest, UpperButtonAppliesOnlyTheColours) {
    const u32 u = light->getSubDivideU();
    setText(ids::VolumeLightTailEdit, L"128,1,2,3");
    setText(ids::VolumeLightFootEdit, L"");
    const video::SColor foot = light->getFootColor();
    setText(ids::VolumeLightSubDivUEdit, L"40");
    clickButton(ids::VolumeLightColourApply);
    EXPECT_EQ(light->getTailColor(), video::SColor(128, 1, 2, 3));
    EXPECT_EQ(light->getFootColor(), foot) << "an empty row keeps its colour";
    EXPECT_EQ(light->getSubDivideU(), u);
}

struct SubdivisionCase {
    const char* name;
    const wchar_t* typed;
    bool keeps;     // the count in force stays
    u32 expected;   // otherwise
};

class SubdivisionTest : public VolumeLightTest, public testing::WithParamInterface<SubdivisionCase> {};

TEST_P(SubdivisionTest, CountsAreBoundedBeforeTheyReachTheEngine) {
    const SubdivisionCase& c = GetParam();
    light->setSubDivideU(6);
    light->setSubDivideV(6);
    setText(ids::VolumeLightSubDivUEdit, c.typed);
    setText(ids::VolumeLightSubDivVEdit, c.typed);
    clickButton(ids::VolumeLightApply);
    const u32 expected = c.keeps ? 6u : c.expected;
    EXPECT_EQ(light->getSubDivideU(), expected);
    EXPECT_EQ(light->getSubDivideV(), expected);
    EXPECT_EQ(textOf(ids::VolumeLightSubDivUEdit), std::to_wstring(expected)) << "the count in force is shown";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SubdivisionTest,
    testing::Values(SubdivisionCase{"zero", L"0", false, 0}, SubdivisionCase{"minus_one", L"-1", false, 0},
                    SubdivisionCase{"huge", L"1e12", false, kMaxVolumeLightSubdivisions},
                    SubdivisionCase{"bound", L"128", false, 128}, SubdivisionCase{"above", L"129", false, 128},
                    SubdivisionCase{"old_bound", L"4095", false, 128},
                    SubdivisionCase{"not_a_number", L"abc", false, 0}, SubdivisionCase{"nan", L"nan", true, 0},
                    SubdivisionCase{"infinity", L"-inf", true, 0}, SubdivisionCase{"empty", L"", true, 0}),
    [](const testing::TestParamInfo<SubdivisionCase>& info) { return info.param.name; });

TEST_F(VolumeLightTest, LargestCountsStillFitTheEngineMesh) {
    // The engine numbers the mesh's vertices with 16 bits.
    scene::IMesh* mesh = smgr()->getGeometryCreator()->createVolumeLightMesh(
        kMaxVolumeLightSubdivisions, kMaxVolumeLightSubdivisions, video::SColor(0), video::SColor(0), 8.f,
        core::vector3df(1.f, 1.2f, 1.f));
    ASSERT_NE(mesh, nullptr);
    u32 vertices = 0;
    for (u32 i = 0; i < mesh->getMeshBufferCount(); ++i)
        vertices += mesh->getMeshBuffer(i)->getVertexCount();
    mesh->drop();
    EXPECT_LE(vertices, 65536u);
}

// The counts the tab gives are the ones an open accepts: the largest, saved,
// passes the scan, and one more does not.
TEST_F(VolumeLightTest, TheLargestCountsTheTabGivesOpenAgain) {
    setText(ids::VolumeLightSubDivUEdit, L"1e12");
    setText(ids::VolumeLightSubDivVEdit, L"99999");
    clickButton(ids::VolumeLightApply);
    ASSERT_EQ(light->getSubDivideU(), kMaxVolumeLightSubdivisions);
    ASSERT_EQ(light->getSubDivideV(), kMaxVolumeLightSubdivisions);
    const std::string path = appFolder.file("largest.irr");
    ASSERT_TRUE(smgr()->saveScene(path.c_str()));
    const SceneScan scan = scanSceneFile(smgr()->getFileSystem(), path.c_str());
    EXPECT_TRUE(scan.accepted()) << scan.detail;

    light->setSubDivideU(kMaxVolumeLightSubdivisions + 1);
    ASSERT_TRUE(smgr()->saveScene(path.c_str()));
    const SceneScan above = scanSceneFile(smgr()->getFileSystem(), path.c_str());
    EXPECT_EQ(above.refusal, SceneRefusal::ValueOutOfBounds);
    EXPECT_EQ(above.detail, "subDivideU=\"" + std::to_string(kMaxVolumeLightSubdivisions + 1) + "\"")
        << "as the engine writes the name";
}

// Rows left over from the volume light while another node is selected: the
// buttons touch neither that node nor the rows.
TEST_F(VolumeLightTest, ButtonsLeaveAnotherSelectedNodeAlone) {
    setText(ids::VolumeLightTailEdit, L"255,255,0,0");
    setText(ids::VolumeLightSubDivUEdit, L"30");
    auto* cube = static_cast<scene::IMeshSceneNode*>(smgr()->addCubeSceneNode());
    const NodeState before = NodeState::of(cube);
    scene::IMesh* mesh = cube->getMesh();
    const core::aabbox3df box = cube->getBoundingBox();
    editor.selectedNode = cube;
    clickButton(ids::VolumeLightApply);
    clickButton(ids::VolumeLightColourApply);
    EXPECT_TRUE(NodeState::of(cube) == before);
    EXPECT_EQ(cube->getMesh(), mesh);
    EXPECT_EQ(cube->getBoundingBox(), box);
    EXPECT_EQ(textOf(ids::VolumeLightSubDivUEdit), L"30") << "no count in force is shown for a cube";
}

// ---- Custom properties -------------------------------------------------------

std::wstring translation(const wchar_t* key) { return translate(key).c_str(); }

class CustomPropertiesTabTest : public PropertyTabsTest {
protected:
    // A GUI event as the element itself sends it: to its parent.
    void sentBy(s32 id, gui::EGUI_EVENT_TYPE type) {
        gui::IGUIElement* element = findElement(id);
        ASSERT_NE(element, nullptr) << std::hex << id;
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = element;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = type;
        element->getParent()->OnEvent(event);
    }
    void typeAndEnter(s32 id, const wchar_t* text) {
        setText(id, text);
        sentBy(id, gui::EGET_EDITBOX_ENTER);
        activePasses(2);
    }
    // The list's entries and which is picked.
    std::wstring listed() {
        auto* list = static_cast<gui::IGUIListBox*>(findElement(ids::CustomPropertiesList));
        if (!list)
            return L"<missing>";
        std::wstring text;
        for (u32 i = 0; i < list->getItemCount(); ++i)
            text += std::wstring(static_cast<s32>(i) == list->getSelected() ? L"*" : L"") + list->getListItem(i) + L";";
        return text;
    }
};

TEST_F(CustomPropertiesTabTest, EditsANestedNodesPropertiesAsOneStepEach) {
    scene::ISceneNode* top = addNode(scene::ESNT_CUBE, 0);
    editor.selectedNode = top;
    scene::ISceneNode* middle = addNode(scene::ESNT_CUBE, 0);
    editor.selectedNode = middle;
    scene::ISceneNode* deep = addNode(scene::ESNT_SPHERE, 0);
    ASSERT_EQ(deep->getParent(), middle);
    activePasses(2);
    pickInTree(deep);
    auto* tabs = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
    tabs->setActiveTab(tabs->getTabCount() - 1);
    EXPECT_EQ(listed(), L"");
    // Add, clicked with the mouse as a user does.
    const core::position2di add = findElement(ids::CustomPropertiesAdd)->getAbsolutePosition().getCenter();
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, add.X, add.Y);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, add.X, add.Y);
    activePasses(2);
    EXPECT_EQ(listed(), L"*property (string);");

    typeAndEnter(ids::CustomPropertiesName, L"spawnPoint");
    auto* type = static_cast<gui::IGUIComboBox*>(findElement(ids::CustomPropertiesType));
    type->setSelected(type->getIndexForItemData(io::EAT_INT));
    sentBy(ids::CustomPropertiesType, gui::EGET_COMBO_BOX_CHANGED);
    activePasses(2);
    typeAndEnter(ids::CustomPropertiesFirstRow, L"3"); // the value panel's int box
    sentBy(ids::CustomPropertiesAdd, gui::EGET_BUTTON_CLICKED);
    activePasses(2);
    EXPECT_EQ(listed(), L"spawnPoint (int);*property (int);") << "a new one of the chosen type, picked";
    EXPECT_EQ(customProperties(deep)->getAttributeAsInt("spawnPoint"), 3);

    // Refused texts say why and change nothing.
    const size_t steps = undoHistory.size();
    typeAndEnter(ids::CustomPropertiesName, L"spawnPoint");
    EXPECT_EQ(textOf(ids::CustomPropertiesMessage), translation(L"custom_properties_name_taken"));
    typeAndEnter(ids::CustomPropertiesName, L"<x>");
    EXPECT_EQ(textOf(ids::CustomPropertiesMessage), translation(L"custom_properties_name_characters"));
    typeAndEnter(ids::CustomPropertiesFirstRow, L"three");
    EXPECT_EQ(undoHistory.size(), steps);
    EXPECT_EQ(customProperties(deep)->getAttributeAsInt(1), 0);

    // Remove the first: its neighbour is picked; undo puts it back in place.
    auto* list = static_cast<gui::IGUIListBox*>(findElement(ids::CustomPropertiesList));
    list->setSelected(0);
    sentBy(ids::CustomPropertiesList, gui::EGET_LISTBOX_CHANGED);
    EXPECT_EQ(textOf(ids::CustomPropertiesFirstRow), L"3");
    sentBy(ids::CustomPropertiesRemove, gui::EGET_BUTTON_CLICKED);
    activePasses(2);
    EXPECT_EQ(listed(), L"*property (int);");
    EXPECT_EQ(undoHistory.size(), steps + 1);
    undoLastChange();
    activePasses(2);
    EXPECT_EQ(customProperties(deep)->getAttributeName(0), std::string("spawnPoint"));
    EXPECT_EQ(customProperties(deep)->getAttributeAsInt(0), 3);
}

} // namespace
} // namespace sorn
