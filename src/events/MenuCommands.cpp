#include "events/MenuCommands.h"

#include "app/EditorState.h"
#include "app/FileDialog.h"
#include "app/MenuBar.h"
#include "app/Platform.h"
#include "app/SmallWindows.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "events/ClipboardCommands.h"
#include "events/FileCommands.h"
#include "events/HelpPage.h"
#include "events/KeyboardMouseEditing.h"
#include "events/SceneBoxCommands.h"
#include "events/UndoCommands.h"
#include "events/UnsavedChanges.h"
#include "events/ViewNavigation.h"
#include "scene/AnimationPlayback.h"
#include "scene/DefaultScene.h"
#include "scene/GridSceneNode.h"
#include "scene/NodeCatalogue.h"
#include "scene/SceneBox.h"
#include "scene/SkyVisibility.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {

namespace {

const u32 DebugItemCount = 6;

// Toggles the check mark of the chosen item; returns the new state.
bool toggleCheck(gui::IGUIContextMenu* menu, s32 index) {
    bool checked = !menu->isItemChecked(index);
    menu->setItemChecked(index, checked);
    return checked;
}

void setCheckRange(gui::IGUIContextMenu* menu, s32 first, s32 step, bool checked) {
    for (u32 i = 0; i < DebugItemCount; ++i) {
        s32 index = first + step * static_cast<s32>(i);
        if (index >= 0 && index < static_cast<s32>(menu->getItemCount()))
            menu->setItemChecked(index, checked);
    }
}

// The debug drawing bits are saved with the node: each change of them is a
// step of the history (recorded by the caller).
void toggleDebugBit(gui::IGUIContextMenu* menu, s32 index, u32 bit) {
    toggleCheck(menu, index);
    if (editor.selectedNode)
        editor.selectedNode->setDebugDataVisible(editor.selectedNode->isDebugDataVisible() ^ bit);
}

// The camera group: exactly one of the three neighbouring items is checked.
// A move, rotate or scale mode in progress is left first, so the gizmo goes
// away and the hidden windows come back with the new camera.
void chooseCamera(gui::IGUIContextMenu* menu, s32 index, s32 positionInGroup,
                  scene::ICameraSceneNode* camera, s32 mode) {
    s32 first = index - positionInGroup;
    for (s32 i = 0; i < 3; ++i)
        if (first + i >= 0 && first + i < static_cast<s32>(menu->getItemCount()))
            menu->setItemChecked(first + i, i == positionInGroup);
    leaveEditingMode();
    activateCamera(camera);
    editor.editMode = mode;
}

struct AddCommand {
    s32 commandId;
    scene::ESCENE_NODE_TYPE type;
    s32 variant;
};

const AddCommand AddCommands[] = {
    {ids::CmdAddPlane, scene::ESNT_MESH, ids::MeshPlane},
    {ids::CmdAddCube, scene::ESNT_CUBE, 0},
    {ids::CmdAddSphere, scene::ESNT_SPHERE, 0},
    {ids::CmdAddCylinder, scene::ESNT_MESH, ids::MeshCylinder},
    {ids::CmdAddCone, scene::ESNT_MESH, ids::MeshCone},
    {ids::CmdAddLight, scene::ESNT_LIGHT, 0},
    {ids::CmdAddParticle, scene::ESNT_PARTICLE_SYSTEM, 0},
    {ids::CmdAddSkyBox, scene::ESNT_SKY_BOX, 0},
    {ids::CmdAddSkyDome, scene::ESNT_SKY_DOME, 0},
    {ids::CmdAddTerrain, scene::ESNT_TERRAIN, 0},
    {ids::CmdAddText, scene::ESNT_TEXT, 0},
    {ids::CmdAddVolumeLight, scene::ESNT_VOLUME_LIGHT, 0},
    {ids::CmdAddWaterSurface, scene::ESNT_WATER_SURFACE, 0},
};

// Items whose command needs nothing but its id.
struct PlainMenuCommand {
    s32 commandId;
    void (*run)();
};

const PlainMenuCommand PlainMenuCommands[] = {
    {ids::CmdNewScene, [] { runAfterUnsavedCheck(SceneAction::NewScene); }},
    {ids::CmdOpenScene, [] { runAfterUnsavedCheck(SceneAction::OpenScene); }},
    {ids::CmdUndo, undoLastChange},
    {ids::CmdRedo, redoLastChange},
    {ids::CmdCopy, [] { copyNodes(nodesToCopy()); }},
    {ids::CmdCut, [] { cutNodes(nodesToCopy()); }},
    {ids::CmdPaste, [] { pasteFromClipboard(); }},
    {ids::CmdDuplicate, duplicateSelectedNode},
    {ids::CmdDelete, deleteSelectedNode},
    {ids::CmdQuit, [] { runAfterUnsavedCheck(SceneAction::Quit); }},
    // How the scene is shown, not a change of it: no undo step, nothing unsaved.
    {ids::CmdPlayAnimation, [] { animationPlaying() ? stopAnimation() : playAnimation(); }},
    {ids::CmdAddModel, openAddModelDialog},
    {ids::CmdAddAnimatedModel, [] { openFileDialog(ids::DialogAddAnimatedMesh, L"file_open_dialog_add_model"); }},
    {ids::CmdSettings, openSettingsWindow},
    {ids::CmdHelp, openHelpPage},
    {ids::CmdAbout, openAboutWindow},
};

void toggleToolBox(gui::IGUIContextMenu* menu, s32 index) {
    if (toggleCheck(menu, index))
        createToolBox();
    else
        ToolBoxClose();
}

void toggleSceneBox(gui::IGUIContextMenu* menu, s32 index) {
    if (toggleCheck(menu, index))
        createSceneBox();
    else
        closeSceneBox();
}

// Every user sky takes the new check mark, so skies that differed (or were
// added while it was off) agree with it again. A sky's visibility is saved:
// the change is a step.
void toggleSkies(gui::IGUIContextMenu* menu, s32 index) {
    recordStep(showUserSkiesRecorded(toggleCheck(menu, index)));
}

void toggleGrid(gui::IGUIContextMenu* menu, s32 index) {
    toggleCheck(menu, index);
    if (editor.gridNode)
        editor.gridNode->setVisible(!editor.gridNode->isVisible());
}

// "Off" stands above the six debug items, "All" below them.
void debugOff(gui::IGUIContextMenu* menu, s32 index) {
    RecordedChange change;
    setCheckRange(menu, index + 1, 1, false);
    if (editor.selectedNode)
        editor.selectedNode->setDebugDataVisible(scene::EDS_OFF);
}

void debugAll(gui::IGUIContextMenu* menu, s32 index) {
    RecordedChange change;
    setCheckRange(menu, index - 1, -1, true);
    if (editor.selectedNode)
        editor.selectedNode->setDebugDataVisible(scene::EDS_FULL);
}

// Items whose command works on the item itself (its check mark, its neighbours).
struct ItemMenuCommand {
    s32 commandId;
    void (*run)(gui::IGUIContextMenu* menu, s32 index);
};

const ItemMenuCommand ItemMenuCommands[] = {
    {ids::CmdToolBox, toggleToolBox},
    {ids::CmdSceneBox, toggleSceneBox},
    {ids::CmdSkyVisible, toggleSkies},
    {ids::CmdGridVisible, toggleGrid},
    {ids::CmdDebugOff, debugOff},
    {ids::CmdDebugAll, debugAll},
    {ids::CmdCameraMaya1, [](gui::IGUIContextMenu* menu, s32 index) {
         chooseCamera(menu, index, 0, editor.cameraMaya1, ids::ModeNone);
     }},
    {ids::CmdCameraMaya2, [](gui::IGUIContextMenu* menu, s32 index) {
         chooseCamera(menu, index, 1, editor.cameraMaya2, ids::ModeNone);
     }},
    {ids::CmdCameraFps, [](gui::IGUIContextMenu* menu, s32 index) {
         chooseCamera(menu, index, 2, editor.cameraFps, ids::ModeFirstPerson);
     }},
};

} // namespace

