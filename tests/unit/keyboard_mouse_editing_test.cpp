// Keyboard and mouse editing of the selected node: the mode keys and the gizmo,
// Escape, F1, L and M, the modal and typing guards, drags and the right click,
// all delivered through the device the way the engine delivers them.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "events/EditingKeys.h"
#include "events/KeyboardMouseEditing.h"
#include "events/UndoCommands.h"
#include "events/ViewNavigation.h"
#include "scene/UndoHistory.h"
#include "scene/NodeCatalogue.h"
#include "scene/SelectedNodes.h"
#include "support/SceneSnapshot.h"
#include "support/EditorFixture.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {
namespace {

enum Part : u32 { LX = 1, LY = 2, LZ = 4, RX = 8, RY = 16, RZ = 32, All = 63 };

scene::ISceneNode* partNode(u32 part) {
    switch (part) {
    case LX: return editor.gizmoLineX;
    case LY: return editor.gizmoLineY;
    case LZ: return editor.gizmoLineZ;
    case RX: return editor.gizmoRingX;
    case RY: return editor.gizmoRingY;
    default: return editor.gizmoRingZ;
    }
}

u32 visibleParts() {
    u32 parts = 0;
    for (u32 part = LX; part <= RZ; part <<= 1)
        if (partNode(part)->isVisible())
            parts |= part;
    return parts;
}

void showOnly(u32 parts) {
    for (u32 part = LX; part <= RZ; part <<= 1)
        partNode(part)->setVisible((parts & part) != 0);
}

// The gizmo parts each editing mode shows.
u32 partsOf(s32 mode) {
    switch (mode) {
    case ids::ModeMoveX: return LX;
    case ids::ModeMoveY: return LY;
    case ids::ModeMoveZ: return LZ;
    case ids::ModeRotate:
    case ids::ModeRotateY: return LY | RY;
    case ids::ModeRotateX: return LX | RX;
    case ids::ModeRotateZ: return LZ | RZ;
    case ids::ModeScale: return LY;
    default: return 0;
    }
}

bool isEditingMode(s32 mode) {
    return mode >= ids::ModeMoveX && mode <= ids::ModeScale;
}

class EditingTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_NE(editor.gizmoLineX, nullptr);
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
        cube = addNode(scene::ESNT_CUBE, 0);
        ASSERT_NE(cube, nullptr);
        activePasses(2);
        pickInTree(cube);
        ASSERT_TRUE(editor.nodeSelected);
    }

    // Puts the editor in `mode` as if the user had reached it with the keys.
    void enterMode(s32 mode) {
        editor.editMode = mode;
        showOnly(partsOf(mode));
        editor.gizmoActive = isEditingMode(mode);
        setCameraAndWindowsEnabled(!isEditingMode(mode));
    }

    bool windowsVisible() {
        gui::IGUIElement* toolBox = findElement(ids::ToolBoxWindow);
        gui::IGUIElement* sceneBox = findElement(ids::SceneBoxWindow);
        EXPECT_EQ(toolBox->isVisible(), sceneBox->isVisible());
        return toolBox->isVisible();
    }

    bool cameraTakesInput() {
        return editor.sceneManager->getActiveCamera()->isInputReceiverEnabled();
    }

    bool pressAndRelease(EKEY_CODE key, wchar_t ch) {
        SEvent event;
        event.EventType = EET_KEY_INPUT_EVENT;
        event.KeyInput.Key = key;
        event.KeyInput.Char = ch;
        event.KeyInput.PressedDown = true;
        event.KeyInput.Shift = false;
        event.KeyInput.Control = false;
        editor.device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        return editor.device->postEventFromUser(event);
    }

    std::wstring statusText() { return editor.statusText ? editor.statusText->getText() : L"<missing>"; }

    scene::ISceneNode* cube = nullptr;
};

// ---- Mode keys ---------------------------------------------------------------

struct KeyCase {
    EKEY_CODE key;
    s32 from;
    s32 to;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) {
    return out << "key " << char(c.key) << " from " << std::hex << c.from << " to " << c.to;
}

class ModeKeyTest : public EditingTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(ModeKeyTest, KeyMovesBetweenModesAndShowsTheModesGizmo) {
    const KeyCase& c = GetParam();
    enterMode(c.from);
    EXPECT_FALSE(releaseKey(c.key));
    EXPECT_EQ(editor.editMode, c.to);
    EXPECT_EQ(visibleParts(), partsOf(c.to));
    const bool editing = c.to != ids::ModeNone;
    EXPECT_EQ(editor.gizmoActive, editing);
    EXPECT_EQ(windowsVisible(), !editing);
    EXPECT_EQ(cameraTakesInput(), !editing);
}

constexpr s32 None = ids::ModeNone, Fps = ids::ModeFirstPerson, MX = ids::ModeMoveX, MY = ids::ModeMoveY,
              MZ = ids::ModeMoveZ, Rot = ids::ModeRotate, RotY = ids::ModeRotateY, RotX = ids::ModeRotateX,
              RotZ = ids::ModeRotateZ, Sc = ids::ModeScale;

INSTANTIATE_TEST_SUITE_P(
    Table, ModeKeyTest,
    testing::Values(
        // X
        KeyCase{KEY_KEY_X, Rot, RotX}, KeyCase{KEY_KEY_X, RotY, RotX}, KeyCase{KEY_KEY_X, RotZ, RotX},
        KeyCase{KEY_KEY_X, MY, MX}, KeyCase{KEY_KEY_X, MZ, MX}, KeyCase{KEY_KEY_X, Sc, MX},
        KeyCase{KEY_KEY_X, MX, None}, KeyCase{KEY_KEY_X, RotX, None},
        KeyCase{KEY_KEY_X, None, MX}, KeyCase{KEY_KEY_X, Fps, MX},
        // Y
        KeyCase{KEY_KEY_Y, Rot, RotY}, KeyCase{KEY_KEY_Y, RotX, RotY}, KeyCase{KEY_KEY_Y, RotZ, RotY},
        KeyCase{KEY_KEY_Y, MX, MY}, KeyCase{KEY_KEY_Y, MZ, MY}, KeyCase{KEY_KEY_Y, Sc, MY},
        KeyCase{KEY_KEY_Y, MY, None}, KeyCase{KEY_KEY_Y, RotY, None},
        KeyCase{KEY_KEY_Y, None, MY}, KeyCase{KEY_KEY_Y, Fps, MY},
        // Z
        KeyCase{KEY_KEY_Z, Rot, RotZ}, KeyCase{KEY_KEY_Z, RotY, RotZ}, KeyCase{KEY_KEY_Z, RotX, RotZ},
        KeyCase{KEY_KEY_Z, MX, MZ}, KeyCase{KEY_KEY_Z, MY, MZ}, KeyCase{KEY_KEY_Z, Sc, MZ},
        KeyCase{KEY_KEY_Z, MZ, None}, KeyCase{KEY_KEY_Z, RotZ, None},
        KeyCase{KEY_KEY_Z, None, MZ}, KeyCase{KEY_KEY_Z, Fps, MZ},
        // R
        KeyCase{KEY_KEY_R, MX, Rot}, KeyCase{KEY_KEY_R, MY, Rot}, KeyCase{KEY_KEY_R, MZ, Rot},
        KeyCase{KEY_KEY_R, Sc, Rot}, KeyCase{KEY_KEY_R, Rot, None}, KeyCase{KEY_KEY_R, RotY, None},
        KeyCase{KEY_KEY_R, RotX, None}, KeyCase{KEY_KEY_R, RotZ, None},
        KeyCase{KEY_KEY_R, None, Rot}, KeyCase{KEY_KEY_R, Fps, Rot},
        // S
        KeyCase{KEY_KEY_S, MX, Sc}, KeyCase{KEY_KEY_S, MY, Sc}, KeyCase{KEY_KEY_S, MZ, Sc},
        KeyCase{KEY_KEY_S, Rot, Sc}, KeyCase{KEY_KEY_S, RotY, Sc}, KeyCase{KEY_KEY_S, RotX, Sc},
        KeyCase{KEY_KEY_S, RotZ, Sc}, KeyCase{KEY_KEY_S, Sc, None},
        KeyCase{KEY_KEY_S, None, Sc}, KeyCase{KEY_KEY_S, Fps, Sc}));

