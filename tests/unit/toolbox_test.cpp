// The tool box frame: the window, its trace lines, the tab sets chosen by the
// selected node's type, the scene tab's grid rows and unique ids after rebuilds.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "app/WindowPlaces.h"
#include "events/SaveWindow.h"
#include "events/UndoCommands.h"
#include "scene/AnimationPlayback.h"
#include "scene/GridSceneNode.h"
#include "scene/NodeCatalogue.h"
#include "scene/SceneBox.h"
#include "scene/UndoHistory.h"
#include "support/EditorFixture.h"
#include "support/SceneSnapshot.h"
#include "support/TestImages.h"
#include "scene/AttributesStep.h"
#include "toolbox/AttributePanel.h"
#include "toolbox/AttributeText.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {
namespace {

std::wstring textOf(s32 id) {
    gui::IGUIElement* element = findElement(id);
    return element ? std::wstring(element->getText()) : std::wstring(L"<missing>");
}

std::wstring translated(const wchar_t* key) {
    return translate(key).c_str();
}

class ToolBoxTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
    }

    // Adds a node of the catalogue at the root and lets the tree pick it up.
    scene::ISceneNode* addAtRoot(scene::ESCENE_NODE_TYPE type, s32 variant = 0) {
        editor.selectedNode = nullptr;
        scene::ISceneNode* node = addNode(type, variant);
        activePasses(2);
        return node;
    }

    gui::IGUITabControl* tabControl() {
        return static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
    }
};

// ---- Frame -------------------------------------------------------------------

TEST_F(ToolBoxTest, WindowAndTabControlSitWhereTheyBelong) {
    gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getType(), gui::EGUIET_WINDOW);
    EXPECT_EQ(window->getParent(), gui()->getRootGUIElement());
    EXPECT_EQ(window->getRelativePosition(), core::rect<s32>(800, 50, 1000, 720));
    EXPECT_EQ(std::wstring(window->getText()), translated(L"window_toolbox_caption"));
    gui::IGUITabControl* tabs = tabControl();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->getParent(), window);
    EXPECT_EQ(tabs->getRelativePosition(), core::rect<s32>(2, 20, 196, 668));
}

TEST_F(ToolBoxTest, EntryPointsPrintTheirTraceLines) {
    testing::internal::CaptureStdout();
    createToolBox();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "createToolBox()\nToolBoxbyType()\n");
    testing::internal::CaptureStdout();
    updateToolBox();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "updateToolBox()\nToolBoxbyType()\n");
    testing::internal::CaptureStdout();
    ToolBoxClose();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ToolBoxClose()\n");
    EXPECT_EQ(findElement(ids::ToolBoxWindow), nullptr);
    testing::internal::CaptureStdout();
    updateToolBox();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "updateToolBox()\n");
}

TEST_F(ToolBoxTest, UpdateWithTheToolBoxClosedCreatesNothing) {
    scene::ISceneNode* cube = addAtRoot(scene::ESNT_CUBE);
    ToolBoxClose();
    pickInTree(cube);
    updateToolBox();
    EXPECT_EQ(findElement(ids::ToolBoxWindow), nullptr);
    EXPECT_EQ(findElement(ids::ToolBoxTabControl), nullptr);
    EXPECT_EQ(findElement(ids::PositionEditX), nullptr);
}

TEST_F(ToolBoxTest, CreatingTheToolBoxAgainReplacesTheWindow) {
    createToolBox();
    createToolBox();
    int windows = 0;
    for (gui::IGUIElement* child : gui()->getRootGUIElement()->getChildren())
        windows += child->getID() == ids::ToolBoxWindow;
    EXPECT_EQ(windows, 1);
}

// ---- Where the window opens and stays ----------------------------------------

struct ToolBoxPlaceCase {
    const char* name;
    const wchar_t* x; // null: no setting
    const wchar_t* y;
    core::position2di expected;
};

// The tool box is 200 x 670 on the 1000 x 750 window; without a usable
// setting it opens at the right edge, (800, 50).
const ToolBoxPlaceCase kToolBoxPlaces[] = {
    {"no setting", nullptr, nullptr, {800, 50}},
    {"the missing-setting text", L"XXX", L"XXX", {800, 50}},
    {"a place inside", L"10", L"20", {10, 20}},
    {"negative: moved inside", L"-5", L"-300", {0, 0}},
    {"past the right and bottom edges: moved inside", L"990", L"700", {800, 80}},
    {"an exponent", L"1e3", L"5", {800, 50}},
    {"fullwidth digits", L"\xFF18", L"5", {800, 50}},
    {"more digits than any screen", L"1000000", L"5", {800, 50}},
    {"the largest number taken, moved inside", L"999999", L"-999999", {800, 0}},
};

TEST_F(ToolBoxTest, OpensAtTheRememberedPlaceAlwaysInsideTheWindow) {
    for (const ToolBoxPlaceCase& c : kToolBoxPlaces) {
        SCOPED_TRACE(c.name);
        // An open box is taken away without a close, which would write its
        // place over the case's.
        if (gui::IGUIElement* open = findElement(ids::ToolBoxWindow))
            open->remove();
        editor.config.settings.erase(L"window_toolbox_x");
        editor.config.settings.erase(L"window_toolbox_y");
        if (c.x) {
            editor.config.set(L"window_toolbox_x", c.x);
            editor.config.set(L"window_toolbox_y", c.y);
        }
        createToolBox();
        gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->getRelativePosition(), core::rect<s32>(c.expected, core::dimension2di(200, 670)));
    }
}

