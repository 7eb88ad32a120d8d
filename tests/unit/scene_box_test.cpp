#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <iterator>
#include <map>
#include <vector>

#include "app/ConfigFile.h"
#include "app/NodeIndex.h"
#include "app/StatusLine.h"
#include "app/WindowPlaces.h"
#include "app/Translate.h"
#include "scene/NodeCatalogue.h"
#include "scene/NodeLifetime.h"
#include "scene/Reparent.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"
#include "scene/TreeView.h"
#include "scene/UndoHistory.h"
#include "events/ClipboardCommands.h"
#include "events/UndoCommands.h"
#include "events/SceneFileCommands.h"
#include "support/EditorFixture.h"
#include "toolbox/ToolBox.h"

using namespace irr;
using sorn::editor;
using sorn::findElement;
namespace ids = sorn::ids;

namespace {

class SceneBoxTest : public sorn::test::EditorTest {
protected:
    gui::IGUITreeView* tree() { return static_cast<gui::IGUITreeView*>(findElement(ids::SceneBoxTree)); }

    // The tree as text: one line per item, indented by depth.
    std::string outline() {
        std::string text;
        std::function<void(gui::IGUITreeViewNode*, int)> walk = [&](gui::IGUITreeViewNode* item, int depth) {
            for (gui::IGUITreeViewNode* child = item->getFirstChild(); child; child = child->getNextSibling()) {
                text += std::string(depth * 2, ' ') + core::stringc(child->getText()).c_str() +
                        (child->getSelected() ? " *" : "") + "\n";
                walk(child, depth + 1);
            }
        };
        walk(tree()->getRoot(), 0);
        return text;
    }
    void refresh() { activePasses(2); }
};

TEST_F(SceneBoxTest, EmptySceneShowsOnlyTheLabel) {
    clickButton(ids::ButtonOpenSceneBox);
    ASSERT_NE(tree(), nullptr);
    EXPECT_EQ(outline(), "Scene\n");
    EXPECT_TRUE(isMenuItemChecked(ids::CmdSceneBox));
    EXPECT_EQ(tree()->getRoot()->getData(), smgr()->getRootSceneNode());
}

TEST_F(SceneBoxTest, WindowLayoutAndButtons) {
    sorn::createSceneBox();
    gui::IGUIElement* window = findElement(ids::SceneBoxWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getRelativePosition(), core::rect<s32>(0, 50, 215, 450));
    const std::pair<s32, core::rect<s32>> children[] = {
        {ids::SceneBoxTabControl, {2, 25, 210, 395}}, {ids::SceneBoxTree, {4, 34, 200, 380}},
        {ids::SceneBoxAdd, {4, 40, 24, 60}},          {ids::SceneBoxDuplicate, {30, 40, 50, 60}},
        {ids::SceneBoxRemove, {56, 40, 76, 60}},
    };
    for (const auto& child : children) {
        gui::IGUIElement* element = window->getElementFromId(child.first, true);
        ASSERT_NE(element, nullptr) << std::hex << child.first;
        EXPECT_EQ(element->getRelativePosition(), child.second) << std::hex << child.first;
    }
    sorn::createSceneBox();
    int windows = 0;
    for (gui::IGUIElement* element : gui()->getRootGUIElement()->getChildren())
        windows += element->getID() == ids::SceneBoxWindow;
    EXPECT_EQ(windows, 1);
}

TEST_F(SceneBoxTest, TreeFollowsTheSceneAfterTheDeferredRefresh) {
    sorn::createSceneBox();
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    refresh();
    pickInTree(sphere);
    sorn::addNode(scene::ESNT_CUBE, 0);
    sorn::addNode(scene::ESNT_CUBE, 0);
    activePasses(1);
    EXPECT_EQ(outline(), "Scene\nSphere *\n") << "not before the second pass";
    activePasses(1);
    EXPECT_EQ(outline(), "Scene\nSphere *\n  Cube\n  Cube\n");
    // Nodes named alike stay apart: each item carries its own node.
    scene::ISceneNode* first = *sphere->getChildren().begin();
    EXPECT_NE(treeItemFor(first), nullptr);
    EXPECT_NE(treeItemFor(first), treeItemFor(*sphere->getChildren().getLast()));
}

TEST_F(SceneBoxTest, SceneCamerasAreShownWithTheirSubtreesAndDebugObjectsLeftOut) {
    sorn::createSceneBox();
    scene::ICameraSceneNode* camera =
        smgr()->addCameraSceneNode(nullptr, core::vector3df(), core::vector3df(), -1, false);
    camera->setName("game camera");
    smgr()->addCubeSceneNode(1, camera)->setName("under camera");
    scene::ISceneNode* hidden = smgr()->addEmptySceneNode();
    hidden->setIsDebugObject(true);
    smgr()->addCubeSceneNode(1, hidden)->setName("under debug");
    smgr()->addEmptySceneNode()->setName("shown");
    sorn::updateTreeview();
    // The editor's own cameras are debug objects: only the scene's camera is listed.
    EXPECT_EQ(outline(), "Scene\ngame camera\n  under camera\nshown\n");
    pickInTree(camera);
    EXPECT_EQ(editor.selectedNode, camera);
    EXPECT_TRUE(editor.nodeSelected);
    // A copy of the scene's camera is one more scene camera: the view stays the editor's.
    scene::ICameraSceneNode* view = smgr()->getActiveCamera();
    clickButton(ids::SceneBoxDuplicate);
    EXPECT_EQ(outline(), "Scene\ngame camera\n  under camera\nshown\ngame camera *\n  under camera\n");
    EXPECT_EQ(smgr()->getActiveCamera(), view);
    EXPECT_NE(editor.selectedNode, camera);
    EXPECT_EQ(editor.selectedNode->getType(), scene::ESNT_CAMERA);
}

TEST_F(SceneBoxTest, PickingSelectsPrintsAndPickingTheLabelClears) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    refresh();
    testing::internal::CaptureStdout();
    pickInTree(cube);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(editor.selectedNode, cube);
    EXPECT_TRUE(editor.nodeSelected);
    EXPECT_NE(out.find("Selection => Cube\n"), std::string::npos) << out;
    EXPECT_EQ(core::stringw(editor.statusText->getText()), core::stringw(L"Selection: Cube"));