TEST_F(EditingTest, KeyFromNoModeShowsItsPartsAndLeavesOthersAsTheyAre) {
    enterMode(None);
    showOnly(LZ); // left over, e.g. after a camera switch during editing
    releaseKey(KEY_KEY_X);
    EXPECT_EQ(visibleParts(), LX | LZ);
}

TEST_F(EditingTest, RThenZThenZRoundTripRefillsTheToolBox) {
    releaseKey(KEY_KEY_R);
    EXPECT_EQ(editor.editMode, Rot);
    releaseKey(KEY_KEY_Z);
    EXPECT_EQ(editor.editMode, RotZ);
    EXPECT_EQ(visibleParts(), LZ | RZ);
    cube->setRotation({0.f, 0.f, 33.f}); // as a drag would
    releaseKey(KEY_KEY_Z);
    EXPECT_EQ(editor.editMode, None);
    EXPECT_TRUE(windowsVisible());
    EXPECT_EQ(std::wstring(findElement(ids::RotationEditZ)->getText()), L"33.000000");
}

TEST_F(EditingTest, TurningEditingOnRewritesTheStatusLine) {
    cube->setPosition({10.f, 0.f, -5.f});
    releaseKey(KEY_KEY_X);
    EXPECT_NE(statusText().find(L"Position: X: 10.000000, Y: 0.000000, Z: -5.000000. "), std::wstring::npos);
    releaseKey(KEY_KEY_X);
    EXPECT_EQ(statusText().find(L"Position"), std::wstring::npos);
}

TEST_F(EditingTest, LetterKeysNeedANodePickedInTheTree) {
    pickInTree(nullptr);
    ASSERT_FALSE(editor.nodeSelected);
    for (EKEY_CODE key : {KEY_KEY_X, KEY_KEY_Y, KEY_KEY_Z, KEY_KEY_R, KEY_KEY_S}) {
        EXPECT_FALSE(releaseKey(key));
        EXPECT_EQ(editor.editMode, None);
        EXPECT_FALSE(editor.gizmoActive);
        EXPECT_EQ(visibleParts(), 0u);
    }
}

TEST_F(EditingTest, ModalDialogBlocksEveryKey) {
    gui()->addMessageBox(L"caption", L"text", true);
    EXPECT_FALSE(handleKeyRelease(KEY_KEY_X));
    releaseKey(KEY_KEY_X); // the message box itself may take the key
    EXPECT_EQ(editor.editMode, None);
    EXPECT_FALSE(editor.gizmoActive);
    releaseKey(KEY_KEY_L);
    EXPECT_FALSE(editor.modelLighting);
    gui::IGUIElement* readout = findElement(ids::CameraInfoText);
    ASSERT_NE(readout, nullptr);
    const bool shown = readout->isVisible();
    releaseKey(KEY_F1);
    EXPECT_EQ(readout->isVisible(), shown);
}

// ---- Typing into edit boxes ---------------------------------------------------

TEST_F(EditingTest, LettersTypedIntoAnEditBoxRunNoCommand) {
    gui::IGUIElement* box = findElement(ids::PositionEditX);
    ASSERT_NE(box, nullptr);
    gui()->setFocus(box);
    box->setText(L"");
    const struct {
        EKEY_CODE key;
        wchar_t ch;
    } typed[] = {{KEY_KEY_S, L's'}, {KEY_KEY_X, L'x'}, {KEY_KEY_Y, L'y'}, {KEY_KEY_Z, L'z'},
                 {KEY_KEY_R, L'r'}, {KEY_KEY_L, L'l'}, {KEY_KEY_M, L'm'}};
    for (const auto& t : typed) {
        EXPECT_FALSE(pressAndRelease(t.key, t.ch));
        EXPECT_EQ(editor.editMode, None);
        EXPECT_FALSE(editor.gizmoActive);
        EXPECT_TRUE(windowsVisible());
        EXPECT_FALSE(editor.modelLighting);
    }
    EXPECT_EQ(std::wstring(box->getText()), L"sxyzrlm");
}

TEST_F(EditingTest, F1StillWorksWhileTyping) {
    gui()->setFocus(findElement(ids::PositionEditX));
    gui::IGUIElement* readout = findElement(ids::CameraInfoText);
    ASSERT_NE(readout, nullptr);
    const bool shown = readout->isVisible();
    releaseKey(KEY_F1);
    EXPECT_NE(readout->isVisible(), shown);
}

TEST_F(EditingTest, LettersActAgainOnceTheFocusedBoxIsGone) {
    gui()->setFocus(findElement(ids::PositionEditX));
    updateToolBox(); // the rebuilt page leaves the old box focused but detached
    releaseKey(KEY_KEY_X);
    EXPECT_EQ(editor.editMode, MX);
}

// ---- Escape, F1, L, M -----------------------------------------------------------

class EscapeTest : public EditingTest, public testing::WithParamInterface<s32> {};

TEST_P(EscapeTest, EscapeLeavesAnyEditingModeWithoutRewritingTheStatusLine) {
    enterMode(GetParam());
    editor.statusText->setText(L"before");
    cube->setPosition({1.f, 2.f, 3.f});
    EXPECT_FALSE(releaseKey(KEY_ESCAPE));
    EXPECT_EQ(editor.editMode, None);
    EXPECT_EQ(visibleParts(), 0u);
    EXPECT_FALSE(editor.gizmoActive);
    EXPECT_TRUE(windowsVisible());
    EXPECT_TRUE(cameraTakesInput());
    EXPECT_EQ(statusText(), L"before");
    EXPECT_EQ(std::wstring(findElement(ids::PositionEditZ)->getText()), L"3.000000");
}

