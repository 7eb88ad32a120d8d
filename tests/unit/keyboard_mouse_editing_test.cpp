// Keyboard and mouse editing of the selected node: the mode keys and the gizmo,
// Escape, F1, L and M, the modal and typing guards, drags and the right click,
// all delivered through the device the way the engine delivers them.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "events/KeyboardMouseEditing.h"
#include "events/UndoCommands.h"
#include "events/ViewNavigation.h"
#include "scene/UndoHistory.h"
#include "scene/NodeCatalogue.h"
#include "scene/SelectedNodes.h"
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

// Which value a mode drags, read off a node.
core::vector3df draggedValue(scene::ISceneNode* node, s32 mode) {
    if (mode == Sc)
        return node->getScale();
    if (mode >= Rot && mode <= RotZ)
        return node->getRotation();
    return node->getPosition();
}

bool isMultipleOf(f32 value, f32 step) {
    const f32 steps = value / step;
    return std::fabs(steps - std::round(steps)) < 1e-3f;
}

struct SnapDragCase {
    EKEY_CODE key1, key2; // key2 KEY_KEY_CODES_COUNT when unused
    s32 mode;
    int axis;             // the component dragged (scale: all three)
    s32 sensitivity;
    f32 snapStep;         // the mode's snap step for this case
    f32 start;            // the dragged components' value before the drag
    int smallEvents;      // forward events that stay under half a step
    int events;           // forward events of the whole drag
    f32 snapped;          // the value after the whole drag, snapping on
    f32 unsnapped;        // the same drag, snapping off
};

std::ostream& operator<<(std::ostream& out, const SnapDragCase& c) {
    return out << "mode " << std::hex << c.mode << std::dec << " axis " << c.axis << " step " << c.snapStep;
}

f32 axisOf(const core::vector3df& v, int axis) { return axis == 0 ? v.X : axis == 1 ? v.Y : v.Z; }

class SnapDragTest : public EditingTest, public testing::WithParamInterface<SnapDragCase> {
protected:
    void startDrag(bool snapOn) {
        const SnapDragCase& c = GetParam();
        editor.snapOn = snapOn;
        editor.snapPosition = c.mode <= MZ ? c.snapStep : 0.f;
        editor.snapRotation = c.mode >= Rot && c.mode <= RotZ ? c.snapStep : 15.f;
        editor.snapScale = c.mode == Sc ? c.snapStep : 0.1f;
        editor.moveSensitivity = c.sensitivity;
        const core::vector3df start(c.start, c.start, c.start);
        c.mode == Sc ? cube->setScale(start) : c.mode <= MZ ? cube->setPosition(start) : cube->setRotation(start);
        releaseKey(c.key1);
        if (c.key2 != KEY_KEY_CODES_COUNT)
            releaseKey(c.key2);
        ASSERT_EQ(editor.editMode, c.mode);
        mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 0, 100);
        x = 0;
    }
    void forward(int events) {
        for (int i = 0; i < events; ++i)
            mouseEvent(EMIE_MOUSE_MOVED, ++x, 100);
    }
    s32 x = 0;
};

TEST_P(SnapDragTest, TheDraggedValueLandsOnWholeStepsAndSmallDragsDoNothing) {
    const SnapDragCase& c = GetParam();
    startDrag(true);
    const core::vector3df before = draggedValue(cube, c.mode);
    forward(c.smallEvents);
    EXPECT_EQ(draggedValue(cube, c.mode), before) << "less than half a step changes nothing";
    for (int i = c.smallEvents; i < c.events; ++i) {
        forward(1);
        const core::vector3df now = draggedValue(cube, c.mode);
        for (int axis = 0; axis < 3; ++axis) {
            const bool dragged = c.mode == Sc || axis == c.axis;
            if (!dragged)
                EXPECT_EQ(axisOf(now, axis), axisOf(before, axis)) << "axis " << axis << " is not dragged";
            else if (axisOf(now, axis) != c.start)
                EXPECT_TRUE(isMultipleOf(axisOf(now, axis), c.snapStep)) << axisOf(now, axis) << " after " << i;
        }
    }
    EXPECT_NEAR(axisOf(draggedValue(cube, c.mode), c.axis), c.snapped, 1e-4f) << "the slow drag got there";
    mouseEvent(EMIE_LMOUSE_LEFT_UP, x, 100);
    wchar_t shown[32];
    swprintf(shown, 32, L": %0.6f", static_cast<double>(c.snapped));
    EXPECT_NE(statusText().find(shown), std::wstring::npos) << "the status line shows the snapped value";
}