    cube->setDebugDataVisible(scene::EDS_BBOX);
    pickInTree(nullptr);
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_BBOX)) << "the scene's value, not the pick's";
    EXPECT_EQ(core::stringw(editor.statusText->getText()), core::stringw(L"Selection: Scene"));
}

// The debug drawing is the node's own (a save writes it): picks leave it as
// it is, and the Debug menu's checks show the picked node's.
TEST_F(SceneBoxTest, PickLeavesDebugDrawingAndTheMenuShowsTheNodes) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    sphere->setDebugDataVisible(scene::EDS_SKELETON);
    refresh();
    pickInTree(sphere);
    EXPECT_EQ(sphere->isDebugDataVisible(), static_cast<u32>(scene::EDS_SKELETON));
    EXPECT_TRUE(isMenuItemChecked(ids::CmdDebugSkeleton));
    chooseMenuCommand(ids::CmdDebugBoundingBox); // the user's own choice for the sphere
    pickInTree(cube);
    EXPECT_EQ(cube->isDebugDataVisible(), static_cast<u32>(scene::EDS_OFF));
    EXPECT_FALSE(isMenuItemChecked(ids::CmdDebugBoundingBox));
    EXPECT_FALSE(isMenuItemChecked(ids::CmdDebugSkeleton));
    EXPECT_EQ(sphere->isDebugDataVisible(), static_cast<u32>(scene::EDS_SKELETON | scene::EDS_BBOX));
}

TEST_F(SceneBoxTest, DuplicateAddsACopyBesideTheOriginal) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    cube->setPosition(core::vector3df(3, 4, 5));
    refresh();
    pickInTree(cube);
    clickButton(ids::SceneBoxDuplicate);
    EXPECT_EQ(outline(), "Scene\nCube\nCube *\n") << "the copy is the selection";
    scene::ISceneNode* copy = *smgr()->getRootSceneNode()->getChildren().getLast();
    EXPECT_NE(copy, cube);
    EXPECT_EQ(copy->getPosition(), cube->getPosition());
    EXPECT_EQ(editor.selectedNode, copy);
    EXPECT_EQ(editor.nodeNameIndex.count(copy), 1u) << "indexed at once";
}

TEST_F(SceneBoxTest, DeleteRemovesTheNodeOnTheNextDraw) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    refresh();
    pickInTree(cube);
    clickButton(ids::SceneBoxRemove);
    EXPECT_EQ(editor.selectedNode, nullptr);
    refresh();
    EXPECT_EQ(outline(), "Scene\n");
    EXPECT_EQ(smgr()->getSceneNodeFromName("Cube"), nullptr);
    clickButton(ids::SceneBoxRemove);  // nothing selected: nothing happens
    EXPECT_EQ(outline(), "Scene\n");
}

// A delete takes the rows away at once; a pick of the row kept for the
// node's return selects nothing (AddressSanitizer reports a touch of a freed node).
TEST_F(SceneBoxTest, DeleteTakesTheRowsAwayAtOnce) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    smgr()->addSphereSceneNode(5, 16, cube);
    refresh();
    pickInTree(cube);
    gui::IGUITreeViewNode* row = treeItemFor(cube);
    ASSERT_NE(row, nullptr);
    row->grab();
    clickButton(ids::SceneBoxRemove);
    EXPECT_EQ(treeItemFor(cube), nullptr);
    EXPECT_EQ(outline(), "Scene\n");
    activePasses(1);
    EXPECT_FALSE(row->getSelected()) << "a kept row belongs to no tree";
    row->drop();
    postGuiEvent(gui::EGET_TREEVIEW_NODE_SELECT, tree());
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    activePasses(2);
    EXPECT_EQ(outline(), "Scene\n");
}