INSTANTIATE_TEST_SUITE_P(Modes, EscapeTest, testing::Values(MX, MY, MZ, Rot, RotY, RotX, RotZ, Sc));

TEST_F(EditingTest, EscapeInFirstPersonModeIsConsumedAndTogglesTheCameraInput) {
    editor.editMode = Fps;
    const bool before = cameraTakesInput();
    EXPECT_TRUE(releaseKey(KEY_ESCAPE));
    EXPECT_NE(cameraTakesInput(), before);
    EXPECT_TRUE(releaseKey(KEY_ESCAPE));
    EXPECT_EQ(cameraTakesInput(), before);
    EXPECT_EQ(editor.editMode, Fps);
}

TEST_F(EditingTest, EscapeWithNoModeOnlyLetsGoOfTheSelection) {
    const bool before = cameraTakesInput();
    EXPECT_FALSE(releaseKey(KEY_ESCAPE));
    EXPECT_EQ(cameraTakesInput(), before);
    EXPECT_TRUE(windowsVisible());
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    EXPECT_EQ(cube->getParent(), smgr()->getRootSceneNode());
}

TEST_F(EditingTest, F1TogglesTheCameraReadout) {
    gui::IGUIElement* readout = findElement(ids::CameraInfoText);
    ASSERT_NE(readout, nullptr);
    const bool shown = readout->isVisible();
    EXPECT_FALSE(releaseKey(KEY_F1));
    EXPECT_NE(readout->isVisible(), shown);
    releaseKey(KEY_F1);
    EXPECT_EQ(readout->isVisible(), shown);
}

TEST_F(EditingTest, LTogglesModelLightingOnTheSelectedNode) {
    EXPECT_FALSE(releaseKey(KEY_KEY_L));
    EXPECT_TRUE(editor.modelLighting);
    EXPECT_TRUE(cube->getMaterial(0).Lighting);
    EXPECT_TRUE(cube->getMaterial(0).NormalizeNormals);
    releaseKey(KEY_KEY_L);
    EXPECT_FALSE(editor.modelLighting);
    EXPECT_FALSE(cube->getMaterial(0).Lighting);
    EXPECT_FALSE(cube->getMaterial(0).NormalizeNormals);
}

TEST_F(EditingTest, LWithNothingSelectedStillTogglesModelLighting) {
    editor.selectedNode = nullptr;
    releaseKey(KEY_KEY_L);
    EXPECT_TRUE(editor.modelLighting);
}

TEST_F(EditingTest, MIsNotConsumed) {
    EXPECT_FALSE(releaseKey(KEY_KEY_M));
    EXPECT_EQ(editor.editMode, None);
}

// ---- Mouse -----------------------------------------------------------------------

struct DragCase {
    EKEY_CODE modeKey; // pressed once, or twice for the first rotate mode via R
    s32 mode;
    s32 sensitivity;
    core::vector3df positionStep, rotationStep, scaleStep;
};

class DragTest : public EditingTest, public testing::WithParamInterface<DragCase> {};

TEST_P(DragTest, DragStepsTheModesComponentsBySensitivity) {
    const DragCase& c = GetParam();
    releaseKey(c.modeKey);
    ASSERT_EQ(editor.editMode, c.mode);
    editor.moveSensitivity = c.sensitivity;
    const core::vector3df position = cube->getPosition(), rotation = cube->getRotation(), scale = cube->getScale();

    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 100, 100);
    mouseEvent(EMIE_MOUSE_MOVED, 200, 100); // right: forward
    EXPECT_EQ(cube->getPosition(), position + c.positionStep);
    EXPECT_EQ(cube->getRotation(), rotation + c.rotationStep);
    EXPECT_EQ(cube->getScale(), scale + c.scaleStep);
    mouseEvent(EMIE_MOUSE_MOVED, 200, 150); // down: forward
    EXPECT_EQ(cube->getPosition(), position + c.positionStep * 2.f);
    mouseEvent(EMIE_MOUSE_MOVED, 150, 150); // left: back
    EXPECT_EQ(cube->getPosition(), position + c.positionStep);
    EXPECT_EQ(cube->getRotation(), rotation + c.rotationStep);
    EXPECT_EQ(cube->getScale(), scale + c.scaleStep);
    mouseEvent(EMIE_MOUSE_MOVED, 250, 100); // up and right: added and taken back
    EXPECT_EQ(cube->getPosition(), position + c.positionStep);
    EXPECT_EQ(cube->getScale(), scale + c.scaleStep);

    mouseEvent(EMIE_LMOUSE_LEFT_UP, 250, 100);
    mouseEvent(EMIE_MOUSE_MOVED, 400, 400); // no button held
    EXPECT_EQ(cube->getPosition(), position + c.positionStep);
    EXPECT_EQ(cube->getRotation(), rotation + c.rotationStep);
}

const core::vector3df Zero(0, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Modes, DragTest,
    testing::Values(DragCase{KEY_KEY_X, MX, 100, {1, 0, 0}, Zero, Zero},
                    DragCase{KEY_KEY_X, MX, 250, {2, 0, 0}, Zero, Zero},
                    DragCase{KEY_KEY_Y, MY, 250, {0, 2, 0}, Zero, Zero},
                    DragCase{KEY_KEY_Z, MZ, 5000, {0, 0, 50}, Zero, Zero},
                    DragCase{KEY_KEY_R, Rot, 250, Zero, {0, 2.5f, 0}, Zero},
                    DragCase{KEY_KEY_S, Sc, 250, Zero, Zero, {2.5f, 2.5f, 2.5f}},
                    DragCase{KEY_KEY_S, Sc, 100, Zero, Zero, {1, 1, 1}}));

TEST_F(EditingTest, DragInEachRotateAxisTurnsAboutThatAxis) {
    const struct {
        EKEY_CODE key;
        core::vector3df step;
    } axes[] = {{KEY_KEY_X, {2.5f, 0, 0}}, {KEY_KEY_Y, {0, 2.5f, 0}}, {KEY_KEY_Z, {0, 0, 2.5f}}};
    editor.moveSensitivity = 250;
    releaseKey(KEY_KEY_R);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 0, 0);
    s32 x = 10;
    for (const auto& axis : axes) {
        releaseKey(axis.key);
        const core::vector3df before = cube->getRotation();
        mouseEvent(EMIE_MOUSE_MOVED, x += 10, 0);
        EXPECT_EQ(cube->getRotation(), before + axis.step);
    }
}

TEST_F(EditingTest, DragOutsideEditingChangesNothing) {
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 100, 100);
    mouseEvent(EMIE_MOUSE_MOVED, 300, 300);
    EXPECT_EQ(cube->getPosition(), Zero);
    EXPECT_EQ(editor.lastPointerX, 0.f);
}

// ---- Snapped drags ---------------------------------------------------------------

f32 axisOf(const core::vector3df& v, int axis) { return axis == 0 ? v.X : axis == 1 ? v.Y : v.Z; }