TEST_F(ToolBoxTest, ADraggedPlaceSurvivesTheCloseButtonAConfigReloadAndASmallerScreen) {
    // The title bar dragged as a user drags it.
    test::dragWithLeftButton(editor.device, {{900, 58}, {800, 60}, {700, 68}});
    gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
    ASSERT_EQ(window->getRelativePosition().UpperLeftCorner, core::position2di(600, 60));

    // Closed with its close button, the settings reread from the file, opened again.
    postGuiEvent(gui::EGET_ELEMENT_CLOSED, window);
    window->remove();
    EXPECT_FALSE(isMenuItemChecked(ids::CmdToolBox));
    editor.config.settings.clear();
    ASSERT_TRUE(editor.config.load());
    EXPECT_EQ(std::wstring(editor.config.get(L"window_toolbox_x").c_str()), L"600");
    clickButton(ids::ButtonOpenToolBox);
    window = findElement(ids::ToolBoxWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getRelativePosition().UpperLeftCorner, core::position2di(600, 60));

    // The editor's window made smaller: the tool box moves inside, its title
    // bar at the top when it is taller than the screen.
    keepWindowsInside(core::dimension2du(700, 500));
    EXPECT_EQ(window->getRelativePosition().UpperLeftCorner, core::position2di(500, 0));
    // The place is the user's still; the scene box, open too, fitted and stayed.
    EXPECT_EQ(std::wstring(editor.config.get(L"window_toolbox_x").c_str()), L"600");
    EXPECT_EQ(findElement(ids::SceneBoxWindow)->getRelativePosition().UpperLeftCorner, core::position2di(0, 50));
}

// ---- Tab sets by node type ---------------------------------------------------

struct TabSetCase {
    const char* name;
    std::function<scene::ISceneNode*(ToolBoxTest&)> make;
    bool position, rotation, scale, frameRate;
    // Top-level tabs when the set is complete, the animators tab last; 0 where
    // further tabs of the node type (material, particle, light, terrain, text,
    // volume light) come with their own property pages and only the object
    // tab is checked here.
    u32 completeTabCount;
    // An element the node type's own rows put on the object tab (0: none).
    s32 ownObjectRow = 0;
};

scene::ISceneNode* makeAnimatedMesh(ToolBoxTest&) {
    scene::SMesh* mesh = new scene::SMesh();
    scene::SAnimatedMesh* animated = new scene::SAnimatedMesh(mesh);
    mesh->drop();
    scene::ISceneNode* node = editor.sceneManager->addAnimatedMeshSceneNode(animated);
    animated->drop();
    return node;
}

class ToolBoxTabSetTest : public ToolBoxTest, public testing::WithParamInterface<TabSetCase> {
public:
    scene::ISceneNode* add(scene::ESCENE_NODE_TYPE type, s32 variant = 0) { return addAtRoot(type, variant); }
};

std::vector<TabSetCase> tabSetCases() {
    using T = ToolBoxTest;
    auto catalogue = [](scene::ESCENE_NODE_TYPE type, s32 variant) {
        return [type, variant](T& t) { return static_cast<ToolBoxTabSetTest&>(t).add(type, variant); };
    };
    return {
        {"cube", catalogue(scene::ESNT_CUBE, 0), true, true, true, false, 4},
        {"sphere", catalogue(scene::ESNT_SPHERE, 0), true, true, true, false, 4},
        {"mesh", catalogue(scene::ESNT_MESH, ids::MeshPlane), true, true, true, false, 4},
        {"animated_mesh", makeAnimatedMesh, true, true, true, true, 4},
        {"empty", [](T&) { return editor.sceneManager->addEmptySceneNode(); }, true, true, true, false, 3},
        {"particle_system", catalogue(scene::ESNT_PARTICLE_SYSTEM, 0), true, true, true, false, 5},
        {"terrain", catalogue(scene::ESNT_TERRAIN, 0), true, true, true, false, 5},
        {"volume_light", catalogue(scene::ESNT_VOLUME_LIGHT, 0), true, true, true, false, 4},
        {"light", catalogue(scene::ESNT_LIGHT, 0), true, true, false, false, 4},
        {"text", catalogue(scene::ESNT_TEXT, 0), true, false, false, false, 4},
        {"sky_box", catalogue(scene::ESNT_SKY_BOX, 0), false, false, false, false, 3, ids::SkyBoxUpEdit},
        {"sky_dome", catalogue(scene::ESNT_SKY_DOME, 0), false, false, false, false, 3, ids::ImagePathEdit},
        {"water_surface", catalogue(scene::ESNT_WATER_SURFACE, 0), false, false, false, false, 3},
        {"camera",
         [](T&) {
             return editor.sceneManager->addCameraSceneNode(nullptr, core::vector3df(0, 0, 0),
                                                           core::vector3df(0, 0, 100), -1, false);
         },
         true, true, false, false, 3},
        {"billboard", [](T&) { return editor.sceneManager->addBillboardSceneNode(); }, true, false, false, false, 4},
    };
}

TEST_P(ToolBoxTabSetTest, ObjectTabHoldsTheGroupsOfTheNodeType) {
    const TabSetCase& c = GetParam();
    scene::ISceneNode* node = c.make(*this);
    ASSERT_NE(node, nullptr);
    sorn::updateTreeview();
    ASSERT_NE(treeItemFor(node), nullptr) << "every user node is in the scene box, scene cameras too";
    pickInTree(node);
    ASSERT_EQ(editor.selectedNode, node);

    gui::IGUITabControl* tabs = tabControl();
    ASSERT_NE(tabs, nullptr);
    ASSERT_GE(tabs->getTabCount(), 1);
    EXPECT_EQ(tabs->getTab(0)->getID(), ids::ToolBoxFirstTab);
    EXPECT_EQ(std::wstring(tabs->getTab(0)->getText()), translated(L"window_toolbox_tab_object"));
    for (s32 i = 1; i < tabs->getTabCount(); ++i)
        EXPECT_EQ(tabs->getTab(i)->getID(), -1);
    // After its own tabs, every node gets the attributes, animators and custom properties tabs.
    if (c.completeTabCount)
        EXPECT_EQ(tabs->getTabCount(), static_cast<s32>(c.completeTabCount) + 1);
    EXPECT_EQ(std::wstring(tabs->getTab(tabs->getTabCount() - 1)->getText()),
              translated(L"window_toolbox_tab_custom"));
    EXPECT_EQ(std::wstring(tabs->getTab(tabs->getTabCount() - 2)->getText()),
              translated(L"window_toolbox_tab_animators"));

    gui::IGUIElement* objectTab = tabs->getTab(0);
    auto has = [objectTab](s32 id) { return objectTab->getElementFromId(id, true) != nullptr; };
    EXPECT_EQ(has(ids::ApplyPosition), c.position);
    EXPECT_EQ(has(ids::PositionEditX), c.position);
    EXPECT_EQ(has(ids::ApplyRotation), c.rotation);
    EXPECT_EQ(has(ids::RotationEditZ), c.rotation);
    EXPECT_EQ(has(ids::ApplyScale), c.scale);
    EXPECT_EQ(has(ids::ScaleTimesTen), c.scale);
    EXPECT_EQ(has(ids::AnimationSpeedScrollBar), c.frameRate);
    EXPECT_EQ(has(ids::FrameReadout), c.frameRate);
    for (s32 own : {ids::SkyBoxUpEdit, ids::ImagePathEdit})
        EXPECT_EQ(has(own), own == c.ownObjectRow) << std::hex << own;
    EXPECT_TRUE(has(ids::NameEdit)) << "every node has its name row";
    EXPECT_TRUE(has(ids::ApplyName));
    if (!c.position && !c.ownObjectRow && c.completeTabCount)
        EXPECT_EQ(objectTab->getChildren().size(), 3u) << "types without rows get the name row alone";

    // The tab before the animators tab shows every attribute the node's own writer gives.
    gui::IGUITab* last = tabs->getTab(tabs->getTabCount() - 3);
    EXPECT_EQ(std::wstring(last->getText()), translated(L"window_toolbox_tab_attributes"));
    gui::IGUIElement* panel = last->getElementFromId(ids::AttributesPanel, true);
    ASSERT_NE(panel, nullptr);
    EngineRef<io::IAttributes> written = nodeAttributes(node);
    ASSERT_GT(written->getAttributeCount(), 8u);
    for (u32 i = 0; i < written->getAttributeCount(); ++i)
        EXPECT_GE(attributeRowId(panel, written->getAttributeName(static_cast<s32>(i))), ids::AttributesFirstRow)
            << written->getAttributeName(static_cast<s32>(i));
}