const DebugCommand DebugCommands[6] = {
    {ids::CmdDebugBoundingBox, scene::EDS_BBOX},
    {ids::CmdDebugNormals, scene::EDS_NORMALS},
    {ids::CmdDebugSkeleton, scene::EDS_SKELETON},
    {ids::CmdDebugWireOverlay, scene::EDS_MESH_WIRE_OVERLAY},
    {ids::CmdDebugHalfTransparent, scene::EDS_HALF_TRANSPARENCY},
    {ids::CmdDebugBufferBoxes, scene::EDS_BBOX_BUFFERS},
};

void showDebugChecksOf(scene::ISceneNode* node) {
    if (!node)
        return;
    const u32 bits = node->isDebugDataVisible();
    for (const DebugCommand& debug : DebugCommands) {
        s32 index = -1;
        if (gui::IGUIContextMenu* menu = menuHoldingCommand(debug.commandId, index))
            menu->setItemChecked(index, (bits & debug.bit) != 0);
    }
}

void activateCamera(scene::ICameraSceneNode* camera) {
    if (!editor.device || !camera)
        return;
    if (scene::ICameraSceneNode* active = editor.sceneManager->getActiveCamera())
        active->setInputReceiverEnabled(false);
    camera->setInputReceiverEnabled(true);
    editor.sceneManager->setActiveCamera(camera);
}

void openFileDialog(s32 dialogId, const wchar_t* titleKey) {
    if (!editor.device)
        return;
    openEditorFileDialog(dialogId, translate(titleKey).c_str());
}

void openAddModelDialog() {
    openFileDialog(ids::DialogAddStaticMesh, L"file_open_dialog_add_model");
}

void setWindowMenuCheck(s32 commandId, bool checked) {
    auto* menu = static_cast<gui::IGUIContextMenu*>(findElement(ids::CmdWindowMenu));
    if (!menu)
        return;
    s32 index = menu->findItemWithCommandId(commandId);
    if (index >= 0)
        menu->setItemChecked(index, checked);
}

core::stringw helpPagePath() {
    core::stringw page = L"doc/";
    core::stringw language = editor.config.get(L"langage");
    if (!language.empty())
        page += language;
    page += L".html";
    return appPath(page);
}

void handleMenuCommand(gui::IGUIContextMenu* menu) {
    if (!menu)
        return;
    s32 index = menu->getSelectedItem();
    if (index < 0)
        return;
    s32 command = menu->getItemCommandId(index);

    for (const AddCommand& add : AddCommands)
        if (add.commandId == command) {
            recordNodeAdded(addNode(add.type, add.variant));
            return;
        }
    for (const DebugCommand& debug : DebugCommands)
        if (debug.commandId == command) {
            RecordedChange change;
            toggleDebugBit(menu, index, debug.bit);
            return;
        }

    if (handleFileMenuCommand(command) || handleViewMenuCommand(command))
        return;
    for (const PlainMenuCommand& plain : PlainMenuCommands)
        if (plain.commandId == command) {
            plain.run();
            return;
        }
    for (const ItemMenuCommand& item : ItemMenuCommands)
        if (item.commandId == command) {
            item.run(menu, index);
            return;
        }
}

} // namespace sorn