struct SnapDragCase {
    EKEY_CODE key1, key2; // key2 KEY_KEY_CODES_COUNT when unused
    s32 mode;
    int axis;             // the component dragged (scale: all three, X checked)
    s32 sensitivity;
    f32 step, start;      // the mode's snap step; every component's value before
    int smallEvents;      // forward moves that stay under half a step
    int events;           // forward moves of the whole drag
    f32 snapped, unsnapped; // the value after them, snapping on and off
};

std::ostream& operator<<(std::ostream& out, const SnapDragCase& c) { return out << std::hex << c.mode << " " << c.step; }

class SnapDragTest : public EditingTest, public testing::WithParamInterface<SnapDragCase> {
protected:
    core::vector3df value() {
        const s32 mode = GetParam().mode;
        return mode == Sc ? cube->getScale() : mode <= MZ ? cube->getPosition() : cube->getRotation();
    }
    // Drags from the start value, one pointer move at a time; each value seen is kept.
    std::vector<core::vector3df> drag(bool snapOn, int events) {
        const SnapDragCase& c = GetParam();
        editor.snapOn = snapOn;
        (c.mode <= MZ ? editor.snapPosition : c.mode == Sc ? editor.snapScale : editor.snapRotation) = c.step;
        editor.moveSensitivity = c.sensitivity;
        const core::vector3df start(c.start, c.start, c.start);
        c.mode == Sc ? cube->setScale(start) : c.mode <= MZ ? cube->setPosition(start) : cube->setRotation(start);
        if (editor.editMode != c.mode) {
            releaseKey(c.key1);
            if (c.key2 != KEY_KEY_CODES_COUNT)
                releaseKey(c.key2);
        }
        std::vector<core::vector3df> seen;
        // Each drag goes on rightwards from where the last one ended (the
        // first move of a drag is compared with the end of the one before).
        mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, x, 100);
        for (int i = 0; i < events; ++i) {
            mouseEvent(EMIE_MOUSE_MOVED, ++x, 100);
            seen.push_back(value());
        }
        mouseEvent(EMIE_LMOUSE_LEFT_UP, x, 100);
        return seen;
    }
    s32 x = 0;
};

TEST_P(SnapDragTest, ValuesLandOnWholeStepsSmallDragsDoNothingAndUndoTakesOneStep) {
    const SnapDragCase& c = GetParam();
    const size_t steps = undoHistory.size();
    drag(true, c.smallEvents);
    EXPECT_EQ(axisOf(value(), c.axis), c.start) << "less than half a step changes nothing";
    EXPECT_EQ(undoHistory.size(), steps) << "and is no step";
    for (const core::vector3df& v : drag(true, c.events)) {
        const f32 dragged = axisOf(v, c.axis), inSteps = dragged / c.step;
        EXPECT_TRUE(dragged == c.start || std::fabs(inSteps - std::round(inSteps)) < 1e-3f) << dragged;
        for (int axis = 0; axis < 3; ++axis)
            if (c.mode != Sc && axis != c.axis)
                EXPECT_EQ(axisOf(v, axis), c.start) << "axis " << axis << " is not dragged";
    }
    EXPECT_NEAR(axisOf(value(), c.axis), c.snapped, 1e-4f) << "the slow drag got there";
    wchar_t shown[32];
    swprintf(shown, 32, L": %0.6f", static_cast<double>(c.snapped));
    EXPECT_NE(statusText().find(shown), std::wstring::npos) << "the status line shows the snapped value";
    EXPECT_EQ(undoHistory.size(), steps + 1);
    undoLastChange();
    EXPECT_EQ(axisOf(value(), c.axis), c.start);
    drag(false, c.events);
    EXPECT_NEAR(axisOf(value(), c.axis), c.unsnapped, 1e-3f) << "snapping off: the plain steps";
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SnapDragTest,
    testing::Values(
        // Position: one unit per move at sensitivity 100, 25 at 2500.
        SnapDragCase{KEY_KEY_X, KEY_KEY_CODES_COUNT, MX, 0, 100, 100.f, 3.7f, 46, 120, 100.f, 123.7f},
        SnapDragCase{KEY_KEY_Y, KEY_KEY_CODES_COUNT, MY, 1, 100, 100.f, 3.7f, 46, 150, 200.f, 153.7f},
        SnapDragCase{KEY_KEY_Z, KEY_KEY_CODES_COUNT, MZ, 2, 2500, 100.f, 3.7f, 1, 5, 100.f, 128.7f},
        SnapDragCase{KEY_KEY_X, KEY_KEY_CODES_COUNT, MX, 0, 100, 10.f, -3.f, 4, 9, 10.f, 6.f},
        // Rotation: one degree per move, 2.5 at 250.
        SnapDragCase{KEY_KEY_R, KEY_KEY_CODES_COUNT, Rot, 1, 100, 15.f, 7.f, 7, 20, 30.f, 27.f},
        SnapDragCase{KEY_KEY_R, KEY_KEY_Y, RotY, 1, 100, 15.f, 0.f, 7, 8, 15.f, 8.f},
        SnapDragCase{KEY_KEY_R, KEY_KEY_X, RotX, 0, 100, 15.f, 7.f, 7, 8, 15.f, 15.f},
        SnapDragCase{KEY_KEY_R, KEY_KEY_Z, RotZ, 2, 250, 15.f, 7.f, 2, 9, 30.f, 29.5f},
        // Scale: a move adds 1 at the lowest sensitivity; a small drag needs a larger step.
        SnapDragCase{KEY_KEY_S, KEY_KEY_CODES_COUNT, Sc, 0, 100, 0.1f, 1.03f, 0, 2, 3.f, 3.03f},
        SnapDragCase{KEY_KEY_S, KEY_KEY_CODES_COUNT, Sc, 0, 100, 4.f, 1.03f, 1, 3, 4.f, 4.03f}));

struct RightClickCase {
    EKEY_CODE second; // after R
    s32 mode;
    bool resets;
};

class RightClickTest : public EditingTest, public testing::WithParamInterface<RightClickCase> {};

TEST_P(RightClickTest, RightClickResetsTheRotationInAxisRotateModesOnly) {
    releaseKey(KEY_KEY_R);
    if (GetParam().second != KEY_KEY_R)
        releaseKey(GetParam().second);
    ASSERT_EQ(editor.editMode, GetParam().mode);
    cube->setRotation({10.f, 20.f, 30.f});
    mouseEvent(EMIE_RMOUSE_PRESSED_DOWN, 50, 50);
    mouseEvent(EMIE_RMOUSE_LEFT_UP, 50, 50);
    EXPECT_EQ(cube->getRotation(), GetParam().resets ? Zero : core::vector3df(10.f, 20.f, 30.f));
}

INSTANTIATE_TEST_SUITE_P(Modes, RightClickTest,
                         testing::Values(RightClickCase{KEY_KEY_X, RotX, true}, RightClickCase{KEY_KEY_Y, RotY, true},
                                         RightClickCase{KEY_KEY_Z, RotZ, true},
                                         RightClickCase{KEY_KEY_R, Rot, false}));