INSTANTIATE_TEST_SUITE_P(NodeTypes, ToolBoxTabSetTest, testing::ValuesIn(tabSetCases()),
                         [](const testing::TestParamInfo<TabSetCase>& info) { return info.param.name; });

TEST_F(ToolBoxTest, NothingSelectedShowsOnlyTheSceneTabWithTheGridRows) {
    gui::IGUITabControl* tabs = tabControl();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->getTabCount(), 1);
    EXPECT_EQ(tabs->getTab(0)->getID(), ids::ToolBoxFirstTab);
    EXPECT_EQ(std::wstring(tabs->getTab(0)->getText()), translated(L"window_toolbox_tab_scene"));

    struct Row {
        const wchar_t* text;
        core::rect<s32> rect;
        s32 id;
    };
    const Row rows[] = {
        {L"Grid:", {10, 10, 60, 35}, -1},
        {L"Size:", {22, 38, 80, 56}, -1},
        {L"2000.000000", {80, 36, 173, 56}, ids::GridSizeEdit},
        {L"Spacing:", {22, 66, 80, 84}, -1},
        {L"100.000000", {80, 64, 173, 84}, ids::GridSpacingEdit},
        {nullptr, {113, 92, 173, 112}, ids::GridApply},
    };
    std::vector<gui::IGUIElement*> children;
    for (gui::IGUIElement* child : tabs->getTab(0)->getChildren())
        children.push_back(child);
    ASSERT_EQ(children.size(), std::size(rows));
    for (size_t i = 0; i < children.size(); ++i) {
        EXPECT_EQ(children[i]->getID(), rows[i].id) << i;
        EXPECT_EQ(children[i]->getRelativePosition(), rows[i].rect) << i;
        EXPECT_EQ(std::wstring(children[i]->getText()), rows[i].text ? rows[i].text : translated(L"action_update"));
    }
    EXPECT_EQ(children[2]->getType(), gui::EGUIET_EDIT_BOX);
    EXPECT_EQ(children[5]->getType(), gui::EGUIET_BUTTON);
}