TEST_P(SnapDragTest, WithSnappingOffTheSameDragIsNotRounded) {
    const SnapDragCase& c = GetParam();
    startDrag(false);
    forward(c.events);
    EXPECT_NEAR(axisOf(draggedValue(cube, c.mode), c.axis), c.unsnapped, 1e-3f);
}

TEST_P(SnapDragTest, ASnappedDragIsOneUndoStepAndASmallOneNone) {
    const SnapDragCase& c = GetParam();
    startDrag(true);
    const size_t steps = undoHistory.size();
    forward(c.smallEvents);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, x, 100);
    EXPECT_EQ(undoHistory.size(), steps) << "a drag that changed nothing is no step";
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, x, 100);
    forward(c.events);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, x, 100);
    EXPECT_EQ(undoHistory.size(), steps + 1);
    undoLastChange();
    EXPECT_EQ(axisOf(draggedValue(cube, c.mode), c.axis), c.start);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SnapDragTest,
    testing::Values(
        // Position: the grid spacing (100) by default; one unit per event.
        SnapDragCase{KEY_KEY_X, KEY_KEY_CODES_COUNT, MX, 0, 100, 100.f, 3.7f, 46, 120, 100.f, 123.7f},
        SnapDragCase{KEY_KEY_Y, KEY_KEY_CODES_COUNT, MY, 1, 100, 100.f, 3.7f, 46, 150, 200.f, 153.7f},
        SnapDragCase{KEY_KEY_Z, KEY_KEY_CODES_COUNT, MZ, 2, 2500, 100.f, 3.7f, 1, 5, 100.f, 128.7f},
        SnapDragCase{KEY_KEY_X, KEY_KEY_CODES_COUNT, MX, 0, 100, 10.f, -3.f, 4, 9, 10.f, 6.f},
        // Rotation: 15 degrees; one degree per event, 2.5 at 250.
        SnapDragCase{KEY_KEY_R, KEY_KEY_CODES_COUNT, Rot, 1, 100, 15.f, 7.f, 7, 20, 30.f, 27.f},
        SnapDragCase{KEY_KEY_R, KEY_KEY_Y, RotY, 1, 100, 15.f, 0.f, 7, 8, 15.f, 8.f},
        SnapDragCase{KEY_KEY_R, KEY_KEY_X, RotX, 0, 100, 15.f, 7.f, 7, 8, 15.f, 15.f},
        SnapDragCase{KEY_KEY_R, KEY_KEY_Z, RotZ, 2, 250, 15.f, 7.f, 2, 9, 30.f, 29.5f},
        // Scale: 0.1 by default; one event adds 1 at the lowest sensitivity,
        // so a small drag needs a larger step.
        SnapDragCase{KEY_KEY_S, KEY_KEY_CODES_COUNT, Sc, 0, 100, 0.1f, 1.03f, 0, 2, 3.f, 3.03f},
        SnapDragCase{KEY_KEY_S, KEY_KEY_CODES_COUNT, Sc, 0, 100, 4.f, 1.03f, 1, 3, 4.f, 4.03f}));

TEST_F(EditingTest, ThePositionStepFollowsTheGridSpacingUnlessSet) {
    editor.snapOn = true;
    editor.snapPosition = 0.f;
    editor.gridSpacing = 25.f;
    releaseKey(KEY_KEY_X);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 0, 100);
    for (s32 x = 1; x <= 30; ++x)
        mouseEvent(EMIE_MOUSE_MOVED, x, 100);
    EXPECT_EQ(cube->getPosition().X, 25.f);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, 30, 100);
}