TEST_F(EditingTest, RightClickOutsideEditingKeepsTheRotation) {
    cube->setRotation({10.f, 20.f, 30.f});
    editor.editMode = RotX; // mode left over without editing on
    mouseEvent(EMIE_RMOUSE_LEFT_UP, 50, 50);
    EXPECT_EQ(cube->getRotation(), core::vector3df(10.f, 20.f, 30.f));
}

// ---- Several nodes ------------------------------------------------------------------

// Two nodes 20 apart on X (centre at the origin) and a child under the left
// one: all three selected, the child moves once, with its parent.
class GroupEditingTest : public EditingTest {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        child = addNode(scene::ESNT_SPHERE, 0); // under the cube
        pickInTree(nullptr);
        other = addNode(scene::ESNT_SPHERE, 0);
        cube->setPosition({-10.f, 0.f, 0.f});
        other->setPosition({10.f, 0.f, 0.f});
        child->setPosition({0.f, 0.f, 5.f});
        activePasses(2);
        setSelectedNodes({child, other, cube});
        ASSERT_EQ(selectedNodes().size(), 3u);
        updateToolBox();
    }

    core::vector3df world(scene::ISceneNode* node) { return worldTransformationOf(node).getTranslation(); }

    scene::ISceneNode* child = nullptr;
    scene::ISceneNode* other = nullptr;
};

struct GroupDragCase {
    EKEY_CODE key1, key2; // key2 KEY_KEY_CODES_COUNT when unused
    s32 mode;
    core::vector3df cubeWorld, otherWorld; // after one forward step at sensitivity 100
    core::vector3df cubeRotation, cubeScale;
};

std::ostream& operator<<(std::ostream& out, const GroupDragCase& c) { return out << "mode " << std::hex << c.mode; }

class GroupDragTest : public GroupEditingTest, public testing::WithParamInterface<GroupDragCase> {};

TEST_P(GroupDragTest, AllSelectedMoveTurnAndScaleAboutTheirCentre) {
    const GroupDragCase& c = GetParam();
    releaseKey(c.key1);
    if (c.key2 != KEY_KEY_CODES_COUNT)
        releaseKey(c.key2);
    ASSERT_EQ(editor.editMode, c.mode);
    ASSERT_EQ(topmostSelectedNodes(), (std::vector<scene::ISceneNode*>{other, cube}));
    activePasses(1);
    EXPECT_TRUE(editor.gizmoAnchor->getPosition().equals({0.f, 0.f, 0.f}, 0.001f)) << "the gizmo at the centre";
    const core::vector3df childOffset = world(child) - world(cube);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 400, 300);
    mouseEvent(EMIE_MOUSE_MOVED, 410, 300); // one step forward
    mouseEvent(EMIE_LMOUSE_LEFT_UP, 410, 300);
    EXPECT_TRUE(world(cube).equals(c.cubeWorld, 0.01f)) << world(cube).X << " " << world(cube).Y << " " << world(cube).Z;
    EXPECT_TRUE(world(other).equals(c.otherWorld, 0.01f)) << world(other).X << " " << world(other).Z;
    EXPECT_TRUE(cube->getRotation().equals(c.cubeRotation, 0.01f));
    EXPECT_TRUE(other->getRotation().equals(c.cubeRotation, 0.01f));
    EXPECT_TRUE(cube->getScale().equals(c.cubeScale, 0.001f));
    EXPECT_EQ(child->getPosition(), core::vector3df(0.f, 0.f, 5.f)) << "the child moved once, with its parent";
    if (c.mode >= ids::ModeMoveX && c.mode <= ids::ModeMoveZ)
        EXPECT_TRUE((world(child) - world(cube)).equals(childOffset, 0.001f));
}

const core::vector3df One(1, 1, 1);

INSTANTIATE_TEST_SUITE_P(
    Modes, GroupDragTest,
    testing::Values(
        GroupDragCase{KEY_KEY_X, KEY_KEY_CODES_COUNT, MX, {-9, 0, 0}, {11, 0, 0}, Zero, One},
        GroupDragCase{KEY_KEY_Z, KEY_KEY_CODES_COUNT, MZ, {-10, 0, 1}, {10, 0, 1}, Zero, One},
        // One degree about Y: the pair turns about the centre and each node with it.
        GroupDragCase{KEY_KEY_R, KEY_KEY_Y, RotY, {-9.998477f, 0, 0.174524f}, {9.998477f, 0, -0.174524f}, {0, 1, 0}, One},
        // Scale 1 -> 2: each place twice as far from the centre.
        GroupDragCase{KEY_KEY_S, KEY_KEY_CODES_COUNT, Sc, {-20, 0, 0}, {20, 0, 0}, Zero, {2, 2, 2}}));

// Snapping a group: the primary (the cube, at -10) lands on a whole step and
// the others keep their places relative to it.
struct GroupSnapCase {
    EKEY_CODE key1, key2;
    s32 mode;
    s32 sensitivity;
    f32 scaleStep;
    int smallEvents, events;
    core::vector3df cubeWorld, otherWorld, rotation, scale;
};

class GroupSnapTest : public GroupEditingTest, public testing::WithParamInterface<GroupSnapCase> {};

TEST_P(GroupSnapTest, ThePrimaryLandsOnAWholeStepAndTheGroupKeepsItsShape) {
    const GroupSnapCase& c = GetParam();
    editor.snapOn = true;
    editor.snapScale = c.scaleStep;
    editor.moveSensitivity = c.sensitivity;
    releaseKey(c.key1);
    if (c.key2 != KEY_KEY_CODES_COUNT)
        releaseKey(c.key2);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 0, 300);
    for (s32 x = 1; x <= c.events; ++x) {
        mouseEvent(EMIE_MOUSE_MOVED, x, 300);
        if (x == c.smallEvents)
            EXPECT_TRUE(world(cube).equals({-10.f, 0.f, 0.f}, 1e-4f) && world(other).equals({10.f, 0.f, 0.f}, 1e-4f));
    }
    mouseEvent(EMIE_LMOUSE_LEFT_UP, c.events, 300);
    EXPECT_TRUE(world(cube).equals(c.cubeWorld, 0.01f)) << world(cube).X << " " << world(cube).Z;
    EXPECT_TRUE(world(other).equals(c.otherWorld, 0.01f)) << world(other).X << " " << world(other).Z;
    EXPECT_TRUE(cube->getRotation().equals(c.rotation, 0.01f) && other->getRotation().equals(c.rotation, 0.01f));
    EXPECT_TRUE(cube->getScale().equals(c.scale, 0.001f));
    EXPECT_EQ(child->getPosition(), core::vector3df(0.f, 0.f, 5.f));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, GroupSnapTest,
    testing::Values(
        GroupSnapCase{KEY_KEY_X, KEY_KEY_CODES_COUNT, MX, 100, 0.1f, 46, 70, {100, 0, 0}, {120, 0, 0}, Zero, One},
        GroupSnapCase{KEY_KEY_Z, KEY_KEY_CODES_COUNT, MZ, 100, 0.1f, 49, 51, {-10, 0, 100}, {10, 0, 100}, Zero, One},
        // 20 degrees of drag turn the pair by 15 about its centre.
        GroupSnapCase{KEY_KEY_R, KEY_KEY_Y, RotY, 100, 0.1f, 7, 20, {-9.659258f, 0, 2.588190f},
                      {9.659258f, 0, -2.588190f}, {0, 15, 0}, One},
        // 1.5 of drag with a step of 2: the cube from 1 to 2, twice as far from the centre.
        GroupSnapCase{KEY_KEY_S, KEY_KEY_CODES_COUNT, Sc, 150, 2.f, 0, 1, {-20, 0, 0}, {20, 0, 0}, Zero, {2, 2, 2}}));