TEST_F(SceneBoxTest, NewSceneThenStalePickIsSafe) {
    sorn::createSceneBox();
    scene::ISceneNode* light = sorn::addNode(scene::ESNT_LIGHT, 0);
    refresh();
    chooseMenuCommand(ids::CmdNewScene);
    activePasses(1);
    gui::IGUITreeViewNode* stale = treeItemFor(light);
    ASSERT_NE(stale, nullptr);
    stale->setSelected(true);
    postGuiEvent(gui::EGET_TREEVIEW_NODE_SELECT, tree());
    EXPECT_EQ(editor.selectedNode, nullptr);
}

TEST_F(SceneBoxTest, UpdateWithTheBoxClosedDoesNothingAndCloseRemovesIt) {
    sorn::updateTreeview();
    EXPECT_EQ(findElement(ids::SceneBoxWindow), nullptr);
    sorn::createSceneBox();
    sorn::closeSceneBox();
    EXPECT_EQ(findElement(ids::SceneBoxWindow), nullptr);
}

} // namespace

namespace {

class SceneBoxClearTest : public sorn::test::EditorTest {};

// ---- Where the window opens and stays ------------------------------------------

struct WindowPlaceCase {
    const char* name;
    const wchar_t* x; // null: no setting at all
    const wchar_t* y;
    core::position2di expected;
};

// The scene box is 215 x 400 on the 1000 x 750 window; it opens at (0, 50)
// without a usable setting.
const WindowPlaceCase kSceneBoxPlaces[] = {
    {"no setting", nullptr, nullptr, {0, 50}},
    {"the missing-setting text", L"XXX", L"XXX", {0, 50}},
    {"a place inside", L"120", L"200", {120, 200}},
    {"negative: moved inside", L"-40", L"-10", {0, 0}},
    {"past the right and bottom edges: moved inside", L"5000", L"5000", {785, 350}},
    {"huge", L"99999999999", L"60", {0, 50}},
    {"text", L"left", L"60", {0, 50}},
    {"a number with a unit", L"12px", L"60", {0, 50}},
    {"empty", L"", L"", {0, 50}},
    {"a sign or blanks", L"+5", L" 7", {0, 50}},
    {"only one coordinate usable", L"300", L"abc", {0, 50}},
    {"a lone minus", L"-", L"-", {0, 50}},
};

TEST_F(SceneBoxTest, OpensAtTheRememberedPlaceAlwaysInsideTheWindow) {
    for (const WindowPlaceCase& c : kSceneBoxPlaces) {
        SCOPED_TRACE(c.name);
        // An open box is taken away without a close, which would write its
        // place over the case's.
        if (gui::IGUIElement* open = findElement(ids::SceneBoxWindow))
            open->remove();
        editor.config.settings.erase(L"window_scenebox_x");
        editor.config.settings.erase(L"window_scenebox_y");
        if (c.x) {
            editor.config.set(L"window_scenebox_x", c.x);
            editor.config.set(L"window_scenebox_y", c.y);
        }
        sorn::createSceneBox();
        gui::IGUIElement* window = findElement(ids::SceneBoxWindow);
        ASSERT_NE(window, nullptr);
        window = findElement(ids::SceneBoxWindow);
        EXPECT_EQ(window->getRelativePosition(),
                  core::rect<s32>(c.expected, core::dimension2di(215, 400)));
    }
}

class SceneBoxPlaceTest : public SceneBoxTest {
protected:
    void dragTitle(core::position2di from, core::position2di to) {
        sorn::test::dragWithLeftButton(editor.device, {from, (from + to) / 2, to});
    }
    core::position2di place() {
        gui::IGUIElement* window = findElement(ids::SceneBoxWindow);
        return window ? window->getRelativePosition().UpperLeftCorner : core::position2di(-999, -999);
    }
    // The place the settings file on disk holds.
    std::pair<std::wstring, std::wstring> placeOnDisk() {
        sorn::ConfigFile file;
        file.fileName = editor.config.fileName;
        file.load();
        return {file.get(L"window_scenebox_x").c_str(), file.get(L"window_scenebox_y").c_str()};
    }
};

TEST_F(SceneBoxPlaceTest, ADraggedPlaceIsKeptAcrossCloseReopenAndAConfigReload) {
    clickButton(ids::ButtonOpenSceneBox);
    ASSERT_EQ(place(), core::position2di(0, 50));
    dragTitle({100, 58}, {160, 138});
    ASSERT_EQ(place(), core::position2di(60, 130)) << "the drag did not move the window";
    EXPECT_EQ(placeOnDisk(), std::make_pair(std::wstring(L"60"), std::wstring(L"130")));

    struct Step {
        const char* name;
        std::function<void()> closeAndOpen;
    };
    const Step steps[] = {
        {"View > Window menu", [&] {
             chooseMenuCommand(ids::CmdSceneBox);
             ASSERT_EQ(findElement(ids::SceneBoxWindow), nullptr);
             chooseMenuCommand(ids::CmdSceneBox);
         }},
        {"the toolbar button over an open box", [&] { clickButton(ids::ButtonOpenSceneBox); }},
        {"a config reload", [&] {
             sorn::closeSceneBox();
             editor.config.settings.clear();
             ASSERT_TRUE(editor.config.load());
             clickButton(ids::ButtonOpenSceneBox);
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.closeAndOpen();
        EXPECT_EQ(place(), core::position2di(60, 130));
    }
}

TEST_F(SceneBoxPlaceTest, ThePlaceIsWrittenWhenMovedOrClosedNotOnEveryClickOrFrame) {
    clickButton(ids::ButtonOpenSceneBox);
    std::remove(core::stringc(editor.config.fileName).c_str());
    // Clicks that move nothing and frames write nothing.
    dragTitle({100, 58}, {100, 58});
    ASSERT_EQ(place(), core::position2di(0, 50));
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 500, 400);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, 500, 400);
    activePasses(3);
    EXPECT_FALSE(sorn::test::fileExists(core::stringc(editor.config.fileName).c_str()));

    // Moved without a button (the keyboard, another program), then closed
    // with the window's close button: the close writes it.
    gui::IGUIElement* window = findElement(ids::SceneBoxWindow);
    window->move(core::position2di(30, 5));
    postGuiEvent(gui::EGET_ELEMENT_CLOSED, window);
    window->remove();
    EXPECT_EQ(placeOnDisk(), std::make_pair(std::wstring(L"30"), std::wstring(L"55")));
    EXPECT_FALSE(isMenuItemChecked(ids::CmdSceneBox));
}

TEST_F(SceneBoxPlaceTest, AWindowLeftOutsideIsMovedInsideWhenTheScreenShrinks) {
    clickButton(ids::ButtonOpenSceneBox);
    dragTitle({100, 58}, {800, 358});
    ASSERT_EQ(place(), core::position2di(700, 350));
    const std::pair<core::dimension2du, core::position2di> screens[] = {
        {{1000, 750}, {700, 350}}, // fits: stays
        {{800, 600}, {585, 200}},  // right and bottom edges
        {{600, 300}, {385, 0}},    // taller than the screen: title bar at the top
        {{100, 100}, {0, 0}},      // larger both ways
        {{1000, 750}, {0, 0}},     // larger again: not moved back by itself
    };
    for (const auto& screen : screens) {
        sorn::keepWindowsInside(screen.first);
        EXPECT_EQ(place(), screen.second) << screen.first.Width << "x" << screen.first.Height;
    }
    // Moving it inside is not the user's move: the settings keep the place chosen.
    EXPECT_EQ(placeOnDisk(), std::make_pair(std::wstring(L"700"), std::wstring(L"350")));
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 500, 400);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, 500, 400);
    EXPECT_EQ(placeOnDisk(), std::make_pair(std::wstring(L"700"), std::wstring(L"350")));
    // Closing it writes where the user last saw it.
    sorn::closeSceneBox();
    EXPECT_EQ(placeOnDisk(), std::make_pair(std::wstring(L"0"), std::wstring(L"0")));
}