TEST_F(EditingTest, ASnappedDragBackAndForthComesBackToItsStart) {
    editor.snapOn = true;
    cube->setPosition({3.7f, 0.f, 0.f});
    releaseKey(KEY_KEY_X);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 0, 100);
    for (s32 x = 1; x <= 80; ++x)
        mouseEvent(EMIE_MOUSE_MOVED, x, 100);
    EXPECT_EQ(cube->getPosition().X, 100.f);
    for (s32 x = 79; x >= 40; --x)
        mouseEvent(EMIE_MOUSE_MOVED, x, 100);
    EXPECT_EQ(cube->getPosition().X, 3.7f) << "back within half a step of the start";
    mouseEvent(EMIE_MOUSE_MOVED, 41, 99); // up and right: no step at all
    EXPECT_EQ(cube->getPosition().X, 3.7f);
}

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

// Snapping a group: the primary (the cube) lands on a whole step, the others
// keep their places relative to it.
struct GroupSnapCase {
    EKEY_CODE key1, key2;
    s32 mode;
    s32 sensitivity;
    f32 scaleStep;
    int smallEvents, events;
    core::vector3df cubeWorld, otherWorld, cubeRotation, cubeScale;
};

std::ostream& operator<<(std::ostream& out, const GroupSnapCase& c) { return out << "mode " << std::hex << c.mode; }

class GroupSnapTest : public GroupEditingTest, public testing::WithParamInterface<GroupSnapCase> {};

TEST_P(GroupSnapTest, ThePrimaryLandsOnAWholeStepAndTheGroupKeepsItsShape) {
    const GroupSnapCase& c = GetParam();
    editor.snapOn = true;
    editor.snapScale = c.scaleStep;
    editor.moveSensitivity = c.sensitivity;
    releaseKey(c.key1);
    if (c.key2 != KEY_KEY_CODES_COUNT)
        releaseKey(c.key2);
    ASSERT_EQ(editor.editMode, c.mode);
    const size_t steps = undoHistory.size();
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 0, 300);
    s32 x = 0;
    for (int i = 0; i < c.smallEvents; ++i)
        mouseEvent(EMIE_MOUSE_MOVED, ++x, 300);
    EXPECT_TRUE(world(cube).equals({-10.f, 0.f, 0.f}, 1e-4f)) << "less than half a step moves nothing";
    EXPECT_TRUE(world(other).equals({10.f, 0.f, 0.f}, 1e-4f));
    for (int i = c.smallEvents; i < c.events; ++i)
        mouseEvent(EMIE_MOUSE_MOVED, ++x, 300);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, x, 300);
    EXPECT_TRUE(world(cube).equals(c.cubeWorld, 0.01f)) << world(cube).X << " " << world(cube).Z;
    EXPECT_TRUE(world(other).equals(c.otherWorld, 0.01f)) << world(other).X << " " << world(other).Z;
    EXPECT_TRUE(cube->getRotation().equals(c.cubeRotation, 0.01f));
    EXPECT_TRUE(other->getRotation().equals(c.cubeRotation, 0.01f));
    EXPECT_TRUE(cube->getScale().equals(c.cubeScale, 0.001f));
    EXPECT_EQ(child->getPosition(), core::vector3df(0.f, 0.f, 5.f));
    EXPECT_EQ(undoHistory.size(), steps + 1) << "the whole drag is one step";
    undoLastChange();
    EXPECT_TRUE(world(cube).equals({-10.f, 0.f, 0.f}, 1e-4f));
    EXPECT_TRUE(world(other).equals({10.f, 0.f, 0.f}, 1e-4f));
    EXPECT_EQ(cube->getRotation(), Zero);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, GroupSnapTest,
    testing::Values(
        // The cube at -10 with a step of 100: 46 units short of the half, 70 to 0 + 100.
        GroupSnapCase{KEY_KEY_X, KEY_KEY_CODES_COUNT, MX, 100, 0.1f, 46, 70, {100, 0, 0}, {120, 0, 0}, Zero, One},
        GroupSnapCase{KEY_KEY_Z, KEY_KEY_CODES_COUNT, MZ, 100, 0.1f, 49, 51, {-10, 0, 100}, {10, 0, 100}, Zero, One},
        // 20 degrees of drag give 15 about the centre.
        GroupSnapCase{KEY_KEY_R, KEY_KEY_Y, RotY, 100, 0.1f, 7, 20, {-9.659258f, 0, 2.588190f},
                      {9.659258f, 0, -2.588190f}, {0, 15, 0}, One},
        // A scale step of 2: 1.5 of drag takes the cube from 1 to 2, twice as far from the centre.
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
    releaseKey(KEY_KEY_X);
    releaseKey(KEY_ESCAPE); // first Escape: the mode ends, the selection stays
    EXPECT_EQ(editor.editMode, ids::ModeNone);
    EXPECT_EQ(selectedNodes().size(), 3u);
    releaseKey(KEY_ESCAPE);
    EXPECT_TRUE(selectedNodes().empty());
    EXPECT_EQ(editor.selectedNode, nullptr);
}