TEST_F(GroupEditingTest, OneSelectedUnderARotatedParentMovesAlongTheWorldAxis) {
    cube->setRotation({0.f, 90.f, 0.f});
    setSelectedNodes({cube, child}); // the child is the primary, under a selected parent
    releaseKey(KEY_KEY_X);
    const core::vector3df before = world(cube);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 400, 300);
    mouseEvent(EMIE_MOUSE_MOVED, 410, 300);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, 410, 300);
    EXPECT_TRUE(world(cube).equals(before + core::vector3df(1.f, 0.f, 0.f), 0.001f));
    EXPECT_EQ(child->getPosition(), core::vector3df(0.f, 0.f, 5.f));
}

TEST_F(GroupEditingTest, RightClickResetsEverySelectedRotation) {
    cube->setRotation({10.f, 20.f, 30.f});
    other->setRotation({5.f, 5.f, 5.f});
    releaseKey(KEY_KEY_R);
    releaseKey(KEY_KEY_X);
    mouseEvent(EMIE_RMOUSE_LEFT_UP, 50, 50);
    EXPECT_EQ(cube->getRotation(), Zero);
    EXPECT_EQ(other->getRotation(), Zero);
}

TEST_F(GroupEditingTest, EscapeWithoutAModeClearsTheSelectionButNotWhileTyping) {
    gui()->setFocus(findElement(ids::PositionEditX));
    releaseKey(KEY_ESCAPE);
    EXPECT_EQ(selectedNodes().size(), 3u) << "Escape in a text field belongs to the text";
    gui()->removeFocus(findElement(ids::PositionEditX));
    // Escape on an open menu closes it, and only that.
    gui::IGUIContextMenu* fileMenu = static_cast<gui::IGUIContextMenu*>(findElement(ids::MenuBar))->getSubMenu(0);
    fileMenu->setVisible(true);
    editor.device->postEventFromUser(test::keyEvent(KEY_ESCAPE, true));
    releaseKey(KEY_ESCAPE);
    EXPECT_FALSE(fileMenu->isVisible()) << "Escape closes the open menu";
    EXPECT_EQ(selectedNodes().size(), 3u) << "Escape on an open menu belongs to the menu";
    releaseKey(KEY_KEY_X);
    releaseKey(KEY_ESCAPE); // first Escape: the mode ends, the selection stays
    EXPECT_EQ(editor.editMode, ids::ModeNone);
    EXPECT_EQ(selectedNodes().size(), 3u);
    releaseKey(KEY_ESCAPE);
    EXPECT_TRUE(selectedNodes().empty());
    EXPECT_EQ(editor.selectedNode, nullptr);
}

// ---- Wheel zoom and framing -------------------------------------------------------

class ViewTest : public EditingTest {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        for (scene::ISceneNodeAnimator* animator : editor.cameraMaya1->getAnimators())
            if (animator->getType() == scene::ESNAT_CAMERA_MAYA)
                orbit = static_cast<scene::ISceneNodeAnimatorCameraMaya*>(animator);
        ASSERT_NE(orbit, nullptr);
    }
    void wheel(core::position2di at, f32 notches) {
        SEvent event = {};
        event.EventType = EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = EMIE_MOUSE_WHEEL;
        event.MouseInput.X = at.X;
        event.MouseInput.Y = at.Y;
        event.MouseInput.Wheel = notches;
        editor.device->postEventFromUser(event);
    }
    // F going down with Control (and Control let go or not before it comes up).
    void tapF(bool controlDown = false, bool controlUp = false) {
        SEvent event = test::keyEvent(KEY_KEY_F, true);
        event.KeyInput.Control = controlDown;
        editor.device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        event.KeyInput.Control = controlUp;
        editor.device->postEventFromUser(event);
    }
    core::aabbox3df worldBox(scene::ISceneNode* node) {
        core::aabbox3df box = node->getBoundingBox();
        worldTransformationOf(node).transformBoxEx(box);
        return box;
    }
    // Once the camera has taken its place: every corner of the box is on the
    // screen; returns how much of the screen's width or height they span.
    f32 screenShareOf(const core::aabbox3df& box) {
        activePasses(2);
        const core::dimension2du screen = editor.device->getVideoDriver()->getScreenSize();
        core::vector3df corners[8];
        box.getEdges(corners);
        core::rect<s32> seen(screen.Width, screen.Height, 0, 0);
        for (const core::vector3df& corner : corners) {
            const core::position2di at = smgr()->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
                corner, smgr()->getActiveCamera());
            EXPECT_TRUE(core::rect<s32>(0, 0, screen.Width + 1, screen.Height + 1).isPointInside(at)) << at.X << " " << at.Y;
            seen.addInternalPoint(at); // the inverted start grows to the first point
        }
        return std::max(f32(seen.getWidth()) / screen.Width, f32(seen.getHeight()) / screen.Height);
    }
    scene::ISceneNodeAnimatorCameraMaya* orbit = nullptr;
};

struct WheelCase {
    const char* where;
    f32 notches;
    bool zooms;
};

std::ostream& operator<<(std::ostream& out, const WheelCase& c) { return out << c.where << " " << c.notches; }

class WheelTest : public ViewTest, public testing::WithParamInterface<WheelCase> {};

TEST_P(WheelTest, TheWheelZoomsTheOrbitCameraOnlyOverTheView) {
    const std::string where = GetParam().where;
    core::position2di at(500, 500); // in the view, between the scene box and the tool box
    for (s32 id : {ids::ToolBoxWindow, ids::SceneBoxWindow})
        ASSERT_FALSE(findElement(id)->getAbsolutePosition().isPointInside(at));
    if (where == "tool box" || where == "scene box")
        at = findElement(where == "tool box" ? ids::ToolBoxWindow : ids::SceneBoxWindow)->getAbsolutePosition().getCenter();
    else if (where == "toolbar" || where == "menu bar")
        at = where == "toolbar" ? findElement(ids::StatusText)->getAbsolutePosition().getCenter() : core::position2di(300, 5);
    else if (where == "message box")
        gui()->addMessageBox(L"caption", L"text", true);
    const f32 before = orbit->getDistance();
    wheel(at, GetParam().notches);
    EXPECT_NEAR(orbit->getDistance(), before * (GetParam().zooms ? std::pow(kWheelZoomFactor, GetParam().notches) : 1.f), 1e-3f);
    activePasses(2);
    EXPECT_NEAR((editor.cameraMaya1->getAbsolutePosition() - editor.cameraMaya1->getTarget()).getLength(),
                orbit->getDistance(), 1e-2f) << "the camera stands that far from its target";
}