TEST_F(ToolBoxTest, PickingTheSceneEntryGoesBackToTheSceneTab) {
    scene::ISceneNode* cube = addAtRoot(scene::ESNT_CUBE);
    pickInTree(cube);
    ASSERT_NE(findElement(ids::PositionEditX), nullptr);
    pickInTree(nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    ASSERT_EQ(tabControl()->getTabCount(), 1);
    EXPECT_EQ(std::wstring(tabControl()->getTab(0)->getText()), translated(L"window_toolbox_tab_scene"));
    EXPECT_EQ(findElement(ids::PositionEditX), nullptr);
    EXPECT_NE(findElement(ids::GridSizeEdit), nullptr);
}

TEST_F(ToolBoxTest, OpeningTheToolBoxShowsTheCurrentSelection) {
    scene::ISceneNode* cube = addAtRoot(scene::ESNT_CUBE);
    cube->setPosition({3.f, 0.f, 0.f});
    pickInTree(cube);
    ToolBoxClose();
    clickButton(ids::ButtonOpenToolBox);
    EXPECT_EQ(textOf(ids::PositionEditX), L"3.000000");
}

void countIds(gui::IGUIElement* element, std::map<s32, int>& counts) {
    for (gui::IGUIElement* child : element->getChildren()) {
        if (child->getID() != -1 && child->getID() != 0)
            ++counts[child->getID()];
        countIds(child, counts);
    }
}

TEST_F(ToolBoxTest, IdsStayUniqueWhenTheSameNodeIsPickedAgain) {
    scene::ISceneNode* animated = makeAnimatedMesh(*this);
    activePasses(2);
    scene::ISceneNode* cube = addAtRoot(scene::ESNT_CUBE);
    for (scene::ISceneNode* node : {cube, cube, animated, animated, cube}) {
        pickInTree(node);
        updateToolBox();
    }
    std::map<s32, int> counts;
    countIds(gui()->getRootGUIElement(), counts);
    EXPECT_EQ(counts[ids::PositionEditX], 1);
    EXPECT_EQ(counts[ids::ToolBoxTabControl], 1);
    EXPECT_EQ(counts[ids::ToolBoxFirstTab], 1);
    for (const auto& [id, count] : counts)
        EXPECT_EQ(count, 1) << "id " << std::hex << id;
}

// ---- Grid rows of the scene tab -------------------------------------------------

TEST_F(ToolBoxTest, GridUpdateButtonAppliesSizeAndSpacing) {
    findElement(ids::GridSizeEdit)->setText(L"500");
    findElement(ids::GridSpacingEdit)->setText(L"50abc");
    clickButton(ids::GridApply);
    EXPECT_EQ(editor.gridSize, 500.f);
    EXPECT_EQ(editor.gridSpacing, 50.f);
    ASSERT_NE(editor.gridNode, nullptr);
    EXPECT_EQ(editor.gridNode->getGridsSize(), core::dimension2df(500.f, 500.f));
    EXPECT_EQ(editor.gridNode->getGrid(0).getSpacing(), 50.f);
}

struct BadGridCase {
    const wchar_t* size;
    const wchar_t* spacing;
};

class ToolBoxBadGridTest : public ToolBoxTest, public testing::WithParamInterface<BadGridCase> {};

TEST_P(ToolBoxBadGridTest, UnusableMeasureKeepsTheValueInForceAndShowsIt) {
    findElement(ids::GridSizeEdit)->setText(GetParam().size);
    findElement(ids::GridSpacingEdit)->setText(GetParam().spacing);
    clickButton(ids::GridApply);
    EXPECT_EQ(editor.gridSize, 2000.f);
    EXPECT_EQ(editor.gridSpacing, 100.f);
    EXPECT_EQ(editor.gridNode->getGridsSize(), core::dimension2df(2000.f, 2000.f));
    EXPECT_EQ(editor.gridNode->getGrid(0).getSpacing(), 100.f);
    EXPECT_EQ(textOf(ids::GridSizeEdit), L"2000.000000");
    EXPECT_EQ(textOf(ids::GridSpacingEdit), L"100.000000");
}

INSTANTIATE_TEST_SUITE_P(Texts, ToolBoxBadGridTest,
                         testing::Values(BadGridCase{L"", L"abc"}, BadGridCase{L"-5", L"0"},
                                         BadGridCase{L"1e999", L"nan"}, BadGridCase{L"inf", L"-inf"},
                                         BadGridCase{L"0.0", L"-0.001"}));

TEST_F(ToolBoxTest, GridButtonChangesOnlyTheUsableMeasure) {
    findElement(ids::GridSizeEdit)->setText(L"800");
    findElement(ids::GridSpacingEdit)->setText(L"nan");
    clickButton(ids::GridApply);
    EXPECT_EQ(editor.gridSize, 800.f);
    EXPECT_EQ(editor.gridSpacing, 100.f);
    EXPECT_EQ(editor.gridNode->getGridsSize(), core::dimension2df(800.f, 800.f));
}

// ---- Enter, Tab and typed values applied before a pick ---------------------------

// A row typed into as a user does: the row's tab page shown, the row
// focused, everything in it selected with Ctrl+A and replaced by the keys.
class ToolBoxTypingTest : public ToolBoxTest {
protected:
    bool key(EKEY_CODE code, bool control, wchar_t ch, bool shift = false) {
        SEvent event = test::keyEvent(code, true);
        event.KeyInput.Control = control;
        event.KeyInput.Shift = shift;
        event.KeyInput.Char = ch;
        const bool taken = editor.device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        editor.device->postEventFromUser(event);
        return taken;
    }

    static EKEY_CODE codeOf(wchar_t ch) {
        if (ch >= L'a' && ch <= L'z')
            return static_cast<EKEY_CODE>(KEY_KEY_A + (ch - L'a'));
        if (ch >= L'A' && ch <= L'Z')
            return static_cast<EKEY_CODE>(KEY_KEY_A + (ch - L'A'));
        if (ch >= L'0' && ch <= L'9')
            return static_cast<EKEY_CODE>(KEY_KEY_0 + (ch - L'0'));
        return KEY_PERIOD;
    }

    static void showPageOf(gui::IGUIElement* element) {
        for (gui::IGUIElement* e = element; e; e = e->getParent())
            if (e->getType() == gui::EGUIET_TAB && e->getParent())
                static_cast<gui::IGUITabControl*>(e->getParent())->setActiveTab(static_cast<gui::IGUITab*>(e));
    }

    void focusRow(s32 id) {
        gui::IGUIElement* row = findElement(id);
        ASSERT_NE(row, nullptr) << std::hex << id;
        showPageOf(row);
        gui()->setFocus(row);
    }

    void typeInto(s32 id, const std::wstring& text) {
        focusRow(id);
        key(KEY_KEY_A, true, 0);
        for (wchar_t ch : text)
            key(codeOf(ch), false, ch);
        ASSERT_EQ(textOf(id), text);
    }

    void pressEnter() { key(KEY_RETURN, false, L'\r'); }

    s32 focusedId() {
        gui::IGUIElement* focus = gui()->getFocus();
        return focus ? focus->getID() : -1;
    }

    std::string scene() {
        return test::canonicalSceneText(smgr(), appFolder.file("snapshot.irr"), editor.gridSize, editor.gridSpacing);
    }

    scene::ISceneNode* pickNew(scene::ESCENE_NODE_TYPE type, s32 variant = 0) {
        scene::ISceneNode* node = addAtRoot(type, variant);
        if (node)
            pickInTree(node);
        return node;
    }
};

struct EnterCase {
    const char* name;
    scene::ESCENE_NODE_TYPE type; // ESNT_UNKNOWN: nothing selected, the scene tab
    s32 variant;
    s32 row;
    const wchar_t* text; // null: the path of a test image
    s32 button;
};

class ToolBoxEnterTest : public ToolBoxTypingTest, public testing::WithParamInterface<EnterCase> {};

TEST_P(ToolBoxEnterTest, EnterInARowAppliesItsGroupAsItsButtonDoesInOneStep) {
    const EnterCase& c = GetParam();
    if (c.type != scene::ESNT_UNKNOWN)
        ASSERT_NE(pickNew(c.type, c.variant), nullptr);
    const std::string image = appFolder.file("face.png");
    ASSERT_TRUE(test::writeTestImage(image));
    const std::wstring text = c.text ? std::wstring(c.text) : std::wstring(widePath(image).c_str());

    const std::string before = scene();
    const size_t steps = undoHistory.size();
    typeInto(c.row, text);
    EXPECT_EQ(scene(), before) << "typing applies nothing";
    pressEnter();
    const std::string entered = scene();
    EXPECT_NE(entered, before) << "Enter applied nothing";
    EXPECT_EQ(undoHistory.size(), steps + 1) << "Enter is one undo step";
    EXPECT_EQ(focusedId(), c.row) << "the row keeps the focus";

    undoLastChange();
    activePasses(2);
    EXPECT_EQ(scene(), before) << "one undo takes the Enter back";
    typeInto(c.row, text);
    clickButton(c.button);
    EXPECT_EQ(scene(), entered) << "the button applies what Enter applied";
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ToolBoxEnterTest,
    testing::Values(
        EnterCase{"position", scene::ESNT_CUBE, 0, ids::PositionEditY, L"12.5", ids::ApplyPosition},
        EnterCase{"rotation", scene::ESNT_CUBE, 0, ids::RotationEditZ, L"30", ids::ApplyRotation},
        EnterCase{"scale", scene::ESNT_CUBE, 0, ids::ScaleEditX, L"2", ids::ApplyScale},
        EnterCase{"name", scene::ESNT_CUBE, 0, ids::NameEdit, L"Crate", ids::ApplyName},
        EnterCase{"grid", scene::ESNT_UNKNOWN, 0, ids::GridSpacingEdit, L"50", ids::GridApply},
        EnterCase{"material_texture", scene::ESNT_CUBE, 0, ids::MaterialTexturePath, nullptr,
                  ids::MaterialTextureSet},
        EnterCase{"light", scene::ESNT_LIGHT, 0, ids::LightFirstRow + 1, L"255,10,20,30", ids::LightApply},
        EnterCase{"emitter", scene::ESNT_PARTICLE_SYSTEM, 0, ids::EmitterFirstRow + 15, L"77", ids::EmitterUpdate},
        EnterCase{"text", scene::ESNT_TEXT, 0, ids::TextEdit, L"Hello", ids::TextApply},
        EnterCase{"text_colour", scene::ESNT_TEXT, 0, ids::TextColourEdit, L"255,1,2,3", ids::TextApply},
        EnterCase{"sky_dome_image", scene::ESNT_SKY_DOME, 0, ids::ImagePathEdit, nullptr, ids::ImagePathApply},
        EnterCase{"sky_box_face", scene::ESNT_SKY_BOX, 0, ids::SkyBoxUpEdit, nullptr, ids::SkyBoxApply},
        EnterCase{"volume_light_colour", scene::ESNT_VOLUME_LIGHT, 0, ids::VolumeLightTailEdit, L"255,1,2,3",
                  ids::VolumeLightColourApply},
        EnterCase{"volume_light_detail", scene::ESNT_VOLUME_LIGHT, 0, ids::VolumeLightSubDivUEdit, L"7",
                  ids::VolumeLightApply}),
    [](const testing::TestParamInfo<EnterCase>& info) { return std::string(info.param.name); });

struct TabCase {
    const char* name;
    scene::ESCENE_NODE_TYPE type; // ESNT_UNKNOWN: the scene tab
    std::vector<s32> rows;       // top to bottom
};

class ToolBoxTabKeyTest : public ToolBoxTypingTest, public testing::WithParamInterface<TabCase> {};

TEST_P(ToolBoxTabKeyTest, TabGoesDownTheRowsOfThePageAndShiftTabBackUp) {
    const TabCase& c = GetParam();
    if (c.type != scene::ESNT_UNKNOWN)
        ASSERT_NE(pickNew(c.type), nullptr);
    focusRow(c.rows.front());
    for (size_t i = 1; i <= c.rows.size(); ++i) {
        EXPECT_TRUE(key(KEY_TAB, false, L'\t')) << "Tab is taken";
        EXPECT_EQ(focusedId(), c.rows[i % c.rows.size()]) << std::hex << "after row " << c.rows[i - 1];
    }
    key(KEY_TAB, false, L'\t', true);
    EXPECT_EQ(focusedId(), c.rows.back()) << "Shift+Tab from the first row goes to the last";
    EXPECT_EQ(editor.editMode, ids::ModeNone);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ToolBoxTabKeyTest,
    testing::Values(TabCase{"cube_object_tab", scene::ESNT_CUBE,
                            {ids::PositionEditX, ids::PositionEditY, ids::PositionEditZ, ids::RotationEditX,
                             ids::RotationEditY, ids::RotationEditZ, ids::ScaleEditX, ids::ScaleEditY,
                             ids::ScaleEditZ, ids::NameEdit}},
                    TabCase{"volume_light_tab", scene::ESNT_VOLUME_LIGHT,
                            {ids::VolumeLightTailEdit, ids::VolumeLightFootEdit, ids::VolumeLightSubDivUEdit,
                             ids::VolumeLightSubDivVEdit}},
                    TabCase{"scene_tab", scene::ESNT_UNKNOWN, {ids::GridSizeEdit, ids::GridSpacingEdit}}),
    [](const testing::TestParamInfo<TabCase>& info) { return std::string(info.param.name); });

// The ways the selection changes away from a node with a typed value, and
// Ctrl+S typed in the row (the value is saved with the scene).
enum class PickAway { TreeItem, TreeRowClick, ControlClickAdds, SceneRow, Escape, SaveChord };

class ToolBoxTypedPickTest : public ToolBoxTypingTest, public testing::WithParamInterface<PickAway> {
protected:
    void pickAway(scene::ISceneNode* other) {
        switch (GetParam()) {
        case PickAway::TreeItem: return pickInTree(other);
        case PickAway::TreeRowClick: return clickTreeRow(other, false);
        case PickAway::ControlClickAdds: return clickTreeRow(other, true);
        case PickAway::SceneRow: return clickTreeRow(nullptr, false);
        case PickAway::Escape:
            gui()->removeFocus(gui()->getFocus());
            releaseKey(KEY_ESCAPE);
            return;
        case PickAway::SaveChord:
            EXPECT_TRUE(key(KEY_KEY_S, true, L's'));
            saveWindow.cancel();
            return;
        }
    }
};

TEST_P(ToolBoxTypedPickTest, TypedValueIsAppliedToItsNodeBeforeThePickAsOneStep) {
    scene::ISceneNode* other = addAtRoot(scene::ESNT_SPHERE);
    scene::ISceneNode* typedFor = pickNew(scene::ESNT_CUBE);
    ASSERT_NE(typedFor, nullptr);
    ASSERT_NE(other, nullptr);
    typedFor->setPosition({1.f, 2.f, 3.f});
    other->setPosition({7.f, 8.f, 9.f});
    updateToolBox();
    const size_t steps = undoHistory.size();
    typeInto(ids::PositionEditX, L"25");
    pickAway(other);
    EXPECT_EQ(typedFor->getPosition(), core::vector3df(25.f, 2.f, 3.f));
    EXPECT_EQ(other->getPosition(), core::vector3df(7.f, 8.f, 9.f)) << "applied to the node it was typed for";
    EXPECT_EQ(undoHistory.size(), steps + 1);
    undoLastChange();
    EXPECT_EQ(typedFor->getPosition(), core::vector3df(1.f, 2.f, 3.f));
}

INSTANTIATE_TEST_SUITE_P(Picks, ToolBoxTypedPickTest,
                         testing::Values(PickAway::TreeItem, PickAway::TreeRowClick, PickAway::ControlClickAdds,
                                         PickAway::SceneRow, PickAway::Escape, PickAway::SaveChord));

TEST_F(ToolBoxTypingTest, RowsNotTypedAreNotAppliedOnAPick) {
    scene::ISceneNode* other = addAtRoot(scene::ESNT_SPHERE);
    scene::ISceneNode* cube = pickNew(scene::ESNT_CUBE);
    ASSERT_NE(cube, nullptr);
    // Values the rows can only show rounded to six decimals.
    const core::vector3df position(0.1234567f, 0.7654321f, 3.f), rotation(0.1234567f, 0.2345678f, 0.3456789f);
    cube->setPosition(position);
    cube->setRotation(rotation);
    updateToolBox();
    const size_t steps = undoHistory.size();
    typeInto(ids::PositionEditX, L"0.123457"); // what the row showed: not typed
    typeInto(ids::RotationEditX, L"0.123457");
    pickInTree(other);
    EXPECT_EQ(cube->getPosition(), position);
    EXPECT_EQ(cube->getRotation(), rotation);
    EXPECT_EQ(undoHistory.size(), steps) << "nothing typed, nothing recorded";

    pickInTree(cube);
    typeInto(ids::PositionEditZ, L"4");
    pickInTree(other);
    EXPECT_EQ(cube->getPosition(), core::vector3df(position.X, position.Y, 4.f))
        << "the typed row alone, its neighbours exact";
    EXPECT_EQ(cube->getRotation(), rotation) << "a group with nothing typed is not applied";
}

TEST_F(ToolBoxTypingTest, AppliedOrRewrittenRowsAreNoLongerTyped) {
    scene::ISceneNode* other = addAtRoot(scene::ESNT_SPHERE);
    scene::ISceneNode* cube = pickNew(scene::ESNT_CUBE);
    ASSERT_NE(cube, nullptr);
    typeInto(ids::PositionEditX, L"25");
    pressEnter();
    EXPECT_EQ(cube->getPosition().X, 25.f);
    cube->setPosition({5.f, 0.f, 0.f}); // moved since: a pick must not put 25 back
    typeInto(ids::PositionEditY, L"8");
    clickButton(0x50047); // the position X step writes the group's rows again
    typeInto(ids::ScaleEditY, L"3");
    const size_t steps = undoHistory.size();
    pickInTree(other);
    EXPECT_EQ(cube->getPosition(), core::vector3df(6.f, 0.f, 0.f));
    EXPECT_EQ(cube->getScale(), core::vector3df(1.f, 3.f, 1.f));
    EXPECT_EQ(undoHistory.size(), steps + 1);
}

TEST_F(ToolBoxTypingTest, ARefreshOfTheSameNodeKeepsWhatWasTyped) {
    scene::ISceneNode* other = addAtRoot(scene::ESNT_SPHERE);
    scene::ISceneNode* cube = pickNew(scene::ESNT_CUBE);
    ASSERT_NE(cube, nullptr);
    typeInto(ids::PositionEditX, L"25");
    editor.sceneViewRefresh.schedule(); // as after a node was added
    activePasses(2);
    EXPECT_EQ(textOf(ids::PositionEditX), L"25");
    pickInTree(other);
    EXPECT_EQ(cube->getPosition().X, 25.f);
    pickInTree(cube);
    EXPECT_EQ(textOf(ids::PositionEditX), L"25.000000");
}

// ---- Attribute panel --------------------------------------------------------------

// A panel in a window of its own over one attribute set; the edits it hands
// over are recorded as the edited attribute's text.
class AttributePanelTest : public ToolBoxTypingTest {
public:
    using ToolBoxTypingTest::typeInto;
    void build(const std::function<void(io::IAttributes*)>& fill, s32 height = 300,
               s32 lastId = ids::AttributesLastRow) {
        attributes = editor.device->getFileSystem()->createEmptyAttributes(editor.device->getVideoDriver());
        fill(attributes);
        gui::IGUIElement* window = gui()->addWindow(core::rect<s32>(0, 0, 220, height + 40));
        panel = addAttributePanel(window, core::rect<s32>(5, 25, 205, 25 + height), attributes,
                                  ids::AttributesFirstRow, lastId, [this](io::IAttributes* edited, u32 index) {
                                      edits.push_back(attributeText(edited, static_cast<s32>(index)).c_str());
                                  });
        attributes->drop();
        ASSERT_NE(panel, nullptr);
    }
    // Reports from a row's element as the engine's elements make them.
    void report(s32 id, gui::EGUI_EVENT_TYPE type) { report(findElement(id), type); }
    void report(gui::IGUIElement* element, gui::EGUI_EVENT_TYPE type) {
        ASSERT_NE(element, nullptr);
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = element;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = type;
        element->getParent()->OnEvent(event);
    }
    void enterText(s32 box, const std::wstring& text) {
        typeInto(ids::AttributesFirstRow + box, text);
        pressEnter();
    }
    // Clicks the swatch, sets A, R, G, B in the colour dialog it opens and
    // clicks OK there.
    void chooseColour(s32 swatchId, const std::array<f32, 4>& argb) {
        const core::position2di at = findElement(swatchId)->getAbsolutePosition().getCenter();
        mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, at.X, at.Y);
        mouseEvent(EMIE_LMOUSE_LEFT_UP, at.X, at.Y);
        gui::IGUIElement* dialog = findElement(ids::ColourDialog);
        ASSERT_NE(dialog, nullptr) << "the swatch opened no colour dialog";
        const u32 channels[4] = {static_cast<u32>(argb[0]), static_cast<u32>(argb[1]), static_cast<u32>(argb[2]),
                                 static_cast<u32>(argb[3])};
        ASSERT_TRUE(sorn::test::answerColourDialog(dialog, channels));
        EXPECT_EQ(findElement(ids::ColourDialog), nullptr) << "OK closes the dialog";
    }

    io::IAttributes* attributes = nullptr;
    gui::IGUIElement* panel = nullptr;
    std::vector<std::wstring> edits;
};

