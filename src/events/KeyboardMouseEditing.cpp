#include "events/KeyboardMouseEditing.h"

#include "app/EditorState.h"
#include "app/StatusLine.h"
#include "events/SceneBoxCommands.h"
#include "events/Selection.h"
#include "events/SnapDrag.h"
#include "scene/GroupTransform.h"
#include "scene/SelectedNodes.h"
#include "toolbox/ObjectTab.h"

using namespace irr;

namespace sorn {

namespace {

// The six gizmo parts as bits.
enum GizmoPart : u32 {
    LineX = 1u << 0,
    LineY = 1u << 1,
    LineZ = 1u << 2,
    RingX = 1u << 3,
    RingY = 1u << 4,
    RingZ = 1u << 5,
    AllParts = LineX | LineY | LineZ | RingX | RingY | RingZ,
};

scene::ISceneNode* gizmoNode(u32 part) {
    switch (part) {
    case LineX: return editor.gizmoLineX;
    case LineY: return editor.gizmoLineY;
    case LineZ: return editor.gizmoLineZ;
    case RingX: return editor.gizmoRingX;
    case RingY: return editor.gizmoRingY;
    case RingZ: return editor.gizmoRingZ;
    default: return nullptr;
    }
}

// Editing modes as bits of a set, so that a table row can name several.
constexpr u32 modeBit(s32 mode) {
    return (mode >= ids::ModeNone && mode <= ids::ModeFirstPerson) ? 1u << (mode - ids::ModeNone) : 0u;
}
template <typename... Modes>
constexpr u32 modes(Modes... m) {
    return (modeBit(m) | ...);
}

enum class Switch {
    OnOnly, // turn editing on with exactly the listed parts visible
    OnShow, // turn editing on showing the listed parts, others as they are
    Off,    // turn editing off hiding the listed parts
};

struct ModeKey {
    EKEY_CODE key;
    u32 fromModes;
    Switch action;
    s32 mode; // the new mode of the on switches
    u32 parts;
};

// X, Y and Z pick the rotation axis while a rotate mode is on and the move axis
// otherwise; the same letter again leaves its mode; R and S switch families.
const ModeKey kModeKeys[] = {
    {KEY_KEY_X, modes(ids::ModeRotate, ids::ModeRotateY, ids::ModeRotateZ), Switch::OnOnly, ids::ModeRotateX, LineX | RingX},
    {KEY_KEY_X, modes(ids::ModeMoveY, ids::ModeMoveZ, ids::ModeScale), Switch::OnOnly, ids::ModeMoveX, LineX},
    {KEY_KEY_X, modes(ids::ModeMoveX, ids::ModeRotateX), Switch::Off, ids::ModeNone, LineX | RingX},
    {KEY_KEY_X, modes(ids::ModeNone, ids::ModeFirstPerson), Switch::OnShow, ids::ModeMoveX, LineX},

    {KEY_KEY_Y, modes(ids::ModeRotate, ids::ModeRotateX, ids::ModeRotateZ), Switch::OnOnly, ids::ModeRotateY, LineY | RingY},
    {KEY_KEY_Y, modes(ids::ModeMoveX, ids::ModeMoveZ, ids::ModeScale), Switch::OnOnly, ids::ModeMoveY, LineY},
    {KEY_KEY_Y, modes(ids::ModeMoveY, ids::ModeRotateY), Switch::Off, ids::ModeNone, LineY | RingY},
    {KEY_KEY_Y, modes(ids::ModeNone, ids::ModeFirstPerson), Switch::OnShow, ids::ModeMoveY, LineY},

    {KEY_KEY_Z, modes(ids::ModeRotate, ids::ModeRotateY, ids::ModeRotateX), Switch::OnOnly, ids::ModeRotateZ, LineZ | RingZ},
    {KEY_KEY_Z, modes(ids::ModeMoveX, ids::ModeMoveY, ids::ModeScale), Switch::OnOnly, ids::ModeMoveZ, LineZ},
    {KEY_KEY_Z, modes(ids::ModeMoveZ, ids::ModeRotateZ), Switch::Off, ids::ModeNone, LineZ | RingZ},
    {KEY_KEY_Z, modes(ids::ModeNone, ids::ModeFirstPerson), Switch::OnShow, ids::ModeMoveZ, LineZ},

    {KEY_KEY_R, modes(ids::ModeMoveX, ids::ModeMoveY, ids::ModeMoveZ, ids::ModeScale), Switch::OnOnly, ids::ModeRotate, LineY | RingY},
    {KEY_KEY_R, modes(ids::ModeRotate, ids::ModeRotateY, ids::ModeRotateX, ids::ModeRotateZ), Switch::Off, ids::ModeNone, AllParts},
    {KEY_KEY_R, modes(ids::ModeNone, ids::ModeFirstPerson), Switch::OnShow, ids::ModeRotate, LineY | RingY},

    {KEY_KEY_S, modes(ids::ModeMoveX, ids::ModeMoveY, ids::ModeMoveZ, ids::ModeRotate, ids::ModeRotateY,
                      ids::ModeRotateX, ids::ModeRotateZ), Switch::OnOnly, ids::ModeScale, LineY},
    {KEY_KEY_S, modes(ids::ModeScale), Switch::Off, ids::ModeNone, LineY},
    {KEY_KEY_S, modes(ids::ModeNone, ids::ModeFirstPerson), Switch::OnShow, ids::ModeScale, LineY},
};

void setPartsVisible(u32 parts, bool visible) {
    for (u32 part = LineX; part & AllParts; part <<= 1) {
        if (!(parts & part))
            continue;
        if (scene::ISceneNode* node = gizmoNode(part))
            node->setVisible(visible);
    }
}

void refillObjectRows() {
    fillPositionRows(editor.selectedNode);
    fillRotationRows(editor.selectedNode);
    fillScaleRows(editor.selectedNode);
}

void turnEditingOn(s32 mode, u32 parts, bool onlyThese) {
    if (onlyThese)
        setPartsVisible(AllParts & ~parts, false);
    setPartsVisible(parts, true);
    editor.gizmoActive = true;
    setCameraAndWindowsEnabled(false);
    editor.editMode = mode;
    updateStatusLine();
}

// Leaves editing: the tool box comes back showing the node's edited values.
void leaveEditing(u32 parts) {
    refillObjectRows();
    setPartsVisible(parts, false);
    editor.gizmoActive = false;
    setCameraAndWindowsEnabled(true);
    editor.editMode = ids::ModeNone;
}

gui::IGUIEnvironment* guiEnvironment() {
    return editor.device ? editor.device->getGUIEnvironment() : nullptr;
}

bool isEditingMode(s32 mode) {
    return mode >= ids::ModeMoveX && mode <= ids::ModeScale;
}

bool handleEscape() {
    const s32 mode = editor.editMode;
    if (isEditingMode(mode)) {
        // The status line keeps its text until the next rewrite.
        leaveEditing(AllParts);
        return false;
    }
    if (mode == ids::ModeFirstPerson) {
        toggleCameraInput();
        return true;
    }
    // With no mode on, Escape lets go of the selection (not while typing:
    // there it belongs to the text).
    if (mode == ids::ModeNone && !typingIntoEditBox())
        deselectAll();
    return false;
}

void toggleCameraReadout() {
    if (!editor.device)
        return;
    if (gui::IGUIElement* readout = findElement(ids::CameraInfoText))
        readout->setVisible(!readout->isVisible());
}

// The engine's X11 device would iconify through a display it never opened
// when it runs without a window (the null driver): only a real window is minimised.
void minimizeEditorWindow() {
    if (!editor.device || !editor.device->getVideoDriver() ||
        editor.device->getVideoDriver()->getDriverType() == video::EDT_NULL)
        return;
    editor.device->minimizeWindow();
}

void toggleModelLighting() {
    editor.modelLighting = !editor.modelLighting;
    if (scene::ISceneNode* node = editor.selectedNode) {
        node->setMaterialFlag(video::EMF_LIGHTING, editor.modelLighting);
        node->setMaterialFlag(video::EMF_NORMALIZE_NORMALS, editor.modelLighting);
    }
}

void runModeKey(EKEY_CODE key) {
    const u32 current = modeBit(editor.editMode);
    for (const ModeKey& row : kModeKeys) {
        if (row.key != key || !(row.fromModes & current))
            continue;
        if (row.action == Switch::Off) {
            leaveEditing(row.parts);
            updateStatusLine();
        } else {
            turnEditingOn(row.mode, row.parts, row.action == Switch::OnOnly);
        }
        return;
    }
}

// Adds `delta` when the pointer went right or down, then subtracts it when it
// went left or up (both for a diagonal move).
template <typename Get, typename Set>
void dragVector(Get get, Set set, const core::vector3df& delta, bool forward, bool back) {
    core::vector3df v = get();
    if (forward) {
        v += delta;
        set(v);
    }
    if (back) {
        v -= delta;
        set(v);
    }
}

// Several nodes (or one under its selected ancestor's) dragged together, in
// the world, about their common centre: the same steps as for one node.
bool dragGroup(const std::vector<scene::ISceneNode*>& group, bool forward, bool back) {
    const f32 moveStep = static_cast<f32>(editor.moveSensitivity / 100);
    const f32 turnStep = static_cast<f32>(editor.moveSensitivity) / 100.f;
    auto apply = [&](f32 sign) {
        switch (editor.editMode) {
        case ids::ModeMoveX: moveNodesBy(group, core::vector3df(sign * moveStep, 0, 0)); break;
        case ids::ModeMoveY: moveNodesBy(group, core::vector3df(0, sign * moveStep, 0)); break;
        case ids::ModeMoveZ: moveNodesBy(group, core::vector3df(0, 0, sign * moveStep)); break;
        case ids::ModeRotate:
        case ids::ModeRotateY: turnNodesAbout(group, selectionCentre(), 1, sign * turnStep); break;
        case ids::ModeRotateX: turnNodesAbout(group, selectionCentre(), 0, sign * turnStep); break;
        case ids::ModeRotateZ: turnNodesAbout(group, selectionCentre(), 2, sign * turnStep); break;
        case ids::ModeScale: scaleNodesAbout(group, selectionCentre(), sign * turnStep); break;
        default: return false;
        }
        return true;
    };
    bool changed = false;
    if (forward)
        changed = apply(1.f);
    if (back)
        changed = apply(-1.f) || changed;
    return changed;
}

} // namespace

// A modal dialog or message box is open: its modal screen holds the focus
// (or is an ancestor of it). Any visible modal screen on the root counts as
// well, so a dialog that has not taken the focus still blocks the commands.
bool modalDialogOpen() {
    gui::IGUIEnvironment* env = guiEnvironment();
    if (!env)
        return false;
    for (gui::IGUIElement* e = env->getFocus(); e; e = e->getParent()) {
        if (e->getType() == gui::EGUIET_MODAL_SCREEN && e->isVisible())
            return true;
    }
    for (gui::IGUIElement* child : env->getRootGUIElement()->getChildren()) {
        if (child->getType() == gui::EGUIET_MODAL_SCREEN && child->isVisible())
            return true;
    }
    return false;
}

// The user is typing into an edit box: it has the focus, is still part of the
// GUI (a rebuilt tool box page leaves the old box focused but detached) and
// can be seen.
bool typingIntoEditBox() {
    gui::IGUIEnvironment* env = guiEnvironment();
    if (!env)
        return false;
    gui::IGUIElement* focus = env->getFocus();
    if (!focus || focus->getType() != gui::EGUIET_EDIT_BOX)
        return false;
    gui::IGUIElement* root = env->getRootGUIElement();
    for (gui::IGUIElement* e = focus; e; e = e->getParent()) {
        if (e == root)
            return true;
        if (!e->isVisible())
            return false;
    }
    return false;
}

ChordKey controlChord(const SEvent::SKeyInput& key, std::initializer_list<EKEY_CODE> keys, bool shiftAllowed,
                      bool alsoWhileTyping) {
    static bool releaseTaken[KEY_KEY_CODES_COUNT] = {};
    bool ours = false;
    for (EKEY_CODE k : keys)
        ours = ours || k == key.Key;
    if (!ours || key.Key >= KEY_KEY_CODES_COUNT)
        return ChordKey::Other;
    if (!key.PressedDown) {
        if (!releaseTaken[key.Key])
            return ChordKey::Other;
        releaseTaken[key.Key] = false;
        return ChordKey::Taken;
    }
    if (!key.Control || (key.Shift && !shiftAllowed) || modalDialogOpen() || (!alsoWhileTyping && typingIntoEditBox()))
        return ChordKey::Other;
    releaseTaken[key.Key] = true;
    return ChordKey::Run;
}

bool handleKeyRelease(EKEY_CODE key) {
    if (modalDialogOpen())
        return false;
    switch (key) {
    case KEY_ESCAPE:
        return handleEscape();
    case KEY_F1:
        toggleCameraReadout();
        return false;
    default:
        break;
    }
    // Letters typed into a tool box field are text, not commands.
    if (typingIntoEditBox())
        return false;
    switch (key) {
    case KEY_KEY_M:
        minimizeEditorWindow();
        return false;
    case KEY_KEY_L:
        toggleModelLighting();
        return false;
    case KEY_DELETE:
        // As the scene box's delete button: every selected node, one step.
        if (editor.editMode == ids::ModeNone)
            deleteSelectedNode();
        return false;
    case KEY_KEY_X:
    case KEY_KEY_Y:
    case KEY_KEY_Z:
    case KEY_KEY_R:
    case KEY_KEY_S:
        // Without a node there is nothing to edit: the windows stay and the
        // camera keeps the mouse.
        if (editor.nodeSelected && editor.selectedNode)
            runModeKey(key);
        return false;
    default:
        return false;
    }
}

void onLeftButtonDown() {
    editor.leftButtonDown = true;
    startSnappedDrag();
}

void onLeftButtonUp() { editor.leftButtonDown = false; }

void onRightButtonUp() {
    const s32 mode = editor.editMode;
    const bool rotatingAboutAxis =
        mode == ids::ModeRotateY || mode == ids::ModeRotateX || mode == ids::ModeRotateZ;
    if (editor.gizmoActive && editor.nodeSelected && editor.selectedNode && rotatingAboutAxis) {
        editor.selectedNode->setRotation(core::vector3df(0.f, 0.f, 0.f));
        for (scene::ISceneNode* node : topmostSelectedNodes())
            node->setRotation(core::vector3df(0.f, 0.f, 0.f));
    }
}

void onMouseMoved(s32 x, s32 y) {
    scene::ISceneNode* node = editor.selectedNode;
    if (!editor.leftButtonDown || !editor.gizmoActive || !editor.nodeSelected || !node ||
        editor.editMode == ids::ModeNone || !editor.device)
        return;
    const core::dimension2du screen = editor.device->getVideoDriver()->getScreenSize();
    // A window without area (minimised) gives no pointer fractions.
    if (screen.Width == 0 || screen.Height == 0)
        return;
    const f32 previousX = editor.lastPointerX;
    const f32 previousY = editor.lastPointerY;
    editor.lastPointerX = static_cast<f32>(x) / static_cast<f32>(screen.Width);
    editor.lastPointerY = static_cast<f32>(y) / static_cast<f32>(screen.Height);
    const bool forward = previousX < editor.lastPointerX || previousY < editor.lastPointerY;
    const bool back = editor.lastPointerX < previousX || editor.lastPointerY < previousY;

    const std::vector<scene::ISceneNode*> group = topmostSelectedNodes();
    if (editor.snapOn) {
        if (dragSnapped(group.empty() ? std::vector<scene::ISceneNode*>{node} : group, node,
                        (forward ? 1 : 0) - (back ? 1 : 0)))
            updateStatusLine();
        return;
    }
    if (group.size() > 1 || (group.size() == 1 && group.front() != node)) {
        if (dragGroup(group, forward, back))
            updateStatusLine();
        return;
    }

    auto getPosition = [node] { return node->getPosition(); };
    auto setPosition = [node](const core::vector3df& v) { node->setPosition(v); };
    auto getRotation = [node] { return node->getRotation(); };
    auto setRotation = [node](const core::vector3df& v) { node->setRotation(v); };
    const f32 moveStep = static_cast<f32>(editor.moveSensitivity / 100);
    const f32 turnStep = static_cast<f32>(editor.moveSensitivity) / 100.f;

    switch (editor.editMode) {
    case ids::ModeMoveX:
        dragVector(getPosition, setPosition, core::vector3df(moveStep, 0, 0), forward, back);
        break;
    case ids::ModeMoveY:
        dragVector(getPosition, setPosition, core::vector3df(0, moveStep, 0), forward, back);
        break;
    case ids::ModeMoveZ:
        dragVector(getPosition, setPosition, core::vector3df(0, 0, moveStep), forward, back);
        break;
    case ids::ModeRotate:
    case ids::ModeRotateY:
        dragVector(getRotation, setRotation, core::vector3df(0, turnStep, 0), forward, back);
        break;
    case ids::ModeRotateX:
        dragVector(getRotation, setRotation, core::vector3df(turnStep, 0, 0), forward, back);
        break;
    case ids::ModeRotateZ:
        dragVector(getRotation, setRotation, core::vector3df(0, 0, turnStep), forward, back);
        break;
    case ids::ModeScale:
        dragVector([node] { return node->getScale(); }, [node](const core::vector3df& v) { node->setScale(v); },
                   core::vector3df(turnStep, turnStep, turnStep), forward, back);
        break;
    default:
        return;
    }
    updateStatusLine();
}

void setCameraAndWindowsEnabled(bool enabled) {
    if (editor.device) {
        if (scene::ICameraSceneNode* camera = editor.device->getSceneManager()->getActiveCamera())
            camera->setInputReceiverEnabled(enabled);
    }
    if (gui::IGUIElement* toolBox = findElement(ids::ToolBoxWindow))
        toolBox->setVisible(enabled);
    if (gui::IGUIElement* sceneBox = findElement(ids::SceneBoxWindow))
        sceneBox->setVisible(enabled);
}

void leaveEditingMode() {
    if (!isEditingMode(editor.editMode) && !editor.gizmoActive)
        return;
    leaveEditing(AllParts);
    updateStatusLine();
}

void toggleCameraInput() {
    if (!editor.device)
        return;
    if (scene::ICameraSceneNode* camera = editor.device->getSceneManager()->getActiveCamera())
        camera->setInputReceiverEnabled(!camera->isInputReceiverEnabled());
}

} // namespace sorn