INSTANTIATE_TEST_SUITE_P(Places, WheelTest,
                         testing::Values(WheelCase{"view", 1.f, true}, WheelCase{"view", -2.f, true},
                                         WheelCase{"tool box", 1.f, false}, WheelCase{"scene box", -1.f, false},
                                         WheelCase{"menu bar", 1.f, false}, WheelCase{"toolbar", 1.f, false},
                                         WheelCase{"message box", 1.f, false}));

TEST_F(ViewTest, TheWheelStopsAtItsLimitsAndTheFirstPersonCameraIgnoresIt) {
    for (f32 notches : {10.f, -10.f}) {
        for (int i = 0; i < 60; ++i)
            wheel({500, 500}, notches);
        EXPECT_EQ(orbit->getDistance(), notches > 0 ? nearestOrbitDistance() : farthestOrbitDistance(editor.cameraMaya1));
    }
    chooseMenuCommand(ids::CmdCameraFps);
    activePasses(1);
    const core::vector3df place = editor.cameraFps->getPosition();
    const f32 orbitDistance = orbit->getDistance();
    wheel({500, 500}, 2.f);
    activePasses(1);
    EXPECT_EQ(editor.cameraFps->getPosition(), place);
    EXPECT_EQ(orbit->getDistance(), orbitDistance);
}

enum class Framed { Cube, Child, Pair, Nothing };

struct FrameCase {
    const char* what;
    Framed framed;
    core::vector3df position, scale;
    bool firstPerson;
};

std::ostream& operator<<(std::ostream& out, const FrameCase& c) { return out << c.what; }

class FrameTest : public ViewTest, public testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, FPutsTheTargetAtTheCentreAndFitsTheSelectionInTheView) {
    const FrameCase& c = GetParam();
    cube->setPosition(c.position);
    cube->setScale(c.scale);
    cube->setRotation({0.f, 30.f, 0.f});
    core::aabbox3df box = worldBox(cube);
    if (c.framed == Framed::Child) { // a sphere under the cube, selected alone
        scene::ISceneNode* child = addNode(scene::ESNT_SPHERE, 0);
        child->setPosition({20.f, 5.f, 0.f});
        setSelectedNodes({child});
        box = worldBox(child);
    } else if (c.framed == Framed::Pair) { // far apart on every axis: as big from any side
        scene::ISceneNode* other = addNode(scene::ESNT_CUBE, 0);
        other->setPosition({-200.f, 400.f, -400.f});
        setSelectedNodes({other, cube});
        box = worldBox(cube);
        box.addInternalBox(worldBox(other));
    } else if (c.framed == Framed::Nothing) { // the grid and the sky do not count
        releaseKey(KEY_ESCAPE);
        ASSERT_EQ(editor.selectedNode, nullptr);
    }
    if (c.firstPerson)
        chooseMenuCommand(ids::CmdCameraFps);
    tapF();
    EXPECT_TRUE(smgr()->getActiveCamera()->getTarget().equals(box.getCenter(), box.getExtent().getLength() * 1e-4f));
    EXPECT_GT(screenShareOf(box), 0.35f) << "the selection fills the view";
}

INSTANTIATE_TEST_SUITE_P(
    Selections, FrameTest,
    testing::Values(FrameCase{"small", Framed::Cube, {0, 0, 0}, {1, 1, 1}, false},
                    FrameCase{"big", Framed::Cube, {500, 40, -300}, {100, 100, 100}, false},
                    FrameCase{"flat", Framed::Cube, {-50, 0, 20}, {30, 0.1f, 2}, false},
                    FrameCase{"nested", Framed::Child, {100, 0, 0}, {2, 2, 2}, false},
                    FrameCase{"group", Framed::Pair, {200, 0, 0}, {1, 1, 1}, false},
                    FrameCase{"nothing selected", Framed::Nothing, {300, 0, 0}, {1, 1, 1}, false},
                    FrameCase{"first person", Framed::Cube, {-400, 100, 250}, {1, 1, 1}, true}));

TEST_F(ViewTest, FDoesNothingWithControlOrAltWhileTypingOrUnderAModalWindow) {
    cube->setPosition({300.f, 0.f, 0.f});
    const core::vector3df target = editor.cameraMaya1->getTarget();
    tapF(true, true);
    tapF(true, false); // Control let go before the letter
    editor.device->postEventFromUser(test::keyEvent(KEY_LMENU, true));
    tapF();
    editor.device->postEventFromUser(test::keyEvent(KEY_LMENU, false));
    gui()->setFocus(findElement(ids::PositionEditX));
    tapF();
    gui()->removeFocus(findElement(ids::PositionEditX));
    gui::IGUIWindow* box = gui()->addMessageBox(L"caption", L"text", true);
    tapF();
    EXPECT_EQ(editor.cameraMaya1->getTarget(), target);
    box->remove();
    tapF();
    EXPECT_TRUE(editor.cameraMaya1->getTarget().equals({300.f, 0.f, 0.f}, 0.01f)) << "plain F";
}

TEST_F(EditingTest, CameraAndWindowsSwitchTogether) {
    setCameraAndWindowsEnabled(false);
    EXPECT_FALSE(windowsVisible());
    EXPECT_FALSE(cameraTakesInput());
    setCameraAndWindowsEnabled(true);
    EXPECT_TRUE(windowsVisible());
    EXPECT_TRUE(cameraTakesInput());
    findElement(ids::SceneBoxWindow)->remove();
    setCameraAndWindowsEnabled(false); // a closed window is skipped
    EXPECT_FALSE(findElement(ids::ToolBoxWindow)->isVisible());
    toggleCameraInput();
    EXPECT_TRUE(cameraTakesInput());
}

// ---- Modifiers, Ctrl+D, Delete and the Scene menu entries -------------------------

// A key as the engine delivers it, with Control as the event reports it.
bool postKey(EKEY_CODE key, bool down, bool control, wchar_t ch = 0) {
    SEvent event = test::keyEvent(key, down);
    event.KeyInput.Control = control;
    event.KeyInput.Char = ch;
    return editor.device->postEventFromUser(event);
}

// How the modifier is held around a letter: Control as the key goes down and
// up, Control let go before the letter comes up (so its release says no
// Control), or Alt held (which the engine reports only as its own key).
enum class Held { Nothing, Control, ControlLetGoFirst, Alt };

void pressLetterWith(EKEY_CODE key, Held held) {
    if (held == Held::Alt)
        postKey(KEY_LMENU, true, false);
    const bool control = held == Held::Control || held == Held::ControlLetGoFirst;
    if (control)
        postKey(KEY_LCONTROL, true, true);
    postKey(key, true, control);
    if (held == Held::ControlLetGoFirst)
        postKey(KEY_LCONTROL, false, false);
    postKey(key, false, held == Held::Control);
    if (held == Held::Control)
        postKey(KEY_LCONTROL, false, false);
    if (held == Held::Alt)
        postKey(KEY_LMENU, false, false);
}