// New scene queues the nodes; a pick before the engine frees them must not
// make one of them the selection, or the selection would dangle afterwards.
TEST_F(SceneBoxClearTest, PickBetweenNewSceneAndTheNextDrawSelectsNothing) {
    sorn::createSceneBox();
    scene::ISceneNode* light = sorn::addNode(scene::ESNT_LIGHT, 0);
    activePasses(2);
    chooseMenuCommand(ids::CmdNewScene);
    pickInTree(light);
    EXPECT_EQ(editor.selectedNode, nullptr);
    activePasses(3);
    EXPECT_EQ(editor.selectedNode, nullptr);
}


// ---- Renaming, dragging, keys and the filter ---------------------------------

class SceneBoxEditingTest : public SceneBoxTest {
protected:
    sorn::CTreeView* ownTree() { return static_cast<sorn::CTreeView*>(tree()); }

    // The middle of the row showing the node (the "Scene" label for null).
    core::position2di rowOf(scene::ISceneNode* node) {
        gui::IGUITreeViewNode* item = node ? treeItemFor(node) : tree()->getRoot()->getFirstChild();
        EXPECT_NE(item, nullptr);
        const core::rect<s32> area = tree()->getAbsolutePosition();
        for (s32 y = area.UpperLeftCorner.Y; y < area.LowerRightCorner.Y; ++y)
            if (ownTree()->nodeAt(area.UpperLeftCorner.X + 60, y) == item)
                return {area.UpperLeftCorner.X + 60, y + ownTree()->rowHeight() / 2};
        ADD_FAILURE() << "the row is not in view";
        return {};
    }
    void post(EMOUSE_INPUT_EVENT type, core::position2di at, bool leftHeld) {
        SEvent event;
        event.EventType = EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = type;
        event.MouseInput.X = at.X;
        event.MouseInput.Y = at.Y;
        event.MouseInput.Wheel = 0.f;
        event.MouseInput.Shift = event.MouseInput.Control = false;
        event.MouseInput.ButtonStates = leftHeld ? EMBSM_LEFT : 0;
        editor.device->postEventFromUser(event);
    }
    void clickRow(scene::ISceneNode* node) {
        const core::position2di at = rowOf(node);
        post(EMIE_MOUSE_MOVED, at, false);
        post(EMIE_LMOUSE_PRESSED_DOWN, at, true);
        post(EMIE_LMOUSE_LEFT_UP, at, false);
    }
    void dragRow(scene::ISceneNode* node, scene::ISceneNode* onto) {
        const core::position2di from = rowOf(node), to = rowOf(onto);
        post(EMIE_MOUSE_MOVED, from, false);
        post(EMIE_LMOUSE_PRESSED_DOWN, from, true);
        post(EMIE_MOUSE_MOVED, {from.X + 1, (from.Y + to.Y) / 2}, true);
        post(EMIE_MOUSE_MOVED, to, true);
        post(EMIE_LMOUSE_LEFT_UP, to, false);
    }
    void press(EKEY_CODE key, wchar_t ch = 0) {
        SEvent event = sorn::test::keyEvent(key, true);
        event.KeyInput.Char = ch;
        editor.device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        editor.device->postEventFromUser(event);
    }
    static core::vector3df worldPoint(scene::ISceneNode* node, core::vector3df point) {
        sorn::worldTransformOf(node).transformVect(point);
        return point;
    }
    static void expectNear(const core::vector3df& a, const core::vector3df& b, const char* what) {
        EXPECT_NEAR(a.X, b.X, 1e-3f) << what;
        EXPECT_NEAR(a.Y, b.Y, 1e-3f) << what;
        EXPECT_NEAR(a.Z, b.Z, 1e-3f) << what;
    }
};