// ---- Wheel zoom and framing -------------------------------------------------------

scene::ISceneNodeAnimatorCameraMaya* orbitOf(scene::ICameraSceneNode* camera) {
    for (scene::ISceneNodeAnimator* animator : camera->getAnimators())
        if (animator->getType() == scene::ESNAT_CAMERA_MAYA)
            return static_cast<scene::ISceneNodeAnimatorCameraMaya*>(animator);
    return nullptr;
}

class ViewTest : public EditingTest {
protected:
    void SetUp() override {
        EditingTest::SetUp();
        orbit = orbitOf(editor.cameraMaya1);
        ASSERT_NE(orbit, nullptr);
        ASSERT_EQ(smgr()->getActiveCamera(), editor.cameraMaya1);
    }

    bool wheel(core::position2di at, f32 notches) {
        SEvent event;
        event.EventType = EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = EMIE_MOUSE_WHEEL;
        event.MouseInput.X = at.X;
        event.MouseInput.Y = at.Y;
        event.MouseInput.Wheel = notches;
        event.MouseInput.ButtonStates = 0;
        event.MouseInput.Shift = event.MouseInput.Control = false;
        return editor.device->postEventFromUser(event);
    }

    // A key going down and up, with Control held or not.
    void tap(EKEY_CODE key, bool control = false) {
        SEvent event = test::keyEvent(key, true);
        event.KeyInput.Control = control;
        editor.device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        editor.device->postEventFromUser(event);
    }

    // The box's corners as the active camera shows them, once the camera
    // has taken its new place: all on the screen, and how much of it they span.
    f32 screenShareOf(const core::aabbox3df& box) {
        activePasses(2);
        scene::ICameraSceneNode* camera = smgr()->getActiveCamera();
        const core::dimension2du screen = editor.device->getVideoDriver()->getScreenSize();
        core::vector3df corners[8];
        box.getEdges(corners);
        core::rect<s32> seen;
        for (int i = 0; i < 8; ++i) {
            const core::position2di at =
                smgr()->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(corners[i], camera);
            EXPECT_TRUE(at.X >= 0 && at.Y >= 0 && at.X <= s32(screen.Width) && at.Y <= s32(screen.Height))
                << "corner " << i << " off the screen at " << at.X << ", " << at.Y;
            if (i == 0)
                seen = core::rect<s32>(at, at);
            else
                seen.addInternalPoint(at);
        }
        return std::max(f32(seen.getWidth()) / screen.Width, f32(seen.getHeight()) / screen.Height);
    }

    core::aabbox3df worldBox(scene::ISceneNode* node) {
        core::aabbox3df box = node->getBoundingBox();
        worldTransformationOf(node).transformBoxEx(box);
        return box;
    }

    scene::ISceneNodeAnimatorCameraMaya* orbit = nullptr;
};

const core::position2di kOverView(500, 500);

struct WheelCase {
    const char* where;
    f32 notches;
    bool zooms;
};

std::ostream& operator<<(std::ostream& out, const WheelCase& c) { return out << c.where << " " << c.notches; }

class WheelTest : public ViewTest, public testing::WithParamInterface<WheelCase> {
protected:
    core::position2di pointFor(const std::string& where) {
        if (where == "tool box")
            return findElement(ids::ToolBoxWindow)->getAbsolutePosition().getCenter();
        if (where == "scene box")
            return findElement(ids::SceneBoxWindow)->getAbsolutePosition().getCenter();
        if (where == "menu bar")
            return {300, 5};
        if (where == "toolbar")
            return findElement(ids::StatusText)->getAbsolutePosition().getCenter();
        if (where == "message box")
            gui()->addMessageBox(L"caption", L"text", true);
        return kOverView;
    }
};