struct PanelEditCase {
    const char* name;
    std::function<void(io::IAttributes*)> fill; // one attribute
    std::function<void(AttributePanelTest&)> act;
    const wchar_t* edited; // the edited value's text; null: no edit handed over
};

class AttributePanelEditTest : public AttributePanelTest, public testing::WithParamInterface<PanelEditCase> {};

TEST_P(AttributePanelEditTest, AnEditHandsOverTheValueReadAndBadTextNothing) {
    const PanelEditCase& c = GetParam();
    build(c.fill);
    const std::wstring shownBefore = textOf(ids::AttributesFirstRow);
    c.act(*this);
    if (!c.edited) {
        EXPECT_TRUE(edits.empty()) << "bad or unchanged text was handed over";
        EXPECT_EQ(textOf(ids::AttributesFirstRow), shownBefore) << "the value in force is shown again";
        return;
    }
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0], c.edited);
}

std::function<void(AttributePanelTest&)> typing(s32 box, const wchar_t* text) {
    return [box, text](AttributePanelTest& t) { t.enterText(box, text); };
}

const char* const kLiterals[] = {"one", "two", "three", nullptr};

INSTANTIATE_TEST_SUITE_P(
    Types, AttributePanelEditTest,
    testing::Values(
        PanelEditCase{"bool", [](io::IAttributes* a) { a->addBool("On", true); },
                      [](AttributePanelTest& t) {
                          static_cast<gui::IGUICheckBox*>(findElement(ids::AttributesFirstRow))->setChecked(false);
                          t.report(ids::AttributesFirstRow, gui::EGET_CHECKBOX_CHANGED);
                      },
                      L"false"},
        PanelEditCase{"int", [](io::IAttributes* a) { a->addInt("Id", 5); }, typing(0, L"-42"), L"-42"},
        PanelEditCase{"int_no_number", [](io::IAttributes* a) { a->addInt("Id", 5); }, typing(0, L"abc"), nullptr},
        PanelEditCase{"float", [](io::IAttributes* a) { a->addFloat("Radius", 1.5f); }, typing(0, L"2.25"),
                      L"2.250000"},
        PanelEditCase{"float_infinite", [](io::IAttributes* a) { a->addFloat("Radius", 1.5f); },
                      typing(0, L"1e999"), nullptr},
        PanelEditCase{"float_untouched", [](io::IAttributes* a) { a->addFloat("Radius", 1.5f); },
                      typing(0, L"1.500000"), nullptr},
        PanelEditCase{"string_latin1", [](io::IAttributes* a) { a->addString("Name", "box"); },
                      typing(0, L"Caf\u00e9 \u0100"), L"Caf\u00e9 ?"},
        PanelEditCase{"enum", [](io::IAttributes* a) { a->addEnum("Kind", "one", kLiterals); },
                      [](AttributePanelTest& t) {
                          static_cast<gui::IGUIComboBox*>(findElement(ids::AttributesFirstRow))->setSelected(2);
                          t.report(ids::AttributesFirstRow, gui::EGET_COMBO_BOX_CHANGED);
                      },
                      L"three"},
        PanelEditCase{"vector_bad_box_keeps_its_part",
                      [](io::IAttributes* a) { a->addVector3d("Position", core::vector3df(1, 2, 3)); },
                      [](AttributePanelTest& t) {
                          t.typeInto(ids::AttributesFirstRow + 1, L"y");
                          t.enterText(2, L"7.5");
                      },
                      L"1.000000, 2.000000, 7.500000"},
        PanelEditCase{"vector_no_number",
                      [](io::IAttributes* a) { a->addVector3d("Position", core::vector3df(1, 2, 3)); },
                      typing(0, L"x"), nullptr},
        PanelEditCase{"colour_argb", [](io::IAttributes* a) { a->addColor("Colour", video::SColor(0xff000000)); },
                      typing(0, L"255,1,2,3"), L"ff010203"},
        PanelEditCase{"colour_engine_hex",
                      [](io::IAttributes* a) { a->addColor("Colour", video::SColor(0xff000000)); },
                      typing(0, L"80a0b0c0"), L"80a0b0c0"},
        PanelEditCase{"colour_no_colour",
                      [](io::IAttributes* a) { a->addColor("Colour", video::SColor(0xff000000)); },
                      typing(0, L"12"), nullptr},
        PanelEditCase{"colour_swatch",
                      [](io::IAttributes* a) { a->addColor("Colour", video::SColor(0xff000000)); },
                      [](AttributePanelTest& t) { t.chooseColour(ids::AttributesFirstRow + 1, {255, 10, 20, 30}); },
                      L"ff0a141e"},
        PanelEditCase{"colourf", [](io::IAttributes* a) { a->addColorf("Diffuse", video::SColorf(0, 0, 0, 1)); },
                      typing(0, L"255,255,0,0"), L"1.000000, 0.000000, 0.000000, 1.000000"},
        PanelEditCase{"rect_engine_text", [](io::IAttributes* a) { a->addRect("Area", core::rect<s32>()); },
                      typing(0, L"5, 6, 7, 8"), L"5, 6, 7, 8"},
        PanelEditCase{"dimension_keeps_a_negative_width",
                      [](io::IAttributes* a) { a->addDimension2d("Size", core::dimension2du(3, 4)); },
                      [](AttributePanelTest& t) {
                          t.typeInto(ids::AttributesFirstRow, L"-1");
                          t.enterText(1, L"9");
                      },
                      L"3, 9"},
        PanelEditCase{"user_pointer_read_only",
                      [](io::IAttributes* a) { a->addUserPointer("Data", nullptr); },
                      [](AttributePanelTest& t) {
                          EXPECT_FALSE(findElement(ids::AttributesFirstRow)->isEnabled());
                          findElement(ids::AttributesFirstRow)->setText(L"0x1234");
                          t.report(ids::AttributesFirstRow, gui::EGET_EDITBOX_ENTER);
                      },
                      nullptr}),
    [](const testing::TestParamInfo<PanelEditCase>& info) { return std::string(info.param.name); });