// A row shows the node's name as the file holds it (one character a byte),
// or, with no name, the node's type in grey.
TEST_F(SceneBoxEditingTest, RowsShowTheNameOrTheTypeInGrey) {
    struct Case {
        const char* name;
        const wchar_t* shown;
        bool dimmed;
    };
    const Case cases[] = {{"Crate", L"Crate", false}, {"", L"cube", true}, {"\xC9" "cran \xE0 gauche", L"\u00C9cran \u00E0 gauche", false}};
    sorn::createSceneBox();
    for (const Case& c : cases)
        smgr()->addCubeSceneNode()->setName(c.name);
    sorn::updateTreeview();
    size_t i = 0;
    for (gui::IGUITreeViewNode* item = tree()->getRoot()->getFirstChild()->getNextSibling(); item;
         item = item->getNextSibling(), ++i) {
        ASSERT_LT(i, std::size(cases));
        EXPECT_EQ(std::wstring(item->getText()), std::wstring(cases[i].shown)) << i;
        EXPECT_EQ(static_cast<sorn::CTreeViewNode*>(item)->getDimmed(), cases[i].dimmed) << i;
    }
    EXPECT_EQ(i, std::size(cases));
}

// Dragging a row onto another moves the node under it where it was in the
// world; one step undoes it, back at its place among its siblings.
TEST_F(SceneBoxEditingTest, DragUnderAnotherKeepsTheWorldPlaceAsOneStep) {
    sorn::createSceneBox();
    scene::ISceneNode* first = sorn::addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    cube->setName("Mover");
    sphere->setPosition({10, 0, 0});
    sphere->setRotation({0, 90, 0});
    sphere->setScale({2, 2, 2});
    cube->setPosition({0, 5, 3});
    cube->setRotation({30, 0, 0});
    refresh();
    const core::vector3df corner = worldPoint(cube, {1, 1, 1}), centre = worldPoint(cube, {});
    const size_t steps = sorn::undoHistory.size();

    dragRow(cube, sphere);
    EXPECT_EQ(cube->getParent(), sphere);
    expectNear(worldPoint(cube, {}), centre, "centre");
    expectNear(worldPoint(cube, {1, 1, 1}), corner, "corner");
    EXPECT_EQ(outline(), "Scene\nCube\nSphere\n  Mover\n") << "shown at once";
    EXPECT_TRUE(treeItemFor(sphere)->getExpanded()) << "the moved row is in view";
    ASSERT_EQ(sorn::undoHistory.size(), steps + 1);
    EXPECT_EQ(sorn::undoHistory.stepToUndo()->kind(), sorn::ChangeKind::Reparent);

    sorn::undoLastChange();
    EXPECT_EQ(cube->getParent(), smgr()->getRootSceneNode());
    std::vector<scene::ISceneNode*> order;
    for (scene::ISceneNode* child : smgr()->getRootSceneNode()->getChildren())
        order.push_back(child);
    const auto at = std::find(order.begin(), order.end(), first);
    ASSERT_NE(at, order.end());
    ASSERT_NE(std::next(at), order.end());
    EXPECT_EQ(*std::next(at), cube) << "back right after the first cube";
    EXPECT_EQ(cube->getPosition(), core::vector3df(0, 5, 3));
    EXPECT_EQ(cube->getRotation(), core::vector3df(30, 0, 0));
    sorn::redoLastChange();
    EXPECT_EQ(cube->getParent(), sphere);
    expectNear(worldPoint(cube, {1, 1, 1}), corner, "corner after redo");
}