TEST_P(WheelTest, TheWheelZoomsTheOrbitCameraOnlyOverTheView) {
    for (s32 id : {ids::ToolBoxWindow, ids::SceneBoxWindow})
        ASSERT_FALSE(findElement(id)->getAbsolutePosition().isPointInside(kOverView)) << "the view point is free";
    const f32 before = orbit->getDistance();
    wheel(pointFor(GetParam().where), GetParam().notches);
    const f32 expected = GetParam().zooms ? before * std::pow(kWheelZoomFactor, GetParam().notches) : before;
    EXPECT_NEAR(orbit->getDistance(), expected, 1e-3f) << GetParam().where;
}

INSTANTIATE_TEST_SUITE_P(
    Places, WheelTest,
    testing::Values(WheelCase{"view", 1.f, true}, WheelCase{"view", -2.f, true},
                    WheelCase{"tool box", 1.f, false}, WheelCase{"scene box", -1.f, false},
                    WheelCase{"menu bar", 1.f, false}, WheelCase{"toolbar", 1.f, false},
                    WheelCase{"message box", 1.f, false}));

TEST_F(ViewTest, TheWheelStopsAtTheNearestAndFarthestDistance) {
    for (int i = 0; i < 30; ++i)
        wheel(kOverView, 10.f);
    EXPECT_EQ(orbit->getDistance(), nearestOrbitDistance());
    for (int i = 0; i < 60; ++i)
        wheel(kOverView, -10.f);
    EXPECT_EQ(orbit->getDistance(), farthestOrbitDistance(editor.cameraMaya1));
}

TEST_F(ViewTest, TheCameraStandsAtTheZoomedDistanceFromItsTarget) {
    wheel(kOverView, 3.f);
    activePasses(2);
    const f32 seen = (editor.cameraMaya1->getAbsolutePosition() - editor.cameraMaya1->getTarget()).getLength();
    EXPECT_NEAR(seen, orbit->getDistance(), orbit->getDistance() * 1e-3f);
}

TEST_F(ViewTest, TheFirstPersonCameraIgnoresTheWheel) {
    chooseMenuCommand(ids::CmdCameraFps);
    ASSERT_EQ(smgr()->getActiveCamera(), editor.cameraFps);
    activePasses(1);
    const core::vector3df place = editor.cameraFps->getPosition();
    const f32 orbitDistance = orbit->getDistance();
    wheel(kOverView, 2.f);
    activePasses(1);
    EXPECT_EQ(editor.cameraFps->getPosition(), place);
    EXPECT_EQ(orbit->getDistance(), orbitDistance);
}

struct FrameCase {
    const char* what;
    core::vector3df position, scale;
    bool nested; // frame a sphere under the cube instead of the cube
};

class FrameTest : public ViewTest, public testing::WithParamInterface<FrameCase> {};

TEST_P(FrameTest, FPutsTheTargetAtTheCentreAndFitsTheNodeInTheView) {
    const FrameCase& c = GetParam();
    cube->setPosition(c.position);
    cube->setScale(c.scale);
    cube->setRotation({0.f, 30.f, 0.f});
    scene::ISceneNode* framed = cube;
    if (c.nested) {
        framed = addNode(scene::ESNT_SPHERE, 0); // under the selected cube
        ASSERT_EQ(framed->getParent(), cube);
        framed->setPosition({20.f, 5.f, 0.f});
        setSelectedNodes({framed});
    }
    const core::aabbox3df box = worldBox(framed);
    tap(KEY_KEY_F);
    EXPECT_TRUE(editor.cameraMaya1->getTarget().equals(box.getCenter(), box.getExtent().getLength() * 1e-4f));
    const f32 share = screenShareOf(box);
    EXPECT_GT(share, 0.35f) << c.what << ": the node fills the view";
    EXPECT_LE(share, 1.f);
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, FrameTest,
    testing::Values(FrameCase{"small", {0, 0, 0}, {1, 1, 1}, false},
                    FrameCase{"big", {500, 40, -300}, {100, 100, 100}, false},
                    FrameCase{"flat", {-50, 0, 20}, {30, 0.1f, 2}, false},
                    FrameCase{"nested", {100, 0, 0}, {2, 2, 2}, true}));