struct HeldCase {
    EKEY_CODE key;
    Held held;
};

std::ostream& operator<<(std::ostream& out, const HeldCase& c) {
    return out << "key " << char(c.key) << " held " << static_cast<int>(c.held);
}

class HeldLetterTest : public EditingTest, public testing::WithParamInterface<HeldCase> {};

TEST_P(HeldLetterTest, LetterActsOnlyWithNeitherControlNorAltHeld) {
    const HeldCase& c = GetParam();
    const bool plain = c.held == Held::Nothing;
    pressLetterWith(c.key, c.held);
    if (c.key == KEY_KEY_L) {
        EXPECT_EQ(editor.modelLighting, plain);
    } else {
        EXPECT_EQ(editor.editMode != None, plain);
        EXPECT_EQ(editor.gizmoActive, plain);
    }
    // The next plain press of the same letter acts again.
    if (!plain) {
        pressLetterWith(c.key, Held::Nothing);
        EXPECT_TRUE(c.key == KEY_KEY_L ? editor.modelLighting : editor.editMode != None);
    }
}

std::vector<HeldCase> heldCases() {
    std::vector<HeldCase> cases;
    // Ctrl+X, Ctrl+Y and Ctrl+Z are the cut, redo and undo chords, Ctrl+S
    // saves (the save window it opens would take the next S).
    for (EKEY_CODE key : {KEY_KEY_X, KEY_KEY_Y, KEY_KEY_Z, KEY_KEY_S})
        for (Held held : {Held::Nothing, Held::Alt})
            cases.push_back({key, held});
    for (EKEY_CODE key : {KEY_KEY_R, KEY_KEY_L})
        for (Held held : {Held::Nothing, Held::Control, Held::ControlLetGoFirst, Held::Alt})
            cases.push_back({key, held});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Keys, HeldLetterTest, testing::ValuesIn(heldCases()));

TEST_F(EditingTest, CtrlSThenADragScalesNothing) {
    cube->setScale({1.f, 1.f, 1.f});
    pressLetterWith(KEY_KEY_S, Held::ControlLetGoFirst);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 100, 100);
    mouseEvent(EMIE_MOUSE_MOVED, 300, 300);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, 300, 300);
    EXPECT_EQ(cube->getScale(), core::vector3df(1.f, 1.f, 1.f));
    EXPECT_EQ(editor.editMode, None);
}

TEST_F(EditingTest, ALetterTypedIntoABoxRunsNothingWhenTheFocusLeavesBeforeItsRelease) {
    gui::IGUIElement* box = findElement(ids::PositionEditX);
    gui()->setFocus(box);
    postKey(KEY_KEY_S, true, false, L's');
    gui()->removeFocus(box);
    postKey(KEY_KEY_S, false, false, L's');
    EXPECT_EQ(editor.editMode, None);
}

class DuplicateDeleteKeysTest : public EditingTest {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        pickInTree(nullptr);
        sphere = addNode(scene::ESNT_SPHERE, 0);
        activePasses(2);
        clickTreeRow(cube, false);
        clickTreeRow(sphere, true);
        ASSERT_EQ(selectedNodes().size(), 2u);
    }

    unsigned userNodes() { return test::countUserNodes(editor.sceneManager->getRootSceneNode()); }

    void ctrlD() {
        EXPECT_TRUE(postKey(KEY_KEY_D, true, true));
        EXPECT_TRUE(postKey(KEY_KEY_D, false, false)) << "the release of the chord is taken";
    }

    scene::ISceneNode* sphere = nullptr;
};

TEST_F(DuplicateDeleteKeysTest, CtrlDDuplicatesEverySelectedNodeAsOneStep) {
    const size_t steps = undoHistory.size();
    ctrlD();
    EXPECT_EQ(userNodes(), 4u);
    EXPECT_EQ(undoHistory.size(), steps + 1);
    const std::vector<scene::ISceneNode*> copies = selectedNodes();
    ASSERT_EQ(copies.size(), 2u) << "the copies become the selection";
    EXPECT_NE(copies[0], cube);
    EXPECT_NE(copies[1], sphere);
    EXPECT_EQ(editor.editMode, None);
    undoLastChange();
    EXPECT_EQ(userNodes(), 2u) << "one undo takes both copies away";
}

TEST_F(DuplicateDeleteKeysTest, DeleteTakesEverySelectedNodeAsOneStepButNotWhileTyping) {
    gui()->setFocus(findElement(ids::PositionEditX));
    postKey(KEY_DELETE, true, false);
    postKey(KEY_DELETE, false, false);
    EXPECT_EQ(userNodes(), 2u) << "Delete in a field deletes text";
    gui()->removeFocus(findElement(ids::PositionEditX));
    const size_t steps = undoHistory.size();
    releaseKey(KEY_DELETE);
    EXPECT_EQ(userNodes(), 0u);
    EXPECT_EQ(undoHistory.size(), steps + 1);
    EXPECT_TRUE(selectedNodes().empty());
    EXPECT_EQ(editor.selectedNode, nullptr);
    undoLastChange();
    EXPECT_EQ(userNodes(), 2u);
}

struct SceneMenuEntryCase {
    s32 command;
    const wchar_t* key;
    const wchar_t* shortcut;
    unsigned nodesAfter; // two nodes selected before
};

class SceneMenuEntryTest : public DuplicateDeleteKeysTest, public testing::WithParamInterface<SceneMenuEntryCase> {};

TEST_P(SceneMenuEntryTest, EntryShowsItsKeyFollowsTheSelectionAndActs) {
    const SceneMenuEntryCase& c = GetParam();
    s32 index = -1;
    gui::IGUIContextMenu* menu = menuHolding(c.command, &index);
    ASSERT_NE(menu, nullptr);
    const std::wstring caption = menu->getItemText(index);
    EXPECT_EQ(caption, std::wstring(translate(c.key).c_str()));
    EXPECT_NE(caption.find(c.shortcut), std::wstring::npos) << "the caption shows the key";
    updateSelectionMenuItems();
    EXPECT_TRUE(menu->isItemEnabled(index));
    chooseMenuCommand(c.command);
    EXPECT_EQ(userNodes(), c.nodesAfter);
    pickInTree(nullptr);
    updateSelectionMenuItems();
    EXPECT_FALSE(menu->isItemEnabled(index)) << "nothing selected";
}

INSTANTIATE_TEST_SUITE_P(Entries, SceneMenuEntryTest,
                         testing::Values(SceneMenuEntryCase{ids::CmdDuplicate, L"menu_scene_duplicate", L"(Ctrl+D)", 4},
                                         SceneMenuEntryCase{ids::CmdDelete, L"menu_scene_delete", L"(Del)", 0}));

} // namespace
} // namespace sorn