TEST_F(SceneBoxEditingTest, DropOnSceneGoesToTheRoot) {
    sorn::createSceneBox();
    scene::ISceneNode* outer = sorn::addNode(scene::ESNT_SPHERE, 0);
    outer->setPosition({0, 0, 7});
    refresh();
    pickInTree(outer);
    scene::ISceneNode* inner = sorn::addNode(scene::ESNT_CUBE, 0);
    pickInTree(nullptr);
    refresh();
    sorn::revealNodeInTree(inner);
    const core::vector3df innerCentre = worldPoint(inner, {});
    const size_t steps = sorn::undoHistory.size();
    dragRow(inner, nullptr);
    EXPECT_EQ(inner->getParent(), smgr()->getRootSceneNode());
    expectNear(inner->getPosition(), innerCentre, "where its parent had put it");
    EXPECT_EQ(sorn::undoHistory.size(), steps + 1);
    EXPECT_EQ(outline(), "Scene\nSphere\nCube\n");
}

// F2 on the picked row edits its name in place: Enter renames as one step,
// shown in the row, the tool box and the status line, and in the next trace.
TEST_F(SceneBoxEditingTest, F2RenamesThePickedNodeAsOneStep) {
    sorn::createSceneBox();
    sorn::createToolBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    refresh();
    clickRow(cube);
    ASSERT_EQ(editor.selectedNode, cube);
    press(KEY_F2);
    ASSERT_TRUE(ownTree()->isRenaming());
    ownTree()->renameBox()->setText(L"Caf\u00E9 & <b>");
    press(KEY_RETURN, L'\r');
    EXPECT_EQ(std::string(cube->getName()), "Caf\xE9 & <b>");
    EXPECT_EQ(std::wstring(treeItemFor(cube)->getText()), L"Caf\u00E9 & <b>");
    EXPECT_EQ(std::wstring(findElement(ids::NameEdit)->getText()), L"Caf\u00E9 & <b>");
    EXPECT_EQ(std::wstring(editor.statusText->getText()), L"Selection: Caf\u00E9 & <b>");
    EXPECT_EQ(sorn::undoHistory.stepToUndo()->kind(), sorn::ChangeKind::Rename);
    EXPECT_TRUE(sorn::undoHistory.hasUnsavedChanges());

    testing::internal::CaptureStdout();
    clickRow(sphere);
    clickRow(cube);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Selection => Caf\xE9 & <b>\n"), std::string::npos) << out;

    sorn::undoLastChange();
    EXPECT_EQ(std::string(cube->getName()), "Cube");
    refresh();
    EXPECT_EQ(std::wstring(treeItemFor(cube)->getText()), L"Cube");

    // Escape in the rename box cancels the rename, and only that: the node
    // stays selected and keeps its name.
    clickRow(cube);
    press(KEY_F2);
    ASSERT_TRUE(ownTree()->isRenaming());
    ownTree()->renameBox()->setText(L"Thrown away");
    press(KEY_ESCAPE);
    EXPECT_FALSE(ownTree()->isRenaming());
    EXPECT_EQ(std::string(cube->getName()), "Cube");
    EXPECT_EQ(editor.selectedNode, cube) << "the Escape that cancelled the rename also cleared the selection";
}

// With the focus on the tree the keys move the selection, each move a pick.
TEST_F(SceneBoxEditingTest, KeysMoveTheSelectionAsAPick) {
    sorn::createSceneBox();
    scene::ISceneNode* cube = sorn::addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    refresh();
    clickRow(cube);
    testing::internal::CaptureStdout();
    press(KEY_DOWN);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(editor.selectedNode, sphere);
    EXPECT_NE(out.find("Selection => Sphere\n"), std::string::npos) << out;
    press(KEY_HOME);
    EXPECT_EQ(editor.selectedNode, nullptr) << "Home reaches the Scene row";
}