TEST_F(AttributePanelTest, RowsBeyondTheAreaScrollIntoViewAndIdsThatRunOutEndTheRows) {
    build([](io::IAttributes* a) {
        for (int i = 0; i < 100; ++i)
            a->addInt(("Value" + std::to_string(i)).c_str(), i);
    }, 200);
    gui::IGUIElement* first = findElement(ids::AttributesFirstRow);
    gui::IGUIElement* last = findElement(ids::AttributesFirstRow + 99);
    ASSERT_NE(last, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(last->isVisible());
    gui::IGUIScrollBar* bar = nullptr;
    for (gui::IGUIElement* child : panel->getChildren())
        if (child->getType() == gui::EGUIET_SCROLL_BAR)
            bar = static_cast<gui::IGUIScrollBar*>(child);
    ASSERT_NE(bar, nullptr);
    bar->setPos(bar->getMax());
    report(bar, gui::EGET_SCROLL_BAR_CHANGED);
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(last->isVisible());
    EXPECT_LE(last->getAbsolutePosition().LowerRightCorner.Y, panel->getAbsolutePosition().LowerRightCorner.Y);

    // Ten ids: ten one-box rows, the rest not shown.
    build([](io::IAttributes* a) {
        for (int i = 0; i < 20; ++i)
            a->addInt(("Value" + std::to_string(i)).c_str(), i);
    }, 200, ids::AttributesFirstRow + 9);
    size_t boxes = 0;
    for (gui::IGUIElement* child : panel->getChildren())
        boxes += child->getType() == gui::EGUIET_EDIT_BOX;
    EXPECT_EQ(boxes, 10u);
}

// ---- Animators tab -------------------------------------------------------------

// Each kind chosen in the combo and added to a node three deep: listed by
// the engine's name and selected; Remove takes the selected one; undo follows.
TEST_F(ToolBoxTest, AnimatorsTabAddsEveryKindRemovesTheSelectedAndFollowsUndo) {
    scene::ISceneNode* node = smgr()->addCubeSceneNode(
        10.f, smgr()->addEmptySceneNode(smgr()->addEmptySceneNode()), -1, core::vector3df(4, 5, 6));
    editor.selectedNode = node;
    editor.nodeSelected = true;
    updateToolBox();
    const auto report = [](s32 id, gui::EGUI_EVENT_TYPE type) { // as an element tells its parent
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent = {findElement(id), nullptr, type};
        findElement(id)->getParent()->OnEvent(event);
    };
    const auto listed = [] {
        std::vector<std::wstring> names;
        auto* list = static_cast<gui::IGUIListBox*>(findElement(ids::AnimatorsList));
        for (u32 i = 0; list && i < list->getItemCount(); ++i)
            names.push_back(list->getListItem(i));
        return std::make_pair(names, list ? list->getSelected() : -2);
    };
    const std::vector<std::wstring> kinds = {L"rotation", L"flyCircle", L"flyStraight",
                                             L"followSpline", L"texture", L"deletion"};
    // The user works on the animators tab: every rebuild for the node shows it again.
    auto* tabs = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
    const s32 animatorsTab = tabs->getTabCount() - 2;
    tabs->setActiveTab(animatorsTab);
    const auto shownTab = [] {
        auto* now = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
        return std::wstring(now->getTab(now->getActiveTab())->getText());
    };
    for (s32 kind = 0; kind < 6; ++kind) {
        static_cast<gui::IGUIComboBox*>(findElement(ids::AnimatorsKinds))->setSelected(kind);
        report(ids::AnimatorsAdd, gui::EGET_BUTTON_CLICKED);
        EXPECT_EQ(listed().first.back(), kinds[kind]);
        EXPECT_EQ(listed().second, kind);
    }
    EXPECT_EQ(listed().first, kinds);
    static_cast<gui::IGUIListBox*>(findElement(ids::AnimatorsList))->setSelected(1);
    report(ids::AnimatorsList, gui::EGET_LISTBOX_CHANGED);
    // The fly circle's radius edited in the panel: one step, still selected.
    s32 radius = ids::AnimatorsFirstRow;
    while (radius < ids::AnimatorsFirstRow + 64 && textOf(radius) != L"10.000000")
        ++radius;
    findElement(radius)->setText(L"42");
    report(radius, gui::EGET_EDITBOX_ENTER);
    EXPECT_EQ(textOf(radius), L"42.000000");
    EXPECT_EQ(listed().second, 1);
    report(ids::AnimatorsRemove, gui::EGET_BUTTON_CLICKED);
    EXPECT_EQ(listed().first[1], L"flyStraight");
    EXPECT_EQ(listed().second, 1) << "the one after it";
    EXPECT_EQ(heldAnimatorCount(node), 5u);
    for (const wchar_t* radiusShown : {L"42.000000", L"10.000000"}) { // the remove, then the edit undone
        undoLastChange();
        activePasses(3);
        EXPECT_EQ(listed().first, kinds);
        EXPECT_EQ(textOf(radius), radiusShown);
        EXPECT_EQ(shownTab(), translated(L"window_toolbox_tab_animators"));
    }
    // Another node starts on its object tab.
    editor.selectedNode = node->getParent();
    updateToolBox();
    EXPECT_EQ(shownTab(), translated(L"window_toolbox_tab_object"));
}

} // namespace
} // namespace sorn