TEST_F(ViewTest, FWithNothingSelectedFramesTheUserNodesOnly) {
    cube->setPosition({300.f, 0.f, 0.f});
    releaseKey(KEY_ESCAPE); // lets go of the selection
    ASSERT_EQ(editor.selectedNode, nullptr);
    tap(KEY_KEY_F);
    EXPECT_TRUE(editor.cameraMaya1->getTarget().equals(worldBox(cube).getCenter(), 0.01f))
        << "neither the grid nor the sky counts";
    EXPECT_GT(screenShareOf(worldBox(cube)), 0.35f);
}

TEST_F(ViewTest, FramingAGroupTakesInEverySelectedNode) {
    scene::ISceneNode* other = addNode(scene::ESNT_CUBE, 0);
    // Far apart on every axis: the pair's box looks as big from any side.
    other->setPosition({-200.f, 400.f, -400.f});
    cube->setPosition({200.f, 0.f, 0.f});
    setSelectedNodes({other, cube});
    tap(KEY_KEY_F);
    core::aabbox3df both = worldBox(cube);
    both.addInternalBox(worldBox(other));
    EXPECT_TRUE(editor.cameraMaya1->getTarget().equals(both.getCenter(), 0.01f));
    EXPECT_GT(screenShareOf(both), 0.35f);
}

TEST_F(ViewTest, FDoesNothingWithControlOrAltWhileTypingOrUnderAModalWindow) {
    cube->setPosition({300.f, 0.f, 0.f});
    const core::vector3df target = editor.cameraMaya1->getTarget();
    tap(KEY_KEY_F, true);
    EXPECT_EQ(editor.cameraMaya1->getTarget(), target) << "Ctrl+F";
    SEvent down = test::keyEvent(KEY_KEY_F, true);
    down.KeyInput.Control = true;
    editor.device->postEventFromUser(down);
    editor.device->postEventFromUser(test::keyEvent(KEY_KEY_F, false));
    EXPECT_EQ(editor.cameraMaya1->getTarget(), target) << "Ctrl+F, Control let go first";
    editor.device->postEventFromUser(test::keyEvent(KEY_LMENU, true));
    tap(KEY_KEY_F);
    EXPECT_EQ(editor.cameraMaya1->getTarget(), target) << "Alt+F";
    editor.device->postEventFromUser(test::keyEvent(KEY_KEY_F, true));
    editor.device->postEventFromUser(test::keyEvent(KEY_LMENU, false));
    editor.device->postEventFromUser(test::keyEvent(KEY_KEY_F, false));
    EXPECT_EQ(editor.cameraMaya1->getTarget(), target) << "Alt+F, Alt let go first";
    gui()->setFocus(findElement(ids::PositionEditX));
    tap(KEY_KEY_F);
    EXPECT_EQ(editor.cameraMaya1->getTarget(), target) << "typing";
    gui()->removeFocus(findElement(ids::PositionEditX));
    gui::IGUIWindow* box = gui()->addMessageBox(L"caption", L"text", true);
    tap(KEY_KEY_F);
    EXPECT_EQ(editor.cameraMaya1->getTarget(), target) << "modal";
    box->remove();
    tap(KEY_KEY_F);
    EXPECT_TRUE(editor.cameraMaya1->getTarget().equals({300.f, 0.f, 0.f}, 0.01f)) << "plain F";
}

TEST_F(ViewTest, FFramesWithTheFirstPersonCameraToo) {
    cube->setPosition({-400.f, 100.f, 250.f});
    chooseMenuCommand(ids::CmdCameraFps);
    tap(KEY_KEY_F);
    EXPECT_TRUE(editor.cameraFps->getTarget().equals(worldBox(cube).getCenter(), 0.01f));
    EXPECT_GT(screenShareOf(worldBox(cube)), 0.35f);
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

} // namespace
} // namespace sorn