TEST_F(SceneBoxEditingTest, FilterBoxShowsMatchingRowsAndSurvivesARefresh) {
    sorn::createSceneBox();
    scene::ISceneNode* sphere = sorn::addNode(scene::ESNT_SPHERE, 0);
    refresh();
    pickInTree(sphere);
    sorn::addNode(scene::ESNT_CUBE, 0)->setName("Red crate");
    pickInTree(nullptr);
    sorn::addNode(scene::ESNT_CUBE, 0)->setName("Blue box");
    refresh();
    gui::IGUIElement* box = findElement(ids::SceneBoxFilter);
    ASSERT_NE(box, nullptr);
    box->setText(L"CRATE");
    postGuiEvent(gui::EGET_EDITBOX_CHANGED, box);
    EXPECT_EQ(ownTree()->shownRowCount(), 2u) << "the crate and the sphere above it";
    sorn::updateTreeview();
    EXPECT_EQ(ownTree()->shownRowCount(), 2u);
    box->setText(L"");
    postGuiEvent(gui::EGET_EDITBOX_CHANGED, box);
    EXPECT_EQ(ownTree()->shownRowCount(), 3u) << "Scene, Sphere (folded), Blue box";
}

// A copy's rows under its own collapsed row are made when first needed, and
// then show the selection as rows made at once would.
TEST_F(SceneBoxEditingTest, ACopysRowsAreMadeWhenOpenedOrRevealedMarkedAsSelected) {
    for (const bool reveal : {false, true}) {
        SCOPED_TRACE(reveal ? "revealed" : "opened");
        sorn::startNewScene();
        activePasses(3);
        scene::ISceneNode* group = smgr()->addEmptySceneNode();
        smgr()->addCubeSceneNode(1, smgr()->addCubeSceneNode(1, group))->setName("Deep");
        sorn::createSceneBox();
        pickInTree(group);
        clickButton(ids::SceneBoxDuplicate);
        refresh();
        scene::ISceneNode* copy = *smgr()->getRootSceneNode()->getChildren().getLast();
        scene::ISceneNode* deep = *(*copy->getChildren().begin())->getChildren().begin();
        auto* copyRow = static_cast<sorn::CTreeViewNode*>(tree()->getRoot()->getLastChild());
        ASSERT_EQ(copyRow->getData(), copy);
        EXPECT_TRUE(copyRow->childrenUnmade()) << "one row for the copy";
        sorn::setSelectedNodes({copy, deep});
        sorn::markSelectionInTree(false);
        EXPECT_EQ(copyRow->firstMadeChild(), nullptr) << "marking makes no rows";
        if (reveal) {
            sorn::setSelectedNodes({deep});
            sorn::markSelectionInTree(true);
        } else {
            copyRow->setExpanded(true);
            copyRow->getFirstChild()->setExpanded(true);
        }
        auto* deepRow = static_cast<sorn::CTreeViewNode*>(copyRow->firstMadeChild()->firstMadeChild());
        ASSERT_NE(deepRow, nullptr);
        EXPECT_EQ(deepRow->getData(), deep);
        EXPECT_EQ(core::stringw(deepRow->getText()), L"Deep");
        EXPECT_TRUE(deepRow->isMarked());
        EXPECT_TRUE(deepRow->getSelected()) << "the primary's row";
        EXPECT_FALSE(ownTree()->rowsBetween(deepRow, deepRow).empty()) << "shown";
    }
}

