// The status line, the animation read-out and the gizmo that the frame loop
// keeps on the selected node.
#include <gtest/gtest.h>

#include "app/StatusLine.h"
#include "support/EditorFixture.h"
#include "toolbox/ToolBox.h"

using namespace irr;
using sorn::editor;
namespace ids = sorn::ids;

namespace {

class StatusLineTest : public sorn::test::EditorTest {
protected:
    scene::ISceneNode* select(scene::ISceneNode* node) {
        editor.selectedNode = node;
        editor.nodeSelected = true;
        return node;
    }
    core::stringw status() { return editor.statusText->getText(); }
};

struct ModeText {
    s32 mode;
    const wchar_t* text;
};

TEST_F(StatusLineTest, ShowsTheSelectionAndTheValueOfTheMode) {
    scene::ISceneNode* cube = select(smgr()->addCubeSceneNode());
    cube->setName("cube1");
    cube->setPosition(core::vector3df(10, 0, -5));
    cube->setRotation(core::vector3df(0, 45, 0));
    cube->setScale(core::vector3df(2, 2, 2));
    const ModeText cases[] = {
        {ids::ModeNone, L"Selection: cube1"},
        {ids::ModeFirstPerson, L"Selection: cube1"},
        {ids::ModeMoveX, L"Selection: cube1  |  Position: X: 10.000000, Y: 0.000000, Z: -5.000000. "},
        {ids::ModeMoveZ, L"Selection: cube1  |  Position: X: 10.000000, Y: 0.000000, Z: -5.000000. "},
        {ids::ModeRotate, L"Selection: cube1  |  Rotation: X: 0.000000, Y: 45.000000, Z: 0.000000. "},
        {ids::ModeRotateZ, L"Selection: cube1  |  Rotation: X: 0.000000, Y: 45.000000, Z: 0.000000. "},
        {ids::ModeScale, L"Selection: cube1  |  Scale: X: 2.000000, Y: 2.000000, Z: 2.000000. "},
    };
    for (const ModeText& c : cases) {
        editor.editMode = c.mode;
        sorn::updateStatusLine();
        EXPECT_EQ(status(), core::stringw(c.text)) << std::hex << c.mode;
    }
    editor.nodeSelected = false;
    sorn::updateStatusLine();
    EXPECT_EQ(status(), core::stringw(L"Selection: Scene"));
}

TEST_F(StatusLineTest, FrameReadoutRoundsTheSpeedAndCutsTheFrame) {
    sorn::createToolBox();
    gui::IGUIElement* toolBox = sorn::findElement(ids::ToolBoxWindow);
    gui::IGUIElement* readout =
        gui()->addStaticText(L"old", core::rect<s32>(0, 0, 10, 10), false, false, toolBox, ids::FrameReadout);
    // A mesh of a few frames made in memory.
    auto* frames = new scene::SAnimatedMesh();
    for (int i = 0; i < 20; ++i) {
        auto* frame = new scene::SMesh();
        frames->addMesh(frame);
        frame->drop();
    }
    frames->setAnimationSpeed(25.f);
    scene::IAnimatedMeshSceneNode* node = smgr()->addAnimatedMeshSceneNode(frames);
    frames->drop();
    select(node);
    struct Case {
        f32 speed, frame;
        const wchar_t* text;
    };
    const Case cases[] = {{25.f, 13.4f, L"25 Frame: 13"}, {-2.6f, 12.9f, L"-3 Frame: 12"}, {2.5f, 0.f, L"3 Frame: 0"}};
    for (const Case& c : cases) {
        node->setAnimationSpeed(c.speed);
        node->setCurrentFrame(c.frame);
        sorn::updateFrameReadout();
        EXPECT_EQ(core::stringw(readout->getText()), core::stringw(c.text));
    }
    select(smgr()->addCubeSceneNode());
    sorn::updateFrameReadout();
    EXPECT_EQ(core::stringw(readout->getText()), core::stringw(L""));
}

TEST_F(StatusLineTest, GizmoJumpsToTheNodeOnlyWhileActive) {
    scene::ISceneNode* cube = select(smgr()->addCubeSceneNode());
    cube->setPosition(core::vector3df(5, 6, 7));
    cube->setRotation(core::vector3df(0, 30, 0));
    editor.gizmoActive = false;
    activePasses(1);
    EXPECT_EQ(editor.gizmoAnchor->getPosition(), core::vector3df(0, 0, 0));
    editor.gizmoActive = true;
    activePasses(1);
    EXPECT_EQ(editor.gizmoAnchor->getPosition(), core::vector3df(5, 6, 7));
    EXPECT_EQ(editor.gizmoRotationAnchor->getRotation(), core::vector3df(0, 30, 0));
    editor.selectedNode = nullptr;
    cube->setPosition(core::vector3df(1, 1, 1));
    activePasses(1);
    EXPECT_EQ(editor.gizmoAnchor->getPosition(), core::vector3df(5, 6, 7)) << "nothing selected: stays put";
}

} // namespace