// Each kind of structural edit, and its undo and redo, changes the rows of
// what it added or removed only: the rows of other nodes stay the same items,
// open as they were, and the whole tree is what a rebuild from the scene
// gives, with or without a filter typed. The name index stays what indexing
// the whole scene gives.
TEST_F(SceneBoxEditingTest, StructuralEditsChangeOnlyTheirRowsAsARebuildWould) {
    struct Edit {
        const char* name;
        // Acts on the three-deep branch: alpha > beta > crate (and a text beside it).
        std::function<void(scene::ISceneNode* beta, scene::ISceneNode* crate)> run;
    };
    const Edit edits[] = {
        {"add", [this](scene::ISceneNode* beta, scene::ISceneNode*) {
             pickInTree(beta);
             sorn::recordNodeAdded(sorn::addNode(scene::ESNT_CUBE, 0));
         }},
        {"duplicate", [this](scene::ISceneNode* beta, scene::ISceneNode*) {
             pickInTree(beta);
             clickButton(ids::SceneBoxDuplicate);
         }},
        {"paste", [this](scene::ISceneNode* beta, scene::ISceneNode* crate) {
             pickInTree(crate);
             ASSERT_TRUE(sorn::copyNodes({crate}));
             pickInTree(beta);
             ASSERT_TRUE(sorn::pasteFromClipboard());
         }},
        {"delete", [this](scene::ISceneNode* beta, scene::ISceneNode*) {
             pickInTree(beta);
             clickButton(ids::SceneBoxRemove);
         }},
        {"cut", [this](scene::ISceneNode*, scene::ISceneNode* crate) {
             pickInTree(crate);
             ASSERT_TRUE(sorn::cutNodes({crate}));
         }},
    };
    // Every item as text, level, look and node, and whether it is shown.
    auto rows = [this] {
        std::vector<std::string> lines;
        std::function<void(gui::IGUITreeViewNode*)> walk = [&](gui::IGUITreeViewNode* item) {
            for (gui::IGUITreeViewNode* c = item->getFirstChild(); c; c = c->getNextSibling()) {
                auto* own = static_cast<sorn::CTreeViewNode*>(c);
                char line[160];
                std::snprintf(line, sizeof line, "%d %s %p%s%s%s%s", c->getLevel(), core::stringc(c->getText()).c_str(),
                              c->getData(), own->getDimmed() ? " dim" : "", own->isMarked() ? " marked" : "",
                              c->getSelected() ? " selected" : "",
                              ownTree()->rowsBetween(c, c).empty() ? "" : " shown");
                lines.push_back(line);
                walk(c);
            }
        };
        walk(tree()->getRoot());
        return lines;
    };
    for (const wchar_t* filter : {L"", L"CUBE"}) {
        for (const Edit& edit : edits) {
            sorn::startNewScene();
            sorn::forgetSceneHistory();
            activePasses(3);
            scene::ISceneNode* alpha = smgr()->addEmptySceneNode();
            alpha->setName("Alpha");
            scene::ISceneNode* beta = smgr()->addCubeSceneNode(1, alpha);
            beta->setName("Beta cube");
            scene::ISceneNode* crate = smgr()->addCubeSceneNode(1, beta);
            crate->setName("Crate cube");
            smgr()->addTextSceneNode(gui()->getBuiltInFont(), L"t", video::SColor(255, 255, 255, 255), beta);
            smgr()->addCubeSceneNode(1, beta)->setName("Last cube");
            smgr()->addEmptySceneNode(alpha)->setName("Echo");
            scene::ISceneNode* delta = smgr()->addEmptySceneNode();
            delta->setName("Delta");
            smgr()->addCubeSceneNode(1, delta)->setName("Under delta");
            sorn::indexNodeNames(editor.rootNode);
            sorn::createSceneBox();
            treeItemFor(alpha)->setExpanded(true);
            treeItemFor(delta)->setExpanded(true);
            findElement(ids::SceneBoxFilter)->setText(filter);
            postGuiEvent(gui::EGET_EDITBOX_CHANGED, findElement(ids::SceneBoxFilter));
            for (const char* phase : {"done", "undone", "redone"}) {
                SCOPED_TRACE(std::string(edit.name) + " " + phase + " filter '" + core::stringc(filter).c_str() + "'");
                // A mark a rebuild would not keep on a row the edit leaves alone.
                treeItemFor(delta)->setSelectedImageIndex(7);
                if (phase[0] == 'd')
                    edit.run(beta, crate);
                else if (phase[0] == 'u')
                    sorn::undoLastChange();
                else
                    sorn::redoLastChange();
                refresh();
                ASSERT_NE(treeItemFor(delta), nullptr);
                EXPECT_EQ(treeItemFor(delta)->getSelectedImageIndex(), 7u) << "the row was not made again";
                EXPECT_TRUE(treeItemFor(delta)->getExpanded());
                EXPECT_TRUE(treeItemFor(alpha)->getExpanded());
                // Every node in the scene named as indexing afresh names it;
                // the only other entries are of nodes the history holds out
                // of the scene, for an undo to put back.
                const auto index = editor.nodeNameIndex;
                sorn::indexNodeNames(editor.rootNode);
                for (const auto& [node, name] : editor.nodeNameIndex)
                    EXPECT_EQ(index.count(node) ? index.at(node) : "(none)", name);
                for (const auto& [node, name] : index)
                    if (!editor.nodeNameIndex.count(node))
                        EXPECT_FALSE(sorn::isLiveSceneNode(node)) << name;
                const std::vector<std::string> inPlace = rows();
                sorn::requestTreeRebuild();
                sorn::updateTreeview();
                EXPECT_EQ(inPlace, rows());
            }
            if (std::string(edit.name) == "duplicate") {
                // The copy's children are the original's kinds in their order,
                // the text node the engine cannot clone among them.
                scene::ISceneNode* copy = *alpha->getChildren().getLast();
                ASSERT_NE(copy, beta);
                std::vector<scene::ESCENE_NODE_TYPE> kinds, copied;
                for (scene::ISceneNode* c : beta->getChildren())
                    kinds.push_back(c->getType());
                for (scene::ISceneNode* c : copy->getChildren())
                    copied.push_back(c->getType());
                EXPECT_EQ(copied, kinds);
            }
        }
    }
}

} // namespace
